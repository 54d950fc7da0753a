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

// The kinds a student answered, most wrong answers first, then the lower kind.
std::vector<std::size_t> AnsweredKindsByWrong(const WeakSpots& spots) {
    std::vector<std::size_t> kinds;
    for (std::size_t k = 0; k < spots.kinds.size(); ++k)
        if (spots.kinds[k].answered > 0) kinds.push_back(k);
    std::stable_sort(kinds.begin(), kinds.end(), [&spots](std::size_t a, std::size_t b) {
        return spots.kinds[a].wrong > spots.kinds[b].wrong;
    });
    return kinds;
}

// The draw of a student without answers: the levels or kinds given, else the
// four kinds evenly (as if each were answered, none wrong).
std::vector<CircleProblem> FallbackProblems(const WorksheetSettings& settings,
                                            RandomSource& random) {
    if (!settings.levels.empty() || !settings.kinds.empty())
        return DrawWorksheetProblems(settings, random);
    WeakSpots even;
    for (KindWeakSpot& kind : even.kinds)
        kind.answered = 1;
    return DrawProblemsOfKinds(ApportionWeakKinds(settings.count, even), random);
}

QString FallbackName(const WorksheetSettings& settings) {
    if (!settings.levels.empty())
        return QStringLiteral("レベル %1 から出しています。").arg(JoinedNumbers(settings.levels));
    if (settings.kinds.empty()) return QStringLiteral("4 つの種類を同じ数ずつ出しています。");
    QStringList names;
    for (const ProblemKind kind : settings.kinds)
        names << KindName(int(kind));
    return names.join(QStringLiteral("・")) + QStringLiteral(" から出しています。");
}

struct SheetProblems {
    std::vector<CircleProblem> problems;
    QString aim;
};

// `tallies`: the students' attempts by ID, or none on a sheet drawn without them.
SheetProblems DrawSheetProblems(const WorksheetSettings& settings,
                                const std::vector<WeakSpotTally>& tallies, bool unread, int student,
                                RandomSource& random) {
    if (!settings.weak) return {DrawWorksheetProblems(settings, random), {}};
    const WeakSpots spots =
        IsValidStudent(student) ? tallies[std::size_t(student)].spots() : WeakSpots{};
    const QString aim = WeakSpotAim(spots, settings, unread);
    if (!spots.anyAnswered()) return {FallbackProblems(settings, random), aim};
    return {DrawProblemsOfKinds(ApportionWeakKinds(settings.count, spots), random), aim};
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

KindCounts ApportionWeakKinds(int count, const WeakSpots& spots) {
    KindCounts counts{};
    const std::vector<std::size_t> answered = AnsweredKindsByWrong(spots);
    if (answered.empty() || count <= 0) return counts;
    if (count < int(answered.size())) {
        for (int i = 0; i < count; ++i)
            counts[answered[std::size_t(i)]] = 1;
        return counts;
    }
    qint64 totalWrong = 0;
    for (const std::size_t k : answered)
        totalWrong += spots.kinds[k].wrong;
    const auto weight = [&](std::size_t k) -> qint64 {
        return totalWrong > 0 ? spots.kinds[k].wrong : 1;
    };
    const qint64 total = totalWrong > 0 ? totalWrong : qint64(answered.size());
    const qint64 rest = count - qint64(answered.size());
    std::array<qint64, kProblemKinds> remainders{};
    int given = 0;
    for (const std::size_t k : answered) {
        counts[k] = 1 + int(rest * weight(k) / total);
        remainders[k] = rest * weight(k) % total;
        given += counts[k];
    }
    // What the whole parts leave goes to the largest remainders; `answered`
    // is already in the order that breaks their ties.
    std::vector<std::size_t> byRemainder = answered;
    std::stable_sort(byRemainder.begin(), byRemainder.end(),
                     [&](std::size_t a, std::size_t b) { return remainders[a] > remainders[b]; });
    for (std::size_t i = 0; given < count; ++i, ++given)
        ++counts[byRemainder[i]];
    return counts;
}

std::vector<CircleProblem> DrawProblemsOfKinds(const KindCounts& counts, RandomSource& random) {
    std::vector<ProblemKind> kinds;
    for (std::size_t k = 0; k < counts.size(); ++k)
        kinds.insert(kinds.end(), std::size_t(std::max(0, counts[k])), ProblemKind(k + 1));
    // Shuffled with the generator's own draw, so the seed decides the order too.
    for (std::size_t i = kinds.size(); i > 1; --i)
        std::swap(kinds[i - 1], kinds[std::size_t(DrawOneTo(random, int(i)) - 1)]);
    std::vector<CircleProblem> problems;
    std::optional<int> previous;
    for (const ProblemKind kind : kinds) {
        problems.push_back(MakeProblemOfKind(kind, previous, random));
        previous = problems.back().v;
    }
    return problems;
}

QString WeakSpotAim(const WeakSpots& spots, const WorksheetSettings& settings, bool unread) {
    QString aim = QStringLiteral("このプリントのねらい：");
    if (!spots.anyAnswered())
        return aim +
               (unread ? QStringLiteral("解答の記録が読めなかったので、")
                       : QStringLiteral("この %1 日の解答の記録がないので、").arg(kWeakSpotDays)) +
               FallbackName(settings);
    QStringList parts;
    for (const std::size_t k : AnsweredKindsByWrong(spots)) {
        const KindWeakSpot& kind = spots.kinds[k];
        if (kind.leadingCount == 0) break;
        parts << QStringLiteral("%1… %2（%3 回）")
                     .arg(KindName(int(k) + 1), MistakeName(kind.leading))
                     .arg(kind.leadingCount);
    }
    if (parts.isEmpty())
        return aim + QStringLiteral("この %1 日のまちがいはありません。答えた種類を同じ数ずつ出して"
                                    "います。")
                         .arg(kWeakSpotDays);
    return aim + parts.join(QStringLiteral("　"));
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
                                       RandomSource& random, const AttemptReading& attempts) {
    const QString date = FormatEraDate(now);
    // The log is tallied once for the whole class.
    const std::vector<WeakSpotTally> tallies =
        settings.weak ? WeakSpotTalliesByStudent(attempts.records, now.date())
                      : std::vector<WeakSpotTally>{};
    const bool unread = attempts.records.empty() && !attempts.problem.isEmpty();
    std::vector<Worksheet> sheets;
    if (students.empty()) {
        random.seed(settings.seed);
        SheetProblems drawn = DrawSheetProblems(settings, tallies, unread, 0, random);
        sheets.push_back({0,
                          {state.common.ClassroomName, {}, date},
                          std::move(drawn.problems),
                          std::move(drawn.aim)});
        return sheets;
    }
    for (const SheetStudent& student : students) {
        random.seed(StudentSheetSeed(settings.seed, student.id));
        const QString name = TrimBlanks(state.roster.RosterName[std::size_t(student.id)]);
        SheetProblems drawn = DrawSheetProblems(settings, tallies, unread, student.id, random);
        sheets.push_back({student.id,
                          {state.common.ClassroomName,
                           {student.grade, QStringLiteral("番号 %1").arg(student.id), name},
                           date},
                          std::move(drawn.problems),
                          std::move(drawn.aim)});
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
    if (settings.weak) parts << QStringLiteral("弱点");
    if (!settings.levels.empty()) {
        parts << QStringLiteral("レベル ") + JoinedNumbers(settings.levels);
    } else if (!settings.kinds.empty()) {
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
