#pragma once
// Command line of the MP4 box tool ("mp4box" in the general tool folder).

#include "mediatools/CCmdOpts.h"

class CMP4BoxOpts : public CCmdOpts {
  public:
    // An empty path means the tool of the general tool folder (else PATH).
    explicit CMP4BoxOpts(const QString& executable = QString());
    const char* ClassName() const override { return "CMP4BoxOpts"; }
};
