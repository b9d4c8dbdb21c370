#pragma once
// What the whole-program benchmarks share around each timed run: settings,
// history and log kept in temporary folders, the run's output read back and
// checked, the folder emptied for the next run, and the median of the
// figures.
//
// Threads: the benchmark's main thread only.

#include "ChildProcess.h"

#include <cstdint>
#include <string>
#include <vector>

// Points HOME, XDG_CONFIG_HOME and XDG_DATA_HOME at base/home, base/config
// and base/data (created here), so no run reads or writes the user's own.
void UseTemporaryHome(const std::string& base);

// A positive number of at most 65536; false for anything else.
bool ParsePositive(const char* text, int& value);

// The whole text of a file; empty when it cannot be read.
std::string ReadText(const std::string& path);
// The last line of a file that holds anything but blanks, with progress
// lines rewritten in place ("\r") reduced to their final state; empty when
// there is none.
std::string LastLine(const std::string& path);

// The one file a run left under `dir`, checked for its size, then the folder
// emptied for the next run. Throws std::runtime_error naming `who` and what
// was wrong (no file, several, or another size).
void TakeOutput(const std::string& dir, std::int64_t bytes, const char* who);
// The same check without throwing: empty when the run left exactly one file
// of `bytes` bytes, else what was wrong. The folder is emptied either way.
std::string CheckOutput(const std::string& dir, std::int64_t bytes);

// Syncs the previous run's writes to disk, then runs argv to its end with
// its output in `log`. Throws std::runtime_error naming `who` with the log's
// text when it fails.
ChildOutcome Timed(const std::vector<std::string>& argv, const std::string& log, const char* who,
                   bool sampleOwnPeak = false);

double Median(std::vector<double> v);
