// The name selection screen's list rebuild on 5 000 students and 1 000 000
// records (recount, roster reading, keyed rows, sorting, the list filled)
// against its floor: counting the results and reading the roster.
#include "BenchHarness.h"

#include "core/RealPlatform.h"
#include "records/Counts.h"
#include "roster/Roster.h"
#include "screens/NameSelectionScreen.h"
#include "widgets/Screen.h"

#include <QListView>
#include <benchmark/benchmark.h>

namespace {

// The name screen only closes the (absent) board while it is measured.
class QuietNavigator : public Navigator {
  public:
    void showNameSelection() override {}
    void showBoard() override {}
    void closeBoard() override {}
    void showDrill() override {}
    void closeDrill() override {}
    void showResults() override {}
    void closeResults() override {}
    void showWait() override {}
    void closeWait() override {}
    bool waitShown() const override { return false; }
    void showCriteriaEditor() override {}
    void showRecordsBrowser() override {}
    void showWorksheets() override {}
    void endProgram() override { qFatal("bench: the name screen ended the program"); }
};

struct NameClassroom : BenchClassroom {
    MersenneRandom random;
    QuietNavigator navigator;

    NameClassroom() {
        state->platform.random = &random;
        state->platform.navigator = &navigator;
        state->levels.ProgramTitle = QStringLiteral("円の公式ドリル");
    }
};

void NameList(benchmark::State& bench) {
    NameClassroom classroom;
    ScreenHost host;
    NameSelectionScreen* screen = host.open<NameSelectionScreen>(*classroom.state);
    for (auto _ : bench)
        screen->名簿表示();
    auto* list = screen->findChild<QListView*>(QStringLiteral("List1"));
    if (list->model()->rowCount() != classroom.state->roster.RosterCount + 1)
        bench.SkipWithError("the list does not show every student");
}

void NameListFloor(benchmark::State& bench) {
    NameClassroom classroom;
    ProgramState& s = *classroom.state;
    for (auto _ : bench) {
        CountResults(s);
        benchmark::DoNotOptimize(ReadRosterFile(RosterFilePath(s)));
    }
}

} // namespace

BENCHMARK(NameList)->Name("NameList")->Unit(benchmark::kMillisecond);
BENCHMARK(NameListFloor)->Name("NameList_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunScreenBenchmarks(argc, argv);
}
