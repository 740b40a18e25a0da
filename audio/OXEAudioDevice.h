// OXEAudioDevice: the audio device interface that PelmoraAudio.dll implements and the game calls.
// Virtual slots are fixed:
//   slot 0 destructor, 1 Init, 2 Release, 3 IsRunning, 4 PlaySoundFile, 5 StopSounds.
// (With g++ the destructor takes two vtable entries, so slot n >= 1 is vtable index n + 1.)
#pragma once
#include <windows.h>

class OXEAudioDevice {
public:
    // Slot 0. Frees whatever Release has not freed yet.
    virtual ~OXEAudioDevice() {}

    // Slot 1. Starts the device for the window; directory is the folder sound files are looked
    // up in (the game passes its current directory). enabled 0 keeps the device silent; the game
    // passes 1. A machine without sound output still succeeds and stays silent.
    // Negative result on failure (for example a null directory).
    virtual HRESULT Init(HWND window, const char* directory, int enabled) = 0;

    // Slot 2. Stops every sound and frees the device; safe to call twice.
    virtual void Release() = 0;

    // Slot 3. True between a successful Init and Release.
    virtual bool IsRunning() const = 0;

    // Slot 4. Plays a sound file of the Init directory (a plain name such as "drop.wav"),
    // once or looping. Negative result when the device is not running, the name is null or
    // empty, or the file cannot be played.
    virtual HRESULT PlaySoundFile(const char* fileName, bool loop) = 0;

    // Slot 5. Stops whatever is playing.
    virtual HRESULT StopSounds() = 0;
};

// The factory PelmoraAudio.dll exports with C linkage as "CreateAudioDevice": fills *device
// with a new device owned by the library; negative result (and *device null) on failure.
typedef HRESULT (*CREATEAUDIODEVICE)(HINSTANCE module, OXEAudioDevice** device);
