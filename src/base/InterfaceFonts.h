#pragma once
// The fonts of the interface, chosen once at start-up from the language's
// texts TextId::UiFont (main font), TextId::UiFontAlt (second font) and
// TextId::UiFontScale (scale).
//
// Threads: main thread only.

#include <QString>

#include <functional>

struct InterfaceFonts {
    QString uiFontName;
    QString uiFontNameAlt;
    double uiFontScale = 0;
};

// Whether a font family of exactly this name is installed; the GUI passes a
// check over QFontDatabase::families(). The core has no font access.
using FontAvailable = std::function<bool(const QString& family)>;

// Each name text is a comma-separated list of candidates (trimmed); the font
// is the first installed one, "Arial" when none is or the text is empty or
// no check is given. The scale is the decimal number at the start of text
// TextId::UiFontScale, 0 when there is none.
InterfaceFonts ChooseInterfaceFonts(const FontAvailable& isInstalled);

// The decimal number at the start of `text` (after white space), 0 when
// there is none.
double LeadingDouble(const QString& text);
