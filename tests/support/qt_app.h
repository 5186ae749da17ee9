// One QApplication for a widget test program, made on first use (offscreen under CTest).
#pragma once

#include <QApplication>

namespace snx::test {

inline QApplication& QtApp() {
    static int argc = 1;
    static char name[] = "sonatrix-test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace snx::test
