// drill-report [--now "YYYY-MM-DD HH:MM:SS"] -o OUT.pdf [--grade GRADE | --student ID...]
//              [--sheet-only] PROGRAM_FOLDER
// Writes one PDF for a parents' evening: the class progress sheet and the
// つまずき page of every grade, then each student's report as the report
// panel shows it, with its つまずき block.

#include "app/CommandLine.h"
#include "app/StudentChoice.h"
#include "core/ProgramState.h"
#include "paper/ClassReport.h"
#include "platform/Process.h"
#include "records/AttemptLog.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"
#include "roster/Roster.h"
#include "rules/ResultsViews.h"
#include "rules/WeakSpots.h"
#include "widgets/BundledFonts.h"

#include <QApplication>
#include <QPrinter>

#include <algorithm>

namespace {

// The levels of each student's page: those the board's "グラフ" button shows.
constexpr int kReportPageLevels = 3;

struct ReportOptions {
    QString output;
    StudentChoice students;
    bool sheetOnly = false;
};

// Takes -o, --grade, --student ID... and --sheet-only.
bool ReadOwnOption(ReportOptions& options, const QStringList& args, qsizetype& i,
                   QString& problem) {
    const QString& option = args[i];
    if (option == QStringLiteral("--sheet-only")) {
        options.sheetOnly = true;
        return true;
    }
    if (ReadStudentOption(options.students, args, i, problem)) return true;
    if (option != QStringLiteral("-o")) return false;
    if (++i >= args.size())
        problem = QStringLiteral("%1 needs a value").arg(option);
    else
        options.output = args[i];
    return true;
}

int WriteReport(ProgramState& state, const ReportOptions& options) {
    ComputeSchoolYear(state);
    CountResultsPatiently(state);
    QString problem;
    const std::vector<SheetStudent> students = ChosenStudents(state, options.students, problem);
    if (!problem.isEmpty()) {
        platform::WriteText(platform::StandardStream::Error,
                            QStringLiteral("drill-report: ") + problem);
        return kBadInput;
    }
    if (!CanWriteOutput("drill-report", options.output)) return 1;

    const QDateTime now = state.platform.clock->now();
    const ClassSheet sheet = BuildClassSheet(state, students, now);
    std::vector<int> levels;
    for (int level = 1; level <= std::min(kReportPageLevels, state.levels.LevelCount); ++level)
        levels.push_back(level);
    const AttemptReading attempts =
        ReadAttemptsSince(AttemptLogPath(state), FirstWeakSpotDay(now.date()));
    // The pages say it too; a teacher at the terminal hears it at once.
    if (!attempts.problem.isEmpty())
        platform::WriteText(platform::StandardStream::Error, QStringLiteral("drill-report: ") +
                                                                 attempts.problem +
                                                                 QLatin1Char('\n'));
    const ReportBlockSource blocks(state, levels, ReadRecentResults(state, kPeriodViewRecords),
                                   now.date(), ReportSettings{}, attempts);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(options.output);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(sheet.classroom + QStringLiteral("　") + sheet.date);
    PrintClassReport(printer, sheet, options.sheetOnly ? std::vector<int>{} : SheetStudents(sheet),
                     blocks);
    return 0;
}

constexpr const char* kUsage =
    "usage: drill-report [--now \"YYYY-MM-DD HH:MM:SS\"] -o OUT.pdf "
    "[--grade GRADE | --student ID...] [--sheet-only] [--program-folder DIR | PROGRAM_FOLDER]\n";

} // namespace

int main(int argc, char** argv) {
    // Only a PDF is drawn: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before any window system is set up, which would say things on standard error.
    if (PrintedHelp(
            QStringList(argv, argv + argc), kUsage,
            "Writes the class progress sheet per grade, then each student's report page, "
            "into one PDF.\n"
            "  --grade GRADE  a grade of the name screen's list (全学年, 小学生全体, 中学生全体,\n"
            "                 小１ .. 中３) or a grade as the sheet prints it (小5, 高1, 幼3);\n"
            "                 full- or half-width digits alike\n"))
        return 0;
    KeepToolkitMessagesQuiet();
    QApplication app(argc, argv);
    LoadFontsBesideProgram();
    QString problem;
    ReportOptions options;
    auto args =
        ParseCommandArguments(QCoreApplication::arguments(), problem,
                              [&options](const QStringList& all, qsizetype& i, QString& problem) {
                                  return ReadOwnOption(options, all, i, problem);
                              });
    if (args && options.output.isEmpty())
        problem = QStringLiteral("no output file given (-o OUT.pdf)");
    if (args && !options.students.students.empty() && options.students.grade)
        problem = QStringLiteral("--grade and --student do not go together");
    if (!args || !problem.isEmpty()) {
        platform::WriteText(
            platform::StandardStream::Error,
            QStringLiteral("drill-report: %1\n%2").arg(problem, QString::fromUtf8(kUsage)));
        return kBadInput;
    }
    return RunOnClassroom("drill-report", *args,
                          [&options](ProgramState& state) { return WriteReport(state, options); });
}
