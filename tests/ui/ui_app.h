#pragma once

// The one QApplication of the window tests, shared by every test file. It
// lives to the process's end and is never destroyed: a static one would be
// destroyed after Qt's own list of input devices, which a shown window
// fills, and crash the exit.

#include <QApplication>

inline QApplication& test_app() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}
