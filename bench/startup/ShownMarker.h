#pragma once
// Prints "shown" once the watched window has been painted for the first
// time (so it is on the screen), then ends the program. It also says whether
// the embedded browser's library was loaded by then.
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTimer>

#include <cstdio>

class ShownMarker : public QObject {
  public:
    explicit ShownMarker(QObject* window) { window->installEventFilter(this); }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            // After this paint has been handed to the display.
            QTimer::singleShot(0, [] {
                QFile maps(QStringLiteral("/proc/self/maps"));
                const bool browser = maps.open(QIODevice::ReadOnly) && maps.readAll().contains("WebEngine");
                std::printf("shown browser=%d\n", browser ? 1 : 0);
                std::fflush(stdout);
                QApplication::exit(0);
            });
        }
        return false;
    }

  private:
    bool done_ = false;
};
