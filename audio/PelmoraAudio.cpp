// PelmoraAudio.dll: the audio device the game loads by name.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT CreateAudioDevice(HINSTANCE, void** device)
{
    if (device) *device = nullptr;
    return E_FAIL;
}
