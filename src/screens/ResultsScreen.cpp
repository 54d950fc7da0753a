#include "screens/ResultsScreen.h"

#include "audio/Sounds.h"
#include "core/Events.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "core/SharedReading.h"
#include "core/Text.h"
#include "drill/DrillLogic.h"
#include "drill/ResultsLogic.h"
#include "records/Counts.h"
#include "records/Criteria.h"
#include "screens/DrillWidgets.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <cmath>

namespace {
constexpr int kSettlingMs = 500;

QLabel* MakeLine(QWidget* parent, const QString& name, const QRect& place, double points,
                 const QColor& background) {
    auto* label = MakeLabel(parent, name, QString(), place);
    label->setFont(ScreenFont(points));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(
        QStringLiteral("background-color: %1; color: black;").arg(background.name()));
    return label;
}

// The two buttons appear once the screen has settled.
QPushButton* MakeLateButton(QWidget* parent, const QString& name, const QString& text,
                            const QRect& place) {
    auto* button = MakeButton(parent, name, text, place);
    button->setFont(ScreenFont(27.75));
    button->hide();
    return button;
}
} // namespace

QPixmap MakeResultsBackground(const QSize& size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(255, 240, 200));
    sky.setColorAt(1, QColor(200, 230, 255));
    painter.fillRect(picture.rect(), sky);
    // Scattered circles, each with its diameter or its radius.
    const int count = 18;
    for (int i = 0; i < count; ++i) {
        const double x = std::fmod(i * 0.618034, 1.0) * size.width();
        const double y = std::fmod(i * 0.381966 + 0.1, 1.0) * size.height();
        const double r = 30 + 25 * (i % 4);
        painter.setPen(QPen(QColor(120, 160, 220, 150), 4));
        painter.setBrush(QColor(255, 255, 255, 70));
        painter.drawEllipse(QPointF(x, y), r, r);
        painter.setPen(QPen(QColor(230, 120, 80, 170), 3));
        const QPointF centre(x, y);
        painter.drawLine(i % 2 == 0 ? centre - QPointF(r, 0) : centre, centre + QPointF(r, 0));
    }
    return picture;
}

ResultsScreen::ResultsScreen(ProgramState& state, QWidget* parent)
    : Screen(state, parent), image1_(new QLabel(this)), timer1_(new QTimer(this)) {
    setObjectName(QStringLiteral("FrmSyuuryou"));
    setWindowTitle(QStringLiteral("終了"));
    setFont(ScreenFont(12));
    image1_->setObjectName(QStringLiteral("Image1"));

    label15_ = MakeLine(this, QStringLiteral("Label15"), TwipRect(1845, 405, 11490, 960), 48,
                        Rgb(255, 224, 192));
    label16_ = MakeLine(this, QStringLiteral("Label16"), TwipRect(1845, 1755, 11490, 960), 36,
                        Rgb(255, 255, 192));
    label17_ = MakeLine(this, QStringLiteral("Label17"), TwipRect(1845, 3255, 11490, 960), 48,
                        Rgb(192, 255, 192));
    label18_ = MakeLine(this, QStringLiteral("Label18"), TwipRect(1845, 4440, 11490, 825), 36,
                        Rgb(192, 255, 192));
    label19_ = MakeLine(this, QStringLiteral("Label19"), TwipRect(1845, 5280, 11490, 825), 36,
                        Rgb(192, 255, 192));
    label20_ = MakeLine(this, QStringLiteral("Label20"), TwipRect(1845, 6390, 11490, 735), 27.75,
                        Rgb(192, 255, 192));
    label20_->hide();
    keptLine_ = MakeLine(this, QStringLiteral("KeptForLater"), TwipRect(1845, 7155, 11490, 525),
                         14.25, Rgb(255, 255, 192));
    keptLine_->setText(
        QStringLiteral("この成績はあとで成績ファイルに記録します（回数にはまだ入っていません）"));
    keptLine_->hide();
    label14_ = MakeLine(this, QStringLiteral("Label14"), TwipRect(10215, 1395, 3135, 375), 14.25,
                        Rgb(255, 255, 255));
    label13_ = MakeLine(this, QStringLiteral("Label13"), TwipRect(10260, 2745, 3105, 405), 14.25,
                        Rgb(255, 255, 255));
    label2_ = MakeLine(this, QStringLiteral("Label2"), TwipRect(180, 7710, 15075, 555), 18,
                       Rgb(0, 192, 0));
    // The goal panel covers the lower part of this line: the words sit on top.
    label2_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label2_->setStyleSheet(label2_->styleSheet() +
                           QStringLiteral("color: white; font-weight: bold;"));
    label2_->setText(QStringLiteral("このレベルクリア"));
    label2_->hide();

    picture1_ = new QWidget(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(TwipRect(180, 8145, 15105, 1785));
    SetBackground(picture1_, Rgb(0, 128, 0));
    auto* goal = new QLabel(QStringLiteral("目標レベルクリア。おめでとう！"), picture1_);
    goal->setObjectName(QStringLiteral("Label1"));
    goal->setGeometry(picture1_->rect());
    goal->setAlignment(Qt::AlignCenter);
    goal->setFont(ScreenFont(36, true));
    goal->setStyleSheet(QStringLiteral("color: rgb(255, 255, 0);"));
    picture1_->hide();

    command4_ = MakeLateButton(this, QStringLiteral("Command4"), QStringLiteral("メニューへ"),
                               TwipRect(1890, 8325, 5235, 1005));
    command5_ = MakeLateButton(this, QStringLiteral("Command5"), QStringLiteral("もう一度"),
                               TwipRect(8055, 8325, 5235, 1005));
    connect(command4_, &QPushButton::clicked, this, &ResultsScreen::Command4_Click);
    connect(command5_, &QPushButton::clicked, this, &ResultsScreen::Command5_Click);

    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(kSettlingMs);
    connect(timer1_, &QTimer::timeout, this, &ResultsScreen::Timer1_Timer);
}

void ResultsScreen::load() {
    image1_->setGeometry(rect());
    image1_->setPixmap(MakeResultsBackground(size()));
    image1_->lower();
}

void ResultsScreen::activate() {
    if (!RunFileAction(state_, [this] { CountResultsPatiently(state_); })) return;
    if (IsLevelCleared(state_, state_.LevelNo, state_.session.StudentNo)) {
        label2_->show();
        picture1_->setVisible(ShowsGoalPanel(state_));
    }
    LetEventsRun();
    timer1_->start();
    fillLines();
    LetEventsRun();
    playMessageAndSound();
    state_.counts.NewPersonalBest = false;
    state_.counts.NewClassBest = false;
    LetEventsRun();
    state_.platform.navigator->closeWait();
}

void ResultsScreen::fillLines() {
    const int level = state_.LevelNo;
    const int student = state_.session.StudentNo;
    const int32_t result = state_.ResultValue;
    label19_->setText(
        PointsLine(result, TargetTimeOf(state_, level), state_.criteria.PointRate[level]));
    label18_->setText(ResultLine(result));
    label17_->setText(state_.session.StudentName.trimmed());
    label15_->setText(state_.levels.ProgramTitle);
    label16_->setText(state_.levels.LevelNames[level]);
    label13_->setText(LevelRunsLine(state_.counts.TodayCount(level, student)));
    state_.board.TodayRunTotal = TodayRunTotal(state_, student, 1, kMaxLevel);
    label14_->setText(AllLevelsRunsLine(state_.board.TodayRunTotal));
    keptLine_->setVisible(state_.drill.RunKeptForLater);
}

void ResultsScreen::playMessageAndSound() {
    const ResultMessage message = ChooseMessage(state_);
    if (message != ResultMessage::None) {
        label20_->setText(MessageText(message));
        label20_->show();
    }
    // The student reads the message while its sound plays.
    repaint();
    switch (message) {
    case ResultMessage::PersonalBest:
        PlayPersonalBestSound(state_);
        break;
    case ResultMessage::ClassBest:
        PlayBestSound(state_);
        break;
    case ResultMessage::None:
        if (PlaysFailSound(state_)) PlayFailSound(state_);
        break;
    case ResultMessage::TimedOut:
        break;
    }
    if (IsGoalLevelCleared(state_)) {
        if (!state_.counts.AlreadyPassed) PlayPassSound(state_);
    } else {
        picture1_->hide();
    }
}

void ResultsScreen::Timer1_Timer() {
    picture1_->hide();
    command4_->show();
    command4_->setFocus();
    timer1_->stop();
    const Settling settling = SettleFor(state_);
    if (settling.hideClearLabel) {
        label2_->setText(QString());
        label2_->hide();
    }
    if (settling.moveOnMessage) label2_->setText(QStringLiteral("次のレベルへ進みましょう"));
    command5_->setVisible(settling.showRetry);
}

void ResultsScreen::Command4_Click() {
    command4_->setEnabled(false);
    state_.platform.navigator->showBoard();
    state_.platform.navigator->closeResults();
}

void ResultsScreen::Command5_Click() {
    command4_->setEnabled(false);
    state_.platform.navigator->showWait();
    state_.platform.navigator->closeResults();
    StartLevel(state_);
}
