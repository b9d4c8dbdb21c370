#pragma once
// Command line of ffmpeg ("ffmpeg" in the general tool folder). The rendered
// text also goes to the debug output.

#include "mediatools/CCmdOpts.h"

class CFFMpegOpts : public CCmdOpts {
  public:
    explicit CFFMpegOpts(const QString& executable = QString());
    const char* ClassName() const override { return "CFFMpegOpts"; }
    const QString& BuildCommandLine() override;
};
