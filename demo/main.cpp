// make-demo [--help | --version] [--today YYYY-MM-DD] DEMO_DIR: lays out the
// demo classroom under DEMO_DIR, its past results ending on the given day
// (today by default).
#include "MakeDemo.h"

#include "app/CommandLine.h"
#include "core/Text.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>

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

namespace {

constexpr const char* kUsage = "usage: make-demo [--help | --version] [--today YYYY-MM-DD] "
                               "DEMO_DIR\n";

struct DemoArguments {
    QDate today = QDate::currentDate();
    QString folder;
};

// --today and one folder; a folder whose name starts with "-" is given as "./-name".
std::optional<DemoArguments> ReadDemoArguments(const QStringList& args, QString& problem) {
    DemoArguments parsed;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QStringLiteral("--today")) {
            if (++i >= args.size()) {
                problem = QStringLiteral("--today needs a value");
                return std::nullopt;
            }
            parsed.today = QDate::fromString(args[i], Qt::ISODate);
            if (!parsed.today.isValid()) {
                problem = QStringLiteral("--today \"%1\" is not YYYY-MM-DD").arg(args[i]);
                return std::nullopt;
            }
        } else if (arg.startsWith(QLatin1Char('-')) || !parsed.folder.isEmpty()) {
            problem = QStringLiteral("unexpected argument \"%1\"").arg(arg);
            return std::nullopt;
        } else {
            parsed.folder = arg;
        }
    }
    if (parsed.folder.isEmpty()) {
        problem = QStringLiteral("no DEMO_DIR given");
        return std::nullopt;
    }
    return parsed;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (PrintedHelp(app.arguments(), kUsage,
                    "Lays out a complete demo classroom under DEMO_DIR: settings, roster, "
                    "criteria,\npast results, sounds and a program menu. Files that exist are "
                    "left as they are.\n"
                    "  --today YYYY-MM-DD  let the past results end on this day\n"))
        return 0;
    QString problem;
    const std::optional<DemoArguments> arguments = ReadDemoArguments(app.arguments(), problem);
    if (!arguments) {
        std::fprintf(stderr, "make-demo: %s\n%s", qPrintable(problem), kUsage);
        return kBadInput;
    }
    const QDate today = arguments->today;
    const QString root = QDir(arguments->folder).absolutePath() + QLatin1Char('/');
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
