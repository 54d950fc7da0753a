#include "audio/WaveFile.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

void AppendLe32(QByteArray& bytes, uint32_t value) {
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

void AppendLe16(QByteArray& bytes, uint16_t value) {
    char le[2];
    qToLittleEndian(value, le);
    bytes.append(le, 2);
}

// Rises and falls over 10 ms at each end of a note.
double Envelope(int i, int length, int sampleRate) {
    const double ramp = std::max(1, sampleRate / 100);
    return std::min({1.0, i / ramp, (length - 1 - i) / ramp});
}

} // namespace

std::vector<int16_t> ChimeSamples(const std::vector<Note>& notes, int sampleRate, double volume) {
    std::vector<int16_t> samples;
    for (const Note& note : notes) {
        const int length = int(std::lround(note.seconds * sampleRate));
        for (int i = 0; i < length; ++i) {
            const double phase = 2 * std::numbers::pi * note.frequency * i / sampleRate;
            // A touch of the octave makes it a chime rather than a beep.
            const double tone = 0.8 * std::sin(phase) + 0.2 * std::sin(2 * phase);
            samples.push_back(
                int16_t(std::lround(32767 * volume * Envelope(i, length, sampleRate) * tone)));
        }
    }
    return samples;
}

QByteArray PcmWave(const std::vector<int16_t>& samples, int sampleRate, int channels) {
    const uint32_t dataBytes = uint32_t(samples.size() * sizeof(int16_t));
    const uint16_t blockAlign = uint16_t(channels * sizeof(int16_t));
    QByteArray bytes;
    bytes.reserve(kPcmWaveHeaderBytes + int(dataBytes));
    bytes.append("RIFF", 4);
    AppendLe32(bytes, 36 + dataBytes);
    bytes.append("WAVEfmt ", 8);
    AppendLe32(bytes, 16); // fmt chunk size
    AppendLe16(bytes, 1);  // PCM
    AppendLe16(bytes, uint16_t(channels));
    AppendLe32(bytes, uint32_t(sampleRate));
    AppendLe32(bytes, uint32_t(sampleRate) * blockAlign); // bytes per second
    AppendLe16(bytes, blockAlign);
    AppendLe16(bytes, 16); // bits per sample
    bytes.append("data", 4);
    AppendLe32(bytes, dataBytes);
    for (int16_t s : samples)
        AppendLe16(bytes, uint16_t(s));
    return bytes;
}
