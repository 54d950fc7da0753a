#pragma once
// The contents of the level board's results lists: rankings by best time or
// points, today's runs, the runs of a period and the student's own times,
// plus the list colouring and the level availability rule. Pure logic on the
// program state and on records read from the results file; the board only
// puts the returned lines into its lists.

#include "records/ResultRecord.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct ProgramState;

// ---- Students' grades, marks and names -------------------------------------

// The grade number of a roster ID (1..6 primary, 7..9 lower secondary).
int GradeOfStudent(const ProgramState& state, int student);
// "①".."⑥" for 1..6, "Ⅰ" "Ⅱ" "Ⅲ" for 7..9, a full-width blank otherwise.
QString GradeMark(int grade);
// The name without trailing blanks, padded with full-width blanks, cut to 5.
QString NameField(const QString& name);

// ---- Rankings --------------------------------------------------------------

enum class RankingOrder {
    BestTime,    // fastest first
    TotalPoints, // all-time points first, today's points break ties
    TodayPoints, // today's points first; students without points today are left out
};

// One line of a ranking as figures; RankingRowText makes its text when it is shown.
struct RankingRow {
    QString name; // the roster name
    int32_t rank = 0;
    int32_t bestTime = 0; // the time ranking's figure (kNoBestTime: no time yet)
    int32_t todayPoints = 0;
    int32_t totalPoints = 0;
    int16_t student = 0;
    int8_t grade = 0;
    bool own = false; // the student's own line ("●")
};

struct RankingRows {
    RankingOrder order = RankingOrder::BestTime;
    int rankWidth = 2;
    std::vector<RankingRow> rows; // in rank order, only the students the grade filter shows
    int ownLine = -1;             // index of the student's own row, -1 when not listed
};

struct RankingLines {
    QStringList lines;             // in rank order, only the students the grade filter shows
    int ownLine = -1;              // index of the student's own line ("●"), -1 when not listed
    std::vector<int16_t> students; // the student of each line
};

// The rank right-aligned in a field of `width` characters, keeping its last
// characters: " 5", "10", and 100 reads "00" in two characters.
QString RankField(int rank, int width);

// The ranking of one level over every roster row (RosterId 1..RosterCount),
// ranks counted also over the rows the grade filter hides. `rankWidth` is 2 on
// the board; the student report uses 3 (no record then reads "---"). The rows
// keep what their lines show as it was when ranked.
RankingRows RankLevelRows(const ProgramState& state, int level, RankingOrder order,
                          const QString& gradeFilter, int rankWidth = 2);
// The line of ranking.rows[row]: rank, mark, name, then the time or the points.
QString RankingRowText(const RankingRows& ranking, std::size_t row);
// The same ranking with every line made.
RankingLines RankLevel(const ProgramState& state, int level, RankingOrder order,
                       const QString& gradeFilter, int rankWidth = 2);

// The ranking sort: top-down merge sort ascending by key, students moved along;
// on equal keys the right half's element goes first. Exposed for its tie order.
void MergeSortRanks(std::vector<int64_t>& keys, std::vector<int16_t>& students);

// ---- Lists read from the results file --------------------------------------

// The today view reads the last 1000 records, the period and personal views 20000.
inline constexpr int kTodayViewRecords = 1000;
inline constexpr int kPeriodViewRecords = 20000;

// Lines per level: element lv holds the lines of level lv (1..LevelCount),
// element 0 stays empty. Lines are sorted as text by UTF-16 code units.
using LevelLines = std::vector<QStringList>;

// Today's runs of every level (records of levels without a column are skipped).
LevelLines TodayLines(const ProgramState& state, const std::vector<ResultRecord>& records,
                      const QDate& today, const QString& gradeFilter);

// Days the period view reaches back for ResultsPeriod 1..5 ("今週", "先週から",
// month, year, all); a week runs Monday to Sunday.
int PeriodDaysFor(int resultsPeriod, const QDate& today);

enum class PeriodOrder { TimeFirst, PointsFirst };

// The runs dated after today − periodDays of the levels 1..LevelCount.
LevelLines PeriodLines(const ProgramState& state, const std::vector<ResultRecord>& records,
                       const QDate& today, int periodDays, PeriodOrder order,
                       const QString& gradeFilter);

// The student's (StudentNo) own runs of the last 3650 days: date, time, seconds;
// a time-out shows "時間切れ" in place of the seconds.
LevelLines PersonalTimesLines(const ProgramState& state, const std::vector<ResultRecord>& records,
                              const QDate& today, const QString& gradeFilter);

// ---- List colouring --------------------------------------------------------

enum class ListShade { None, Green, LightGreen, Silver };
struct ShadeRgb {
    int red, green, blue;
};
ShadeRgb ShadeColour(ListShade shade); // None gives the list's own light yellow

// The background of a level list in time display: the last line whose third
// character is not "×" decides (seconds at characters 2..5 against the target
// and lowest times); None when no line counts.
ListShade ListShadeFor(const QStringList& lines, int32_t targetTime, int32_t lowestTime);

// ---- Level availability ----------------------------------------------------

struct LevelAvailability {
    std::vector<bool> enabled; // element i for level i (1..LevelCount), 0 unused
    std::vector<bool> locked;  // "やりすぎ禁止" shown over the start button
    bool finalLevelPassed = false;
};

// Which start buttons of the board are open for StudentNo, and which levels are
// locked for over-practice. The board stores finalLevelPassed in FinalLevelPassed.
LevelAvailability LevelAvailabilityFor(const ProgramState& state);
// The same for any student, named as on their board.
LevelAvailability LevelAvailabilityFor(const ProgramState& state, int student,
                                       const QString& studentName);
