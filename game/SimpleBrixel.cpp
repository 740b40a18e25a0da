// SimpleBrixel: the application shell. The window, the start-up of the three devices (render
// device from PelmoraGraf.dll, audio and input devices from PelmoraAudio.dll and
// PelmoraInput.dll, all loaded by name), the fixed render settings, the game's graphic objects,
// the main loop and the shutdown.
#include <windows.h>
#include <cstdio>
#include "OXED3D.h"
#include "OXEResult.h"
#include "LibraryLoader.h"
#include "OXEInputDevice.h"
#include "OXEAudioDevice.h"
#include "GameState.h"
#include "Camera.h"
#include "GameFlow.h"
#include "GamePresentation.h"

// One device library loaded by name: the factory fills the device pointer.
template <class Device>
struct DeviceLibrary {
    Device* device = nullptr;     // interface pointer filled by the library's factory
    HINSTANCE instance = nullptr; // the program's instance handle
    HMODULE library = nullptr;    // the loaded library (null until loaded)
};

// The application's state.
struct AppState {
    HINSTANCE instance = nullptr;     // the module instance given to WinMain
    HWND window = nullptr;            // the main window
    WNDCLASSEXA windowClass = {};     // the window class description
    int windowX = 60;                 // window position and outer size in pixels
    int windowY = 100;
    int windowWidth = 1024;
    int windowHeight = 768;
    bool quit = false;                // once true, the main loop ends
    bool active = true;               // follows the window's activation
    FILE* log = nullptr;              // "log_main.txt"
    Camera camera;                    // configured at start-up; no drawing reads it
    DeviceLibrary<OXERenderDevice>* renderLib = nullptr; // PelmoraGraf.dll
    DeviceLibrary<OXEAudioDevice>* audioLib = nullptr;   // PelmoraAudio.dll
    DeviceLibrary<OXEInputDevice>* inputLib = nullptr;   // PelmoraInput.dll
    OXERenderDevice* renderDevice = nullptr; // the devices taken from the three libraries
    OXEAudioDevice* audioDevice = nullptr;
    OXEInputDevice* inputDevice = nullptr;
};

static AppState app;
// initGraphics succeeded: the steps that use the render device may run.
static bool graphicsStarted = false;

static const char kClassName[] = "PelmoraApplication";

static void WriteLog(const char* line)
{
    if (!app.log)
        return;
    std::fputs(line, app.log);
    std::fflush(app.log);
}

static void ErrorBox(HWND owner, const char* text, const char* caption)
{
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
}

// ---- Device libraries ----

// Texts of one library's two failure message boxes.
struct LibraryMessages {
    const char* file;             // library file name
    const char* factory;          // exported factory name
    const char* notLoaded;        // shown when the library cannot be loaded
    const char* notLoadedCaption; // its caption
    const char* factoryFail;      // shown when the factory is missing or fails
    const char* factoryCaption;   // its caption
};

// Loads one library (from the program's folder or the system folder) and calls its factory with
// the address of the record's device pointer.
// 0, or 0x80004005 after showing the matching message box.
template <class Device>
static HRESULT LoadDeviceLibrary(DeviceLibrary<Device>& lib, const LibraryMessages& m)
{
    lib.library = LoadLibraryFromProgramFolder(m.file);
    if (!lib.library) {
        ErrorBox(nullptr, m.notLoaded, m.notLoadedCaption);
        return OXE_PLATFORM_FAIL;
    }
    typedef HRESULT (*Factory)(HINSTANCE, Device**);
    Factory create = reinterpret_cast<Factory>(GetProcAddress(lib.library, m.factory));
    // A library without the factory is treated like a failing factory.
    if (!create || FAILED(create(lib.library, &lib.device))) {
        ErrorBox(nullptr, m.factoryFail, m.factoryCaption);
        lib.device = nullptr;
        return OXE_PLATFORM_FAIL;
    }
    return OXE_OK;
}

static HRESULT LoadRenderDeviceLibrary(DeviceLibrary<OXERenderDevice>& lib)
{
    static const LibraryMessages m = {
        "PelmoraGraf.dll", "CreateRenderDevice",
        "Virhe PelmraGraf.dll latauksessa!", "PelmoraGE",
        "CreateRenderDevice() alustus ep\xE4onnistui.", "OXEEngine - virhe"};
    return LoadDeviceLibrary(lib, m);
}

static HRESULT LoadAudioDeviceLibrary(DeviceLibrary<OXEAudioDevice>& lib)
{
    static const LibraryMessages m = {
        "PelmoraAudio.dll", "CreateAudioDevice",
        "Loading PelmoraAudio.dll from lib failed.", "OXEEngine - error",
        "CreateAudioDevice() from lib failed.", "OXEEngine - error"};
    return LoadDeviceLibrary(lib, m);
}

static HRESULT LoadInputDeviceLibrary(DeviceLibrary<OXEInputDevice>& lib)
{
    static const LibraryMessages m = {
        "PelmoraInput.dll", "CreateInputDevice",
        "Loading PelmoraInput.dll from lib failed.", "OXEEngine - error",
        "CreateInputDevice() from lib failed.", "OXEEngine - error"};
    return LoadDeviceLibrary(lib, m);
}

// Destroys the library's render device through its exported ReleaseRenderDevice (the device
// was made by that library, so that library frees it); the record's pointer becomes null.
static void ReleaseRenderDeviceOf(DeviceLibrary<OXERenderDevice>& lib)
{
    typedef HRESULT (*Release)(OXERenderDevice**);
    Release release = lib.library ? reinterpret_cast<Release>(GetProcAddress(lib.library, "ReleaseRenderDevice")) : nullptr;
    if (release && lib.device)
        release(&lib.device);
}

// ---- Device start-up ----

// Direct3D states the game relies on, set once after the device starts.
static void SetFixedStates(IDirect3DDevice9* d)
{
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_AMBIENT, 0x99999999);
    d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
}

static HRESULT initGraphics()
{
    app.renderLib = new DeviceLibrary<OXERenderDevice>();
    app.renderLib->instance = app.instance;
    if (FAILED(LoadRenderDeviceLibrary(*app.renderLib)))
        return OXE_PLATFORM_FAIL;
    app.renderDevice = app.renderLib->device;
    if (!app.renderDevice)
        return OXE_PLATFORM_FAIL;
    if (FAILED(app.renderDevice->Init(app.window, 16, 8, false, true))) {
        WriteLog("virhe: initGraphics()\n");
        return OXE_PLATFORM_FAIL;
    }
    app.renderDevice->SelectRenderWindow(0);
    OXESetCurrentRenderDevice(app.renderDevice->GetRenderDevice());
    app.renderDevice->InitStage(0.8f, nullptr, 0);
    SetFixedStates(app.renderDevice->GetD3DDevice());
    return OXE_OK;
}

static HRESULT InitAudio()
{
    char folder[MAX_PATH] = {};
    if (GetCurrentDirectoryA(MAX_PATH - 1, folder) == 0)
        return OXE_FAIL;
    app.audioLib = new DeviceLibrary<OXEAudioDevice>();
    app.audioLib->instance = app.instance;
    if (FAILED(LoadAudioDeviceLibrary(*app.audioLib)))
        return OXE_PLATFORM_FAIL;
    app.audioDevice = app.audioLib->device;
    if (!app.audioDevice)
        return OXE_PLATFORM_FAIL;
    if (FAILED(app.audioDevice->Init(app.window, folder, 1))) {
        WriteLog("error: InitAudio() failed()\n");
        return OXE_PLATFORM_FAIL;
    }
    return OXE_OK;
}

static HRESULT InitInput()
{
    HDC desktop = GetDC(nullptr);
    RECT screen = {0, 0, GetDeviceCaps(desktop, HORZRES) - 1, GetDeviceCaps(desktop, VERTRES) - 1};
    ReleaseDC(nullptr, desktop);
    app.inputLib = new DeviceLibrary<OXEInputDevice>();
    app.inputLib->instance = app.instance;
    if (FAILED(LoadInputDeviceLibrary(*app.inputLib)))
        return OXE_FAIL;
    app.inputDevice = app.inputLib->device;
    if (!app.inputDevice)
        return OXE_FAIL;
    if (FAILED(app.inputDevice->Init(app.window, screen, OXE_INPUT_USE_KEYBOARD)))
        return OXE_FAIL;
    return OXE_OK;
}

// The three start-up steps; every one runs even when an earlier one failed.
static void StartDevices()
{
    HRESULT hr = initGraphics();
    graphicsStarted = SUCCEEDED(hr);
    if (FAILED(hr)) {
        if (hr == OXE_PLATFORM_FAIL)
            ErrorBox(app.window, "init graphics..", "OXEngine");
        app.quit = true;
    }
    hr = InitAudio();
    if (FAILED(hr)) {
        if (hr == OXE_PLATFORM_FAIL)
            ErrorBox(app.window, "initAudio fail", "OXEngine");
        app.quit = true;
    }
    if (FAILED(InitInput()))
        app.quit = true;
}

// ---- Window ----

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        app.quit = true;
        PostQuitMessage(0);
        return 1;
    case WM_ACTIVATE:
        app.active = wParam != 0;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            app.quit = true;
            return 0;
        }
        break;
    case WM_COMMAND:
        if (wParam == 105)
            app.quit = true;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static bool RegisterWindowClass()
{
    WNDCLASSEXA& wc = app.windowClass;
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    wc.lpfnWndProc = WindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = app.instance;
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
}

// The render device placed the window for a thick frame; without it the window's inside would
// no longer match the back buffer and every frame would be presented stretched. Size the window
// so that its inside is exactly the back buffer (position kept).
static void FitWindowToBackBuffer()
{
    RECT r = {0, 0, LONG(app.renderDevice->GetScreenWidth()), LONG(app.renderDevice->GetScreenHeight())};
    DWORD style = DWORD(GetWindowLongPtrA(app.window, GWL_STYLE));
    DWORD exStyle = DWORD(GetWindowLongPtrA(app.window, GWL_EXSTYLE));
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    SetWindowPos(app.window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// ---- Graphics set-up after the devices run ----

static float ScreenAspect(OXERenderDevice* rd)
{
    return float(rd->GetScreenWidth() / rd->GetScreenHeight());
}

static void SetUpScene()
{
    OXERenderDevice* rd = app.renderDevice;
    IDirect3DDevice9* device = rd->GetD3DDevice();
    rd->CreateVertexDeclarations();
    D3DXVECTOR3 right(1, 0, 0), up(0, 1, 0), direction(0, 0, 1), position(0, 0, -15);
    rd->SetViewAxes(&right, &up, &direction, &position);
    rd->SetBackgroundColor(0.7f, 0.7f, 1.0f);

    app.camera.pos() = D3DXVECTOR3(55.0f, 150.0f, 95.0f);
    app.camera.setSpeed(40.0f);
    app.camera.setLens(0.7853982f, ScreenAspect(rd), 0.01f, 5000.0f);

    CreateBlockQuads(device);
    game.originX = (int(rd->GetScreenWidth()) - kWellWidth) / 2;
    game.originY = 100;
    CreateSceneObjects(device, app.camera);

    rd->CreateFontInSlot(0, "Impact", 20, 10, 3, false);
    rd->CreateFontInSlot(1, "Impact", 30, 15, 2, false);
}

static WPARAM RunMainLoop()
{
    MSG message = {};
    WPARAM last = 0;
    do {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            last = message.wParam;
        }
        if (app.active) {
            UpdateFrame(app.inputDevice, app.quit);
            DrawFrame(app.renderDevice->GetD3DDevice());
        }
    } while (!app.quit);
    return last;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    app.instance = instance;
    if (!RegisterWindowClass())
        return 0;
    app.window = CreateWindowExA(0, kClassName, nullptr, 0x80CA0000, app.windowX, app.windowY,
                                 app.windowWidth, app.windowHeight, nullptr, nullptr, instance, nullptr);
    if (!app.window)
        return 0;
    ShowWindow(app.window, SW_SHOW);
    app.log = std::fopen("log_main.txt", "w");

    StartDevices();

    LONG_PTR style = GetWindowLongPtrA(app.window, GWL_STYLE);
    SetWindowLongPtrA(app.window, GWL_STYLE, style & ~LONG_PTR(WS_THICKFRAME));
    if (graphicsStarted)
        FitWindowToBackBuffer();
    if (!app.quit)
        ShowWindow(app.window, SW_SHOW);

    if (graphicsStarted)
        SetUpScene();

    app.active = true;
    WPARAM last = 0;
    if (!app.quit)
        last = RunMainLoop();

    // The render device is not released: it lives until the process ends. The end of the
    // process waits, after the graphic objects are gone, until the device has done its work
    // (see WaitForDeviceAtProgramEnd). A device that cannot be waited for is released here
    // instead, as the way to a clean end that is left: its release waits for that work.
    if (graphicsStarted) {
        app.renderDevice->ReleaseVertexDeclarations();
        if (!WaitForDeviceAtProgramEnd(app.renderDevice->GetD3DDevice())) {
            ReleaseRenderDeviceOf(*app.renderLib);
            OXESetCurrentRenderDevice(nullptr);
        }
    } else if (app.renderLib) {
        // A render device whose Init failed still holds what it made before the failure (its
        // Direct3D object, perhaps its device and managers): it is released the same way.
        ReleaseRenderDeviceOf(*app.renderLib);
    }
    app.renderDevice = nullptr;
    app.audioDevice = nullptr;
    app.inputDevice = nullptr;
    app.renderLib = nullptr;
    app.audioLib = nullptr;
    app.inputLib = nullptr;
    UnregisterClassA(kClassName, instance);
    return int(last);
}
