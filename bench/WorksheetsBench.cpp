// Worksheets with their keys for a grade of 40 students of a 5 000-student,
// 1 000 000-record classroom, each from the student's weak spots (the name
// list counted and read, the last 30 days of a year's 1 000 000-attempt log
// read once, then every sheet drawn into a PDF) against drawing as many pages
// with one line of text each.
#include "BenchHarness.h"
#include "PdfPages.h"

#include "core/RealPlatform.h"
#include "paper/WorksheetDrawing.h"
#include "records/AttemptLog.h"
#include "records/Counts.h"
#include "roster/NameList.h"
#include "roster/Roster.h"
#include "rules/WeakSpots.h"
#include "rules/Worksheet.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kGradeStudents = 40;

WorksheetSettings Settings() {
    WorksheetSettings settings;
    settings.levels = {7};
    settings.weak = true;
    settings.values = true;
    settings.seed = 48213;
    return settings;
}

int PageCount() {
    return kGradeStudents * int(PaginateWorksheet(Settings()).size());
}

void Worksheets(benchmark::State& bench) {
    BenchClassroom classroom;
    ProgramState& s = *classroom.state;
    s.common.ClassroomName = QStringLiteral("ベンチ教室");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("worksheets.pdf"));
    MersenneRandom random;
    for (auto _ : bench) {
        // As drill-worksheet --grade does: the name list's order needs the counts.
        ComputeSchoolYear(s);
        CountResults(s);
        std::vector<SheetStudent> students = NameListStudents(s, kAllGrades);
        students.resize(std::min<std::size_t>(students.size(), kGradeStudents));
        const WorksheetSettings settings = Settings();
        const QDateTime now = classroom.clock.now();
        const AttemptReading attempts =
            ReadAttemptsSince(AttemptLogPath(s), FirstWeakSpotDay(now.date()));
        if (attempts.records.empty()) bench.SkipWithError("no attempts read");
        const std::vector<Worksheet> sheets =
            BuildWorksheets(s, students, settings, now, random, attempts);
        QPrinter printer(QPrinter::HighResolution);
        SetUpPdf(printer, file);
        if (!PrintWorksheets(printer, sheets, settings)) bench.SkipWithError("no PDF written");
    }
    if (QFileInfo(file).size() == 0) bench.SkipWithError("no PDF written");
    bench.counters["pages"] = PageCount();
}

void WorksheetsFloor(benchmark::State& bench) {
    const int pages = PageCount();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("floor.pdf"));
    for (auto _ : bench)
        WritePagesOfOneLine(pages, file);
}

} // namespace

BENCHMARK(Worksheets)->Name("Worksheets")->Unit(benchmark::kMillisecond);
BENCHMARK(WorksheetsFloor)->Name("Worksheets_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunScreenBenchmarks(argc, argv);
}
