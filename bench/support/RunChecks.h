#pragma once
// What the whole-program benchmarks share around each timed run: settings,
// history and log kept in temporary folders, the run's output read back and
// checked, the folder emptied for the next run, and the median of the
// figures.
//
// Threads: the benchmark's main thread only.

#include "ChildProcess.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Points HOME, XDG_CONFIG_HOME and XDG_DATA_HOME at base/home, base/config
// and base/data (created here), so no run reads or writes the user's own.
void UseTemporaryHome(const std::string& base);

// A positive number of at most 65536; false for anything else.
bool ParsePositive(const char* text, int& value);

// One command-line option of a benchmark: with `takesValue`, `take` gets
// the next argument; without, it gets nullptr. `take` returns false for a
// bad value.
struct BenchOption {
    const char* name;
    bool takesValue;
    std::function<bool(const char* value)> take;
};
// Reads argv against `options`; -h/--help prints `usage` and exits. 0 on
// success, 2 with the bad option and the usage printed on stderr.
int ParseBenchOptions(const char* program, int argc, char** argv, const char* usage,
                      const std::vector<BenchOption>& options);

// Megabytes as bytes, and the rate of `mib` in `seconds` (0 for no time).
std::int64_t MibBytes(int mib);
double MiBps(int mib, double seconds);

// A program a benchmark runs: `name` (looked up on PATH unless it holds a
// "/") is found into *path; when it is missing and `needed`, `hint` (how to
// get it) is printed.
struct NeededProgram {
    std::string* path;
    std::string name;
    const char* hint;
    bool needed = true;
};
// Finds them all; false, with "program: missing programs:" and the hints
// on stderr, when a needed one is missing.
bool FindPrograms(const char* program, const std::vector<NeededProgram>& programs);
// zorv-get as a benchmark runs it: `given`, or the one next to this program.
std::string ZorvGetPath(const std::string& given);

// Where this program lies (/proc/self/exe); empty when it cannot be read.
std::string SelfPath();

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
