// The audio device of PelmoraAudio.dll: plays .wav files from the folder given to Init.
// A machine without sound output starts it all the same; it then plays nothing.
#pragma once
#include "OXEAudioDevice.h"
#include "OXEWavePlayer.h"

class OXEWaveAudioDevice : public OXEAudioDevice {
public:
    OXEWaveAudioDevice() = default;
    ~OXEWaveAudioDevice() override;

    HRESULT Init(HWND window, const char* directory, int enabled) override;
    void Release() override;
    bool IsRunning() const override;
    HRESULT PlaySoundFile(const char* fileName, bool loop) override;
    HRESULT StopSounds() override;

    // True when Init found no sound output (or was told to stay silent).
    bool IsSilent() const { return player_.IsSilent(); }

private:
    HWND window_ = nullptr; // the window given to Init
    bool running_ = false;  // between a successful Init and Release
    OXEWavePlayer player_;  // the sound folder and the playing sound
};
