#pragma once
// The main window's placement as stored under the sub-key "Setting":
// `WindowPos` ("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": flags, show state, minimised
// x and y, maximised x and y, normal rectangle left, top, right, bottom) and
// `ShowMM` (whether the site tree panel is shown, default 1). The GUI turns
// the numbers into a window geometry; these functions only read and write
// the text.
//
// Threads: main thread only.

#include <QString>

#include <optional>

struct WindowPlacement {
    static constexpr int kDefaultWidth = 999;
    static constexpr int kDefaultHeight = 600;
    // Show states as the close sequence writes them.
    static constexpr quint32 kShowNormal = 1;
    static constexpr quint32 kShowMaximized = 3;
    static constexpr quint32 kShowMinimized = 5;

    quint32 flags = 0;
    quint32 showCmd = kShowNormal;
    int minX = -1, minY = -1;
    int maxX = -1, maxY = -1;
    int left = 0, top = 0, right = kDefaultWidth, bottom = kDefaultHeight;

    bool operator==(const WindowPlacement&) const = default;
};

// A normal window of 999 x 600 centred on a screen of the given size (never
// starting left of or above the screen's corner).
WindowPlacement DefaultWindowPlacement(int screenWidth, int screenHeight);
// The ten numbers of a `WindowPos` text; nullopt when fewer than ten can be
// read or a number does not fit its field.
std::optional<WindowPlacement> ParseWindowPos(const QString& text);
// The text for `WindowPos`.
QString FormatWindowPos(const WindowPlacement& placement);

struct StoredWindowState {
    WindowPlacement placement;
    int showMM = 1;
};
// Reads `WindowPos` (the centred default when missing or malformed) and
// `ShowMM` (default 1).
StoredWindowState LoadWindowState(int screenWidth, int screenHeight);
// Writes both values, or with `before` (the state this run started from)
// only the ones that differ from it or the store lacks, so another running
// copy's placement is not undone; the file stays readable by its owner only.
void SaveWindowState(const StoredWindowState& state, const StoredWindowState* before = nullptr);
