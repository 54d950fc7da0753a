#pragma once
// The real window-free seams (the sound output lives in audio/, the dialogs in
// widgets/, the navigator in app/).

#include "core/Platform.h"

#include <QElapsedTimer>

#include <random>

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

class ProcessLauncher : public Launcher {
  public:
    bool start(const QString& program, const QStringList& arguments) override;
};
