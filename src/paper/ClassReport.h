#pragma once
// The class report on a printer or in a PDF: the progress sheet's pages (A4
// landscape), then each student's report from a page of its own (A4 portrait),
// drawn by the report panel's own drawing routine. Every page has a header
// line (classroom, grade, a student's number and name, date) and "k / n" at its foot.

#include "paper/ReportDrawing.h"
#include "rules/ClassSheet.h"
#include "rules/StudentReport.h"
#include "rules/WeakSpots.h"

#include <QDate>
#include <QRectF>

#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;
struct ProgramState;

// Printed reports are set at base size 6 with the printer's larger captions.
inline constexpr ReportStyle kPrintedReportStyle{6, true};

// The report blocks of any student on a fixed list of levels; what the levels
// share (class figures, rankings) is worked out once.
class ReportBlockSource {
  public:
    // `attempts`: the attempt log of the last 30 days at least, for the
    // つまずき blocks and pages.
    ReportBlockSource(const ProgramState& state, const std::vector<int>& levels,
                      const std::vector<ResultRecord>& records, const QDate& today,
                      const ReportSettings& settings, const AttemptReading& attempts = {});
    std::vector<ReportData> blocksOf(int student) const;
    int blockCount() const { return int(levels_.size()); }
    // The attempts of a student over the last 30 days (0: none), and what of
    // the log could not be read.
    const WeakSpotTally& tallyOf(int student) const;
    QStringList weakSpotLinesOf(int student) const;
    const QString& unreadAttempts() const { return unreadAttempts_; }

  private:
    const ProgramState& state_;
    // Each student's records of the window, so that a block reads only its own.
    std::vector<std::vector<ResultRecord>> recordsByStudent_;
    QDate today_;
    ReportSettings settings_;
    std::vector<ReportLevelFigures> levels_;
    std::vector<WeakSpotTally> tallies_; // by student ID
    QString unreadAttempts_;
};

// The printable area of the current page, with its top left corner at (0, 0)
// as a painter on the device sees it.
QRectF PrintableArea(const QPagedPaintDevice& device);

// Each student's report from a new page (the first on the current one, which
// must be portrait); `blocksOf` gives a student's blocks.
void PrintStudentPages(QPainter& painter, QPagedPaintDevice& device,
                       const std::vector<int>& students,
                       const std::function<std::vector<ReportData>(int student)>& blocksOf);

// The whole class report on a device that no painter is active on: each
// grade's sheet pages and its つまずき page, then the report students' pages
// with their つまずき blocks. Without report students only the sheet is
// printed; the report students are students of the sheet, each printed in the
// sheet's order.
void PrintClassReport(QPagedPaintDevice& device, const ClassSheet& sheet,
                      const std::vector<int>& reportStudents, const ReportBlockSource& blocks);

// The students of the sheet, in its order.
std::vector<int> SheetStudents(const ClassSheet& sheet);
