#pragma once
// Command line of ffmpeg ("ffmpeg" in the general tool folder). The rendered
// text also goes to the debug output.
//
// Without an output file the builder renders like every other one: the
// options, then the input file. With one (SetOutputFile) the options are
// those that come before the input, which follows "-i", and the output
// options and the output file come after it:
//   ffmpeg <options> -i <input> <output options> <output>
//
// Threads: a builder belongs to the thread that made it.

#include "mediatools/CCmdOpts.h"

#include <vector>

class CFFMpegOpts : public CCmdOpts {
  public:
    explicit CFFMpegOpts(const QString& executable = QString());
    const char* ClassName() const override { return "CFFMpegOpts"; }

    // Replaces an output option's value in place, else appends it; an empty
    // value makes a flag.
    void SetOutputOption(const QString& name, const QString& value = QString());
    void RemoveOutputOption(const QString& name);
    const std::vector<CmdOption>& OutputOptions() const { return outputOptions_; }
    void SetOutputFile(const QString& path) { outputFile_ = path; }
    const QString& OutputFile() const { return outputFile_; }

    // A run whose only output on standard output is machine-readable
    // progress ("key=value" lines, "progress=end" last) and whose other
    // output is its errors: no banner, no statistics line, no questions
    // (an existing output file is overwritten: callers pass a name of
    // their own), standard input not read.
    void SetProgressRun();

    const QString& BuildCommandLine() override;
    // The same text without the debug output, for the log.
    QString Rendered() const;
    QStringList BuildArguments() const override;

  private:
    std::vector<CmdOption> outputOptions_;
    QString outputFile_;
};
