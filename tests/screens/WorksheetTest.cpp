// Worksheets as teachers get them: drill-worksheet's PDF read back with
// pdftotext, and the teacher screen's "印刷".

#include "PdfTools.h"
#include "TestDoubles.h"

#include "app/Configuration.h"
#include "core/Dates.h"
#include "core/LevelCatalogue.h"
#include "records/AttemptLog.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"
#include "roster/NameList.h"
#include "roster/Roster.h"
#include "screens/WorksheetScreen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QString kNow = QStringLiteral("2026-12-09 10:00:00");

// Two 小5 students and one 小6, with no runs.
struct WorksheetInstall {
    TempInstall install;

    WorksheetInstall() {
        install.writeClassroom(QStringLiteral("60,120,10,1,1,2,0,7,7,0,0,0"),
                               QStringLiteral("1,2015,0,0,\"一郎\",0,\"\",\"\"\n"
                                              "3,2014,0,0,\"三郎\",0,\"\",\"\"\n"
                                              "2,2015,0,0,\"二葉\",0,\"\",\"\"\n"));
        install.writeBytes(install.dataFolder() + kResultsFileName, QByteArray());
    }
    QString pdf() const { return install.root() + QStringLiteral("プリント.pdf"); }
    // Student 1 has answered the area from the radius wrong today, with the
    // diameter for the radius, `times` times; `tail` bytes of a torn record follow.
    void writeAttempts(int times, int tail = 0) const {
        AttemptRecord r;
        r.date = ToOleDay(QDate(2026, 12, 9));
        r.student = 1;
        r.level = 4;
        r.attempt.kind = int(ProblemKind::AreaFromRadius);
        r.attempt.length = 4;
        r.attempt.mistake = MistakeClass::DiameterRadius;
        QByteArray log;
        for (int i = 0; i < times; ++i)
            log += EncodeAttemptRecord(r);
        install.writeBytes(install.dataFolder() + kAttemptLogFileName, log + QByteArray(tail, 'x'));
    }
};

struct CommandRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

CommandRun DrillWorksheet(const WorksheetInstall& classroom, const QStringList& options) {
    QProcess process;
    process.start(
        QStringLiteral(DRILL_WORKSHEET_PATH),
        QStringList{QStringLiteral("--now"), kNow, QStringLiteral("-o"), classroom.pdf()} +
            options + QStringList{classroom.install.programFolder()});
    CommandRun run;
    if (!process.waitForFinished(60000)) return run;
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList PageTexts(const QString& pdf) {
    QStringList pages =
        QString::fromUtf8(RunPdfTool(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-layout"), pdf, QStringLiteral("-")}))
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// The key's answers of a page, in order.
QStringList KeyAnswers(const QString& page) {
    QStringList answers;
    const QRegularExpression line(
        QStringLiteral("^[\\s\\x{3000}]*\\(\\d+\\)[\\s\\x{3000}]+(\\S+)\\s*$"),
        QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(page); it.hasNext();)
        answers << it.next().captured(1);
    return answers;
}

} // namespace

TEST(DrillWorksheet, TheSameSeedGivesTheSameSheetsAndAnotherSeedOtherProblems) {
    WorksheetInstall classroom;
    const QStringList options = {QStringLiteral("--level"),   QStringLiteral("7"),
                                 QStringLiteral("--student"), QStringLiteral("1"),
                                 QStringLiteral("2"),         QStringLiteral("--seed")};
    const auto sheets = [&](const QString& seed) {
        const CommandRun run = DrillWorksheet(classroom, options + QStringList{seed});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_EQ(run.output, QStringLiteral("No. %1\n").arg(seed));
        return PageTexts(classroom.pdf());
    };
    const QStringList first = sheets(QStringLiteral("48213"));
    // Per student two pages of problems and the key.
    ASSERT_EQ(first.size(), 6);
    // In the name list's order, each with their own sheet.
    const int futaba = first[0].contains(QStringLiteral("二葉")) ? 0 : 3;
    EXPECT_TRUE(first[3 - futaba].contains(QStringLiteral("一郎")));
    EXPECT_TRUE(first[futaba + 2].contains(QStringLiteral("二葉")));
    const QStringList key1 = KeyAnswers(first[2]);
    ASSERT_EQ(key1.size(), 12);
    EXPECT_NE(key1, KeyAnswers(first[5])) << "two students, one sheet";
    for (const QString& page : first)
        EXPECT_TRUE(page.contains(QStringLiteral("No. 48213 / レベル 7 / 12 問")));

    EXPECT_EQ(sheets(QStringLiteral("48213")), first);
    const QStringList other = sheets(QStringLiteral("48214"));
    ASSERT_EQ(other.size(), 6);
    EXPECT_NE(KeyAnswers(other[2]), key1);

    // One student's sheet comes back without the rest of the class.
    const CommandRun alone = DrillWorksheet(
        classroom, {QStringLiteral("--level"), QStringLiteral("7"), QStringLiteral("--seed"),
                    QStringLiteral("48213"), QStringLiteral("--student"), QStringLiteral("2")});
    ASSERT_EQ(alone.exitCode, 0);
    EXPECT_EQ(KeyAnswers(PageTexts(classroom.pdf())[2]), KeyAnswers(first[futaba + 2]));
}

TEST(DrillWorksheet, LevelsAndKindsGiveTheirFormulasAndTheKeyCanBeLeftOut) {
    WorksheetInstall classroom;
    const struct {
        QStringList options;
        int pages;
        QRegularExpression answer;
    } cases[] = {
        // Level 1 and level 5 mixed: diameters, of a circumference or an area.
        {{QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--level"),
          QStringLiteral("5")},
         3,
         QRegularExpression(QStringLiteral("^(\\d+×3\\.14|(\\d)×\\2×3\\.14)$"))},
        {{QStringLiteral("--kinds"), QStringLiteral("3"), QStringLiteral("--count"),
          QStringLiteral("4"), QStringLiteral("--per-page"), QStringLiteral("4")},
         2,
         QRegularExpression(QStringLiteral("^(\\d+)×\\1×3\\.14$"))},
        {{QStringLiteral("--kinds"), QStringLiteral("2"), QStringLiteral("--no-key")},
         2,
         QRegularExpression()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        ASSERT_EQ(DrillWorksheet(classroom, c.options).exitCode, 0);
        const QStringList pages = PageTexts(classroom.pdf());
        ASSERT_EQ(pages.size(), c.pages);
        const QStringList answers = KeyAnswers(pages.back());
        if (c.answer.pattern().isEmpty()) {
            EXPECT_TRUE(answers.isEmpty());
            EXPECT_TRUE(pages[0].contains(QStringLiteral("名前")));
            continue;
        }
        EXPECT_FALSE(answers.isEmpty());
        for (const QString& answer : answers)
            EXPECT_TRUE(c.answer.match(answer).hasMatch()) << answer.toStdString();
    }
}

TEST(DrillWorksheet, RefusesBadArguments) {
    WorksheetInstall classroom;
    const struct {
        QStringList options;
        const char* says;
    } cases[] = {
        {{}, "give the problems by --level N"},
        {{QStringLiteral("--level"), QStringLiteral("8")}, "--level \"8\""},
        {{QStringLiteral("--kinds"), QStringLiteral("1,5")}, "--kinds \"5\""},
        {{QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--kinds"),
          QStringLiteral("1")},
         "give the problems by --level N"},
        {{QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--count"),
          QStringLiteral("0")},
         "--count \"0\""},
        {{QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--per-page"),
          QStringLiteral("11")},
         "--per-page \"11\""},
        {{QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--seed"),
          QStringLiteral("x")},
         "--seed \"x\""},
        {{QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--weak")},
         "--weak draws from each student's wrong answers: give the students"},
        {{QStringLiteral("--weak"), QStringLiteral("--student"), QStringLiteral("1"),
          QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--kinds"),
          QStringLiteral("1")},
         "give the problems by --level N"},
        {{QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--student"),
          QStringLiteral("9")},
         "student 9 is not on the name list"},
        {{QStringLiteral("--level"), QStringLiteral("1"), QStringLiteral("--grade"),
          QStringLiteral("小7")},
         "--grade \"小7\" is not a grade"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        const CommandRun run = DrillWorksheet(classroom, c.options);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(
            run.errors.contains(QStringLiteral("drill-worksheet: ") + QString::fromUtf8(c.says)))
            << run.errors.toStdString();
        EXPECT_FALSE(QFile::exists(classroom.pdf()));
    }
}

TEST(DrillWorksheet, WeakSheetsDrawFromTheLogAndComeBackUnderTheirSeed) {
    WorksheetInstall classroom;
    classroom.writeAttempts(5);
    const QStringList options = {QStringLiteral("--weak"), QStringLiteral("--student"),
                                 QStringLiteral("1"), QStringLiteral("--seed"),
                                 QStringLiteral("48213")};
    const CommandRun run = DrillWorksheet(classroom, options);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.isEmpty());
    const QStringList pages = PageTexts(classroom.pdf());
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(pages[2].contains(QStringLiteral("直径と半径（5 回）"))) << pages[2].toStdString();
    // Only the area from the radius was answered: every problem is of it.
    const QStringList answers = KeyAnswers(pages[2]);
    ASSERT_EQ(answers.size(), 12);
    for (const QString& answer : answers)
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^(\\d+)×\\1×3\\.14$")).match(answer).hasMatch());
    for (const QString& page : pages)
        EXPECT_TRUE(page.contains(QStringLiteral("No. 48213 / 弱点 / 12 問")));
    EXPECT_EQ(DrillWorksheet(classroom, options).exitCode, 0);
    EXPECT_EQ(PageTexts(classroom.pdf()), pages);

    // A torn record at the end is named on one line; the sheets still print.
    classroom.writeAttempts(5, 10);
    const CommandRun torn = DrillWorksheet(classroom, options);
    ASSERT_EQ(torn.exitCode, 0);
    EXPECT_EQ(torn.errors.count(QLatin1Char('\n')), 1) << torn.errors.toStdString();
    EXPECT_TRUE(torn.errors.startsWith(QStringLiteral("drill-worksheet: 解答記録")));
    EXPECT_EQ(PageTexts(classroom.pdf()), pages);
}

TEST(WorksheetScreen, PrintsForTheBoardsStudentOrTheGradeFiltersStudents) {
    WorksheetInstall classroom;
    TestRig rig;
    rig.clock.current = QDateTime(QDate(2026, 12, 9), QTime(10, 0));
    ProgramState& state = rig.state;
    LoadConfiguration(state, classroom.install.programFolder());
    BuildLevelTable(state);
    ComputeSchoolYear(state);
    CountResults(state);
    BuildNameList(state, 1, kAllGrades);
    state.session.StudentNo = 3;
    state.session.GradeFilter = QStringLiteral("小５");
    // The scripted source would draw one length for ever; the sheets need the drill's variety.
    SteppingRandom random;
    state.platform.random = &random;

    QWidget board;
    WorksheetScreen screen(state, &board);
    screen.activate();
    auto* level = screen.findChild<QComboBox*>(QStringLiteral("Combo1"));
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->count(), 7);
    level->setCurrentIndex(3); // 面積１: the area from the radius

    const auto print = [&] {
        QFile::remove(classroom.pdf());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(classroom.pdf());
        printer.setPageSize(QPageSize(QPageSize::A4));
        EXPECT_TRUE(screen.printTo(printer));
        return PageTexts(classroom.pdf());
    };
    const QStringList own = print();
    ASSERT_EQ(own.size(), 3);
    EXPECT_TRUE(own[0].contains(QStringLiteral("三郎")));
    for (const QString& answer : KeyAnswers(own[2]))
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^(\\d+)×\\1×3\\.14$")).match(answer).hasMatch());

    screen.findChild<QRadioButton*>(QStringLiteral("Option1_1"))->setChecked(true);
    const QStringList grade = print();
    ASSERT_EQ(grade.size(), 6);
    EXPECT_FALSE(grade.join(QString()).contains(QStringLiteral("三郎")));

    // From weak spots: 一郎's key names his mistake.
    classroom.writeAttempts(2);
    screen.findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(true);
    EXPECT_TRUE(print().join(QString()).contains(QStringLiteral("直径と半径（2 回）")));
}
