#include "audio/Sounds.h"

#include "TestDoubles.h"
#include "core/Text.h"

#include <gtest/gtest.h>

namespace {

const QString kMessage = QStringLiteral("音声がでません。先生を呼びなさい。");

class SoundsTest : public ::testing::Test {
  protected:
    TestRig rig;
    TempInstall install;
    ProgramState& state = rig.state;

    SoundsTest() { state.folders.SoundFolder = install.dataRoot() + QStringLiteral("音フォルダ/"); }

    void loadList(const QString& text) {
        install.writeText(state.folders.SoundFolder + kSoundListFileName, text);
        LoadSoundTable(state);
    }
    const QString& slot(int category, int j) const { return state.sounds.SoundFiles[category][j]; }
    QString inFolder(const QString& file) const { return state.folders.SoundFolder + file; }
    static PlayResult failure() { return {263, QStringLiteral("device not ready")}; }
};

TEST_F(SoundsTest, NamesAllTenCategoriesAndReadsAGroupUpToItsEndMark) {
    loadList(QStringLiteral("正解音2,ok1,ok2,ok3,*\n"));
    const QStringList names = {QStringLiteral("正解音1"),     QStringLiteral("正解音2"),
                               QStringLiteral("間違い音1"),   QStringLiteral("間違い音2"),
                               QStringLiteral("最高音1"),     QStringLiteral("最高音2"),
                               QStringLiteral("自己最高音1"), QStringLiteral("自己最高音2"),
                               QStringLiteral("自己最高音3"), QStringLiteral("不合格音1")};
    for (int c = 1; c <= 10; ++c)
        EXPECT_EQ(slot(c, 0), names[c - 1]) << c;
    EXPECT_EQ(slot(2, 21), QStringLiteral("3"));
    EXPECT_EQ(slot(2, 3), QStringLiteral("ok3"));
    EXPECT_TRUE(slot(2, 4).isEmpty());
    EXPECT_TRUE(slot(4, 21).isEmpty());
}

TEST_F(SoundsTest, TheRandomDrawPicksEachOfThreeVariants) {
    loadList(QStringLiteral("正解音2, ok1 , \"ok2\",ok3,*\n"));
    const struct {
        double r;
        const char* file;
    } cases[] = {{0.0, "ok1.wav"},    {0.3333, "ok1.wav"}, {1.0 / 3, "ok2.wav"},
                 {0.6666, "ok2.wav"}, {0.6667, "ok3.wav"}, {0.999999999, "ok3.wav"}};
    for (const auto& c : cases) {
        rig.random.script = {c.r};
        PlayCorrectSound(state);
        EXPECT_EQ(rig.sound.played.back(), inFolder(QString::fromUtf8(c.file))) << c.r;
    }
    EXPECT_EQ(rig.random.draws, 6);
}

TEST_F(SoundsTest, AGroupOfTwentyNamesNeedsNoEndMark) {
    QString list = QStringLiteral("間違い音2");
    for (int i = 1; i <= 20; ++i)
        list += QStringLiteral(",w%1").arg(i);
    // After twenty names the next value is a category name again.
    loadList(list + QStringLiteral("\n不合格音1,f1,*\n"));
    EXPECT_EQ(slot(4, 21), QStringLiteral("20"));
    EXPECT_EQ(slot(4, 20), QStringLiteral("w20"));
    EXPECT_EQ(slot(10, 21), QStringLiteral("1"));

    rig.random.script = {0.0, 0.9999, 0.95};
    PlayWrongSound(state);
    PlayWrongSound(state);
    PlayWrongSound(state);
    EXPECT_EQ(rig.sound.played, (std::vector<QString>{inFolder(QStringLiteral("w1.wav")),
                                                      inFolder(QStringLiteral("w20.wav")),
                                                      inFolder(QStringLiteral("w20.wav"))}));
}

TEST_F(SoundsTest, ValuesOfAnUnknownGroupAreSkippedOneByOne) {
    // "効果音" names no category, so its values are read as names: "正解音1"
    // inside it starts a group of its own.
    loadList(QStringLiteral("効果音,x,y,*\n"
                            "正解音2,a,*\n"
                            "効果音2,正解音1,z,*\n"
                            "*,自己最高音2,p,q,*\n"));
    EXPECT_EQ(slot(2, 21), QStringLiteral("1"));
    EXPECT_EQ(slot(2, 1), QStringLiteral("a"));
    EXPECT_EQ(slot(1, 21), QStringLiteral("1"));
    EXPECT_EQ(slot(1, 1), QStringLiteral("z"));
    EXPECT_EQ(slot(8, 21), QStringLiteral("2"));
    for (int c : {3, 4, 5, 6, 7, 9, 10})
        EXPECT_TRUE(slot(c, 21).isEmpty()) << c;
}

TEST_F(SoundsTest, AListCutOffAtTheEndOfTheFileKeepsItsNames) {
    loadList(QStringLiteral("正解音2,a,*\n不合格音1,f1,f2"));
    EXPECT_EQ(slot(10, 21), QStringLiteral("2"));
    EXPECT_EQ(slot(10, 2), QStringLiteral("f2"));
}

TEST_F(SoundsTest, AMissingListStopsTheStartWithTheFileAndItsContents) {
    try {
        LoadSoundTable(state);
        FAIL() << "no error";
    } catch (const DataFileError& error) {
        EXPECT_TRUE(error.message().contains(kSoundListFileName));
        EXPECT_TRUE(error.message().contains(QStringLiteral("音フォルダ")));
        EXPECT_TRUE(error.message().contains(QStringLiteral("「*」")));
    }
}

TEST_F(SoundsTest, ACategoryWithoutAListPlaysNothingAndNeverFails) {
    loadList(QStringLiteral("正解音2,a,*\n"));
    rig.sound.results = {failure(), failure(), failure(), failure(), failure()};
    for (int i = 0; i < 5; ++i) {
        PlayWrongSound(state);
        PlayPersonalBestSound(state);
        PlayFailSound(state);
    }
    EXPECT_TRUE(rig.sound.played.empty());
    EXPECT_EQ(rig.random.draws, 0);
    EXPECT_EQ(state.sounds.SoundFailures, 0);
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_TRUE(rig.navigator.calls.empty());
}

TEST_F(SoundsTest, TheEndOfDrillPlayersUseTheirFilesAndIgnoreFailures) {
    loadList(QStringLiteral("自己最高音2,pb1,pb2,*\n不合格音1,ng1,*\n"));
    rig.sound.results = {failure(), failure(), failure(), failure(),
                         failure(), failure(), failure(), failure()};
    rig.random.fallback = 0.5;
    for (int i = 0; i < 2; ++i) {
        PlayPersonalBestSound(state);
        PlayFailSound(state);
        PlayBestSound(state);
        PlayPassSound(state);
    }
    EXPECT_EQ(rig.sound.played.size(), 8u);
    EXPECT_EQ(rig.sound.played[0], inFolder(QStringLiteral("pb2.wav")));
    EXPECT_EQ(rig.sound.played[1], inFolder(QStringLiteral("ng1.wav")));
    EXPECT_EQ(rig.sound.played[2], inFolder(QStringLiteral("最高1.wav")));
    EXPECT_EQ(rig.sound.played[3], inFolder(QStringLiteral("合格.wav")));
    EXPECT_EQ(state.sounds.SoundFailures, 0);
    EXPECT_TRUE(rig.dialogs.shown.empty());
    EXPECT_TRUE(rig.navigator.calls.empty());
}

// The answer sounds tolerate three failures in a row; the fourth is reported
// to the caller with the output's error, and the sound layer itself neither
// shows a message nor ends the program.
TEST_F(SoundsTest, AnswerSoundFailureRule) {
    loadList(QStringLiteral("正解音2,a,*\n間違い音2,b,*\n"));
    const PlayResult ok{};
    const struct {
        const char* name;
        std::vector<PlayResult> results;
        bool givesUp;
    } cases[] = {
        {"three failures", {failure(), failure(), failure()}, false},
        {"a success resets", {failure(), failure(), ok, failure(), failure(), failure()}, false},
        {"four in a row", {failure(), failure(), failure(), failure()}, true},
        {"four after a success", {failure(), ok, failure(), failure(), failure(), failure()}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestRig fresh;
        fresh.state.folders = state.folders;
        LoadSoundTable(fresh.state);
        fresh.sound.results.assign(c.results.begin(), c.results.end());
        // Correct and wrong answers share one count; only the last may give up.
        AnswerSound last;
        for (size_t i = 0; i < c.results.size(); ++i) {
            EXPECT_FALSE(last.speakersGaveUp) << "gave up early, at sound " << i;
            last = i % 2 == 0 ? PlayCorrectSound(fresh.state) : PlayWrongSound(fresh.state);
        }
        EXPECT_EQ(fresh.sound.played.size(), c.results.size());
        EXPECT_EQ(last.speakersGaveUp, c.givesUp);
        if (c.givesUp) {
            EXPECT_EQ(last.message(), kMessage + QStringLiteral("\r\ndevice not ready"));
        } else {
            EXPECT_EQ(fresh.state.sounds.SoundFailures, 3);
        }
        EXPECT_TRUE(fresh.dialogs.shown.empty());
        EXPECT_TRUE(fresh.navigator.calls.empty());
    }
}

TEST_F(SoundsTest, OtherPlayersNeitherCountNorResetAnswerFailures) {
    loadList(QStringLiteral("正解音2,a,*\n間違い音2,b,*\n"));
    rig.sound.results = {failure(), failure(), failure(), PlayResult{}, PlayResult{}, failure()};
    PlayCorrectSound(state);
    PlayWrongSound(state);
    PlayCorrectSound(state);
    PlayPassSound(state); // succeeds, but is no answer sound
    PlayBestSound(state);
    EXPECT_TRUE(PlayWrongSound(state).speakersGaveUp);
}

TEST_F(SoundsTest, AWaveNameInAnotherLetterCaseIsFound) {
    struct Case {
        const char* listed; // in the sound list
        const char* onDisk; // in the sound folder
        const char* played; // the file handed to the output
    };
    const Case cases[] = {
        {"正解音2_1", "正解音2_1.WAV", "正解音2_1.WAV"},
        {"Seikai", "seikai.wav", "seikai.wav"},
        {"ok", "OK.Wav", "OK.Wav"},
        {"same", "same.wav", "same.wav"},
        {"gone", "other.wav", "gone.wav"}, // nothing matches: the listed name fails as before
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listed);
        TempInstall fresh;
        state.folders.SoundFolder = fresh.dataRoot() + QStringLiteral("音フォルダ/");
        fresh.writeBytes(inFolder(QString::fromUtf8(c.onDisk)), QByteArray("RIFF"));
        if (QString::fromUtf8(c.listed) == QStringLiteral("same"))
            fresh.writeBytes(inFolder(QStringLiteral("SAME.WAV")), QByteArray("RIFF"));
        loadList(QStringLiteral("正解音2,%1,*\n").arg(QString::fromUtf8(c.listed)));
        rig.random.script = {0.0};
        PlayCorrectSound(state);
        const QString played = inFolder(QString::fromUtf8(c.played));
        EXPECT_EQ(rig.sound.played.back().compare(played, FileNameCase(fresh.root())), 0)
            << qPrintable(rig.sound.played.back());
    }
}

} // namespace
