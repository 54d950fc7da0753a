#include "screens/ClassReport.h"

#include "core/Tables.h"
#include "screens/ClassSheetDrawing.h"
#include "screens/TextShapes.h"

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

void PrintClassReport(QPagedPaintDevice& device, const ClassSheet& sheet,
                      const std::vector<int>& reportStudents, const ReportBlockSource& blocks) {
    device.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&device);
    bool pageUsed = false;
    for (const SheetPage& page : PaginateSheet(sheet, kSheetRowsPerPage)) {
        if (pageUsed) device.newPage();
        pageUsed = true;
        DrawSheetPage(painter, PrintableArea(device), sheet, page);
    }
    if (reportStudents.empty()) return;
    // A paged device takes a new orientation from its next page on.
    device.setPageOrientation(QPageLayout::Portrait);
    if (pageUsed) device.newPage();
    PrintStudentPages(painter, device, reportStudents,
                      [&blocks](int student) { return blocks.blocksOf(student); });
}

std::vector<int> SheetStudents(const ClassSheet& sheet) {
    std::vector<int> students;
    for (const GradeSheet& grade : sheet.grades)
        for (const SheetRow& row : grade.rows)
            students.push_back(row.student);
    return students;
}
