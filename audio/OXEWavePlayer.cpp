#include "OXEWavePlayer.h"
#include <mmsystem.h>
#include <cstring>

void OXEWavePlayer::Open(const char* directory, bool silent)
{
    directory_ = directory ? directory : "";
    if (!directory_.empty() && directory_.back() != '\\' && directory_.back() != '/')
        directory_ += '\\';
    silent_ = silent || waveOutGetNumDevs() == 0;
    playing_ = false;
}

std::string OXEWavePlayer::PathFor(const char* name) const
{
    if (!name || !*name)
        return std::string();
    std::string path = directory_ + name;
    // Add ".wav" when the last path element has no extension.
    const char* base = name;
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '/')
            base = c + 1;
    if (!std::strchr(base, '.'))
        path += ".wav";
    if (path.size() >= MAX_PATH)
        return std::string();
    return path;
}

bool OXEWavePlayer::Play(const char* name, bool loop)
{
    std::string path = PathFor(name);
    if (path.empty())
        return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (silent_)
        return true;
    DWORD flags = SND_FILENAME | SND_ASYNC | SND_NODEFAULT | (loop ? SND_LOOP : 0);
    playing_ = PlaySoundA(path.c_str(), nullptr, flags) != FALSE;
    return playing_;
}

void OXEWavePlayer::Stop()
{
    if (playing_)
        PlaySoundA(nullptr, nullptr, 0);
    playing_ = false;
}
