#pragma once
// Command line of the tool that moves an MP4 index to the front ("qt-faststart" in the general tool folder).

#include "mediatools/CCmdOpts.h"

class CQTFastStartOpts : public CCmdOpts {
  public:
    // An empty path means the tool of the general tool folder (else PATH).
    explicit CQTFastStartOpts(const QString& executable = QString());
    const char* ClassName() const override { return "CQTFastStartOpts"; }
};
