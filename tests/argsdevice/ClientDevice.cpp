#include "ClientDevice.h"
#include "RenderDeviceRelease.h"
#include <cstdio>

namespace argstest {

namespace {

typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);
typedef HRESULT (*ReleaseFn)(OXERenderDevice**);

Client g_client;

class ClientEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        Client& c = g_client;
        c.library = LoadLibraryA((testsupport::ProgramFolder() + "PelmoraGraf.dll").c_str());
        if (!c.library) return;
        CreateFn create = reinterpret_cast<CreateFn>(GetProcAddress(c.library, "CreateRenderDevice"));
        if (!create || create(c.library, &c.device) != OXE_OK || !c.device) return;
        c.window = new testsupport::TestWindow(640, 480, "ArgsDeviceTest");
        c.initResult = c.device->Init(c.window->handle(), 16, 8, false, true);
    }
    void TearDown() override
    {
        Client& c = g_client;
        if (c.device) {
            // Everything the refused and the valid calls made went with the device.
            EXPECT_EQ(testsupport::ReleaseAndCountLeft(*c.device), 0u) << "Direct3D objects left alive";
            ReleaseFn release = reinterpret_cast<ReleaseFn>(GetProcAddress(c.library, "ReleaseRenderDevice"));
            if (release) release(&c.device);
        }
        delete c.window;
        c.window = nullptr;
    }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new ClientEnvironment);

} // namespace

Client& TheClient() { return g_client; }

void ClientTest::SetUp()
{
    ASSERT_NE(TheClient().device, nullptr) << "PelmoraGraf.dll did not give a device";
    ASSERT_EQ(TheClient().initResult, OXE_OK) << "the device did not start";
    ASSERT_NE(d3d(), nullptr);
    ASSERT_NE(skins(), nullptr);
    ASSERT_NE(caches(), nullptr);
}

testsupport::Picture ClientTest::Frame(const std::function<void()>& draw)
{
    testsupport::Picture p;
    dev()->SetBackgroundColor(0, 0, 0);
    EXPECT_EQ(dev()->BeginFrame(true, true, false), OXE_OK);
    draw();
    caches()->FlushAll();
    EXPECT_TRUE(testsupport::ReadBackBuffer(d3d(), p));
    EXPECT_EQ(dev()->EndFrame(), OXE_OK);
    return p;
}

int ClientTest::Lit(const testsupport::Picture& p, int x0, int y0, int x1, int y1)
{
    if (x1 < 0) x1 = p.width;
    if (y1 < 0) y1 = p.height;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (p.rgb(x, y) != 0) ++n;
    return n;
}

std::string SolidBitmap(const char* name, int width, int height, uint32_t rgb)
{
    const int pitch = (width * 3 + 3) & ~3;
    std::vector<unsigned char> file(54 + size_t(pitch) * height, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = (unsigned char)(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    file[26] = 1;  // planes
    file[28] = 24; // bits per pixel
    put32(34, uint32_t(pitch * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* px = &file[54 + size_t(y) * pitch + size_t(x) * 3];
            px[0] = (unsigned char)(rgb);
            px[1] = (unsigned char)(rgb >> 8);
            px[2] = (unsigned char)(rgb >> 16);
        }
    testsupport::WriteFileBytes(name, file.data(), file.size());
    return name;
}

} // namespace argstest
