#include "mediatools/CFFMpegOpts.h"

#include "mediatools/ToolFolders.h"

#include <QDebug>

CFFMpegOpts::CFFMpegOpts(const QString& executable) {
    SetProgram(executable.isEmpty() ? FindTool(GetToolFolder(), QStringLiteral("ffmpeg")) : executable);
}

const QString& CFFMpegOpts::BuildCommandLine() {
    const QString& text = CCmdOpts::BuildCommandLine();
    qDebug().noquote() << text;
    return text;
}
