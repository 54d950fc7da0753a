#include "rules/Worksheet.h"

#include "core/Dates.h"
#include "core/Platform.h"
#include "core/ProgramState.h"
#include "core/Tables.h"
#include "drill/Mistakes.h"
#include "roster/Roster.h"

#include <QStringList>

#include <algorithm>
#include <random>

namespace {
const QString kBlank = QStringLiteral("（　　）");
const QString kValueBlank = QStringLiteral("（　　　　）");

bool IsArea(ProblemKind kind) {
    return kind == ProblemKind::AreaFromRadius || kind == ProblemKind::AreaFromDiameter;
}

QString JoinedNumbers(const std::vector<int>& numbers) {
    QStringList texts;
    for (const int n : numbers)
        texts << QString::number(n);
    return texts.join(QStringLiteral("・"));
}

ProblemKind DrawKind(const WorksheetSettings& settings, RandomSource& random) {
    if (!settings.levels.empty()) {
        const std::size_t choices = settings.levels.size();
        const int level = choices == 1
                              ? settings.levels[0]
                              : settings.levels[std::size_t(DrawOneTo(random, int(choices)) - 1)];
        return DrawKindForLevel(level, random);
    }
    const std::size_t choices = settings.kinds.size();
    return choices == 1 ? settings.kinds[0]
                        : settings.kinds[std::size_t(DrawOneTo(random, int(choices)) - 1)];
}
} // namespace

std::vector<CircleProblem> DrawWorksheetProblems(const WorksheetSettings& settings,
                                                 RandomSource& random) {
    std::vector<CircleProblem> problems;
    if (settings.levels.empty() && settings.kinds.empty()) return problems;
    std::optional<int> previous;
    for (int i = 0; i < settings.count; ++i) {
        const ProblemKind kind = DrawKind(settings, random);
        problems.push_back(MakeProblemOfKind(kind, previous, random));
        previous = problems.back().v;
    }
    return problems;
}

std::uint32_t StudentSheetSeed(std::uint32_t seed, int student) {
    // seed_seq spreads neighbouring IDs apart, the same on every system.
    std::seed_seq sequence{seed, std::uint32_t(student)};
    std::uint32_t mixed = 0;
    sequence.generate(&mixed, &mixed + 1);
    return mixed;
}

std::vector<Worksheet> BuildWorksheets(const ProgramState& state,
                                       const std::vector<SheetStudent>& students,
                                       const WorksheetSettings& settings, const QDateTime& now,
                                       RandomSource& random) {
    const QString date = FormatEraDate(now);
    std::vector<Worksheet> sheets;
    if (students.empty()) {
        random.seed(settings.seed);
        sheets.push_back(
            {0, {state.common.ClassroomName, {}, date}, DrawWorksheetProblems(settings, random)});
        return sheets;
    }
    for (const SheetStudent& student : students) {
        random.seed(StudentSheetSeed(settings.seed, student.id));
        const QString name = TrimBlanks(state.roster.RosterName[std::size_t(student.id)]);
        sheets.push_back({student.id,
                          {state.common.ClassroomName,
                           {student.grade, QStringLiteral("番号 %1").arg(student.id), name},
                           date},
                          DrawWorksheetProblems(settings, random)});
    }
    return sheets;
}

std::vector<SheetStudent> WorksheetStudents(ProgramState& state, WorksheetFor who) {
    if (who == WorksheetFor::GradeFilter) return NameListStudents(state, state.session.GradeFilter);
    const int id = state.session.StudentNo;
    if (!IsValidStudent(id)) return {};
    return {{id, ShortGradeLabel(GradeNumber(state.roster.SchoolYear,
                                             state.roster.RosterBirthYear[std::size_t(id)]))}};
}

std::uint32_t DrawnWorksheetSeed(std::uint32_t fresh) {
    return 10000 + fresh % 90000;
}

QString WorksheetFoot(const WorksheetSettings& settings) {
    QStringList parts{QStringLiteral("No. %1").arg(settings.seed)};
    if (!settings.levels.empty()) {
        parts << QStringLiteral("レベル ") + JoinedNumbers(settings.levels);
    } else {
        std::vector<int> kinds;
        for (const ProblemKind kind : settings.kinds)
            kinds.push_back(int(kind));
        parts << QStringLiteral("種類 ") + JoinedNumbers(kinds);
    }
    parts << QStringLiteral("%1 問").arg(settings.count);
    if (settings.perPage != kDefaultProblemsPerPage)
        parts << QStringLiteral("1 枚 %1 問").arg(settings.perPage);
    if (settings.values) parts << QStringLiteral("値も");
    return parts.join(QStringLiteral(" / "));
}

QString FormulaBlanks(ProblemKind kind, bool values) {
    QString text = kBlank + kTimesSign;
    if (IsArea(kind)) text += kBlank + kTimesSign;
    text += kPiText;
    if (values) text += QStringLiteral("＝") + kValueBlank + UnitOf(kind);
    return text;
}

QString UnitOf(ProblemKind kind) {
    return IsArea(kind) ? QStringLiteral("cm²") : QStringLiteral("cm");
}

QString LengthLabel(int v) {
    return QStringLiteral("%1 cm").arg(v);
}

QString WorkedValue(ProblemKind kind, int v) {
    const int factor = NeededNumber(kind, v);
    // In hundredths, so that no rounding shows.
    const int hundredths = (IsArea(kind) ? factor * factor : factor) * 314;
    QString text = QString::number(hundredths / 100);
    const int fraction = hundredths % 100;
    if (fraction % 10 != 0)
        text += QStringLiteral(".%1").arg(fraction, 2, 10, QLatin1Char('0'));
    else if (fraction != 0)
        text += QStringLiteral(".%1").arg(fraction / 10);
    return text;
}

QString KeyAnswer(const CircleProblem& problem, bool values) {
    if (!values) return problem.expectedAnswer;
    return QStringLiteral("%1 = %2 %3")
        .arg(problem.expectedAnswer, WorkedValue(problem.kind, problem.v), UnitOf(problem.kind));
}

std::vector<WorksheetPage> PaginateWorksheet(const WorksheetSettings& settings) {
    std::vector<WorksheetPage> pages;
    const int perPage = std::max(1, settings.perPage);
    for (int first = 0; first < settings.count; first += perPage)
        pages.push_back({false, first, std::min(perPage, settings.count - first)});
    if (!settings.key) return pages;
    for (int first = 0; first < settings.count; first += kKeyLinesPerPage)
        pages.push_back({true, first, std::min(kKeyLinesPerPage, settings.count - first)});
    return pages;
}
