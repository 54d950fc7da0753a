// make-demo DEMO_DIR: lays out the demo classroom under DEMO_DIR.
#include "MakeDemo.h"

#include "core/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

bool WriteDemoTextOnce(const QString& path, const QString& text) {
    if (QFileInfo::exists(path))
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw DataFileError(QStringLiteral("cannot write ") + path);
    file.write(EncodeCp932(crlf));
    return true;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo DEMO_DIR\n");
        return 2;
    }
    const QString root = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');
    try {
        LayOutDemoConfiguration(root);
        LayOutDemoRoster(root);
        LayOutDemoSounds(root);
        LayOutDemoResults(root);
        LayOutDemoMenu(root);
    } catch (const DataFileError& error) {
        std::fprintf(stderr, "make-demo: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
