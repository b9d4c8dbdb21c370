#pragma once
// Command line of the transport-stream muxer ("tsmuxer" in the general tool folder).

#include "mediatools/CCmdOpts.h"

class CTsMuxeROpts : public CCmdOpts {
  public:
    // An empty path means the tool of the general tool folder (else PATH).
    explicit CTsMuxeROpts(const QString& executable = QString());
    const char* ClassName() const override { return "CTsMuxeROpts"; }
};
