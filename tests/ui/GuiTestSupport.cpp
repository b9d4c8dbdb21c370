#include "ui/GuiTestSupport.h"

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "zorv-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
