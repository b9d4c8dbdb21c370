#include "app/preview/VideoRendererWindow.h"

VideoRendererWindow::VideoRendererWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("VideoRendererWindow"));
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, QColor(16, 0, 0));
    setPalette(dark);
    setCursor(Qt::ArrowCursor);
    winId(); // the native window exists from now on
}
