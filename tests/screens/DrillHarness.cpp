#include "DrillHarness.h"

#include "core/Dates.h"
#include "core/LevelCatalogue.h"
#include "records/Counts.h"
#include "records/ResultsFile.h"
#include "records/ResultsJournal.h"
#include "screens/DrillScreen.h"
#include "screens/ResultsScreen.h"
#include "widgets/StartupScreen.h"
#include "widgets/WaitScreen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

PlayResult HookedSound::playToEnd(const QString& wavePath) {
    PlayResult result = RecordingSound::playToEnd(wavePath);
    if (whilePlaying) whilePlaying(wavePath);
    return result;
}

void HostNavigator::showDrill() {
    RecordingNavigator::showDrill();
    host_.open<DrillScreen>(state_);
}
void HostNavigator::closeDrill() {
    RecordingNavigator::closeDrill();
    host_.close<DrillScreen>();
}
void HostNavigator::showResults() {
    RecordingNavigator::showResults();
    host_.open<ResultsScreen>(state_);
}
void HostNavigator::closeResults() {
    RecordingNavigator::closeResults();
    host_.close<ResultsScreen>();
}
void HostNavigator::showWait() {
    RecordingNavigator::showWait();
    host_.open<WaitScreen>(state_);
}
void HostNavigator::closeWait() {
    RecordingNavigator::closeWait();
    host_.close<WaitScreen>();
}

namespace {
void SetSounds(ProgramState& state, int category, const QString& name, const QString& file) {
    auto& row = state.sounds.SoundFiles[size_t(category)];
    row[0] = name;
    row[1] = file;
    row[21] = QStringLiteral("1");
}
} // namespace

DrillClassroom::DrillClassroom() {
    ProgramState& s = rig.state;
    s.platform.random = &random;
    s.platform.sound = &sound;
    s.platform.navigator = &navigator;
    s.folders.DataFolder = install.dataFolder();
    s.folders.OutboxFolder = install.root() + QStringLiteral("outbox/");
    s.folders.SoundFolder = install.dataRoot() + QStringLiteral("音フォルダ/");
    s.common.ClassroomCode = QStringLiteral("A1234");
    s.common.ClassroomName = QStringLiteral("本町教室");
    SetProgramIdentity(s);
    BuildLevelTable(s);
    for (int level = 1; level <= 24; ++level) {
        setCriteria(level, 60, 120);
        s.criteria.ClearPoint[level] = 1000;
        s.criteria.ClearCount[level] = 50;
        s.criteria.PointRate[level] = 1;
        s.criteria.PassDays[level] = CriteriaValue{CriteriaValue::Kind::Number, 30, {}};
        s.criteria.OverdoDays[level] = CriteriaValue{CriteriaValue::Kind::Number, 7, {}};
    }
    SetSounds(s, 2, QStringLiteral("正解音2"), QStringLiteral("seikai"));
    SetSounds(s, 4, QStringLiteral("間違い音2"), QStringLiteral("machigai"));
    SetSounds(s, 8, QStringLiteral("自己最高音2"), QStringLiteral("jiko"));
    SetSounds(s, 10, QStringLiteral("不合格音1"), QStringLiteral("fugoukaku"));
    s.session.StudentNo = kStudent;
    s.session.StudentName = QStringLiteral("山田　花子").leftJustified(20, QLatin1Char(' '));
    s.session.LoginTime = rig.clock.monotonic - 12 * 60;
    install.writeBytes(resultsPath(), QByteArray());
    host.show();
}

void DrillClassroom::setCriteria(int level, int targetTime, int lowestTime) {
    state().criteria.TargetTime[size_t(level)] = targetTime;
    state().criteria.LowestTime[size_t(level)] = lowestTime;
}

void DrillClassroom::addRecord(int level, int32_t result, int daysAgo) {
    ResultRecord record;
    record.date = ToOleDay(rig.clock.now().date().addDays(-daysAgo));
    record.timeOfDay = 0.25;
    record.student = kStudent;
    record.level = int16_t(level);
    record.result = result;
    record.classroomCode = state().common.ClassroomCode;
    record.extraPoints = QStringLiteral("     ");
    record.pointsText = QStringLiteral("0    ");
    AppendRecord(resultsPath(), record);
}

QString DrillClassroom::resultsPath() const {
    return ResultsFilePath(rig.state);
}
int DrillClassroom::recordCount() const {
    return int(RecordCount(resultsPath()));
}

DrillScreen* DrillClassroom::startDrill(int level) {
    state().LevelNo = level;
    CountResults(state());
    StartLevel(state());
    return drill();
}

DrillScreen* DrillClassroom::drill() const {
    return host.find<DrillScreen>();
}
ResultsScreen* DrillClassroom::results() const {
    return host.find<ResultsScreen>();
}

void DrillClassroom::passSeconds(DrillScreen* frm, int seconds) {
    QPointer<DrillScreen> alive(frm);
    for (int i = 0; i < seconds && alive && !alive->isHidden(); ++i) {
        rig.clock.advance(1);
        TickTimer(alive, QStringLiteral("sTimer1"));
    }
}

void DrillClassroom::answerRight(DrillScreen* frm) {
    EnterFormula(frm, Text(frm, QStringLiteral("Label2")));
    pressOk(frm);
}

void DrillClassroom::answerWrong(DrillScreen* frm) {
    // The right parts in the wrong order: "3.14" first.
    QStringList parts = Text(frm, QStringLiteral("Label2")).split(QChar(0x00D7));
    std::reverse(parts.begin(), parts.end());
    EnterFormula(frm, parts.join(QChar(0x00D7)));
    pressOk(frm);
}

void DrillClassroom::pressOk(DrillScreen* frm) {
    QTest::mouseClick(Child(frm, QStringLiteral("Label6_0")), Qt::LeftButton);
}

void DrillClassroom::pressNext(DrillScreen* frm) {
    QTest::mouseClick(Child(frm, QStringLiteral("Label3")), Qt::LeftButton);
}

int DrillClassroom::played(const QString& fileName) const {
    return int(std::count_if(sound.played.begin(), sound.played.end(), [&](const QString& path) {
        return path.endsWith(QLatin1Char('/') + fileName);
    }));
}

namespace {
void WriteWhole(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
}
} // namespace

void LeaveStaleIntent(const QString& resultsPath, StaleIntent stale) {
    const qint64 records = QFileInfo(resultsPath).size() / kRecordSize;
    MaintenanceIntent intent;
    intent.oldRecord = QByteArray(kRecordSize, '\1');
    switch (stale) {
    case StaleIntent::None:
        return;
    case StaleIntent::ChangePastTheEnd:
        intent.kind = MaintenanceIntent::Kind::Change;
        intent.number = records + 5;
        intent.newRecord = QByteArray(kRecordSize, '\2');
        break;
    case StaleIntent::DeletionWithShortCopy:
        intent.kind = MaintenanceIntent::Kind::Delete;
        intent.number = 1;
        // One record, of a file that had more.
        WriteWhole(ResultsCopyPathBeside(resultsPath), intent.oldRecord);
        break;
    }
    intent.fileLength = (std::max(records, intent.number) + 2) * kRecordSize;
    WriteWhole(ResultsIntentPathBeside(resultsPath), EncodeIntent(intent));
}

QStringList SetAsideFilesBeside(const QString& resultsPath) {
    const QDir folder = QFileInfo(resultsPath).absoluteDir();
    QStringList files;
    for (const QString& name : folder.entryList({QStringLiteral("成績累積データjournal-*.dat"),
                                                 QStringLiteral("成績累積データtemp-*.dat")},
                                                QDir::Files))
        files << folder.filePath(name);
    return files;
}

void ExpectSetAsideToldOnce(const ScriptedDialogs& dialogs, const QString& resultsPath,
                            int filesAside) {
    const QStringList aside = SetAsideFilesBeside(resultsPath);
    EXPECT_EQ(aside.size(), filesAside) << aside.join(u' ').toStdString();
    ASSERT_EQ(dialogs.shown.size(), filesAside > 0 ? 1u : 0u);
    for (const auto& message : dialogs.shown) {
        EXPECT_EQ(message.title, QStringLiteral("注意"));
        for (const QString& file : aside)
            EXPECT_TRUE(message.text.contains(QDir::toNativeSeparators(file)))
                << message.text.toStdString();
    }
}
