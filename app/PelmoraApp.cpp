#include "PelmoraApp.h"
#include <d3dx9.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <winver.h>
#include "OXED3D.h"
#include "OXEResult.h"
#include "OXEResultText.h"
#include "PelmoraBoxAnswerer.h"
#include "PelmoraVersion.h"
#include "LibraryLoader.h"

namespace {

const char kClassName[] = "PelmoraAppWindow";
const DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
const float kScriptedFrameSeconds = 1.0f / 30.0f;
const DWORD kLostWaitMs = 20;               // between two looks at a lost device
const DWORD kScriptedLossLimitMs = 60000;   // a scripted run gives a lost device this long

// The device is lost (D3DERR_DEVICELOST) or lost and ready to be reset (D3DERR_DEVICENOTRESET).
bool IsLoss(HRESULT code) { return code == D3DERR_DEVICELOST || code == D3DERR_DEVICENOTRESET; }

typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);

// "error 126: The specified module could not be found." for the calling thread's last error.
std::string WindowsError(DWORD code)
{
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = 0;
    return "error " + std::to_string(code) + (n ? ": " + std::string(text) : std::string());
}

// The version in a module's version resource (the file version's major and minor numbers);
// false when it carries none.
bool ModuleVersion(HMODULE module, unsigned& major, unsigned& minor)
{
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(1), RT_VERSION);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = data ? SizeofResource(module, info) : 0;
    // The fixed part follows the record's header and key, on a four-byte boundary.
    for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
        VS_FIXEDFILEINFO fixed;
        std::memcpy(&fixed, data + at, sizeof fixed);
        if (fixed.dwSignature != VS_FFI_SIGNATURE) continue;
        major = HIWORD(fixed.dwFileVersionMS);
        minor = LOWORD(fixed.dwFileVersionMS);
        return true;
    }
    return false;
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
    const bool sound = ParsePelmoraAppOptions(args, options_);
    // From here on a scripted run answers the message boxes of the libraries itself.
    if (options_.scripted() && !boxes_)
        boxes_.reset(new PelmoraBoxAnswerer([this](const std::string& caption, const std::string& text) {
            boxAnswered(caption, text);
        }));
    if (!sound) return fail(1, "command line: " + options_.error);
    width_ = options_.sizeGiven ? options_.width : settings_.width;
    height_ = options_.sizeGiven ? options_.height : settings_.height;
    if (width_ < 1 || height_ < 1)
        return fail(1, "window size " + std::to_string(width_) + " x " + std::to_string(height_) +
                           " refused: both sides must be at least 1 pixel");
    if (!makeWindow()) return false;
    if (!startDevice(settings_.library)) {
        DestroyWindow(window_);
        window_ = nullptr;
        return false;
    }
    keyboard_.open(window_, settings_.inputLibrary);
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
    // The render device's interface and the exported classes are those of the headers this
    // program was built with; another major version has other ones.
    const std::string built = std::to_string(PELMORA_VERSION_MAJOR);
    unsigned major = 0, minor = 0;
    if (!ModuleVersion(library_, major, minor))
        return fail(1, libraryName_ + " carries no version: this program needs an engine library of version " + built +
                           ".x");
    if (major != PELMORA_VERSION_MAJOR)
        return fail(1, libraryName_ + " is version " + std::to_string(major) + "." + std::to_string(minor) +
                           " of the engine, this program was built for version " + built +
                           ".x: use the engine DLLs of the SDK it was built with");
    HRESULT hr = create(library_, &device_);
    if (FAILED(hr) || !device_) {
        device_ = nullptr;
        return fail(1, "CreateRenderDevice of " + libraryName_ + " failed (" + OXEResultText(hr) + ")");
    }
    const std::string size = std::to_string(width_) + " x " + std::to_string(height_);
    // The size goes into the device's presentation record first, so that Init starts the back
    // buffer at it; a size the device refuses stops here.
    hr = device_->enableFullscreeMode(false, UINT(width_), UINT(height_));
    if (FAILED(hr)) {
        releaseDevice();
        return fail(1, "the render device refused the window size " + size + " (" + OXEResultText(hr) + ")");
    }
    hr = device_->Init(window_, 16, 8, false, settings_.flushLog);
    if (FAILED(hr)) {
        releaseDevice();
        return fail(1, "the render device did not start at " + size + " (" + OXEResultText(hr) +
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
    ++deviceGeneration_;
    lost_ = false; // a new device starts sound
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
    // A shot that was asked for and never taken (the program ended before its frame) is a
    // failed run, not a silent success.
    if (started_ && !options_.shotFile.empty() && !shotAttempted_)
        fail(2, "--shot " + options_.shotFile + " was not saved: the program ended after frame " +
                    std::to_string(frames_) + ", before frame " + std::to_string(options_.frames));
    releaseDevice();
    keyboard_.close();
    if (window_) {
        DestroyWindow(window_);
        window_ = nullptr;
        pumpMessages();
    }
    boxes_.reset();
    return exitCode_;
}

// A box of a scripted run: answered already; said on stderr on one line, and the run's exit
// code says that something asked for a click.
void PelmoraApp::boxAnswered(const std::string& caption, const std::string& text)
{
    std::string flat; // the text's lines joined by " / "
    bool lineEnded = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            lineEnded = !flat.empty();
            continue;
        }
        if (lineEnded) flat += " / ";
        lineEnded = false;
        flat += c;
    }
    fail(4, "a message box was answered in this scripted run: \"" + caption + "\": " + flat);
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
        if (app) app->keyboard_.keyMessage(message, wParam, lParam);
        break;
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_KILLFOCUS:
        if (app) app->keyboard_.keyMessage(message, wParam, lParam);
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
        // A lost device draws nothing until it is reset.
        if (lost_) {
            if (!recoverDevice()) break;
            continue;
        }
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        float seconds = 0.0f;
        if (scripted())
            seconds = kScriptedFrameSeconds;
        else if (lastFrame_.QuadPart != 0)
            seconds = float(double(now.QuadPart - lastFrame_.QuadPart) / double(frequency.QuadPart));
        lastFrame_ = now;

        HRESULT hr = device_->BeginFrame(true, true, false);
        if (FAILED(hr) && IsLoss(d3d()->TestCooperativeLevel())) {
            enterLoss();
            continue;
        }
        if (FAILED(hr)) {
            quit_ = true;
            fail(2, "frame " + std::to_string(frames_ + 1) + " did not begin (" + OXEResultText(hr) + ")");
            break;
        }
        const unsigned generation = deviceGeneration_;
        keyboard_.update();
        more = frame ? frame(seconds) : true;
        ++frames_;
        if (options_.frames > 0 && frames_ >= options_.frames) quit_ = true;
        // The frame function may have stopped the frame, or replaced the device (restartDevice):
        // the scene this frame began belongs to a device that is gone, and the new one began none.
        if (stopped_ || !device_) break;
        if (generation != deviceGeneration_) {
            pendingShot_.clear();
            continue;
        }
        if (!options_.shotFile.empty() && frames_ == options_.frames) {
            pendingShot_ = options_.shotFile;
            shotAttempted_ = true;
        }
        if (!endFrame()) quit_ = true;
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
    if (IsLoss(device_->EndFrame())) enterLoss();
    return ok;
}

void PelmoraApp::setDeviceLossFunctions(const DeviceFunction& lost, const DeviceFunction& reset)
{
    onLost_ = lost;
    onReset_ = reset;
}

// The device reported itself lost: nothing more is drawn, and the program lets go of what lives
// in the default pool now (a reset is refused while any of it lives).
void PelmoraApp::enterLoss()
{
    if (lost_) return;
    lost_ = true;
    lostSince_ = GetTickCount();
    if (onLost_) onLost_();
}

// One look at a lost device: while it cannot be reset yet, a short wait; once it can, the
// render device's ResetDevice and the program's reset function. False when the device cannot
// come back (the run ends, exit code 2).
bool PelmoraApp::recoverDevice()
{
    const HRESULT state = d3d()->TestCooperativeLevel();
    if (state == D3DERR_DEVICELOST) {
        // A run meant to end by itself does not wait for ever.
        if (scripted() && GetTickCount() - lostSince_ > kScriptedLossLimitMs) {
            quit_ = true;
            return fail(2, "the device stayed lost for " + std::to_string(kScriptedLossLimitMs / 1000) +
                               " s after frame " + std::to_string(frames_));
        }
        Sleep(kLostWaitMs);
        return true;
    }
    if (state != D3DERR_DEVICENOTRESET && state != D3D_OK) {
        quit_ = true;
        return fail(2, "the device was lost after frame " + std::to_string(frames_) + " and cannot come back (" +
                           OXEResultText(state) + ")");
    }
    const HRESULT hr = device_->ResetDevice();
    if (hr == D3DERR_DEVICELOST) { // lost again before it could be reset
        Sleep(kLostWaitMs);
        return true;
    }
    if (FAILED(hr)) {
        quit_ = true;
        return fail(2, "the device could not be reset after frame " + std::to_string(frames_) + " (" +
                           OXEResultText(hr) + "): everything made in the default pool must be released in "
                           "the lost function");
    }
    lost_ = false;
    lastFrame_.QuadPart = 0; // the wait is no frame time
    ++resets_;
    if (onReset_) onReset_();
    return true;
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
    if (FAILED(hr)) return fail(2, "frame " + std::to_string(frames_) + " could not be saved as " + file + " (" + OXEResultText(hr) + ")");
    std::printf("PelmoraApp: saved frame %d as %s\n", frames_, file.c_str());
    std::fflush(stdout);
    return true;
}
