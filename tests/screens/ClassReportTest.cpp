// The class report as teachers get it: drill-report's PDF read back with
// pdftotext and pdfinfo, and the report panel's "このクラス全員".

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
#include "rules/ClassSheet.h"
#include "screens/NameSelectionScreen.h"
#include "screens/ReportPanel.h"
#include "widgets/Screen.h"

#include <QCheckBox>
#include <QDir>
#include <QListView>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>

namespace {

const QDate kToday(2026, 12, 9);
const QString kNow = QStringLiteral("2026-12-09 10:00:00");

QByteArray Record(int student, int level, int32_t result) {
    ResultRecord r;
    r.date = ToOleDay(kToday);
    r.timeOfDay = 0.4;
    r.student = int16_t(student);
    r.level = int16_t(level);
    r.result = result;
    return EncodeRecord(r);
}

// Seven levels (60 s target, cleared with 10 points and one run in 7 days,
// locked after two runs in 7 days); two 小5 students, one 小6, one on leave.
// 一郎 clears level 1 in 30 s and level 2 in 50 s after two runs (locked);
// 二葉 times out on level 1 and runs level 2 in 40 s (6 points: not cleared);
// 三郎 clears level 1 in 20 s.
struct ReportInstall {
    TempInstall install;

    ReportInstall() {
        install.writeClassroom(QStringLiteral("60,120,10,1,1,2,0,7,7,0,0,0"),
                               QStringLiteral("1,2015,0,0,\"一郎\",0,\"\",\"\"\n"
                                              "3,2014,0,0,\"三郎\",0,\"\",\"\"\n"
                                              "2,2015,0,0,\"二葉\",0,\"\",\"\"\n"
                                              "4,2015,0,0,\"休会中\",1,\"\",\"\"\n"));
        install.writeBytes(install.dataFolder() + kResultsFileName,
                           Record(1, 1, 30) + Record(1, 2, 50) + Record(1, 2, 55) +
                               Record(2, 1, 99999) + Record(2, 2, 40) + Record(3, 1, 20) +
                               Record(4, 1, 10));
    }
    QString pdf() const { return install.root() + QStringLiteral("クラス.pdf"); }
};

struct CommandRun {
    int exitCode = -1;
    QString errors;
};

CommandRun Command(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    CommandRun run;
    if (!process.waitForFinished(60000)) return run;
    run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

CommandRun DrillReport(const ReportInstall& classroom, const QStringList& options) {
    return Command(
        QStringLiteral(DRILL_REPORT_PATH),
        QStringList{QStringLiteral("--now"), kNow, QStringLiteral("-o"), classroom.pdf()} +
            options + QStringList{classroom.install.programFolder()});
}

QString Output(const QString& tool, const QStringList& arguments) {
    return QString::fromUtf8(RunPdfTool(tool, arguments));
}

// One text per page, laid out as printed.
QStringList PageTexts(const QString& pdf) {
    QStringList pages =
        Output(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

// "L" or "P" per page, from the page sizes.
QString Orientations(const QString& pdf) {
    const QString info =
        Output(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                           QStringLiteral("-l"), QStringLiteral("99"), pdf});
    QString orientations;
    const QRegularExpression size(QStringLiteral("Page +\\d+ size: +([\\d.]+) x ([\\d.]+)"));
    for (auto it = size.globalMatch(info); it.hasNext();) {
        const auto match = it.next();
        orientations += match.captured(1).toDouble() > match.captured(2).toDouble()
                            ? QLatin1Char('L')
                            : QLatin1Char('P');
    }
    return orientations;
}

// The line of a page holding the text, or nothing.
QString LineWith(const QString& page, const QString& text) {
    for (const QString& line : page.split(QLatin1Char('\n')))
        if (line.contains(text)) return line;
    return QString();
}

// Whether a line of the page holds the texts in this order, blanks between them.
bool HasLine(const QString& page, const QStringList& texts) {
    QStringList quoted;
    for (const QString& text : texts)
        quoted << QRegularExpression::escape(text);
    const QRegularExpression line(QStringLiteral("^[ \\x{3000}]*") +
                                      quoted.join(QStringLiteral("[ \\x{3000}]+")) +
                                      QStringLiteral("[ \\x{3000}]*$"),
                                  QRegularExpression::MultilineOption);
    return line.match(page).hasMatch();
}

// The line's texts between runs of two or more blanks.
QStringList Cells(const QString& line) {
    return line.trimmed().split(QRegularExpression(QStringLiteral(" {2,}")), Qt::SkipEmptyParts);
}

// A word of a PDF page and its box, as pdftotext -bbox reads them.
struct PageWord {
    QString text;
    QRectF box;
};
std::vector<std::vector<PageWord>> PageWords(const QString& pdf) {
    const QString xhtml =
        Output(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<std::vector<PageWord>> pages;
    const QRegularExpression word(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                       "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(xhtml); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(0) == QStringLiteral("<page ")) {
            pages.emplace_back();
            continue;
        }
        const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
        const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
        if (!pages.empty())
            pages.back().push_back({match.captured(5), QRectF(topLeft, bottomRight)});
    }
    return pages;
}

// Two boxes that share more than a hair (half a point) both ways.
bool Overlap(const QRectF& a, const QRectF& b) {
    const double across = std::min(a.right(), b.right()) - std::max(a.left(), b.left());
    const double down = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top());
    return across > 0.5 && down > 0.5;
}

const QString kEraDate = QStringLiteral("令和8年 12月 09日（水）");

} // namespace

TEST(DrillReport, EveryPageHasAHeaderLineAndItsPlaceAmongAllPages) {
    ReportInstall classroom;
    const CommandRun run = DrillReport(classroom, {});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    // Nothing but the report's own business on standard error: no sound list, no toolkit.
    EXPECT_TRUE(run.errors.isEmpty()) << qPrintable(run.errors);
    const QStringList pages = PageTexts(classroom.pdf());
    const QStringList headers[] = {
        {QStringLiteral("さくら教室"), QStringLiteral("小5"), kEraDate},
        {QStringLiteral("さくら教室"), QStringLiteral("小5"), QStringLiteral("つまずき"), kEraDate},
        {QStringLiteral("さくら教室"), QStringLiteral("小6"), kEraDate},
        {QStringLiteral("さくら教室"), QStringLiteral("小6"), QStringLiteral("つまずき"), kEraDate},
        {QStringLiteral("さくら教室"), QStringLiteral("小5"), QStringLiteral("番号 2"),
         QStringLiteral("二葉"), kEraDate},
        {QStringLiteral("さくら教室"), QStringLiteral("小5"), QStringLiteral("番号 1"),
         QStringLiteral("一郎"), kEraDate},
        {QStringLiteral("さくら教室"), QStringLiteral("小6"), QStringLiteral("番号 3"),
         QStringLiteral("三郎"), kEraDate},
    };
    ASSERT_EQ(pages.size(), int(std::size(headers)));
    for (int i = 0; i < pages.size(); ++i) {
        QStringList lines = pages[i].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(HasLine(lines.front(), headers[i])) << i << qPrintable(lines.front());
        EXPECT_EQ(lines.back().trimmed(), QStringLiteral("%1 / %2").arg(i + 1).arg(pages.size()));
    }
}

// The longest classroom and roster names, one run, time-outs only and a run
// of 1000 s on one student's levels: on every page no text lies on another.
TEST(DrillReport, AwkwardNamesAndRunsLeaveNoTextOnAnother) {
    ReportInstall classroom;
    const QString longClassroom =
        QStringLiteral("東京都世田谷区三軒茶屋駅前第二進学教室中学受験特別選抜コース土曜");
    const QString longName = QStringLiteral("寿限無寿限無五劫の擦り切れ海砂利水魚の水");
    classroom.install.writeText(
        classroom.install.dataRoot() + QStringLiteral("共通データ.txt"),
        QStringLiteral("4\n01234%1\n0\n0\n0\nsensei\n0\n0\n0\n0\n").arg(longClassroom));
    classroom.install.writeText(classroom.install.dataRoot() + kRosterFileName,
                                QStringLiteral("1,2015,0,0,\"%1\",0,\"\",\"\"\n"
                                               "2,2015,0,0,\"二葉\",0,\"\",\"\"\n")
                                    .arg(longName));
    classroom.install.writeBytes(classroom.install.dataFolder() + kResultsFileName,
                                 Record(1, 1, 45) + Record(1, 2, 99999) + Record(1, 2, 99999) +
                                     Record(1, 3, 1000) + Record(1, 3, 610) + Record(1, 3, 600) +
                                     Record(1, 3, 10) + Record(2, 1, 30) + Record(2, 3, 99999) +
                                     Record(2, 3, 40));
    const CommandRun run = DrillReport(classroom, {});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);

    const std::vector<std::vector<PageWord>> pages = PageWords(classroom.pdf());
    ASSERT_EQ(pages.size(), 4u); // the sheet and its つまずき page, then the two students
    for (std::size_t p = 0; p < pages.size(); ++p)
        for (std::size_t i = 0; i < pages[p].size(); ++i)
            for (std::size_t j = i + 1; j < pages[p].size(); ++j)
                EXPECT_FALSE(Overlap(pages[p][i].box, pages[p][j].box))
                    << "page " << p + 1 << ": \"" << qPrintable(pages[p][i].text) << "\" on \""
                    << qPrintable(pages[p][j].text) << "\"";

    const QStringList texts = PageTexts(classroom.pdf());
    // The wide sheet has room for the whole classroom; the student's page shortens
    // it before the name and the date. The sheet shortens the name, its page shows it whole.
    EXPECT_TRUE(LineWith(texts[0], kEraDate).contains(longClassroom));
    const QString studentHeader = LineWith(texts[2], kEraDate);
    EXPECT_TRUE(studentHeader.contains(longClassroom.left(10))) << qPrintable(studentHeader);
    EXPECT_TRUE(studentHeader.contains(QStringLiteral("…") + QStringLiteral("　小5")) ||
                studentHeader.contains(QRegularExpression(QStringLiteral("… +小5"))))
        << qPrintable(studentHeader);
    EXPECT_TRUE(studentHeader.contains(longName)) << qPrintable(studentHeader);
    EXPECT_TRUE(texts[0].contains(longName.left(8)));
    EXPECT_FALSE(texts[0].contains(longName));
    // The time-outs are named, the 1000 s run is on the scale, and time-outs only give no best.
    EXPECT_TRUE(texts[2].contains(QStringLiteral("時間切れ")));
    EXPECT_TRUE(texts[2].contains(QStringLiteral("1000秒")));
    EXPECT_TRUE(texts[2].contains(QRegularExpression(QStringLiteral("最高 +× /"))))
        << qPrintable(texts[2]);
    EXPECT_FALSE(texts[2].contains(QStringLiteral("99999")));
}

// Three students of one name and birth year: the name screen tells them apart
// only by the figures it shows when it comes up (today's and all-time points),
// and the sheet and the student pages list them in that order, not in the
// order of their runs.
TEST(DrillReport, SameNamesFollowTheNameScreensOrder) {
    const struct {
        const char* name;
        QByteArray results;  // today's runs of students 1, 2 and 3
        bool runsOrderOther; // listed by runs, the order differs
    } cases[] = {
        // 1: three slow runs, few points; 2: one fast run, many; 3: two middling.
        {"runs against points",
         Record(1, 1, 110) + Record(1, 1, 110) + Record(1, 1, 110) + Record(2, 1, 20) +
             Record(3, 1, 50) + Record(3, 1, 50),
         true},
        // 2 ran nothing today: the full-width blank of its empty points sorts
        // above every figure, so the name screen lists it first, and last by runs.
        {"one without a run today", Record(3, 1, 20) + Record(3, 1, 20) + Record(1, 1, 40), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportInstall classroom;
        classroom.install.writeText(classroom.install.dataRoot() + kRosterFileName,
                                    QStringLiteral("1,2015,0,0,\"山田　花子\",0,\"\",\"\"\n"
                                                   "2,2015,0,0,\"山田　花子\",0,\"\",\"\"\n"
                                                   "3,2015,0,0,\"山田　花子\",0,\"\",\"\"\n"));
        classroom.install.writeBytes(classroom.install.dataFolder() + kResultsFileName, c.results);

        // The name screen as a student sees it.
        TestRig rig;
        rig.clock.current = QDateTime(kToday, QTime(10, 0));
        ProgramState& state = rig.state;
        LoadConfiguration(state, classroom.install.programFolder());
        BuildLevelTable(state);
        ScreenHost host;
        host.open<NameSelectionScreen>(state);
        const auto* list = host.findChild<QListView*>(QStringLiteral("List1"));
        ASSERT_NE(list, nullptr);
        const auto* model = qobject_cast<const NameListModel*>(list->model());
        ASSERT_NE(model, nullptr);
        std::vector<int> shown;
        for (const QString& entry : model->rows().keyed)
            shown.push_back(IdOfKeyedEntry(entry));
        ASSERT_EQ(shown.size(), 3u);

        std::vector<int> sheetOrder;
        for (const SheetStudent& student : NameListStudents(state, kAllGrades))
            sheetOrder.push_back(student.id);
        EXPECT_EQ(sheetOrder, shown);
        std::vector<int> byRuns;
        for (const QString& entry :
             BuildNameList(state, int(DisplayOption::TodayAndTotalRuns), kAllGrades).keyed)
            byRuns.push_back(IdOfKeyedEntry(entry));
        EXPECT_EQ(byRuns != shown, c.runsOrderOther);

        // The printed sheet's rows and the student pages, read back by number.
        ASSERT_EQ(DrillReport(classroom, {}).exitCode, 0);
        const QStringList pages = PageTexts(classroom.pdf());
        ASSERT_EQ(pages.size(), 5);
        std::vector<int> rows;
        for (const QString& line : pages[0].split(QLatin1Char('\n')))
            if (line.contains(QStringLiteral("山田")))
                rows.push_back(
                    line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toInt());
        EXPECT_EQ(rows, shown);
        for (std::size_t i = 0; i < shown.size(); ++i)
            EXPECT_TRUE(LineWith(pages[int(i) + 2], QStringLiteral("番号"))
                            .contains(QStringLiteral("番号 %1").arg(shown[i])))
                << i;
    }
}

// 一郎 mixes up the radius and the diameter on the areas (and did so before
// the 30 days too); 二葉 answered one circumference right; 三郎 kept none.
TEST(DrillReport, TheTsumazukiPagesAndBlocksShowEachKindsShareWrongAndLeadingMistake) {
    ReportInstall classroom;
    const auto run = [](int student, int level, int daysAgo) {
        ResultRecord r;
        r.date = ToOleDay(kToday.addDays(-daysAgo));
        r.timeOfDay = 0.4;
        r.student = int16_t(student);
        r.level = int16_t(level);
        return r;
    };
    const Attempt mixedUp{1, 4, 8, QStringLiteral("8×8×3.14"), false, MistakeClass::DiameterRadius,
                          60};
    const Attempt rightArea{2, 4, 6, QStringLiteral("3×3×3.14"), true, MistakeClass::None, 40};
    const Attempt rightCircumference{1, 1, 4, QStringLiteral("4×3.14"), true, MistakeClass::None,
                                     30};
    const QString log = classroom.install.dataFolder() + kAttemptLogFileName;
    classroom.install.writeBytes(
        log, EncodeRunAttempts(run(1, 5, 40), {mixedUp, mixedUp, mixedUp}) +
                 EncodeRunAttempts(run(1, 5, 3), {mixedUp, mixedUp, mixedUp, rightArea}) +
                 EncodeRunAttempts(run(2, 1, 29), {rightCircumference}));
    CommandRun report = DrillReport(classroom, {});
    ASSERT_EQ(report.exitCode, 0) << qPrintable(report.errors);
    QStringList pages = PageTexts(classroom.pdf());
    ASSERT_EQ(pages.size(), 7);
    const QString& fifth = pages[1];
    EXPECT_TRUE(HasLine(fifth, {QStringLiteral("1"), QStringLiteral("一郎"), QStringLiteral("－"),
                                QStringLiteral("－"), QStringLiteral("－"), QStringLiteral("75%"),
                                QStringLiteral("直")}))
        << qPrintable(fifth);
    EXPECT_TRUE(HasLine(fifth, {QStringLiteral("2"), QStringLiteral("二葉"), QStringLiteral("0%"),
                                QStringLiteral("－"), QStringLiteral("－"), QStringLiteral("－")}));
    EXPECT_TRUE(
        HasLine(fifth, {QStringLiteral("クラス全体"), QStringLiteral("0%"), QStringLiteral("－"),
                        QStringLiteral("－"), QStringLiteral("75%"), QStringLiteral("直")}));
    EXPECT_TRUE(fifth.contains(QStringLiteral("直＝直径と半径")));
    EXPECT_TRUE(fifth.contains(QStringLiteral("50% 以上")));
    EXPECT_TRUE(
        HasLine(pages[3], {QStringLiteral("3"), QStringLiteral("三郎"), QStringLiteral("－"),
                           QStringLiteral("－"), QStringLiteral("－"), QStringLiteral("－")}));
    // The student pages: 二葉, 一郎, 三郎.
    EXPECT_TRUE(pages[5].contains(QStringLiteral("つまずき（この 30 日）")));
    EXPECT_TRUE(HasLine(pages[5], {QStringLiteral("面積（直径）"), QStringLiteral("4問"),
                                   QStringLiteral("75%"), QStringLiteral("直径と半径"),
                                   QStringLiteral("3回"), QStringLiteral("4.0秒")}))
        << qPrintable(pages[5]);
    EXPECT_TRUE(pages[6].contains(QStringLiteral("この 30 日の解答の記録はありません。")));

    // A log that cannot be read stops nothing: the pages and standard error say so.
    QFile::remove(log);
    ASSERT_TRUE(QDir().mkpath(log));
    report = DrillReport(classroom, {});
    ASSERT_EQ(report.exitCode, 0) << qPrintable(report.errors);
    EXPECT_TRUE(report.errors.contains(kAttemptLogFileName)) << qPrintable(report.errors);
    pages = PageTexts(classroom.pdf());
    ASSERT_EQ(pages.size(), 7);
    EXPECT_TRUE(pages[1].contains(QStringLiteral("解答記録"))) << qPrintable(pages[1]);
    EXPECT_TRUE(pages[4].contains(QStringLiteral("解答記録")));
}

// drill-stats marks a level over-practised where the board locks it, and only there.
TEST(DrillStats, TheOverPractiseFlagIsTheBoardsLock) {
    ReportInstall classroom;
    QByteArray results;
    // The program opens every level, so a level run too often is locked whether
    // passed or not, except the last one, and nothing once the final level is
    // passed. 一郎: level 1 twice; 二葉: level 1 twice and every level passed;
    // 三郎: levels 1, 2 and the last twice, only level 1 passed.
    for (int i = 0; i < 2; ++i)
        results += Record(1, 1, 30) + Record(2, 1, 30) + Record(3, 1, 30) + Record(3, 2, 115) +
                   Record(3, 7, 115);
    for (int level = 2; level <= 7; ++level)
        results += Record(2, level, 30);
    classroom.install.writeBytes(classroom.install.dataFolder() + kResultsFileName, results);

    QProcess process;
    process.start(QStringLiteral(DRILL_STATS_PATH),
                  {QStringLiteral("--now"), kNow, classroom.install.programFolder()});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardError().isEmpty());
    std::map<std::pair<int, int>, QString> flags; // (student, level): cleared and overpractised
    for (const QByteArray& line : process.readAllStandardOutput().split('\n').mid(1)) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() < 16) continue;
        flags[{f[0].toInt(), f[3].toInt()}] = QString::fromLatin1(f[14] + f[15]);
    }
    const struct {
        int student;
        int level;
        const char* clearedAndLocked;
    } cases[] = {
        {1, 1, "11"}, {1, 2, "00"}, {2, 1, "10"}, {2, 7, "10"},
        {3, 1, "11"}, {3, 2, "01"}, {3, 7, "00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(flags[std::make_pair(c.student, c.level)],
                  QString::fromLatin1(c.clearedAndLocked))
            << c.student << " level " << c.level;
}

TEST(DrillReport, SheetCellsAndTheSummaryRowFollowTheCounts) {
    ReportInstall classroom;
    const CommandRun run = DrillReport(classroom, {QStringLiteral("--sheet-only")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    const QStringList pages = PageTexts(classroom.pdf());
    ASSERT_EQ(pages.size(), 4); // 小5 and its つまずき page, then 小6 and its own
    EXPECT_EQ(Orientations(classroom.pdf()), QStringLiteral("LLLL"));
    const QString& fifth = pages[0];
    EXPECT_TRUE(HasLine(fifth, {QStringLiteral("さくら教室"), QStringLiteral("小5"),
                                QStringLiteral("令和8年 12月 09日（水）")}))
        << qPrintable(fifth);
    EXPECT_EQ(Cells(LineWith(fifth, QStringLiteral("番号"))).mid(0, 4),
              (QStringList{QStringLiteral("番号"), QStringLiteral("名前"), QStringLiteral("円周１"),
                           QStringLiteral("円周２")}));
    // The name list's order: one birth year in descending text order; never-run cells are empty.
    EXPECT_LT(fifth.indexOf(QStringLiteral("二葉")), fifth.indexOf(QStringLiteral("一郎")));
    EXPECT_TRUE(HasLine(fifth, {QStringLiteral("2"), QStringLiteral("二葉"), QStringLiteral("×"),
                                QStringLiteral("40")}));
    EXPECT_TRUE(HasLine(fifth, {QStringLiteral("1"), QStringLiteral("一郎"), QStringLiteral("○ 30"),
                                QStringLiteral("○ 50")}));
    EXPECT_FALSE(fifth.contains(QStringLiteral("三郎")));
    EXPECT_FALSE(fifth.contains(QStringLiteral("休会中")));
    // Cleared: one each on levels 1 and 2; the time-out has no time for the median.
    const QStringList cleared = Cells(LineWith(fifth, QStringLiteral("合格 1人")));
    EXPECT_EQ(cleared.count(QStringLiteral("合格 1人")), 2) << qPrintable(cleared.join('|'));
    EXPECT_EQ(cleared.count(QStringLiteral("合格 0人")), 5);
    const QString medians = LineWith(fifth, QStringLiteral("中央値 30秒"));
    EXPECT_TRUE(
        medians.contains(QRegularExpression(QStringLiteral("中央値 30秒 +中央値 45秒 +中央値 －"))))
        << qPrintable(medians);

    EXPECT_TRUE(HasLine(pages[2], {QStringLiteral("さくら教室"), QStringLiteral("小6"),
                                   QStringLiteral("令和8年 12月 09日（水）")}));
    EXPECT_TRUE(
        HasLine(pages[2], {QStringLiteral("3"), QStringLiteral("三郎"), QStringLiteral("○ 20")}));
}

TEST(DrillReport, StudentPagesFollowTheSheetInTheNameListsOrder) {
    ReportInstall classroom;
    const CommandRun run = DrillReport(classroom, {});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
    const QStringList pages = PageTexts(classroom.pdf());
    ASSERT_EQ(pages.size(), 7);
    EXPECT_EQ(Orientations(classroom.pdf()), QStringLiteral("LLLLPPP"));
    const QString names[] = {QStringLiteral("二葉"), QStringLiteral("一郎"),
                             QStringLiteral("三郎")};
    for (int i = 0; i < 3; ++i) {
        const QString& page = pages[4 + i];
        // The header line names the student, the big name comes under it.
        EXPECT_TRUE(LineWith(page, QStringLiteral("番号")).contains(names[i])) << qPrintable(page);
        // The first three levels, as the board's graph button shows them.
        EXPECT_EQ(page.count(QStringLiteral("回数")), 3);
        EXPECT_TRUE(page.contains(QStringLiteral("円の公式ドリル 円周３")));
        EXPECT_FALSE(page.contains(QStringLiteral("面積１")));
    }
    // 一郎's level 2: two runs, best 50 s against the classroom's 40 s.
    EXPECT_TRUE(pages[5].contains(QRegularExpression(QStringLiteral("最高 +50秒 / +40秒"))));
}

TEST(DrillReport, GradeAndStudentChoicesNarrowSheetAndPages) {
    ReportInstall classroom;
    const struct {
        QStringList options;
        QString orientations;
        QStringList shown;
        QStringList left;
    } cases[] = {
        {{QStringLiteral("--grade"), QStringLiteral("小６")},
         QStringLiteral("LLP"),
         {QStringLiteral("三郎")},
         {QStringLiteral("一郎"), QStringLiteral("二葉")}},
        {{QStringLiteral("--grade"), QStringLiteral("小学生全体"), QStringLiteral("--sheet-only")},
         QStringLiteral("LLLL"),
         {QStringLiteral("三郎"), QStringLiteral("一郎")},
         {}},
        {{QStringLiteral("--grade"), QStringLiteral("中学生全体")}, QString(), {}, {}},
        // The sheet's own label, half-width digit and all.
        {{QStringLiteral("--grade"), QStringLiteral("小5"), QStringLiteral("--sheet-only")},
         QStringLiteral("LL"),
         {QStringLiteral("一郎"), QStringLiteral("二葉")},
         {QStringLiteral("三郎")}},
        {{QStringLiteral("--student"), QStringLiteral("3"), QStringLiteral("1")},
         QStringLiteral("LLLLPP"),
         {QStringLiteral("三郎"), QStringLiteral("一郎")},
         {QStringLiteral("二葉")}},
    };
    for (const auto& c : cases) {
        QFile::remove(classroom.pdf());
        const CommandRun run = DrillReport(classroom, c.options);
        if (c.orientations.isEmpty()) {
            // Nobody under the choice: refused, no file.
            EXPECT_EQ(run.exitCode, 2) << qPrintable(c.options.join(' '));
            EXPECT_TRUE(run.errors.contains(QStringLiteral("no student")))
                << qPrintable(run.errors);
            EXPECT_FALSE(QFile::exists(classroom.pdf()));
            continue;
        }
        ASSERT_EQ(run.exitCode, 0) << qPrintable(run.errors);
        EXPECT_EQ(Orientations(classroom.pdf()), c.orientations) << qPrintable(c.options.join(' '));
        const QString text = PageTexts(classroom.pdf()).join(QLatin1Char('\f'));
        for (const QString& name : c.shown)
            EXPECT_TRUE(text.contains(name)) << qPrintable(name);
        for (const QString& name : c.left)
            EXPECT_FALSE(text.contains(name)) << qPrintable(name);
    }
}

TEST(DrillReport, RefusesBadArguments) {
    ReportInstall classroom;
    const QString folder = classroom.install.programFolder();
    const QString out = classroom.pdf();
    const QStringList bad[] = {
        {folder}, // no -o
        {QStringLiteral("-o"), out, QStringLiteral("--grade"), QStringLiteral("小7"), folder},
        {QStringLiteral("-o"), out, QStringLiteral("--grade"), QStringLiteral("小５"),
         QStringLiteral("--student"), QStringLiteral("1"), folder},
        {QStringLiteral("-o"), out, QStringLiteral("--student"), folder},
        {QStringLiteral("-o"), out, QStringLiteral("--student"), QStringLiteral("4"),
         folder}, // on leave
        {QStringLiteral("-o"), out, QStringLiteral("--now"), QStringLiteral("2026-13-01 10:00:00"),
         folder},
        {QStringLiteral("-o"), out, classroom.install.root() + QStringLiteral("nowhere")},
    };
    for (const QStringList& args : bad) {
        const CommandRun run = Command(QStringLiteral(DRILL_REPORT_PATH), args);
        EXPECT_EQ(run.exitCode, 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.errors.contains(QStringLiteral("drill-report: ")))
            << qPrintable(run.errors);
        EXPECT_FALSE(QFile::exists(out)) << qPrintable(args.join(' '));
    }
    const CommandRun unwritable = Command(
        QStringLiteral(DRILL_REPORT_PATH),
        {QStringLiteral("-o"), classroom.install.root() + QStringLiteral("none/x.pdf"), folder});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.errors.contains(QStringLiteral("cannot write")))
        << qPrintable(unwritable.errors);
}

TEST(ReportPanel, TeachersPrintTheWholeClassSheetThenEveryStudentsPage) {
    ReportInstall classroom;
    TestRig rig;
    rig.clock.current = QDateTime(kToday, QTime(10, 0));
    ProgramState& state = rig.state;
    LoadConfiguration(state, classroom.install.programFolder());
    BuildLevelTable(state);
    ComputeSchoolYear(state);
    CountResults(state);
    BuildNameList(state, 1, kAllGrades);
    state.session.StudentNo = 1;
    state.session.StudentName = QStringLiteral("一郎");

    QWidget board;
    ReportSettings settings;
    ReportPanel panel(
        state, [&settings] { return settings; }, &board);
    panel.showForStudent(1);
    auto* wholeClass = panel.findChild<QCheckBox*>(QStringLiteral("WholeClass"));
    ASSERT_NE(wholeClass, nullptr);
    EXPECT_EQ(wholeClass->text(), QStringLiteral("このクラス全員"));
    EXPECT_TRUE(wholeClass->isHidden()); // not a teacher

    state.session.StudentName = QStringLiteral("田中先生");
    panel.showForStudent(1);
    EXPECT_FALSE(wholeClass->isHidden());
    EXPECT_FALSE(panel.findChild<QPushButton*>(QStringLiteral("Command24_1"))->isHidden());
    // The chosen levels of the panel: levels 1 and 4 give two pages per student.
    panel.findChild<QListWidget*>(QStringLiteral("List3"))->item(3)->setSelected(true);

    auto print = [&] {
        QFile::remove(classroom.pdf());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(classroom.pdf());
        printer.setPageSize(QPageSize(QPageSize::A4));
        return panel.printClassReport(printer);
    };
    ASSERT_TRUE(print());
    EXPECT_EQ(Orientations(classroom.pdf()), QStringLiteral("LLLLPPPPPP"));
    const QStringList pages = PageTexts(classroom.pdf());
    ASSERT_EQ(pages.size(), 10);
    EXPECT_TRUE(LineWith(pages[4], QStringLiteral("番号")).contains(QStringLiteral("二葉")));
    EXPECT_TRUE(pages[5].contains(QStringLiteral("面積１")));

    // The board's grade filter is the class.
    settings.gradeFilter = QStringLiteral("小６");
    ASSERT_TRUE(print());
    EXPECT_EQ(Orientations(classroom.pdf()), QStringLiteral("LLPP"));
    settings.gradeFilter = QStringLiteral("中１");
    EXPECT_FALSE(print());
}
