#include "BenchHarness.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <benchmark/benchmark.h>

QString BenchRoot() {
    const QByteArray fromEnvironment = qgetenv("DRILL_BENCH_DATA");
    const QString root = fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() +
                                                         QStringLiteral("/bench-data")
                                                   : QString::fromLocal8Bit(fromEnvironment);
    return QDir(root).absolutePath() + QLatin1Char('/');
}

void AbortingDialogs::inform(const QString&, const QString& text) {
    qFatal("bench: %s", qPrintable(text));
}

BenchClassroom::BenchClassroom() {
    MakeBenchData(root);
    PrepareBenchState(*state, root);
    state->platform.clock = &clock;
    state->platform.dialogs = &dialogs;
}

namespace {
int RunSpecified(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
} // namespace

int RunBenchmarks(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return RunSpecified(argc, argv);
}

int RunScreenBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 12));
    return RunSpecified(argc, argv);
}
