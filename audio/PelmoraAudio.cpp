// PelmoraAudio.dll: the audio device the game loads by name.
#include <windows.h>
#include <new>
#include "OXEWaveAudioDevice.h"

// Fills *device with a new audio device owned by this library (destroyed through its virtual
// destructor). E_POINTER without an output, E_OUTOFMEMORY when nothing could be allocated.
extern "C" __declspec(dllexport) HRESULT CreateAudioDevice(HINSTANCE, OXEAudioDevice** device)
{
    if (!device)
        return E_POINTER;
    *device = new (std::nothrow) OXEWaveAudioDevice();
    return *device ? S_OK : E_OUTOFMEMORY;
}
