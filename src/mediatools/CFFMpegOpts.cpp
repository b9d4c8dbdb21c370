#include "mediatools/CFFMpegOpts.h"

#include "mediatools/ToolFolders.h"

#include <QDebug>

#include <algorithm>

CFFMpegOpts::CFFMpegOpts(const QString& executable) {
    SetProgram(executable.isEmpty() ? FindTool(GetToolFolder(), QStringLiteral("ffmpeg")) : executable);
}

void CFFMpegOpts::SetOutputOption(const QString& name, const QString& value) {
    SetIn(outputOptions_, name, value);
}

void CFFMpegOpts::RemoveOutputOption(const QString& name) {
    std::erase_if(outputOptions_, [&](const CmdOption& option) { return option.name == name; });
}

void CFFMpegOpts::SetProgressRun() {
    AddFlag(QStringLiteral("-hide_banner"));
    AddFlag(QStringLiteral("-nostdin"));
    SetOptionValue(QStringLiteral("-loglevel"), QStringLiteral("error"));
    SetOptionValue(QStringLiteral("-progress"), QStringLiteral("pipe:1"));
    AddFlag(QStringLiteral("-nostats"));
    AddFlag(QStringLiteral("-y"));
}

QString CFFMpegOpts::Rendered() const {
    QString text = RenderCommon();
    if (!outputFile_.isEmpty()) {
        // The input, rendered last by the common part, follows "-i" here.
        if (!InputFile().isEmpty())
            text.chop(InputFile().size() + 1);
        text += QStringLiteral(" -i ") + InputFile();
        for (const CmdOption& option : outputOptions_)
            text += QLatin1Char(' ') + option.name + QLatin1Char(' ') + option.value;
        text += QStringLiteral(" \"") + outputFile_ + QLatin1Char('"');
    }
    return text;
}

const QString& CFFMpegOpts::BuildCommandLine() {
    StoreCommandLine(Rendered());
    qDebug().noquote() << CommandLine();
    return CommandLine();
}

QStringList CFFMpegOpts::BuildArguments() const {
    QStringList args = CCmdOpts::BuildArguments();
    if (outputFile_.isEmpty())
        return args;
    if (!InputFile().isEmpty()) {
        args.removeLast();
        args << QStringLiteral("-i") << InputFile().mid(1, InputFile().size() - 2);
    }
    for (const CmdOption& option : outputOptions_) {
        args << option.name;
        if (!option.value.isEmpty())
            args << option.value;
    }
    args << outputFile_;
    return args;
}
