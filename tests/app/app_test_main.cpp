// SPDX-License-Identifier: MIT
// The GUI suites run the real windows without a display, with a desktop trash of their own.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Deleted designs go to the trash under the user's data folder: here a temporary one,
    // on the file system of the tests' own temporary folders.
    QTemporaryDir data;
    if (!data.isValid())
        return 1;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
