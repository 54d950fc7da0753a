#include "screens/LevelBoard.h"

#include "core/Events.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"
#include "roster/GradeFilters.h"
#include "rules/LevelBoardRules.h"
#include "rules/LevelListModel.h"
#include "rules/ResultsViews.h"
#include "screens/ReportPanel.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {
// Rows of a level column (twips). The number and name row sits just below the
// lists' heading; the list takes what is left above the target line.
constexpr int kHeadingTop = 1900;
constexpr int kHeadingHeight = 420;
constexpr int kNameRowHeight = 450;
constexpr int kStartButtonHeight = 600;
constexpr int kCaptionRowHeight = 300;
constexpr int kCountsRowHeight = 330;
constexpr int kRecentRowHeight = 300;
constexpr int kTargetRowHeight = 330;
constexpr int kScrollBarHeight = 270;
constexpr int kFormHeight = 11520;
constexpr int kBottomGap = 60;

const QColor kLightYellow = QColor(255, 255, 192);
const QColor kLightGrey = QColor(224, 224, 224);
const QColor kLockGrey = QColor(128, 128, 128);
const QColor kPanelGreen = QColor(0, 192, 0);
const QColor kSwatchGreen = QColor(0, 192, 0);
const QColor kSwatchLightGreen = QColor(192, 255, 192);

const QStringList kPeriods = {
    QStringLiteral("　　　今週の全成績"),   QStringLiteral("　　先週からの全成績"),
    QStringLiteral("　　１ヶ月間の全成績"), QStringLiteral("　　１年間の全成績"),
    QStringLiteral("　　今までの全成績\""),
};
constexpr int kInitialPeriod = 3;

// A read-only box: the lock notice and the colour swatches.
QLineEdit* MakeBox(QWidget* parent, const QString& name, const QColor& colour, const QRect& rect) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setGeometry(rect);
    box->setStyleSheet(
        QStringLiteral("background: %1; border: 1px solid #606060;").arg(colour.name()));
    return box;
}

QString Indexed(const char* name, int i) {
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(i);
}

void SetListBackground(QListView* list, const QColor& colour) {
    list->setStyleSheet(QStringLiteral("QListView { background: %1; }").arg(colour.name()));
}
} // namespace

LevelBoard::LevelBoard(ProgramState& state, QWidget* parent) : Screen(state, parent) {
    setObjectName(QStringLiteral("seisekitime1"));
    createFixedControls();
    createWaitPanels();
    createDataChangePanel();
}

// ---- Building the controls ----------------------------------------------------

void LevelBoard::createFixedControls() {
    label11_ = MakeLabel(this, QStringLiteral("Label11"), QString(), TwipRect(300, 40, 4900, 640));
    label12_ = MakeLabel(this, QStringLiteral("Label12"), QString(), TwipRect(300, 700, 4900, 450));
    label12_->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold;"));
    label13_ =
        MakeLabel(this, QStringLiteral("Label13"), QString(), TwipRect(300, 1170, 3100, 330));
    label17_ =
        MakeLabel(this, QStringLiteral("Label17"), QString(), TwipRect(3500, 1170, 1700, 330));
    label18_ =
        MakeLabel(this, QStringLiteral("Label18"), QString(), TwipRect(300, 1500, 4900, 330));

    option2Group_ = new QButtonGroup(this);
    const QString modes[3] = {QStringLiteral("ﾀｲﾑ表示"), QStringLiteral("ﾎﾟｲﾝﾄ表示"),
                              QStringLiteral("個人ﾀｲﾑ")};
    for (int k = 0; k < 3; ++k) {
        option2_[k] = new QRadioButton(modes[k], this);
        option2_[k]->setObjectName(Indexed("Option2", k));
        option2_[k]->setGeometry(TwipRect(5400, 80 + k * 400, 1800, 380));
        option2Group_->addButton(option2_[k], k);
        connect(option2_[k], &QRadioButton::clicked, this,
                [this, k] { RunFileAction(state_, [&] { displayModeClicked(k); }); });
    }

    picture1_ = new QFrame(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setFrameShape(QFrame::StyledPanel);
    picture1_->setGeometry(TwipRect(7300, 40, 2300, 1300));
    option1Group_ = new QButtonGroup(this);
    for (int k = 1; k <= 3; ++k) {
        option1_[k] = new QRadioButton(picture1_);
        option1_[k]->setObjectName(Indexed("Option1", k));
        option1_[k]->setGeometry(TwipRect(120, 40 + (k - 1) * 400, 2100, 380));
        option1Group_->addButton(option1_[k], k);
        connect(option1_[k], &QRadioButton::clicked, this,
                [this, k] { RunFileAction(state_, [&] { viewChoiceClicked(k); }); });
    }
    // The time display's third view keeps this caption until the points display renames it.
    option1_[3]->setText(QStringLiteral("オール表示"));

    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(TwipRect(9800, 80, 2300, 420));
    for (const QString& entry : GradeFilterEntries())
        combo1_->addItem(entry);
    connect(combo1_, &QComboBox::activated, this,
            [this] { RunFileAction(state_, [&] { gradeFilterChosen(); }); });

    combo2_ = new QComboBox(this);
    combo2_->setObjectName(QStringLiteral("Combo2"));
    combo2_->setGeometry(TwipRect(9800, 560, 3000, 420));
    combo2_->addItems(kPeriods);
    connect(combo2_, &QComboBox::activated, this,
            [this](int index) { RunFileAction(state_, [&] { periodChosen(index); }); });

    command17_ = MakeButton(this, QStringLiteral("Command17"), QStringLiteral("グラフ"),
                            TwipRect(9800, 1040, 1500, 420));
    command17_->hide();
    picture11_ = new ReportPanel(
        state_,
        [this] {
            return ReportSettings{combo1_->currentText(), pointsOrder_ == 2
                                                              ? RankingOrder::TodayPoints
                                                              : RankingOrder::TotalPoints};
        },
        this);
    connect(command17_, &QPushButton::clicked, this, [this] {
        RunFileAction(state_, [&] { picture11_->showForStudent(state_.session.StudentNo); });
    });

    command8_ = MakeButton(this, QStringLiteral("Command8"), QStringLiteral("データ処理"),
                           TwipRect(12300, 80, 1500, 450));
    connect(command8_, &QPushButton::clicked, this, [this] { openDataChangePanel(); });
    command1_ = MakeButton(this, QStringLiteral("Command1"), QStringLiteral("戻る(0)"),
                           TwipRect(13900, 80, 1200, 900));
    command1_->setStyleSheet(QStringLiteral("font-size: 14pt;"));
    connect(command1_, &QPushButton::clicked, this, [this] { goBack(); });

    text4_ = MakeBox(this, QStringLiteral("Text4"), kSwatchGreen, TwipRect(12300, 1040, 300, 300));
    text5_ =
        MakeBox(this, QStringLiteral("Text5"), kSwatchLightGreen, TwipRect(12700, 1040, 300, 300));

    label6_ = MakeLabel(this, QStringLiteral("Label6"),
                        QStringLiteral("GRPH+A,B,C,D..でも選択できます。"),
                        TwipRect(5400, 1420, 6500, 330));
    label5_ = MakeLabel(this, QStringLiteral("Label5"), QString(),
                        TwipRect(300, kHeadingTop, 9000, kHeadingHeight));
    label5_->setStyleSheet(QStringLiteral("font-size: 14pt; font-weight: bold;"));

    hScroll1_ = new QScrollBar(Qt::Horizontal, this);
    hScroll1_->setObjectName(QStringLiteral("HScroll1"));
    hScroll1_->hide();
    connect(hScroll1_, &QScrollBar::valueChanged, this, [this](int value) { scrolled(value); });
}

void LevelBoard::createWaitPanels() {
    picture2_ = new QFrame(this);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->setGeometry(TwipRect(0, 0, kBoardFormWidth, kFormHeight));
    auto* label19 =
        MakeLabel(picture2_, QStringLiteral("Label19"), QStringLiteral("Just a moment, please."),
                  TwipRect(0, 4200, kBoardFormWidth, 900));
    label19->setAlignment(Qt::AlignCenter);
    label19->setStyleSheet(QStringLiteral("font-size: 28pt; font-weight: bold;"));
    progressBar1_ = new QProgressBar(picture2_);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setGeometry(TwipRect(3840, 5400, 7680, 400));
    picture2_->hide();

    picture6_ = new QFrame(this);
    picture6_->setObjectName(QStringLiteral("Picture6"));
    picture6_->setFrameShape(QFrame::Box);
    picture6_->setGeometry(TwipRect(4200, 5200, 6960, 1500));
    SetBackground(picture6_, kLightYellow);
    auto* label21 =
        MakeLabel(picture6_, QStringLiteral("Label21"), QStringLiteral("Just a momento, please."),
                  TwipRect(0, 150, 6960, 600));
    label21->setAlignment(Qt::AlignCenter);
    label21->setStyleSheet(QStringLiteral("font-size: 18pt;"));
    progressBar2_ = new QProgressBar(picture6_);
    progressBar2_->setObjectName(QStringLiteral("ProgressBar2"));
    progressBar2_->setGeometry(TwipRect(480, 900, 6000, 360));
    picture6_->hide();
}

void LevelBoard::createDataChangePanel() {
    picture7_ = new QFrame(this);
    picture7_->setObjectName(QStringLiteral("Picture7"));
    picture7_->setFrameShape(QFrame::Box);
    picture7_->setGeometry(TwipRect(4800, 3600, 5760, 3650));
    SetBackground(picture7_, kPanelGreen);
    MakeLabel(picture7_, QStringLiteral("Label16"), QStringLiteral("データ変更パスワード"),
              TwipRect(300, 200, 5000, 400))
        ->setStyleSheet(QStringLiteral("font-size: 14pt; color: white; font-weight: bold;"));
    text3_ = new QLineEdit(picture7_);
    text3_->setObjectName(QStringLiteral("Text3"));
    text3_->setEchoMode(QLineEdit::Password);
    text3_->setStyleSheet(QStringLiteral("lineedit-password-character: 42; font-size: 14pt;"));
    text3_->setGeometry(TwipRect(300, 700, 5100, 480));
    const QString captions[3] = {QStringLiteral("データ変更"),
                                 QStringLiteral("合格タイムデータ変更"),
                                 QStringLiteral("プリント作成")};
    for (int k = 0; k < 3; ++k) {
        command10_[k] = MakeButton(picture7_, Indexed("Command10", k), captions[k],
                                   TwipRect(300, 1400 + k * 650, 3600, 560));
        connect(command10_[k], &QPushButton::clicked, this, [this, k] { dataChangeClicked(k); });
    }
    command12_ = MakeButton(picture7_, QStringLiteral("Command12"), QStringLiteral("戻る"),
                            TwipRect(4100, 1400, 1300, 1210));
    connect(command12_, &QPushButton::clicked, this, [this] { closeDataChangePanel(); });
    picture7_->hide();
}

void LevelBoard::createColumn(int level) {
    LevelColumn& c = columns_[std::size_t(level)];
    const int w = columnWidth_;
    const int numberWidth = w / 5;
    const int half = w / 2;
    int top = kHeadingTop + kHeadingHeight * 105 / 100;
    const auto row = [&top](int height) {
        const int rowTop = top;
        top += height;
        return rowTop;
    };
    const int nameTop = row(kNameRowHeight);
    c.label1 = MakeLabel(this, Indexed("Label1", level), QString::number(level),
                         TwipRect(0, nameTop, numberWidth, kNameRowHeight));
    c.label1->setAlignment(Qt::AlignCenter);
    c.label1->setStyleSheet(QStringLiteral("font-size: 14pt; font-weight: bold;"));
    c.label3 = MakeLabel(this, Indexed("Label3", level), state_.levels.LevelNames[level],
                         TwipRect(0, nameTop, w - numberWidth, kNameRowHeight));
    c.label3->setToolTip(state_.levels.LevelNames[level]);
    c.label3->setStyleSheet(QStringLiteral("font-size: 14pt; font-weight: bold;"));
    c.label3->setCursor(Qt::PointingHandCursor);

    const int buttonTop = row(kStartButtonHeight);
    c.command4 = MakeButton(this, Indexed("Command4", level),
                            QStringLiteral("ｽﾀｰﾄ(&") + QString::number(level) + QLatin1Char(')'),
                            TwipRect(0, buttonTop, w, kStartButtonHeight));
    c.command4->setStyleSheet(QStringLiteral("font-size: 14pt;"));
    connect(c.command4, &QPushButton::clicked, this, [this, level] { startButtonClicked(level); });
    c.text1 = MakeBox(this, Indexed("Text1", level), kLockGrey,
                      TwipRect(0, buttonTop, w, kStartButtonHeight));
    c.text1->setAlignment(Qt::AlignCenter);
    c.text1->setStyleSheet(c.text1->styleSheet() +
                           QStringLiteral("color: white; font-size: 14pt;"));
    c.text1->hide();

    const int captionTop = row(kCaptionRowHeight);
    c.label9 = MakeLabel(this, Indexed("Label9", level), QStringLiteral("今日"),
                         TwipRect(0, captionTop, half, kCaptionRowHeight));
    c.label10 = MakeLabel(this, Indexed("Label10", level), QStringLiteral("今まで"),
                          TwipRect(0, captionTop, half, kCaptionRowHeight));
    const int countsTop = row(kCountsRowHeight);
    c.label14 = MakeLabel(this, Indexed("Label14", level), QString(),
                          TwipRect(0, countsTop, half, kCountsRowHeight));
    c.label15 = MakeLabel(this, Indexed("Label15", level), QString(),
                          TwipRect(0, countsTop, half, kCountsRowHeight));
    const int recentTop = row(kRecentRowHeight);
    c.label8 = MakeLabel(this, Indexed("Label8", level), RecentLine(state_, level),
                         TwipRect(0, recentTop, w, kRecentRowHeight));

    const int listTop = top;
    const int targetTop = kFormHeight - kBottomGap - kScrollBarHeight - kTargetRowHeight;
    c.list5 = new QListView(this);
    c.list5->setObjectName(Indexed("List5", level));
    c.list5Rows = new LevelListModel(c.list5);
    c.list5->setModel(c.list5Rows);
    c.list5->setSelectionMode(QAbstractItemView::SingleSelection);
    c.list5->setGeometry(TwipRect(0, listTop, w, targetTop - listTop));
    c.list5->setUniformItemSizes(true);
    c.list5->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A fixed-pitch face keeps the right-aligned numbers of the lines in columns.
    QFont listFont(QStringLiteral("IPAGothic"));
    listFont.setPixelSize(14);
    c.list5->setFont(listFont);
    SetListBackground(c.list5, kLightYellow);
    c.label7 = MakeLabel(this, Indexed("Label7", level), TargetLine(state_, level),
                         TwipRect(0, targetTop, w, kTargetRowHeight));
    for (QLabel* label : {c.label8, c.label7})
        SetBackground(label, kLightGrey);
}

void LevelBoard::load() {
    state_.board.ResultsPeriod = kInitialPeriod;
    SetBackground(this, state_.SeasonColor);
    SetBackground(picture2_, state_.SeasonColor);

    const int levelCount = std::clamp(state_.levels.LevelCount, 0, kMaxLevel);
    columnWidth_ = BoardColumnWidth(levelCount);
    firstLeft_ = BoardLeftMargin(kBoardFormWidth);
    hScroll1_->setVisible(BoardHasScrollBar(levelCount));
    {
        // Setting the range moves the value; the kept scroll position must survive it.
        const QSignalBlocker quiet(hScroll1_);
        hScroll1_->setRange(1, BoardScrollMaximum(levelCount));
    }
    hScroll1_->setPageStep(1);
    hScroll1_->setGeometry(TwipRect(firstLeft_, kFormHeight - kBottomGap - kScrollBarHeight,
                                    kBoardFormWidth - 2 * firstLeft_, kScrollBarHeight));

    combo1_->setCurrentText(state_.session.GradeFilter);
    combo2_->setCurrentIndex(kInitialPeriod - 1);

    columns_.assign(std::size_t(levelCount) + 1, LevelColumn{});
    for (int level = 1; level <= levelCount; ++level)
        createColumn(level);
    placeColumns();

    // The board sees every key before its controls do, and the level names' clicks.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    picture6_->raise();
    picture7_->raise();
    picture2_->raise();
}

void LevelBoard::placeColumns() {
    const int w = columnWidth_;
    for (int level = 1; level < int(columns_.size()); ++level) {
        const LevelColumn& c = columns_[std::size_t(level)];
        const int x =
            Px(BoardColumnLeft(firstLeft_, level, state_.board.BoardScrollPos, w, kBoardFormWidth));
        for (QWidget* widget : {static_cast<QWidget*>(c.list5), static_cast<QWidget*>(c.command4),
                                static_cast<QWidget*>(c.text1), static_cast<QWidget*>(c.label1),
                                static_cast<QWidget*>(c.label7), static_cast<QWidget*>(c.label8),
                                static_cast<QWidget*>(c.label9), static_cast<QWidget*>(c.label14)})
            widget->move(x, widget->y());
        c.label3->move(x + c.label1->width(), c.label3->y());
        c.label10->move(x + c.label9->width(), c.label10->y());
        c.label15->move(x + c.label14->width(), c.label15->y());
    }
}

// ---- Activation ---------------------------------------------------------------

void LevelBoard::activate() {
    const int levelCount = int(columns_.size()) - 1;
    command8_->setVisible(IsTeacherName(state_.session.StudentName));

    label17_->setText(MinutesSinceLoginText(state_));
    boardReady_ = false;
    picture2_->setGeometry(rect());
    picture2_->raise();
    picture2_->show();
    LetEventsRun();

    option1_[1]->setText(QStringLiteral("累計順"));
    option1_[2]->setText(QStringLiteral("本日順"));

    qint64 keptRuns = 0;
    if (!RunFileAction(state_, [&] {
            CountResultsPatiently(state_);
            keptRuns = KeptRunCount(state_);
        }))
        return;

    state_.board.TodayRunTotal = TodayRunTotal(state_);
    // Runs that wait on this machine are not in the counts yet: the board says so.
    label18_->setText(
        QStringLiteral("本日総回数＝") + QString::number(state_.board.TodayRunTotal) +
        QStringLiteral("回") +
        (keptRuns > 0 ? QStringLiteral("（未記録%1回を除く）").arg(keptRuns) : QString()));
    progressBar1_->setRange(0, std::max(levelCount, 1));
    progressBar1_->setValue(0);
    progressBar1_->show();

    // The first view: every level's ranking by all-time points.
    displayMode_ = 2;
    suppressModeSwitch_ = true;
    option1_[1]->setChecked(true);
    chooseView(1);
    switchDisplayMode(1);
    option2_[1]->setChecked(true);
    command1_->setEnabled(true);
    suppressModeSwitch_ = false;

    for (int level = 1; level <= levelCount; ++level) {
        const LevelColumn& c = columns_[std::size_t(level)];
        if (isPractice(level)) {
            hideColumnDetails(level);
        } else {
            showList(level);
        }
        c.command4->setEnabled(true);
    }
    picture6_->hide();

    label12_->setText(state_.session.StudentGrade + QLatin1Char(' ') +
                      state_.session.StudentName.trimmed());
    label13_->setText(state_.common.ClassroomName + QLatin1Char(':') +
                      QString::number(state_.session.StudentNo));
    label11_->setText(state_.levels.ProgramTitle);
    label11_->setStyleSheet(QStringLiteral("font-size: %1pt; font-weight: bold;")
                                .arg(state_.levels.ProgramTitle.size() > 9 ? 20 : 24));

    state_.board.BoardScrollPos =
        BoardScrollPosition(state_.board.BoardScrollPos, hScroll1_->maximum());
    {
        const QSignalBlocker quiet(hScroll1_);
        hScroll1_->setValue(state_.board.BoardScrollPos);
    }
    placeColumns();

    for (int level = 1; level <= levelCount; ++level) {
        const LevelColumn& c = columns_[std::size_t(level)];
        c.label15->setText(AllTimeCountsText(state_, level));
        c.label14->setText(TodayCountsText(state_, level));
    }

    setStartButtonsEnabled(false);
    applyAvailability();

    picture2_->hide();
    progressBar1_->hide();
    boardReady_ = true;
}

void LevelBoard::returnedTo() {
    // Not in the middle of a refresh, a view or the start of a drill.
    if (boardReady_ && !buildingView_) activate();
}

bool LevelBoard::isPractice(int level) const {
    return IsPracticeLevel(columns_[std::size_t(level)].label3->text());
}

void LevelBoard::hideColumnDetails(int level) {
    const LevelColumn& c = columns_[std::size_t(level)];
    for (QWidget* widget : {static_cast<QWidget*>(c.list5), static_cast<QWidget*>(c.label7),
                            static_cast<QWidget*>(c.label8), static_cast<QWidget*>(c.label9),
                            static_cast<QWidget*>(c.label10), static_cast<QWidget*>(c.label14),
                            static_cast<QWidget*>(c.label15)})
        widget->hide();
}

void LevelBoard::setStartButtonsEnabled(bool enabled) {
    for (std::size_t level = 1; level < columns_.size(); ++level)
        columns_[level].command4->setEnabled(enabled);
}

void LevelBoard::hideLevelLists() {
    for (std::size_t level = 1; level < columns_.size(); ++level)
        columns_[level].list5->hide();
}

void LevelBoard::showLevelLists() {
    for (int level = 1; level < int(columns_.size()); ++level)
        if (!isPractice(level)) showList(level);
}

// A list scrolls to the student's own line once it is shown (a hidden list has
// no viewport to scroll yet).
void LevelBoard::showList(int level) {
    const LevelColumn& c = columns_[std::size_t(level)];
    c.list5->show();
    const int own = c.list5Rows->ownRow();
    if (own >= 0 && own < c.list5Rows->rowCount())
        c.list5->scrollTo(c.list5Rows->index(own), QAbstractItemView::PositionAtCenter);
}

void LevelBoard::applyAvailability() {
    const LevelAvailability open = LevelAvailabilityFor(state_);
    state_.board.FinalLevelPassed = open.finalLevelPassed ? 1 : 0;
    for (std::size_t level = 1; level < columns_.size() && level < open.enabled.size(); ++level) {
        const LevelColumn& c = columns_[level];
        c.command4->setEnabled(open.enabled[level]);
        if (open.locked[level]) {
            c.text1->setText(QStringLiteral("やりすぎ禁止"));
            c.text1->show();
            c.text1->raise();
        } else {
            c.text1->hide();
        }
    }
    picture6_->raise();
}

// ---- Starting, going back, scrolling -----------------------------------------

bool LevelBoard::levelCanStart(int level) const {
    return !picture7_->isVisible() && level >= 1 && level < int(columns_.size()) &&
           columns_[std::size_t(level)].command4->isEnabled();
}

void LevelBoard::startButtonClicked(int level) {
    if (!levelCanStart(level)) return;
    picture2_->raise();
    picture2_->show();
    state_.LevelNo = level;
    LetEventsRun();
    boardReady_ = false;
    StartLevel(state_);
}

void LevelBoard::levelNameClicked(int level) {
    if (!levelCanStart(level)) return;
    state_.LevelNo = level;
    boardReady_ = false;
    StartLevel(state_);
    state_.platform.navigator->closeBoard();
}

void LevelBoard::goBack() {
    picture2_->raise();
    picture2_->show();
    LetEventsRun();
    state_.platform.navigator->showNameSelection();
}

void LevelBoard::scrolled(int value) {
    state_.board.BoardScrollPos = value > int(columns_.size()) - 1 ? 1 : value;
    placeColumns();
}

bool LevelBoard::handleKey(const QString& typed) {
    if (!boardReady_ || picture7_->isVisible()) return false;
    const BoardKey key = BoardKeyFor(typed, int(columns_.size()) - 1);
    switch (key.action) {
    case BoardKey::Action::StartLevel:
        startButtonClicked(key.level);
        return true;
    case BoardKey::Action::GoBack:
        if (command1_->isEnabled()) goBack();
        return true;
    case BoardKey::Action::None:
        break;
    }
    return false;
}

bool LevelBoard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) && handleKey(key->text()))
            return true;
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int level = 1; level < int(columns_.size()); ++level)
            if (watched == columns_[std::size_t(level)].label3) {
                levelNameClicked(level);
                return true;
            }
    }
    return Screen::eventFilter(watched, event);
}

void LevelBoard::keyPressEvent(QKeyEvent* event) {
    if (!(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) && handleKey(event->text()))
        return;
    Screen::keyPressEvent(event);
}

// ---- Grade filter, period -----------------------------------------------------

void LevelBoard::gradeFilterChosen() {
    if (buildingView_) return;
    if (option2_[0]->isChecked()) {
        displayModeClicked(0);
    } else {
        // The points display is what the other modes come back to.
        option2_[1]->setChecked(true);
        displayModeClicked(1);
    }
    if (columns_.size() > 1) columns_[1].command4->setFocus();
}

void LevelBoard::periodChosen(int index) {
    if (!option1_[3]->isChecked()) return;
    state_.board.ResultsPeriod = index + 1;
    viewChoiceClicked(3);
}

// ---- Data change panel --------------------------------------------------------

void LevelBoard::openDataChangePanel() {
    picture7_->raise();
    picture7_->show();
    text3_->setFocus();
}

void LevelBoard::closeDataChangePanel() {
    text3_->clear();
    picture7_->hide();
}

void LevelBoard::dataChangeClicked(int which) {
    Dialogs& dialogs = *state_.platform.dialogs;
    switch (CheckDataChangePassword(text3_->text(), state_.common.DataChangePassword)) {
    case PasswordCheck::NotConfigured:
        dialogs.inform(state_.levels.ProgramTitle,
                       QStringLiteral("データ変更パスワードが設定されていません。共通データ.txt "
                                      "にパスワードを設定して下さい。"));
        return;
    case PasswordCheck::Wrong:
        dialogs.inform(state_.levels.ProgramTitle, QStringLiteral("パスワードを入力して下さい"));
        return;
    case PasswordCheck::Accepted:
        break;
    }
    closeDataChangePanel();
    Navigator& navigator = *state_.platform.navigator;
    if (which == 0)
        navigator.showRecordsBrowser();
    else if (which == 1)
        navigator.showCriteriaEditor();
    else
        navigator.showWorksheets();
    navigator.closeBoard();
}
