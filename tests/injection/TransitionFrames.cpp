// Scenario host of the injection test: sets up the fade, the melt and the pixelate of
// PelmoraEffects.dll on the application frame's device and draws two frames of each, then
// calls their remaining operations once (the melt's and the pixelate's screen captures and
// render-target switches). After each operation a line "host <operation> <code>" goes into the
// injection report (and to stdout): its result code, 0 for those that answer none. The test
// sees from it which operation a failure happened in and what that operation answered.
//
//   transition_frames.exe --frames 8     (the frame's scripted run: no message boxes)
#include <windows.h>
#include <d3d9.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "HostResult.h"
#include "PelmoraApp.h"
#include "FadeScreen.h"
#include "MeltScreen.h"
#include "Pixelate.h"

namespace {

const int Width = 160;
const int Height = 120;
const char* PictureA = "frames_a.dds";
const char* PictureB = "frames_b.dds";

// An uncompressed X8R8G8B8 DDS file of Width x Height pixels.
bool WritePicture(const char* file, uint32_t seed)
{
    std::vector<uint32_t> data(32, 0);
    data[0] = 0x20534444; // "DDS "
    data[1] = 124;
    data[2] = 0x1 | 0x2 | 0x4 | 0x8 | 0x1000;
    data[3] = Height;
    data[4] = Width;
    data[5] = Width * 4;
    data[19] = 32;
    data[20] = 0x40;
    data[22] = 32;
    data[23] = 0x00FF0000;
    data[24] = 0x0000FF00;
    data[25] = 0x000000FF;
    data[27] = 0x1000;
    for (int i = 0; i < Width * Height; ++i) data.push_back(0xFF000000u | (uint32_t(i) * seed));
    FILE* f = std::fopen(file, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 4, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Transition frames";
    settings.width = Width;
    settings.height = Height;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    if (!WritePicture(PictureA, 0x010203) || !WritePicture(PictureB, 0x030201)) {
        std::fprintf(stderr, "transition_frames: cannot write the pictures\n");
        app.stop();
        return 1;
    }
    {
        IDirect3DDevice9* device = app.d3d();
        FadeScreen fade;
        MeltScreen melt;
        Pixelate pixelate;
        fade.init(Width, Height, PictureA, PictureB, device, D3DFMT_X8R8G8B8);
        Result("fade.init", 0);
        melt.init(16, Width, Height, device, D3DFMT_X8R8G8B8);
        Result("melt.init", 0);
        melt.initPict1(PictureA, 0, false, device, D3DFMT_X8R8G8B8);
        Result("melt.initPict1", 0);
        melt.initPict2(PictureB, 0, false, device, D3DFMT_X8R8G8B8);
        Result("melt.initPict2", 0);
        melt.fillMode = 2;
        Result("melt.SetPicture2", melt.SetPicture2(PictureB));
        pixelate.init(device, PictureA, true);
        Result("pixelate.init", 0);

        int frame = 0;
        app.run([&](float) {
            switch (frame++) {
            case 0:
                fade.RenderPict1ToFinalPicture(device);
                Result("fade.RenderPict1ToFinalPicture", 0);
                // fall through
            case 1:
                Result("fade.RenderFinalPicture", fade.RenderFinalPicture(Width * Height / 4));
                fade.RenderToBackBuffer(device);
                Result("fade.RenderToBackBuffer", 0);
                break;
            case 2:
                melt.InitWorms(0);
                // fall through
            case 3:
                melt.Simulate(4);
                Result("melt.RenderFinalPicture", melt.RenderFinalPicture());
                melt.RenderToBackBuffer(device);
                Result("melt.RenderToBackBuffer", 0);
                break;
            case 4:
            case 5:
                Result("pixelate.RenderToBackSurface", pixelate.RenderToBackSurface(device, 2 + frame));
                break;
            case 6:
                Result("pixelate.PixelateBackBuffer", pixelate.PixelateBackBuffer(device, 3));
                pixelate.CaptureBackBufferToSurface(device);
                Result("pixelate.CaptureBackBufferToSurface", 0);
                pixelate.CopyBackBuffeToSrc(device);
                Result("pixelate.CopyBackBuffeToSrc", 0);
                pixelate.SaveOldTarget(device);
                Result("pixelate.SaveOldTarget", 0);
                pixelate.RenderToSrc(device);
                Result("pixelate.RenderToSrc", 0);
                pixelate.RestoreOldTarget(device);
                Result("pixelate.RestoreOldTarget", 0);
                break;
            default:
                melt.CaptureScreenToSurf(device, melt.GetPict2());
                Result("melt.CaptureScreenToSurf", 0);
                melt.Reset(device);
                Result("melt.Reset", 0);
                break;
            }
            return true;
        });
    }
    return app.stop();
}
