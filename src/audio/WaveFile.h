#pragma once
// Writing 16-bit PCM wave files: the demo classroom's sounds and test sounds.

#include <QByteArray>

#include <cstdint>
#include <vector>

struct Note {
    double frequency = 440; // Hz
    double seconds = 0.1;
};

// Mono samples of the notes one after another, each faded in and out so that
// no note clicks; volume 0..1 of full scale.
std::vector<int16_t> ChimeSamples(const std::vector<Note>& notes, int sampleRate, double volume);

// A complete RIFF/WAVE file (44-byte header, then the samples, little-endian).
QByteArray PcmWave(const std::vector<int16_t>& samples, int sampleRate, int channels = 1);

// Byte offset of the sample data in a file made by PcmWave.
constexpr int kPcmWaveHeaderBytes = 44;
