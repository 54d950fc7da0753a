#pragma once
// Clicking the drill screen's keypad as a student does, for screen tests.

#include <QLabel>
#include <QString>
#include <QStringList>
#include <QTest>

#include <functional>
#include <stdexcept>

// How a key is pressed: a click on the key itself unless a test clicks
// elsewhere (through a scaled window, by touch).
using KeyPress = std::function<void(QWidget* key)>;
inline void ClickKey(QWidget* key) {
    QTest::mouseClick(key, Qt::LeftButton);
}

// Clicks the key whose caption is the given text ("4", "×", "3.14", "BS").
inline void PressKey(QWidget* drill, const QString& caption, const KeyPress& press = ClickKey) {
    for (const char* name :
         {"Label5_13", "Label5_1", "Label5_12", "Label5_2", "Label5_0", "Label6_1"}) {
        auto* key = drill->findChild<QLabel*>(QString::fromLatin1(name));
        if (key && key->text() == caption) {
            press(key);
            return;
        }
    }
    throw std::runtime_error(("no key " + caption).toStdString());
}

// Clicks a formula in key by key: its parts between the "×" signs are key captions.
inline void EnterFormula(QWidget* drill, const QString& formula, const KeyPress& press = ClickKey) {
    const QString times = QStringLiteral("\u00D7");
    const QStringList parts = formula.split(times);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) PressKey(drill, times, press);
        PressKey(drill, parts[i], press);
    }
}
