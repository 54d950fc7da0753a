#pragma once
// The name list of the name selection screen, built without a window: one keyed
// row per shown student, sorted as text, then copied youngest school year first
// through the grade filter.

#include "core/ProgramState.h"
#include "roster/GradeFilters.h"

#include <QAbstractListModel>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

inline const QString kNameListTopRow = QStringLiteral("－－－－－－");

// What a row shows after the name, by the display option 0..3.
enum class DisplayOption {
    TodayAndTotalRuns = 0,
    TodayAndTotalPoints = 1,
    TodayPointsAndRuns = 2,
    TotalPointsAndRuns = 3
};
// What the rows show each time the name screen comes up, and so their order.
inline constexpr DisplayOption kNameScreenShownOption = DisplayOption::TodayAndTotalPoints;

// The four figure texts: right-aligned numbers, blanks (some full-width) for 0.
QString TodayCountText(double todayCount);
QString TodayPointsText(long long todayPoints);
QString TotalCountText(long long runCount);
QString TotalPointsText(long long totalPoints);

// A student's figures summed over levels 1..35 of the count tables.
struct StudentFigures {
    double todayCount = 0;
    long long todayPoints = 0;
    long long runCount = 0;
    long long totalPoints = 0;
};
// Every student's figures, by ID, in one pass over each table.
std::vector<StudentFigures> FiguresByStudent(const CountTables& counts);

// Birth year (four digits), short grade label, " ", name, full-width pad to the
// column width, the two figure texts around "/", then "*" and the ID.
QString KeyedNameRow(const RosterRecord& student, int schoolYear, const StudentFigures& figures,
                     int displayOption);

struct NameListRows {
    QStringList visible{kNameListTopRow}; // List1: row 0 is the top row
    QStringList keyed;                    // List3: entry i - 1 belongs to visible row i
};

// Sorts the keyed rows as text in plain UTF-16 code unit order, so rows group by
// birth year, then copies them last to first through the filter.
NameListRows NameListFromKeyedRows(QStringList keyedRows, int schoolYear, const QString& filter);

// The whole list from the current tables: the roster file is read with the name
// screen's rules (which fills the roster tables). The caller has computed the
// school year and counted the results.
NameListRows BuildNameList(ProgramState& state, int displayOption, const QString& filter);

// The ID a List3 entry ends with (after its last "*"); 0 when there is none.
int IdOfKeyedEntry(const QString& entry);

// The name screen's list as a model: List1's rows over the rows built above,
// so a classroom of thousands is shown without an item per student.
class NameListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit NameListModel(QObject* parent = nullptr);

    void reset(NameListRows rows);
    const NameListRows& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    NameListRows rows_;
};
