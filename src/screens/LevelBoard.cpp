#include "screens/LevelBoard.h"

#include "core/Events.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "records/Counts.h"
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

const QStringList kGradeFilters = {
    QStringLiteral("全学年"), QStringLiteral("中学生全体"), QStringLiteral("小学生全体"),
    QStringLiteral("中３"),   QStringLiteral("中２"),       QStringLiteral("中１"),
    QStringLiteral("小６"),   QStringLiteral("小５"),       QStringLiteral("小４"),
    QStringLiteral("小３"),   QStringLiteral("小２"),       QStringLiteral("小１"),
};
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
    Label11 = MakeLabel(this, QStringLiteral("Label11"), QString(), TwipRect(300, 40, 4900, 640));
    Label12 = MakeLabel(this, QStringLiteral("Label12"), QString(), TwipRect(300, 700, 4900, 450));
    Label12->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold;"));
    Label13 = MakeLabel(this, QStringLiteral("Label13"), QString(), TwipRect(300, 1170, 3100, 330));
    Label17 =
        MakeLabel(this, QStringLiteral("Label17"), QString(), TwipRect(3500, 1170, 1700, 330));
    Label18 = MakeLabel(this, QStringLiteral("Label18"), QString(), TwipRect(300, 1500, 4900, 330));

    option2Group_ = new QButtonGroup(this);
    const QString modes[3] = {QStringLiteral("ﾀｲﾑ表示"), QStringLiteral("ﾎﾟｲﾝﾄ表示"),
                              QStringLiteral("個人ﾀｲﾑ")};
    for (int k = 0; k < 3; ++k) {
        Option2[k] = new QRadioButton(modes[k], this);
        Option2[k]->setObjectName(Indexed("Option2", k));
        Option2[k]->setGeometry(TwipRect(5400, 80 + k * 400, 1800, 380));
        option2Group_->addButton(Option2[k], k);
        connect(Option2[k], &QRadioButton::clicked, this,
                [this, k] { RunFileAction(state_, [&] { displayModeClicked(k); }); });
    }

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::StyledPanel);
    Picture1->setGeometry(TwipRect(7300, 40, 2300, 1300));
    option1Group_ = new QButtonGroup(this);
    for (int k = 1; k <= 3; ++k) {
        Option1[k] = new QRadioButton(Picture1);
        Option1[k]->setObjectName(Indexed("Option1", k));
        Option1[k]->setGeometry(TwipRect(120, 40 + (k - 1) * 400, 2100, 380));
        option1Group_->addButton(Option1[k], k);
        connect(Option1[k], &QRadioButton::clicked, this,
                [this, k] { RunFileAction(state_, [&] { viewChoiceClicked(k); }); });
    }
    // The time display's third view keeps this caption until the points display renames it.
    Option1[3]->setText(QStringLiteral("オール表示"));

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setGeometry(TwipRect(9800, 80, 2300, 420));
    Combo1->addItems(kGradeFilters);
    connect(Combo1, &QComboBox::activated, this,
            [this] { RunFileAction(state_, [&] { gradeFilterChosen(); }); });

    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setGeometry(TwipRect(9800, 560, 3000, 420));
    Combo2->addItems(kPeriods);
    connect(Combo2, &QComboBox::activated, this,
            [this](int index) { RunFileAction(state_, [&] { periodChosen(index); }); });

    Command17 = MakeButton(this, QStringLiteral("Command17"), QStringLiteral("グラフ"),
                           TwipRect(9800, 1040, 1500, 420));
    Command17->hide();
    Picture11 = new ReportPanel(
        state_,
        [this] {
            return ReportSettings{Combo1->currentText(), PointsOrder == 2
                                                             ? RankingOrder::TodayPoints
                                                             : RankingOrder::TotalPoints};
        },
        this);
    connect(Command17, &QPushButton::clicked, this, [this] {
        RunFileAction(state_, [&] { Picture11->showForStudent(state_.session.StudentNo); });
    });

    Command8 = MakeButton(this, QStringLiteral("Command8"), QStringLiteral("データ処理"),
                          TwipRect(12300, 80, 1500, 450));
    connect(Command8, &QPushButton::clicked, this, [this] { openDataChangePanel(); });
    Command1 = MakeButton(this, QStringLiteral("Command1"), QStringLiteral("戻る(0)"),
                          TwipRect(13900, 80, 1200, 900));
    Command1->setStyleSheet(QStringLiteral("font-size: 14pt;"));
    connect(Command1, &QPushButton::clicked, this, [this] { goBack(); });

    Text4 = MakeBox(this, QStringLiteral("Text4"), kSwatchGreen, TwipRect(12300, 1040, 300, 300));
    Text5 =
        MakeBox(this, QStringLiteral("Text5"), kSwatchLightGreen, TwipRect(12700, 1040, 300, 300));

    Label6 = MakeLabel(this, QStringLiteral("Label6"),
                       QStringLiteral("GRPH+A,B,C,D..でも選択できます。"),
                       TwipRect(5400, 1420, 6500, 330));
    Label5 = MakeLabel(this, QStringLiteral("Label5"), QString(),
                       TwipRect(300, kHeadingTop, 9000, kHeadingHeight));
    Label5->setStyleSheet(QStringLiteral("font-size: 14pt; font-weight: bold;"));

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->hide();
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int value) { scrolled(value); });
}

void LevelBoard::createWaitPanels() {
    Picture2 = new QFrame(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(TwipRect(0, 0, kBoardFormWidth, kFormHeight));
    auto* label19 =
        MakeLabel(Picture2, QStringLiteral("Label19"), QStringLiteral("Just a moment, please."),
                  TwipRect(0, 4200, kBoardFormWidth, 900));
    label19->setAlignment(Qt::AlignCenter);
    label19->setStyleSheet(QStringLiteral("font-size: 28pt; font-weight: bold;"));
    ProgressBar1 = new QProgressBar(Picture2);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(TwipRect(3840, 5400, 7680, 400));
    Picture2->hide();

    Picture6 = new QFrame(this);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    Picture6->setFrameShape(QFrame::Box);
    Picture6->setGeometry(TwipRect(4200, 5200, 6960, 1500));
    SetBackground(Picture6, kLightYellow);
    auto* label21 =
        MakeLabel(Picture6, QStringLiteral("Label21"), QStringLiteral("Just a momento, please."),
                  TwipRect(0, 150, 6960, 600));
    label21->setAlignment(Qt::AlignCenter);
    label21->setStyleSheet(QStringLiteral("font-size: 18pt;"));
    ProgressBar2 = new QProgressBar(Picture6);
    ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    ProgressBar2->setGeometry(TwipRect(480, 900, 6000, 360));
    Picture6->hide();
}

void LevelBoard::createDataChangePanel() {
    Picture7 = new QFrame(this);
    Picture7->setObjectName(QStringLiteral("Picture7"));
    Picture7->setFrameShape(QFrame::Box);
    Picture7->setGeometry(TwipRect(4800, 3600, 5760, 3000));
    SetBackground(Picture7, kPanelGreen);
    MakeLabel(Picture7, QStringLiteral("Label16"), QStringLiteral("データ変更パスワード"),
              TwipRect(300, 200, 5000, 400))
        ->setStyleSheet(QStringLiteral("font-size: 14pt; color: white; font-weight: bold;"));
    Text3 = new QLineEdit(Picture7);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setEchoMode(QLineEdit::Password);
    Text3->setStyleSheet(QStringLiteral("lineedit-password-character: 42; font-size: 14pt;"));
    Text3->setGeometry(TwipRect(300, 700, 5100, 480));
    const QString captions[2] = {QStringLiteral("データ変更"),
                                 QStringLiteral("合格タイムデータ変更")};
    for (int k = 0; k < 2; ++k) {
        Command10[k] = MakeButton(Picture7, Indexed("Command10", k), captions[k],
                                  TwipRect(300, 1400 + k * 650, 3600, 560));
        connect(Command10[k], &QPushButton::clicked, this, [this, k] { dataChangeClicked(k); });
    }
    Command12 = MakeButton(Picture7, QStringLiteral("Command12"), QStringLiteral("戻る"),
                           TwipRect(4100, 1400, 1300, 1210));
    connect(Command12, &QPushButton::clicked, this, [this] { closeDataChangePanel(); });
    Picture7->hide();
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
    c.Label1 = MakeLabel(this, Indexed("Label1", level), QString::number(level),
                         TwipRect(0, nameTop, numberWidth, kNameRowHeight));
    c.Label1->setAlignment(Qt::AlignCenter);
    c.Label1->setStyleSheet(QStringLiteral("font-size: 14pt; font-weight: bold;"));
    c.Label3 = MakeLabel(this, Indexed("Label3", level), state_.levels.LevelNames[level],
                         TwipRect(0, nameTop, w - numberWidth, kNameRowHeight));
    c.Label3->setToolTip(state_.levels.LevelNames[level]);
    c.Label3->setStyleSheet(QStringLiteral("font-size: 14pt; font-weight: bold;"));
    c.Label3->setCursor(Qt::PointingHandCursor);

    const int buttonTop = row(kStartButtonHeight);
    c.Command4 = MakeButton(this, Indexed("Command4", level),
                            QStringLiteral("ｽﾀｰﾄ(&") + QString::number(level) + QLatin1Char(')'),
                            TwipRect(0, buttonTop, w, kStartButtonHeight));
    c.Command4->setStyleSheet(QStringLiteral("font-size: 14pt;"));
    connect(c.Command4, &QPushButton::clicked, this, [this, level] { startButtonClicked(level); });
    c.Text1 = MakeBox(this, Indexed("Text1", level), kLockGrey,
                      TwipRect(0, buttonTop, w, kStartButtonHeight));
    c.Text1->setAlignment(Qt::AlignCenter);
    c.Text1->setStyleSheet(c.Text1->styleSheet() +
                           QStringLiteral("color: white; font-size: 14pt;"));
    c.Text1->hide();

    const int captionTop = row(kCaptionRowHeight);
    c.Label9 = MakeLabel(this, Indexed("Label9", level), QStringLiteral("今日"),
                         TwipRect(0, captionTop, half, kCaptionRowHeight));
    c.Label10 = MakeLabel(this, Indexed("Label10", level), QStringLiteral("今まで"),
                          TwipRect(0, captionTop, half, kCaptionRowHeight));
    const int countsTop = row(kCountsRowHeight);
    c.Label14 = MakeLabel(this, Indexed("Label14", level), QString(),
                          TwipRect(0, countsTop, half, kCountsRowHeight));
    c.Label15 = MakeLabel(this, Indexed("Label15", level), QString(),
                          TwipRect(0, countsTop, half, kCountsRowHeight));
    const int recentTop = row(kRecentRowHeight);
    c.Label8 = MakeLabel(this, Indexed("Label8", level), RecentLine(state_, level),
                         TwipRect(0, recentTop, w, kRecentRowHeight));

    const int listTop = top;
    const int targetTop = kFormHeight - kBottomGap - kScrollBarHeight - kTargetRowHeight;
    c.List5 = new QListView(this);
    c.List5->setObjectName(Indexed("List5", level));
    c.List5Rows = new LevelListModel(c.List5);
    c.List5->setModel(c.List5Rows);
    c.List5->setSelectionMode(QAbstractItemView::SingleSelection);
    c.List5->setGeometry(TwipRect(0, listTop, w, targetTop - listTop));
    c.List5->setUniformItemSizes(true);
    c.List5->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A fixed-pitch face keeps the right-aligned numbers of the lines in columns.
    QFont listFont(QStringLiteral("IPAGothic"));
    listFont.setPixelSize(14);
    c.List5->setFont(listFont);
    SetListBackground(c.List5, kLightYellow);
    c.Label7 = MakeLabel(this, Indexed("Label7", level), TargetLine(state_, level),
                         TwipRect(0, targetTop, w, kTargetRowHeight));
    for (QLabel* label : {c.Label8, c.Label7})
        SetBackground(label, kLightGrey);
}

void LevelBoard::load() {
    state_.board.ResultsPeriod = kInitialPeriod;
    SetBackground(this, state_.SeasonColor);
    SetBackground(Picture2, state_.SeasonColor);

    const int levelCount = std::clamp(state_.levels.LevelCount, 0, kMaxLevel);
    columnWidth_ = BoardColumnWidth(levelCount);
    firstLeft_ = BoardLeftMargin(kBoardFormWidth);
    HScroll1->setVisible(BoardHasScrollBar(levelCount));
    {
        // Setting the range moves the value; the kept scroll position must survive it.
        const QSignalBlocker quiet(HScroll1);
        HScroll1->setRange(1, BoardScrollMaximum(levelCount));
    }
    HScroll1->setPageStep(1);
    HScroll1->setGeometry(TwipRect(firstLeft_, kFormHeight - kBottomGap - kScrollBarHeight,
                                   kBoardFormWidth - 2 * firstLeft_, kScrollBarHeight));

    Combo1->setCurrentText(state_.session.GradeFilter);
    Combo2->setCurrentIndex(kInitialPeriod - 1);

    columns_.assign(std::size_t(levelCount) + 1, LevelColumn{});
    for (int level = 1; level <= levelCount; ++level)
        createColumn(level);
    placeColumns();

    // The board sees every key before its controls do, and the level names' clicks.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    Picture6->raise();
    Picture7->raise();
    Picture2->raise();
}

void LevelBoard::placeColumns() {
    const int w = columnWidth_;
    for (int level = 1; level < int(columns_.size()); ++level) {
        const LevelColumn& c = columns_[std::size_t(level)];
        const int x =
            Px(BoardColumnLeft(firstLeft_, level, state_.board.BoardScrollPos, w, kBoardFormWidth));
        for (QWidget* widget : {static_cast<QWidget*>(c.List5), static_cast<QWidget*>(c.Command4),
                                static_cast<QWidget*>(c.Text1), static_cast<QWidget*>(c.Label1),
                                static_cast<QWidget*>(c.Label7), static_cast<QWidget*>(c.Label8),
                                static_cast<QWidget*>(c.Label9), static_cast<QWidget*>(c.Label14)})
            widget->move(x, widget->y());
        c.Label3->move(x + c.Label1->width(), c.Label3->y());
        c.Label10->move(x + c.Label9->width(), c.Label10->y());
        c.Label15->move(x + c.Label14->width(), c.Label15->y());
    }
}

// ---- Activation ---------------------------------------------------------------

void LevelBoard::activate() {
    const int levelCount = int(columns_.size()) - 1;
    Command8->setVisible(IsTeacherName(state_.session.StudentName));

    Label17->setText(MinutesSinceLoginText(state_));
    BoardReady = false;
    Picture2->setGeometry(rect());
    Picture2->raise();
    Picture2->show();
    LetEventsRun();

    Option1[1]->setText(QStringLiteral("累計順"));
    Option1[2]->setText(QStringLiteral("本日順"));

    if (!RunReadAction(state_, [this] { CountResults(state_); })) return;

    state_.board.TodayRunTotal = TodayRunTotal(state_);
    Label18->setText(QStringLiteral("本日総回数＝") + QString::number(state_.board.TodayRunTotal) +
                     QStringLiteral("回"));
    ProgressBar1->setRange(0, std::max(levelCount, 1));
    ProgressBar1->setValue(0);
    ProgressBar1->show();

    // The first view: every level's ranking by all-time points.
    DisplayMode = 2;
    SuppressModeSwitch = true;
    Option1[1]->setChecked(true);
    chooseView(1);
    switchDisplayMode(1);
    Option2[1]->setChecked(true);
    Command1->setEnabled(true);
    SuppressModeSwitch = false;

    for (int level = 1; level <= levelCount; ++level) {
        const LevelColumn& c = columns_[std::size_t(level)];
        if (isPractice(level)) {
            hideColumnDetails(level);
        } else {
            showList(level);
        }
        c.Command4->setEnabled(true);
    }
    Picture6->hide();

    Label12->setText(state_.session.StudentGrade + QLatin1Char(' ') +
                     state_.session.StudentName.trimmed());
    Label13->setText(state_.common.ClassroomName + QLatin1Char(':') +
                     QString::number(state_.session.StudentNo));
    Label11->setText(state_.levels.ProgramTitle);
    Label11->setStyleSheet(QStringLiteral("font-size: %1pt; font-weight: bold;")
                               .arg(state_.levels.ProgramTitle.size() > 9 ? 20 : 24));

    state_.board.BoardScrollPos =
        BoardScrollPosition(state_.board.BoardScrollPos, HScroll1->maximum());
    {
        const QSignalBlocker quiet(HScroll1);
        HScroll1->setValue(state_.board.BoardScrollPos);
    }
    placeColumns();

    for (int level = 1; level <= levelCount; ++level) {
        const LevelColumn& c = columns_[std::size_t(level)];
        c.Label15->setText(AllTimeCountsText(state_, level));
        c.Label14->setText(TodayCountsText(state_, level));
    }

    setStartButtonsEnabled(false);
    applyAvailability();

    Picture2->hide();
    ProgressBar1->hide();
    BoardReady = true;
}

void LevelBoard::returnedTo() {
    // Not in the middle of a refresh, a view or the start of a drill.
    if (BoardReady && !buildingView_) activate();
}

bool LevelBoard::isPractice(int level) const {
    return IsPracticeLevel(columns_[std::size_t(level)].Label3->text());
}

void LevelBoard::hideColumnDetails(int level) {
    const LevelColumn& c = columns_[std::size_t(level)];
    for (QWidget* widget : {static_cast<QWidget*>(c.List5), static_cast<QWidget*>(c.Label7),
                            static_cast<QWidget*>(c.Label8), static_cast<QWidget*>(c.Label9),
                            static_cast<QWidget*>(c.Label10), static_cast<QWidget*>(c.Label14),
                            static_cast<QWidget*>(c.Label15)})
        widget->hide();
}

void LevelBoard::setStartButtonsEnabled(bool enabled) {
    for (std::size_t level = 1; level < columns_.size(); ++level)
        columns_[level].Command4->setEnabled(enabled);
}

void LevelBoard::hideLevelLists() {
    for (std::size_t level = 1; level < columns_.size(); ++level)
        columns_[level].List5->hide();
}

void LevelBoard::showLevelLists() {
    for (int level = 1; level < int(columns_.size()); ++level)
        if (!isPractice(level)) showList(level);
}

// A list scrolls to the student's own line once it is shown (a hidden list has
// no viewport to scroll yet).
void LevelBoard::showList(int level) {
    const LevelColumn& c = columns_[std::size_t(level)];
    c.List5->show();
    const int own = c.List5Rows->ownRow();
    if (own >= 0 && own < c.List5Rows->rowCount())
        c.List5->scrollTo(c.List5Rows->index(own), QAbstractItemView::PositionAtCenter);
}

void LevelBoard::applyAvailability() {
    const LevelAvailability open = LevelAvailabilityFor(state_);
    state_.board.FinalLevelPassed = open.finalLevelPassed ? 1 : 0;
    for (std::size_t level = 1; level < columns_.size() && level < open.enabled.size(); ++level) {
        const LevelColumn& c = columns_[level];
        c.Command4->setEnabled(open.enabled[level]);
        if (open.locked[level]) {
            c.Text1->setText(QStringLiteral("やりすぎ禁止"));
            c.Text1->show();
            c.Text1->raise();
        } else {
            c.Text1->hide();
        }
    }
    Picture6->raise();
}

// ---- Starting, going back, scrolling -----------------------------------------

bool LevelBoard::levelCanStart(int level) const {
    return !Picture7->isVisible() && level >= 1 && level < int(columns_.size()) &&
           columns_[std::size_t(level)].Command4->isEnabled();
}

void LevelBoard::startButtonClicked(int level) {
    if (!levelCanStart(level)) return;
    Picture2->raise();
    Picture2->show();
    state_.LevelNo = level;
    LetEventsRun();
    BoardReady = false;
    StartLevel(state_);
}

void LevelBoard::levelNameClicked(int level) {
    if (!levelCanStart(level)) return;
    state_.LevelNo = level;
    BoardReady = false;
    StartLevel(state_);
    state_.platform.navigator->closeBoard();
}

void LevelBoard::goBack() {
    Picture2->raise();
    Picture2->show();
    LetEventsRun();
    state_.platform.navigator->showNameSelection();
}

void LevelBoard::scrolled(int value) {
    state_.board.BoardScrollPos = value > int(columns_.size()) - 1 ? 1 : value;
    placeColumns();
}

bool LevelBoard::handleKey(const QString& typed) {
    if (!BoardReady || Picture7->isVisible()) return false;
    const BoardKey key = BoardKeyFor(typed, int(columns_.size()) - 1);
    switch (key.action) {
    case BoardKey::Action::StartLevel:
        startButtonClicked(key.level);
        return true;
    case BoardKey::Action::GoBack:
        if (Command1->isEnabled()) goBack();
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
            if (watched == columns_[std::size_t(level)].Label3) {
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
    if (Option2[0]->isChecked()) {
        displayModeClicked(0);
    } else {
        // The points display is what the other modes come back to.
        Option2[1]->setChecked(true);
        displayModeClicked(1);
    }
    if (columns_.size() > 1) columns_[1].Command4->setFocus();
}

void LevelBoard::periodChosen(int index) {
    if (!Option1[3]->isChecked()) return;
    state_.board.ResultsPeriod = index + 1;
    viewChoiceClicked(3);
}

// ---- Data change panel --------------------------------------------------------

void LevelBoard::openDataChangePanel() {
    Picture7->raise();
    Picture7->show();
    Text3->setFocus();
}

void LevelBoard::closeDataChangePanel() {
    Text3->clear();
    Picture7->hide();
}

void LevelBoard::dataChangeClicked(int which) {
    Dialogs& dialogs = *state_.platform.dialogs;
    switch (CheckDataChangePassword(Text3->text(), state_.common.DataChangePassword)) {
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
    else
        navigator.showCriteriaEditor();
    navigator.closeBoard();
}
