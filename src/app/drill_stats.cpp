// drill-stats [--now "YYYY-MM-DD HH:MM:SS"] [--attempts] [-o FILE]
//             [--program-folder DIR | PROGRAM_FOLDER]
// Writes every listed student's figures per level as UTF-8 CSV, computed from
// the results file exactly as the level board computes them (with --attempts
// their attempts, one line each, from the attempt log): on standard output,
// or into FILE with a byte order mark for spreadsheets.

#include "app/CommandLine.h"
#include "core/ProgramState.h"
#include "platform/Process.h"
#include "records/AttemptLog.h"
#include "records/Counts.h"
#include "records/Statistics.h"
#include "roster/Roster.h"
#include "rules/AttemptExport.h"
#include "rules/ResultsViews.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// The students the level board lists as current (status 0), by ID.
std::vector<StatsStudent> CurrentStudents(ProgramState& state) {
    std::vector<StatsStudent> students;
    for (const ListedStudent& student : ReadBoardRoster(state))
        students.push_back(
            {student.Id, student.Name,
             ShortGradeLabel(GradeNumber(state.roster.SchoolYear, student.BirthYear))});
    std::sort(students.begin(), students.end(),
              [](const StatsStudent& a, const StatsStudent& b) { return a.id < b.id; });
    return students;
}

constexpr const char* kUsage =
    "usage: drill-stats [--now \"YYYY-MM-DD HH:MM:SS\"] [--attempts] [-o FILE] "
    "[--program-folder DIR | PROGRAM_FOLDER]\n";

// The over-practice flag says what the board shows: "やりすぎ禁止" over the start
// button, which is never on the last level nor once the final level is passed.
void MarkBoardLocks(const ProgramState& state, std::vector<StudentLevelFigures>& rows) {
    int student = -1;
    LevelAvailability availability;
    for (StudentLevelFigures& row : rows) {
        if (row.student != student) {
            student = row.student;
            availability = LevelAvailabilityFor(state, student, row.name);
        }
        row.overPractised = std::size_t(row.level) < availability.locked.size() &&
                            availability.locked[std::size_t(row.level)];
    }
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    const QString problem = ReplaceWholeFile(path, bytes);
    if (problem.isEmpty()) return true;
    platform::WriteText(platform::StandardStream::Error,
                        QStringLiteral("drill-stats: %1\n").arg(problem));
    return false;
}

// Every attempt the log holds; what it could not read is said, the rest written.
QByteArray AttemptsTable(ProgramState& state, const std::vector<StatsStudent>& students) {
    const AttemptReading reading =
        ReadLastAttempts(AttemptLogPath(state), std::numeric_limits<qint64>::max());
    if (!reading.problem.isEmpty())
        platform::WriteText(platform::StandardStream::Error,
                            QStringLiteral("drill-stats: ") + reading.problem + QLatin1Char('\n'));
    return AttemptsCsv(reading.records, students);
}

struct StatsOptions {
    QString output;
    bool attempts = false;
};

} // namespace

int main(int argc, char** argv) {
    KeepToolkitMessagesQuiet();
    QCoreApplication app(argc, argv);
    if (PrintedHelp(
            QCoreApplication::arguments(), kUsage,
            "Writes every listed student's figures per level as UTF-8 CSV on standard output,\n"
            "or with -o into FILE with a byte order mark for spreadsheets.\n"
            "  --attempts  one line per answered problem of the attempt log instead\n"))
        return 0;
    QString problem;
    StatsOptions options;
    const auto args =
        ParseCommandArguments(QCoreApplication::arguments(), problem,
                              [&options](const QStringList& all, qsizetype& i, QString& problem) {
                                  if (all[i] == QStringLiteral("--attempts")) {
                                      options.attempts = true;
                                      return true;
                                  }
                                  if (all[i] != QStringLiteral("-o")) return false;
                                  if (++i >= all.size())
                                      problem = QStringLiteral("-o needs a file name");
                                  else
                                      options.output = all[i];
                                  return true;
                              });
    if (!args) {
        platform::WriteText(
            platform::StandardStream::Error,
            QStringLiteral("drill-stats: %1\n%2").arg(problem, QString::fromUtf8(kUsage)));
        return kBadInput;
    }
    return RunOnClassroom("drill-stats", *args, [&options](ProgramState& state) {
        const std::vector<StatsStudent> students = CurrentStudents(state);
        QByteArray csv;
        if (options.attempts) {
            csv = AttemptsTable(state, students);
        } else {
            CountResultsPatiently(state);
            std::vector<StudentLevelFigures> rows = CollectFigures(state, students);
            MarkBoardLocks(state, rows);
            csv = FiguresCsv(rows);
        }
        const QString& output = options.output;
        if (!output.isEmpty()) return WriteFile(output, kUtf8ByteOrderMark + csv) ? 0 : 1;
        platform::SetStandardOutputBinary();
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    });
}
