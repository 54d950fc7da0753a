#include "paper/ClassReport.h"

#include "core/Tables.h"
#include "paper/ClassSheetDrawing.h"
#include "paper/PageFrame.h"
#include "paper/TextShapes.h"

#include <algorithm>
#include <iterator>
#include <set>

#include <QPagedPaintDevice>
#include <QPainter>

ReportBlockSource::ReportBlockSource(const ProgramState& state, const std::vector<int>& levels,
                                     const std::vector<ResultRecord>& records, const QDate& today,
                                     const ReportSettings& settings, const AttemptReading& attempts)
    : state_(state), recordsByStudent_(kStudentSlots), today_(today), settings_(settings),
      tallies_(WeakSpotTalliesByStudent(attempts.records, today)),
      unreadAttempts_(attempts.problem) {
    for (const int level : levels)
        levels_.push_back(BuildReportLevelFigures(state_, level, records, today_, settings_));
    for (const ResultRecord& record : records)
        if (IsValidStudent(record.student))
            recordsByStudent_[std::size_t(record.student)].push_back(record);
}

std::vector<ReportData> ReportBlockSource::blocksOf(int student) const {
    const std::vector<ResultRecord> none;
    const std::vector<ResultRecord>& own =
        IsValidStudent(student) ? recordsByStudent_[std::size_t(student)] : none;
    std::vector<ReportData> blocks;
    for (const ReportLevelFigures& level : levels_)
        blocks.push_back(BuildReportData(state_, student, level, own, today_, settings_));
    return blocks;
}

const WeakSpotTally& ReportBlockSource::tallyOf(int student) const {
    return tallies_[IsValidStudent(student) ? std::size_t(student) : 0];
}

QStringList ReportBlockSource::weakSpotLinesOf(int student) const {
    return WeakSpotLines(tallyOf(student).spots(), unreadAttempts_);
}

QRectF PrintableArea(const QPagedPaintDevice& device) {
    return QRectF(QPointF(0, 0), device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
}

void PrintStudentPages(QPainter& painter, QPagedPaintDevice& device,
                       const std::vector<int>& students,
                       const std::function<std::vector<ReportData>(int student)>& blocksOf) {
    // Every page repeats most of its texts: each is shaped once for the whole run.
    TextShapes shapes;
    bool first = true;
    for (const int student : students) {
        if (!first) device.newPage();
        first = false;
        DrawReportRun(
            painter, PrintableArea(device), blocksOf(student), kPrintedReportStyle,
            [&device] { device.newPage(); }, shapes);
    }
}

namespace {

// Pages are counted before the first is drawn, for the "k / n" at each foot.
class PageCount {
  public:
    explicit PageCount(int pages) : pages_(pages) {}
    // Frames the current page and returns its body.
    QRectF frame(QPainter& painter, QPagedPaintDevice& device, const PageHeading& heading) {
        const PageBands bands = SplitPage(PrintableArea(device), device.logicalDpiY());
        DrawPageFrame(painter, bands, heading, ++page_, pages_);
        return bands.body;
    }

  private:
    int page_ = 0;
    int pages_;
};

int PagesPerStudent(const ReportBlockSource& blocks) {
    const std::vector<BlockPlace> places = PlaceReportBlocks(blocks.blockCount());
    return places.empty() ? 1 : places.back().surface + 1;
}

// Each grade's weak spots: its students' and the whole grade's.
std::vector<GradeWeakSpots> WeakSpotsOfGrades(const ClassSheet& sheet,
                                              const ReportBlockSource& blocks) {
    std::vector<GradeWeakSpots> grades;
    for (const GradeSheet& grade : sheet.grades) {
        GradeWeakSpots spots;
        WeakSpotTally whole;
        for (const SheetRow& row : grade.rows) {
            const WeakSpotTally& own = blocks.tallyOf(row.student);
            spots.rows.push_back(own.spots());
            whole.add(own);
        }
        spots.whole = whole.spots();
        spots.unread = blocks.unreadAttempts();
        grades.push_back(std::move(spots));
    }
    return grades;
}

// The つまずき pages of a grade follow its sheet pages, split alike.
std::vector<SheetPage> PagesOfGrade(const std::vector<SheetPage>& pages, int grade) {
    std::vector<SheetPage> own;
    std::copy_if(pages.begin(), pages.end(), std::back_inserter(own),
                 [grade](const SheetPage& page) { return page.grade == grade; });
    return own;
}

} // namespace

void PrintClassReport(QPagedPaintDevice& device, const ClassSheet& sheet,
                      const std::vector<int>& reportStudents, const ReportBlockSource& blocks) {
    const std::vector<SheetPage> sheetPages = PaginateSheet(sheet, kSheetRowsPerPage);
    const std::set<int> reported(reportStudents.begin(), reportStudents.end());
    PageCount count(2 * int(sheetPages.size()) + int(reported.size()) * PagesPerStudent(blocks));
    const std::vector<GradeWeakSpots> weakSpots = WeakSpotsOfGrades(sheet, blocks);

    device.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&device);
    bool pageUsed = false;
    for (int grade = 0; grade < int(sheet.grades.size()); ++grade) {
        const std::vector<SheetPage> pages = PagesOfGrade(sheetPages, grade);
        for (const SheetPage& page : pages) {
            if (pageUsed) device.newPage();
            pageUsed = true;
            const QRectF body = count.frame(painter, device, SheetPageHeading(sheet, page));
            DrawSheetPage(painter, body, sheet, page);
        }
        for (const SheetPage& page : pages) {
            device.newPage();
            PageHeading heading = SheetPageHeading(sheet, page);
            heading.details.insert(1, kWeakSpotPageTitle);
            const QRectF body = count.frame(painter, device, heading);
            DrawWeakSpotPage(painter, body, sheet, page, weakSpots[std::size_t(grade)]);
        }
    }
    if (reported.empty()) return;
    // A paged device takes a new orientation from its next page on.
    device.setPageOrientation(QPageLayout::Portrait);
    // Every page repeats most of its texts: each is shaped once for the whole run.
    TextShapes shapes;
    for (const GradeSheet& grade : sheet.grades)
        for (const SheetRow& row : grade.rows) {
            if (!reported.contains(row.student)) continue;
            if (pageUsed) device.newPage();
            pageUsed = true;
            const PageHeading heading = StudentPageHeading(sheet, grade, row);
            const QRectF body = count.frame(painter, device, heading);
            DrawReportRunWithWeakSpots(
                painter, body, blocks.blocksOf(row.student), blocks.weakSpotLinesOf(row.student),
                kPrintedReportStyle,
                [&] {
                    device.newPage();
                    count.frame(painter, device, heading);
                },
                shapes);
        }
}

std::vector<int> SheetStudents(const ClassSheet& sheet) {
    std::vector<int> students;
    for (const GradeSheet& grade : sheet.grades)
        for (const SheetRow& row : grade.rows)
            students.push_back(row.student);
    return students;
}
