#include "TestDoubles.h"

#include "core/Dates.h"
#include "records/AttemptLog.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"
#include "records/Statistics.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

const QByteArray kHeader =
    "student,name,grade,level,runs,pass_runs,overdo_runs,today_runs,total_points,pass_points,"
    "overdo_points,today_points,best_time,class_best,cleared,overpractised";

struct StatsRun {
    int exitCode = -1;
    QList<QByteArray> lines;
    QByteArray errors;
};

StatsRun RunDrillStats(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(DRILL_STATS_PATH), arguments);
    StatsRun run;
    if (!process.waitForFinished(30000)) return run;
    run.exitCode = process.exitCode();
    run.lines = process.readAllStandardOutput().split('\n');
    if (!run.lines.isEmpty() && run.lines.back().isEmpty()) run.lines.removeLast();
    run.errors = process.readAllStandardError();
    return run;
}

QByteArray Record(const QDate& day, int student, int level, int32_t result) {
    ResultRecord r;
    r.date = ToOleDay(day);
    r.timeOfDay = 0.5;
    r.student = int16_t(student);
    r.level = int16_t(level);
    r.result = result;
    return EncodeRecord(r);
}

// A classroom of three roster lines (ID 2 has left), seven levels with a
// target of 60 s, and three runs on record.
struct StatsInstall {
    TempInstall install;

    StatsInstall() {
        install.writeClassroom(QStringLiteral("60,120,10,1,1,1,0,7,1,0,0,0"),
                               QStringLiteral("3,2014,0,0,\"三郎\",0,\"\",\"\"\n"
                                              "1,2015,0,0,\"一郎\",0,\"\",\"\"\n"
                                              "2,2015,0,0,\"次郎\",1,\"\",\"\"\n"));
        const QDate today(2026, 12, 9);
        install.writeBytes(install.dataFolder() + kResultsFileName,
                           Record(today, 1, 1, 30) + Record(today.addDays(-1), 3, 2, 99999) +
                               Record(today.addDays(-3), 3, 2, 45) + Record(today, 2, 1, 20));
    }
};

} // namespace

TEST(Figures, OneRowPerStudentAndLevelInTheGivenOrder) {
    TestRig rig;
    ProgramState& state = rig.state;
    state.levels.LevelCount = 2;
    for (const int lv : {1, 2}) {
        state.criteria.ClearPoint[lv] = 5;
        state.criteria.ClearCount[lv] = 1;
    }
    CountTables& c = state.counts;
    c.BestTime.fill(kNoBestTime);
    c.ClassBest.fill(kNoBestTime);
    c.RunCount(2, 7) = 3;
    c.PassRunCount(2, 7) = 2;
    c.PassPoints(2, 7) = 9;
    c.TodayCount(2, 7) = 1;
    c.BestTime(2, 7) = 41;
    c.ClassBest[2] = 38;

    const auto rows =
        CollectFigures(state, {{7, QStringLiteral("七海"), QStringLiteral("小5")},
                               {0, QStringLiteral("誰か"), QStringLiteral("小1")},
                               {3, QStringLiteral("佐藤, \"はな\""), QStringLiteral("中1")},
                               {9, QStringLiteral("=HYPERLINK(1)"), QStringLiteral("中2")}});
    ASSERT_EQ(rows.size(), 6u); // the ID 0 is no student
    EXPECT_EQ(rows[0].student, 7);
    EXPECT_EQ(rows[0].level, 1);
    EXPECT_EQ(rows[2].student, 3);
    const QList<QByteArray> lines = FiguresCsv(rows).split('\n');
    ASSERT_EQ(lines.size(), 8); // header, six rows, the final line end
    EXPECT_EQ(lines[0].toStdString(), kHeader.toStdString());
    EXPECT_EQ(QString::fromUtf8(lines[2]),
              QStringLiteral("7,七海,小5,2,3,2,0,1,0,9,0,0,41,38,1,0"));
    // A name holding a comma or a double quote is enclosed, its quotes doubled.
    EXPECT_EQ(QString::fromUtf8(lines[3]),
              QStringLiteral("3,\"佐藤, \"\"はな\"\"\",中1,1,0,0,0,0,0,0,0,0,99999,99999,0,0"));
    // A name that starts like a formula stays a text in a spreadsheet.
    EXPECT_TRUE(QString::fromUtf8(lines[5]).startsWith(QStringLiteral("9,'=HYPERLINK(1),中2,1,")));
    EXPECT_TRUE(lines[7].isEmpty());
}

TEST(DrillStats, PrintsTheCurrentStudentsFiguresPerLevel) {
    StatsInstall classroom;
    const StatsRun run =
        RunDrillStats({QStringLiteral("--now"), QStringLiteral("2026-12-09 10:00:00"),
                       classroom.install.programFolder()});
    ASSERT_EQ(run.exitCode, 0) << run.errors.constData();
    ASSERT_EQ(run.lines.size(), 1 + 2 * 7); // students 1 and 3, seven levels each
    EXPECT_EQ(run.lines[0].toStdString(), kHeader.toStdString());
    // 30 s against 60 s: 11 points; cleared (10 points, 1 run) and over-practised (1 run a day).
    EXPECT_EQ(QString::fromUtf8(run.lines[1]),
              QStringLiteral("1,一郎,小5,1,1,1,1,1,11,11,11,11,30,20,1,1"));
    EXPECT_EQ(QString::fromUtf8(run.lines[2]),
              QStringLiteral("1,一郎,小5,2,0,0,0,0,0,0,0,0,99999,45,0,0"));
    EXPECT_TRUE(QString::fromUtf8(run.lines[8]).startsWith(QStringLiteral("3,三郎,小6,1,")));
    // Level 2: a time-out yesterday and a run three days ago, both in the 7-day window.
    EXPECT_EQ(QString::fromUtf8(run.lines[9]),
              QStringLiteral("3,三郎,小6,2,1,1,0,0,5,5,0,0,45,45,0,0"));
}

TEST(DrillStats, WritesAFileWithAByteOrderMarkAndKeepsStandardOutputPlain) {
    StatsInstall classroom;
    const QString folder = classroom.install.programFolder();
    const QStringList now = {QStringLiteral("--now"), QStringLiteral("2026-12-09 10:00:00")};
    const StatsRun plain = RunDrillStats(now + QStringList{folder});
    ASSERT_EQ(plain.exitCode, 0) << plain.errors.constData();
    ASSERT_FALSE(plain.lines.isEmpty());
    EXPECT_TRUE(plain.lines[0].startsWith("student,"));

    const QString file = classroom.install.root() + QStringLiteral("成績.csv");
    const StatsRun toFile = RunDrillStats(now + QStringList{QStringLiteral("-o"), file, folder});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.errors.constData();
    EXPECT_TRUE(toFile.lines.isEmpty());
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_EQ(bytes.left(3), QByteArray("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.mid(3), plain.lines.join('\n') + '\n');

    const StatsRun noFile = RunDrillStats({QStringLiteral("-o"), folder});
    EXPECT_EQ(noFile.exitCode, 2);
    const StatsRun unwritable =
        RunDrillStats({QStringLiteral("-o"), classroom.install.root() + "none/x.csv", folder});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.errors.contains("none")) << unwritable.errors.constData();

    // A spreadsheet showing the old file: Windows cannot replace a file held
    // open, so the old one stays whole and the teacher is told to close it.
    QFile heldOpen(file);
    ASSERT_TRUE(heldOpen.open(QIODevice::ReadOnly));
    const StatsRun whileHeld = RunDrillStats(now + QStringList{QStringLiteral("-o"), file, folder});
#ifdef _WIN32
    EXPECT_EQ(whileHeld.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(whileHeld.errors).contains(QStringLiteral("閉じてから")))
        << whileHeld.errors.constData();
    EXPECT_EQ(heldOpen.readAll(), bytes);
#else
    EXPECT_EQ(whileHeld.exitCode, 0) << whileHeld.errors.constData();
#endif
}

TEST(DrillStats, RefusesBadArgumentsAndFilesWithStatus2) {
    StatsInstall classroom;
    const QString folder = classroom.install.programFolder();
    const QStringList bad[] = {
        {},
        {QStringLiteral("--now"), QStringLiteral("2026-12-32 10:00:00"), folder},
        {QStringLiteral("--now")},
        {folder, folder},
        {QStringLiteral("--later"), folder},
        {classroom.install.root() + QStringLiteral("programs/nowhere")},
    };
    for (const QStringList& args : bad) {
        const StatsRun run = RunDrillStats(args);
        EXPECT_EQ(run.exitCode, 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.lines.isEmpty());
        EXPECT_TRUE(run.errors.contains("drill-stats:")) << run.errors.constData();
    }

    QFile::remove(classroom.install.dataRoot() + QStringLiteral("新名簿.txt"));
    const StatsRun noRoster = RunDrillStats({folder});
    EXPECT_EQ(noRoster.exitCode, 2);
    EXPECT_TRUE(QString::fromUtf8(noRoster.errors).contains(QStringLiteral("新名簿.txt")));
}

TEST(DrillStats, WritesOneLinePerAttemptOfTheListedStudents) {
    StatsInstall classroom;
    ResultRecord run;
    run.date = ToOleDay(QDate(2026, 12, 8));
    run.timeOfDay = 0.75; // 18:00:00
    run.student = 3;
    run.level = 5;
    Attempt wrong{1, 4, 8, QStringLiteral("8×8×3.14"), false, MistakeClass::DiameterRadius, 73};
    Attempt late{2, 4, 6, QString(), false, MistakeClass::TimedOut, 1200};
    Attempt right{1, 1, 4, QStringLiteral("4×3.14"), true, MistakeClass::None, 25};
    ResultRecord left = run;
    left.student = 2; // no longer listed
    classroom.install.writeBytes(classroom.install.dataFolder() + kAttemptLogFileName,
                                 EncodeRunAttempts(run, {wrong, late}) +
                                     EncodeRunAttempts(left, {right}));
    const QString file = classroom.install.root() + QStringLiteral("解答.csv");
    const StatsRun written = RunDrillStats({QStringLiteral("--attempts"), QStringLiteral("-o"),
                                            file, classroom.install.programFolder()});
    ASSERT_EQ(written.exitCode, 0) << written.errors.constData();
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(
        QString::fromUtf8(bytes.mid(3)),
        QStringLiteral("student,name,grade,level,date,time,problem,kind,length,expected,"
                       "entered,correct,mistake,seconds\n"
                       "3,三郎,小6,5,2026-12-08,18:00:00,1,4,8,4×4×3.14,8×8×3.14,0,"
                       "直径と半径,7.3\n"
                       "3,三郎,小6,5,2026-12-08,18:00:00,2,4,6,3×3×3.14,,0,時間切れ,120.0\n"));

    // A log that cannot be read is named, and the table holds its header alone.
    QFile::remove(classroom.install.dataFolder() + kAttemptLogFileName);
    ASSERT_TRUE(QDir().mkpath(classroom.install.dataFolder() + kAttemptLogFileName));
    const StatsRun unread =
        RunDrillStats({QStringLiteral("--attempts"), classroom.install.programFolder()});
    EXPECT_EQ(unread.exitCode, 0);
    EXPECT_EQ(unread.lines.size(), 1);
    EXPECT_TRUE(QString::fromUtf8(unread.errors).contains(kAttemptLogFileName))
        << unread.errors.constData();
}
