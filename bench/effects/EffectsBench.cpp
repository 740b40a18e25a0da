// Per-frame composition cost of the three transitions on a 1024 x 768 picture, against a plain
// memcpy of the same 3 MiB and against each figure's floor (the least the platform must do for
// the same result, on the transition's own surfaces), all measured in the same run.
//
// Run from any folder: it writes its two pictures there first.
#include <windows.h>
#include <d3d9.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
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

// One figure: the transition's time per frame and, where it has one, its floor (the least the
// platform must do for the same result, on the same surfaces), both measured in this run.
struct Figure {
    std::string name;
    double seconds = 0;      // per frame, fastest frame
    double median = 0;       // per frame, median frame
    std::string floorName;   // empty: no floor
    double floorSeconds = 0;
    double floorMedian = 0;
};

struct Rounded {
    double fastest;
    double median;
};

static Rounded Summarise(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

// Times frames single frames of ours, each followed by one of floor, so that a busy moment of
// the machine (other programs share it) falls on both alike. The fastest frame of each is the
// figure: the one least disturbed by others; the median shows how much they disturbed.
template <typename Ours, typename Floor>
static Figure MeasurePair(const char* name, const char* floorName, int frames, Ours ours, Floor floor)
{
    ours(); // warm up: first touch of every page
    floor();
    std::vector<double> a, b;
    for (int i = 0; i < frames; ++i) {
        double start = Seconds();
        ours();
        a.push_back(Seconds() - start);
        start = Seconds();
        floor();
        b.push_back(Seconds() - start);
    }
    const Rounded x = Summarise(a), y = Summarise(b);
    return {name, x.fastest, x.median, floorName ? floorName : "", y.fastest, y.median};
}

template <typename Ours>
static Figure Measure(const char* name, int frames, Ours ours)
{
    return MeasurePair(name, nullptr, frames, ours, [] {});
}

// A whole-surface lock for the floors: the platform's own call and nothing else.
struct Locked {
    IDirect3DSurface9* surface;
    D3DLOCKED_RECT rect = {};
    Locked(IDirect3DSurface9* s, DWORD flags) : surface(s)
    {
        if (!s || FAILED(s->LockRect(&rect, nullptr, flags))) rect.pBits = nullptr;
    }
    ~Locked()
    {
        if (rect.pBits) surface->UnlockRect();
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    bool ok() const { return rect.pBits != nullptr; }
    uint32_t* row(int y) const
    {
        return reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(rect.pBits) + size_t(y) * rect.Pitch);
    }
};

static std::vector<uint32_t> Pixels(IDirect3DSurface9* surface)
{
    std::vector<uint32_t> pixels;
    Locked locked(surface, D3DLOCK_READONLY);
    if (!locked.ok()) return pixels;
    for (int y = 0; y < Height; ++y) pixels.insert(pixels.end(), locked.row(y), locked.row(y) + Width);
    return pixels;
}

// Fade floor: the picks RenderFinalPicture makes (x, then y, each r * (size - 1) truncated, r =
// (rand mod 10001) * 0.0001f), with the generator every deliverable carries written out so that
// its state stays in a register, and one pixel copy from picture 2 per pick, on the fade's own
// surfaces locked for the frame. Picture 1 is not needed for the result and not touched.
static void FadeFloor(FadeScreen& fade, uint32_t& generator, int count)
{
    Locked from(fade.GetPict2(), D3DLOCK_READONLY), to(fade.finalPicture, 0);
    if (!from.ok() || !to.ok()) return;
    const float xRange = float(fade.width - 1), yRange = float(fade.height - 1);
    // Rows and pitches in locals: a pixel store could otherwise change the lock records as far
    // as the compiler knows, and every pick would read them again.
    const unsigned char* const in = static_cast<const unsigned char*>(from.rect.pBits);
    unsigned char* const out = static_cast<unsigned char*>(to.rect.pBits);
    const size_t inPitch = size_t(from.rect.Pitch), outPitch = size_t(to.rect.Pitch);
    uint32_t state = generator;
    for (int i = 0; i < count; ++i) {
        state = state * 214013u + 2531011u;
        const int x = int(float(((state >> 16) & 0x7FFF) % 10001) * 0.0001f * xRange);
        state = state * 214013u + 2531011u;
        const int y = int(float(((state >> 16) & 0x7FFF) % 10001) * 0.0001f * yRange);
        reinterpret_cast<uint32_t*>(out + y * outPitch)[x] = reinterpret_cast<const uint32_t*>(in + y * inPitch)[x];
    }
    generator = state;
}

// The fade floor must make the picture the library makes: both start from picture 1, the
// library's generator untouched so far (state 1) and the floor's from state 1 too. The library
// makes it in four frames, the floor in one.
static bool FadeFloorMakesTheSamePicture(FadeScreen& fade, IDirect3DDevice9* device, uint32_t& generator)
{
    fade.RenderPict1ToFinalPicture(device);
    for (int frame = 0; frame < 4; ++frame) fade.RenderFinalPicture(Width * Height / 4);
    const std::vector<uint32_t> library = Pixels(fade.finalPicture);
    fade.RenderPict1ToFinalPicture(device);
    FadeFloor(fade, generator, Width * Height);
    return !library.empty() && Pixels(fade.finalPicture) == library;
}

// Melt floor: the rows it writes, copied from picture 1 (or filled with one colour) into the
// final picture, both locked as the melt locks them.
static void CopyRows(IDirect3DSurface9* src, IDirect3DSurface9* dst)
{
    Locked from(src, D3DLOCK_READONLY), to(dst, 0);
    if (!from.ok() || !to.ok()) return;
    for (int y = 0; y < Height; ++y) memcpy(to.row(y), from.row(y), size_t(Width) * 4);
}

static void FillRows(IDirect3DSurface9* dst, uint32_t colour)
{
    Locked to(dst, 0);
    if (!to.ok()) return;
    for (int y = 0; y < Height; ++y) std::fill_n(to.row(y), Width, colour);
}

// One read and one write of every pixel, in place, that leaves the picture as it is.
static volatile uint32_t g_noChange = 0;
static void PassInPlace(IDirect3DSurface9* surface)
{
    Locked pixels(surface, 0);
    if (!pixels.ok()) return;
    const uint32_t mask = g_noChange;
    for (int y = 0; y < Height; ++y) {
        uint32_t* row = pixels.row(y);
        for (int x = 0; x < Width; ++x) row[x] ^= mask;
    }
}

// Waits until the device has done everything asked of it so far. Direct3D queues the surface
// copies to the device and returns at once; each measured pixelate frame ends here, so that a
// frame pays for its own copies and not for those of the frame before.
static void Finish(IDirect3DDevice9* device, IDirect3DQuery9* done)
{
    if (!done) return;
    done->Issue(D3DISSUE_END);
    while (done->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE) {
    }
}

// Pixelate floors: what reaches the back buffer must be copied there (UpdateSurface from the
// system-memory work surface), PixelateBackBuffer must first bring the back buffer into system
// memory (GetRenderTargetData), and one pass over the pixels stands for the pixelation.
static void ShowWork(IDirect3DDevice9* device, IDirect3DSurface9* work)
{
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return;
    device->UpdateSurface(work, nullptr, backBuffer, nullptr);
    backBuffer->Release();
}

static void FetchBackBuffer(IDirect3DDevice9* device, IDirect3DSurface9* work)
{
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return;
    device->GetRenderTargetData(backBuffer, work);
    backBuffer->Release();
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
    const Figure reference = Measure("memcpy 1024x768x4", 400, [&] {
        memcpy(to.data(), from.data(), bytes);
        from[bytes / 2] ^= to[bytes / 3]; // keep the copy from being optimised away
    });

    bool floorsHold = true;
    {
        FadeScreen fade;
        fade.init(Width, Height, "bench_a.dds", "bench_b.dds", device, D3DFMT_X8R8G8B8);
        fade.fillMode = 2;
        uint32_t generator = 1;
        // First of all: the check needs the library's generator at its first state.
        if (!FadeFloorMakesTheSamePicture(fade, device, generator)) {
            printf("bench_effects: the fade floor does not make the library's picture\n");
            floorsHold = false;
        }
        fade.RenderPict1ToFinalPicture(device);
        figures.push_back(MeasurePair("fade: RenderFinalPicture(1024*768)",
                                      "same picks and copies, generator inline", 80,
                                      [&] { fade.RenderFinalPicture(Width * Height); },
                                      [&] { FadeFloor(fade, generator, Width * Height); }));
        figures.push_back(Measure("fade: RenderFinalPicture(0), locks only", 200,
                                  [&] { fade.RenderFinalPicture(0); }));
    }
    {
        MeltScreen melt;
        melt.init(128, Width, Height, device, D3DFMT_X8R8G8B8);
        melt.initPict1("bench_a.dds", 0, false, device, D3DFMT_X8R8G8B8);
        melt.initPict2("bench_b.dds", 0, false, device, D3DFMT_X8R8G8B8);
        melt.fillMode = 2;
        melt.Simulate(90); // about half the columns' height melted
        figures.push_back(MeasurePair("melt: RenderFinalPicture (pictures)", "memcpy of its rows, same surfaces", 300,
                                      [&] { melt.RenderFinalPicture(); },
                                      [&] { CopyRows(melt.GetPict1(), melt.finalPicture); }));
        melt.fillMode = 0;
        figures.push_back(MeasurePair("melt: RenderFinalPicture (colours)", "fill of its rows, same surface", 300,
                                      [&] { melt.RenderFinalPicture(); },
                                      [&] { FillRows(melt.finalPicture, melt.color2); }));
    }
    {
        Pixelate pixelate;
        pixelate.init(device, "bench_a.dds", true);
        IDirect3DQuery9* done = nullptr;
        if (FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, &done))) done = nullptr;
        figures.push_back(MeasurePair("pixelate: RenderToBackSurface(16)",
                                      "one pass source to work, UpdateSurface to back buffer", 150,
                                      [&] {
                                          pixelate.RenderToBackSurface(device, 16);
                                          Finish(device, done);
                                      },
                                      [&] {
                                          CopyRows(pixelate.source, pixelate.work);
                                          ShowWork(device, pixelate.work);
                                          Finish(device, done);
                                      }));
        figures.push_back(MeasurePair("pixelate: PixelateBackBuffer(16)",
                                      "GetRenderTargetData, one pass in place, UpdateSurface", 150,
                                      [&] {
                                          pixelate.PixelateBackBuffer(device, 16);
                                          Finish(device, done);
                                      },
                                      [&] {
                                          FetchBackBuffer(device, pixelate.work);
                                          PassInPlace(pixelate.work);
                                          ShowWork(device, pixelate.work);
                                          Finish(device, done);
                                      }));
        if (done) done->Release();
    }

    const double megapixels = double(Width) * Height / 1e6;
    printf("%-42s %9s %9s %9s %9s %7s  %s\n", "per frame of 1024x768", "ms", "median", "floor ms", "median",
           "ratio", "floor");
    printf("%-42s %9.3f %9.3f\n", reference.name.c_str(), reference.seconds * 1e3, reference.median * 1e3);
    for (const Figure& f : figures) {
        if (f.floorName.empty()) {
            printf("%-42s %9.3f %9.3f\n", f.name.c_str(), f.seconds * 1e3, f.median * 1e3);
            continue;
        }
        printf("%-42s %9.3f %9.3f %9.3f %9.3f %7.2f  %s\n", f.name.c_str(), f.seconds * 1e3, f.median * 1e3,
               f.floorSeconds * 1e3, f.floorMedian * 1e3, f.seconds / f.floorSeconds, f.floorName.c_str());
    }
    printf("ms: fastest frame (median frame beside it); ratio: ours / floor; memcpy %.1f Mpixel/s\n",
           megapixels / reference.seconds);
    // Machine-readable: figure|ours|unit|reference|its value|unit|ours / reference, then
    // floor|its value|unit|ours / floor where there is a floor (times per frame).
    for (const Figure& f : figures) {
        printf("RESULT|%s, 1024x768|%.3f|ms|%s|%.3f|ms|%.2f", f.name.c_str(), f.seconds * 1e3, reference.name.c_str(),
               reference.seconds * 1e3, f.seconds / reference.seconds);
        if (!f.floorName.empty())
            printf("|%s|%.3f|ms|%.2f", f.floorName.c_str(), f.floorSeconds * 1e3, f.seconds / f.floorSeconds);
        printf("\n");
    }
    app.stop();
    return floorsHold ? 0 : 1;
}
