// Every test executable runs with a QApplication, offscreen, in Japanese fonts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
