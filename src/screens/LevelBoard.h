#pragma once
// seisekitime1: the student's level board. One column per level (number, name,
// start button, today's and all-time counts, recent window, results list,
// target line), the view switches over the lists, and the teacher's data
// change panel. The lists' contents come from ResultsViews.

#include "records/ResultRecord.h"
#include "widgets/Screen.h"

#include <QStringList>

#include <vector>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class LevelListModel;
class ReportPanel;
struct RankingRows;

struct LevelColumn {
    QLabel* label1 = nullptr; // level number
    QLabel* label3 = nullptr; // level name, clickable
    QPushButton* command4 = nullptr;
    QLineEdit* text1 = nullptr;          // "やりすぎ禁止" over a locked start button
    QLabel* label9 = nullptr;            // "今日"
    QLabel* label10 = nullptr;           // "今まで"
    QLabel* label14 = nullptr;           // today's counts
    QLabel* label15 = nullptr;           // all-time counts
    QLabel* label8 = nullptr;            // recent window
    QListView* list5 = nullptr;          // results list
    LevelListModel* list5Rows = nullptr; // what List5 shows
    QLabel* label7 = nullptr;            // target line
};

// The board of levels with the student's counts and the class lists; design
// name seisekitime1.
class LevelBoard : public Screen {
    Q_OBJECT
  public:
    LevelBoard(ProgramState& state, QWidget* parent);

    void load() override;
    void activate() override;
    // Back from a message or the report's print dialog: the board refreshes.
    void returnedTo() override;

    // Resets the headings "今日"/"今まで" and clears every list.
    void 回数など表示();
    // Colours the lists by the student's times (time display) and drops selections.
    void 成績リスト色表示();
    void 成績リスト色表示単独(int level);

    bool boardReady() const { return boardReady_; }
    int displayMode() const { return displayMode_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The last `count` records of the results file, read patiently.
    std::vector<ResultRecord> recentResults(int count) const;

    // Building the controls.
    void createFixedControls();
    void createColumn(int level);
    void createWaitPanels();
    void createDataChangePanel();
    void placeColumns();
    void showLevelLists();
    void showList(int level);
    void setStartButtonsEnabled(bool enabled);
    void hideLevelLists();

    // Handlers.
    bool handleKey(const QString& typed);
    void startButtonClicked(int level);
    void levelNameClicked(int level);
    bool levelCanStart(int level) const;
    void goBack();
    void scrolled(int value);
    void gradeFilterChosen();
    void periodChosen(int index);
    void openDataChangePanel();
    void closeDataChangePanel();
    void dataChangeClicked(int which);

    // The views over the lists. The clicked handlers ignore clicks while a view
    // is being built (events run meanwhile); the rest is the work itself.
    void displayModeClicked(int k);
    void viewChoiceClicked(int k);
    void switchDisplayMode(int k);
    void chooseView(int k);
    void rankingOfEveryLevel(int pointsOrder, bool advanceBoardBar);
    void putRanking(int level, RankingRows ranked);
    void bestView();
    void todayView();
    void periodView();
    void personalTimesView();
    void fillLists(const std::vector<QStringList>& lines);
    void applyAvailability();
    void showWaitPanel6();
    bool isPractice(int level) const;
    void hideColumnDetails(int level);

    std::vector<LevelColumn> columns_; // element i for level i, 0 unused
    int columnWidth_ = 0;
    int firstLeft_ = 0;

    QLabel* label5_ = nullptr;
    QLabel* label6_ = nullptr;
    QLabel* label11_ = nullptr;
    QLabel* label12_ = nullptr;
    QLabel* label13_ = nullptr;
    QLabel* label17_ = nullptr;
    QLabel* label18_ = nullptr;
    QRadioButton* option2_[3] = {};
    QButtonGroup* option2Group_ = nullptr;
    QFrame* picture1_ = nullptr;    // the option panel of option1_
    QRadioButton* option1_[4] = {}; // 1..3
    QButtonGroup* option1Group_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command8_ = nullptr;
    QPushButton* command17_ = nullptr;
    ReportPanel* picture11_ = nullptr; // the student report
    QLineEdit* text4_ = nullptr;
    QLineEdit* text5_ = nullptr;
    QScrollBar* hScroll1_ = nullptr;
    QFrame* picture2_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QFrame* picture6_ = nullptr;
    QProgressBar* progressBar2_ = nullptr;
    QFrame* picture7_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QPushButton* command10_[3] = {}; // records browser, criteria editor, worksheets
    QPushButton* command12_ = nullptr;

    bool boardReady_ = false;
    int displayMode_ = 2;
    int pointsOrder_ = 1;
    bool suppressModeSwitch_ = false;
    bool buildingView_ = false; // a view is being built: option and combo clicks wait
};
