#include "OXEWaveAudioDevice.h"

OXEWaveAudioDevice::~OXEWaveAudioDevice()
{
    Release();
}

HRESULT OXEWaveAudioDevice::Init(HWND window, const char* directory, int enabled)
{
    Release();
    if (!directory)
        return E_INVALIDARG;
    window_ = window;
    player_.Open(directory, enabled == 0);
    running_ = true;
    return S_OK;
}

void OXEWaveAudioDevice::Release()
{
    if (running_)
        player_.Stop();
    running_ = false;
    window_ = nullptr;
}

bool OXEWaveAudioDevice::IsRunning() const
{
    return running_;
}

HRESULT OXEWaveAudioDevice::PlaySoundFile(const char* fileName, bool loop)
{
    if (!running_)
        return E_FAIL;
    return player_.Play(fileName, loop) ? S_OK : E_FAIL;
}

HRESULT OXEWaveAudioDevice::StopSounds()
{
    if (!running_)
        return E_FAIL;
    player_.Stop();
    return S_OK;
}
