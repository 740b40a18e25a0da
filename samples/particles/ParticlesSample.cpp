// Particles sample: the graphics library's five particle effects side by side, animated, then
// the parts library's triangle grid seen by a circling camera.
//   particles.exe                   runs until the window is closed (Esc closes it)
//   particles.exe --shots FOLDER    plays each scene once and saves PNG frames into FOLDER
// The effects and the flame texture are read from the program's folder.
#include <windows.h>
#include <d3dx9.h>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include "Rain.h"
#include "FireRing.h"
#include "Sprinkler.h"
#include "Smoke.h"
#include "Candle.h"
#include "TriGrid.h"
#include "OXERenderDevice.h"
#include "OXEResult.h"

namespace {

const int Width = 1024, Height = 768;
const float Step = 1.0f / 30.0f; // simulated seconds per frame
const int SceneFrames = 150;
bool g_quit = false;

LRESULT CALLBACK SampleWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY || (msg == WM_KEYDOWN && wParam == VK_ESCAPE)) g_quit = true;
    return DefWindowProcA(window, msg, wParam, lParam);
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

void SaveShot(IDirect3DDevice9* device, const std::string& file)
{
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
    if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return;
    D3DSURFACE_DESC desc;
    backBuffer->GetDesc(&desc);
    if (SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(backBuffer, copy))) {
        HRESULT hr = D3DXSaveSurfaceToFileA(file.c_str(), D3DXIFF_PNG, copy, nullptr, nullptr);
        std::printf("%s %s\n", SUCCEEDED(hr) ? "saved" : "could not save", file.c_str());
    }
    if (copy) copy->Release();
    backBuffer->Release();
}

bool PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !g_quit;
}

typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);
typedef HRESULT (*ReleaseFn)(OXERenderDevice**);

// A render device from one of the engine libraries (each library draws with its own device's
// shared declarations).
OXERenderDevice* StartDevice(const char* library, HWND window)
{
    HMODULE m = GetModuleHandleA(library);
    CreateFn create = m ? (CreateFn)GetProcAddress(m, "CreateRenderDevice") : nullptr;
    OXERenderDevice* device = nullptr;
    if (!create || create(m, &device) != OXE_OK || !device) return nullptr;
    if (device->Init(window, 16, 8, false, false) != OXE_OK) return device;
    device->CreateVertexDeclarations();
    return device;
}

void StopDevice(const char* library, OXERenderDevice*& device)
{
    HMODULE m = GetModuleHandleA(library);
    ReleaseFn release = m ? (ReleaseFn)GetProcAddress(m, "ReleaseRenderDevice") : nullptr;
    if (release && device) release(&device);
    device = nullptr;
}

// One effect in one cell of a 3 x 2 layout, with the camera that frames it.
struct Cell {
    const char* name;
    std::unique_ptr<PSystem> system;
    D3DXVECTOR3 eye, target;
};

void ParticleScene(IDirect3DDevice9* d3d, const std::string& shots)
{
    const std::string dir = ProgramFolder();
    const std::string tex = dir + "torch.dds";
    OXEAabb box(D3DXVECTOR3(-1000, -1000, -1000), D3DXVECTOR3(1000, 1000, 1000));
    Cell cells[5] = {
        {"rain", std::make_unique<RainEffect>(dir + "rain.fx", "RainTech", tex, D3DXVECTOR3(0, 0, 0), box, 2000, 0.002f, D3DXVECTOR3(0, 0, 0)),
         D3DXVECTOR3(0, 25, -180), D3DXVECTOR3(0, 25, 0)},
        {"firering", std::make_unique<FireRingEffect>(dir + "firering.fx", "FireRingTech", tex, D3DXVECTOR3(0, 0.9f, 0), box, 1500, 0.003f),
         D3DXVECTOR3(0, 0, -55), D3DXVECTOR3(0, 0, 0)},
        {"sprinkler", std::make_unique<SprinklerEffect>(dir + "sprinkler.fx", "SprinklerTech", tex, D3DXVECTOR3(-1, -9.8f, 0), box, 1500, 0.004f),
         D3DXVECTOR3(0, 12, -70), D3DXVECTOR3(0, 12, 0)},
        {"smoke", std::make_unique<SmokeEffect>(dir + "smoke.fx", "SmokeTech", tex, D3DXVECTOR3(0, 0, 0), box, 800, 0.02f),
         D3DXVECTOR3(0, 200, -650), D3DXVECTOR3(0, 200, 0)},
        {"candle", std::make_unique<CandleEffect>(dir + "candle.fx", "CandleTech", tex, D3DXVECTOR3(0, 0.9f, 0), box, 500, 0.005f),
         D3DXVECTOR3(0, 3, -35), D3DXVECTOR3(0, 3, 0)},
    };
    const int cellW = Width / 3, cellH = Height / 2;
    for (int frame = 0; PumpMessages(); ++frame) {
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF101820, 1.0f, 0);
        d3d->BeginScene();
        for (int i = 0; i < 5; ++i) {
            Cell& c = cells[i];
            c.system->update(Step);
            D3DVIEWPORT9 vp = {DWORD((i % 3) * cellW), DWORD((i / 3) * cellH), DWORD(cellW), DWORD(cellH), 0.0f, 1.0f};
            d3d->SetViewport(&vp);
            Camera cam;
            cam.lookAt(c.eye, c.target, D3DXVECTOR3(0, 1, 0));
            cam.setLens(D3DX_PI / 4, float(cellW) / cellH, 1.0f, 5000.0f);
            cam.update(0.0f);
            c.system->draw(cam);
        }
        D3DVIEWPORT9 full = {0, 0, Width, Height, 0.0f, 1.0f};
        d3d->SetViewport(&full);
        d3d->EndScene();
        if (!shots.empty() && (frame == 45 || frame == SceneFrames - 1))
            SaveShot(d3d, shots + "\\particles-effects-" + (frame == 45 ? "early" : "late") + ".png");
        d3d->Present(nullptr, nullptr, nullptr, nullptr);
        if (!shots.empty() && frame + 1 == SceneFrames) break;
        if (shots.empty()) Sleep(10);
    }
}

void GridScene(IDirect3DDevice9* d3d, const std::string& shots)
{
    TriGrid grid;
    grid.buildGeoBuffers(d3d, 33, 33);
    grid.buildFX(d3d);
    D3DXMATRIX view, proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, float(Width) / Height, 0.5f, 500.0f);
    for (int frame = 0; PumpMessages(); ++frame) {
        float angle = frame * 0.02f;
        D3DXVECTOR3 eye(30.0f * std::sin(angle), 14.0f, -30.0f * std::cos(angle)), at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF101820, 1.0f, 0);
        d3d->BeginScene();
        grid.Render(d3d, view, proj);
        d3d->EndScene();
        if (!shots.empty() && frame == 40) SaveShot(d3d, shots + "\\particles-grid.png");
        d3d->Present(nullptr, nullptr, nullptr, nullptr);
        if (!shots.empty() && frame + 1 == 60) break;
        if (shots.empty()) Sleep(10);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    std::string shots;
    if (const char* flag = std::strstr(commandLine, "--shots")) {
        shots = flag + 7;
        shots.erase(0, shots.find_first_not_of(" \""));
        shots.erase(shots.find_last_not_of(" \"") + 1);
        if (shots.empty()) shots = ".";
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SampleWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "PelmoraParticles";
    RegisterClassA(&wc);
    RECT r = {0, 0, Width, Height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowA(wc.lpszClassName, "PelmoraGraf particles", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);

    // The particle effects draw on the graphics library's device, the grid on the parts library's.
    OXERenderDevice* graf = StartDevice("PelmoraGraf.dll", window);
    if (!graf || !graf->GetD3DDevice()) {
        MessageBoxA(window, "No render device.", "particles", MB_OK);
        return 1;
    }
    ParticleScene(graf->GetD3DDevice(), shots);
    StopDevice("PelmoraGraf.dll", graf);
    if (g_quit) return 0;

    // The grid opens "transform.fx" from the working folder.
    CopyFileA((ProgramFolder() + "transform.fx").c_str(), "transform.fx", FALSE);
    OXERenderDevice* parts = StartDevice("PelmoraParts.dll", window);
    if (parts && parts->GetD3DDevice()) GridScene(parts->GetD3DDevice(), shots);
    StopDevice("PelmoraParts.dll", parts);
    return 0;
}
