// Out-of-range indices and null pointers handed to the render device and the parts: refused or
// ignored, nothing drawn for them, nothing written outside the device's tables.
#include "OXED3D.h"
#include "OXEResult.h"
#include "OXEParticleSystem.h"
#include "Sprite2D.h"
#include "geQuad.h"
#include "RenderDeviceRelease.h"
#include "TestDevice.h"
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <functional>

using testsupport::Picture;

namespace {

const UINT kFontSlots = OXE_FONT_ROWS * OXE_FONT_ROW_LENGTH;

int Lit(const Picture& p)
{
    int n = 0;
    for (uint32_t c : p.pixels)
        if ((c & 0xFFFFFF) != 0) ++n;
    return n;
}

struct BadInput : ::testing::Test {
    static testsupport::TestWindow* window;
    static OXED3D* device;

    static void SetUpTestSuite()
    {
        window = new testsupport::TestWindow(640, 480, "BadInputTest");
        device = new OXED3D(GetModuleHandleA(nullptr));
        if (device->Init(window->handle(), 16, 8, false, true) != OXE_OK) return;
        device->CreateDefaultFonts();
    }
    static void TearDownTestSuite()
    {
        EXPECT_EQ(testsupport::ReleaseAndCountLeft(*device), 0u) << "Direct3D objects left alive";
        delete device;
        delete window;
    }
    void SetUp() override { ASSERT_NE(device->GetD3DDevice(), nullptr); }

    // Draws one frame on black and returns it, read back before the present.
    Picture Frame(const std::function<void()>& draw)
    {
        Picture p;
        EXPECT_EQ(device->BeginFrame(true, true, false), OXE_OK);
        draw();
        EXPECT_TRUE(testsupport::ReadBackBuffer(device->GetD3DDevice(), p));
        EXPECT_EQ(device->EndFrame(), OXE_OK);
        return p;
    }
};
testsupport::TestWindow* BadInput::window = nullptr;
OXED3D* BadInput::device = nullptr;

} // namespace

TEST_F(BadInput, FontIndicesPastTheTableOrListDrawNothing)
{
    UINT listFont = UINT_MAX;
    ASSERT_EQ(device->CreateArialFont(0, 400, false, 0, 0, 14, &listFont), OXE_OK);
    const UINT listCount = device->m_fontCount;
    // The valid ones draw, so the frame below would show a wrong index that reached a font.
    EXPECT_GT(Lit(Frame([&] { device->DrawTextAt(kFontSlots - 1, "WWWW", 10, 10, 255, 255, 255, 255); })), 0);
    EXPECT_GT(Lit(Frame([&] { device->DrawFormattedText(listFont, 10, 10, 255, 255, 255, "%d", 42); })), 0);

    Picture p = Frame([&] {
        device->DrawTextAt(kFontSlots, "WWWW", 10, 10, 255, 255, 255, 255);
        device->DrawTextAt(UINT_MAX, "WWWW", 10, 40, 255, 255, 255, 255);
        device->DrawTextAt(UINT(INT_MAX), "WWWW", 10, 70, 255, 255, 255, 255);
        EXPECT_EQ(device->DrawFormattedText(listCount, 10, 100, 255, 255, 255, "%s", "WWWW"), OXE_INVALIDPARAM);
        EXPECT_EQ(device->DrawFormattedText(UINT_MAX, 10, 130, 255, 255, 255, "%s", "WWWW"), OXE_INVALIDPARAM);
        EXPECT_EQ(device->DrawFormattedText(listFont, 10, 160, 255, 255, 255, nullptr), OXE_INVALIDPARAM);
        device->DrawTextInFamily(INT_MAX, UINT(INT_MAX), "WWWW", 10, 190, 255, 255, 255, 255);
        device->DrawTextInFamily(-1, OXE_FONT_ROW_LENGTH, "WWWW", 10, 220, 255, 255, 255, 255);
        device->DrawTextWithFont(nullptr, 10, 250, "Arial", 20, 10, 400, 255, 255, 255, 255);
    });
    EXPECT_EQ(Lit(p), 0);

    EXPECT_EQ(device->CreatePlainFontInSlot(UINT_MAX, 20, 10, 400, 0), OXE_INVALIDID);
    EXPECT_EQ(device->CreateFontInSlot(UINT(INT_MAX), "Arial", 20, 10, 400, false), OXE_INVALIDID);
    EXPECT_EQ(device->CreateArialFont(0, 400, false, 0, 0, 14, nullptr), OXE_INVALIDPARAM);
    EXPECT_EQ(device->m_fontCount, listCount); // the refused call grew nothing
}

TEST_F(BadInput, StageIndicesOutOfRangeTouchOnlyTheFirstStageOrNothing)
{
    OXEViewport half = {0, 0, 320, 240};
    const OXEViewport lastBefore = device->m_stageViewports[OXE_MAX_STAGES - 1];
    const int stages[] = {OXE_MAX_STAGES, INT_MAX, -1, INT_MIN};
    for (int stage : stages) {
        device->m_stageViewports[0] = OXEViewport{0, 0, 1, 1};
        EXPECT_EQ(device->InitStage(0.8f, &half, stage), OXE_OK) << stage;
        EXPECT_EQ(device->m_stageViewports[0].width, 320u) << stage; // taken as stage 0
        EXPECT_EQ(device->m_stageViewports[OXE_MAX_STAGES - 1].width, lastBefore.width) << stage;
    }

    const D3DTEXTUREOP firstOp = device->GetStageTextureOp(0);
    EXPECT_EQ(device->SetStageTextureOp(OXE_TEXTURE_STAGES, OXE_TEXOP_MODULATE), OXE_FAIL);
    EXPECT_EQ(device->SetStageTextureOp(255, OXE_TEXOP_MODULATE), OXE_FAIL);
    EXPECT_EQ(device->GetStageTextureOp(OXE_TEXTURE_STAGES), D3DTOP_DISABLE);
    EXPECT_EQ(device->GetStageTextureOp(255), D3DTOP_DISABLE);
    EXPECT_EQ(device->GetStageTextureOp(0), firstOp);
}

TEST_F(BadInput, RenderWindowSlotsAndLightIndicesOutOfRange)
{
    EXPECT_EQ(device->SelectRenderWindow(UINT_MAX), OXE_FAIL);
    EXPECT_EQ(device->SelectRenderWindow(OXE_MAX_RENDER_WINDOWS), OXE_FAIL);
    EXPECT_EQ(device->SelectRenderWindow(UINT(INT_MAX)), OXE_FAIL);
    device->SetLight(nullptr, 255); // switching off a light that was never set
    // The device still draws afterwards.
    EXPECT_GT(Lit(Frame([&] { device->DrawTextAt(kFontSlots - 1, "WWWW", 10, 10, 255, 255, 255, 255); })), 0);
}

TEST_F(BadInput, PartsGivenNoDeviceDoNothing)
{
    geQuad quad;
    quad.doBox(20, 20, 0);
    quad.createGeoBuffers(nullptr);
    EXPECT_EQ(quad.vertexBuffer, nullptr);
    EXPECT_EQ(quad.indexBuffer, nullptr);
    quad.RefreshGeoBuffers(nullptr);
    EXPECT_EQ(quad.CreateTexture(nullptr, "missing.dds"), OXE_FAIL);

    Sprite2D sprite;
    sprite.Create(nullptr, "missing.dds");
    EXPECT_EQ(sprite.texture, nullptr);
    sprite.Create(device->GetD3DDevice(), nullptr); // a null name is the empty name: no file

    OXEParticleSystem sparks;
    OXEParticleSystemParams params;
    sparks.Create(nullptr, params, -1, 100, "");
    EXPECT_EQ(sparks.count, 0);
    EXPECT_EQ(sparks.particles, nullptr);
    sparks.Create(nullptr, params, INT_MIN, INT_MAX, nullptr);
    EXPECT_EQ(sparks.count, 0);
    sparks.Simulate(1.0f); // no pool: nothing to step or give birth to

    Picture p = Frame([&] {
        IDirect3DDevice9* d3d = device->GetD3DDevice();
        quad.Render(d3d); // no buffers: nothing drawn
        quad.Render(nullptr);
        sprite.Render(d3d);
        sprite.Render(nullptr);
        sparks.Render(d3d);
        sparks.Render(nullptr);
    });
    EXPECT_EQ(Lit(p), 0);
}
