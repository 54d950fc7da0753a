// A classroom moving from an existing installation copies its folder tree as
// a Windows machine left it: パスデータ.txt with a backslash path, code page 932
// text with CR LF, a results file already holding runs, a criteria file with
// its heading, and wave files named .WAV. The program and drill-stats run on
// that tree as it is, append to the results file after the runs it holds and
// leave every other file byte for byte as it was.

#include "DrillKeypad.h"
#include "ListRows.h"
#include "TestDoubles.h"

#include "app/AppNavigator.h"
#include "app/Configuration.h"
#include "audio/Sounds.h"
#include "core/Text.h"
#include "records/ResultsFile.h"
#include "screens/DrillScreen.h"
#include "screens/LevelBoard.h"
#include "screens/NameSelectionScreen.h"
#include "screens/ResultsScreen.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

#include <map>

namespace {

const QDate kToday(2026, 12, 9); // the test clock's day

// One record as the existing installation wrote it: two doubles, two 16-bit
// and one 32-bit integer, little-endian, then the classroom code, the extra
// points and the points text, five code page 932 bytes each, and five spare bytes.
QByteArray WindowsRecord(const QDate& day, double timeOfDay, qint16 student, qint16 level,
                         qint32 result) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setByteOrder(QDataStream::LittleEndian);
    out.setFloatingPointPrecision(QDataStream::DoublePrecision);
    out << double(QDate(1899, 12, 30).daysTo(day)) << timeOfDay << student << level << result;
    out.writeRawData("01234", 5);
    out.writeRawData("     ", 5);
    out.writeRawData("0    ", 5);
    out.writeRawData("\0\0\0\0\0", 5);
    return bytes;
}

// A short silent wave file; the tests only check which file is asked for.
QByteArray SilentWave() {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 samples = 800;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        out << qint16(0);
    return bytes;
}

// The tree: <root>/circle is the program folder, <root>/パスデータ.txt names
// the common folder ".\共通\", which holds the settings, the roster, the
// sound folder and the program's data folder circle\.
struct WindowsClassroom {
    QTemporaryDir dir;
    QString root = dir.path() + QLatin1Char('/');
    QString common = root + QStringLiteral("共通/");
    QString data = common + QStringLiteral("circle/");
    QString sounds = common + QStringLiteral("音フォルダ/");
    QByteArray pastRuns = WindowsRecord(kToday.addDays(-2), 0.4, 1, 1, 42) +
                          WindowsRecord(kToday.addDays(-1), 0.6, 2, 1, 35) +
                          WindowsRecord(kToday, 0.375, 1, 2, 50);

    WindowsClassroom() {
        QDir().mkpath(programFolder());
        text(root + QStringLiteral("パスデータ.txt"),
             {".\\共通\\", "0", "0", "0", "0", "0", "0", "0", "0", "0"});
        text(common + QStringLiteral("共通データ.txt"),
             {"4", "01234ひまわり教室", "0", "0", "0", "himawari", "0", "0", "0", "0"});
        text(common + QStringLiteral("新名簿.txt"),
             {"1,2015,0,0,\"山田　花子\",0,\"\",\"\"", "2,2014,0,0,\"佐藤　一郎\",0,\"\",\"\"",
              "3,1980,0,0,\"鈴木先生\",0,\"\",\"\""});
        QStringList criteria = {
            "目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,予備,予備,予備"};
        for (int level = 1; level <= 7; ++level)
            criteria << QStringLiteral("%1,%2,50,5,1,15,150,30,1,0,0,0")
                            .arg(25 + 5 * level)
                            .arg(50 + 10 * level);
        text(data + QStringLiteral("タイム回数データ.txt"), criteria);
        bytes(data + kResultsFileName, pastRuns);
        QStringList list;
        for (const char* kind :
             {"正解音1", "正解音2", "間違い音1", "間違い音2", "最高音1", "最高音2", "自己最高音1",
              "自己最高音2", "自己最高音3", "不合格音1"}) {
            const QString name = QString::fromUtf8(kind);
            list << name + QStringLiteral(",") + name + QStringLiteral("_1,*");
            bytes(sounds + name + QStringLiteral("_1.WAV"), SilentWave());
        }
        text(sounds + kSoundListFileName, list);
        bytes(sounds + QStringLiteral("最高1.WAV"), SilentWave());
        bytes(sounds + QStringLiteral("合格.WAV"), SilentWave());
    }

    QString programFolder() const { return root + QStringLiteral("circle"); }
    QString results() const { return data + kResultsFileName; }

    // Every file but the results file, with its bytes.
    std::map<QString, QByteArray> unchangingFiles() const {
        std::map<QString, QByteArray> files;
        for (const QString& path :
             {root + QStringLiteral("パスデータ.txt"), common + QStringLiteral("共通データ.txt"),
              common + QStringLiteral("新名簿.txt"), data + QStringLiteral("タイム回数データ.txt"),
              sounds + kSoundListFileName})
            files[path] = read(path);
        return files;
    }

    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    static void text(const QString& path, const QStringList& lines) {
        bytes(path, EncodeCp932(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }
    static void bytes(const QString& path, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            throw std::runtime_error("cannot write " + path.toStdString());
    }
};

class Takeover : public ::testing::Test {
  protected:
    WindowsClassroom classroom;
    TestRig rig;
    SteppingRandom random;
    ScreenHost host;
    AppNavigator navigator{host, rig.state};

    void SetUp() override {
        ASSERT_EQ(rig.clock.current.date(), kToday);
        rig.state.platform.random = &random;
        rig.state.platform.navigator = &navigator;
        host.show();
        PrepareStartUp(rig.state);
        LoadConfiguration(rig.state, classroom.programFolder());
    }

    template <typename W = QWidget> static W* Child(const QWidget* screen, const QString& name) {
        W* found = screen ? screen->findChild<W*>(name) : nullptr;
        if (!found) throw std::runtime_error("no control " + name.toStdString());
        return found;
    }
    static void Click(const QWidget* screen, const QString& name) {
        QTest::mouseClick(Child(screen, name), Qt::LeftButton);
    }

    // drill-stats' rows on the tree, as a teacher runs it.
    QStringList drillStats() {
        QProcess process;
        process.start(QStringLiteral(DRILL_STATS_PATH),
                      {QStringLiteral("--now"),
                       rig.clock.current.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       QStringLiteral("--program-folder"), classroom.programFolder()});
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            throw std::runtime_error("drill-stats failed: " +
                                     process.readAllStandardError().toStdString());
        return QString::fromUtf8(process.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

TEST_F(Takeover, TheProgramReadsTheCopiedTreeAndAppendsAfterItsRuns) {
    const std::map<QString, QByteArray> before = classroom.unchangingFiles();
    EXPECT_EQ(rig.state.folders.DataFolder, classroom.data);
    EXPECT_EQ(rig.state.common.ClassroomCode, QStringLiteral("01234"));
    EXPECT_EQ(rig.state.common.ClassroomName, QStringLiteral("ひまわり教室"));

    navigator.showNameSelection();
    auto* names = host.find<NameSelectionScreen>();
    ASSERT_NE(names, nullptr);
    auto* list = Child<QListView>(names, QStringLiteral("List1"));
    const QList<int> hanako = RowsContaining(list, QStringLiteral("山田　花子"));
    ASSERT_EQ(hanako.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowCentre(list, hanako.front()));
    Click(names, QStringLiteral("Command14"));
    auto* board = host.find<LevelBoard>();
    ASSERT_TRUE(board && board->boardReady());
    ASSERT_EQ(rig.state.session.StudentNo, 1);
    // Today's run on level 2 is the one the old installation recorded.
    EXPECT_TRUE(Child<QLabel>(board, QStringLiteral("Label14_2"))
                    ->text()
                    .startsWith(QStringLiteral("1回/")));
    EXPECT_EQ(Child<QLabel>(board, QStringLiteral("Label14_1"))->text(), QStringLiteral("-----"));

    Click(board, QStringLiteral("Command4_1"));
    DrillScreen* drill = host.find<DrillScreen>();
    ASSERT_NE(drill, nullptr);
    for (int problem = 0; problem < 10; ++problem) {
        ASSERT_EQ(host.find<DrillScreen>(), drill)
            << "the drill ended after " << problem << " problems";
        for (int second = 0; second < 3; ++second) {
            rig.clock.advance(1);
            TickTimer(drill, QStringLiteral("sTimer1"));
        }
        EnterFormula(drill, Child<QLabel>(drill, QStringLiteral("Label2"))->text());
        Click(drill, QStringLiteral("Label6_0"));
    }
    auto* results = host.find<ResultsScreen>();
    ASSERT_NE(results, nullptr);
    auto* menu = Child<QPushButton>(results, QStringLiteral("Command4"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !menu->isHidden(); }, 5000));
    QTest::mouseClick(menu, Qt::LeftButton);
    board = host.find<LevelBoard>();
    ASSERT_TRUE(board && board->boardReady());
    EXPECT_TRUE(Child<QLabel>(board, QStringLiteral("Label14_1"))
                    ->text()
                    .startsWith(QStringLiteral("1回/")));

    // The old runs stay as they were; the new one follows them, with the classroom's code.
    const QByteArray after = WindowsClassroom::read(classroom.results());
    ASSERT_EQ(after.size(), classroom.pastRuns.size() + kRecordSize);
    EXPECT_EQ(after.left(classroom.pastRuns.size()), classroom.pastRuns);
    const char* run = after.constData() + classroom.pastRuns.size();
    EXPECT_EQ(qFromLittleEndian<double>(run), double(QDate(1899, 12, 30).daysTo(kToday)));
    EXPECT_EQ(qFromLittleEndian<qint16>(run + 16), 1);
    EXPECT_EQ(qFromLittleEndian<qint16>(run + 18), 1);
    EXPECT_EQ(qFromLittleEndian<qint32>(run + 20), 30);
    EXPECT_EQ(QByteArray(run + 24, 15), QByteArray("01234     0    "));
    EXPECT_EQ(classroom.unchangingFiles(), before);
    EXPECT_TRUE(rig.dialogs.shown.empty());

    // drill-stats counts the old runs and the new one: runs, then today's runs.
    std::map<QString, QStringList> figures;
    for (const QString& row : drillStats())
        figures[row.section(QLatin1Char(','), 0, 0) + QLatin1Char(',') +
                row.section(QLatin1Char(','), 3, 3)] = row.split(QLatin1Char(','));
    ASSERT_EQ(figures.size(), 1 + 3 * 7); // the heading, three students of seven levels
    // student, name, grade, level, then the runs (4) and today's runs (7).
    EXPECT_EQ(figures[QStringLiteral("1,1")][4], QStringLiteral("2"));
    EXPECT_EQ(figures[QStringLiteral("1,1")][7], QStringLiteral("1"));
    EXPECT_EQ(figures[QStringLiteral("1,2")][7], QStringLiteral("1"));
    EXPECT_EQ(figures[QStringLiteral("2,1")][4], QStringLiteral("1"));
}

// Needs the sound lookup that takes a wave file whatever the letter case of its name.
TEST_F(Takeover, WaveFilesNamedInUpperCasePlay) {
    ASSERT_FALSE(PlayCorrectSound(rig.state).speakersGaveUp);
    ASSERT_FALSE(PlayWrongSound(rig.state).speakersGaveUp);
    PlayBestSound(rig.state);
    PlayPassSound(rig.state);
    ASSERT_EQ(rig.sound.played.size(), 4u);
    for (const QString& path : rig.sound.played) {
        EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
        EXPECT_TRUE(path.endsWith(QStringLiteral(".WAV"), FileNameCase(QFileInfo(path).path())))
            << path.toStdString();
    }
}

} // namespace
