#pragma once
// What every benchmark stands on: the bench data laid out once, a state over
// it at a fixed moment, and the benchmark runner.

#include "BenchData.h"

#include "core/Platform.h"
#include "core/ProgramState.h"

#include <QDateTime>
#include <QString>

#include <memory>

// DRILL_BENCH_DATA, or bench-data beside the executable.
QString BenchRoot();

// A clock that stands still at a given moment; waits do nothing.
class StillClock : public Clock {
  public:
    explicit StillClock(QDateTime at) : at_(std::move(at)) {}
    QDateTime now() const override { return at_; }
    double monotonicSeconds() const override { return 0; }
    void wait(int) override {}

  private:
    QDateTime at_;
};

// A benchmark never meets a message; if it does, its figure is void.
class AbortingDialogs : public Dialogs {
  public:
    void inform(const QString& title, const QString& text) override;
    bool askYesNo(const QString&, const QString&) override { return true; }
    bool askOkCancel(const QString&, const QString&) override { return true; }
};

// The bench data (made when absent) and a state over it at 17:00 of the bench
// classroom's today.
struct BenchClassroom {
    QString root = BenchRoot();
    StillClock clock{QDateTime(kBenchToday, QTime(17, 0))};
    AbortingDialogs dialogs;
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();

    BenchClassroom();
};

// Runs the benchmarks named on the command line (all by default).
int RunBenchmarks(int argc, char** argv);
// The same under an offscreen application in the screens' font, for benchmarks of screens.
int RunScreenBenchmarks(int argc, char** argv);
