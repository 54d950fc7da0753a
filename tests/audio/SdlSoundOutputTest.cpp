// Real playback through SDL: the "disk" driver writes what the device plays
// to a file, in real time, so both the bytes and the duration can be checked.
#include "audio/SdlSoundOutput.h"
#include "audio/WaveFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace {

class SdlPlaybackTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QByteArray savedDriver = qgetenv("SDL_AUDIODRIVER");
    QByteArray savedFile = qgetenv("SDL_DISKAUDIOFILE");

    ~SdlPlaybackTest() override {
        qputenv("SDL_AUDIODRIVER", savedDriver);
        qputenv("SDL_DISKAUDIOFILE", savedFile);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QString writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QByteArray readFile(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void useDiskDriver() {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(path(QStringLiteral("played.raw"))));
    }
};

bool AllZero(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return b == 0; });
}

TEST_F(SdlPlaybackTest, PlaysTheWholeWaveBeforeReturning) {
    const struct {
        int rate;
        int channels;
        double seconds;
    } cases[] = {{22050, 1, 0.3}, {44100, 2, 0.25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        useDiskDriver();
        std::vector<int16_t> mono =
            ChimeSamples({{523.25, c.seconds / 2}, {784, c.seconds / 2}}, c.rate, 0.5);
        std::vector<int16_t> samples;
        for (int16_t s : mono)
            samples.insert(samples.end(), size_t(c.channels), s);
        const QByteArray wave = PcmWave(samples, c.rate, c.channels);
        const QString file = writeFile(QStringLiteral("音.wav"), wave);

        SdlAudio audio;
        SdlSoundOutput output(audio);
        QElapsedTimer timer;
        timer.start();
        const PlayResult result = output.playToEnd(file);
        const qint64 elapsed = timer.elapsed();

        EXPECT_EQ(result.code, 0) << result.error.toStdString();
        EXPECT_GE(elapsed, qint64(c.seconds * 1000) - 30);

        // The device may write silence before the sound starts and after it ends.
        const QByteArray data = wave.mid(kPcmWaveHeaderBytes);
        const QByteArray played = readFile(QStringLiteral("played.raw"));
        const qsizetype at = played.indexOf(data);
        ASSERT_GE(at, 0) << "played " << played.size() << " bytes, sound has " << data.size();
        EXPECT_TRUE(AllZero(played.left(at)));
        EXPECT_TRUE(AllZero(played.mid(at + data.size())));
    }
}

TEST_F(SdlPlaybackTest, AMissingOrBrokenFileIsAFailureWithSdlsText) {
    useDiskDriver();
    SdlAudio audio;
    SdlSoundOutput output(audio);
    const QString broken =
        writeFile(QStringLiteral("broken.wav"), QByteArray("RIFF\x10\0\0\0WAVEjunkjunk", 20));
    for (const QString& file : {path(QStringLiteral("ない.wav")), broken}) {
        const PlayResult result = output.playToEnd(file);
        EXPECT_NE(result.code, 0) << file.toStdString();
        EXPECT_FALSE(result.error.isEmpty());
    }
}

TEST_F(SdlPlaybackTest, NoAudioDriverIsAFailureOnEveryPlay) {
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    const QString file =
        writeFile(QStringLiteral("a.wav"), PcmWave(ChimeSamples({{440, 0.1}}, 8000, 0.5), 8000));
    SdlAudio audio;
    SdlSoundOutput output(audio);
    for (int i = 0; i < 2; ++i) {
        const PlayResult result = output.playToEnd(file);
        EXPECT_EQ(result.code, SdlSoundOutput::NoAudio);
        EXPECT_TRUE(result.error.contains(QStringLiteral("no-such-driver")))
            << result.error.toStdString();
    }
}

} // namespace
