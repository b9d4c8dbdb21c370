#include "ui/WidgetPlacement.h"

#include <QWidget>

namespace WidgetPlacement {
void Apply(QWidget* window, const WindowPlacement& p) {
    QRect normal(QPoint(p.left, p.top), QSize(p.right - p.left, p.bottom - p.top));
    normal.setSize(normal.size().expandedTo(window->minimumSize()));
    window->setGeometry(normal);
    if (p.showCmd == WindowPlacement::kShowMaximized)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

WindowPlacement Read(const QWidget* window) {
    WindowPlacement p;
    const Qt::WindowStates state = window->windowState();
    QRect normal = window->geometry();
    if ((state & (Qt::WindowMaximized | Qt::WindowMinimized)) && window->normalGeometry().isValid())
        normal = window->normalGeometry();
    p.left = normal.left();
    p.top = normal.top();
    p.right = normal.left() + normal.width();
    p.bottom = normal.top() + normal.height();
    if (state & Qt::WindowMaximized)
        p.showCmd = WindowPlacement::kShowMaximized;
    else if (state & Qt::WindowMinimized)
        p.showCmd = WindowPlacement::kShowMinimized;
    else
        p.showCmd = WindowPlacement::kShowNormal;
    return p;
}
} // namespace WidgetPlacement
