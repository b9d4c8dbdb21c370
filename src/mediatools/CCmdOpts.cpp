#include "mediatools/CCmdOpts.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdarg>

CCmdOpts::~CCmdOpts() {
    ClearOptions();
}

void CCmdOpts::SetInputFile(const QString& path) {
    const QChar quote = QLatin1Char('"');
    if (path.size() >= 2 && path.front() == quote && path.back() == quote)
        inputFile_ = path;
    else
        inputFile_ = quote + path + quote;
}

void CCmdOpts::AddFlag(const QString& name) {
    SetOptionValue(name, QString());
}

void CCmdOpts::SetOption(const QString& name, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const QString value = QString::vasprintf(format, args);
    va_end(args);
    SetOptionValue(name, value);
}

void CCmdOpts::AppendOption(const QString& name, int create, const QString& separator, const char* format,
                            ...) {
    va_list args;
    va_start(args, format);
    const QString value = QString::vasprintf(format, args);
    va_end(args);
    AppendOptionValue(name, create, separator, value);
}

void CCmdOpts::SetOptionValue(const QString& name, const QString& value) {
    SetIn(options_, name, value);
}

void CCmdOpts::SetIn(std::vector<CmdOption>& list, const QString& name, const QString& value) {
    for (CmdOption& option : list) {
        if (option.name == name) {
            option.value = value;
            return;
        }
    }
    list.push_back({name, value});
}

void CCmdOpts::AppendOptionValue(const QString& name, int create, const QString& separator,
                                 const QString& value) {
    for (CmdOption& option : options_) {
        if (option.name == name) {
            option.value += separator + value;
            return;
        }
    }
    if (create)
        options_.push_back({name, value});
}

void CCmdOpts::RemoveOption(const QString& name) {
    std::erase_if(options_, [&](const CmdOption& option) { return option.name == name; });
}

void CCmdOpts::ClearOptions() {
    options_.clear();
}

void CCmdOpts::ParseOptions(const QString&) {}

QString CCmdOpts::RenderCommon() const {
    QString text = prefix_;
    for (const CmdOption& option : options_)
        text += QLatin1Char(' ') + option.name + QLatin1Char(' ') + option.value;
    if (!inputFile_.isEmpty())
        text += QLatin1Char(' ') + inputFile_;
    return text;
}

const QString& CCmdOpts::BuildCommandLine() {
    commandLine_ = RenderCommon();
    return commandLine_;
}

QStringList CCmdOpts::BuildArguments() const {
    QStringList args{program_};
    for (const CmdOption& option : options_) {
        args << option.name;
        if (!option.value.isEmpty())
            args << option.value;
    }
    if (!inputFile_.isEmpty())
        args << inputFile_.mid(1, inputFile_.size() - 2);
    return args;
}

void CCmdOpts::SetProgram(const QString& program) {
    program_ = program;
    prefix_ = QLatin1Char('"') + program + QLatin1Char('"');
}

void CCmdOpts::ParseOptionText(const QString& text) {
    // Cut before every " -" so each piece keeps its dash; a piece of one word
    // is a flag, of two words an option with its value, longer ones are ignored.
    static const QRegularExpression optionStart(QStringLiteral(" (?=-)"));
    const QStringList pieces = (QLatin1Char(' ') + text).split(optionStart);
    for (const QString& rawPiece : pieces) {
        const QString piece = rawPiece.trimmed();
        if (piece.isEmpty())
            continue;
        const QStringList words = piece.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.size() == 1)
            AddFlag(words[0].trimmed());
        else if (words.size() == 2)
            SetOptionValue(words[0].trimmed(), words[1].trimmed());
    }
}
