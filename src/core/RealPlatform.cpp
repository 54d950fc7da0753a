#include "core/RealPlatform.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

double Clock::secondsSinceMidnight() const {
    return now().time().msecsSinceStartOfDay() / 1000.0;
}

SystemClock::SystemClock() {
    monotonic_.start();
}

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

double SystemClock::monotonicSeconds() const {
    return monotonic_.nsecsElapsed() / 1e9;
}

void SystemClock::wait(int milliseconds) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
}

void MersenneRandom::seed(std::uint32_t value) {
    engine_.seed(value);
    uniform_.reset();
}

double MersenneRandom::next() {
    return uniform_(engine_);
}

bool ProcessLauncher::start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}
