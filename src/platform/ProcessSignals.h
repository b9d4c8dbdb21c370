#pragma once
// Process-wide signal dispositions every executable sets up at start.
//
// Threads: call once from main before any other thread starts.

// A write past the file-size limit (ulimit -f) then fails with EFBIG and
// takes the ordinary write-failure path, instead of SIGXFSZ ending the
// program with a partial file and no word to the user. Child processes
// started through CConsoleProcess get the default disposition back.
void IgnoreFileSizeLimitSignal();

// True when a child's exit status (CConsoleProcess::ExitCode: 128 + the
// signal's number for a signal) says a file-size limit ended it.
bool EndedByFileSizeLimit(int exitCode);
