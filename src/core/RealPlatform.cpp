#include "core/RealPlatform.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QThread>

double Clock::secondsSinceMidnight() const { return now().time().msecsSinceStartOfDay() / 1000.0; }

SystemClock::SystemClock() { monotonic_.start(); }

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

double SystemClock::monotonicSeconds() const { return monotonic_.nsecsElapsed() / 1e9; }

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

double MersenneRandom::next() { return uniform_(engine_); }

void MessageBoxDialogs::inform(const QString& title, const QString& text) {
    QMessageBox::information(parent_, title, text, QMessageBox::Ok);
}

bool MessageBoxDialogs::askYesNo(const QString& title, const QString& text) {
    return QMessageBox::question(parent_, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool MessageBoxDialogs::askOkCancel(const QString& title, const QString& text) {
    return QMessageBox::question(parent_, title, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

bool ProcessLauncher::start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}
