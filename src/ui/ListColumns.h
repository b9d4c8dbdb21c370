#pragma once
// Column widths of the window's two lists (the task list and the history
// list): fixed shares of the width, with the short columns kept readable.
//
// Threads: the window's thread only.

#include <QStringList>

#include <span>

class QTableView;

// Columns 0 .. shares.size()-1 get their share of (client width - 22); the
// column after them takes the rest of the client width less 2 pixels. Every
// column after `flexible` is at least as wide as its heading; when the last
// column would then be narrower than its heading, column `flexible` (the
// long text) gives way, down to 80 pixels, and then the short columns down
// to their heading and sample. Where even that leaves too little, the last
// column still gets its width and the list scrolls sideways (its horizontal
// scroll bar must be "as needed").
// `lastSamples` are texts the last column must show whole as well (its usual
// cell texts in the current language).
void FitListColumns(QTableView& view, std::span<const double> shares, std::span<const char* const> samples,
                    int flexible, const QStringList& lastSamples = {});
