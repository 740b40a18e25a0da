// Transitions sample: plays the fade, the melt and the pixelate of PelmoraEffects between two
// pictures that it draws itself at start and writes as DDS files into the working folder.
//
//   transitions.exe                  plays the three transitions in a loop; Esc quits
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
#include "FadeScreen.h"
#include "MeltScreen.h"
#include "Pixelate.h"

static const int Width = 800;
static const int Height = 600;
static const char* PictureA = "transition_a.dds";
static const char* PictureB = "transition_b.dds";

static bool g_quit = false;

static LRESULT CALLBACK SampleWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY || (msg == WM_KEYDOWN && wp == VK_ESCAPE)) g_quit = true;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

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

// Saves what the back buffer holds now as a PNG.
static void SaveShot(IDirect3DDevice9* device, const std::string& file)
{
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return;
    if (SUCCEEDED(device->CreateOffscreenPlainSurface(Width, Height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                      &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(backBuffer, copy))) {
        HRESULT hr = D3DXSaveSurfaceToFileA(file.c_str(), D3DXIFF_PNG, copy, nullptr, nullptr);
        printf("%s %s\n", SUCCEEDED(hr) ? "saved" : "could not save", file.c_str());
    }
    if (copy) copy->Release();
    backBuffer->Release();
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    std::string shots;
    const char* flag = strstr(commandLine, "--shots");
    if (flag) {
        shots = flag + 7;
        shots.erase(0, shots.find_first_not_of(" \""));
        shots.erase(shots.find_last_not_of(" \"") + 1);
        if (shots.empty()) shots = ".";
    }

    if (!WritePicture(PictureA, PixelA) || !WritePicture(PictureB, PixelB)) {
        MessageBoxA(nullptr, "Cannot write the pictures into the working folder.", "transitions", MB_OK);
        return 1;
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = SampleWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "PelmoraTransitions";
    RegisterClassA(&wc);
    RECT r = {0, 0, Width, Height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowA(wc.lpszClassName, "PelmoraEffects transitions", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);

    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferWidth = Width;
    pp.BackBufferHeight = Height;
    pp.hDeviceWindow = window;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    IDirect3DDevice9* device = nullptr;
    if (!d3d || FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device))) {
        MessageBoxA(window, "No Direct3D 9 device.", "transitions", MB_OK);
        return 1;
    }

    {
        Show show(device);
        for (int frame = 0; !g_quit; ++frame) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (g_quit) break;
            const char* middle = show.frame(frame);
            if (middle && !shots.empty()) SaveShot(device, shots + "\\transitions-" + middle + ".png");
            device->Present(nullptr, nullptr, nullptr, nullptr);
            if (!shots.empty() && frame + 1 == show.loopFrames()) break;
            if (shots.empty()) Sleep(10);
        }
    }
    device->Release();
    d3d->Release();
    return 0;
}
