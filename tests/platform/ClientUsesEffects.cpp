// Calls every documented operation of the PelmoraEffects transitions, as a client program would.
// Never run; see ClientUsesParts.cpp. (The engine strings passed by value are PelmoraParts'.)
#include <new>
#include "ClientDeclarations.h"

void UseEffectsLibrary(void* m, IDirect3DDevice9* dev, advString& s, IDirect3DSurface9* surf)
{
    FadeScreen& f = *new (m) FadeScreen();
    f.init(1, 1, s, s, dev, D3DFMT_A8R8G8B8); f.initPict1(s, dev); f.initPict2(s, dev);
    f.RenderPict1ToFinalPicture(dev); f.RenderFinalPicture(1); f.RenderToBackBuffer(dev);
    f.GetPict1(); f.GetPict2();
    f.~FadeScreen();

    MeltScreen& me = *new (m) MeltScreen();
    me.init(1, 1, 1, dev, D3DFMT_A8R8G8B8); me.InitWorms(0); me.SetWormsWidth(1); me.Simulate(1);
    me.GetSingleWormWidth();
    me.initPict1(s, 0, true, dev, D3DFMT_A8R8G8B8); me.initPict2(s, 0, true, dev, D3DFMT_A8R8G8B8);
    me.SetPicture1(s); me.SetPicture2(s); me.RenderFinalPicture(); me.RenderToBackBuffer(dev);
    me.Reset(dev); me.CaptureScreenToSurf(dev, surf); me.CopyBackBuffer(dev, 1);
    me.GetPict1(); me.GetPict2(); me.Log("%d", 1);
    me.~MeltScreen();

    Pixelate& px = *new (m) Pixelate();
    px.init(dev, s, true); px.RenderToBackSurface(dev, 1); px.PixelateBackBuffer(dev, 1);
    px.CaptureBackBufferToSurface(dev); px.CopyBackBuffeToSrc(dev);
    px.SaveOldTarget(dev); px.RenderToSrc(dev); px.RestoreOldTarget(dev);
    px.~Pixelate();
}
