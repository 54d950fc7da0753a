// drill-report [--now "YYYY-MM-DD HH:MM:SS"] -o OUT.pdf [--grade GRADE | --student ID...]
//              [--sheet-only] PROGRAM_FOLDER
// Writes one PDF for a parents' evening: the class progress sheet and the
// つまずき page of every grade, then each student's report as the report
// panel shows it, with its つまずき block.

#include "app/CommandLine.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "paper/ClassReport.h"
#include "platform/Process.h"
#include "records/AttemptLog.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"
#include "roster/NameList.h"
#include "roster/Roster.h"
#include "rules/ResultsViews.h"
#include "rules/WeakSpots.h"
#include "widgets/BundledFonts.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>

#include <algorithm>
#include <optional>
#include <set>

namespace {

// The levels of each student's page: those the board's "グラフ" button shows.
constexpr int kReportPageLevels = 3;

struct ReportOptions {
    QString output;
    std::optional<GradeChoice> grade;
    QString gradeText = kAllGrades; // as given, for messages
    std::vector<int> students;
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
    if (option == QStringLiteral("--student")) {
        // The IDs run up to the next argument that is not a number.
        for (bool isId = true; i + 1 < args.size(); ++i) {
            const int id = args[i + 1].toInt(&isId);
            if (!isId) break;
            options.students.push_back(id);
        }
        if (options.students.empty()) problem = QStringLiteral("--student needs one or more IDs");
        return true;
    }
    if (option != QStringLiteral("-o") && option != QStringLiteral("--grade")) return false;
    if (++i >= args.size()) {
        problem = QStringLiteral("%1 needs a value").arg(option);
        return true;
    }
    if (option == QStringLiteral("-o")) {
        options.output = args[i];
        return true;
    }
    options.grade = ReadGradeChoice(args[i]);
    options.gradeText = args[i];
    if (!options.grade)
        problem =
            QStringLiteral("--grade \"%1\" is not a grade: one of %2, or a grade as the "
                           "sheet prints it (小5, 中２, 高1, ...)")
                .arg(args[i], QStringList(GradeFilterEntries().begin(), GradeFilterEntries().end())
                                  .join(QLatin1Char(' ')));
    return true;
}

// The name list's students, narrowed to the IDs asked for (in the list's order).
std::vector<SheetStudent> ChosenStudents(ProgramState& state, const ReportOptions& options,
                                         QString& problem) {
    const GradeChoice grade = options.grade.value_or(GradeChoice{});
    std::vector<SheetStudent> students =
        ReadPatientlyValue(state, [&] { return NameListStudents(state, grade); });
    if (!options.students.empty()) {
        const std::set<int> wanted(options.students.begin(), options.students.end());
        std::set<int> listed;
        std::erase_if(students, [&](const SheetStudent& s) { return !wanted.contains(s.id); });
        for (const SheetStudent& s : students)
            listed.insert(s.id);
        for (const int id : wanted)
            if (!listed.contains(id))
                problem += QStringLiteral("student %1 is not on the name list under %2\n")
                               .arg(id)
                               .arg(options.gradeText);
    }
    if (students.empty() && problem.isEmpty())
        problem = QStringLiteral("no student on the name list under %1\n").arg(options.gradeText);
    return students;
}

int WriteReport(ProgramState& state, const ReportOptions& options) {
    ComputeSchoolYear(state);
    ReadPatiently(state, [&] { CountResults(state); });
    QString problem;
    const std::vector<SheetStudent> students = ChosenStudents(state, options, problem);
    if (!problem.isEmpty()) {
        platform::WriteText(platform::StandardStream::Error,
                            QStringLiteral("drill-report: ") + problem);
        return kBadInput;
    }
    // The printer reports nothing when it cannot write its file.
    QFile probe(options.output);
    if (!probe.open(QIODevice::WriteOnly)) {
        platform::WriteText(platform::StandardStream::Error,
                            QStringLiteral("drill-report: cannot write %1: %2\n")
                                .arg(options.output, probe.errorString()));
        return 1;
    }
    probe.close();

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
    const ReportBlockSource blocks(
        state, levels,
        ReadPatientlyValue(state, [&] { return ReadRecentResults(state, kPeriodViewRecords); }),
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
    if (args && !options.students.empty() && options.grade)
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
