// drill-worksheet [--now "YYYY-MM-DD HH:MM:SS"] -o OUT.pdf (--level N... | --kinds K,K)
//                 [--count K] [--per-page P] [--values] [--seed S] [--no-key]
//                 [--grade GRADE | --student ID...] [--weak] PROGRAM_FOLDER
// Writes homework worksheets of the drill's own problems into one PDF: one
// sheet per student asked for (or one without a name), each with its answer
// key; with --weak each student's sheet practises their wrong answers.

#include "app/CommandLine.h"
#include "app/StudentChoice.h"
#include "core/ProgramState.h"
#include "core/RealPlatform.h"
#include "core/Seeding.h"
#include "core/SharedReading.h"
#include "paper/WorksheetDrawing.h"
#include "platform/Process.h"
#include "records/AttemptLog.h"
#include "records/Counts.h"
#include "roster/Roster.h"
#include "rules/Worksheet.h"
#include "widgets/BundledFonts.h"

#include <QApplication>
#include <QPrinter>

#include <optional>

namespace {

struct WorksheetOptions {
    QString output;
    StudentChoice students;
    WorksheetSettings settings;
    std::optional<std::uint32_t> seed;
};

// A whole number from `least` to `most`, or a problem that says so.
std::optional<int> NumberIn(const QString& option, const QString& text, int least, int most,
                            QString& problem) {
    bool isNumber = false;
    const int n = text.toInt(&isNumber);
    if (isNumber && n >= least && n <= most) return n;
    problem = QStringLiteral("%1 \"%2\" is not a number from %3 to %4")
                  .arg(option, text)
                  .arg(least)
                  .arg(most);
    return std::nullopt;
}

bool ReadKinds(WorksheetOptions& options, const QString& text, QString& problem) {
    for (const QString& part : text.split(QLatin1Char(','))) {
        const auto kind = NumberIn(QStringLiteral("--kinds"), part, 1, 4, problem);
        if (!kind) return false;
        options.settings.kinds.push_back(ProblemKind(*kind));
    }
    return true;
}

// Takes a value option at args[i]; false when args[i] is none of them.
bool ReadValueOption(WorksheetOptions& options, const QStringList& args, qsizetype& i,
                     QString& problem) {
    const QString option = args[i];
    static const QStringList kValueOptions = {
        QStringLiteral("-o"),      QStringLiteral("--level"),    QStringLiteral("--kinds"),
        QStringLiteral("--count"), QStringLiteral("--per-page"), QStringLiteral("--seed")};
    if (!kValueOptions.contains(option)) return false;
    if (++i >= args.size()) {
        problem = QStringLiteral("%1 needs a value").arg(option);
        return true;
    }
    const QString& value = args[i];
    WorksheetSettings& settings = options.settings;
    if (option == QStringLiteral("-o")) {
        options.output = value;
    } else if (option == QStringLiteral("--level")) {
        if (const auto level = NumberIn(option, value, 1, kWorksheetLevels, problem))
            settings.levels.push_back(*level);
    } else if (option == QStringLiteral("--kinds")) {
        ReadKinds(options, value, problem);
    } else if (option == QStringLiteral("--count")) {
        settings.count = NumberIn(option, value, 1, kMostWorksheetProblems, problem).value_or(0);
    } else if (option == QStringLiteral("--per-page")) {
        settings.perPage = NumberIn(option, value, 1, kMostProblemsPerPage, problem).value_or(0);
    } else {
        bool isNumber = false;
        options.seed = value.toUInt(&isNumber);
        if (!isNumber)
            problem =
                QStringLiteral("--seed \"%1\" is not a number from 0 to 4294967295").arg(value);
    }
    return true;
}

bool ReadOwnOption(WorksheetOptions& options, const QStringList& args, qsizetype& i,
                   QString& problem) {
    const QString& option = args[i];
    if (option == QStringLiteral("--values")) {
        options.settings.values = true;
        return true;
    }
    if (option == QStringLiteral("--no-key")) {
        options.settings.key = false;
        return true;
    }
    if (option == QStringLiteral("--weak")) {
        options.settings.weak = true;
        return true;
    }
    return ReadStudentOption(options.students, args, i, problem) ||
           ReadValueOption(options, args, i, problem);
}

QString OptionsProblem(const WorksheetOptions& options) {
    if (options.output.isEmpty()) return QStringLiteral("no output file given (-o OUT.pdf)");
    const WorksheetSettings& settings = options.settings;
    if (settings.weak && !options.students.chosen())
        return QStringLiteral(
            "--weak draws from each student's wrong answers: give the students by "
            "--grade GRADE or --student ID...");
    // A weak-spot sheet may go without either: its fallback is then every kind.
    const bool bothOrNeither = settings.levels.empty() == settings.kinds.empty();
    if (bothOrNeither && !(settings.weak && settings.levels.empty()))
        return QStringLiteral("give the problems by --level N (one or more) or by --kinds K,K");
    if (!options.students.students.empty() && options.students.grade)
        return QStringLiteral("--grade and --student do not go together");
    return QString();
}

int WriteWorksheets(ProgramState& state, WorksheetOptions options) {
    std::vector<SheetStudent> students;
    if (options.students.chosen()) {
        ComputeSchoolYear(state);
        // The name list's order follows the counts.
        CountResultsPatiently(state);
        QString problem;
        students = ChosenStudents(state, options.students, problem);
        if (!problem.isEmpty()) {
            platform::WriteText(platform::StandardStream::Error,
                                QStringLiteral("drill-worksheet: ") + problem);
            return kBadInput;
        }
    }
    if (!CanWriteOutput("drill-worksheet", options.output)) return 1;

    WorksheetSettings& settings = options.settings;
    settings.seed = options.seed.value_or(DrawnWorksheetSeed(FreshSeed(*state.platform.clock)));
    const QDateTime now = state.platform.clock->now();
    AttemptReading attempts;
    if (settings.weak) {
        // Once for the whole class; what cannot be read leaves its students the fallback.
        attempts = ReadAttemptsSince(AttemptLogPath(state), FirstWeakSpotDay(now.date()));
        if (!attempts.problem.isEmpty())
            platform::WriteText(
                platform::StandardStream::Error,
                QStringLiteral("drill-worksheet: ") +
                    QString(attempts.problem).replace(QLatin1Char('\n'), QLatin1Char(' ')) +
                    QLatin1Char('\n'));
    }
    MersenneRandom random;
    const std::vector<Worksheet> sheets =
        BuildWorksheets(state, students, settings, now, random, attempts);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(options.output);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(WorksheetFoot(settings));
    if (!PrintWorksheets(printer, sheets, settings)) {
        platform::WriteText(
            platform::StandardStream::Error,
            QStringLiteral("drill-worksheet: cannot write %1\n").arg(options.output));
        return 1;
    }
    // The number that brings the same sheets back.
    platform::WriteText(platform::StandardStream::Output,
                        QStringLiteral("No. %1\n").arg(settings.seed));
    return 0;
}

constexpr const char* kUsage =
    "usage: drill-worksheet [--now \"YYYY-MM-DD HH:MM:SS\"] -o OUT.pdf "
    "(--level N [--level N ...] | --kinds K,K) [--count K] [--per-page P] [--values] "
    "[--seed S] [--no-key] [--grade GRADE | --student ID...] [--weak] "
    "[--program-folder DIR | PROGRAM_FOLDER]\n";

} // namespace

int main(int argc, char** argv) {
    // Only a PDF is drawn: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (PrintedHelp(
            QStringList(argv, argv + argc), kUsage,
            "Writes worksheets of the drill's problems, each followed by its answer key, into one "
            "PDF (A4 portrait).\n"
            "  --level N       the problems of level N (1-7); several mix in the order drawn\n"
            "  --kinds K,K     or problems of these kinds: 1 circumference from the diameter,\n"
            "                  2 from the radius, 3 area from the radius, 4 from the diameter\n"
            "  --count K       problems on a sheet (default 12, at most 200)\n"
            "  --per-page P    problems on a page (default 6, at most 10)\n"
            "  --values        ask for the worked value too (4×4×3.14 = 50.24 cm²)\n"
            "  --seed S        the number at the foot of a sheet: the same sheets again\n"
            "  --no-key        leave out the answer keys\n"
            "  --grade GRADE   one sheet per student of a grade of the name screen's list\n"
            "                  (全学年, 小学生全体, 中学生全体, 小１ .. 中３) or as the sheet\n"
            "                  prints it (小5, 高1); --student ID... for some students;\n"
            "                  without either, one sheet without a name\n"
            "  --weak          each student's sheet practises their wrong answers of the last\n"
            "                  30 days: one problem of every kind they answered, the rest in\n"
            "                  proportion to each kind's wrong answers; the key says which\n"
            "                  mistakes the sheet aims at. Needs --grade or --student. Here\n"
            "                  --level or --kinds (either may be left out) are only what a\n"
            "                  student with no answers in the 30 days gets; without them the\n"
            "                  four kinds evenly. A log that cannot be read gives everyone\n"
            "                  that draw and is named on standard error.\n"
            "The number of the sheets (No. S) is written on standard output; with --weak it\n"
            "gives the same sheets again as long as the log of those 30 days (up to --now) is\n"
            "unchanged. A week of homework from each 小5 student's weak spots: run\n"
            "  drill-worksheet -o 宿題_月.pdf --weak --grade 小5 PROGRAM_FOLDER\n"
            "once for each day (宿題_火.pdf ... 宿題_金.pdf): each run draws a new number, so\n"
            "the days differ; run on the day itself, a sheet also follows the newest answers.\n"))
        return 0;
    KeepToolkitMessagesQuiet();
    QApplication app(argc, argv);
    LoadFontsBesideProgram();
    QString problem;
    WorksheetOptions options;
    auto args =
        ParseCommandArguments(QCoreApplication::arguments(), problem,
                              [&options](const QStringList& all, qsizetype& i, QString& problem) {
                                  return ReadOwnOption(options, all, i, problem);
                              });
    if (args) problem = OptionsProblem(options);
    if (!args || !problem.isEmpty()) {
        platform::WriteText(
            platform::StandardStream::Error,
            QStringLiteral("drill-worksheet: %1\n%2").arg(problem, QString::fromUtf8(kUsage)));
        return kBadInput;
    }
    return RunOnClassroom("drill-worksheet", *args, [&options](ProgramState& state) {
        return WriteWorksheets(state, options);
    });
}
