// The screen tests run with the program's application object, offscreen,
// in Japanese fonts.
#include <gtest/gtest.h>

#include "ChildProcess.h"

#include "widgets/GuardedApplication.h"

#include <QFont>
#include <QStandardPaths>

int main(int argc, char** argv) {
    EndDescendantsWithThisProcess();
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    GuardedApplication app(argc, argv);
    // Runs kept for later go to a test folder, never the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
