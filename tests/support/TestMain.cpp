// The tests of the window-free libraries run with a core application only: no
// platform plugin, no fonts, nothing that a widget could lean on.
#include <gtest/gtest.h>

#include "ChildProcess.h"

#include <QCoreApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
    EndDescendantsWithThisProcess();
    QCoreApplication app(argc, argv);
    // Runs kept for later go to a test folder, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
