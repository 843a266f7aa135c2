// The one QApplication of the Qt suites (offscreen unless the environment names a platform).
#pragma once

#include <QApplication>
#include <cstdlib>

namespace qt_test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace qt_test
