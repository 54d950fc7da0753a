#pragma once
// Clicking the drill screen's keypad as a student does, for screen tests.

#include <QLabel>
#include <QString>
#include <QStringList>
#include <QTest>

#include <stdexcept>

// Clicks the key whose caption is the given text ("4", "×", "3.14", "BS").
inline void PressKey(QWidget* drill, const QString& caption) {
    for (const char* name : {"Label5_13", "Label5_1", "Label5_12", "Label5_2", "Label5_0", "Label6_1"}) {
        auto* key = drill->findChild<QLabel*>(QString::fromLatin1(name));
        if (key && key->text() == caption) {
            QTest::mouseClick(key, Qt::LeftButton);
            return;
        }
    }
    throw std::runtime_error(("no key " + caption).toStdString());
}

// Clicks a formula in key by key: its parts between the "×" signs are key captions.
inline void EnterFormula(QWidget* drill, const QString& formula) {
    const QString times = QStringLiteral("\u00D7");
    const QStringList parts = formula.split(times);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            PressKey(drill, times);
        PressKey(drill, parts[i]);
    }
}
