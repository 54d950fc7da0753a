#pragma once
// The real sound output: SDL2 audio on whatever the machine has (PipeWire,
// PulseAudio, ALSA; the "disk" and "dummy" drivers in tests).

#include "core/Platform.h"

// Owns SDL's audio subsystem for the life of the program: made once in main.
// When the machine has no audio at start-up, each play tries again.
class SdlAudio {
  public:
    SdlAudio();
    ~SdlAudio();
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    // True when the subsystem is up; otherwise error() says why.
    bool ensureReady();
    const QString& error() const { return error_; }

  private:
    bool ready_ = false;
    QString error_;
};

class SdlSoundOutput : public SoundOutput {
  public:
    // Result codes; the error text is SDL's.
    enum Code {
        Played = 0,
        NoAudio = 1,
        FileUnreadable = 2,
        NoDevice = 3,
        QueueFailed = 4,
        Stalled = 5
    };

    explicit SdlSoundOutput(SdlAudio& audio) : audio_(audio) {}
    PlayResult playToEnd(const QString& wavePath) override;

  private:
    SdlAudio& audio_;
};
