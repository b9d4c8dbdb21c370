#include "mediatools/CTsMuxeROpts.h"

#include "mediatools/ToolFolders.h"

CTsMuxeROpts::CTsMuxeROpts(const QString& executable) {
    SetProgram(executable.isEmpty() ? FindTool(GetToolFolder(), QStringLiteral("tsmuxer")) : executable);
}
