#pragma once
// The CAPTCHA and sign-in dialogs as the window opens them: the browser
// module is loaded from the application folder the first time one is needed.
//
// Threads: the window's thread only.

#include <QString>

class QWidget;

// Shows the CAPTCHA dialog (code 207) or the sign-in dialog (code 208) at
// `address` modally and returns when it has closed, however it closed. False,
// with the reason logged, when the browser module cannot be loaded; the
// caller then tells the user in another way.
bool RunBrowserDialog(int code, const QString& address, QWidget* parent);
