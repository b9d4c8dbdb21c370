#pragma once
// Cleaning of the output folder the user typed or stored.
//
// The folder is kept as the user wrote it: on Linux only '/' and NUL are
// special in a path, so no character is replaced. Surrounding white space and
// trailing separators go, doubled separators and "." / ".." steps are folded,
// a leading "~" stands for the home folder, a relative folder is placed under
// the home folder, and an empty one means the default output folder. The
// result is always absolute; the folder itself is not created here.
//
// Threads: a pure function of its argument and the home folder; callable from
// any thread.

#include <QString>

QString NormalizeOutputFolder(const QString& folder);
