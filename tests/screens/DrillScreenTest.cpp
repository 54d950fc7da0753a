#include "DrillHarness.h"

#include "drill/DrillLogic.h"
#include "records/Outbox.h"
#include "records/ResultsFile.h"
#include "records/ResultsJournal.h"
#include "screens/DrillScreen.h"
#include "screens/ResultsScreen.h"
#include "widgets/StartupScreen.h"
#include "widgets/WaitScreen.h"

#include <QFileInfo>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
const QString kTimes = QStringLiteral("\u00D7");

class DrillScreenTest : public ::testing::Test, public DrillClassroom {
  protected:
    // Answers right, three seconds per problem, until the drill ends.
    void answerRightEvery3s(DrillScreen* frm, int answers) {
        for (int i = 0; i < answers; ++i) {
            passSeconds(frm, 3);
            answerRight(frm);
        }
    }
    ResultRecord onlyRecord() {
        const auto records = ReadRecords(resultsPath(), 1, 100);
        if (records.size() != 1) throw std::runtime_error("expected exactly one record");
        return records.front();
    }
};
} // namespace

TEST_F(DrillScreenTest, OpensWithTheStatusStripFilled) {
    addRecord(1, 50);
    addRecord(1, 55);
    addRecord(4, 70);
    addRecord(20, 70); // beyond level 15: not in the day's total
    DrillScreen* frm = startDrill(1);
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel2")), QStringLiteral("円の公式ドリル"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel7")), QStringLiteral("山田　花子"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel14")), QStringLiteral("本町教室"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel8")), QStringLiteral("円周１"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel9")), QStringLiteral("10"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel10")), QStringLiteral("0"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel13")), QStringLiteral("12"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel12")), QStringLiteral("4"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel11")), QStringLiteral("3"));
    EXPECT_EQ(navigator.count(QStringLiteral("closeBoard")), 1);
    EXPECT_TRUE(Child<QTimer>(frm, QStringLiteral("sTimer1"))->isActive());
    EXPECT_TRUE(Child<QTimer>(frm, QStringLiteral("sTimer2"))->isActive());
    // The first problem: instruction, one figure with its length, the keys.
    EXPECT_EQ(Text(frm, QStringLiteral("Label1")), QStringLiteral("円周を求める式を完成しなさい"));
    EXPECT_TRUE(Shown(frm, QStringLiteral("Picture1_0")));
    EXPECT_FALSE(Shown(frm, QStringLiteral("Picture1_1")));
    const QString v = Text(frm, QStringLiteral("Label4_0"));
    EXPECT_EQ(Text(frm, QStringLiteral("Label2")), v + kTimes + QStringLiteral("3.14"));
    EXPECT_FALSE(Shown(frm, QStringLiteral("Label2")));
    EXPECT_FALSE(Shown(frm, QStringLiteral("Label3")));
    EXPECT_FALSE(Shown(frm, QStringLiteral("sPicture2")));
    // The time bar: the lowest time is a fifth of the track, the target half of that.
    const int track = Child<QWidget>(frm, QStringLiteral("sShape5"))->width();
    EXPECT_EQ(track, 1007);
    EXPECT_EQ(Child<QWidget>(frm, QStringLiteral("sShape4"))->width(), 201);
    EXPECT_EQ(Child<QWidget>(frm, QStringLiteral("sShape3"))->width(), 101);
    EXPECT_EQ(Child<QWidget>(frm, QStringLiteral("sShape2"))->width(), 0);
}

TEST_F(DrillScreenTest, TenRightAnswersRecordTheRunAndShowItsTime) {
    DrillScreen* frm = startDrill(1);
    answerRightEvery3s(frm, 9);
    EXPECT_EQ(recordCount(), 0);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel9")), QStringLiteral("1"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel10")), QStringLiteral("27"));
    passSeconds(frm, 3);
    answerRight(frm);

    const ResultRecord record = onlyRecord();
    EXPECT_EQ(record.student, kStudent);
    EXPECT_EQ(record.level, 1);
    EXPECT_EQ(record.result, 30);
    EXPECT_EQ(record.classroomCode, QStringLiteral("A1234"));
    EXPECT_EQ(played(QStringLiteral("seikai.wav")), 10);
    EXPECT_EQ(state().ResultValue, 30);

    // The drill went through the wait screen to the results screen.
    EXPECT_EQ(drill(), nullptr);
    ResultsScreen* results = this->results();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(Text(results, QStringLiteral("Label18")), QStringLiteral("今の成績：30秒"));
    EXPECT_EQ(host.find<WaitScreen>(), nullptr);
    const auto& calls = navigator.calls;
    const auto at = [&](const char* call) {
        return std::find(calls.begin(), calls.end(), QString::fromLatin1(call)) - calls.begin();
    };
    EXPECT_LT(at("showWait"), at("closeDrill"));
    EXPECT_LT(at("closeDrill"), at("showResults"));
}

// The drill's own append is the writer that meets an intent left from another
// file: it sets the intent aside, the teacher is told once, the run goes in.
TEST(DrillsEnd, AnIntentItsAppendSetAsideIsToldOnceAndTheRunIsRecorded) {
    struct Row {
        const char* what;
        StaleIntent stale;
        bool runKept; // a run of an earlier drill waits on this machine
        int filesAside;
    };
    for (const Row& row :
         {Row{"no intent", StaleIntent::None, false, 0},
          Row{"a change past the end", StaleIntent::ChangePastTheEnd, false, 1},
          Row{"a deletion whose copy is cut short", StaleIntent::DeletionWithShortCopy, false, 2},
          Row{"a kept run moved in first", StaleIntent::ChangePastTheEnd, true, 1},
          Row{"a kept run, no intent", StaleIntent::None, true, 0}}) {
        SCOPED_TRACE(row.what);
        DrillClassroom room;
        room.addRecord(1, 40, 1);
        const QString path = room.resultsPath();
        QByteArray kept;
        if (row.runKept) {
            ResultRecord earlier;
            earlier.date = 46365;
            earlier.student = DrillClassroom::kStudent;
            earlier.level = 2;
            earlier.result = 77;
            kept = EncodeRecord(earlier);
            Outbox(OutboxFolderOf(room.state().folders), path).keep(kept);
        }
        const QByteArray before = ReadWholeResultsFile(path);
        LeaveStaleIntent(path, row.stale);

        DrillScreen* frm = room.startDrill(1);
        ASSERT_NE(frm, nullptr);
        for (int i = 0; i < 10 && room.drill(); ++i) {
            room.passSeconds(frm, 3);
            room.answerRight(frm);
        }

        const QByteArray after = ReadWholeResultsFile(path);
        ASSERT_EQ(after.size(), before.size() + kept.size() + kRecordSize);
        EXPECT_TRUE(after.startsWith(before + kept));
        EXPECT_EQ(DecodeRecord(after.constData() + before.size() + kept.size()).result, 30);
        EXPECT_FALSE(QFileInfo::exists(ResultsIntentPathBeside(path)));
        ExpectSetAsideToldOnce(room.rig.dialogs, path, row.filesAside);
        EXPECT_NE(room.results(), nullptr);
        EXPECT_FALSE(room.state().drill.RunKeptForLater);
    }
}

TEST_F(DrillScreenTest, AWrongAnswerInBetweenNeedsElevenRightOnes) {
    DrillScreen* frm = startDrill(3);
    answerRightEvery3s(frm, 5);
    answerWrong(frm);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel9")), QStringLiteral("6"));
    EXPECT_EQ(played(QStringLiteral("machigai.wav")), 1);
    EXPECT_TRUE(Shown(frm, QStringLiteral("correctionLabel")));
    EXPECT_EQ(Text(frm, QStringLiteral("correctionLabel")),
              QStringLiteral("3.14 は さいごに かけます。"));
    pressNext(frm);
    EXPECT_FALSE(Shown(frm, QStringLiteral("correctionLabel")));
    answerRightEvery3s(frm, 5);
    EXPECT_EQ(recordCount(), 0);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel9")), QStringLiteral("1"));
    answerRightEvery3s(frm, 1);
    EXPECT_EQ(recordCount(), 1);
    EXPECT_EQ(onlyRecord().result, 33);

    // Every answered problem waits in the drill state for the attempt log.
    const std::vector<Attempt>& attempts = state().drill.Attempts;
    ASSERT_EQ(attempts.size(), 12u);
    for (std::size_t i = 0; i < attempts.size(); ++i) {
        EXPECT_EQ(attempts[i].problem, int(i) + 1);
        EXPECT_EQ(attempts[i].correct, i != 5);
        EXPECT_EQ(attempts[i].tenths, i == 5 ? 0 : 30);
    }
    EXPECT_EQ(attempts[5].mistake, MistakeClass::Order);
    EXPECT_TRUE(attempts[5].keys.startsWith(QStringLiteral("3.14")));
}

TEST_F(DrillScreenTest, AWrongFirstAnswerLeavesTenToGo) {
    DrillScreen* frm = startDrill(1);
    answerWrong(frm);
    EXPECT_EQ(state().drill.CorrectCount, 0);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel9")), QStringLiteral("10"));
}

TEST_F(DrillScreenTest, TheCorrectionLocksTheKeypadUntilNext) {
    DrillScreen* frm = startDrill(4);
    const QString expected = Text(frm, QStringLiteral("Label2"));
    answerWrong(frm);
    EXPECT_TRUE(Shown(frm, QStringLiteral("Label2")));
    EXPECT_TRUE(Shown(frm, QStringLiteral("Label3")));
    EXPECT_EQ(Text(frm, QStringLiteral("Label2")), expected);
    EXPECT_TRUE(state().drill.WrongAnswerShown);
    const QString entered = Text(frm, QStringLiteral("inputLabel"));

    PressKey(frm, QStringLiteral("3.14"));
    PressKey(frm, QStringLiteral("BS"));
    pressOk(frm);
    EXPECT_EQ(Text(frm, QStringLiteral("inputLabel")), entered);
    EXPECT_EQ(sound.played.size(), 1u);

    pressNext(frm);
    EXPECT_FALSE(state().drill.WrongAnswerShown);
    EXPECT_FALSE(Shown(frm, QStringLiteral("Label3")));
    EXPECT_FALSE(Shown(frm, QStringLiteral("Label2")));
    EXPECT_EQ(Text(frm, QStringLiteral("inputLabel")), QString());
    PressKey(frm, QStringLiteral("3.14"));
    EXPECT_EQ(Text(frm, QStringLiteral("inputLabel")), QStringLiteral("3.14"));
}

TEST_F(DrillScreenTest, AnOkLetThroughDuringTheAnswerSoundIsNotJudgedAgain) {
    DrillScreen* frm = startDrill(1);
    // One OK press while the first sound plays; the right answer is still on
    // the input display then, so judging it again would count it twice.
    int presses = 0;
    sound.whilePlaying = [&](const QString&) {
        if (presses++ == 0)
            QTest::mouseClick(Child<QLabel>(frm, QStringLiteral("Label6_0")), Qt::LeftButton);
    };
    answerRight(frm);
    EXPECT_EQ(state().drill.CorrectCount, 1);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel9")), QStringLiteral("9"));
    EXPECT_EQ(played(QStringLiteral("seikai.wav")), 1);
}

namespace {
// r that makes Int(r × 5 + 1) × 2 come out as the length v.
double LengthDraw(int v) {
    return (v / 2 - 0.5) / 5;
}

// What the work area shows of the current problem.
QStringList ShownProblem(const DrillScreen* frm) {
    QStringList shown;
    for (const char* name : {"Label1", "Label4_0", "Label4_1", "Label5_13", "Label5_1", "Label5_12",
                             "Label2", "inputLabel"})
        shown << Text(frm, QString::fromLatin1(name));
    shown << QString::number(Shown(frm, QStringLiteral("Picture1_0"))) +
                 QString::number(Shown(frm, QStringLiteral("Picture1_1")));
    return shown;
}
} // namespace

TEST_F(DrillScreenTest, EachKindShowsItsFigureLabelledWithTheLength) {
    struct Case {
        int level;
        int v;
        const char* figure; // the one shown
        const char* hidden;
        const char16_t* instruction;
    };
    const Case cases[] = {
        {1, 10, "Picture1_0", "Picture1_1", u"円周を求める式を完成しなさい"}, // kind 1: diameter
        {2, 2, "Picture1_1", "Picture1_0", u"円周を求める式を完成しなさい"},  // kind 2: radius
        {4, 10, "Picture1_1", "Picture1_0", u"円の面積を求める式を完成しなさい"}, // kind 3: radius
        {5, 6, "Picture1_0", "Picture1_1", u"円の面積を求める式を完成しなさい"}, // kind 4: diameter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("level " + std::to_string(c.level));
        ScriptedRandom scripted;
        scripted.script = {LengthDraw(c.v)};
        scripted.fallback = 0.5;
        state().platform.random = &scripted;
        DrillScreen* frm = startDrill(c.level);
        ASSERT_NE(frm, nullptr);
        const QString figure = QString::fromLatin1(c.figure);
        EXPECT_TRUE(Shown(frm, figure));
        EXPECT_FALSE(Shown(frm, QString::fromLatin1(c.hidden)));
        EXPECT_EQ(Text(frm, QStringLiteral("Label4_") + figure.right(1)), QString::number(c.v));
        EXPECT_EQ(Text(frm, QStringLiteral("Label1")), QString::fromUtf16(c.instruction));
        QStringList keys;
        for (const char* key : {"Label5_13", "Label5_1", "Label5_12"})
            keys << Text(frm, QString::fromLatin1(key));
        keys.sort();
        QStringList candidates{QString::number(2 * c.v), QString::number(c.v),
                               QString::number(c.v / 2)};
        candidates.sort();
        EXPECT_EQ(keys, candidates);
        navigator.closeDrill();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(DrillScreenTest, TheNextProblemNeverRepeatsTheLastLengthButANewDrillStartsAfresh) {
    ScriptedRandom scripted;
    scripted.fallback = 0.5;
    state().platform.random = &scripted;
    const auto shownLength = [&](DrillScreen* frm) {
        return Text(frm, QStringLiteral("Label4_0")).toInt();
    };

    scripted.script = {LengthDraw(4)};
    DrillScreen* frm = startDrill(1);
    ASSERT_EQ(shownLength(frm), 4);
    answerWrong(frm);
    // The first draw after "次へ" repeats 4 and is drawn again.
    scripted.script = {LengthDraw(4), LengthDraw(8)};
    pressNext(frm);
    EXPECT_EQ(shownLength(frm), 8);
    EXPECT_TRUE(scripted.script.empty());

    // The same after a right answer, whose sound draws its variant first.
    scripted.script = {0.0, LengthDraw(8), LengthDraw(2)};
    answerRight(frm);
    EXPECT_EQ(shownLength(frm), 2);
    EXPECT_TRUE(scripted.script.empty());

    // A new drill has no previous length: its first problem may show 2 again.
    navigator.closeDrill();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    scripted.script = {LengthDraw(2)};
    DrillScreen* next = startDrill(1);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(shownLength(next), 2);
}

// An OK press let through while a right answer's sound plays neither judges
// again nor makes a problem: the screen keeps what it shows and nothing is
// drawn until the sound has ended.
TEST_F(DrillScreenTest, NoProblemIsMadeWhileAnAnswerIsJudged) {
    ScriptedRandom scripted;
    scripted.fallback = 0.5;
    state().platform.random = &scripted;
    DrillScreen* frm = startDrill(1);
    QStringList beforePress;
    QStringList afterPress;
    int drawsBefore = -1;
    int drawsAfter = -1;
    sound.whilePlaying = [&](const QString&) {
        if (drawsBefore >= 0) return;
        beforePress = ShownProblem(frm);
        drawsBefore = scripted.draws;
        QTest::mouseClick(Child<QLabel>(frm, QStringLiteral("Label6_0")), Qt::LeftButton);
        afterPress = ShownProblem(frm);
        drawsAfter = scripted.draws;
        scripted.script = {LengthDraw(2)}; // the next problem, not the 6 shown
    };
    answerRight(frm);
    ASSERT_GE(drawsBefore, 0) << "no sound played";
    EXPECT_EQ(afterPress, beforePress);
    EXPECT_EQ(drawsAfter, drawsBefore);
    EXPECT_GT(scripted.draws, drawsAfter) << "no new problem after the sound";
    EXPECT_EQ(state().drill.CorrectCount, 1);
}

TEST_F(DrillScreenTest, ADrillOnALevelTheCatalogueSwitchesOffRecordsNothing) {
    state().levels.LevelEnabled[1] = 0;
    DrillScreen* frm = startDrill(1);
    ASSERT_NE(frm, nullptr);
    answerRightEvery3s(frm, 10);
    EXPECT_TRUE(state().drill.EndRoutineStarted);
    EXPECT_EQ(recordCount(), 0);
    EXPECT_EQ(navigator.count(QStringLiteral("showResults")), 0);
    EXPECT_TRUE(Shown(frm, QStringLiteral("sPicture2")));
}

TEST_F(DrillScreenTest, BackSpaceRemovesWholeKeysAndTheReverseOrderIsWrong) {
    ScriptedRandom scripted;
    scripted.script = {0.3}; // the length 4
    scripted.fallback = 0.5;
    state().platform.random = &scripted;
    DrillScreen* frm = startDrill(1);
    ASSERT_EQ(Text(frm, QStringLiteral("Label2")),
              QStringLiteral("4") + kTimes + QStringLiteral("3.14"));

    PressKey(frm, QStringLiteral("4"));
    PressKey(frm, kTimes);
    PressKey(frm, QStringLiteral("3.14"));
    EXPECT_EQ(Text(frm, QStringLiteral("inputLabel")),
              QStringLiteral("4") + kTimes + QStringLiteral("3.14"));
    PressKey(frm, QStringLiteral("BS"));
    EXPECT_EQ(Text(frm, QStringLiteral("inputLabel")), QStringLiteral("4") + kTimes);
    PressKey(frm, QStringLiteral("BS"));
    PressKey(frm, QStringLiteral("BS"));
    EXPECT_EQ(Text(frm, QStringLiteral("inputLabel")), QString());
    PressKey(frm, QStringLiteral("BS"));
    EXPECT_EQ(Text(frm, QStringLiteral("inputLabel")), QString());

    EnterFormula(frm, QStringLiteral("3.14") + kTimes + QStringLiteral("4"));
    pressOk(frm);
    EXPECT_EQ(state().drill.JudgeResult, kWrong);
    EXPECT_TRUE(Shown(frm, QStringLiteral("Label3")));
    EXPECT_EQ(played(QStringLiteral("machigai.wav")), 1);
}

TEST_F(DrillScreenTest, TimesOutAtTheFirstTickAtFiveTimesTheLowestTime) {
    setCriteria(1, 30, 60);
    DrillScreen* frm = startDrill(1);
    answerRightEvery3s(frm, 2);
    passSeconds(frm, 299 - 6);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel10")), QStringLiteral("299"));
    EXPECT_EQ(recordCount(), 0);
    QPointer<DrillScreen> alive(frm);
    rig.clock.advance(1.4); // ticks come late: 300.4 s
    TickTimer(frm, QStringLiteral("sTimer1"));

    ASSERT_TRUE(alive);
    EXPECT_TRUE(state().drill.TimedOut);
    EXPECT_TRUE(Shown(frm, QStringLiteral("sPicture2")));
    EXPECT_TRUE(Shown(frm, QStringLiteral("lblsss2")));
    EXPECT_FALSE(Shown(frm, QStringLiteral("lblsss1")));
    EXPECT_EQ(Child<QWidget>(frm, QStringLiteral("sShape2"))->width(), 1007);
    if (const QByteArray folder = qgetenv("DRILL_SCREENSHOTS"); !folder.isEmpty())
        frm->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/drill-timed-out.png"));
    EXPECT_EQ(onlyRecord().result, 99999);
    // The problem left on screen is kept as timed out, with nothing entered.
    const std::vector<Attempt>& attempts = state().drill.Attempts;
    ASSERT_EQ(attempts.size(), 3u);
    EXPECT_EQ(attempts[2].mistake, MistakeClass::TimedOut);
    EXPECT_EQ(attempts[2].keys, QString());
    EXPECT_EQ(attempts[2].tenths, 2944);
    ResultsScreen* results = this->results();
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(Text(results, QStringLiteral("Label18")), QStringLiteral("記録なし"));
    EXPECT_EQ(Text(results, QStringLiteral("Label20")), QStringLiteral("時間切れ"));
}

TEST_F(DrillScreenTest, ATimeOutDuringAnOkPressIsTakenAtTheNextTick) {
    setCriteria(1, 30, 60);
    DrillScreen* frm = startDrill(1);
    passSeconds(frm, 295);
    int ticksDuringSound = 0;
    sound.whilePlaying = [&](const QString& path) {
        if (!path.endsWith(QStringLiteral("machigai.wav"))) return;
        // The wrong-answer sound runs past the limit; a tick comes meanwhile.
        rig.clock.advance(10);
        TickTimer(frm, QStringLiteral("sTimer1"));
        ++ticksDuringSound;
    };
    answerWrong(frm);
    ASSERT_EQ(ticksDuringSound, 1);
    EXPECT_FALSE(state().drill.TimedOut);
    EXPECT_EQ(recordCount(), 0);
    EXPECT_TRUE(Shown(frm, QStringLiteral("Label3")));

    TickTimer(frm, QStringLiteral("sTimer1"));
    EXPECT_TRUE(state().drill.TimedOut);
    EXPECT_EQ(onlyRecord().result, 99999);
    EXPECT_EQ(Text(results(), QStringLiteral("Label18")), QStringLiteral("記録なし"));
}

TEST_F(DrillScreenTest, RedLampsGoOutFromNineSecondsBeforeTheTarget) {
    setCriteria(1, 30, 120);
    DrillScreen* frm = startDrill(1);
    const auto lit = [&](int lamp) { return Shown(frm, QStringLiteral("sPicture3_%1").arg(lamp)); };
    passSeconds(frm, 20);
    for (int lamp = 10; lamp <= 39; ++lamp)
        EXPECT_TRUE(lit(lamp)) << lamp;
    passSeconds(frm, 1);
    EXPECT_FALSE(lit(30));
    EXPECT_TRUE(lit(31));
    passSeconds(frm, 9);
    for (int lamp = 30; lamp <= 39; ++lamp)
        EXPECT_FALSE(lit(lamp)) << lamp;
    for (int lamp = 10; lamp <= 29; ++lamp)
        EXPECT_TRUE(lit(lamp)) << lamp;
}

TEST_F(DrillScreenTest, APracticeLevelRecordsNothingAndReturnsToTheBoard) {
    DrillScreen* frm = startDrill(19);
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel12")), QStringLiteral("－"));
    EXPECT_EQ(Text(frm, QStringLiteral("sLabel11")), QStringLiteral("－"));
    answerRightEvery3s(frm, 10);
    EXPECT_EQ(recordCount(), 0);
    EXPECT_TRUE(state().drill.Attempts.empty());
    EXPECT_EQ(navigator.count(QStringLiteral("showBoard")), 1);
    EXPECT_EQ(navigator.count(QStringLiteral("showResults")), 0);
    EXPECT_EQ(navigator.count(QStringLiteral("closeDrill")), 1);
    EXPECT_EQ(drill(), nullptr);
}

TEST_F(DrillScreenTest, ALevelWithoutALowestTimeIsExplainedInsteadOfDrilled) {
    setCriteria(2, 60, 0);
    DrillScreen* frm = startDrill(2);
    EXPECT_EQ(frm, nullptr);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].title, QStringLiteral("注意"));
    EXPECT_TRUE(rig.dialogs.shown[0].text.contains(QStringLiteral("円周２")));
    EXPECT_EQ(navigator.count(QStringLiteral("showBoard")), 1);
    EXPECT_EQ(navigator.count(QStringLiteral("closeBoard")), 0);
    EXPECT_EQ(recordCount(), 0);
}

TEST_F(DrillScreenTest, LaysOutTheStripAndTheWorkAreaInTwips) {
    DrillScreen* frm = startDrill(1);
    const auto at = [&](const char* name) {
        return Child<QWidget>(frm, QString::fromLatin1(name))->geometry();
    };
    EXPECT_EQ(at("sPicture1"), TwipRect(0, 0, 15360, 1485));
    EXPECT_EQ(at("Picture2"), TwipRect(0, 1485, 15360, 11520 - 1485));
    EXPECT_EQ(at("Label1"), TwipRect(405, 405, 8745, 690));
    EXPECT_EQ(at("Picture1_0"), TwipRect(1935, 1395, 5145, 4785));
    EXPECT_EQ(at("Picture1_1"), at("Picture1_0"));
    EXPECT_EQ(at("Picture3"), TwipRect(9495, 405, 5235, 6135));
    EXPECT_EQ(at("Label5_13"), TwipRect(405, 90, 4425, 825));
    EXPECT_EQ(at("Label5_12"), TwipRect(405, 1822, 4425, 825));
    EXPECT_EQ(at("Label5_2"), TwipRect(405, 2688, 4425, 870));
    EXPECT_EQ(at("Label6_0"), TwipRect(2475, 4590, 2310, 825));
    EXPECT_EQ(at("Label3"), TwipRect(405, 5490, 4380, 555));
    EXPECT_EQ(at("inputLabel"), TwipRect(315, 6615, 14640, 1455));
    EXPECT_EQ(at("Label2"), TwipRect(315, 8100, 14640, 1455));
    EXPECT_EQ(at("sPicture2"), TwipRect(0, 0, 15360, 11520));
    EXPECT_EQ(Text(frm, QStringLiteral("Label5_2")), kTimes);
    EXPECT_EQ(Text(frm, QStringLiteral("Label5_0")), QStringLiteral("3.14"));
    // Every lamp sits inside the strip, in one row along its bottom edge.
    const QRect strip = at("sPicture1");
    for (int lamp = 10; lamp <= 39; ++lamp) {
        const QRect place =
            Child<QWidget>(frm, QStringLiteral("sPicture3_%1").arg(lamp))->geometry();
        EXPECT_TRUE(strip.contains(place)) << lamp;
        EXPECT_EQ(place.top(), at("sPicture3_10").top());
    }
    if (const QByteArray folder = qgetenv("DRILL_SCREENSHOTS"); !folder.isEmpty()) {
        passSeconds(frm, 24);
        PressKey(frm, Text(frm, QStringLiteral("Label5_1")));
        host.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/drill.png"));
        answerWrong(frm);
        host.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/drill-correction.png"));
    }
}

TEST_F(DrillScreenTest, AFourthFailedAnswerSoundOnTheLastAnswerEndsTheDrillUnrecorded) {
    DrillScreen* frm = startDrill(1);
    answerRightEvery3s(frm, 6);
    for (int i = 0; i < 4; ++i)
        sound.results.push_back(PlayResult{263, QStringLiteral("no device")});
    answerRightEvery3s(frm, 4);

    EXPECT_EQ(navigator.count(QStringLiteral("endProgram")), 1);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].title, QStringLiteral("音声エラー"));
    // The program ends: no record, no results screen, the clock stopped.
    EXPECT_EQ(recordCount(), 0);
    EXPECT_EQ(results(), nullptr);
    EXPECT_FALSE(Child<QTimer>(frm, QStringLiteral("sTimer1"))->isActive());
}

TEST_F(DrillScreenTest, AHugeLowestTimeDoesNotWrapTheTimeLimitRound) {
    setCriteria(1, 30, 500000000);
    DrillScreen* frm = startDrill(1);
    passSeconds(frm, 2);
    EXPECT_FALSE(state().drill.TimedOut);
    EXPECT_EQ(recordCount(), 0);
}
