// SPDX-License-Identifier: MIT
// The one QGuiApplication of a test program whose suites draw with Qt: an inline
// function's static is one object however many files ask for it.
#pragma once

#include <QGuiApplication>

namespace orlika::test {

inline QGuiApplication& guiApplication()
{
    static int argc = 1;
    static char name[] = "orlika_render_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

} // namespace orlika::test
