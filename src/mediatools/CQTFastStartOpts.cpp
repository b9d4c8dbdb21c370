#include "mediatools/CQTFastStartOpts.h"

#include "mediatools/ToolFolders.h"

CQTFastStartOpts::CQTFastStartOpts(const QString& executable) {
    SetProgram(executable.isEmpty() ? FindTool(GetToolFolder(), QStringLiteral("qt-faststart")) : executable);
}
