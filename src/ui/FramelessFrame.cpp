#include "ui/FramelessFrame.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPainterPath>
#include <QWidget>
#include <QWindow>

FramelessFrame::FramelessFrame(QWidget* window) : QObject(window), window_(window) {
    window_->setWindowFlag(Qt::FramelessWindowHint, true);
    window_->setMouseTracking(true);
    window_->installEventFilter(this);
}

void FramelessFrame::AddSurface(QWidget* container) {
    // A widget without tracking swallows button-less moves instead of
    // passing them on to the window.
    container->setMouseTracking(true);
}

Qt::Edges FramelessFrame::EdgesAt(QPoint pos, QSize size) {
    Qt::Edges edges;
    if (pos.x() < kResizeBorder)
        edges |= Qt::LeftEdge;
    if (pos.x() >= size.width() - kResizeBorder)
        edges |= Qt::RightEdge;
    if (pos.y() < kResizeBorder)
        edges |= Qt::TopEdge;
    if (pos.y() >= size.height() - kResizeBorder)
        edges |= Qt::BottomEdge;
    return edges;
}

Qt::CursorShape FramelessFrame::CursorFor(Qt::Edges edges) {
    const bool left = edges & Qt::LeftEdge, right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge, bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom))
        return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom))
        return Qt::SizeBDiagCursor;
    if (left || right)
        return Qt::SizeHorCursor;
    if (top || bottom)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

QRegion FramelessFrame::Outline(QSize size) {
    QPainterPath path;
    const qreal radius = kCornerEllipse / 2.0;
    path.addRoundedRect(QRectF(0, 0, size.width(), size.height()), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

bool FramelessFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        // The offscreen platform (tests) has no window shapes.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            window_->setMask(Outline(window_->size()));
        break;
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (movePending_ && (mouse->buttons() & Qt::LeftButton)) {
            // Moving starts once the mouse travels, so a double click in the
            // top strip still arrives as one.
            if ((mouse->position().toPoint() - pressPos_).manhattanLength() >=
                QApplication::startDragDistance()) {
                movePending_ = false;
                if (QWindow* handle = window_->windowHandle())
                    handle->startSystemMove();
            }
            return true;
        }
        if (mouse->buttons() == Qt::NoButton) {
            const Qt::Edges edges =
                window_->isMaximized() ? Qt::Edges() : EdgesAt(mouse->position().toPoint(), window_->size());
            if (edges)
                window_->setCursor(CursorFor(edges));
            else
                window_->unsetCursor();
        }
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        QWindow* handle = window_->windowHandle();
        if (mouse->button() != Qt::LeftButton || !handle)
            break;
        const Qt::Edges edges =
            window_->isMaximized() ? Qt::Edges() : EdgesAt(mouse->position().toPoint(), window_->size());
        if (edges) {
            handle->startSystemResize(edges);
        } else {
            movePending_ = true;
            pressPos_ = mouse->position().toPoint();
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        movePending_ = false;
        break;
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        if (mouse->button() != Qt::LeftButton || pos.y() >= kTopStripHeight)
            break;
        if (pos.x() < kCloseCornerWidth)
            Q_EMIT closeRequested();
        else
            Q_EMIT toggleMaximizeRequested();
        return true;
    }
    default:
        break;
    }
    return false;
}
