// make-demo [--today YYYY-MM-DD] DEMO_DIR: lays out the demo classroom under
// DEMO_DIR, its past results ending on the given day (today by default).
#include "MakeDemo.h"

#include "core/Text.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

bool WriteDemoTextOnce(const QString& path, const QString& text) {
    if (QFileInfo::exists(path)) return false;
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
    QStringList arguments = app.arguments().mid(1);
    QDate today = QDate::currentDate();
    if (arguments.size() == 3 && arguments[0] == QStringLiteral("--today")) {
        today = QDate::fromString(arguments[1], Qt::ISODate);
        arguments = arguments.mid(2);
    }
    if (arguments.size() != 1 || !today.isValid()) {
        std::fprintf(stderr, "usage: make-demo [--today YYYY-MM-DD] DEMO_DIR\n");
        return 2;
    }
    const QString root = QDir(arguments[0]).absolutePath() + QLatin1Char('/');
    try {
        LayOutDemoConfiguration(root);
        LayOutDemoRoster(root);
        LayOutDemoSounds(root);
        LayOutDemoResults(root, today);
        LayOutDemoMenu(root,
                       QCoreApplication::applicationDirPath() + QStringLiteral("/demo-menu.exe"));
        // The program folder: a copied program goes here, an installed one is
        // pointed at it with --program-folder.
        QDir().mkpath(root + QStringLiteral("circle"));
    } catch (const DataFileError& error) {
        std::fprintf(stderr, "make-demo: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
