#include "drill/ResultsLogic.h"

#include "core/ProgramState.h"
#include "core/Text.h"
#include "records/Counts.h"
#include "records/Criteria.h"
#include "records/RecordValues.h"

#include <charconv>

namespace {
// A clear count of 9999 marks a level that no one is meant to clear.
constexpr int kUnclearableCount = 9999;

bool IsCleared(const ProgramState& state) {
    return IsLevelCleared(state, state.LevelNo, state.session.StudentNo);
}
bool IsGoalLevel(const ProgramState& state) {
    return state.LevelNo == state.levels.LastLevel;
}
} // namespace

QString RateText(float rate) {
    // The shortest text that reads back as the same float, so 1.1 stays 1.1.
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, rate).ptr;
    return PlainNumber(QByteArray(buffer, int(end - buffer)).toDouble());
}

QString PointsLine(int32_t result, int32_t targetTime, float pointRate) {
    return QStringLiteral("獲得ポイント：%1点×%2→%3点")
        .arg(BaseRunPoints(result, targetTime))
        .arg(RateText(pointRate))
        .arg(RunPoints(result, targetTime, pointRate));
}

QString ResultLine(int32_t result) {
    if (result >= kFirstTimeOutResult) return QStringLiteral("記録なし");
    return QStringLiteral("今の成績：%1秒").arg(result);
}

QString LevelRunsLine(float todayCount) {
    return QStringLiteral(" (このレベル\u3000%1回目)").arg(PlainNumber(todayCount));
}

QString AllLevelsRunsLine(int todayRunTotal) {
    return QStringLiteral("（%1回目)").arg(todayRunTotal);
}

ResultMessage ChooseMessage(const ProgramState& state) {
    if (state.drill.TimedOut) return ResultMessage::TimedOut;
    if (state.counts.NewClassBest) return ResultMessage::ClassBest;
    if (state.counts.NewPersonalBest) return ResultMessage::PersonalBest;
    return ResultMessage::None;
}

QString MessageText(ResultMessage message) {
    switch (message) {
    case ResultMessage::TimedOut:
        return QStringLiteral("時間切れ");
    case ResultMessage::PersonalBest:
        return QStringLiteral("新記録おめでとう");
    case ResultMessage::ClassBest:
        return QStringLiteral("！！！最高新記録！！！");
    case ResultMessage::None:
        break;
    }
    return QString();
}

bool PlaysFailSound(const ProgramState& state) {
    return ChooseMessage(state) == ResultMessage::None &&
           state.ResultValue <= LowestTimeOf(state, state.LevelNo);
}

bool IsGoalLevelCleared(const ProgramState& state) {
    return IsGoalLevel(state) && IsCleared(state);
}

bool ShowsGoalPanel(const ProgramState& state) {
    if (!IsGoalLevelCleared(state)) return false;
    for (int level = 1; level <= kMaxLevel; ++level)
        if (state.criteria.ClearCount[level] == kUnclearableCount) return false;
    return true;
}

Settling SettleFor(const ProgramState& state) {
    Settling settling;
    if (IsOverPractised(state, state.LevelNo, state.session.StudentNo) && IsCleared(state)) {
        if (IsGoalLevel(state)) {
            settling.hideClearLabel = true;
        } else {
            settling.moveOnMessage = true;
            settling.showRetry = false;
        }
    }
    return settling;
}
