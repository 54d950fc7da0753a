// The level board's view switches: which lines its level lists show.
#include "screens/LevelBoard.h"

#include "core/Events.h"
#include "core/ProgramState.h"
#include "records/Criteria.h"
#include "records/ResultsFile.h"
#include "rules/LevelListModel.h"
#include "rules/ResultsViews.h"
#include "screens/ReportPanel.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace {
constexpr int kPersonalDays = 3650;

QColor ListColour(ListShade shade) {
    const ShadeRgb rgb = ShadeColour(shade);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Restyling a list is slow; most rebuilds keep its colour.
void SetListColour(QListView* list, ListShade shade) {
    const QString sheet =
        QStringLiteral("QListView { background: %1; }").arg(ListColour(shade).name());
    if (list->styleSheet() != sheet) list->setStyleSheet(sheet);
}

void DropSelection(QListView* list) {
    if (list->model()->rowCount() > 0) list->clearSelection();
}

RankingOrder OrderFor(int displayMode, int pointsOrder) {
    if (displayMode == 1) return RankingOrder::BestTime;
    return pointsOrder == 2 ? RankingOrder::TodayPoints : RankingOrder::TotalPoints;
}

// Marks the board busy for the time a view is built.
class BuildingView {
  public:
    explicit BuildingView(bool& flag) : flag_(flag) { flag_ = true; }
    ~BuildingView() { flag_ = false; }
    BuildingView(const BuildingView&) = delete;
    BuildingView& operator=(const BuildingView&) = delete;

  private:
    bool& flag_;
};
} // namespace

void LevelBoard::回数など表示() {
    for (std::size_t level = 1; level < columns_.size(); ++level) {
        const LevelColumn& c = columns_[level];
        c.label9->setText(QStringLiteral("今日"));
        c.label10->setText(QStringLiteral("今まで"));
        c.list5Rows->clear();
        // A list shows its time colours only for the view that coloured it.
        SetListColour(c.list5, ListShade::None);
    }
}

void LevelBoard::成績リスト色表示() {
    for (int level = 1; level < int(columns_.size()); ++level) {
        const LevelColumn& c = columns_[std::size_t(level)];
        QListView* list = c.list5;
        if (displayMode_ == 1 && state_.levels.LevelEnabled[level] == 1)
            SetListColour(list, ListShadeFor(c.list5Rows->texts(), TargetTimeOf(state_, level),
                                             LowestTimeOf(state_, level)));
        DropSelection(list);
    }
}

void LevelBoard::成績リスト色表示単独(int level) {
    DropSelection(columns_[std::size_t(level)].list5);
}

void LevelBoard::showWaitPanel6() {
    picture6_->raise();
    picture6_->show();
}

// ---- Display mode (option2_) ---------------------------------------------------

void LevelBoard::displayModeClicked(int k) {
    if (buildingView_) return;
    const BuildingView busy(buildingView_);
    switchDisplayMode(k);
}

void LevelBoard::viewChoiceClicked(int k) {
    if (buildingView_) return;
    const BuildingView busy(buildingView_);
    chooseView(k);
}

void LevelBoard::switchDisplayMode(int k) {
    command17_->hide();
    picture11_->hide();
    command1_->setEnabled(false);
    setStartButtonsEnabled(false);
    hideLevelLists();
    showWaitPanel6();
    LetEventsRun();
    if (suppressModeSwitch_) return;

    if (k == 0) {
        option1_[1]->setText(QStringLiteral("BEST表示"));
        option1_[2]->setText(QStringLiteral("本日のみ"));
        option1_[3]->setEnabled(true);
        displayMode_ = 1;
        for (int choice = 1; choice <= 3; ++choice)
            if (option1_[choice]->isChecked()) {
                chooseView(choice);
                break;
            }
    } else if (k == 1) {
        combo2_->hide();
        option1_[1]->setText(QStringLiteral("合計累計"));
        option1_[2]->setText(QStringLiteral("合計本日"));
        option1_[3]->setText(QStringLiteral("すべて"));
        option1_[3]->setEnabled(true);
        displayMode_ = 2;
        LetEventsRun();
        if (option1_[1]->isChecked()) {
            pointsOrder_ = 1;
            chooseView(1);
        } else if (option1_[3]->isChecked()) {
            chooseView(3);
        } else if (option1_[2]->isChecked()) {
            pointsOrder_ = 2;
            chooseView(2);
        }
    } else {
        command17_->show();
        combo2_->hide();
        personalTimesView();
    }
}

// ---- View choice (option1_) ----------------------------------------------------

void LevelBoard::chooseView(int k) {
    command1_->setEnabled(false);
    setStartButtonsEnabled(false);
    hideLevelLists();
    showWaitPanel6();
    combo2_->hide();
    picture1_->setEnabled(false);
    LetEventsRun();
    if (displayMode_ == 0) displayMode_ = 1;

    if (displayMode_ == 1) {
        if (k == 1)
            bestView();
        else if (k == 2)
            todayView();
        else
            periodView();
    } else {
        if (pointsOrder_ == 0) pointsOrder_ = 1;
        if (k == 1) {
            pointsOrder_ = 1;
            label5_->setText(QStringLiteral("獲得ポイント（今まで順位）"));
            rankingOfEveryLevel(1, true);
        } else if (k == 2) {
            label5_->setText(QStringLiteral("獲得ポイント（今日の順位）"));
            pointsOrder_ = 2;
            rankingOfEveryLevel(2, false);
        } else {
            periodView();
        }
        picture1_->setEnabled(true);
    }

    command1_->setEnabled(true);
    applyAvailability();
    showLevelLists();
    picture6_->hide();
}

void LevelBoard::putRanking(int level, RankingRows ranked) {
    const LevelColumn& c = columns_[std::size_t(level)];
    c.label9->setText(QStringLiteral("今日"));
    c.label10->setText(QStringLiteral("今まで"));
    c.list5Rows->showRanking(std::move(ranked));
    成績リスト色表示単独(level);
}

void LevelBoard::rankingOfEveryLevel(int pointsOrder, bool advanceBoardBar) {
    const int levelCount = int(columns_.size()) - 1;
    const RankingOrder ranking = OrderFor(displayMode_, pointsOrder);
    progressBar2_->setRange(0, std::max(levelCount, 1));
    for (int level = 1; level <= levelCount; ++level) {
        putRanking(level, RankLevelRows(state_, level, ranking, combo1_->currentText()));
        progressBar2_->setValue(level);
        if (advanceBoardBar) progressBar1_->setValue(std::min(level, progressBar1_->maximum()));
        LetEventsRun();
    }
}

void LevelBoard::bestView() {
    label5_->setText(QStringLiteral("ベスト成績"));
    回数など表示();
    const int levelCount = int(columns_.size()) - 1;
    progressBar2_->setRange(0, std::max(levelCount, 1));
    for (int level = 1; level <= levelCount; ++level) {
        if (isPractice(level)) {
            hideColumnDetails(level);
            continue;
        }
        putRanking(level,
                   RankLevelRows(state_, level, RankingOrder::BestTime, combo1_->currentText()));
        progressBar2_->setValue(level);
        LetEventsRun();
    }
    picture1_->setEnabled(true);
}

void LevelBoard::fillLists(const std::vector<QStringList>& lines) {
    const int levelCount = int(columns_.size()) - 1;
    progressBar2_->setRange(0, std::max(levelCount, 1));
    for (int level = 1; level <= levelCount; ++level) {
        if (std::size_t(level) < lines.size())
            columns_[std::size_t(level)].list5Rows->showLines(lines[std::size_t(level)]);
        progressBar2_->setValue(level);
        LetEventsRun();
    }
}

void LevelBoard::todayView() {
    label5_->setText(QStringLiteral("本日の成績"));
    回数など表示();
    const QDate today = state_.platform.clock->now().date();
    const auto records = recentResults(kTodayViewRecords);
    fillLists(TodayLines(state_, records, today, combo1_->currentText()));
    成績リスト色表示();
    picture1_->setEnabled(true);
}

void LevelBoard::periodView() {
    回数など表示();
    const QDate today = state_.platform.clock->now().date();
    state_.board.PeriodDays = PeriodDaysFor(state_.board.ResultsPeriod, today);
    label5_->clear();
    const auto records = recentResults(kPeriodViewRecords);
    const PeriodOrder order = displayMode_ == 1 ? PeriodOrder::TimeFirst : PeriodOrder::PointsFirst;
    fillLists(PeriodLines(state_, records, today, state_.board.PeriodDays, order,
                          combo1_->currentText()));
    成績リスト色表示();
    picture1_->setEnabled(true);
    combo2_->show();
}

void LevelBoard::personalTimesView() {
    // The student report's selection lists are filled by the report panel itself.
    回数など表示();
    state_.board.PeriodDays = kPersonalDays;
    label5_->setText(QStringLiteral("個人別ﾀｲﾑ"));
    const QDate today = state_.platform.clock->now().date();
    const auto records = recentResults(kPeriodViewRecords);
    fillLists(PersonalTimesLines(state_, records, today, combo1_->currentText()));
    picture6_->hide();
    applyAvailability();
    showLevelLists();
    command1_->setEnabled(true);
}

std::vector<ResultRecord> LevelBoard::recentResults(int count) const {
    return ReadRecentResults(state_, count);
}
