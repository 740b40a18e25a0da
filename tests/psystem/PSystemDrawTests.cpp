// Particle systems drawing through the graphics library's own render device: each effect kind
// with its compiled effect draws moving sprites (pixels read back), the shared declaration goes
// with a destroyed system, and a device reset is survived.
#include <gtest/gtest.h>
#include "PSystem.h"
#include "Rain.h"
#include "FireRing.h"
#include "Sprinkler.h"
#include "Smoke.h"
#include "Candle.h"
#include "OXERenderDevice.h"
#include "OXEResult.h"
#include "PSystemTestSupport.h"
#include <functional>
#include <memory>

using namespace testsupport;
using namespace psystemtest;

namespace {

typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);
typedef HRESULT (*ReleaseFn)(OXERenderDevice**);

// A render device made by PelmoraGraf's factory, so that the library's current device and its
// shared declarations are the ones its particle systems use. One for the whole program: a
// window that carried a device is slow to destroy under Wine.
class GrafDevice {
public:
    static GrafDevice& get()
    {
        if (!instance_) instance_ = new GrafDevice;
        return *instance_;
    }
    // Releases the device through the library that made it, once every test is done, and
    // checks nothing made on it outlived it. The window stays (slow to destroy).
    static void releaseShared()
    {
        if (!instance_ || !instance_->device_) return;
        HMODULE graf = GetModuleHandleA("PelmoraGraf.dll");
        ReleaseFn release = graf ? (ReleaseFn)GetProcAddress(graf, "ReleaseRenderDevice") : nullptr;
        ASSERT_NE(release, nullptr);
        IDirect3DDevice9* d3d = instance_->device_->GetD3DDevice();
        if (d3d) d3d->AddRef();
        release(&instance_->device_);
        if (d3d) {
            EXPECT_EQ(d3d->Release(), 0u) << "Direct3D objects left alive";
        }
    }
    bool ok() const { return device_ && device_->GetD3DDevice(); }
    OXERenderDevice* operator->() const { return device_; }
    IDirect3DDevice9* d3d() const { return device_->GetD3DDevice(); }
    int height() const { return window_.height(); }

    void begin()
    {
        d3d()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        d3d()->BeginScene();
    }
    Picture end()
    {
        d3d()->EndScene();
        Picture p;
        ReadBackBuffer(d3d(), p);
        d3d()->Present(nullptr, nullptr, nullptr, nullptr);
        return p;
    }

private:
    GrafDevice() : window_(640, 480, "PSystemTest")
    {
        HMODULE graf = GetModuleHandleA("PelmoraGraf.dll");
        CreateFn create = graf ? (CreateFn)GetProcAddress(graf, "CreateRenderDevice") : nullptr;
        if (!create || create(graf, &device_) != OXE_OK || !device_) return;
        if (device_->Init(window_.handle(), 16, 8, false, false) != OXE_OK) return;
        device_->CreateVertexDeclarations();
    }
    static GrafDevice* instance_; // made by the first test that draws
    TestWindow window_;
    OXERenderDevice* device_ = nullptr;
};
GrafDevice* GrafDevice::instance_ = nullptr;

struct GrafDeviceRelease : ::testing::Environment {
    void TearDown() override { GrafDevice::releaseShared(); }
};
::testing::Environment* const g_grafDeviceRelease = ::testing::AddGlobalTestEnvironment(new GrafDeviceRelease);

Camera LookingAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
{
    Camera c;
    c.lookAt(eye, target, D3DXVECTOR3(0, 1, 0));
    c.setLens(D3DX_PI / 4, 640.0f / 480.0f, 1.0f, 5000.0f);
    c.update(0.0f);
    return c;
}

struct KindCase {
    const char* name;
    std::function<PSystem*()> make;
    D3DXVECTOR3 eye, target;
};

const D3DXVECTOR3 kGravity(0, -9.8f, 0);

std::vector<KindCase> Kinds()
{
    const std::string tex = WhiteTexture();
    OXEAabb box(D3DXVECTOR3(-500, -500, -500), D3DXVECTOR3(500, 500, 500));
    return {
        {"rain", [=] { return new RainEffect(EffectPath("rain.fx"), "RainTech", tex, D3DXVECTOR3(0, 0, 0), box, 300, 0.01f, D3DXVECTOR3(0, 0, 0)); },
         D3DXVECTOR3(0, 20, -200), D3DXVECTOR3(0, 20, 0)},
        {"firering", [=] { return new FireRingEffect(EffectPath("firering.fx"), "FireRingTech", tex, D3DXVECTOR3(0, 0.9f, 0), box, 300, 0.01f); },
         D3DXVECTOR3(0, 0, -60), D3DXVECTOR3(0, 0, 0)},
        {"sprinkler", [=] { return new SprinklerEffect(EffectPath("sprinkler.fx"), "SprinklerTech", tex, kGravity, box, 300, 0.01f); },
         D3DXVECTOR3(0, 10, -80), D3DXVECTOR3(0, 10, 0)},
        {"smoke", [=] { return new SmokeEffect(EffectPath("smoke.fx"), "SmokeTech", tex, D3DXVECTOR3(0, 0, 0), box, 300, 0.01f); },
         D3DXVECTOR3(0, 200, -600), D3DXVECTOR3(0, 200, 0)},
        {"candle", [=] { return new CandleEffect(EffectPath("candle.fx"), "CandleTech", tex, D3DXVECTOR3(0, 0.9f, 0), box, 300, 0.01f); },
         D3DXVECTOR3(0, 0, -40), D3DXVECTOR3(0, 0, 0)},
    };
}

Picture DrawFrame(GrafDevice& dev, PSystem& s, const Camera& cam)
{
    dev.begin();
    s.draw(cam);
    return dev.end();
}

} // namespace

TEST(PSystemDraw, EveryKindDrawsSpritesThatMoveOverTime)
{
    GrafDevice& dev = GrafDevice::get();
    ASSERT_TRUE(dev.ok());
    for (const KindCase& k : Kinds()) {
        dev->CreateVertexDeclarations();
        PSystem::emitAccumulator = 0.0f;
        std::unique_ptr<PSystem> s(k.make());
        ASSERT_NE(s->effect, nullptr) << k.name;
        ASSERT_NE(s->texture, nullptr) << k.name;
        ASSERT_NE(s->vertexBuffer, nullptr) << k.name;
        Camera cam = LookingAt(k.eye, k.target);
        for (int i = 0; i < 20; ++i) s->update(0.05f);
        ASSERT_GT(s->alive.size(), 50u) << k.name;
        Picture first = DrawFrame(dev, *s, cam);
        s->update(0.1f);
        Picture second = DrawFrame(dev, *s, cam);
        int lit = CountNot(first, 0);
        EXPECT_GT(lit, 200) << k.name;
        EXPECT_LT(lit, first.width * first.height / 2) << k.name;
        EXPECT_GT(CountNot(second, 0), 200) << k.name;
        EXPECT_GT(CountDiff(first, second), 50) << k.name << ": nothing moved";
        if (::testing::Test::HasFailure()) first.saveBmp(std::string("failed_") + k.name + ".bmp");
    }
}

TEST(PSystemDraw, NoAliveParticleDrawsNothingAndWorldMatrixMovesTheSystem)
{
    GrafDevice& dev = GrafDevice::get();
    ASSERT_TRUE(dev.ok());
    dev->CreateVertexDeclarations();
    PSystem::emitAccumulator = 0.0f;
    OXEAabb box;
    CandleEffect c(EffectPath("candle.fx"), "CandleTech", WhiteTexture(), D3DXVECTOR3(0, 0, 0), box, 50, 0.0f);
    Camera cam = LookingAt(D3DXVECTOR3(0, 0, -40), D3DXVECTOR3(0, 0, 0));
    c.update(0.0f);
    EXPECT_EQ(CountNot(DrawFrame(dev, c, cam), 0), 0);
    for (int i = 0; i < 20; ++i) c.addParticle();
    c.update(0.1f);
    Picture centred = DrawFrame(dev, c, cam);
    auto meanX = [](const Picture& p) {
        double sum = 0, n = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (p.rgb(x, y)) sum += x, n += 1;
        return n ? sum / n : -1.0;
    };
    EXPECT_NEAR(meanX(centred), centred.width / 2.0, centred.width / 16.0);
    D3DXMATRIX right;
    D3DXMatrixTranslation(&right, 10, 0, 0);
    c.setWorldMtx(right);
    Picture moved = DrawFrame(dev, c, cam);
    EXPECT_GT(meanX(moved), meanX(centred) + 60) << "the world matrix shifts the sprites right";
}

TEST(PSystemDraw, DestroyingASystemReleasesTheSharedDeclarationUntilItIsMadeAgain)
{
    GrafDevice& dev = GrafDevice::get();
    ASSERT_TRUE(dev.ok());
    dev->CreateVertexDeclarations();
    PSystem::emitAccumulator = 0.0f;
    OXEAabb box;
    auto make = [&] { return new SprinklerEffect(EffectPath("sprinkler.fx"), "SprinklerTech", WhiteTexture(), D3DXVECTOR3(0, 0, 0), box, 50, 0.0f); };
    std::unique_ptr<PSystem> a(make()), b(make());
    b->update(0.0f); // the dead list is made by update
    for (int i = 0; i < 10; ++i) b->addParticle();
    b->update(0.5f);
    Camera cam = LookingAt(D3DXVECTOR3(0, 10, -60), D3DXVECTOR3(0, 10, 0));

    dev.d3d()->SetVertexDeclaration(nullptr);
    DrawFrame(dev, *b, cam);
    IDirect3DVertexDeclaration9* shared = nullptr;
    dev.d3d()->GetVertexDeclaration(&shared);
    ASSERT_NE(shared, nullptr) << "drawing set the shared particle declaration";
    D3DVERTEXELEMENT9 elements[MAXD3DDECLLENGTH] = {};
    UINT n = 0;
    shared->GetDeclaration(elements, &n);
    EXPECT_EQ(n, 8u) << "seven elements and the end";
    shared->AddRef();
    ULONG before = shared->Release();

    a.reset(); // destroys one system: the shared declaration goes with it
    shared->AddRef();
    EXPECT_EQ(shared->Release(), before - 1) << "the destroyed system released the shared declaration";
    shared->Release(); // the reference GetVertexDeclaration gave

    dev.d3d()->SetVertexDeclaration(nullptr);
    Picture without = DrawFrame(dev, *b, cam);
    IDirect3DVertexDeclaration9* now = nullptr;
    dev.d3d()->GetVertexDeclaration(&now);
    EXPECT_EQ(now, nullptr) << "without the shared declaration none is set";
    if (now) now->Release();

    dev->CreateVertexDeclarations();
    Picture again = DrawFrame(dev, *b, cam);
    EXPECT_GT(CountNot(again, 0), 50) << "draws again once the declarations are made";
    (void)without;
}

TEST(PSystemDraw, SurvivesADeviceResetBetweenLostAndResetCalls)
{
    GrafDevice& dev = GrafDevice::get();
    ASSERT_TRUE(dev.ok());
    dev->CreateVertexDeclarations();
    PSystem::emitAccumulator = 0.0f;
    OXEAabb box;
    FireRingEffect f(EffectPath("firering.fx"), "FireRingTech", WhiteTexture(), D3DXVECTOR3(0, 0, 0), box, 100, 0.0f);
    f.update(0.0f);
    for (int i = 0; i < 40; ++i) f.addParticle();
    f.update(0.2f);
    Camera cam = LookingAt(D3DXVECTOR3(0, 0, -60), D3DXVECTOR3(0, 0, 0));
    int before = CountNot(DrawFrame(dev, f, cam), 0);
    EXPECT_GT(before, 100);

    f.onLostDevice();
    EXPECT_EQ(f.vertexBuffer, nullptr);
    EXPECT_EQ(CountNot(DrawFrame(dev, f, cam), 0), 0) << "a lost system draws nothing and does not crash";
    // The shared declarations are made again after the reset, as a client of the device does.
    EXPECT_EQ(dev->ResetDevice(), OXE_OK);
    dev->CreateVertexDeclarations();
    f.onResetDevice();
    ASSERT_NE(f.vertexBuffer, nullptr);
    D3DVERTEXBUFFER_DESC desc = {};
    f.vertexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 100u * 44u);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS));
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(CountNot(DrawFrame(dev, f, cam), 0), before) << "the same frame after the reset";
}

// maxParticles and the alive list are public: a smaller maxParticles set after construction
// makes no smaller vertex buffer than the pool needs, and an alive list padded past the pool
// writes no more records than the buffer holds.
TEST(PSystemDraw, PublicPoolSizeAndAliveListStayWithinTheBuffer)
{
    GrafDevice& dev = GrafDevice::get();
    ASSERT_TRUE(dev.ok());
    dev->CreateVertexDeclarations();
    PSystem::emitAccumulator = 0.0f;
    OXEAabb box;
    FireRingEffect f(EffectPath("firering.fx"), "FireRingTech", WhiteTexture(), D3DXVECTOR3(0, 0, 0), box, 100, 0.0f);
    f.update(0.0f);
    for (int i = 0; i < 100; ++i) f.addParticle();
    f.update(0.2f);
    ASSERT_EQ(f.alive.size(), 100u);
    Camera cam = LookingAt(D3DXVECTOR3(0, 0, -60), D3DXVECTOR3(0, 0, 0));
    const int all = CountNot(DrawFrame(dev, f, cam), 0);
    EXPECT_GT(all, 100);

    f.maxParticles = 10;
    f.onLostDevice();
    f.onResetDevice();
    ASSERT_NE(f.vertexBuffer, nullptr);
    D3DVERTEXBUFFER_DESC desc = {};
    f.vertexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 100u * 44u) << "room for the whole pool";
    EXPECT_EQ(CountNot(DrawFrame(dev, f, cam), 0), all);

    for (int i = 0; i < 100; ++i) f.alive.push_back(f.alive[i]); // each particle listed twice
    EXPECT_EQ(CountNot(DrawFrame(dev, f, cam), 0), all) << "the first 100 records fill the buffer";
    f.maxParticles = 100;
}

TEST(PSystemDraw, MissingEffectOrTextureDrawsNothingAndNeverCrashes)
{
    GrafDevice& dev = GrafDevice::get();
    ASSERT_TRUE(dev.ok());
    dev->CreateVertexDeclarations();
    PSystem::emitAccumulator = 0.0f;
    OXEAabb box;
    Camera cam = LookingAt(D3DXVECTOR3(0, 0, -40), D3DXVECTOR3(0, 0, 0));
    CandleEffect noFx("no_such_effect.fx", "CandleTech", WhiteTexture(), D3DXVECTOR3(0, 0, 0), box, 20, 0.01f);
    CandleEffect noTex(EffectPath("candle.fx"), "CandleTech", "no_such_texture.dds", D3DXVECTOR3(0, 0, 0), box, 20, 0.01f);
    EXPECT_EQ(noFx.effect, nullptr);
    EXPECT_EQ(noTex.texture, nullptr);
    for (CandleEffect* s : {&noFx, &noTex}) {
        s->update(0.5f);
        EXPECT_GT(s->alive.size(), 10u) << "the processor side still runs";
        EXPECT_EQ(CountNot(DrawFrame(dev, *s, cam), 0), 0);
        s->onLostDevice();
        s->onResetDevice();
    }
}
