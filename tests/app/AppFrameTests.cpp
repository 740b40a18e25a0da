// The application frame with a real render device from PelmoraGraf.dll (and PelmoraParts.dll):
// window and back buffer of the asked size, frames between BeginFrame and EndFrame with their
// frame time, runs that end and go on, Esc and the close box, --shot / --frames, a device
// switch, the release check.
#include "PelmoraApp.h"
#include "FireRing.h"
#include "MessageBoxAnswerer.h"
#include "OXED3D.h"
#include "RecordingDevice.h"
#include "TestDevice.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

PelmoraAppSettings Settings(int width = 320, int height = 240)
{
    PelmoraAppSettings s;
    s.title = "AppFrameTest";
    s.width = width;
    s.height = height;
    s.background = 0xFF336699;
    s.messageBoxes = false;
    return s;
}

// Fills a rectangle of the back buffer with one colour (inside the frame's scene).
void FillRect(IDirect3DDevice9* d3d, int x, int y, int w, int h, D3DCOLOR colour)
{
    D3DRECT r = {x, y, x + w, y + h};
    d3d->Clear(1, &r, D3DCLEAR_TARGET, colour, 1.0f, 0);
}

// The file name of the library whose code a render device runs (the module of its vtable).
std::string LibraryOf(OXERenderDevice* device)
{
    HMODULE module = nullptr;
    if (!device || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                       *reinterpret_cast<LPCSTR*>(device), &module))
        return "";
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    const std::string s = path;
    return s.substr(s.find_last_of("\\/") + 1);
}

std::string WorkFile(const char* name)
{
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    return std::string(folder) + "\\" + name;
}

TEST(AppFrame, WindowAndBackBufferHaveTheAskedSizeAndEveryFrameIsCountedAndTimed)
{
    PelmoraApp app(Settings(320, 240));
    ASSERT_TRUE(app.start({"--frames", "5"})) << app.failure();
    ASSERT_NE(app.d3d(), nullptr);
    EXPECT_TRUE(app.keys().usesInputDevice()) << app.keys().source();
    EXPECT_EQ(app.keys().source(), "input device of PelmoraInput.dll");
    RECT client = {};
    GetClientRect(app.window(), &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 240);
    EXPECT_EQ(app.device()->GetScreenWidth(), 320u);
    EXPECT_EQ(app.device()->GetScreenHeight(), 240u);
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(app.d3d()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    back->Release();
    EXPECT_EQ(desc.Width, 320u);
    EXPECT_EQ(desc.Height, 240u);

    // A frame function that returns false ends that run only; the next run counts on, and a
    // scripted run steps by a fixed 1/30 s and ends itself after the asked frames.
    // A tap of Space between two frames, which the input device cannot see (nothing holds the
    // key), is taken from its key messages: pressed once, never down.
    std::vector<float> times;
    std::string space;
    auto frame = [&](float seconds) {
        times.push_back(seconds);
        space += std::string(app.keys().pressed(0x39) ? "P" : "-") + (app.keys().down(0x39) ? "D" : "-");
        if (times.size() == 1) {
            PostMessageA(app.window(), WM_KEYDOWN, VK_SPACE, 1 | 0x39 << 16);
            PostMessageA(app.window(), WM_KEYUP, VK_SPACE, LPARAM(1 | 0x39 << 16 | 1 << 30 | 1u << 31));
        }
        return times.size() != 2;
    };
    EXPECT_EQ(app.run(frame), 0);
    EXPECT_EQ(app.frameCount(), 2);
    EXPECT_FALSE(app.ending());
    EXPECT_EQ(app.run(frame), 0);
    EXPECT_EQ(times, std::vector<float>(5, 1.0f / 30.0f));
    EXPECT_EQ(space, "--P-------");
    EXPECT_EQ(app.frameCount(), 5);
    EXPECT_TRUE(app.ending());
    EXPECT_EQ(app.run([&](float) { ADD_FAILURE() << "a frame after the end"; return true; }), 0);

    HWND window = app.window();
    EXPECT_EQ(app.stop(), 0);
    EXPECT_EQ(app.referencesLeft(), 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(app.stop(), 0) << "a second stop does nothing";
}

TEST(AppFrame, ShotSavesTheBackBufferOfTheAskedFrameAsPng)
{
    const std::string file = WorkFile("app_shot.png");
    DeleteFileA(file.c_str());
    PelmoraApp app(Settings(320, 240));
    ASSERT_TRUE(app.start({"--shot", file, "--frames", "3"})) << app.failure();
    // Each frame paints its own number into a square: the saved picture must be frame 3's.
    EXPECT_EQ(app.run([&](float) {
        const int n = app.frameCount() + 1;
        FillRect(app.d3d(), 100, 50, 40, 30, D3DCOLOR(0xFF000000u | (n * 0x40) << 16 | 0x20));
        return true;
    }), 0);
    EXPECT_EQ(app.frameCount(), 3);
    testsupport::Picture shot;
    ASSERT_TRUE(testsupport::ReadImageFile(app.d3d(), file, shot)) << file;
    EXPECT_EQ(shot.width, 320);
    EXPECT_EQ(shot.height, 240);
    EXPECT_EQ(shot.rgb(5, 5), 0x336699u) << "the frame's clear colour";
    EXPECT_EQ(shot.count(0xC00020, 100, 50, 140, 80), 40 * 30) << "frame 3's square";
    EXPECT_EQ(shot.count(0xC00020), 40 * 30) << "nowhere else";
    EXPECT_EQ(app.stop(), 0);
}

TEST(AppFrame, ShotWithoutFramesIsFrameThirtyAndAnUnwritableOneFailsTheRun)
{
    PelmoraApp app(Settings(64, 48));
    ASSERT_TRUE(app.start({"--shot", WorkFile("no_such_folder\\shot.png")}));
    EXPECT_EQ(app.run(nullptr), 2);
    EXPECT_EQ(app.frameCount(), 30);
    EXPECT_NE(app.failure().find("frame 30 could not be saved as"), std::string::npos) << app.failure();
    EXPECT_EQ(app.stop(), 2);
}

TEST(AppFrame, AShotAskedForAndNeverTakenFailsTheRun)
{
    // The program ends (its frame function says so, then it stops) before the shot's frame.
    const std::string file = WorkFile("never_shot.png");
    DeleteFileA(file.c_str());
    PelmoraApp app(Settings(64, 48));
    ASSERT_TRUE(app.start({"--shot", file, "--frames", "5"}));
    EXPECT_EQ(app.run([&](float) { return app.frameCount() < 1; }), 0);
    EXPECT_EQ(app.frameCount(), 2);
    EXPECT_EQ(app.stop(), 2);
    EXPECT_EQ(app.failure(), "--shot " + file + " was not saved: the program ended after frame 2, before frame 5");
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(AppFrame, StopOrADeviceRestartInsideTheFrameFunctionEndsOrGoesOnCleanly)
{
    {
        SCOPED_TRACE("stop inside the frame");
        PelmoraApp app(Settings(64, 48));
        ASSERT_TRUE(app.start({"--frames", "5"}));
        EXPECT_EQ(app.run([&](float) { app.stop(); return true; }), 0);
        EXPECT_EQ(app.frameCount(), 1);
        EXPECT_EQ(app.device(), nullptr);
        EXPECT_EQ(app.referencesLeft(), 0u);
        EXPECT_EQ(app.window(), nullptr);
    }
    {
        SCOPED_TRACE("a restart inside the frame that fails");
        PelmoraApp app(Settings(64, 48));
        ASSERT_TRUE(app.start({"--frames", "5"}));
        EXPECT_EQ(app.run([&](float) { return app.restartDevice("NoSuchEngine.dll"); }), 1);
        EXPECT_EQ(app.frameCount(), 1);
        EXPECT_EQ(app.device(), nullptr);
        EXPECT_NE(app.failure().find("cannot load NoSuchEngine.dll"), std::string::npos) << app.failure();
        EXPECT_EQ(app.stop(), 1);
    }
    {
        SCOPED_TRACE("a restart inside the frame that succeeds");
        const std::string file = WorkFile("restart_shot.png");
        DeleteFileA(file.c_str());
        PelmoraApp app(Settings(64, 48));
        ASSERT_TRUE(app.start({"--shot", file, "--frames", "3"}));
        EXPECT_EQ(app.run([&](float) {
            if (app.frameCount() == 0) return app.restartDevice("PelmoraParts.dll");
            FillRect(app.d3d(), 10, 10, 20, 20, 0xFF00FF00);
            return true;
        }), 0);
        EXPECT_EQ(LibraryOf(app.device()), "PelmoraParts.dll");
        EXPECT_EQ(app.frameCount(), 3);
        testsupport::Picture shot;
        ASSERT_TRUE(testsupport::ReadImageFile(app.d3d(), file, shot)) << file;
        EXPECT_EQ(shot.count(0x00FF00, 10, 10, 30, 30), 400) << "frame 3 drawn on the new device";
        EXPECT_EQ(app.stop(), 0);
    }
}

TEST(AppFrame, AScriptedRunAnswersTheLibrariesMessageBoxesSaysWhatTheySaidAndEndsNonZero)
{
    // A particle kind handed an effect source: D3DX cannot compile it here and the library
    // shows the compiler's text in a message box, which no one would click.
    ASSERT_TRUE(testsupport::WriteFileText("source_spark.fxs", "param float4x4 gWVP\ntechnique SparkTech\npass P0\n"));
    const std::string file = WorkFile("boxed_shot.png");
    DeleteFileA(file.c_str());
    testsupport::MessageBoxAnswerer fallback; // answers only what the frame would leave waiting
    PelmoraApp app(Settings(64, 48));
    ASSERT_TRUE(app.start({"--shot", file, "--frames", "2"}));
    {
        FireRingEffect ring("source_spark.fxs", "SparkTech", testsupport::ProgramFolder() + "torch.dds",
                            D3DXVECTOR3(0, 0, 0), OXEAabb(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 1, 1)), 10, 0.1f);
        EXPECT_EQ(app.exitCode(), 4) << "the box is answered while the kind is made";
        const std::string said = app.failure();
        EXPECT_EQ(said.find("a message box was answered in this scripted run: \"Error\": "), 0u) << said;
        EXPECT_EQ(said.find('\n'), std::string::npos) << "one line";
        EXPECT_GT(said.size(), 70u) << "with the library's text";
        EXPECT_EQ(app.run(nullptr), 4) << "the run goes on and ends with the box's code";
    }
    EXPECT_EQ(app.frameCount(), 2);
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "the shot is still saved";
    EXPECT_EQ(app.stop(), 4);
    EXPECT_EQ(fallback.count(), 1) << "the one box was seen";
}

// The real device, except that the Present of the given numbers reports the device lost; then
// TestCooperativeLevel says "lost" for a few looks and "can be reset" after them, and a Reset
// that succeeds makes it sound again. Counts what the frame does meanwhile.
class LosingDevice : public testsupport::RecordingDevice {
public:
    LosingDevice(IDirect3DDevice9* real, std::vector<int> losingPresents, int lostLooks)
        : RecordingDevice(real), losing_(losingPresents), lostLooks_(lostLooks)
    {
        setRecording(false);
    }
    HRESULT STDMETHODCALLTYPE Present(const RECT* a, const RECT* b, HWND c, const RGNDATA* d) override
    {
        if (lost_) return D3DERR_DEVICELOST;
        const HRESULT hr = RecordingDevice::Present(a, b, c, d);
        for (int n : losing_)
            if (n == presents_ + 1) {
                lost_ = true;
                looksLeft_ = lostLooks_;
            }
        ++presents_;
        return lost_ ? D3DERR_DEVICELOST : hr;
    }
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override
    {
        ++looks;
        if (!lost_) return D3D_OK;
        return looksLeft_-- > 0 ? D3DERR_DEVICELOST : D3DERR_DEVICENOTRESET;
    }
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* p) override
    {
        const HRESULT hr = RecordingDevice::Reset(p);
        resetResults.push_back(hr);
        if (SUCCEEDED(hr)) lost_ = false;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE BeginScene() override
    {
        if (lost_) ++scenesWhileLost;
        return RecordingDevice::BeginScene();
    }
    int looks = 0;                     // TestCooperativeLevel calls
    int scenesWhileLost = 0;           // scenes begun while the device was lost
    std::vector<HRESULT> resetResults; // every Reset's result

private:
    std::vector<int> losing_; // numbers of the presents that lose the device
    int lostLooks_;           // looks that still say "lost" after a loss
    int presents_ = 0;
    int looksLeft_ = 0;
    bool lost_ = false;
};

TEST(AppFrame, ADeviceLossIsSurvivedWithTheProgramsLostAndResetFunctions)
{
    const std::string file = WorkFile("after_reset.png");
    DeleteFileA(file.c_str());
    PelmoraApp app(Settings(64, 48));
    ASSERT_TRUE(app.start({"--frames", "9"}));
    OXED3D* rd = static_cast<OXED3D*>(app.device());
    IDirect3DDevice9* real = rd->m_device;
    std::unique_ptr<LosingDevice> losing(new LosingDevice(real, {3, 7}, 3));
    LosingDevice& proxy = *losing;
    rd->m_device = &proxy; // every call of the render device and the frame goes through it

    // An orange rectangle from a vertex buffer of the default pool, which must go before a reset.
    struct Vertex { float x, y, z, rhw; D3DCOLOR colour; };
    const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
    IDirect3DVertexBuffer9* buffer = nullptr;
    auto make = [&] {
        const Vertex v[4] = {{20, 10, 0.5f, 1, 0xFFFF8000}, {44, 10, 0.5f, 1, 0xFFFF8000},
                             {20, 30, 0.5f, 1, 0xFFFF8000}, {44, 30, 0.5f, 1, 0xFFFF8000}};
        ASSERT_EQ(app.d3d()->CreateVertexBuffer(sizeof v, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_DEFAULT, &buffer, nullptr),
                  D3D_OK);
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        memcpy(data, v, sizeof v);
        buffer->Unlock();
    };
    make();
    bool releaseOnLoss = true;
    std::vector<std::string> events;
    app.setDeviceLossFunctions(
        [&] {
            events.push_back("lost after " + std::to_string(app.frameCount()));
            if (releaseOnLoss && buffer) buffer->Release();
            if (releaseOnLoss) buffer = nullptr;
        },
        [&] {
            events.push_back("reset after " + std::to_string(app.frameCount()));
            make();
        });
    auto frame = [&](float) {
        IDirect3DDevice9* d = app.d3d();
        d->SetVertexShader(nullptr);
        d->SetPixelShader(nullptr);
        d->SetTexture(0, nullptr);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->SetFVF(fvf);
        d->SetStreamSource(0, buffer, 0, sizeof(Vertex));
        d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        if (app.frameCount() + 1 == 6) app.saveShot(file);
        if (app.frameCount() + 1 == 6) releaseOnLoss = false; // the second loss finds the buffer kept
        return true;
    };
    // Frames 1-3 (the third one's present loses the device), three looks at a lost device, the
    // reset, frames 4-7 (the seventh loses it again), and a reset the kept buffer makes fail.
    EXPECT_EQ(app.run(frame), 2);
    EXPECT_EQ(app.frameCount(), 7);
    EXPECT_EQ(events, (std::vector<std::string>{"lost after 3", "reset after 3", "lost after 7"}));
    EXPECT_EQ(proxy.scenesWhileLost, 0) << "nothing is drawn while the device is lost";
    EXPECT_GE(proxy.looks, 2 * 4);
    ASSERT_EQ(proxy.resetResults.size(), 2u);
    EXPECT_EQ(proxy.resetResults[0], D3D_OK);
    EXPECT_NE(proxy.resetResults[1], D3D_OK) << "refused while a default-pool buffer lives";
    EXPECT_EQ(app.deviceResets(), 1);
    EXPECT_TRUE(app.deviceLost());
    EXPECT_NE(app.failure().find("the device could not be reset after frame 7"), std::string::npos) << app.failure();

    testsupport::Picture shot;
    ASSERT_TRUE(testsupport::ReadImageFile(real, file, shot)) << file;
    EXPECT_EQ(shot.count(0xFF8000, 20, 10, 44, 30), 24 * 20) << "frame 6 draws the remade buffer";
    EXPECT_EQ(shot.count(0xFF8000), 24 * 20);
    EXPECT_EQ(shot.rgb(2, 2), 0x336699u);

    if (buffer) buffer->Release();
    rd->m_device = real;
    losing.reset(); // lets go of its reference on the real device
    EXPECT_EQ(app.stop(), 2);
    EXPECT_EQ(app.referencesLeft(), 0u) << "nothing of the resets is left on the device";
}

// lParam of a key message: scan code, extended flag, previous state (repeat), transition (up).
LPARAM KeyBits(int scan, bool extended, bool wasDown, bool up)
{
    return LPARAM(1 | scan << 16 | (extended ? 1 << 24 : 0) | (wasDown ? 1 << 30 : 0) | (up ? 1u << 31 : 0));
}

TEST(AppFrame, WithoutTheInputLibraryTheKeysComeFromTheWindowsKeyMessages)
{
    PelmoraAppSettings s = Settings(64, 48);
    s.inputLibrary = "NoSuchInput.dll";
    PelmoraApp app(s);
    ASSERT_TRUE(app.start({"--frames", "8"}));
    EXPECT_FALSE(app.keys().usesInputDevice());
    EXPECT_EQ(app.keys().source().find("window key messages (NoSuchInput.dll: cannot load it, error 126"), 0u)
        << app.keys().source();
    // Each frame posts what the next one sees: Right goes down, repeats, goes up; then Space is
    // tapped (down and up before one frame); then Left, a message without a scan code.
    const int right = 0xCD, space = 0x39, left = 0xCB;
    std::vector<std::string> seen;
    app.run([&](float) {
        const PelmoraKeyboard& k = app.keys();
        std::string line;
        for (int key : {right, space, left})
            line += std::string(k.down(key) ? "D" : "-") + (k.pressed(key) ? "P" : "-") + " ";
        seen.push_back(line);
        HWND w = app.window();
        switch (app.frameCount()) {
        case 0: PostMessageA(w, WM_KEYDOWN, VK_RIGHT, KeyBits(0x4D, true, false, false)); break;
        case 1: PostMessageA(w, WM_KEYDOWN, VK_RIGHT, KeyBits(0x4D, true, true, false)); break;
        case 2: PostMessageA(w, WM_KEYUP, VK_RIGHT, KeyBits(0x4D, true, true, true)); break;
        case 3:
            PostMessageA(w, WM_KEYDOWN, VK_SPACE, KeyBits(0x39, false, false, false));
            PostMessageA(w, WM_KEYUP, VK_SPACE, KeyBits(0x39, false, true, true));
            break;
        case 5: PostMessageA(w, WM_KEYDOWN, VK_LEFT, 1); break;
        default: break;
        }
        return true;
    });
    const std::vector<std::string> expected = {
        "-- -- -- ", "DP -- -- ", "D- -- -- ", "-- -- -- ", "-- -P -- ", "-- -- -- ", "-- -- DP ", "-- -- D- ",
    };
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(app.keys().down(-1));
    EXPECT_FALSE(app.keys().pressed(256));
    EXPECT_EQ(app.stop(), 0);
}

TEST(AppFrame, APressIsTakenOnceWhetherTheDeviceOrTheMessagesShowItFirst)
{
    // ScriptedInput.dll's device reads the keys the test sets, so it can see a press a frame
    // after the window's key message (or before it), as DirectInput may in a slow frame.
    PelmoraAppSettings s = Settings(64, 48);
    s.inputLibrary = "ScriptedInput.dll";
    PelmoraApp app(s);
    ASSERT_TRUE(app.start({"--frames", "9"}));
    ASSERT_TRUE(app.keys().usesInputDevice()) << app.keys().source();
    typedef void (*SetKey)(int, bool);
    SetKey setKey = reinterpret_cast<SetKey>(GetProcAddress(GetModuleHandleA("ScriptedInput.dll"), "SetScriptedKey"));
    ASSERT_NE(setKey, nullptr);
    const int space = 0x39;
    std::vector<std::string> seen;
    app.run([&](float) {
        const PelmoraKeyboard& k = app.keys();
        seen.push_back(std::string(k.down(space) ? "D" : "-") + (k.pressed(space) ? "P" : "-"));
        HWND w = app.window();
        const LPARAM down = KeyBits(0x39, false, false, false), up = KeyBits(0x39, false, true, true);
        switch (app.frameCount()) {
        case 0: PostMessageA(w, WM_KEYDOWN, VK_SPACE, down); break;          // message first
        case 1: setKey(space, true); break;                                  // the device a frame later
        case 2: PostMessageA(w, WM_KEYUP, VK_SPACE, up); setKey(space, false); break;
        case 3: PostMessageA(w, WM_KEYDOWN, VK_SPACE, down); setKey(space, true); break; // both at once
        case 4: PostMessageA(w, WM_KEYUP, VK_SPACE, up); setKey(space, false); break;
        case 5: setKey(space, true); break;                                  // the device first
        case 6: PostMessageA(w, WM_KEYDOWN, VK_SPACE, down); break;          // the message a frame later
        case 7: PostMessageA(w, WM_KEYUP, VK_SPACE, up); setKey(space, false); break;
        default: break;
        }
        return true;
    });
    const std::vector<std::string> expected = {"--", "-P", "D-", "--", "DP", "--", "DP", "D-", "--"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(app.stop(), 0);
}

TEST(AppFrame, EscAndTheCloseBoxEndTheLoopAndTheWindowGoesOnlyWithTheDevice)
{
    for (UINT message : {UINT(WM_KEYDOWN), UINT(WM_CLOSE)}) {
        SCOPED_TRACE(message == WM_CLOSE ? "close box" : "Esc");
        PelmoraApp app(Settings());
        ASSERT_TRUE(app.start(std::vector<std::string>())) << app.failure();
        std::vector<float> times;
        app.run([&](float seconds) {
            times.push_back(seconds);
            if (times.size() == 3) PostMessageA(app.window(), message, message == WM_KEYDOWN ? VK_ESCAPE : 0, 0);
            return times.size() < 50;
        });
        // The message is seen before the fourth frame; an interactive run is timed by the clock.
        ASSERT_EQ(times.size(), 3u);
        EXPECT_EQ(times[0], 0.0f);
        EXPECT_GT(times[1], 0.0f);
        EXPECT_LT(times[1], 10.0f);
        EXPECT_TRUE(app.ending());
        EXPECT_TRUE(IsWindow(app.window())) << "the device still draws into it";
        EXPECT_EQ(app.stop(), 0);
    }
}

TEST(AppFrame, DeviceOfAnotherLibraryReplacesTheFirstAndObjectsLeftOnADeviceAreReported)
{
    PelmoraApp app(Settings(200, 100));
    ASSERT_TRUE(app.start({"--frames", "4"}));
    HWND window = app.window();
    EXPECT_EQ(LibraryOf(app.device()), "PelmoraGraf.dll");
    app.run([&](float) { return app.frameCount() < 2; });
    ASSERT_TRUE(app.restartDevice("PelmoraParts.dll")) << app.failure();
    EXPECT_EQ(app.referencesLeft(), 0u) << "the first device went completely";
    EXPECT_EQ(app.window(), window);
    ASSERT_NE(app.device(), nullptr);
    EXPECT_EQ(LibraryOf(app.device()), "PelmoraParts.dll"); // (it may lie where the first one lay)
    EXPECT_EQ(app.device()->GetScreenWidth(), 200u);
    app.run([&](float) {
        FillRect(app.d3d(), 0, 0, 10, 10, 0xFFFF0000);
        return true;
    });
    EXPECT_EQ(app.frameCount(), 4);

    // A texture still held when the device goes: reported, exit code 3.
    IDirect3DTexture9* kept = nullptr;
    ASSERT_EQ(app.d3d()->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &kept, nullptr), D3D_OK);
    EXPECT_EQ(app.stop(), 3);
    EXPECT_EQ(app.referencesLeft(), 1u);
    EXPECT_NE(app.failure().find("1 reference(s) to the Direct3D device of PelmoraParts.dll"), std::string::npos)
        << app.failure();
    EXPECT_EQ(kept->Release(), 0u); // the last reference: the Direct3D device goes with it
}

} // namespace
