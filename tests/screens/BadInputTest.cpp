// The program started on a demo classroom with one data file spoilt, as a new
// user would meet it: each case either stops with one message naming the file
// or carries on, never crashes and leaves every data file as it was.

#include "DemoClassroom.h"
#include "TestDoubles.h"

#include "app/Configuration.h"
#include "audio/Sounds.h"
#include "core/Configuration.h"
#include "core/Text.h"
#include "records/Criteria.h"
#include "records/ResultsFile.h"
#include "roster/Roster.h"
#include "screens/LevelBoard.h"
#include "screens/NameSelectionScreen.h"
#include "widgets/Screen.h"
#include "widgets/StartupScreen.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace Qt::StringLiterals;

namespace {

void Remove(const QString& path) {
    ASSERT_TRUE(QFile::remove(path)) << path.toStdString();
}

void Overwrite(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The same text, written as UTF-8 instead of code page 932.
void ToUtf8(const QString& path) {
    Overwrite(path, ReadCp932File(path).toUtf8());
}

QByteArray RandomBytes(int size) {
    QByteArray bytes(size, '\0');
    std::uint32_t x = 2463534242u;
    for (char& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = char(x & 0xFF);
    }
    return bytes;
}

// A record of the demo's first student with the student and level replaced.
QByteArray RecordFor(int student, int level) {
    ResultRecord record;
    record.date = 46000;
    record.timeOfDay = 0.5;
    record.student = int16_t(student);
    record.level = int16_t(level);
    record.result = 40;
    record.classroomCode = QStringLiteral("01234");
    record.extraPoints = QStringLiteral("     ");
    record.pointsText = QStringLiteral("0    ");
    return EncodeRecord(record);
}

enum class Outcome { Stops, CarriesOn };

struct BadInput {
    const char* name;
    std::function<void(const DemoClassroom&)> spoil;
    Outcome outcome;
    QString namedFile; // the file a stopping message names
    QString advice;    // and part of what it tells the user to do
};

const std::vector<BadInput>& Cases() {
    static const std::vector<BadInput> cases = {
        {"MissingPathData", [](const DemoClassroom& c) { Remove(c.pathData()); }, Outcome::Stops,
         kPathDataFileName, u"10 個の値が必要"_s},
        {"EmptyPathData", [](const DemoClassroom& c) { Overwrite(c.pathData(), {}); },
         Outcome::Stops, kPathDataFileName, u"10 個の値が必要"_s},
        {"MissingCommonData", [](const DemoClassroom& c) { Remove(c.commonData()); },
         Outcome::Stops, kCommonDataFileName, u"10 個の値が必要"_s},
        {"EmptyCommonData", [](const DemoClassroom& c) { Overwrite(c.commonData(), {}); },
         Outcome::Stops, kCommonDataFileName, u"10 個の値が必要"_s},
        {"MissingCriteria", [](const DemoClassroom& c) { Remove(c.criteria()); }, Outcome::Stops,
         kCriteriaFileName, u"12 個の値"_s},
        {"EmptyCriteria", [](const DemoClassroom& c) { Overwrite(c.criteria(), {}); },
         Outcome::Stops, kCriteriaFileName, u"12 個の値"_s},
        {"MissingRoster", [](const DemoClassroom& c) { Remove(c.roster()); }, Outcome::Stops,
         kRosterFileName, u"8 個の値"_s},
        {"EmptyRoster",
         [](const DemoClassroom& c) { Overwrite(c.roster(), {}); },
         Outcome::CarriesOn,
         {},
         {}},
        {"MissingSoundList", [](const DemoClassroom& c) { Remove(c.soundList()); }, Outcome::Stops,
         kSoundListFileName, u"置いてください"_s},
        {"EmptySoundList",
         [](const DemoClassroom& c) { Overwrite(c.soundList(), {}); },
         Outcome::CarriesOn,
         {},
         {}},
        {"Utf8Roster",
         [](const DemoClassroom& c) { ToUtf8(c.roster()); },
         Outcome::CarriesOn,
         {},
         {}},
        {"Utf8Criteria",
         [](const DemoClassroom& c) { ToUtf8(c.criteria()); },
         Outcome::CarriesOn,
         {},
         {}},
        {"RandomResults",
         [](const DemoClassroom& c) { Overwrite(c.results(), RandomBytes(44 * 500 + 17)); },
         Outcome::CarriesOn,
         {},
         {}},
        {"TornResults",
         [](const DemoClassroom& c) {
             Overwrite(c.results(), Contents(c.results()) + QByteArray(21, '\x7F'));
         },
         Outcome::CarriesOn,
         {},
         {}},
        {"ResultsOutOfRange",
         [](const DemoClassroom& c) {
             Overwrite(c.results(), Contents(c.results()) + RecordFor(5001, 1) + RecordFor(1, 36) +
                                        RecordFor(32767, 32767) + RecordFor(-1, -1));
         },
         Outcome::CarriesOn,
         {},
         {}},
        {"ResultsIsAFolder",
         [](const DemoClassroom& c) {
             Remove(c.results());
             ASSERT_TRUE(QDir().mkdir(c.results()));
         },
         Outcome::Stops, kResultsFileName, u"確かめてください"_s},
    };
    return cases;
}

class StartWithBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(StartWithBadInput, StopsWithOneMessageOrCarriesOnAndChangesNoFile) {
    const BadInput& c = GetParam();
    DemoClassroom classroom;
    c.spoil(classroom);
    const auto before = classroom.digests();

    StartUp start(classroom);

    const auto& shown = start.rig.dialogs.shown;
    if (c.outcome == Outcome::Stops) {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].text.contains(c.namedFile)) << shown[0].text.toStdString();
        EXPECT_TRUE(shown[0].text.contains(c.advice)) << shown[0].text.toStdString();
        EXPECT_EQ(start.rig.navigator.count(QStringLiteral("endProgram")), 1);
    } else {
        for (const auto& message : shown)
            ADD_FAILURE() << message.text.toStdString();
        EXPECT_FALSE(start.ended());
        ASSERT_NE(start.names, nullptr);
        EXPECT_GE(start.nameRows(), 1);
        // The board counts the same file again and shows every level.
        ProgramState& state = start.rig.state;
        state.session.StudentNo = 1;
        state.session.StudentName = FitRosterText(QStringLiteral("先生"));
        start.host.close<NameSelectionScreen>();
        EXPECT_NE(start.host.open<LevelBoard>(state), nullptr);
        EXPECT_TRUE(shown.empty());
    }
    EXPECT_EQ(classroom.digests(), before);
}

INSTANTIATE_TEST_SUITE_P(BadInput, StartWithBadInput, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The data folder goes away between the name screen and the board (a file
// server restarting): the board's count shows one message and ends the program.
TEST(StartWithBadInput, AResultsFileGoneBeforeTheBoardEndsTheProgramWithOneMessage) {
    DemoClassroom classroom;
    StartUp start(classroom);
    ASSERT_NE(start.names, nullptr);
    ASSERT_TRUE(QFile::remove(classroom.results()));
    ASSERT_TRUE(QDir().mkdir(classroom.results()));
    const auto before = classroom.digests();
    ProgramState& state = start.rig.state;
    state.session.StudentNo = 1;
    start.host.close<NameSelectionScreen>();
    EXPECT_NO_THROW(start.host.open<LevelBoard>(state));
    const auto& shown = start.rig.dialogs.shown;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(kResultsFileName)) << shown[0].text.toStdString();
    EXPECT_EQ(start.rig.navigator.count(QStringLiteral("endProgram")), 1);
    EXPECT_EQ(classroom.digests(), before);
}

// Records the demo cannot hold are skipped: the counts see only real students
// and levels, and the name screen lists the same students as before.
TEST(StartWithBadInput, RecordsOutsideTheTablesAreLeftOut) {
    DemoClassroom clean;
    StartUp reference(clean);
    DemoClassroom spoilt;
    Overwrite(spoilt.results(),
              Contents(spoilt.results()) + RecordFor(5001, 1) + RecordFor(1, 36) + RandomBytes(43));
    StartUp start(spoilt);
    ASSERT_NE(reference.names, nullptr);
    ASSERT_NE(start.names, nullptr);
    EXPECT_EQ(start.nameRows(), reference.nameRows());
    EXPECT_EQ(start.rig.state.counts.Runs.size(), reference.rig.state.counts.Runs.size());
}

} // namespace
