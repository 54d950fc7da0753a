#include "rules/ResultsViews.h"

#include "core/Dates.h"
#include "core/ProgramState.h"
#include "core/Text.h"
#include "records/Counts.h"
#include "records/Criteria.h"
#include "records/RecordValues.h"
#include "roster/GradeFilters.h"
#include "roster/Roster.h"

#include <algorithm>
#include <charconv>

namespace {

const QString kOwnMark = QStringLiteral("●");
const QString kFullWidthBlank = QStringLiteral("　");
const QString kTimeOutLead = QStringLiteral("　　× ");
constexpr int32_t kFailedTime = 99998;

qsizetype LengthWithoutTrailingBlanks(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return end;
}

QString WithoutTrailingBlanks(const QString& text) {
    return text.left(LengthWithoutTrailingBlanks(text));
}

// The line builders append in place: the board builds tens of thousands of
// lines at each showing, and one allocation per line keeps that quick.
void AppendNameField(QString& out, const QString& name) {
    const qsizetype length = std::min<qsizetype>(LengthWithoutTrailingBlanks(name), 5);
    out.append(name.constData(), length);
    for (qsizetype i = length; i < 5; ++i)
        out.append(QChar(0x3000));
}

// Blanks followed by the number, cut to its last `width` characters.
void AppendRightAligned(QString& out, long long number, int width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const int length = int(end - digits);
    for (int i = length; i < width; ++i)
        out.append(QLatin1Char(' '));
    for (int i = std::max(0, length - width); i < length; ++i)
        out.append(QLatin1Char(digits[i]));
}

QString WithoutBlanks(const QString& text) {
    qsizetype begin = 0;
    while (begin < text.size() && text.at(begin) == QLatin1Char(' '))
        ++begin;
    return WithoutTrailingBlanks(text.mid(begin));
}

bool IsPracticeLevelName(const QString& name) {
    return name.contains(QStringLiteral("練"));
}

// A student number that can index the tables; anything else reads as row 0.
int TableStudent(int student) {
    return student >= 0 && student <= kMaxStudent ? student : 0;
}

QString RunMark(const ProgramState& state, int student) {
    return student == state.session.StudentNo ? kOwnMark
                                              : GradeMark(GradeOfStudent(state, student));
}

int OleDayOf(const QDate& date) {
    return int(ToOleDay(date));
}

// The records that belong on a list of the board: sound, and of a level with a column.
bool HasColumn(const ProgramState& state, const ResultRecord& record) {
    return record.isValid() && record.level <= state.levels.LevelCount;
}

LevelLines EmptyLevelLines(const ProgramState& state) {
    return LevelLines(std::size_t(std::clamp(state.levels.LevelCount, 0, kMaxLevel)) + 1);
}

// The lists read from the file are kept in plain UTF-16 code unit order: the
// leading seconds, points or date field is right-aligned with ASCII blanks, so
// blank < digits puts them in numeric order, and time-out lines (beginning
// with full-width blanks) come last.
void SortAsText(LevelLines& lists) {
    for (QStringList& lines : lists)
        std::sort(lines.begin(), lines.end());
}

// The leading number of a text as the list colouring reads it: blanks skipped,
// then digits up to the first other character; 0 when there are none.
int LeadingNumber(const QString& text) {
    int value = 0;
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i)
        value = std::min(value * 10 + (text.at(i).unicode() - '0'), 99999);
    return value;
}

// The seconds followed by "秒", right-aligned in five characters: "  95秒".
void AppendSeconds(QString& out, int32_t result) {
    AppendRightAligned(out, result, 4);
    out.append(QChar(u'秒'));
}

// The run's mark, the name field and the mark again.
void AppendRunner(QString& out, const ProgramState& state, int student) {
    const QString mark = RunMark(state, student);
    out.append(mark);
    AppendNameField(out, state.roster.RosterName[student]);
    out.append(mark);
}

} // namespace

int GradeOfStudent(const ProgramState& state, int student) {
    return GradeNumber(state.roster.SchoolYear,
                       state.roster.RosterBirthYear[TableStudent(student)]);
}

QString GradeMark(int grade) {
    static const QString marks[] = {
        QStringLiteral("①"), QStringLiteral("②"), QStringLiteral("③"),
        QStringLiteral("④"), QStringLiteral("⑤"), QStringLiteral("⑥"),
        QStringLiteral("Ⅰ"), QStringLiteral("Ⅱ"), QStringLiteral("Ⅲ"),
    };
    return grade >= 1 && grade <= 9 ? marks[grade - 1] : kFullWidthBlank;
}

QString NameField(const QString& name) {
    QString field;
    AppendNameField(field, name);
    return field;
}

// ---- Rankings --------------------------------------------------------------

QString RankField(int rank, int width) {
    QString field;
    AppendRightAligned(field, rank, width);
    return field;
}

void MergeSortRanks(std::vector<int64_t>& keys, std::vector<int16_t>& students) {
    const std::size_t n = keys.size();
    if (n < 2) return;
    std::vector<int64_t> leftKeys(n / 2 + 1);
    std::vector<int16_t> leftStudents(n / 2 + 1);

    // Sorts [a, b] (inclusive): both halves, then a merge that takes the left
    // element only while it is strictly smaller, so on equal keys the right
    // half's element goes first. Depth is log2(n), so recursion is safe.
    auto sortRange = [&](auto&& self, std::size_t a, std::size_t b) -> void {
        if (a >= b) return;
        const std::size_t c = (a + b) / 2;
        self(self, a, c);
        self(self, c + 1, b);
        const std::size_t leftCount = c - a + 1;
        std::copy_n(keys.begin() + a, leftCount, leftKeys.begin());
        std::copy_n(students.begin() + a, leftCount, leftStudents.begin());
        std::size_t i = 0, j = c + 1, k = a;
        while (i < leftCount && j <= b) {
            if (leftKeys[i] < keys[j]) {
                keys[k] = leftKeys[i];
                students[k++] = leftStudents[i++];
            } else {
                keys[k] = keys[j];
                students[k++] = students[j++];
            }
        }
        while (i < leftCount) {
            keys[k] = leftKeys[i];
            students[k++] = leftStudents[i++];
        }
    };
    sortRange(sortRange, 0, n - 1);
}

namespace {

// Most points first, the second table breaking ties. The two tables are kept
// apart in the key (rather than 1000 × first + second) so that a student with
// 1000 points or more is not ranked above one with more points in the first.
int64_t PointsKey(int32_t first, int32_t second) {
    return -(int64_t(first) * (int64_t(1) << 32) + int64_t(uint32_t(std::max(second, 0))));
}

// The value whose equality makes two neighbouring rows share a rank.
int64_t OrderingValue(const ProgramState& state, int level, RankingOrder order, int64_t key,
                      int student) {
    switch (order) {
    case RankingOrder::BestTime:
        return key;
    case RankingOrder::TotalPoints:
        return state.counts.TotalPoints(level, student);
    case RankingOrder::TodayPoints:
        return state.counts.TodayPoints(level, student);
    }
    return key;
}

} // namespace

RankingRows RankLevelRows(const ProgramState& state, int level, RankingOrder order,
                          const QString& gradeFilter, int rankWidth) {
    RankingRows result;
    result.order = order;
    result.rankWidth = rankWidth;
    if (!IsValidLevel(level)) return result;
    const auto& counts = state.counts;
    const int rowCount = std::clamp(state.roster.RosterCount, 0, kMaxStudent);
    std::vector<int64_t> keys;
    std::vector<int16_t> students;
    keys.reserve(std::size_t(rowCount));
    students.reserve(std::size_t(rowCount));
    result.rows.reserve(std::size_t(rowCount));
    for (int row = 1; row <= rowCount; ++row) {
        const int16_t student = int16_t(TableStudent(state.roster.RosterId[row]));
        int64_t key = counts.BestTime(level, student);
        if (order == RankingOrder::TotalPoints)
            key = PointsKey(counts.TotalPoints(level, student), counts.TodayPoints(level, student));
        else if (order == RankingOrder::TodayPoints)
            key = PointsKey(counts.TodayPoints(level, student), counts.TotalPoints(level, student));
        keys.push_back(key);
        students.push_back(student);
    }
    // Each pass leaves equal keys in reverse order, so two passes keep the
    // roster order among students with equal keys.
    MergeSortRanks(keys, students);
    MergeSortRanks(keys, students);

    int rank = 0;
    int64_t previousValue = 0;
    for (int r = 0; r < rowCount; ++r) {
        const int student = students[std::size_t(r)];
        const int64_t key = keys[std::size_t(r)];
        // Ranks count every row, also the ones the grade filter hides.
        const int64_t value = OrderingValue(state, level, order, key, student);
        if (r == 0 || value != previousValue) rank = r + 1;
        previousValue = value;
        const int grade = GradeOfStudent(state, student);
        if (!InGradeFilter(gradeFilter, grade)) continue;
        if (order == RankingOrder::TodayPoints && counts.TodayPoints(level, student) == 0) continue;
        const bool own = student == state.session.StudentNo;
        if (own) result.ownLine = int(result.rows.size());
        result.rows.push_back(
            RankingRow{state.roster.RosterName[student], rank, counts.BestTime(level, student),
                       counts.TodayPoints(level, student), counts.TotalPoints(level, student),
                       int16_t(student), int8_t(grade), own});
    }
    return result;
}

QString RankingRowText(const RankingRows& ranking, std::size_t row) {
    const RankingRow& r = ranking.rows[row];
    const bool timeOrder = ranking.order == RankingOrder::BestTime;
    QString line;
    line.reserve(ranking.rankWidth + 20);
    if (timeOrder && r.bestTime == kNoBestTime)
        line.append(QString(ranking.rankWidth, QLatin1Char('-')));
    else
        AppendRightAligned(line, r.rank, ranking.rankWidth);
    line.append(r.own ? kOwnMark : GradeMark(r.grade));
    AppendNameField(line, r.name);
    if (!timeOrder) {
        AppendRightAligned(line, r.todayPoints, 3);
        line.append(QLatin1Char('/'));
        AppendRightAligned(line, r.totalPoints, 5);
        return line;
    }
    if (r.bestTime == kNoBestTime)
        line.append(QStringLiteral("------"));
    else if (r.bestTime == kFailedTime)
        line.append(QStringLiteral("*失敗*"));
    else
        AppendRightAligned(line, r.bestTime, 6);
    line.append(QLatin1Char(' '));
    line.append(r.own ? kOwnMark : kFullWidthBlank);
    return line;
}

RankingLines RankLevel(const ProgramState& state, int level, RankingOrder order,
                       const QString& gradeFilter, int rankWidth) {
    const RankingRows ranking = RankLevelRows(state, level, order, gradeFilter, rankWidth);
    RankingLines result;
    result.ownLine = ranking.ownLine;
    result.lines.reserve(qsizetype(ranking.rows.size()));
    result.students.reserve(ranking.rows.size());
    for (std::size_t row = 0; row < ranking.rows.size(); ++row) {
        result.lines << RankingRowText(ranking, row);
        result.students.push_back(ranking.rows[row].student);
    }
    return result;
}

// ---- Lists read from the results file --------------------------------------

LevelLines TodayLines(const ProgramState& state, const std::vector<ResultRecord>& records,
                      const QDate& today, const QString& gradeFilter) {
    LevelLines lists = EmptyLevelLines(state);
    const int todayDay = OleDayOf(today);
    for (const ResultRecord& record : records) {
        if (!HasColumn(state, record) || int(record.date) != todayDay) continue;
        if (!InGradeFilter(gradeFilter, GradeOfStudent(state, record.student))) continue;
        const QString clock = FromOleTimeOfDay(record.timeOfDay).toString(QStringLiteral("HH:mm"));
        QString line;
        line.reserve(24);
        if (record.result >= kTimeOutInLists) {
            line.append(kTimeOutLead).append(clock);
            AppendRunner(line, state, record.student);
        } else {
            AppendSeconds(line, record.result);
            line.append(QLatin1Char(' ')).append(clock);
            AppendRunner(line, state, record.student);
            line.append(
                QString::number(BaseRunPoints(record.result, TargetTimeOf(state, record.level))));
        }
        lists[std::size_t(record.level)] << line;
    }
    SortAsText(lists);
    return lists;
}

int PeriodDaysFor(int resultsPeriod, const QDate& today) {
    const int weekday = today.dayOfWeek() % 7 + 1; // Sunday 1 .. Saturday 7
    const bool sunday = weekday == 1;
    switch (resultsPeriod) {
    case 1:
        return sunday ? 7 : weekday - 1; // this week from Monday
    case 2:
        return sunday ? 14 : weekday - 1 + 7; // from Monday of last week
    case 3:
        return 30;
    case 4:
        return 365;
    case 5:
        return 3650;
    }
    return 30;
}

LevelLines PeriodLines(const ProgramState& state, const std::vector<ResultRecord>& records,
                       const QDate& today, int periodDays, PeriodOrder order,
                       const QString& gradeFilter) {
    LevelLines lists = EmptyLevelLines(state);
    const int firstDayOutside = OleDayOf(today) - periodDays;
    for (const ResultRecord& record : records) {
        if (!HasColumn(state, record) || record.date <= firstDayOutside) continue;
        if (!InGradeFilter(gradeFilter, GradeOfStudent(state, record.student))) continue;
        const QString day = FromOleDay(record.date).toString(QStringLiteral("MM/dd"));
        const int points = BaseRunPoints(record.result, TargetTimeOf(state, record.level));
        QString line;
        line.reserve(28);
        if (record.result >= kTimeOutInLists) {
            line.append(kTimeOutLead).append(day);
            AppendRunner(line, state, record.student);
        } else if (order == PeriodOrder::TimeFirst) {
            AppendSeconds(line, record.result);
            line.append(QLatin1Char(' ')).append(day);
            AppendRunner(line, state, record.student);
            line.append(QString::number(points));
        } else {
            AppendRightAligned(line, points, 5);
            line.append(QLatin1Char(' ')).append(day);
            AppendRunner(line, state, record.student);
            line.append(QString::number(record.result)).append(QChar(u'秒'));
        }
        lists[std::size_t(record.level)] << line;
    }
    SortAsText(lists);
    return lists;
}

LevelLines PersonalTimesLines(const ProgramState& state, const std::vector<ResultRecord>& records,
                              const QDate& today, const QString& gradeFilter) {
    constexpr int kPersonalDays = 3650;
    LevelLines lists = EmptyLevelLines(state);
    const int student = state.session.StudentNo;
    const int firstDayOutside = OleDayOf(today) - kPersonalDays;
    if (!InGradeFilter(gradeFilter, GradeOfStudent(state, student))) return lists;
    for (const ResultRecord& record : records) {
        if (!HasColumn(state, record) || record.student != student ||
            record.date <= firstDayOutside)
            continue;
        const QString when =
            FromOleDay(record.date).toString(QStringLiteral("yyyy/MM/dd")).right(10) +
            QStringLiteral(" ") +
            FromOleTimeOfDay(record.timeOfDay).toString(QStringLiteral("H:mm:ss")).right(10);
        QString line = when;
        if (record.result >= kTimeOutInLists)
            line.append(RightAlign(QStringLiteral("時間切れ"), 5));
        else
            AppendSeconds(line, record.result);
        lists[std::size_t(record.level)] << line;
    }
    SortAsText(lists);
    return lists;
}

// ---- List colouring --------------------------------------------------------

ShadeRgb ShadeColour(ListShade shade) {
    switch (shade) {
    case ListShade::Green:
        return {0, 192, 0};
    case ListShade::LightGreen:
        return {192, 255, 192};
    case ListShade::Silver:
        return {192, 192, 192};
    case ListShade::None:
        break;
    }
    return {255, 255, 192};
}

ListShade ListShadeFor(const QStringList& lines, int32_t targetTime, int32_t lowestTime) {
    ListShade shade = ListShade::None;
    for (const QString& line : lines) {
        if (line.size() >= 3 && line.at(2) == QChar(u'×')) continue; // a time-out
        // The seconds field is the first five characters, right-aligned, so a
        // run of 1000 seconds or more is read whole.
        const int seconds = LeadingNumber(line.left(5));
        if (seconds <= targetTime)
            shade = ListShade::Green;
        else if (seconds <= lowestTime)
            shade = ListShade::LightGreen;
        else
            shade = ListShade::Silver;
    }
    return shade;
}

// ---- Level availability ----------------------------------------------------

LevelAvailability LevelAvailabilityFor(const ProgramState& state) {
    return LevelAvailabilityFor(state, state.session.StudentNo, state.session.StudentName);
}

LevelAvailability LevelAvailabilityFor(const ProgramState& state, int studentNo,
                                       const QString& studentName) {
    const int levelCount = std::clamp(state.levels.LevelCount, 0, kMaxLevel);
    const int student = TableStudent(studentNo);
    const auto& names = state.levels.LevelNames;
    LevelAvailability result;
    result.enabled.assign(std::size_t(levelCount) + 1, false);
    result.locked.assign(std::size_t(levelCount) + 1, false);
    // Without a final level (no catalogue) nothing counts as passed.
    result.finalLevelPassed = IsValidLevel(state.levels.LastLevel) &&
                              IsLevelCleared(state, state.levels.LastLevel, student);
    if (levelCount == 0) return result;

    const bool everyLevelOpen = state.levels.LevelBoardSwitch == 1;
    // Only the exact name opens every level here; the teacher buttons look wider.
    const bool teacher = WithoutBlanks(studentName) == QStringLiteral("先生");
    result.enabled[1] = true;
    bool blocked = false;
    for (int level = 1; level <= levelCount; ++level) {
        const bool practice = IsPracticeLevelName(names[level]);
        if (practice) result.enabled[std::size_t(level)] = true;
        const bool nextHasNoTarget =
            level + 1 <= kMaxLevel && state.criteria.ClearPoint[level + 1] == 9999;
        const bool cleared = IsLevelCleared(state, level, student) || nextHasNoTarget ||
                             everyLevelOpen || teacher || (!blocked && practice);
        if (!cleared) {
            blocked = true;
            continue;
        }
        if (level == levelCount) continue; // the last level is never locked
        result.enabled[std::size_t(level) + 1] = true;
        const bool locked =
            !result.finalLevelPassed && !practice && IsOverPractised(state, level, student);
        result.locked[std::size_t(level)] = locked;
        if (locked) result.enabled[std::size_t(level)] = false;
    }
    return result;
}
