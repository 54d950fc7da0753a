#include "core/LevelCatalogue.h"

#include "core/Events.h"
#include "core/ProgramState.h"

#include <array>

namespace {
// Names as stored and shown; "レベル７－1" really ends in a half-width 1.
const std::array<const char16_t*, 24> kLevelTable = {
    u"円周１",       u"円周２",       u"円周３",       u"面積１",       u"面積２",
    u"面積３",       u"混合",         u"レベル８",     u"レベル９",     u"レベル１０",
    u"レベル１１",   u"レベル１２",   u"レベル１３",   u"レベル１４",   u"レベル１５",
    u"レベル１６",   u"レベル１７",   u"レベル６－２", u"レベル７練習", u"レベル７－1",
    u"レベル７－２", u"レベル８練習", u"レベル８－１", u"レベル８－２",
};
constexpr int kOfferedLevels = 7;
} // namespace

bool IsPracticeLevel(const QString& levelName) {
    return levelName.contains(u'練');
}

bool IsPracticeLevel(const ProgramState& state, int level) {
    return level >= 0 && level < kLevelSlots && IsPracticeLevel(state.levels.LevelNames[level]);
}

void SetProgramIdentity(ProgramState& state) {
    state.levels.ProgramTitle = kProgramTitle;
    state.levels.LevelBoardSwitch = 1;
}

void BuildLevelTable(ProgramState& state) {
    LevelCatalogue& levels = state.levels;
    levels.LevelCount = kOfferedLevels;
    levels.LastLevel = levels.LevelCount;
    levels.LevelNames.fill(QString());
    levels.LevelEnabled.fill(0);
    for (std::size_t i = 0; i < kLevelTable.size(); ++i) {
        levels.LevelNames[i + 1] = QString::fromUtf16(kLevelTable[i]);
        levels.LevelEnabled[i + 1] = 1;
    }
}

void DefineLevels(ProgramState& state) {
    BuildLevelTable(state);
    state.platform.navigator->showBoard();
}

void StartLevel(ProgramState& state) {
    DrillState& drill = state.drill;
    drill.DrillFinished = false;
    drill.EndRoutineStarted = false;
    drill.JudgingNow = false;
    drill.WrongAnswerShown = false;
    drill.CorrectCount = 0;
    drill.TimedOut = false;
    LetEventsRun();
    state.platform.navigator->showDrill();
}
