// make-bench-data ROOT: writes the benchmark classroom under ROOT (kept when there).
#include "BenchData.h"

#include "core/Text.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-bench-data ROOT\n");
        return 2;
    }
    try {
        MakeBenchData(QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/'));
    } catch (const DataFileError& error) {
        std::fprintf(stderr, "make-bench-data: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
