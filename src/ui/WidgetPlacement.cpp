#include "ui/WidgetPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {
// How much of the window's top strip must lie on a screen for the user to
// reach it and drag the window.
constexpr int kGripWidth = 100, kGripHeight = 24;
} // namespace

namespace WidgetPlacement {
QRect FitOnScreens(const QRect& window, const QList<QRect>& screens, QSize minimum) {
    if (screens.isEmpty())
        return window;
    const QRect grip(window.topLeft(), QSize(window.width(), kGripHeight));
    for (const QRect& screen : screens) {
        const QRect shared = grip.intersected(screen);
        if (shared.width() >= std::min(kGripWidth, window.width()) && shared.height() >= kGripHeight)
            return window; // reachable where it is
    }
    // Onto the screen it overlaps most, else the first (the primary one):
    // moved in as far as needed, its top left corner always on the screen.
    const QRect* target = &screens.front();
    qint64 best = 0;
    for (const QRect& screen : screens) {
        const QRect shared = window.intersected(screen);
        const qint64 area = qint64(shared.width()) * shared.height();
        if (area > best) {
            best = area;
            target = &screen;
        }
    }
    QRect fitted = window;
    fitted.setSize(window.size().boundedTo(target->size()).expandedTo(minimum));
    fitted.moveLeft(std::max(target->left(), std::min(window.left(), target->right() + 1 - fitted.width())));
    fitted.moveTop(std::max(target->top(), std::min(window.top(), target->bottom() + 1 - fitted.height())));
    return fitted;
}

void Apply(QWidget* window, const WindowPlacement& p) {
    QRect normal(QPoint(p.left, p.top), QSize(p.right - p.left, p.bottom - p.top));
    normal.setSize(normal.size().expandedTo(window->minimumSize()));
    // A window stored on a screen that is gone opens on one that is there.
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            screens << screen->availableGeometry();
    window->setGeometry(FitOnScreens(normal, screens, window->minimumSize()));
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
