#include "mediatools/CMEncoderOpts.h"

#include "mediatools/ToolFolders.h"

#include <QDebug>

CMEncoderOpts::CMEncoderOpts(const QString& executable) {
    SetProgram(executable.isEmpty() ? FindTool(GetMPlayerToolFolder(), QStringLiteral("mencoder"))
                                    : executable);
}

void CMEncoderOpts::ParseOptions(const QString& text) {
    ParseOptionText(text);
}

const QString& CMEncoderOpts::BuildCommandLine() {
    QString text = RenderCommon();
    if (!errorFile_.isEmpty())
        text += QStringLiteral(" 2>\"%1\"").arg(errorFile_);
    StoreCommandLine(text);
    qDebug().noquote() << text;
    return CommandLine();
}
