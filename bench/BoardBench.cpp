// The level board's activation on 5 000 students, 7 levels and 1 000 000
// records (counts, the all-time points ranking of every level, the lists
// filled) against counting the results and filling the same lists with
// strings made beforehand.
#include "BenchHarness.h"

#include "records/Counts.h"
#include "roster/Roster.h"
#include "rules/ResultsViews.h"
#include "screens/LevelBoard.h"
#include "widgets/Screen.h"

#include <QListView>
#include <QListWidget>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// The board never moves to another screen while it activates.
class StayingNavigator : public Navigator {
  public:
    void showNameSelection() override { fail(); }
    void showBoard() override { fail(); }
    void closeBoard() override { fail(); }
    void showDrill() override { fail(); }
    void closeDrill() override { fail(); }
    void showResults() override { fail(); }
    void closeResults() override { fail(); }
    void showWait() override { fail(); }
    void closeWait() override { fail(); }
    bool waitShown() const override { return false; }
    void showCriteriaEditor() override { fail(); }
    void showRecordsBrowser() override { fail(); }
    void showWorksheets() override { fail(); }
    void endProgram() override { fail(); }

  private:
    static void fail() { qFatal("bench: the board left during its activation"); }
};

struct BoardClassroom : BenchClassroom {
    StayingNavigator navigator;

    BoardClassroom() {
        ProgramState& s = *state;
        s.platform.navigator = &navigator;
        s.levels.ProgramTitle = QStringLiteral("円の公式ドリル");
        s.levels.LevelCount = kBenchLevels;
        s.levels.LastLevel = kBenchLevels;
        s.levels.LevelBoardSwitch = 1;
        for (int level = 1; level <= kBenchLevels; ++level) {
            s.levels.LevelNames[level] = QStringLiteral("レベル") + QString::number(level);
            s.levels.LevelEnabled[level] = 1;
        }
        // The roster as the name screen leaves it.
        ComputeSchoolYear(s);
        FillNameScreenRoster(s, ReadRosterFile(RosterFilePath(s)));
        s.session.StudentNo = s.roster.RosterId[s.roster.RosterCount / 2];
        s.session.StudentName = s.roster.RosterName[s.session.StudentNo];
        CountResults(s);
    }
};

void BoardActivation(benchmark::State& bench) {
    BoardClassroom classroom;
    ScreenHost host;
    LevelBoard* board = host.open<LevelBoard>(*classroom.state);
    for (auto _ : bench)
        board->activate();
    auto* list = board->findChild<QListView*>(QStringLiteral("List5_1"));
    if (list->model()->rowCount() != classroom.state->roster.RosterCount)
        bench.SkipWithError("the ranking does not list every student");
}

void BoardActivationFloor(benchmark::State& bench) {
    BoardClassroom classroom;
    ProgramState& s = *classroom.state;
    std::vector<QStringList> lines;
    for (int level = 1; level <= kBenchLevels; ++level)
        lines.push_back(
            RankLevel(s, level, RankingOrder::TotalPoints, QStringLiteral("全学年")).lines);
    std::vector<std::unique_ptr<QListWidget>> lists;
    for (int level = 1; level <= kBenchLevels; ++level) {
        lists.push_back(std::make_unique<QListWidget>());
        lists.back()->setUniformItemSizes(true);
    }
    for (auto _ : bench) {
        CountResults(s);
        for (std::size_t i = 0; i < lists.size(); ++i) {
            lists[i]->clear();
            lists[i]->addItems(lines[i]);
        }
    }
}

} // namespace

BENCHMARK(BoardActivation)->Name("BoardActivation")->Unit(benchmark::kMillisecond);
BENCHMARK(BoardActivationFloor)->Name("BoardActivation_floor")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunScreenBenchmarks(argc, argv);
}
