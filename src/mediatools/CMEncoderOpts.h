#pragma once
// Command line of mencoder ("mencoder" in the mplayer tool folder). Its text
// rendering names the file that takes the tool's error output; the runner
// itself merges that output with the rest, so the argument vector does not.

#include "mediatools/CCmdOpts.h"

class CMEncoderOpts : public CCmdOpts {
  public:
    explicit CMEncoderOpts(const QString& executable = QString());
    const char* ClassName() const override { return "CMEncoderOpts"; }

    void SetErrorFile(const QString& path) { errorFile_ = path; }
    const QString& ErrorFile() const { return errorFile_; }

    void ParseOptions(const QString& text) override;
    // The common rendering plus " 2>\"<error file>\"" when one is set; also
    // written to the debug output.
    const QString& BuildCommandLine() override;

  private:
    QString errorFile_;
};
