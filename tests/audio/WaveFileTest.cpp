#include "audio/WaveFile.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <algorithm>
#include <cstdlib>

namespace {

uint32_t Le32(const QByteArray& b, int at) {
    return qFromLittleEndian<uint32_t>(b.constData() + at);
}
uint16_t Le16(const QByteArray& b, int at) {
    return qFromLittleEndian<uint16_t>(b.constData() + at);
}

TEST(WaveFile, HeaderAndSamplesAreLittleEndianPcm) {
    const QByteArray wave = PcmWave({1, -2, 0x1234}, 22050, 1);
    ASSERT_EQ(wave.size(), kPcmWaveHeaderBytes + 6);
    EXPECT_EQ(wave.left(4), QByteArray("RIFF"));
    EXPECT_EQ(Le32(wave, 4), uint32_t(wave.size() - 8));
    EXPECT_EQ(wave.mid(8, 8), QByteArray("WAVEfmt "));
    EXPECT_EQ(Le32(wave, 16), 16u);
    EXPECT_EQ(Le16(wave, 20), 1u);     // PCM
    EXPECT_EQ(Le16(wave, 22), 1u);     // channels
    EXPECT_EQ(Le32(wave, 24), 22050u); // rate
    EXPECT_EQ(Le32(wave, 28), 44100u); // bytes per second
    EXPECT_EQ(Le16(wave, 32), 2u);     // block
    EXPECT_EQ(Le16(wave, 34), 16u);    // bits
    EXPECT_EQ(wave.mid(36, 4), QByteArray("data"));
    EXPECT_EQ(Le32(wave, 40), 6u);
    EXPECT_EQ(wave.mid(44), QByteArray("\x01\x00\xFE\xFF\x34\x12", 6));
}

TEST(WaveFile, StereoCountsBothChannelsInRateAndBlock) {
    const QByteArray wave = PcmWave({1, 1, 2, 2}, 44100, 2);
    EXPECT_EQ(Le32(wave, 28), 44100u * 4);
    EXPECT_EQ(Le16(wave, 32), 4u);
    EXPECT_EQ(Le32(wave, 40), 8u);
}

TEST(WaveFile, ChimeNotesFollowEachOtherWithinVolumeAndWithoutClicks) {
    const auto samples = ChimeSamples({{440, 0.2}, {660, 0.1}}, 8000, 0.5);
    ASSERT_EQ(samples.size(), 2400u);
    const auto loudest = std::max_element(samples.begin(), samples.end(), [](int16_t a, int16_t b) {
        return std::abs(a) < std::abs(b);
    });
    EXPECT_LE(std::abs(*loudest), 16384);
    EXPECT_GT(std::abs(*loudest), 8000);
    // Each note starts and ends at silence.
    for (size_t at : {size_t(0), size_t(1599), size_t(1600), size_t(2399)})
        EXPECT_EQ(samples[at], 0) << at;
}

} // namespace
