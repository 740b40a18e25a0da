// The render device's factory, its operation slots as another module sees them, the device log,
// start-up and release.
#include "StartedDevice.h"
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace testsupport;
using namespace devcoretest;

namespace {

typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);
typedef HRESULT (*ReleaseFn)(OXERenderDevice**);

// The graphics library loaded by name, as the game loads it.
struct GraphicsLibrary {
    GraphicsLibrary()
    {
        module = LoadLibraryA((ProgramFolder() + "PelmoraGraf.dll").c_str());
        if (module) {
            create = reinterpret_cast<CreateFn>(GetProcAddress(module, "CreateRenderDevice"));
            release = reinterpret_cast<ReleaseFn>(GetProcAddress(module, "ReleaseRenderDevice"));
        }
    }
    ~GraphicsLibrary()
    {
        if (module) FreeLibrary(module);
    }
    HMODULE module = nullptr;
    CreateFn create = nullptr;
    ReleaseFn release = nullptr;
};

// Operation slot n of an interface object, called through its vtable (the destructor takes two
// entries, so slot n is vtable index n + 1).
template <class R, class... Args> R CallSlot(OXERenderDevice* device, int slot, Args... args)
{
    void** vtable = *reinterpret_cast<void***>(device);
    typedef R (*Fn)(OXERenderDevice*, Args...);
    return reinterpret_cast<Fn>(vtable[slot + 1])(device, args...);
}

const char* kLogName = "log_renderdevice.txt";
const std::string kDevicePrefix = "[OXED3DDEVICE]: ";

std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start + 1));
        start = end + 1;
    }
    return lines;
}

// The device's own lines (prefix removed, line end kept).
std::vector<std::string> DeviceLines(const std::string& bytes)
{
    std::vector<std::string> out;
    for (const std::string& line : Lines(bytes))
        if (line.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0) out.push_back(line.substr(kDevicePrefix.size()));
    return out;
}

} // namespace

TEST(RenderDeviceFactory, CreatesOnceIntoAnEmptyPointerAndReleasesOnce)
{
    GraphicsLibrary lib;
    ASSERT_NE(lib.module, nullptr);
    ASSERT_NE(lib.create, nullptr);
    ASSERT_NE(lib.release, nullptr);

    OXERenderDevice* device = nullptr;
    EXPECT_EQ(lib.create(lib.module, &device), OXE_OK);
    ASSERT_NE(device, nullptr);
    OXERenderDevice* first = device;
    EXPECT_EQ(lib.create(lib.module, &device), OXE_FAIL);
    EXPECT_EQ(device, first);
    EXPECT_EQ(lib.create(lib.module, nullptr), OXE_INVALIDPARAM);

    EXPECT_EQ(lib.release(&device), OXE_OK);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(lib.release(&device), OXE_FAIL);
    EXPECT_EQ(lib.release(nullptr), OXE_FAIL);
}

namespace {

// The slot through which `module` calls `name` of `dll` (its import address table entry), or
// null when it imports no such function.
ULONG_PTR* ImportSlot(HMODULE module, const char* dll, const char* name)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) return &slots->u1.Function;
        }
    }
    return nullptr;
}

// While it lives, the module's requests to the C runtime's malloc for exactly `bytes` bytes
// return null; every other request is served (the failed allocation's own error handling
// allocates too).
class FailingMalloc {
public:
    FailingMalloc(HMODULE module, size_t bytes) : slot_(ImportSlot(module, "msvcrt.dll", "malloc"))
    {
        failing_ = bytes;
        if (slot_) {
            real_ = reinterpret_cast<MallocFn>(*slot_);
            swap(reinterpret_cast<ULONG_PTR>(&Malloc));
        }
    }
    ~FailingMalloc()
    {
        if (slot_) swap(reinterpret_cast<ULONG_PTR>(real_));
    }
    bool armed() const { return slot_ != nullptr; }
    static int failures() { return failures_; }

private:
    typedef void* (*MallocFn)(size_t);
    static void* Malloc(size_t bytes)
    {
        if (bytes == failing_) {
            ++failures_;
            return nullptr;
        }
        return real_(bytes);
    }
    void swap(ULONG_PTR to)
    {
        DWORD protection;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = to;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }
    ULONG_PTR* slot_;
    static MallocFn real_;
    static size_t failing_;
    static int failures_;
};
FailingMalloc::MallocFn FailingMalloc::real_ = nullptr;
size_t FailingMalloc::failing_ = 0;
int FailingMalloc::failures_ = 0;

} // namespace

TEST(RenderDeviceFactory, NoMemoryForTheDeviceIsAFailureWithTheDeviceLeftEmpty)
{
    GraphicsLibrary lib;
    ASSERT_NE(lib.create, nullptr);
    OXERenderDevice* device = nullptr;
    HRESULT hr = OXE_OK;
    {
        FailingMalloc noMemory(lib.module, sizeof(OXED3D));
        ASSERT_TRUE(noMemory.armed()) << "PelmoraGraf.dll takes malloc from msvcrt.dll";
        hr = lib.create(lib.module, &device);
    }
    EXPECT_GE(FailingMalloc::failures(), 1) << "the device's allocation was made and failed";
    EXPECT_EQ(OXE_FAIL, hr);
    EXPECT_EQ(nullptr, device);
    // With memory again the factory makes a device.
    ASSERT_EQ(OXE_OK, lib.create(lib.module, &device));
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(OXE_OK, lib.release(&device));
}

TEST(RenderDeviceFactory, OperationSlotsOfTheLibrarysDeviceMatchTheInterface)
{
    GraphicsLibrary lib;
    ASSERT_NE(lib.create, nullptr);
    OXERenderDevice* device = nullptr;
    ASSERT_EQ(lib.create(lib.module, &device), OXE_OK);
    ASSERT_NE(device, nullptr);

    // Values that tell neighbouring slots apart.
    EXPECT_EQ((CallSlot<OXERenderDevice*>(device, 105)), device);         // GetRenderDevice
    EXPECT_EQ((CallSlot<UINT>(device, 5)), 768u);                          // GetScreenHeight
    EXPECT_EQ((CallSlot<UINT>(device, 6)), 1024u);                         // GetScreenWidth
    EXPECT_FALSE((CallSlot<bool>(device, 8)));                              // IsRunning
    EXPECT_EQ((CallSlot<UINT>(device, 15)), 32u);                          // GetColorDepth
    EXPECT_TRUE((CallSlot<bool>(device, 18)));                              // IsWindowed
    EXPECT_FALSE((CallSlot<bool>(device, 33)));                             // QueryFlagA
    EXPECT_TRUE((CallSlot<bool>(device, 34)));                              // QueryFlagB
    EXPECT_TRUE((CallSlot<bool>(device, 35)));                              // QueryFlagC
    EXPECT_EQ((CallSlot<UINT>(device, 51)), 0u);                           // QueryValueA
    EXPECT_EQ((CallSlot<HWND>(device, 103)), nullptr);                     // GetWindowHandle
    EXPECT_EQ((CallSlot<IDirect3DDevice9*>(device, 104)), nullptr);        // GetD3DDevice
    EXPECT_EQ((CallSlot<D3DFORMAT>(device, 106)), D3DFMT_X8R8G8B8);        // GetDisplayFormat
    EXPECT_EQ((CallSlot<int>(device, 113, 7, 3)), 7);                      // GetRandomInt
    EXPECT_EQ((CallSlot<HRESULT>(device, 16, 5u)), OXE_OK);                // StubOneArg

    OXEResolution size = {};
    EXPECT_EQ((CallSlot<OXEResolution*>(device, 37, &size)), &size);      // GetResolution
    EXPECT_EQ(size.width, 1024u);
    EXPECT_EQ(size.height, 768u);

    // Camera setters and getters pair up slot by slot.
    CallSlot<void>(device, 87, 2.5f);                                     // SetMaxSpeed
    EXPECT_FLOAT_EQ((CallSlot<float>(device, 98)), 2.5f);                 // GetMaxSpeed
    CallSlot<void>(device, 89, 0.75f);                                    // SetPitchLimit
    EXPECT_FLOAT_EQ((CallSlot<float>(device, 102)), 0.75f);               // GetPitchLimit
    CallSlot<void>(device, 88, 3);                                        // SetInvertPitch
    EXPECT_EQ((CallSlot<int>(device, 99)), 3);                            // GetInvertPitch
    CallSlot<void>(device, 72, 0.5f, 2.0f, 3.0f, 400.0f);                 // SetPerspective
    EXPECT_FLOAT_EQ((CallSlot<float>(device, 94)), 0.5f);                 // GetFov
    EXPECT_FLOAT_EQ((CallSlot<float>(device, 95)), 2.0f);                 // GetAspect
    EXPECT_FLOAT_EQ((CallSlot<float>(device, 96)), 3.0f);                 // GetNearPlane
    EXPECT_FLOAT_EQ((CallSlot<float>(device, 97)), 400.0f);               // GetFarPlane
    CallSlot<void>(device, 86, 900.0f);                                   // SetFarPlane
    EXPECT_FLOAT_EQ((CallSlot<float>(device, 97)), 900.0f);
    CallSlot<void>(device, 59, 42u);                                      // SetCurrentSkin
    EXPECT_EQ((CallSlot<UINT>(device, 50)), 42u);                         // GetCurrentSkin
    D3DXVECTOR3 position(1, 2, 3);
    CallSlot<void>(device, 81, &position);                                // SetCameraPosition
    EXPECT_EQ(*(CallSlot<D3DXVECTOR3*>(device, 92)), position);           // GetCameraPosition
    CallSlot<void>(device, 73);                                           // ResetCamera
    EXPECT_EQ(*(CallSlot<D3DXVECTOR3*>(device, 92)), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(*(CallSlot<D3DXVECTOR3*>(device, 93)), D3DXVECTOR3(0, 0, 1)); // GetCameraTarget
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(SameMatrix(*(CallSlot<D3DXMATRIX*>(device, 90)), identity));            // GetViewMatrix

    // The view-projection getter (91) hands out the field the camera projection went to.
    D3DXMATRIX expected;
    D3DXMatrixPerspectiveFovLH(&expected, 1.0471976f, 1.3f, 0.1f, 1000.0f);
    EXPECT_TRUE(SameMatrix(*(CallSlot<D3DXMATRIX*>(device, 91)), expected));

    // A view before the device runs is refused with the platform's code (slot 24).
    D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
    EXPECT_EQ((CallSlot<HRESULT>(device, 24, &eye, &at, &up)), OXE_PLATFORM_FAIL);

    EXPECT_EQ(lib.release(&device), OXE_OK);
}

TEST(RenderDeviceFactory, InitThroughItsSlotStartsTheLibrarysDevice)
{
    GraphicsLibrary lib;
    ASSERT_NE(lib.create, nullptr);
    TestWindow window(1024, 768, "SlotInit");
    OXERenderDevice* device = nullptr;
    ASSERT_EQ(lib.create(lib.module, &device), OXE_OK);
    EXPECT_EQ((CallSlot<HRESULT>(device, 1, window.handle(), 16u, 8, false, true)), OXE_OK); // Init
    EXPECT_TRUE((CallSlot<bool>(device, 8)));                                         // IsRunning
    EXPECT_EQ((CallSlot<HWND>(device, 103)), window.handle());                       // GetWindowHandle
    EXPECT_NE((CallSlot<IDirect3DDevice9*>(device, 104)), nullptr);                  // GetD3DDevice
    EXPECT_NE((CallSlot<OXESkinManager*>(device, 20)), nullptr);                     // GetSkinManager
    EXPECT_NE((CallSlot<OXEVertexCacheManager*>(device, 21)), nullptr);              // GetVertexCacheManager
    EXPECT_EQ((CallSlot<int>(device, 43)), OXE_RENDER_SOLID);                        // GetRenderMode
    EXPECT_EQ((CallSlot<D3DTEXTUREOP>(device, 39, BYTE(0))), D3DTOP_MODULATE);       // GetStageTextureOp
    EXPECT_EQ((CallSlot<HRESULT>(device, 10, true, true, false)), OXE_OK);          // BeginFrame
    EXPECT_EQ((CallSlot<HRESULT>(device, 11)), D3D_OK);                             // EndFrame
    CallSlot<void>(device, 7);                                                       // Release
    EXPECT_EQ((CallSlot<IDirect3DDevice9*>(device, 104)), nullptr);
    EXPECT_EQ(lib.release(&device), OXE_OK);
}

TEST(DeviceLog, StartUpAndShutDownWriteTheirLinesInOrder)
{
    std::string afterInit, afterRelease;
    {
        StartedDevice started;
        ASSERT_TRUE(started.ok());
        // With the flush flag set, every line is already on disk while the device runs.
        afterInit = ReadFileBytes(kLogName);
        std::vector<std::string> device = DeviceLines(afterInit);
        const std::vector<std::string> expected = {
            "online (waiting for initialization call)\r\n",
            "DirectX init alkaa\r\n",
            "P\xE4\xE4objekti luotu\r\n",
            "Direct3DCreate9 init onnistui\r\n",
            "enableFullscreeMode alkaa\r\n",
            "Window\r\n",
            "Onnistui\r\n",
            "DirectX CreateDevice onnistui\r\n",
            "initialized (online and ready)\r\n",
            "InitStage alkaa\r\n",
            "InitStage CalcPerspProjMatrix onnistui\r\n",
            "InitStage kaikki ok\r\n",
            "oneTimeInit onnistui\r\n",
        };
        EXPECT_EQ(device, expected);
        // The file starts with the device's first line; every other line is a manager's.
        EXPECT_EQ(afterInit.compare(0, 58, kDevicePrefix + "online (waiting for initialization call)\r\n"), 0);
        for (const std::string& line : Lines(afterInit)) {
            bool known = line.compare(0, 16, kDevicePrefix) == 0 || line.compare(0, 16, "[OXED3DSkinMn]: ") == 0 ||
                         line.compare(0, 16, "[OXED3DVCMngr]: ") == 0;
            EXPECT_TRUE(known) << line;
            EXPECT_EQ(line.substr(line.size() - 2), "\r\n") << line;
        }
        started.device->Release();
        afterRelease = ReadFileBytes(kLogName);
    }
    // Release appends (after the managers' own lines) the device's last line and closes the file.
    ASSERT_GT(afterRelease.size(), afterInit.size());
    EXPECT_EQ(afterRelease.compare(0, afterInit.size(), afterInit), 0);
    std::vector<std::string> tail = DeviceLines(afterRelease.substr(afterInit.size()));
    EXPECT_EQ(tail, std::vector<std::string>{"offline (ok)\r\n"});
    const std::string last = kDevicePrefix + "offline (ok)\r\n";
    EXPECT_EQ(afterRelease.compare(afterRelease.size() - last.size(), last.size(), last), 0);
    // The destructor's Release finds the log closed and writes nothing more.
    EXPECT_EQ(ReadFileBytes(kLogName), afterRelease);
}

TEST(DeviceLog, ADeviceNeverStartedWritesItsTwoLines)
{
    g_OXEFlushLog = false;
    OXED3D* device = new OXED3D(nullptr);
    delete device;
    EXPECT_EQ(ReadFileBytes(kLogName), kDevicePrefix + "online (waiting for initialization call)\r\n" +
                                           kDevicePrefix + "offline (ok)\r\n");
}

TEST(DeviceLog, WriterCutsLongMessagesAndIgnoresWritesWhenClosed)
{
    OXELog log;
    log.Write(OXE_LOG_DEVICE, "before open %d", 1); // no file yet: nothing happens
    ASSERT_TRUE(log.Open("log_writer_test.txt"));
    std::string longText(400, 'x');
    log.Write(OXE_LOG_SKINMAN, "%s", longText.c_str());
    log.WriteText(OXE_LOG_VCMAN, "100% raw %s text");
    log.Close();
    log.Write(OXE_LOG_DEVICE, "after close");
    EXPECT_EQ(ReadFileBytes("log_writer_test.txt"),
              "[OXED3DSkinMn]: " + std::string(259, 'x') + "\r\n[OXED3DVCMngr]: 100% raw %s text\r\n");
}

TEST(DeviceStartUp, InitGivesTheGamesWindowedDevice)
{
    StartedDevice started;
    ASSERT_TRUE(started.ok());
    OXED3D* dev = started.get();
    EXPECT_TRUE(dev->IsRunning());
    EXPECT_TRUE(dev->IsWindowed());
    EXPECT_TRUE(dev->m_stencil);
    EXPECT_EQ(dev->GetColorDepth(), 32u);
    EXPECT_EQ(dev->GetWindowHandle(), started.window.handle());
    EXPECT_EQ(dev->GetRenderDevice(), dev);
    EXPECT_EQ(g_pOXECurrentDevice, dev);

    IDirect3DSwapChain9* chain = nullptr;
    ASSERT_EQ(started.d3d()->GetSwapChain(0, &chain), D3D_OK);
    D3DPRESENT_PARAMETERS pp = {};
    chain->GetPresentParameters(&pp);
    chain->Release();
    EXPECT_EQ(pp.BackBufferWidth, 1024u);
    EXPECT_EQ(pp.BackBufferHeight, 768u);
    EXPECT_TRUE(pp.Windowed);
    EXPECT_TRUE(pp.EnableAutoDepthStencil);
    EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D24S8);

    // The window became an overlapped window at (100, 100) whose client area is the back buffer.
    HWND w = started.window.handle();
    EXPECT_EQ(DWORD(GetWindowLongA(w, GWL_STYLE)) & 0x00CF0000u, 0x00CF0000u);
    RECT frame = {}, client = {};
    GetWindowRect(w, &frame);
    GetClientRect(w, &client);
    EXPECT_EQ(frame.left, 100);
    EXPECT_EQ(frame.top, 100);
    EXPECT_EQ(client.right - client.left, 1024);
    EXPECT_EQ(client.bottom - client.top, 768);

    // After start-up: stage 0 active, solid mode, no current skin, managers present.
    EXPECT_EQ(dev->m_activeStage, 0);
    EXPECT_EQ(dev->GetRenderMode(), OXE_RENDER_SOLID);
    EXPECT_EQ(dev->GetCurrentSkin(), 0xFFFFu);
    EXPECT_NE(dev->GetSkinManager(), nullptr);
    EXPECT_NE(dev->GetVertexCacheManager(), nullptr);
    EXPECT_FLOAT_EQ(dev->m_nearPlane, 0.1f);
    EXPECT_FLOAT_EQ(dev->m_farPlane, 1000.0f);
    D3DMATERIAL9 material = {};
    started.d3d()->GetMaterial(&material);
    EXPECT_FLOAT_EQ(material.Ambient.r, 1.0f);
    EXPECT_FLOAT_EQ(material.Ambient.a, 1.0f);
    EXPECT_FLOAT_EQ(material.Diffuse.r, 0.0f);
    DWORD filter = 0;
    started.d3d()->GetSamplerState(0, D3DSAMP_MIPFILTER, &filter);
    EXPECT_EQ(filter, DWORD(D3DTEXF_LINEAR));
}

TEST(DeviceStartUp, StencilFlagFollowsTheRequestAndTheStoredFullscreenFlagIsReadFirst)
{
    StartedDevice noStencil(0);
    ASSERT_TRUE(noStencil.ok());
    EXPECT_FALSE(noStencil.get()->m_stencil);
    EXPECT_EQ(noStencil.get()->ClearFlags(true, true, true), DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
    noStencil.device.reset();

    // The windowed flag is the negation of the flag stored before Init, whatever Init is asked.
    TestWindow window(1024, 768, "StoredFlag");
    OXED3D dev(nullptr);
    dev.SetFullscreenFlag(true);
    EXPECT_EQ(dev.Init(window.handle(), 16, 8, false, true), OXE_OK);
    EXPECT_FALSE(dev.IsWindowed());
    EXPECT_FALSE(dev.m_fullscreen); // enableFullscreeMode stored the new request
}

TEST(DeviceStartUp, ASecondInitIsRefusedAndKeepsTheDevice)
{
    StartedDevice started;
    ASSERT_TRUE(started.ok());
    IDirect3DDevice9* first = started.d3d();
    OXESkinManager* skins = started.get()->GetSkinManager();
    EXPECT_EQ(started.get()->Init(started.window.handle(), 16, 8, false, true), OXE_FAIL);
    EXPECT_EQ(started.d3d(), first);
    EXPECT_EQ(started.get()->GetSkinManager(), skins);
    EXPECT_TRUE(started.get()->IsRunning());
}

TEST(DeviceRelease, FreesEverythingAndLeavesNothingToRunOn)
{
    StartedDevice started;
    ASSERT_TRUE(started.ok());
    OXED3D* dev = started.get();
    dev->CreateDefaultFonts();
    dev->CreateVertexDeclarations(); // the library's shared pair, made on this device
    UINT fontId = 0;
    dev->CreateArialFont(0, 400, false, 0, 0, 12, &fontId);
    IDirect3DDevice9* d3d = started.d3d();
    d3d->AddRef();

    dev->Release();
    // Nothing else held the Direct3D device: this was its last reference.
    EXPECT_EQ(d3d->Release(), 0u);
    EXPECT_EQ(dev->GetD3DDevice(), nullptr);
    EXPECT_EQ(dev->m_d3d, nullptr);
    EXPECT_EQ(dev->GetSkinManager(), nullptr);
    EXPECT_EQ(dev->GetVertexCacheManager(), nullptr);
    EXPECT_EQ(g_pOXEParticleDecl, nullptr);
    EXPECT_EQ(g_pOXEPositionDecl, nullptr);
    for (ID3DXFont* font : dev->m_fontTable) EXPECT_EQ(font, nullptr);
    EXPECT_EQ(dev->m_fontCount, 0u);
    EXPECT_FALSE(dev->IsRunning());
    EXPECT_FALSE(dev->m_log.IsOpen());

    // Operations after the release fail instead of touching a freed device.
    EXPECT_EQ(dev->BeginFrame(true, true, true), OXE_FAIL);
    EXPECT_EQ(dev->ClearBuffers(true, false, false), OXE_FAIL);
    EXPECT_EQ(dev->EndFrame(), OXE_FAIL);
    D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
    EXPECT_EQ(dev->SetViewFromTo(&eye, &at, &up), OXE_PLATFORM_FAIL);
    // State calls have no device to set anything on: the render mode stays what it was, and
    // nothing comes back to life.
    const int mode = dev->GetRenderMode();
    ASSERT_NE(mode, OXE_RENDER_WIREFRAME);
    dev->SetCullMode(OXE_CULL_NONE);
    dev->SetRenderMode(OXE_RENDER_WIREFRAME, 0, nullptr);
    EXPECT_EQ(dev->GetRenderMode(), mode);
    dev->SetWorldMatrix(nullptr);
    EXPECT_EQ(dev->SetStageTextureOp(0, OXE_TEXOP_MODULATE), OXE_FAIL);
    dev->Release(); // twice is harmless
    EXPECT_EQ(dev->GetD3DDevice(), nullptr);
    EXPECT_EQ(dev->GetVertexCacheManager(), nullptr);
    EXPECT_FALSE(dev->IsRunning());
    EXPECT_FALSE(dev->m_log.IsOpen());
}

TEST(DeviceRelease, CurrentDeviceIsClearedOnlyWhenThatDeviceIsDestroyed)
{
    OXED3D* a = new OXED3D(nullptr);
    EXPECT_EQ(g_pOXECurrentDevice, a);
    OXED3D* b = new OXED3D(nullptr);
    EXPECT_EQ(g_pOXECurrentDevice, b); // the latest construction wins
    delete a;
    EXPECT_EQ(g_pOXECurrentDevice, b); // another device's end leaves it alone
    delete b;
    EXPECT_EQ(g_pOXECurrentDevice, nullptr);
    OXESetCurrentRenderDevice(nullptr);
    EXPECT_EQ(g_pOXECurrentDevice, nullptr);
}

TEST(DisplayModes, QueriesOnAdapterZero)
{
    StartedDevice started;
    ASSERT_TRUE(started.ok());
    OXED3D* dev = started.get();
    // The adapter lists the screen's own mode.
    D3DDISPLAYMODE mode = {};
    ASSERT_EQ(dev->m_d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    bool listedX8 = dev->m_d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8) > 0;
    EXPECT_EQ(dev->IsDisplayModeAvailable(mode.Width, mode.Height, 32), listedX8);
    EXPECT_FALSE(dev->IsDisplayModeAvailable(mode.Width + 7, mode.Height, 32));

    dev->m_backBufferFormat = D3DFMT_R5G6B5;
    EXPECT_EQ(dev->GetColorDepth(), 16u);
    dev->m_backBufferFormat = D3DFMT_A8R8G8B8;
    EXPECT_EQ(dev->GetColorDepth(), 32u);
    dev->m_backBufferFormat = D3DFMT_D16;
    EXPECT_EQ(dev->GetColorDepth(), 0u);
}

TEST(DisplayModes, SecondStartPathMakesAWindowedDeviceWithItsStates)
{
    TestWindow window(640, 480, "DisplayModePath");
    OXED3D dev(nullptr);
    dev.m_mainWindow = window.handle();
    ASSERT_TRUE(dev.InitWithDisplayMode(false, 640, 480, 32, true));
    ASSERT_NE(dev.GetD3DDevice(), nullptr);
    EXPECT_FALSE(dev.IsRunning()); // this path does not mark the device as running
    EXPECT_EQ(dev.m_deviceType, UINT(D3DDEVTYPE_HAL));
    D3DDISPLAYMODE mode = {};
    dev.m_d3d->GetAdapterDisplayMode(0, &mode);
    EXPECT_EQ(dev.m_backBufferFormat, mode.Format);
    DWORD value = 0;
    dev.GetD3DDevice()->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_NONE));
    dev.GetD3DDevice()->GetRenderState(D3DRS_DESTBLEND, &value);
    EXPECT_EQ(value, DWORD(D3DBLEND_INVSRCALPHA));
    dev.GetD3DDevice()->GetTextureStageState(0, D3DTSS_ALPHAOP, &value);
    EXPECT_EQ(value, DWORD(D3DTOP_MODULATE));
    EXPECT_FALSE(dev.InitWithDisplayMode(false, 640, 480, 32, true)); // a device exists already
}

TEST(DeviceReset, ResetSucceedsWithTheManagersAndFontsAliveAndTheDeviceDrawsAfterwards)
{
    StartedDevice started;
    ASSERT_TRUE(started.ok());
    OXED3D* dev = started.get();
    ASSERT_EQ(dev->CreateFontInSlot(0, "Arial", 20, 10, 400, false), D3D_OK);
    EXPECT_EQ(dev->ResetDevice(), D3D_OK);
    dev->SetBackgroundColor(0, 1, 0);
    ASSERT_EQ(dev->BeginFrame(true, true, false), OXE_OK);
    dev->DrawTextAt(0, "Reset", 10, 10, 255, 0, 0, 255);
    Picture p;
    ASSERT_TRUE(ReadBackBuffer(dev->GetD3DDevice(), p));
    dev->EndFrame();
    EXPECT_GT(p.count(0x00FF00), 1024 * 768 - 60 * 30);
    EXPECT_LT(p.count(0x00FF00, 10, 10, 80, 40), 70 * 30 - 10); // the font still draws
    EXPECT_EQ(p.count(0x00FF00, 100, 100, 1024, 768), (1024 - 100) * (768 - 100));
}

TEST(DeviceStartUp, FullscreenRequestRestylesTheWindowAndFillsThePresentation)
{
    TestWindow window(640, 480, "FullscreenRequest");
    OXED3D dev(nullptr);
    dev.m_presentation.hDeviceWindow = window.handle();
    EXPECT_EQ(dev.enableFullscreeMode(true, 800, 600), OXE_OK);
    EXPECT_TRUE(dev.m_fullscreen);
    EXPECT_FALSE(dev.m_presentation.Windowed);
    EXPECT_EQ(dev.m_presentation.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(dev.GetScreenWidth(), 800u);
    EXPECT_EQ(dev.GetScreenHeight(), 600u);
    EXPECT_EQ(dev.m_windowWidth, 800u);
    EXPECT_EQ(DWORD(GetWindowLongA(window.handle(), GWL_STYLE)) & 0x00CF0000u, 0u);
    EXPECT_NE(DWORD(GetWindowLongA(window.handle(), GWL_STYLE)) & WS_POPUP, 0u);
    RECT r = {};
    GetWindowRect(window.handle(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));

    EXPECT_EQ(dev.enableFullscreeMode(false, 640, 480), OXE_OK);
    EXPECT_FALSE(dev.m_fullscreen);
    EXPECT_TRUE(dev.m_presentation.Windowed);
    EXPECT_EQ(dev.m_presentation.BackBufferFormat, D3DFMT_UNKNOWN);
    GetClientRect(window.handle(), &r);
    EXPECT_EQ(r.right, 640);
    EXPECT_EQ(r.bottom, 480);
}

TEST(DeviceStartUp, FailedDeviceCreationIsReportedAndLogged)
{
    TestWindow window(1024, 768, "FailedCreation");
    OXED3D* dev = new OXED3D(nullptr);
    // A colour format where the depth-stencil format belongs makes Direct3D refuse the device.
    dev->m_presentation.AutoDepthStencilFormat = D3DFMT_X8R8G8B8;
    EXPECT_EQ(dev->Init(window.handle(), 16, 8, false, true), OXE_CREATEDEVICE);
    EXPECT_FALSE(dev->IsRunning());
    EXPECT_EQ(dev->GetD3DDevice(), nullptr);
    EXPECT_NE(dev->m_d3d, nullptr); // the Direct3D object stays until Release
    std::vector<std::string> lines = DeviceLines(ReadFileBytes(kLogName));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "virhe: IDirect3D::CreateDevice() ep\xE4onnistui\r\n");
    delete dev;
    EXPECT_EQ(DeviceLines(ReadFileBytes(kLogName)).back(), "offline (ok)\r\n");
}
