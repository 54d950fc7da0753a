#include "screens/DrillScreen.h"

#include "audio/Sounds.h"
#include "core/Events.h"
#include "core/LevelCatalogue.h"
#include "core/ProgramState.h"
#include "core/Seeding.h"
#include "core/SharedReading.h"
#include "core/Text.h"
#include "drill/DrillLogic.h"
#include "drill/Mistakes.h"
#include "drill/ProblemGenerator.h"
#include "records/Counts.h"
#include "records/Criteria.h"
#include "screens/DrillWidgets.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {
// The status strip and the time bar, in twips.
constexpr int kStripHeight = 1485;
constexpr int kTrackLeft = 120;
constexpr int kTrackTop = 1005;
constexpr int kTrackWidth = 15105;
constexpr int kTrackHeight = 150;
constexpr int kLampTop = 1215;
constexpr int kLampWidth = 450;
constexpr int kLampHeight = 210;
constexpr int kFirstLamp = 10;
constexpr int kLampCount = 30;

constexpr int kClockIntervalMs = 1000;
constexpr int kMinuteIntervalMs = 10000;
// A title longer than this gets the smaller font.
constexpr int kLongTitle = 9;

// The three candidate keys, top to bottom, and the fixed keys.
constexpr std::array<int, 3> kCandidateKeys = {13, 1, 12};
constexpr int kTimesKey = 2;
constexpr int kPiKey = 0;
constexpr int kOkKey = 0;
constexpr int kBackSpaceKey = 1;

const QString kDash = QStringLiteral("－");

QFrame* MakeFrame(QWidget* parent, const QString& name, const QRect& place, const QColor& colour) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setGeometry(place);
    SetBackground(frame, colour);
    return frame;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& place,
                  double points, const QString& style,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = ::MakeLabel(parent, name, text, place);
    label->setFont(ScreenFont(points));
    label->setStyleSheet(style);
    label->setAlignment(alignment);
    return label;
}

QString ColourStyle(const QColor& background, const QString& text = QStringLiteral("black")) {
    return QStringLiteral("background-color: %1; color: %2;").arg(background.name(), text);
}
} // namespace

DrillScreen::DrillScreen(ProgramState& state, QWidget* parent)
    : Screen(state, parent), sTimer1_(new QTimer(this)), sTimer2_(new QTimer(this)) {
    setObjectName(QStringLiteral("MainFrm"));
    setFont(ScreenFont(12));
    buildStatusStrip();
    buildWorkArea();
    buildOverlay();

    sTimer1_->setObjectName(QStringLiteral("sTimer1"));
    sTimer1_->setInterval(kClockIntervalMs);
    connect(sTimer1_, &QTimer::timeout, this, &DrillScreen::sTimer1_Timer);
    sTimer2_->setObjectName(QStringLiteral("sTimer2"));
    sTimer2_->setInterval(kMinuteIntervalMs);
    connect(sTimer2_, &QTimer::timeout, this, &DrillScreen::sTimer2_Timer);
}

void DrillScreen::buildStatusStrip() {
    sPicture1_ = MakeFrame(this, QStringLiteral("sPicture1"), TwipRect(0, 0, 15360, kStripHeight),
                           Rgb(0, 0, 96));
    const QString white = QStringLiteral("color: white;");
    const QString value = QStringLiteral("color: rgb(255, 255, 128); font-weight: bold;");
    QWidget* strip = sPicture1_;

    sLabel2_ = MakeLabel(strip, QStringLiteral("sLabel2"), QString(), TwipRect(120, 45, 3600, 450),
                         16.8, white);
    sLabel3_ = MakeLabel(strip, QStringLiteral("sLabel3"), QStringLiteral("レベル"),
                         TwipRect(3840, 60, 900, 420), 12, white);
    sLabel8_ = MakeLabel(strip, QStringLiteral("sLabel8"), QString(), TwipRect(4740, 45, 2300, 450),
                         16, value);
    sLabel7_ = MakeLabel(strip, QStringLiteral("sLabel7"), QString(), TwipRect(7200, 45, 3900, 450),
                         16, white);
    sLabel14_ =
        MakeLabel(strip, QStringLiteral("sLabel14"), QString(), TwipRect(11250, 60, 3975, 420), 12,
                  white, Qt::AlignRight | Qt::AlignVCenter);

    // The second row: each number between its captions.
    const int row = 555;
    const int high = 390;
    const auto caption = [&](const QString& name, const QString& text, int left, int width) {
        MakeLabel(strip, name, text, TwipRect(left, row, width, high), 12, white);
    };
    const auto number = [&](const QString& name, int left, int width) {
        return MakeLabel(strip, name, QString(), TwipRect(left, row - 30, width, high + 30), 14,
                         value, Qt::AlignCenter);
    };
    caption(QStringLiteral("sCaptionRemaining"), QStringLiteral("残り"), 120, 600);
    sLabel9_ = number(QStringLiteral("sLabel9"), 720, 600);
    caption(QStringLiteral("sCaptionProblems"), QStringLiteral("問"), 1350, 400);
    caption(QStringLiteral("sCaptionTime"), QStringLiteral("タイム"), 2100, 900);
    sLabel10_ = number(QStringLiteral("sLabel10"), 3000, 900);
    caption(QStringLiteral("sCaptionSinceLogin"), QStringLiteral("起動後"), 4500, 900);
    sLabel13_ = number(QStringLiteral("sLabel13"), 5400, 600);
    caption(QStringLiteral("sCaptionMinutes"), QStringLiteral("分"), 6030, 400);
    caption(QStringLiteral("sCaptionToday"), QStringLiteral("本日"), 7200, 600);
    sLabel12_ = number(QStringLiteral("sLabel12"), 7800, 700);
    caption(QStringLiteral("sCaptionTodayRuns"), QStringLiteral("回目"), 8530, 600);
    caption(QStringLiteral("sCaptionThisLevel"), QStringLiteral("このレベル"), 9600, 1400);
    sLabel11_ = number(QStringLiteral("sLabel11"), 11000, 700);
    caption(QStringLiteral("sCaptionLevelRuns"), QStringLiteral("回目"), 11730, 600);

    // The time bar: the progress bar over the green segment over the light green one.
    sShape5_ = MakeFrame(strip, QStringLiteral("sShape5"),
                         TwipRect(kTrackLeft, kTrackTop, kTrackWidth, kTrackHeight), Qt::white);
    sShape4_ = MakeFrame(strip, QStringLiteral("sShape4"),
                         TwipRect(kTrackLeft, kTrackTop, 0, kTrackHeight), Rgb(128, 255, 128));
    sShape3_ = MakeFrame(strip, QStringLiteral("sShape3"),
                         TwipRect(kTrackLeft, kTrackTop, 0, kTrackHeight), Rgb(0, 192, 0));
    sShape2_ = MakeFrame(strip, QStringLiteral("sShape2"),
                         TwipRect(kTrackLeft, kTrackTop, 0, kTrackHeight), Rgb(0, 0, 255));

    for (int i = 0; i < kLampCount; ++i) {
        const int element = kFirstLamp + i;
        const QColor colour = element < 20   ? Rgb(0, 128, 0)
                              : element < 30 ? Rgb(192, 192, 0)
                                             : Rgb(192, 0, 0);
        const int left =
            kTrackLeft + i * kTrackWidth / kLampCount + (kTrackWidth / kLampCount - kLampWidth) / 2;
        lamps_[size_t(i)] = MakeFrame(strip, QStringLiteral("sPicture3_%1").arg(element),
                                      TwipRect(left, kLampTop, kLampWidth, kLampHeight), colour);
    }
}

void DrillScreen::buildWorkArea() {
    picture2_ =
        MakeFrame(this, QStringLiteral("Picture2"),
                  TwipRect(0, kStripHeight, 15360, 11520 - kStripHeight), Rgb(232, 232, 232));
    QWidget* area = picture2_;
    label1_ = MakeLabel(area, QStringLiteral("Label1"), QString(), TwipRect(405, 405, 8745, 690),
                        24, ColourStyle(Rgb(0, 255, 0)), Qt::AlignCenter);

    for (const Figure figure : {Figure::Diameter, Figure::Radius}) {
        const int i = int(figure);
        auto* picture = new CircleFigure(figure, area);
        picture->setObjectName(QStringLiteral("Picture1_%1").arg(i));
        picture->setGeometry(TwipRect(1935, 1395, 5145, 4785));
        picture->numberLabel()->setObjectName(QStringLiteral("Label4_%1").arg(i));
        picture->hide();
        figures_[size_t(i)] = picture;
    }

    picture3_ = MakeFrame(area, QStringLiteral("Picture3"), TwipRect(9495, 405, 5235, 6135),
                          Rgb(64, 64, 64));
    buildKeypad(picture3_);

    inputLabel_ =
        MakeLabel(area, QStringLiteral("inputLabel"), QString(), TwipRect(315, 6615, 14640, 1455),
                  72, ColourStyle(Rgb(128, 255, 128)) + QStringLiteral("padding-left: 12px;"));
    label2_ =
        MakeLabel(area, QStringLiteral("Label2"), QString(), TwipRect(315, 8100, 14640, 1455), 72,
                  ColourStyle(Rgb(255, 128, 128)) + QStringLiteral("padding-left: 12px;"));
    label2_->hide();
    // In the free space under the expected answer, so nothing else moves.
    correctionLabel_ = MakeLabel(area, QStringLiteral("correctionLabel"), QString(),
                                 TwipRect(315, 9585, 14640, 420), 15,
                                 QStringLiteral("color: rgb(128, 0, 0); padding-left: 12px;"));
    correctionLabel_->hide();
}

KeyLabel* DrillScreen::makeKey(QWidget* panel, const QString& name, const QString& caption,
                               const QRect& place, const QColor& colour, double points) {
    auto* key = new KeyLabel(caption, panel);
    key->setObjectName(name);
    key->setGeometry(place);
    key->setFont(ScreenFont(points, true));
    key->setStyleSheet(ColourStyle(colour) +
                       QStringLiteral("border: 2px outset rgb(224, 255, 224);"));
    return key;
}

void DrillScreen::buildKeypad(QWidget* panel) {
    const QColor candidate = Rgb(0, 255, 0);
    const QColor fixed = Rgb(0, 192, 0);
    const std::array<int, 3> tops = {90, 956, 1822};
    const std::array<const char*, 3> designCaptions = {"20", "10", "5"};
    for (size_t i = 0; i < kCandidateKeys.size(); ++i) {
        const int element = kCandidateKeys[i];
        label5_[size_t(element)] = makeKey(panel, QStringLiteral("Label5_%1").arg(element),
                                           QString::fromLatin1(designCaptions[i]),
                                           TwipRect(405, tops[i], 4425, 825), candidate, 36);
    }
    label5_[kTimesKey] = makeKey(panel, QStringLiteral("Label5_2"), kTimesSign,
                                 TwipRect(405, 2688, 4425, 870), fixed, 36);
    label5_[kPiKey] = makeKey(panel, QStringLiteral("Label5_0"), kPiText,
                              TwipRect(405, 3600, 4425, 825), fixed, 36);
    for (const int element :
         {kCandidateKeys[0], kCandidateKeys[1], kCandidateKeys[2], kTimesKey, kPiKey})
        connect(label5_[size_t(element)], &KeyLabel::clicked, this,
                [this, element] { Label5_Click(element); });

    label6_[kBackSpaceKey] = makeKey(panel, QStringLiteral("Label6_1"), QStringLiteral("BS"),
                                     TwipRect(405, 4590, 1815, 825), fixed, 36);
    label6_[kOkKey] = makeKey(panel, QStringLiteral("Label6_0"), QStringLiteral("OK"),
                              TwipRect(2475, 4590, 2310, 825), fixed, 36);
    for (const int element : {kOkKey, kBackSpaceKey})
        connect(label6_[size_t(element)], &KeyLabel::clicked, this,
                [this, element] { Label6_Click(element); });

    label3_ = makeKey(panel, QStringLiteral("Label3"), QStringLiteral("次へ"),
                      TwipRect(405, 5490, 4380, 555), Rgb(255, 128, 128), 18);
    label3_->hide();
    connect(label3_, &KeyLabel::clicked, this, &DrillScreen::Label3_Click);
}

void DrillScreen::buildOverlay() {
    sPicture2_ = MakeFrame(this, QStringLiteral("sPicture2"), TwipRect(0, 0, 15360, 11520),
                           Rgb(0, 192, 192));
    const QRect middle = TwipRect(0, 4560, 15360, 1500);
    lblsss1_ =
        MakeLabel(sPicture2_, QStringLiteral("lblsss1"), QStringLiteral("成績記録中"), middle, 48,
                  QStringLiteral("color: black; font-weight: bold;"), Qt::AlignCenter);
    lblsss2_ =
        MakeLabel(sPicture2_, QStringLiteral("lblsss2"), QStringLiteral("時間切れ"), middle, 48,
                  QStringLiteral("color: rgb(255, 0, 0); font-weight: bold;"), Qt::AlignCenter);
    sPicture2_->hide();
}

void DrillScreen::load() {
    // Each drill draws a fresh sequence of problems.
    state_.platform.random->seed(FreshSeed(*state_.platform.clock));
    sTimer2_Timer();
    sTimer2_->start();
}

void DrillScreen::activate() {
    if (!HasTimeLimit(state_, state_.LevelNo)) {
        refuseLevelWithoutTimeLimit();
        return;
    }
    初期設定();
    レベル別設定();
    スタート();
    問題作成表示();
}

void DrillScreen::refuseLevelWithoutTimeLimit() {
    Navigator& navigator = *state_.platform.navigator;
    state_.platform.dialogs->inform(QStringLiteral("注意"),
                                    NoTimeLimitMessage(state_, state_.LevelNo));
    navigator.closeWait();
    navigator.closeDrill();
    navigator.showBoard();
}

void DrillScreen::初期設定() {
    Navigator& navigator = *state_.platform.navigator;
    navigator.closeBoard();
    navigator.closeWait();
    DrillState& drill = state_.drill;
    drill.DrillFinished = false;
    drill.EndRoutineStarted = false;
    drill.JudgeResult = kNotJudged;
    drill.Attempts.clear();

    const int level = state_.LevelNo;
    if (state_.levels.LevelEnabled[level] != 0) {
        // A hand-edited huge lowest time must not wrap the limit round.
        drill.TimeLimit =
            int32_t(std::min<int64_t>(int64_t(kTimeLimitFactor) * LowestTimeOf(state_, level),
                                      std::numeric_limits<int32_t>::max()));
        sLabel10_->setText(QStringLiteral("0"));
        drill.BarScale = double(kTrackWidth) / drill.TimeLimit;
        setProgressWidth(0);
        sShape3_->resize(Px(int(std::lround(TargetTimeOf(state_, level) * drill.BarScale))),
                         sShape3_->height());
        sShape4_->resize(Px(int(std::lround(LowestTimeOf(state_, level) * drill.BarScale))),
                         sShape4_->height());
    }
    fillStatusStrip();
}

void DrillScreen::fillStatusStrip() {
    const int level = state_.LevelNo;
    const int student = state_.session.StudentNo;
    const QString& title = state_.levels.ProgramTitle;
    sLabel2_->setFont(ScreenFont(title.size() > kLongTitle ? 14 : 16.8));
    sLabel2_->setText(title);
    sLabel7_->setText(state_.session.StudentName.trimmed());
    sLabel14_->setText(state_.common.ClassroomName);
    sLabel8_->setText(state_.levels.LevelNames[level]);
    state_.board.TodayRunTotal = TodayRunTotal(state_, student, 1, 15);
    if (IsPracticeLevel(state_, level)) {
        sLabel12_->setText(kDash);
        sLabel11_->setText(kDash);
    } else {
        sLabel12_->setText(QString::number(state_.board.TodayRunTotal + 1));
        sLabel11_->setText(PlainNumber(state_.counts.TodayCount(level, student) + 1));
    }
}

void DrillScreen::レベル別設定() {
    state_.drill.ProblemsRequired = kProblemsRequired;
    showRemaining();
}

void DrillScreen::スタート() {
    state_.drill.DrillStartTime = state_.platform.clock->monotonicSeconds();
    // A drill that ends before the first tick must not record the last drill's time.
    state_.drill.ElapsedSeconds = 0;
    sTimer1_->start();
}

void DrillScreen::問題作成表示() {
    if (!MayShowNewProblem(state_)) return;
    label1_->setText(QString());
    label2_->hide();
    correctionLabel_->hide();
    for (CircleFigure* figure : figures_)
        figure->hide();
    inputTrail_.clear();
    inputLabel_->setText(QString());

    const CircleProblem problem =
        MakeCircleProblem(state_.LevelNo, previousValue_, *state_.platform.random);
    label1_->setText(problem.instruction);
    CircleFigure* figure = figures_[size_t(problem.figure)];
    figure->numberLabel()->setText(QString::number(problem.v));
    figure->show();
    for (size_t i = 0; i < kCandidateKeys.size(); ++i)
        label5_[size_t(kCandidateKeys[i])]->setText(problem.candidates[i]);
    previousValue_ = problem.v;
    label2_->setText(problem.expectedAnswer);
    shownProblem_ = problem;
    shownAt_ = state_.platform.clock->monotonicSeconds();
    ++problemNumber_;
}

// The keypad rests while the correction is shown, and while an answer is being
// judged: a click let through while its sound starts must not judge it twice.
bool DrillScreen::keypadLocked() const {
    return !label3_->isHidden() || state_.drill.JudgingNow;
}

void DrillScreen::Label5_Click(int index) {
    if (keypadLocked()) return;
    inputTrail_ = AppendKey(inputTrail_, label5_[size_t(index)]->text());
    inputLabel_->setText(TrailDisplay(inputTrail_));
}

void DrillScreen::Label6_Click(int index) {
    if (keypadLocked()) return;
    if (index == kBackSpaceKey) {
        inputTrail_ = RemoveLastKey(inputTrail_);
        inputLabel_->setText(TrailDisplay(inputTrail_));
        return;
    }
    state_.drill.JudgingNow = true;
    判定();
    判定後処理();
    state_.drill.JudgingNow = false;
}

void DrillScreen::判定() {
    DrillState& drill = state_.drill;
    if (drill.TimedOut || drill.DrillFinished) {
        drill.JudgingNow = false;
        return;
    }
    drill.JudgeResult = Judge(label2_->text(), inputLabel_->text());
    if (!shownProblem_) return;
    const Attempt attempt =
        AnsweredAttempt(problemNumber_, shownProblem_->kind, shownProblem_->v, inputLabel_->text(),
                        shownAt_, state_.platform.clock->monotonicSeconds());
    keepAttempt(attempt);
    correctionLabel_->setText(
        CorrectionLine(shownProblem_->kind, shownProblem_->v, attempt.mistake));
    // Answered: a time-out from here on leaves no problem of its own.
    shownProblem_.reset();
}

void DrillScreen::keepAttempt(const Attempt& attempt) {
    if (!IsPracticeLevel(state_, state_.LevelNo)) state_.drill.Attempts.push_back(attempt);
}

void DrillScreen::keepTimedOutProblem() {
    if (!shownProblem_) return;
    keepAttempt(TimedOutAttempt(problemNumber_, shownProblem_->kind, shownProblem_->v, shownAt_,
                                state_.platform.clock->monotonicSeconds()));
    shownProblem_.reset();
}

void DrillScreen::判定後処理() {
    DrillState& drill = state_.drill;
    if (drill.TimedOut || drill.DrillFinished) return;
    if (drill.JudgeResult == kCorrect) {
        drill.JudgeResult = kNotJudged;
        inputLabel_->repaint();
        if (stoppedForSilentSpeakers(PlayCorrectSound(state_))) return;
        drill.CorrectCount += 1;
        showRemaining();
        if (drill.CorrectCount < drill.ProblemsRequired) {
            drill.JudgingNow = false;
            問題作成表示();
        } else {
            sTimer1_->stop();
            drill.DrillFinished = true;
            EndOfDrill();
        }
        return;
    }
    drill.WrongAnswerShown = true;
    label2_->show();
    label3_->show();
    correctionLabel_->setVisible(!correctionLabel_->text().isEmpty());
    // The student sees the right answer while the wrong-answer sound plays.
    label2_->repaint();
    label3_->repaint();
    correctionLabel_->repaint();
    if (stoppedForSilentSpeakers(PlayWrongSound(state_))) return;
    drill.CorrectCount = CorrectCountAfterWrong(drill.CorrectCount);
    showRemaining();
    drill.JudgingNow = false;
}

// Nobody hears the answers any more: the drill stops and the program ends.
bool DrillScreen::stoppedForSilentSpeakers(const AnswerSound& sound) {
    if (!sound.speakersGaveUp) return false;
    sTimer1_->stop();
    endProgramWith(kSoundErrorTitle, sound.message());
    return true;
}

void DrillScreen::Label3_Click() {
    Commandkakunin_Click();
}

void DrillScreen::Commandkakunin_Click() {
    state_.drill.WrongAnswerShown = false;
    label3_->hide();
    問題作成表示();
}

void DrillScreen::showRemaining() {
    sLabel9_->setText(QString::number(
        RemainingAnswers(state_.drill.ProblemsRequired, state_.drill.CorrectCount)));
}

void DrillScreen::setProgressWidth(double twips) {
    sShape2_->resize(Px(int(std::lround(twips))), sShape2_->height());
}

void DrillScreen::hideLamps(int elapsed) {
    const int level = state_.LevelNo;
    for (const int lamp :
         RedLampsToHide(elapsed, TargetTimeOf(state_, level), LowestTimeOf(state_, level)))
        lamps_[size_t(lamp - kFirstLamp)]->hide();
}

void DrillScreen::sTimer1_Timer() {
    DrillState& drill = state_.drill;
    drill.ElapsedSeconds =
        WholeSeconds(state_.platform.clock->monotonicSeconds() - drill.DrillStartTime);
    const int32_t elapsed = drill.ElapsedSeconds;
    hideLamps(elapsed);
    if (state_.levels.LevelEnabled[state_.LevelNo] != 0) {
        sLabel10_->setText(QString::number(elapsed));
        if (elapsed < drill.TimeLimit) setProgressWidth(elapsed * drill.BarScale);
    }
    LetEventsRun();
    if (elapsed < drill.TimeLimit) return;
    setProgressWidth(kTrackWidth);
    if (ShouldTimeOut(state_)) {
        keepTimedOutProblem();
        drill.TimedOut = true;
        sTimer1_->stop();
        EndOfDrill();
        LetEventsRun();
    }
}

void DrillScreen::sTimer2_Timer() {
    sLabel13_->setText(QString::number(
        MinutesSinceLogin(state_.platform.clock->monotonicSeconds(), state_.session.LoginTime)));
}

void DrillScreen::EndOfDrill() {
    LetEventsRun();
    DrillState& drill = state_.drill;
    if (drill.EndRoutineStarted) return;
    drill.EndRoutineStarted = true;

    const bool timedOut = drill.TimedOut;
    lblsss1_->setVisible(!timedOut);
    lblsss2_->setVisible(timedOut);
    sPicture2_->show();
    sPicture2_->raise();
    LetEventsRun();

    Navigator& navigator = *state_.platform.navigator;
    const int level = state_.LevelNo;
    if (IsPracticeLevel(state_, level)) {
        navigator.showWait();
        navigator.closeDrill();
        navigator.showBoard();
        LetEventsRun();
        return;
    }
    if (state_.levels.LevelEnabled[level] != 1) return;
    sTimer1_->stop();
    state_.ResultValue = timedOut ? kTimedOutResult : drill.ElapsedSeconds;
    // The wait screen first: the append may wait for another machine.
    navigator.showWait();
    LetEventsRun();
    QString setAside;
    QString failure;
    try {
        RecordRunEnd(state_, &setAside);
    } catch (const DataFileError& error) {
        failure = error.message();
    }
    // The teacher hears of a set-aside intent even when the run could not be kept.
    TellSetAsideNotice(state_, setAside);
    if (!failure.isEmpty()) {
        state_.platform.dialogs->inform(QStringLiteral("ファイルエラー"), failure);
        navigator.endProgram();
        return;
    }
    ShowResultsAfterDelay(state_, 1);
}

void ShowResultsAfterDelay(ProgramState& state, int seconds) {
    state.platform.clock->wait(seconds * 1000);
    state.platform.navigator->closeDrill();
    state.platform.navigator->showResults();
}
