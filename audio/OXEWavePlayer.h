// Plays .wav files of one folder through the system's sound playback (PlaySound). On a machine
// without any wave output device it stays silent: every request succeeds and plays nothing.
#pragma once
#include <windows.h>
#include <string>

class OXEWavePlayer {
public:
    // Remembers the folder the sounds are read from and whether wave output exists; silent
    // forces silence even with an output device.
    void Open(const char* directory, bool silent);
    // Starts the file name (relative to the folder; ".wav" added when it has no extension)
    // asynchronously, looping if asked. False for a name that cannot be a file name (null,
    // empty, too long), a file that does not exist, or, with sound output, a file the system
    // cannot play. Silent: true for an existing file, and nothing is played.
    bool Play(const char* name, bool loop);
    // Stops whatever is playing.
    void Stop();
    bool IsSilent() const { return silent_; }
    const std::string& Directory() const { return directory_; }
    // The full path Play would use for a name; empty when the name is refused.
    std::string PathFor(const char* name) const;

private:
    std::string directory_; // the sound folder, ending in a backslash (or empty: working folder)
    bool silent_ = true;    // no wave output device: nothing is ever played
    bool playing_ = false;  // a sound was started and not stopped
};
