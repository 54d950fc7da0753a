#include "rules/LevelBoardRules.h"

#include "core/ProgramState.h"
#include "core/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
constexpr int32_t kNoPointsGoal = 9999;

// A single-precision rate as it was typed: 1.1 reads "1.1", not the nearest double.
QString RateText(float rate) {
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, rate, std::chars_format::fixed);
    return QString::fromLatin1(buffer, int(written.ptr - buffer));
}

QString CountText(double count) {
    return PlainNumber(count);
}
} // namespace

int BoardColumnWidth(int levelCount) {
    if (levelCount <= 0) return kColumnsSpan;
    return BoardHasScrollBar(levelCount) ? kScrolledColumnWidth : kColumnsSpan / levelCount;
}

bool BoardHasScrollBar(int levelCount) {
    return levelCount > kLevelsWithoutScrollBar;
}

int BoardScrollMaximum(int levelCount) {
    return BoardHasScrollBar(levelCount) ? levelCount - 3 : 1;
}

int BoardLeftMargin(int formWidth) {
    return formWidth * 2 / 100;
}

int BoardScrollPosition(int kept, int maximum) {
    return kept < 1 || kept > maximum ? 1 : kept;
}

int BoardColumnLeft(int firstLeft, int level, int scrollPos, int columnWidth, int formWidth) {
    const int x = firstLeft + (level - scrollPos) * columnWidth;
    return x < 0 ? formWidth : x;
}

QString TargetLine(const ProgramState& state, int level) {
    const CriteriaTables& c = state.criteria;
    const QString target =
        QStringLiteral("目標=") + QString::number(c.TargetTime[level]) + QStringLiteral("秒");
    if (c.ClearPoint[level] == kNoPointsGoal) return target + QStringLiteral(" --------");
    return target + QLatin1Char(' ') + QString::number(c.ClearCount[level]) +
           QStringLiteral("回/") + QString::number(c.ClearPoint[level]) + QStringLiteral("点(×") +
           RateText(c.PointRate[level]) + QLatin1Char(')');
}

QString RecentLine(const ProgramState& state, int level) {
    const int st = state.session.StudentNo;
    return QStringLiteral("最近") + PlainNumber(state.criteria.PassDays[level].toNumber()) +
           QStringLiteral("日=") + QString::number(state.counts.PassRunCount(level, st)) +
           QStringLiteral("回 / ") + QString::number(state.counts.PassPoints(level, st)) +
           QStringLiteral("点");
}

QString TodayCountsText(const ProgramState& state, int level) {
    const int st = state.session.StudentNo;
    const float runs = state.counts.TodayCount(level, st);
    if (runs == 0) return QStringLiteral("-----");
    return CountText(runs) + QStringLiteral("回/") +
           QString::number(state.counts.TodayPoints(level, st)) + QStringLiteral("点");
}

QString AllTimeCountsText(const ProgramState& state, int level) {
    const int st = state.session.StudentNo;
    const int runs = state.counts.RunCount(level, st);
    if (runs == 0) return QStringLiteral("------");
    return QString::number(runs) + QStringLiteral("回/") +
           QString::number(state.counts.TotalPoints(level, st)) + QStringLiteral("点");
}

int TodayRunTotal(const ProgramState& state) {
    double total = 0;
    for (int level = 1; level <= kMaxLevel; ++level)
        total += state.counts.TodayCount(level, state.session.StudentNo);
    return int(total);
}

QString MinutesSinceLoginText(const ProgramState& state) {
    const double seconds = state.platform.clock->monotonicSeconds() - state.session.LoginTime;
    const int minutes = int(std::floor(std::max(0.0, seconds) / 60));
    return QStringLiteral("起動後") + QString::number(minutes) + QStringLiteral("分");
}

BoardKey BoardKeyFor(const QString& typed, int levelCount) {
    if (typed.size() != 1) return {};
    const QChar key = typed.at(0);
    int level = 0;
    if (key == u'0') return {BoardKey::Action::GoBack, 0};
    if (key >= u'1' && key <= u'9')
        level = key.unicode() - u'0';
    else if (key >= u'a' && key <= u'd')
        level = 10 + (key.unicode() - u'a');
    if (level == 0 || level > levelCount) return {};
    return {BoardKey::Action::StartLevel, level};
}

bool IsTeacherName(const QString& studentName) {
    return studentName.contains(QStringLiteral("★")) ||
           studentName.contains(QStringLiteral("先生"));
}

PasswordCheck CheckDataChangePassword(const QString& typed, const QString& configured) {
    if (configured.isEmpty()) return PasswordCheck::NotConfigured;
    return typed == configured ? PasswordCheck::Accepted : PasswordCheck::Wrong;
}
