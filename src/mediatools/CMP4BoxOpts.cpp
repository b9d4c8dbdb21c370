#include "mediatools/CMP4BoxOpts.h"

#include "mediatools/ToolFolders.h"

CMP4BoxOpts::CMP4BoxOpts(const QString& executable) {
    SetProgram(executable.isEmpty() ? FindTool(GetToolFolder(), QStringLiteral("mp4box")) : executable);
}
