#pragma once
// Command line of the MP4 track muxer ("mp4creator" in the general tool folder).

#include "mediatools/CCmdOpts.h"

class CMP4CreatorOpts : public CCmdOpts {
  public:
    // An empty path means the tool of the general tool folder (else PATH).
    explicit CMP4CreatorOpts(const QString& executable = QString());
    const char* ClassName() const override { return "CMP4CreatorOpts"; }
};
