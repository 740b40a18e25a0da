#include "PelmoraApp.h"
#include <d3dx9.h>
#include <cstdio>
#include <cstdlib>
#include "OXED3D.h"
#include "OXEResult.h"
#include "LibraryLoader.h"

namespace {

const char kClassName[] = "PelmoraAppWindow";
const DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
const float kScriptedFrameSeconds = 1.0f / 30.0f;

typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);

std::string Hex(HRESULT code)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", (unsigned long)code);
    return text;
}

// "error 126: The specified module could not be found." for the calling thread's last error.
std::string WindowsError(DWORD code)
{
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = 0;
    return "error " + std::to_string(code) + (n ? ": " + std::string(text) : std::string());
}

// What an engine result code means, for the start-up messages.
const char* ResultMeaning(HRESULT code)
{
    switch (code) {
    case OXE_CREATEAPI: return "the Direct3D object could not be created";
    case OXE_CREATEDEVICE: return "the Direct3D device could not be created";
    case OXE_INVALIDPARAM: return "invalid argument";
    case OXE_NOSHADERSUPPORT: return "shaders are not usable on this device";
    default: return "failure";
    }
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC proc)
{
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, kClassName, &existing)) return true;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
}

} // namespace

PelmoraApp::PelmoraApp(const PelmoraAppSettings& settings) : settings_(settings) {}

PelmoraApp::~PelmoraApp() { stop(); }

std::string PelmoraApp::ProgramFolder()
{
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n < MAX_PATH ? n : 0);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

bool PelmoraApp::start()
{
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.push_back(__argv[i] ? __argv[i] : "");
    return start(args);
}

bool PelmoraApp::start(const std::vector<std::string>& args)
{
    if (started_ || stopped_) return fail(1, "start: this frame has already been started");
    if (!ParsePelmoraAppOptions(args, options_)) return fail(1, "command line: " + options_.error);
    width_ = options_.width > 0 || options_.height > 0 ? options_.width : settings_.width;
    height_ = options_.width > 0 || options_.height > 0 ? options_.height : settings_.height;
    if (width_ < 1 || height_ < 1)
        return fail(1, "window size " + std::to_string(width_) + " x " + std::to_string(height_) +
                           " refused: both sides must be at least 1 pixel");
    if (!makeWindow()) return false;
    if (!startDevice(settings_.library)) {
        DestroyWindow(window_);
        window_ = nullptr;
        return false;
    }
    started_ = true;
    return true;
}

bool PelmoraApp::makeWindow()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterWindowClass(instance, WindowProc))
        return fail(1, "the window class could not be registered (" + WindowsError(GetLastError()) + ")");
    // The render device places and sizes the window itself when it starts; until then it is
    // made at its final outer size, hidden.
    RECT r = {0, 0, width_, height_};
    AdjustWindowRect(&r, kWindowStyle, FALSE);
    window_ = CreateWindowExA(0, kClassName, settings_.title, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, this);
    if (!window_) return fail(1, "the window could not be created (" + WindowsError(GetLastError()) + ")");
    return true;
}

bool PelmoraApp::startDevice(const char* library)
{
    libraryName_ = library ? library : "";
    library_ = LoadLibraryFromProgramFolder(libraryName_.c_str());
    if (!library_)
        return fail(1, "cannot load " + libraryName_ + " (" + WindowsError(GetLastError()) +
                           "); it belongs beside the program");
    CreateFn create = reinterpret_cast<CreateFn>(GetProcAddress(library_, "CreateRenderDevice"));
    release_ = reinterpret_cast<ReleaseFn>(GetProcAddress(library_, "ReleaseRenderDevice"));
    if (!create || !release_)
        return fail(1, libraryName_ + " has no CreateRenderDevice / ReleaseRenderDevice: not an engine library");
    HRESULT hr = create(library_, &device_);
    if (FAILED(hr) || !device_) {
        device_ = nullptr;
        return fail(1, "CreateRenderDevice of " + libraryName_ + " failed (" + Hex(hr) + ")");
    }
    const std::string size = std::to_string(width_) + " x " + std::to_string(height_);
    // The size goes into the device's presentation record first, so that Init starts the back
    // buffer at it; a size the device refuses stops here.
    hr = device_->enableFullscreeMode(false, UINT(width_), UINT(height_));
    if (FAILED(hr)) {
        releaseDevice();
        return fail(1, "the render device refused the window size " + size + " (" + Hex(hr) + ": " +
                           ResultMeaning(hr) + ")");
    }
    hr = device_->Init(window_, 16, 8, false, settings_.flushLog);
    if (FAILED(hr)) {
        releaseDevice();
        return fail(1, "the render device did not start at " + size + " (" + Hex(hr) + ": " + ResultMeaning(hr) +
                           "); see log_renderdevice.txt");
    }
    if (device_->GetScreenWidth() != UINT(width_) || device_->GetScreenHeight() != UINT(height_)) {
        const std::string got = std::to_string(device_->GetScreenWidth()) + " x " +
                                std::to_string(device_->GetScreenHeight());
        releaseDevice();
        return fail(1, "the render device started at " + got + " instead of " + size);
    }
    // This program's own copy of the render device library reaches the device too (as the game's
    // does), and the library that made it gets its two shared vertex declarations.
    OXESetCurrentRenderDevice(device_->GetRenderDevice());
    device_->CreateVertexDeclarations();
    // Each channel as the float whose byte the device's truncation gives back exactly.
    const D3DCOLOR c = settings_.background;
    auto channel = [](D3DCOLOR byte) { return (float(byte & 0xFF) + 0.5f) / 255.0f; };
    device_->SetBackgroundColor(channel(c >> 16), channel(c >> 8), channel(c));
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    return true;
}

// Vertex declarations, then the device through its own library; the Direct3D device is held
// over the release so that what is left on it can be counted.
void PelmoraApp::releaseDevice()
{
    if (!device_) return;
    IDirect3DDevice9* d3d = device_->GetD3DDevice();
    if (d3d) {
        device_->ReleaseVertexDeclarations();
        d3d->AddRef();
    }
    release_(&device_);
    device_ = nullptr;
    OXESetCurrentRenderDevice(nullptr);
    referencesLeft_ = d3d ? d3d->Release() : 0;
    if (referencesLeft_ != 0)
        fail(3, std::to_string(referencesLeft_) + " reference(s) to the Direct3D device of " + libraryName_ +
                    " outlived the render device: release every object made on it first");
}

bool PelmoraApp::restartDevice(const char* library)
{
    if (!started_ || stopped_) return fail(1, "restartDevice: the frame is not running");
    releaseDevice();
    if (exitCode_ != 0) return false;
    if (!startDevice(library)) {
        quit_ = true;
        return false;
    }
    lastFrame_.QuadPart = 0;
    return true;
}

int PelmoraApp::stop()
{
    if (stopped_) return exitCode_;
    stopped_ = true;
    quit_ = true;
    releaseDevice();
    if (window_) {
        DestroyWindow(window_);
        window_ = nullptr;
        pumpMessages();
    }
    return exitCode_;
}

bool PelmoraApp::fail(int exitCode, const std::string& what)
{
    failure_ = what;
    if (exitCode_ == 0) exitCode_ = exitCode;
    std::fprintf(stderr, "PelmoraApp: %s\n", what.c_str());
    std::fflush(stderr);
    if (settings_.messageBoxes && !options_.scripted())
        MessageBoxA(window_ && IsWindowVisible(window_) ? window_ : nullptr, what.c_str(),
                    settings_.title ? settings_.title : "Pelmora", MB_OK | MB_ICONERROR);
    return false;
}

LRESULT CALLBACK PelmoraApp::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, LONG_PTR(cs->lpCreateParams));
    }
    PelmoraApp* app = reinterpret_cast<PelmoraApp*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && app) app->quit_ = true;
        break;
    case WM_CLOSE:
        // The window stays until the device on it is released (stop destroys it).
        if (app) app->quit_ = true;
        return 0;
    case WM_DESTROY:
        if (app) {
            app->quit_ = true;
            if (app->window_ == window) app->window_ = nullptr;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool PelmoraApp::pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !quit_;
}

void PelmoraApp::saveShot(const std::string& file) { pendingShot_ = file; }

int PelmoraApp::run(const FrameFunction& frame)
{
    if (!started_ || stopped_ || !device_) return exitCode_ ? exitCode_ : 1;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (bool more = true; more && pumpMessages();) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        float seconds = 0.0f;
        if (scripted())
            seconds = kScriptedFrameSeconds;
        else if (lastFrame_.QuadPart != 0)
            seconds = float(double(now.QuadPart - lastFrame_.QuadPart) / double(frequency.QuadPart));
        lastFrame_ = now;

        HRESULT hr = device_->BeginFrame(true, true, false);
        if (FAILED(hr)) {
            quit_ = true;
            fail(2, "frame " + std::to_string(frames_ + 1) + " did not begin (" + Hex(hr) + ")");
            break;
        }
        more = frame ? frame(seconds) : true;
        ++frames_;
        if (!options_.shotFile.empty() && frames_ == options_.frames) pendingShot_ = options_.shotFile;
        if (!endFrame()) quit_ = true;
        if (options_.frames > 0 && frames_ >= options_.frames) quit_ = true;
    }
    return exitCode_;
}

// The back buffer is read between the end of the scene and the present (after the present it
// is undefined); the scene is begun again so that EndFrame finds the one it ends.
bool PelmoraApp::endFrame()
{
    bool ok = true;
    if (!pendingShot_.empty()) {
        std::string file;
        file.swap(pendingShot_);
        IDirect3DDevice9* d = d3d();
        d->EndScene();
        ok = writeShot(file);
        d->BeginScene();
    }
    device_->EndFrame();
    return ok;
}

bool PelmoraApp::writeShot(const std::string& file)
{
    IDirect3DDevice9* d = d3d();
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* copy = nullptr;
    HRESULT hr = d->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    if (SUCCEEDED(hr)) {
        D3DSURFACE_DESC desc;
        back->GetDesc(&desc);
        hr = d->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr);
        if (SUCCEEDED(hr)) hr = d->GetRenderTargetData(back, copy);
        if (SUCCEEDED(hr)) hr = D3DXSaveSurfaceToFileA(file.c_str(), D3DXIFF_PNG, copy, nullptr, nullptr);
    }
    if (copy) copy->Release();
    if (back) back->Release();
    if (FAILED(hr)) return fail(2, "frame " + std::to_string(frames_) + " could not be saved as " + file + " (" + Hex(hr) + ")");
    std::printf("PelmoraApp: saved frame %d as %s\n", frames_, file.c_str());
    std::fflush(stdout);
    return true;
}
