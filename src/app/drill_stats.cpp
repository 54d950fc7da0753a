// drill-stats [--now "YYYY-MM-DD HH:MM:SS"] [--program-folder DIR | PROGRAM_FOLDER]
// Writes every listed student's figures per level as UTF-8 CSV, computed from
// the results file exactly as the level board computes them.

#include "app/Configuration.h"
#include "app/ProgramFolder.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "core/Text.h"
#include "records/Counts.h"
#include "records/Statistics.h"
#include "roster/Roster.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

constexpr int kBadInput = 2;

// The wall clock, or a moment fixed by --now; waits simply sleep.
class StatsClock : public Clock {
public:
    explicit StatsClock(std::optional<QDateTime> fixed) : fixed_(std::move(fixed)) { monotonic_.start(); }
    QDateTime now() const override { return fixed_ ? *fixed_ : QDateTime::currentDateTime(); }
    double monotonicSeconds() const override { return monotonic_.elapsed() / 1000.0; }
    void wait(int milliseconds) override { QThread::msleep(milliseconds); }

private:
    std::optional<QDateTime> fixed_;
    QElapsedTimer monotonic_;
};

// Messages meant for a message box go to standard error.
class StderrDialogs : public Dialogs {
public:
    void inform(const QString& title, const QString& text) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool askYesNo(const QString& title, const QString& text) override {
        inform(title, text);
        return false;
    }
    bool askOkCancel(const QString& title, const QString& text) override { return askYesNo(title, text); }
};

struct Arguments {
    std::optional<QDateTime> now;
    QString programFolder;
};

std::optional<Arguments> ParseArguments(QStringList args, QString& problem) {
    Arguments parsed;
    const ProgramFolderChoice option = TakeProgramFolder(args, QCoreApplication::applicationDirPath());
    if (!option.problem.isEmpty()) {
        problem = option.problem;
        return std::nullopt;
    }
    if (option.given)
        parsed.programFolder = option.folder;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--now")) {
            if (++i >= args.size()) {
                problem = QStringLiteral("--now needs a value");
                return std::nullopt;
            }
            const QDateTime when = QDateTime::fromString(args[i], QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (!when.isValid()) {
                problem = QStringLiteral("--now \"%1\" is not YYYY-MM-DD HH:MM:SS").arg(args[i]);
                return std::nullopt;
            }
            parsed.now = when;
        } else if (args[i].startsWith(QStringLiteral("--")) || !parsed.programFolder.isEmpty()) {
            problem = QStringLiteral("unexpected argument \"%1\"").arg(args[i]);
            return std::nullopt;
        } else {
            parsed.programFolder = args[i];
        }
    }
    if (parsed.programFolder.isEmpty())
        parsed.programFolder = option.folder;
    if (!QDir(parsed.programFolder).exists()) {
        problem = QStringLiteral("program folder %1 does not exist").arg(parsed.programFolder);
        return std::nullopt;
    }
    return parsed;
}

// The students the level board lists as current (status 0), by ID.
std::vector<int> CurrentStudents(ProgramState& state) {
    std::vector<int> students;
    for (const ListedStudent& student : ReadBoardRoster(state))
        students.push_back(student.Id);
    std::sort(students.begin(), students.end());
    return students;
}

constexpr const char* kUsage = "usage: drill-stats [--now \"YYYY-MM-DD HH:MM:SS\"] [--program-folder DIR | PROGRAM_FOLDER]\n";

// "--help" anywhere: the usage on standard output, and nothing else is done.
bool PrintedHelp(const QStringList& args) {
    if (!args.mid(1).contains(QStringLiteral("--help")))
        return false;
    std::fputs(kUsage, stdout);
    std::fputs("Writes every listed student's figures per level as UTF-8 CSV on standard output.\n", stdout);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (PrintedHelp(QCoreApplication::arguments()))
        return 0;
    QString problem;
    const auto args = ParseArguments(QCoreApplication::arguments(), problem);
    if (!args) {
        std::fprintf(stderr, "drill-stats: %s\n%s", qPrintable(problem), kUsage);
        return kBadInput;
    }

    StatsClock clock(args->now);
    StderrDialogs dialogs;
    ProgramState state;
    state.platform.clock = &clock;
    state.platform.dialogs = &dialogs;
    try {
        LoadConfiguration(state, QDir(args->programFolder).absolutePath());
        BuildLevelTable(state);
        const std::vector<int> students = CurrentStudents(state);
        CountResults(state);
        const QByteArray csv = FiguresCsv(CollectFigures(state, students));
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
    } catch (const ShownFileError&) {
        return kBadInput; // told on standard error already
    } catch (const DataFileError& error) {
        std::fprintf(stderr, "drill-stats: %s\n", qPrintable(error.message()));
        return kBadInput;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
