// Per-frame composition cost of the three transitions on a 1024 x 768 picture, against a plain
// memcpy of the same 3 MiB measured in the same run. Prints megapixels per second and the ratio.
//
// Run from any folder: it writes its two pictures there first.
#include <windows.h>
#include <d3d9.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>
#include "PelmoraApp.h"
#include "FadeScreen.h"
#include "MeltScreen.h"
#include "Pixelate.h"

static const int Width = 1024;
static const int Height = 768;

static double Seconds()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// An uncompressed X8R8G8B8 DDS picture with a simple pattern.
static bool WritePicture(const char* file, int seed)
{
    std::vector<uint32_t> data(32, 0);
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
        for (int x = 0; x < Width; ++x)
            data.push_back(0xFF000000u | uint32_t((x + seed) & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | uint32_t(seed));
    FILE* f = fopen(file, "wb");
    if (!f) return false;
    bool ok = fwrite(data.data(), 4, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

struct Figure {
    const char* name;
    double secondsPerFrame;
};

template <typename Frame>
static Figure Measure(const char* name, int frames, Frame frame)
{
    frame(); // warm up: first touch of every page
    const double start = Seconds();
    for (int i = 0; i < frames; ++i) frame();
    return {name, (Seconds() - start) / frames};
}

int main()
{
    // The window and the Direct3D device of PelmoraGraf's render device, Width x Height, from the
    // application frame.
    PelmoraAppSettings settings;
    settings.title = "bench_effects";
    settings.width = Width;
    settings.height = Height;
    settings.flushLog = false;
    settings.messageBoxes = false;
    PelmoraApp app(settings);
    if (!app.start()) {
        printf("bench_effects: no Direct3D device\n");
        return 1;
    }
    IDirect3DDevice9* device = app.d3d();
    if (!WritePicture("bench_a.dds", 1) || !WritePicture("bench_b.dds", 2)) {
        printf("bench_effects: cannot write the pictures\n");
        return 1;
    }

    const size_t bytes = size_t(Width) * Height * 4;
    std::vector<unsigned char> from(bytes, 1), to(bytes, 0);
    std::vector<Figure> figures;
    const Figure reference = Measure("memcpy 1024x768x4", 200, [&] {
        memcpy(to.data(), from.data(), bytes);
        from[bytes / 2] ^= to[bytes / 3]; // keep the copy from being optimised away
    });

    {
        FadeScreen fade;
        fade.init(Width, Height, "bench_a.dds", "bench_b.dds", device, D3DFMT_X8R8G8B8);
        fade.fillMode = 2;
        fade.RenderPict1ToFinalPicture(device);
        figures.push_back(Measure("fade: RenderFinalPicture(1024*768)", 20,
                                  [&] { fade.RenderFinalPicture(Width * Height); }));
        figures.push_back(Measure("fade: RenderFinalPicture(0), locks only", 50,
                                  [&] { fade.RenderFinalPicture(0); }));
    }
    {
        MeltScreen melt;
        melt.init(128, Width, Height, device, D3DFMT_X8R8G8B8);
        melt.initPict1("bench_a.dds", 0, false, device, D3DFMT_X8R8G8B8);
        melt.initPict2("bench_b.dds", 0, false, device, D3DFMT_X8R8G8B8);
        melt.fillMode = 2;
        melt.Simulate(90); // about half the columns' height melted
        figures.push_back(Measure("melt: RenderFinalPicture (pictures)", 50, [&] { melt.RenderFinalPicture(); }));
        melt.fillMode = 0;
        figures.push_back(Measure("melt: RenderFinalPicture (colours)", 50, [&] { melt.RenderFinalPicture(); }));
    }
    {
        Pixelate pixelate;
        pixelate.init(device, "bench_a.dds", true);
        figures.push_back(Measure("pixelate: RenderToBackSurface(16)", 50,
                                  [&] { pixelate.RenderToBackSurface(device, 16); }));
        figures.push_back(Measure("pixelate: PixelateBackBuffer(16)", 50,
                                  [&] { pixelate.PixelateBackBuffer(device, 16); }));
    }

    const double megapixels = double(Width) * Height / 1e6;
    const double referenceRate = megapixels / reference.secondsPerFrame;
    printf("%-40s %10s %12s %8s\n", "per frame of 1024x768", "ms", "Mpixel/s", "ratio");
    printf("%-40s %10.3f %12.1f %8.3f\n", reference.name, reference.secondsPerFrame * 1e3, referenceRate, 1.0);
    for (const Figure& f : figures) {
        const double rate = megapixels / f.secondsPerFrame;
        printf("%-40s %10.3f %12.1f %8.3f\n", f.name, f.secondsPerFrame * 1e3, rate, rate / referenceRate);
    }
    // Machine-readable: figure|ours|unit|reference|its value|unit|ours / reference (times per frame).
    for (const Figure& f : figures) {
        printf("RESULT|%s, 1024x768|%.3f|ms|%s|%.3f|ms|%.2f\n", f.name, f.secondsPerFrame * 1e3, reference.name,
               reference.secondsPerFrame * 1e3, f.secondsPerFrame / reference.secondsPerFrame);
    }
    printf("ratio: the transition's pixels per second divided by memcpy's for the same bytes\n");
    app.stop();
    return 0;
}
