// Render states, stage texture operations and lights, read back from the device's own
// Direct3D device.
#include "StartedDevice.h"
#include "RecordingDevice.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"
#include <functional>
#include <gtest/gtest.h>
#include <cstring>

using namespace devcoretest;

namespace {

class DeviceStates : public ::testing::Test {
protected:
    static void SetUpTestSuite() { started_ = new StartedDevice(); }
    static void TearDownTestSuite()
    {
        delete started_;
        started_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(started_->ok()); }
    static OXED3D* dev() { return started_->get(); }
    static DWORD state(D3DRENDERSTATETYPE s)
    {
        DWORD v = 0xDEADBEEF;
        started_->d3d()->GetRenderState(s, &v);
        return v;
    }
    static float floatState(D3DRENDERSTATETYPE s)
    {
        DWORD v = state(s);
        float f;
        memcpy(&f, &v, sizeof f);
        return f;
    }
    static StartedDevice* started_;
};
StartedDevice* DeviceStates::started_ = nullptr;

} // namespace

TEST_F(DeviceStates, CullAndDepthCodes)
{
    dev()->SetCullMode(OXE_CULL_CW);
    EXPECT_EQ(state(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
    dev()->SetCullMode(OXE_CULL_NONE);
    EXPECT_EQ(state(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    dev()->SetCullMode(OXE_DEPTH_READWRITE); // not a cull code: nothing changes
    EXPECT_EQ(state(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    dev()->SetCullMode(OXE_CULL_CCW);
    EXPECT_EQ(state(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));

    dev()->SetDepthMode(OXE_DEPTH_NONE);
    EXPECT_EQ(state(D3DRS_ZENABLE), DWORD(D3DZB_FALSE));
    EXPECT_EQ(state(D3DRS_ZWRITEENABLE), DWORD(FALSE));
    dev()->SetDepthMode(OXE_DEPTH_READONLY);
    EXPECT_EQ(state(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));
    EXPECT_EQ(state(D3DRS_ZWRITEENABLE), DWORD(FALSE));
    dev()->SetDepthMode(OXE_CULL_CW); // not a depth code
    EXPECT_EQ(state(D3DRS_ZWRITEENABLE), DWORD(FALSE));
    dev()->SetDepthMode(OXE_DEPTH_READWRITE);
    EXPECT_EQ(state(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));
    EXPECT_EQ(state(D3DRS_ZWRITEENABLE), DWORD(TRUE));
}

TEST_F(DeviceStates, RenderModesSwitchFillAndPointSprites)
{
    OXED3D* d = dev();
    d->SetRenderMode(OXE_RENDER_POINTS, 2.5f, nullptr);
    EXPECT_EQ(d->GetRenderMode(), OXE_RENDER_POINTS);
    EXPECT_EQ(state(D3DRS_POINTSPRITEENABLE), DWORD(TRUE));
    EXPECT_EQ(state(D3DRS_POINTSCALEENABLE), DWORD(TRUE));
    EXPECT_FLOAT_EQ(floatState(D3DRS_POINTSIZE), 2.5f);
    EXPECT_FLOAT_EQ(floatState(D3DRS_POINTSIZE_MIN), 0.0f);
    EXPECT_FLOAT_EQ(floatState(D3DRS_POINTSCALE_A), 0.0f);
    EXPECT_EQ(state(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID));

    // Same mode again: only the size changes.
    started_->d3d()->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    d->SetRenderMode(OXE_RENDER_POINTS, 4.0f, nullptr);
    EXPECT_FLOAT_EQ(floatState(D3DRS_POINTSIZE), 4.0f);
    EXPECT_EQ(state(D3DRS_POINTSCALEENABLE), DWORD(FALSE));

    d->SetRenderMode(OXE_RENDER_WIREFRAME, 0.0f, nullptr);
    EXPECT_EQ(state(D3DRS_FILLMODE), DWORD(D3DFILL_WIREFRAME));
    EXPECT_EQ(state(D3DRS_POINTSPRITEENABLE), DWORD(FALSE));
    started_->d3d()->SetRenderState(D3DRS_FILLMODE, D3DFILL_POINT);
    d->SetRenderMode(OXE_RENDER_WIREFRAME, 0.0f, nullptr); // already wireframe: nothing is set
    EXPECT_EQ(state(D3DRS_FILLMODE), DWORD(D3DFILL_POINT));

    // Points without a size from another mode: solid fill, sprites off.
    started_->d3d()->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    d->SetRenderMode(OXE_RENDER_POINTS, 0.0f, nullptr);
    EXPECT_EQ(state(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID));
    EXPECT_EQ(state(D3DRS_POINTSPRITEENABLE), DWORD(FALSE));

    const D3DCOLORVALUE wire = {0.25f, 0.5f, 0.75f, 1.0f};
    d->SetRenderMode(OXE_RENDER_SOLID, 0.0f, &wire);
    D3DCOLORVALUE got = {};
    EXPECT_EQ(d->GetWireColor(&got), &got);
    EXPECT_FLOAT_EQ(got.r, 0.25f);
    EXPECT_FLOAT_EQ(got.b, 0.75f);
    EXPECT_EQ(d->GetRenderMode(), OXE_RENDER_SOLID);
    EXPECT_EQ(state(D3DRS_FILLMODE), DWORD(D3DFILL_SOLID));
}

TEST_F(DeviceStates, AmbientColourBytes)
{
    dev()->SetAmbientColor(1, 1, 1);
    EXPECT_EQ(state(D3DRS_AMBIENT), 0xFFFFFFFFu);
    dev()->SetAmbientColor(0.5f, 0.25f, 0.0f);
    EXPECT_EQ(state(D3DRS_AMBIENT), 0xFF7F3F00u);
    dev()->SetAmbientColor(1, 1, 1);
}

TEST_F(DeviceStates, StageTextureOperationsAreRecordedWithinTheDevicesStages)
{
    OXED3D* d = dev();
    EXPECT_EQ(d->GetStageTextureOp(0), D3DTOP_MODULATE);
    for (BYTE s = 1; s < 8; ++s) EXPECT_EQ(d->GetStageTextureOp(s), D3DTOP_DISABLE) << int(s);
    EXPECT_EQ(d->SetStageTextureOp(3, OXE_TEXOP_ADDSIGNED), OXE_OK);
    EXPECT_EQ(d->GetStageTextureOp(3), D3DTOP_ADDSIGNED);
    EXPECT_EQ(d->SetStageTextureOp(3, 99), OXE_OK); // unknown code records nothing
    EXPECT_EQ(d->GetStageTextureOp(3), D3DTOP_ADDSIGNED);
    EXPECT_EQ(d->SetStageTextureOp(9, OXE_TEXOP_MODULATE), OXE_FAIL);
    EXPECT_EQ(d->SetStageTextureOp(255, OXE_TEXOP_MODULATE), OXE_FAIL);
    EXPECT_EQ(d->GetStageTextureOp(255), D3DTOP_DISABLE);
    EXPECT_EQ(d->SetStageTextureOp(3, OXE_TEXOP_DISABLE), OXE_OK);
    // Recorded only: the device's own stage state is not touched.
    DWORD op = 0;
    started_->d3d()->GetTextureStageState(3, D3DTSS_COLOROP, &op);
    EXPECT_EQ(op, DWORD(D3DTOP_DISABLE));
}

TEST_F(DeviceStates, LightsOfEachTypeAndSwitchingOff)
{
    IDirect3DDevice9* d3d = started_->d3d();
    OXELightRecord spot = {};
    spot.type = 2;
    spot.diffuse[0] = 1.0f; spot.diffuse[3] = 1.0f;
    spot.specular[1] = 0.5f;
    spot.ambient[2] = 0.25f;
    spot.position[0] = 1; spot.position[1] = 2; spot.position[2] = 3;
    spot.direction[2] = 1;
    spot.range = 50; spot.theta = 0.2f; spot.phi = 0.4f;
    spot.attenuation0 = 0.5f; spot.attenuation1 = 0.125f;
    dev()->SetLight(&spot, 2);
    D3DLIGHT9 l = {};
    ASSERT_EQ(d3d->GetLight(2, &l), D3D_OK);
    BOOL on = FALSE;
    d3d->GetLightEnable(2, &on);
    EXPECT_TRUE(on);
    EXPECT_EQ(l.Type, D3DLIGHT_SPOT);
    EXPECT_FLOAT_EQ(l.Diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(l.Specular.g, 0.5f);
    EXPECT_FLOAT_EQ(l.Ambient.b, 0.25f);
    EXPECT_FLOAT_EQ(l.Position.y, 2.0f);
    EXPECT_FLOAT_EQ(l.Direction.z, 1.0f);
    EXPECT_FLOAT_EQ(l.Range, 50.0f);
    EXPECT_FLOAT_EQ(l.Falloff, 1.0f);
    EXPECT_FLOAT_EQ(l.Theta, 0.2f);
    EXPECT_FLOAT_EQ(l.Phi, 0.4f);
    EXPECT_FLOAT_EQ(l.Attenuation0, 0.5f);
    EXPECT_FLOAT_EQ(l.Attenuation1, 0.125f);
    EXPECT_FLOAT_EQ(l.Attenuation2, 1.0f);

    // Off: the record stays as it was.
    dev()->SetLight(nullptr, 2);
    d3d->GetLightEnable(2, &on);
    EXPECT_FALSE(on);
    D3DLIGHT9 kept = {};
    d3d->GetLight(2, &kept);
    EXPECT_EQ(memcmp(&kept, &l, sizeof l), 0);

    OXELightRecord point = spot;
    point.type = 1;
    dev()->SetLight(&point, 3);
    d3d->GetLight(3, &l);
    EXPECT_EQ(l.Type, D3DLIGHT_POINT);
    EXPECT_FLOAT_EQ(l.Attenuation0, 0.0f);
    EXPECT_FLOAT_EQ(l.Attenuation1, 1.0f);
    EXPECT_FLOAT_EQ(l.Direction.z, 0.0f);
    EXPECT_FLOAT_EQ(l.Range, 50.0f);

    OXELightRecord sun = spot;
    sun.type = 0;
    dev()->SetLight(&sun, 4);
    d3d->GetLight(4, &l);
    EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(l.Direction.z, 1.0f);
    EXPECT_FLOAT_EQ(l.Position.x, 0.0f);

    // An unknown type is refused by Direct3D and must not switch on a default light.
    OXELightRecord odd = spot;
    odd.type = 7;
    dev()->SetLight(&odd, 5);
    d3d->GetLightEnable(5, &on);
    EXPECT_FALSE(on);
    for (BYTE i = 2; i <= 4; ++i) dev()->SetLight(nullptr, i);
}

TEST_F(DeviceStates, FixedAnswersAndDoNothingOperations)
{
    OXED3D* d = dev();
    EXPECT_FALSE(d->QueryFlagA());
    EXPECT_TRUE(d->QueryFlagB());
    EXPECT_TRUE(d->QueryFlagC());
    EXPECT_EQ(d->QueryValueA(), 0u);
    EXPECT_EQ(d->QueryValueB(), 0u);
    EXPECT_EQ(d->StubOneArg(1), OXE_OK);
    EXPECT_EQ(d->StubFourArgs(1, 2, 3, 4), OXE_OK);
    EXPECT_EQ(d->StubFiveArgs(1, 2, 3, 4, 5), OXE_OK);
    d->SetCurrentSkin(12);
    EXPECT_EQ(d->GetCurrentSkin(), 12u);
    d->SetCurrentSkin(0xFFFF);
}

// Geometry batched under the old state is drawn before any state changes: each state operation
// flushes the vertex cache first. The device and its managers draw through a recording proxy
// around the real device, so the order of the calls is visible.
TEST(DeviceStateFlush, BatchedGeometryIsDrawnBeforeEachStateChange)
{
    StartedDevice started;
    ASSERT_TRUE(started.ok());
    OXED3D* d = started.get();
    IDirect3DDevice9* real = d->m_device;
    testsupport::RecordingDevice rec(real);
    d->m_device = rec.device();
    ASSERT_EQ(d->oneTimeInit(), OXE_OK); // managers made again, now on the proxy

    const D3DCOLORVALUE white = {1, 1, 1, 1}, black = {0, 0, 0, 1};
    UINT skin = 0;
    ASSERT_EQ(d->GetSkinManager()->CreateSkin(&white, &white, &black, &black, 0.0f, &skin), OXE_OK);
    struct V { float x, y, z, nx, ny, nz, u, v; };
    const V tri[3] = {{-1, -1, 5, 0, 0, -1, 0, 0}, {0, 1, 5, 0, 0, -1, 0, 0}, {1, -1, 5, 0, 0, -1, 0, 0}};
    const D3DXMATRIX world(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    const D3DCOLORVALUE wire = {0.5f, 0.5f, 0.5f, 1};

    struct Case { const char* name; std::function<void()> change; const char* firstCall; };
    const Case cases[] = {
        {"SetCullMode", [&] { d->SetCullMode(OXE_CULL_NONE); }, "SetRenderState"},
        {"SetDepthMode", [&] { d->SetDepthMode(OXE_DEPTH_READONLY); }, "SetRenderState"},
        {"SetRenderMode", [&] { d->SetRenderMode(OXE_RENDER_WIREFRAME, 0, &wire); }, "SetRenderState"},
        {"SetAmbientColor", [&] { d->SetAmbientColor(0.5f, 0.5f, 0.5f); }, "SetRenderState"},
        {"SetWorldMatrix", [&] { d->SetWorldMatrix(&world); }, "SetVertexShaderConstantF"},
    };
    ASSERT_EQ(d->BeginFrame(true, true, false), OXE_OK);
    for (const Case& c : cases) {
        ASSERT_EQ(d->GetVertexCacheManager()->RenderDynamic(1, 3, 0, tri, nullptr, skin), OXE_OK) << c.name;
        rec.clear();
        c.change();
        int draw = -1, change = -1;
        for (size_t i = 0; i < rec.calls().size(); ++i) {
            const testsupport::RecordedCall& call = rec.calls()[i];
            if (draw < 0 && call.name.compare(0, 4, "Draw") == 0) draw = int(i);
            if (change < 0 && call.name == c.firstCall && draw >= 0) change = int(i);
        }
        EXPECT_GE(draw, 0) << c.name << "\n" << rec.dump();
        EXPECT_GT(change, draw) << c.name << "\n" << rec.dump();
        d->SetRenderMode(OXE_RENDER_SOLID, 0, nullptr);
    }

    // A code that changes nothing still flushes, and sets no state.
    ASSERT_EQ(d->GetVertexCacheManager()->RenderDynamic(1, 3, 0, tri, nullptr, skin), OXE_OK);
    rec.clear();
    d->SetCullMode(OXE_DEPTH_READWRITE);
    EXPECT_EQ(rec.drawCalls().size(), 1u) << rec.dump();
    EXPECT_TRUE(rec.renderStates(D3DRS_CULLMODE).empty());
    rec.clear();
    d->SetCullMode(OXE_CULL_CCW); // nothing batched any more: no draw
    EXPECT_TRUE(rec.drawCalls().empty()) << rec.dump();
    d->EndFrame();

    // The managers hold the proxy: they go before it does, then the real device comes back.
    d->DeleteManagers();
    d->m_device = real;
}
