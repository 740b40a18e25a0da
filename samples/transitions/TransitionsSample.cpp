// Transitions sample: plays the fade, the melt and the pixelate of PelmoraEffects between two
// pictures that it draws itself at start and writes as DDS files into the working folder, on
// the application frame (the Direct3D device of PelmoraGraf's render device).
//
//   transitions.exe                  plays the three transitions in a loop; Esc quits
//   transitions.exe --shot FILE [--frames N]   saves frame N (30) as PNG and quits
//   transitions.exe --shots FOLDER   plays them once, saves a PNG from the course of each
//                                    (FOLDER\transitions-fade.png, -melt.png, -pixelate.png)
//                                    and quits
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "PelmoraApp.h"
#include "FadeScreen.h"
#include "MeltScreen.h"
#include "Pixelate.h"

static const int Width = 800;
static const int Height = 600;
static const char* PictureA = "transition_a.dds";
static const char* PictureB = "transition_b.dds";

static uint32_t Rgb(double r, double g, double b)
{
    auto channel = [](double v) { return uint32_t(v < 0 ? 0 : v > 1 ? 255 : v * 255.0); };
    return 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

// Picture A: a warm sunset of rings round a low sun. Picture B: a cool tiled floor.
static uint32_t PixelA(int x, int y)
{
    const double dx = (x - Width * 0.5) / Width, dy = (y - Height * 0.8) / Height;
    const double d = std::sqrt(dx * dx + dy * dy);
    const double ring = 0.5 + 0.5 * std::cos(d * 60.0);
    if (d < 0.12) return Rgb(1.0, 0.92, 0.55);
    return Rgb(0.95 - d * 0.6, 0.35 + 0.25 * ring - d * 0.3, 0.25 + 0.3 * (1.0 - y / double(Height)));
}

static uint32_t PixelB(int x, int y)
{
    const bool tile = ((x / 50) + (y / 50)) % 2 == 0;
    const double stripe = 0.5 + 0.5 * std::sin((x + y) * 0.08);
    return tile ? Rgb(0.1, 0.35 + 0.2 * stripe, 0.6) : Rgb(0.85, 0.9, 0.95 - 0.15 * stripe);
}

static bool WritePicture(const char* file, uint32_t (*pixel)(int, int))
{
    std::vector<uint32_t> data(32, 0); // DDS header: uncompressed X8R8G8B8
    data[0] = 0x20534444;
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
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) data.push_back(pixel(x, y));
    FILE* f = fopen(file, "wb");
    if (!f) return false;
    bool ok = fwrite(data.data(), 4, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

// The three transitions, one after the other, frame by frame.
class Show {
public:
    explicit Show(IDirect3DDevice9* device) : device_(device)
    {
        fade_.init(Width, Height, PictureA, PictureB, device, D3DFMT_X8R8G8B8);
        fade_.fillMode = 2;
        melt_.init(128, Width, Height, device, D3DFMT_X8R8G8B8);
        melt_.initPict1(PictureB, 0, false, device, D3DFMT_X8R8G8B8);
        melt_.initPict2(PictureA, 0, false, device, D3DFMT_X8R8G8B8);
        melt_.fillMode = 2;
        pixelate_.init(device, PictureA, true);
    }

    // Draws frame number frame of the loop onto the back buffer; returns the name of the
    // transition when this frame is the one to take a screenshot of, else null.
    const char* frame(int frame)
    {
        const int t = frame % loopFrames();
        if (t < fadeFrames) {
            if (t == 0) fade_.RenderPict1ToFinalPicture(device_);
            fade_.RenderFinalPicture(Width * Height / 80);
            fade_.RenderToBackBuffer(device_);
            return t == fadeFrames / 4 ? "fade" : nullptr; // about half the pixels done
        }
        if (t < fadeFrames + meltFrames) {
            const int m = t - fadeFrames;
            if (m == 0) melt_.InitWorms(0); // all columns back at the top, new speeds
            melt_.Simulate(1);
            melt_.RenderFinalPicture();
            melt_.RenderToBackBuffer(device_);
            return m == 60 ? "melt" : nullptr;
        }
        // Pixelate out to blocks of 60 pixels and back in.
        const int p = t - fadeFrames - meltFrames;
        const int block = 1 + (p < pixelateFrames / 2 ? p : pixelateFrames - 1 - p);
        pixelate_.RenderToBackSurface(device_, block);
        return p == 40 ? "pixelate" : nullptr;
    }
    int loopFrames() const { return fadeFrames + meltFrames + pixelateFrames; }

private:
    static const int fadeFrames = 200;     // 1.2 million picks: about nine pixels in ten done
    static const int meltFrames = 160;     // one step a frame; the slowest columns need 150
    static const int pixelateFrames = 120; // blocks 1 to 60 and back

    IDirect3DDevice9* device_;
    FadeScreen fade_;
    MeltScreen melt_;
    Pixelate pixelate_;
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "PelmoraEffects transitions";
    settings.width = Width;
    settings.height = Height;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    // --shots FOLDER, the sample's own option, is left to it by the frame.
    std::string shots;
    const std::vector<std::string>& args = app.arguments();
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i] == "--shots") shots = i + 1 < args.size() ? args[i + 1] : ".";

    if (!WritePicture(PictureA, PixelA) || !WritePicture(PictureB, PixelB)) {
        fprintf(stderr, "transitions: cannot write the pictures into the working folder\n");
        app.stop();
        return 1;
    }
    {
        Show show(app.d3d());
        int frame = 0;
        app.run([&](float) {
            const char* middle = show.frame(frame);
            if (middle && !shots.empty()) app.saveShot(shots + "\\transitions-" + middle + ".png");
            ++frame;
            if (shots.empty() && !app.scripted()) Sleep(10);
            return shots.empty() || frame < show.loopFrames();
        });
    }
    return app.stop();
}
