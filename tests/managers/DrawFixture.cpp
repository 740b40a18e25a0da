#include "DrawFixture.h"
#include "RenderDeviceRelease.h"

namespace managertests {

testsupport::TestWindow* DrawTest::window_ = nullptr;
ProbeRenderDevice* DrawTest::rd_ = nullptr;
const WORD kQuadIndices[6] = {0, 1, 2, 2, 1, 3};

void DrawTest::SetUpTestSuite()
{
    window_ = new testsupport::TestWindow(256, 256, "ManagerDrawTest");
    rd_ = new ProbeRenderDevice(GetModuleHandleA(nullptr));
    if (FAILED(rd_->Init(window_->handle(), 16, 8, false, true))) {
        delete rd_;
        rd_ = nullptr;
    }
}

void DrawTest::TearDownTestSuite()
{
    if (rd_) {
        EXPECT_EQ(testsupport::ReleaseAndCountLeft(*rd_), 0u) << "Direct3D objects left alive";
    }
    delete rd_;
    rd_ = nullptr;
    delete window_;
    window_ = nullptr;
}

void DrawTest::SetUp()
{
    ASSERT_TRUE(rd_ != nullptr) << "render device did not start";
    ASSERT_TRUE(rd_->GetD3DDevice() != nullptr);
    savedDevice_ = rd_->m_device;
    rec_.reset(new testsupport::RecordingDevice(savedDevice_));
    rd_->m_device = rec_.get(); // the render device's own calls are recorded too
    skins_.reset(new OXED3DSkinManager(rec_.get(), nullptr));
    vc_.reset(new OXED3DVCManager(rec_.get(), rd_, skins_.get(), nullptr));
    savedSkins_ = rd_->m_skinManager;
    savedVc_ = rd_->m_vertexCacheManager;
    rd_->m_skinManager = skins_.get();
    rd_->m_vertexCacheManager = vc_.get();
    rd_->m_usingShaders = false;
    rd_->m_renderMode = 11;
    rd_->SetCurrentSkin(NoId);
    rd_->forget();
    PlainStates();
    rec_->clear();
}

void DrawTest::TearDown()
{
    if (!rd_) return;
    rd_->m_skinManager = savedSkins_;
    rd_->m_vertexCacheManager = savedVc_;
    vc_.reset();
    skins_.reset();
    rd_->m_device = savedDevice_;
    rd_->m_usingShaders = false;
    rd_->m_shaderPermission = false;
    // Nothing of the test may stay bound to the device.
    for (DWORD s = 0; s < 8; ++s) savedDevice_->SetTexture(s, nullptr);
    savedDevice_->SetStreamSource(0, nullptr, 0, 0);
    savedDevice_->SetIndices(nullptr);
    rec_.reset();
}

UINT DrawTest::SolidSkin(const D3DCOLORVALUE& ambient)
{
    const D3DCOLORVALUE black = {0, 0, 0, 1};
    UINT id = NoId;
    EXPECT_EQ(OXE_OK, skins_->CreateSkin(&ambient, &ambient, &black, &black, 0.0f, &id));
    return id;
}

UINT DrawTest::TexturedSkin(const char* file, uint32_t rgb, bool alpha, float alphaValue,
                            const D3DCOLORVALUE* keys, UINT keyCount)
{
    const D3DCOLORVALUE white = {1, 1, 1, 1};
    UINT id = SolidSkin(white);
    EXPECT_TRUE(WriteSolidBitmap(file, 4, 4, rgb));
    EXPECT_EQ(OXE_OK, skins_->AddTexture(id, file, alpha, alphaValue, keys, keyCount));
    return id;
}

void DrawTest::PlainStates()
{
    IDirect3DDevice9* d = rec_.get();
    D3DMATRIX identity = {};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    d->SetTransform(D3DTS_WORLD, &identity);
    d->SetTransform(D3DTS_VIEW, &identity);
    d->SetTransform(D3DTS_PROJECTION, &identity);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    d->SetVertexShader(nullptr);
    d->SetPixelShader(nullptr);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    for (DWORD s = 0; s < 8; ++s) d->SetTexture(s, nullptr);
}

void DrawTest::begin(D3DCOLOR color)
{
    rec_->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
    rec_->BeginScene();
}

testsupport::Picture DrawTest::end()
{
    rec_->EndScene();
    testsupport::Picture p;
    EXPECT_TRUE(testsupport::ReadBackBuffer(rec_->real(), p));
    return p;
}

uint32_t DrawTest::At(const testsupport::Picture& p, float x, float y)
{
    int px = int((x + 1.0f) * 0.5f * p.width);
    int py = int((1.0f - y) * 0.5f * p.height);
    if (px >= p.width) px = p.width - 1;
    if (py >= p.height) py = p.height - 1;
    return p.rgb(px, py);
}

std::vector<OXEVertexLit> LitQuad(float x0, float y0, float x1, float y1, DWORD color)
{
    return {{x0, y1, 0.5f, color, 0, 0}, {x1, y1, 0.5f, color, 1, 0},
            {x0, y0, 0.5f, color, 0, 1}, {x1, y0, 0.5f, color, 1, 1}};
}

std::vector<OXEVertexUnlit> UnlitQuad(float x0, float y0, float x1, float y1)
{
    return {{x0, y1, 0.5f, 0, 0, -1, 0, 0}, {x1, y1, 0.5f, 0, 0, -1, 1, 0},
            {x0, y0, 0.5f, 0, 0, -1, 0, 1}, {x1, y0, 0.5f, 0, 0, -1, 1, 1}};
}

std::vector<OXEVertexPosition> PositionTriangles(UINT count)
{
    std::vector<OXEVertexPosition> v;
    for (UINT i = 0; i < count; ++i) v.push_back({float(i % 3) * 0.1f, float(i / 3) * 0.1f, 0.5f});
    return v;
}

} // namespace managertests
