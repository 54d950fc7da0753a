#include "audio/SdlSoundOutput.h"

#include <SDL.h>

#include <algorithm>

namespace {

// About 23 ms at 44.1 kHz: short enough that the end of a sound is not cut.
constexpr Uint16 kDeviceSamples = 1024;
// A device that stops taking samples must not hold the program for ever.
constexpr double kStallMarginSeconds = 5.0;

QString SdlError() {
    return QString::fromUtf8(SDL_GetError());
}

struct WaveBuffer {
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;

    WaveBuffer() = default;
    WaveBuffer(const WaveBuffer&) = delete;
    WaveBuffer& operator=(const WaveBuffer&) = delete;
    ~WaveBuffer() { SDL_FreeWAV(data); }

    // SDL takes file names in UTF-8 on every system: in the code page, a
    // Japanese name would not open on Windows.
    bool load(const QString& path) {
        return SDL_LoadWAV(path.toUtf8().constData(), &spec, &data, &length) != nullptr;
    }
    double seconds() const {
        const int frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
        return frameBytes > 0 && spec.freq > 0 ? double(length) / frameBytes / spec.freq : 0;
    }
};

struct OpenDevice {
    SDL_AudioDeviceID id = 0;
    explicit OpenDevice(SDL_AudioDeviceID device) : id(device) {}
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;
    ~OpenDevice() {
        if (id != 0) SDL_CloseAudioDevice(id);
    }
};

} // namespace

SdlAudio::SdlAudio() {
    ensureReady();
}

SdlAudio::~SdlAudio() {
    if (ready_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudio::ensureReady() {
    if (ready_) return true;
    // SDL would otherwise take SIGINT and SIGTERM for its own event queue,
    // which this program never reads, and the program could not be stopped.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    ready_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    error_ = ready_ ? QString() : SdlError();
    return ready_;
}

PlayResult SdlSoundOutput::playToEnd(const QString& wavePath) {
    if (!audio_.ensureReady()) return {NoAudio, audio_.error()};

    WaveBuffer wave;
    if (!wave.load(wavePath)) return {FileUnreadable, SdlError()};

    SDL_AudioSpec desired = wave.spec;
    desired.samples = kDeviceSamples;
    desired.callback = nullptr; // samples are queued
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts if the device wants another format.
    const OpenDevice device(SDL_OpenAudioDevice(nullptr, 0, &desired, &obtained, 0));
    if (device.id == 0) return {NoDevice, SdlError()};

    if (SDL_QueueAudio(device.id, wave.data, wave.length) != 0) return {QueueFailed, SdlError()};
    SDL_PauseAudioDevice(device.id, 0);

    const Uint64 start = SDL_GetTicks64();
    const Uint64 limit = Uint64((wave.seconds() + kStallMarginSeconds) * 1000);
    while (SDL_GetQueuedAudioSize(device.id) > 0) {
        if (SDL_GetTicks64() - start > limit)
            return {Stalled, QStringLiteral("the sound device stopped playing %1").arg(wavePath)};
        SDL_Delay(5);
    }
    // The last block is still in the device's buffer; closing then lets it drain.
    SDL_Delay(Uint32(1000 * obtained.samples / std::max(1, obtained.freq)) + 1);
    return {Played, QString()};
}
