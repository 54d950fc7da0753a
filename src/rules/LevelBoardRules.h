#pragma once
// What the level board shows and how it reacts, without a window: column
// geometry, the per-level lines, keys, the teacher test and the password.

#include <QString>

struct ProgramState;

// ---- Column geometry (twips) ------------------------------------------------

inline constexpr int kBoardFormWidth = 15360;
// Up to four levels share this width; from five on each column is kScrolledColumnWidth
// and a scroll bar moves them.
inline constexpr int kColumnsSpan = 14592;
inline constexpr int kScrolledColumnWidth = 3456;
inline constexpr int kLevelsWithoutScrollBar = 4;

int BoardColumnWidth(int levelCount);
bool BoardHasScrollBar(int levelCount);
// The scroll bar's maximum: LevelCount − 3 with a scroll bar, else 1.
int BoardScrollMaximum(int levelCount);
// 2 % of the form width.
int BoardLeftMargin(int formWidth);
// The kept scroll position, or 1 when it was never set or lies beyond the maximum.
int BoardScrollPosition(int kept, int maximum);
// Left edge of level's column when scrollPos is the leftmost level; a column
// scrolled off to the left is parked at the form's right edge, out of view.
int BoardColumnLeft(int firstLeft, int level, int scrollPos, int columnWidth, int formWidth);

// ---- Lines of a level column -------------------------------------------------

// "目標=60秒 3回/50点(×1.5)", or "目標=60秒 --------" when the level has no points goal.
QString TargetLine(const ProgramState& state, int level);
// "最近7日=3回 / 25点": the pass window of StudentNo.
QString RecentLine(const ProgramState& state, int level);
// "2回/11点" today, or "-----" without a run today.
QString TodayCountsText(const ProgramState& state, int level);
// "12回/80点" in all, or "------" without a run.
QString AllTimeCountsText(const ProgramState& state, int level);
// The runs of StudentNo today over every level.
int TodayRunTotal(const ProgramState& state);
// "起動後12分": whole minutes since the name was confirmed.
QString MinutesSinceLoginText(const ProgramState& state);

// ---- Keys, teacher, password ------------------------------------------------

// What a key typed on the board does: "1".."9" and "a".."d" start levels 1..13
// when the board has them, "0" goes back; anything else does nothing.
struct BoardKey {
    enum class Action { None, StartLevel, GoBack };
    Action action = Action::None;
    int level = 0;
    bool operator==(const BoardKey&) const = default;
};
BoardKey BoardKeyFor(const QString& typed, int levelCount);

// A teacher's roster name holds "★" or "先生"; they get the data change panel.
bool IsTeacherName(const QString& studentName);

enum class PasswordCheck { Accepted, Wrong, NotConfigured };
// Exact comparison, case and width included. Without a configured password the
// teacher screens stay closed: an empty box would otherwise open them to anyone.
PasswordCheck CheckDataChangePassword(const QString& typed, const QString& configured);
