#include "paper/ClassReport.h"

#include "core/Tables.h"
#include "paper/ClassSheetDrawing.h"
#include "paper/PageFrame.h"
#include "paper/TextShapes.h"

#include <set>

#include <QPagedPaintDevice>
#include <QPainter>

ReportBlockSource::ReportBlockSource(const ProgramState& state, const std::vector<int>& levels,
                                     const std::vector<ResultRecord>& records, const QDate& today,
                                     const ReportSettings& settings)
    : state_(state), recordsByStudent_(kStudentSlots), today_(today), settings_(settings) {
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

} // namespace

void PrintClassReport(QPagedPaintDevice& device, const ClassSheet& sheet,
                      const std::vector<int>& reportStudents, const ReportBlockSource& blocks) {
    const std::vector<SheetPage> sheetPages = PaginateSheet(sheet, kSheetRowsPerPage);
    const std::set<int> reported(reportStudents.begin(), reportStudents.end());
    PageCount count(int(sheetPages.size()) + int(reported.size()) * PagesPerStudent(blocks));

    device.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&device);
    bool pageUsed = false;
    for (const SheetPage& page : sheetPages) {
        if (pageUsed) device.newPage();
        pageUsed = true;
        const QRectF body = count.frame(painter, device, SheetPageHeading(sheet, page));
        DrawSheetPage(painter, body, sheet, page);
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
            DrawReportRun(
                painter, body, blocks.blocksOf(row.student), kPrintedReportStyle,
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
