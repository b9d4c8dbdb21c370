#pragma once
// Command line of any system command. Without a shell, the command is a
// program (a path or a name on PATH) with options and an input file.

#include "mediatools/CCmdOpts.h"

class CSysCmdOpts : public CCmdOpts {
  public:
    explicit CSysCmdOpts(const QString& program = QString());
    const char* ClassName() const override { return "CSysCmdOpts"; }
};
