#pragma once
// A top-level widget's placement as the stored numbers describe it: the
// normal rectangle (left, top, right, bottom) and the show state.
//
// Threads: main thread only.

#include "base/WindowPlacement.h"

class QWidget;

#include <QList>
#include <QRect>

namespace WidgetPlacement {
// `window` where it is when enough of its top strip lies on one of
// `screens` (available areas, the primary one first) to grab it; otherwise
// moved onto the screen it overlaps most (else the first) as far as needed,
// no larger than that screen unless `minimum` needs it, its top left corner
// on that screen.
QRect FitOnScreens(const QRect& window, const QList<QRect>& screens, QSize minimum);
// Gives `window` the normal rectangle (no smaller than its minimum size,
// fitted onto the screens there are) and, for show state 3, the maximised
// state it is shown in.
void Apply(QWidget* window, const WindowPlacement& placement);
// The placement to store: the normal rectangle even while maximised or
// minimised; show state 3 when maximised (also when minimised from
// maximised, so it reopens maximised), 5 when minimised, else 1.
WindowPlacement Read(const QWidget* window);
} // namespace WidgetPlacement
