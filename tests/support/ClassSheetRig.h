#pragma once
// The classroom of the class sheet's tests.

#include "TestDoubles.h"

#include "core/ProgramState.h"
#include "rules/ClassSheet.h"

#include <algorithm>

inline CriteriaValue SheetNumber(double value) {
    return {CriteriaValue::Kind::Number, value, {}};
}

// Three levels; a level is cleared with 10 points and one run in the pass
// window and locked after two runs in the over-practice window.
struct SheetRig {
    TestRig rig;
    ProgramState& state = rig.state;

    SheetRig() {
        state.common.ClassroomName = QStringLiteral("さくら教室");
        state.levels.LevelCount = 3;
        state.levels.LastLevel = 3;
        state.levels.LevelBoardSwitch = 1;
        for (int level = 1; level <= 3; ++level) {
            state.levels.LevelNames[level] = QStringLiteral("円周%1").arg(level);
            state.criteria.ClearPoint[level] = 10;
            state.criteria.ClearCount[level] = 1;
            state.criteria.OverdoCount[level] = SheetNumber(2);
        }
        state.counts.BestTime.fill(99999);
        for (int student = 1; student <= 3; ++student)
            state.roster.RosterName[student] =
                QStringLiteral("生徒%1").arg(student).leftJustified(20);
    }
    // A run on record; its time becomes the best when it is lower.
    void ran(int student, int level, int32_t result) {
        state.counts.Runs.push_back({0, 0, int16_t(student), int16_t(level), result});
        int32_t& best = state.counts.BestTime(level, student);
        best = std::min(best, result);
    }
    void clear(int student, int level) {
        state.counts.PassPoints(level, student) = 11;
        state.counts.PassRunCount(level, student) = 1;
    }
    void overPractise(int student, int level) { state.counts.OverdoRunCount(level, student) = 2; }

    ClassSheet sheet() const {
        return BuildClassSheet(
            state,
            {{1, QStringLiteral("小5")}, {2, QStringLiteral("小5")}, {3, QStringLiteral("小6")}},
            QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    }
};

inline QStringList CellTexts(const SheetRow& row) {
    QStringList texts;
    for (const SheetCell& cell : row.cells)
        texts << SheetCellText(cell);
    return texts;
}
