#pragma once
// A console runner for helper commands whose output only matters to a
// developer: output and diagnostics go to the debug output.
//
// Threads: as CConsoleProcess (OnOutput on the reader thread).

#include "mediatools/CConsoleProcess.h"

class CDebugConsoleProcess : public CConsoleProcess {
  public:
    CDebugConsoleProcess() = default;
    ~CDebugConsoleProcess() override;

  protected:
    void OnOutput(const char* chunk) override;
    void OnError(const char* text) override;
};
