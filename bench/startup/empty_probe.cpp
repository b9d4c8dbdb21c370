// The reference: a minimal Qt Widgets program showing an empty window.
#include "ShownMarker.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(999, 600);
    ShownMarker marker(&window);
    window.show();
    return app.exec();
}
