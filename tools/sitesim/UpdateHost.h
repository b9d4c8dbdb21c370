#pragma once
// The maker's update host: its home page at "/" and the version file at
// "/zorvfetch_version.ini", whose content follows the context's switches.
// Handle runs on any server thread.

#include "sitesim/SimContext.h"

#include <httplib.h>

class UpdateHost {
  public:
    explicit UpdateHost(const SimContext& ctx) : ctx_(ctx) {}

    bool Handle(const httplib::Request& req, httplib::Response& res) const;

    // The file as published for `version` ("X.Y.Z"): the program reads the
    // section "Gerneral"; Correct spells it "General".
    static QByteArray VersionFile(const QString& version, VersionFileMode mode);

  private:
    const SimContext& ctx_;
};
