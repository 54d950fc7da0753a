// The class report of 200 students of a 5 000-student, 1 000 000-record
// classroom (the progress sheet, then three report blocks a student, printed
// into a PDF) against drawing as many pages with one line of text each.
#include "BenchHarness.h"
#include "PdfPages.h"

#include "paper/ClassReport.h"
#include "paper/ClassSheetDrawing.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"
#include "roster/NameList.h"
#include "roster/Roster.h"
#include "rules/ResultsViews.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kReportStudents = 200;
const std::vector<int> kReportLevels = {1, 2, 3};

// The classroom counted, its name list read, as drill-report leaves it before printing.
struct ReportClassroom : BenchClassroom {
    std::vector<SheetStudent> students;

    ReportClassroom() {
        ProgramState& s = *state;
        s.common.ClassroomName = QStringLiteral("ベンチ教室");
        s.levels.ProgramTitle = QStringLiteral("円の公式ドリル");
        s.levels.LevelCount = kBenchLevels;
        s.levels.LastLevel = kBenchLevels;
        s.levels.LevelBoardSwitch = 1;
        for (int level = 1; level <= kBenchLevels; ++level)
            s.levels.LevelNames[level] = QStringLiteral("レベル") + QString::number(level);
        ComputeSchoolYear(s);
        CountResults(s);
        students = NameListStudents(s, kAllGrades);
        students.resize(std::min<std::size_t>(students.size(), kReportStudents));
    }
};

int SheetPageCount(const ReportClassroom& classroom) {
    const ClassSheet sheet =
        BuildClassSheet(*classroom.state, classroom.students, classroom.clock.now());
    return int(PaginateSheet(sheet, kSheetRowsPerPage).size());
}

void ClassReport(benchmark::State& bench) {
    ReportClassroom classroom;
    ProgramState& s = *classroom.state;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("class.pdf"));
    for (auto _ : bench) {
        const ClassSheet sheet = BuildClassSheet(s, classroom.students, classroom.clock.now());
        const ReportBlockSource blocks(s, kReportLevels, ReadRecentResults(s, kPeriodViewRecords),
                                       kBenchToday, ReportSettings{});
        QPrinter printer(QPrinter::HighResolution);
        SetUpPdf(printer, file);
        PrintClassReport(printer, sheet, SheetStudents(sheet), blocks);
    }
    if (QFileInfo(file).size() == 0) bench.SkipWithError("no PDF written");
    bench.counters["pages"] = SheetPageCount(classroom) + kReportStudents;
}

void ClassReportFloor(benchmark::State& bench) {
    ReportClassroom classroom;
    const int pages = SheetPageCount(classroom) + kReportStudents;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("floor.pdf"));
    for (auto _ : bench)
        WritePagesOfOneLine(pages, file);
}

} // namespace

BENCHMARK(ClassReport)->Name("ClassReport")->Unit(benchmark::kMillisecond);
BENCHMARK(ClassReportFloor)->Name("ClassReport_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunScreenBenchmarks(argc, argv);
}
