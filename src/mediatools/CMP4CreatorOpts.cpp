#include "mediatools/CMP4CreatorOpts.h"

#include "mediatools/ToolFolders.h"

CMP4CreatorOpts::CMP4CreatorOpts(const QString& executable) {
    SetProgram(executable.isEmpty() ? FindTool(GetToolFolder(), QStringLiteral("mp4creator")) : executable);
}
