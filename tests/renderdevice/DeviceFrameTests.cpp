// Frames, clears, stages, views and the transform pipeline, checked on the pixels the device's
// own Direct3D device drew and on the matrices it built.
#include "StartedDevice.h"
#include <gtest/gtest.h>
#include <cmath>
#include "OXEPlane.h"

using namespace testsupport;
using namespace devcoretest;

namespace {

class DeviceFrame : public ::testing::Test {
protected:
    static void SetUpTestSuite() { started_ = new StartedDevice(); }
    static void TearDownTestSuite()
    {
        delete started_;
        started_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(started_->ok());
        // Every case starts from the start-up view and clip planes.
        dev()->SetClipPlanes(0.1f, 1000.0f);
        ASSERT_EQ(dev()->InitStage(0.8f, nullptr, 0), OXE_OK);
        ASSERT_EQ(dev()->ActivatePerspectiveStage(), OXE_OK);
        D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
        ASSERT_EQ(dev()->SetViewFromTo(&eye, &at, &up), OXE_OK);
        dev()->SetWorldMatrix(nullptr);
    }
    static OXED3D* dev() { return started_->get(); }
    static IDirect3DDevice9* d3d() { return started_->d3d(); }
    static Picture read()
    {
        Picture p;
        EXPECT_TRUE(ReadBackBuffer(d3d(), p));
        return p;
    }
    static void endFrame()
    {
        EXPECT_TRUE(dev()->m_inScene);
        dev()->EndFrame();
        EXPECT_FALSE(dev()->m_inScene);
    }

    static StartedDevice* started_;
};
StartedDevice* DeviceFrame::started_ = nullptr;

const float kCot04 = cosf(0.4f) / sinf(0.4f);

// The perspective every case's stage 0 has: field of view 0.8, height over width 0.75, clip
// planes 0.1 and 1000.
D3DXMATRIX StagePerspective()
{
    D3DXMATRIX p(0.75f * kCot04, 0, 0, 0, 0, kCot04, 0, 0, 0, 0, 1000.0f / 999.9f, 1, 0, 0,
                 -0.1f * 1000.0f / 999.9f, 0);
    return p;
}

} // namespace

TEST_F(DeviceFrame, BackgroundColourFillsTheWholeBackBuffer)
{
    dev()->SetBackgroundColor(0.8f, 0.8f, 0.8f);
    EXPECT_EQ(dev()->m_clearColor, 0xFFCCCCCCu);
    ASSERT_EQ(dev()->BeginFrame(true, true, false), OXE_OK);
    Picture p = read();
    endFrame();
    ASSERT_EQ(p.width, 1024);
    ASSERT_EQ(p.height, 768);
    EXPECT_EQ(p.count(0xCCCCCC), 1024 * 768);

    dev()->SetBackgroundColor(0.7f, 0.7f, 1.0f);
    EXPECT_EQ(dev()->m_clearColor, 0xFFB2B2FFu);
    dev()->SetBackgroundColor(1.5f, -0.5f, 0.0f); // cut to the low 8 bits of the truncated value
    EXPECT_EQ(dev()->m_clearColor, 0xFF7E8100u);
}

TEST_F(DeviceFrame, DepthIsClearedToOneSoTheFarthestPointStillDraws)
{
    dev()->SetBackgroundColor(0, 0, 0);
    ASSERT_EQ(dev()->BeginFrame(true, true, false), OXE_OK);
    // A pre-transformed quad just in front of the far plane passes a less-or-equal test only if
    // the depth buffer holds 1.0.
    struct V { float x, y, z, rhw; D3DCOLOR c; };
    V quad[4] = {{10, 10, 0.999f, 1, 0xFF00FF00}, {60, 10, 0.999f, 1, 0xFF00FF00},
                 {10, 60, 0.999f, 1, 0xFF00FF00}, {60, 60, 0.999f, 1, 0xFF00FF00}};
    IDirect3DVertexShader9* vs = nullptr;
    d3d()->GetVertexShader(&vs);
    IDirect3DVertexDeclaration9* decl = nullptr;
    d3d()->GetVertexDeclaration(&decl);
    d3d()->SetVertexShader(nullptr);
    d3d()->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    d3d()->SetRenderState(D3DRS_LIGHTING, FALSE);
    d3d()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d3d()->SetTexture(0, nullptr);
    d3d()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    d3d()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
    Picture p = read();
    endFrame();
    d3d()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d3d()->SetRenderState(D3DRS_LIGHTING, TRUE);
    d3d()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d3d()->SetVertexDeclaration(decl);
    d3d()->SetVertexShader(vs);
    if (decl) decl->Release();
    if (vs) vs->Release();
    EXPECT_EQ(p.count(0x00FF00, 10, 10, 60, 60), 50 * 50);
}

TEST_F(DeviceFrame, FrameWithoutClearsKeepsThePixelsAndAStencilOnlyClearNamesNoBuffer)
{
    d3d()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    dev()->SetBackgroundColor(1, 0, 0);
    ASSERT_EQ(dev()->BeginFrame(false, false, false), OXE_OK);
    Picture p = read();
    endFrame();
    EXPECT_EQ(p.count(0x00FF00), 1024 * 768);

    // Without a stencil buffer the stencil request names no buffer; the frame still begins.
    bool hadStencil = dev()->m_stencil;
    dev()->m_stencil = false;
    EXPECT_EQ(dev()->ClearFlags(false, false, true), 0u);
    d3d()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    EXPECT_EQ(dev()->BeginFrame(false, false, true), OXE_OK);
    Picture q = read();
    endFrame();
    dev()->m_stencil = hadStencil;
    EXPECT_EQ(q.count(0x0000FF), 1024 * 768);
    EXPECT_EQ(dev()->ClearFlags(true, true, true), DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL));
}

TEST_F(DeviceFrame, ClearInsideASceneRestartsTheSceneAndClearsOnlyTheStageViewport)
{
    dev()->SetBackgroundColor(0, 0, 1);
    ASSERT_EQ(dev()->BeginFrame(true, true, false), OXE_OK);
    // A smaller stage 0: Direct3D clears the viewport in force.
    OXEViewport vp = {100, 50, 200, 100};
    ASSERT_EQ(dev()->InitStage(0.8f, &vp, 0), OXE_OK);
    ASSERT_EQ(dev()->ActivatePerspectiveStage(), OXE_OK);
    dev()->SetBackgroundColor(1, 0, 0);
    EXPECT_EQ(dev()->ClearBuffers(true, false, false), D3D_OK);
    EXPECT_TRUE(dev()->m_inScene);
    Picture p = read();
    endFrame();
    EXPECT_EQ(p.count(0xFF0000, 100, 50, 300, 150), 200 * 100);
    EXPECT_EQ(p.count(0xFF0000), 200 * 100);
    EXPECT_EQ(p.count(0x0000FF), 1024 * 768 - 200 * 100);

    // Outside a scene the clear stays outside.
    EXPECT_EQ(dev()->ClearBuffers(true, true, false), D3D_OK);
    EXPECT_FALSE(dev()->m_inScene);
}

TEST_F(DeviceFrame, RenderWindowsBeyondTheCountAreRefused)
{
    EXPECT_EQ(dev()->SelectRenderWindow(0), OXE_FAIL);
    EXPECT_EQ(dev()->SelectRenderWindow(7), OXE_FAIL);
    EXPECT_EQ(dev()->SelectRenderWindow(5000), OXE_FAIL);
}

TEST_F(DeviceFrame, ClipPlanesAreKeptUsable)
{
    dev()->SetClipPlanes(0.0f, 0.5f);
    EXPECT_FLOAT_EQ(dev()->m_nearPlane, 0.01f);
    EXPECT_FLOAT_EQ(dev()->m_farPlane, 1.0f);
    dev()->SetClipPlanes(10.0f, 5.0f);
    EXPECT_FLOAT_EQ(dev()->m_nearPlane, 5.0f);
    EXPECT_FLOAT_EQ(dev()->m_farPlane, 6.0f);
    // Every stage's depth terms follow the planes; the 2D pair is rebuilt with them.
    for (int s = 0; s < OXE_MAX_STAGES; ++s) {
        EXPECT_FLOAT_EQ(dev()->m_projPerspective[s]._33, 6.0f / 1.0f) << s;
        EXPECT_FLOAT_EQ(dev()->m_projPerspective[s]._43, -30.0f) << s;
        EXPECT_FLOAT_EQ(dev()->m_projOrtho[s]._33, 1.0f) << s;
        EXPECT_FLOAT_EQ(dev()->m_projOrtho[s]._43, -5.0f) << s;
    }
    EXPECT_FLOAT_EQ(dev()->m_proj2D._11, 2.0f / 1024.0f);
    EXPECT_FLOAT_EQ(dev()->m_proj2D._22, 2.0f / 768.0f);
    EXPECT_FLOAT_EQ(dev()->m_view2D._41, -512.0f);
    EXPECT_FLOAT_EQ(dev()->m_view2D._42, 384.0f);
    EXPECT_FLOAT_EQ(dev()->m_view2D._43, 5.1f);
}

TEST_F(DeviceFrame, StageProjectionsAndTheirFailures)
{
    OXED3D* d = dev();
    const D3DXMATRIX& P = d->m_projPerspective[0];
    EXPECT_EQ(d->m_stageViewports[0].width, 1024u);
    EXPECT_EQ(d->m_stageViewports[0].height, 768u);
    EXPECT_NEAR(P._22, kCot04, 1e-5);
    EXPECT_NEAR(P._11, 0.75f * kCot04, 1e-5);
    EXPECT_FLOAT_EQ(P._34, 1.0f);
    EXPECT_FLOAT_EQ(d->m_projOrtho[0]._11, 2.0f / 1024.0f);

    // Stage 7 is taken as stage 0.
    OXEViewport half = {0, 0, 512, 768};
    ASSERT_EQ(d->InitStage(0.8f, &half, 7), OXE_OK);
    EXPECT_EQ(d->m_stageViewports[0].width, 512u);
    EXPECT_NEAR(d->m_projPerspective[0]._11, 1.5f * kCot04, 1e-5);
    OXEViewport empty = {0, 0, 0, 100};
    EXPECT_EQ(d->InitStage(0.8f, &empty, 1), OXE_INVALIDPARAM);

    D3DXMATRIX m;
    EXPECT_EQ(d->CalcPerspProjMatrix(0.01f, 1.0f, &m), OXE_FAIL); // half-angle sine below 0.01
    EXPECT_EQ(d->CalcPerspProjMatrix(0.8f, 1.0f, nullptr), OXE_INVALIDPARAM);
    d->m_nearPlane = 5.0f;
    d->m_farPlane = 5.005f;
    EXPECT_EQ(d->CalcPerspProjMatrix(0.8f, 1.0f, &m), OXE_FAIL); // planes closer than 0.01
    EXPECT_EQ(d->InitStage(0.8f, nullptr, 2), OXE_FAIL);
}

TEST_F(DeviceFrame, ViewFromToFallsBackWhenUpIsParallel)
{
    OXED3D* d = dev();
    D3DXVECTOR3 eye(1, 2, 3), at(1, 2, 10), up(0, 0, 5); // up along the view direction
    ASSERT_EQ(d->SetViewFromTo(&eye, &at, &up), OXE_OK);
    // Columns of the view are right, up, direction; the fallback up is (0, 1, 0).
    EXPECT_NEAR(d->m_view._12, 0.0f, 1e-6);
    EXPECT_NEAR(d->m_view._22, 1.0f, 1e-6);
    EXPECT_NEAR(d->m_view._33, 1.0f, 1e-6);
    EXPECT_NEAR(d->m_view._11, 1.0f, 1e-6);
    EXPECT_NEAR(d->m_view._43, -3.0f, 1e-5);
    EXPECT_NEAR(d->m_view._42, -2.0f, 1e-5);

    // Straight along y: (0, 1, 0) is parallel too, so (0, 0, 1) serves.
    D3DXVECTOR3 above(0, 10, 0), yUp(0, 1, 0);
    D3DXVECTOR3 origin(0, 0, 0);
    ASSERT_EQ(d->SetViewFromTo(&origin, &above, &yUp), OXE_OK);
    EXPECT_NEAR(d->m_view._32, 1.0f, 1e-6); // up column = (0, 0, 1)
    EXPECT_NEAR(d->m_view._23, 1.0f, 1e-6); // direction column = (0, 1, 0)

    // No direction at all.
    EXPECT_EQ(d->SetViewFromTo(&eye, &eye, &yUp), OXE_FAIL);
    EXPECT_EQ(d->SetViewFromTo(&eye, nullptr, &yUp), OXE_INVALIDPARAM);

    // The combined matrices follow the view: right (-1, 0, 0), up (0, 0, 1), direction
    // (0, 1, 0) at the origin, through the stage's perspective (field of view 0.8, height over
    // width 768 / 1024, planes 0.1 and 1000).
    const D3DXMATRIX view(-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1);
    const D3DXMATRIX expected = view * StagePerspective();
    EXPECT_TRUE(SameMatrix(d->m_viewProj, expected));
}

TEST_F(DeviceFrame, WorldMatrixGoesToTheShaderConstantsTransposed)
{
    OXED3D* d = dev();
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 1, 2, 3);
    d->SetWorldMatrix(&world);
    EXPECT_TRUE(SameMatrix(d->m_world, world));
    // The view looks from the origin along z with y up: the identity.
    D3DXMATRIX wvp = world * StagePerspective();
    EXPECT_TRUE(SameMatrix(d->m_worldViewProj, wvp));
    if (d->IsUsingShaders()) {
        float c[16] = {};
        ASSERT_EQ(d3d()->GetVertexShaderConstantF(0, c, 4), D3D_OK);
        D3DXMATRIX t;
        D3DXMatrixTranspose(&t, &wvp);
        for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(c[i], ((const float*)&t)[i]) << i;
    } else {
        D3DXMATRIX set;
        d3d()->GetTransform(D3DTS_WORLD, &set);
        EXPECT_TRUE(SameMatrix(set, world));
    }
    d->SetWorldMatrix(nullptr);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(SameMatrix(d->m_world, identity));
}

TEST_F(DeviceFrame, TriangleAheadIsDrawnAtTheCentreThroughTheDevicesTransforms)
{
    OXED3D* d = dev();
    d->SetCullMode(OXE_CULL_NONE);
    d->SetBackgroundColor(1, 1, 1);
    ASSERT_EQ(d->BeginFrame(true, true, false), OXE_OK);
    // Vertex kind 1: position, normal, texture coordinate.
    struct V { float x, y, z, nx, ny, nz, u, v; };
    V tri[3] = {{-1, -1, 5, 0, 0, -1, 0, 0}, {0, 1, 5, 0, 0, -1, 0, 0}, {1, -1, 5, 0, 0, -1, 0, 0}};
    d3d()->SetTexture(0, nullptr);
    d3d()->SetRenderState(D3DRS_LIGHTING, FALSE);
    if (!d->IsUsingShaders()) {
        d3d()->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
        d3d()->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF000000);
        d3d()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d3d()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    }
    ASSERT_EQ(d3d()->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(V)), D3D_OK);
    Picture p = read();
    endFrame();
    d3d()->SetRenderState(D3DRS_LIGHTING, TRUE);
    d3d()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d3d()->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetCullMode(OXE_CULL_CCW);
    // Drawn in black (the built-in shader's colour register, or the texture factor).
    EXPECT_EQ(p.rgb(512, 384), 0x000000u);
    // One world unit at z = 5 covers 512 * 0.75 * cot(0.4) / 5 pixels, across and down alike.
    // The triangle's base (y = -1, x = -1..1) lies that far below the centre.
    int unit = int(512 * 0.75f * kCot04 / 5.0f);
    int nearBase = 384 + unit - 9;
    EXPECT_EQ(p.rgb(512 - unit + 16, nearBase), 0x000000u);
    EXPECT_EQ(p.rgb(512 + unit - 16, nearBase), 0x000000u);
    EXPECT_EQ(p.rgb(512 - unit - 10, nearBase), 0xFFFFFFu);
    EXPECT_EQ(p.rgb(512 + unit + 10, nearBase), 0xFFFFFFu);
    EXPECT_EQ(p.rgb(512, 384 + unit + 8), 0xFFFFFFu);
    EXPECT_EQ(p.rgb(512, 384 - unit - 8), 0xFFFFFFu);
    EXPECT_EQ(p.rgb(512, 384 - unit + 8), 0x000000u); // just under the apex
}

TEST_F(DeviceFrame, WorldToScreenAndBackAgree)
{
    OXED3D* d = dev();
    D3DXVECTOR3 ahead(0, 0, 10);
    POINT q = {-1, -1};
    EXPECT_EQ(d->WorldToScreen(&q, &ahead), &q);
    EXPECT_EQ(q.x, 512);
    EXPECT_EQ(q.y, 384);
    // y grows upwards from the bottom edge: a point above the axis lands above 384.
    D3DXVECTOR3 above(0, 1, 10);
    d->WorldToScreen(&q, &above);
    EXPECT_GT(q.y, 384);
    EXPECT_EQ(q.x, 512);
    D3DXVECTOR3 onEyePlane(1, 1, 0);
    d->WorldToScreen(&q, &onEyePlane); // w = 0 has no screen position
    EXPECT_EQ(q.x, 0);
    EXPECT_EQ(q.y, 0);

    // The picking ray through the centre is the view direction from the eye.
    D3DXVECTOR3 eye(3, 4, 5), at(3, 4, 15), up(0, 1, 0);
    ASSERT_EQ(d->SetViewFromTo(&eye, &at, &up), OXE_OK);
    POINT centre = {512, 384};
    D3DXVECTOR3 origin, dir;
    d->ScreenToWorldRay(&centre, &origin, &dir);
    EXPECT_NEAR(origin.x, 3, 1e-4);
    EXPECT_NEAR(origin.y, 4, 1e-4);
    EXPECT_NEAR(origin.z, 5, 1e-4);
    EXPECT_NEAR(dir.x, 0, 1e-5);
    EXPECT_NEAR(dir.y, 0, 1e-5);
    EXPECT_NEAR(dir.z, 1, 1e-5);
    // A ray through the top-left corner hits a point that projects back near that corner
    // (screen y measured from the bottom in WorldToScreen).
    POINT corner = {0, 0};
    d->ScreenToWorldRay(&corner, &origin, &dir);
    D3DXVECTOR3 hit = origin + dir * 20.0f;
    d->WorldToScreen(&q, &hit);
    EXPECT_NEAR(q.x, 0, 2);
    EXPECT_NEAR(q.y, 768, 2);
}

TEST_F(DeviceFrame, FrustumPlanesFaceOutwards)
{
    OXED3D* d = dev();
    OXEPlane planes[6];
    ASSERT_EQ(d->GetViewFrustum(planes), OXE_OK);
    auto value = [&](int i, const D3DXVECTOR3& p) { return D3DXVec3Dot(&planes[i].normal, &p) + planes[i].d; };
    D3DXVECTOR3 inside(0, 0, 10);
    for (int i = 0; i < 6; ++i) {
        EXPECT_LT(value(i, inside), 0.0f) << i;
        EXPECT_NEAR(D3DXVec3Length(&planes[i].normal), 1.0f, 1e-5) << i;
    }
    EXPECT_GT(value(0, D3DXVECTOR3(-100, 0, 10)), 0.0f); // left
    EXPECT_GT(value(1, D3DXVECTOR3(100, 0, 10)), 0.0f);  // right
    EXPECT_GT(value(2, D3DXVECTOR3(0, -100, 10)), 0.0f); // bottom
    EXPECT_GT(value(3, D3DXVECTOR3(0, 100, 10)), 0.0f);  // top
    EXPECT_GT(value(4, D3DXVECTOR3(0, 0, -1)), 0.0f);    // near
    EXPECT_GT(value(5, D3DXVECTOR3(0, 0, 2000)), 0.0f);  // far
    EXPECT_NEAR(value(4, D3DXVECTOR3(0, 0, 0.1f)), 0.0f, 1e-4);
    EXPECT_EQ(d->GetViewFrustum(nullptr), OXE_INVALIDPARAM);
}

TEST(DeviceWithoutStage, ConversionsAndCombinedMatricesAreDefinedBeforeStartUp)
{
    OXED3D d(nullptr);
    EXPECT_EQ(d.m_activeStage, -1);
    POINT q = {7, 7};
    D3DXVECTOR3 p(0, 0, 10);
    EXPECT_EQ(d.WorldToScreen(&q, &p), &q);
    EXPECT_EQ(q.x, 0);
    EXPECT_EQ(q.y, 0);
    POINT s = {10, 10};
    D3DXVECTOR3 origin(9, 9, 9), dir(9, 9, 9);
    d.ScreenToWorldRay(&s, &origin, &dir);
    EXPECT_EQ(origin, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(dir, D3DXVECTOR3(0, 0, 0));
    d.CalcViewProjMatrix();
    d.CalcWorldViewProjMatrix();
    d.SetWorldMatrix(nullptr);
    D3DXVECTOR3 r(1, 0, 0), u(0, 1, 0), f(0, 0, 1), o(0, 0, 0);
    EXPECT_EQ(d.SetViewAxes(&r, &u, &f, &o), OXE_PLATFORM_FAIL);
    EXPECT_EQ(d.BeginFrame(true, false, false), OXE_FAIL);
}
