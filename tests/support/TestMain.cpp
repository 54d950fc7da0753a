// The tests of the window-free libraries run with a core application only: no
// platform plugin, no fonts, nothing that a widget could lean on.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
