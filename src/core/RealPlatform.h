#pragma once
// The real seams (the sound output lives in audio/, the navigator in app/).

#include "core/Platform.h"

#include <QElapsedTimer>

#include <random>

class QWidget;

class SystemClock : public Clock {
public:
    SystemClock();
    QDateTime now() const override;
    double monotonicSeconds() const override;
    void wait(int milliseconds) override;

private:
    QElapsedTimer monotonic_;
};

class MersenneRandom : public RandomSource {
public:
    void seed(std::uint32_t value) override;
    double next() override;

private:
    std::mt19937 engine_{0};
    std::uniform_real_distribution<double> uniform_{0.0, 1.0};
};

class MessageBoxDialogs : public Dialogs {
public:
    explicit MessageBoxDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void inform(const QString& title, const QString& text) override;
    bool askYesNo(const QString& title, const QString& text) override;
    bool askOkCancel(const QString& title, const QString& text) override;

private:
    QWidget* parent_;
};

class ProcessLauncher : public Launcher {
public:
    bool start(const QString& program, const QStringList& arguments) override;
};
