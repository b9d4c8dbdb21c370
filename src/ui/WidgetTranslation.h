#pragma once
// Translating a dialog's widgets through the current language file: every
// descendant carrying a control identifier (dynamic property "ctrlId") takes
// the language's text for it, and the caption its "title".
//
// Threads: main thread only.

class QWidget;

namespace WidgetTranslation {
inline constexpr const char* kCtrlIdProperty = "ctrlId";
// Tags `widget` with its control identifier.
void SetCtrlId(QWidget* widget, int ctrlId);
// Section "DIALOG_IDD_<idd>" of the current language file; `idd` 0 passes
// every text through the dictionary instead and leaves the caption alone.
void TranslateDialog(QWidget* dialog, int idd);
} // namespace WidgetTranslation
