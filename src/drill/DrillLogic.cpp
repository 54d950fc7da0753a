#include "drill/DrillLogic.h"

#include "core/ProgramState.h"
#include "records/Criteria.h"

#include <algorithm>
#include <cmath>

namespace {
const QChar kTrailSeparator = QLatin1Char('/');

double RoundHalfToEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}
} // namespace

QString AppendKey(const QString& trail, const QString& caption) {
    return trail + kTrailSeparator + caption;
}

QString RemoveLastKey(const QString& trail) {
    const qsizetype last = trail.lastIndexOf(kTrailSeparator);
    return last < 0 ? trail : trail.left(last);
}

QString TrailDisplay(const QString& trail) {
    QString display = trail;
    return display.remove(kTrailSeparator);
}

int Judge(const QString& expected, const QString& input) {
    return expected.trimmed() == input.trimmed() ? kCorrect : kWrong;
}

int CorrectCountAfterWrong(int32_t correctCount) {
    return std::max(0, correctCount - 1);
}

int RemainingAnswers(int problemsRequired, int32_t correctCount) {
    return problemsRequired - correctCount;
}

int32_t WholeSeconds(double seconds) {
    return int32_t(RoundHalfToEven(seconds));
}

std::vector<int> RedLampsToHide(int32_t elapsed, int32_t targetTime, int32_t lowestTime) {
    std::vector<int> lamps;
    if (elapsed <= targetTime) {
        const int64_t last = int64_t(kFirstRedLamp) + elapsed - targetTime + 9;
        for (int64_t lamp = kFirstRedLamp; lamp <= last; ++lamp)
            lamps.push_back(int(lamp));
    }
    if (elapsed <= lowestTime) {
        const int64_t fromEnd = int64_t(lowestTime) - elapsed;
        if (fromEnd <= kLastRedLamp - kFirstRedLamp) lamps.push_back(int(kLastRedLamp - fromEnd));
    }
    return lamps;
}

bool ShouldTimeOut(const ProgramState& state) {
    const DrillState& drill = state.drill;
    return drill.ElapsedSeconds >= drill.TimeLimit && !drill.EndRoutineStarted &&
           !drill.DrillFinished && !drill.JudgingNow;
}

bool MayShowNewProblem(const ProgramState& state) {
    const DrillState& drill = state.drill;
    return !drill.TimedOut && !drill.DrillFinished && !drill.JudgingNow;
}

int MinutesSinceLogin(double now, double loginTime) {
    const auto seconds = static_cast<long long>(std::trunc(now - loginTime));
    return int(seconds / 60);
}

int TodayRunTotal(const ProgramState& state, int student, int firstLevel, int lastLevel) {
    double total = 0;
    for (int level = firstLevel; level <= lastLevel; ++level)
        total += state.counts.TodayCount(level, student);
    return int(RoundHalfToEven(total));
}

bool HasTimeLimit(const ProgramState& state, int level) {
    return LowestTimeOf(state, level) > 0;
}

QString NoTimeLimitMessage(const ProgramState& state, int level) {
    return QStringLiteral("レベル「%1」は、基準の「最低Time」が %2 秒になっているため、"
                          "時間切れの時間が決まらず、ドリルを始められません。\n"
                          "先生へ：基準表（タイム回数データ）で、このレベルの「最低Time」を"
                          " 1 以上にしてください。")
        .arg(state.levels.LevelNames[level])
        .arg(LowestTimeOf(state, level));
}
