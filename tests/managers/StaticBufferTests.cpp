// Static buffers drawn by id and the immediate draws, through the recording proxy on a real
// device: creation and its refusals, draws by render mode, skipped rebinds, the hand-over of
// the stream between static and dynamic geometry, and pixels of static geometry with skins.
#include "DrawFixture.h"
#include <functional>
#include <ostream>

using namespace managertests;
using testsupport::RecordedCall;

namespace {

const D3DCOLORVALUE kWhite = {1, 1, 1, 1};
const D3DCOLORVALUE kRed = {1, 0, 0, 1};
const D3DCOLORVALUE kGreen = {0, 1, 0, 1};

class StaticBufferTest : public DrawTest {
protected:
    // A static buffer of n kind-2 vertices (no indices) with the given skin.
    UINT Plain(UINT n, UINT skin)
    {
        std::vector<OXEVertexLit> v(n, OXEVertexLit{0, 0, 0.5f, 0xFFFFFFFF, 0, 0});
        UINT id = NoId;
        EXPECT_EQ(OXE_OK, vc_->CreateStaticBuffer(OXE_VERTEX_LIT, skin, n, 0, v.data(), nullptr, &id));
        return id;
    }
    UINT Quad(float x0, float y0, float x1, float y1, DWORD color, UINT skin)
    {
        std::vector<OXEVertexLit> v = LitQuad(x0, y0, x1, y1, color);
        UINT id = NoId;
        EXPECT_EQ(OXE_OK, vc_->CreateStaticBuffer(OXE_VERTEX_LIT, skin, 4, 6, v.data(), kQuadIndices, &id));
        return id;
    }
    RecordedCall OnlyDraw() const
    {
        std::vector<RecordedCall> d = rec_->drawCalls();
        EXPECT_EQ(1u, d.size()) << rec_->dump();
        return d.empty() ? RecordedCall() : d[0];
    }
};

} // namespace

TEST_F(StaticBufferTest, CreationMakesWriteOnlyBuffersAndRefusesBadInput)
{
    const UINT skin = SolidSkin(kRed);
    rec_->clear();
    const UINT a = Quad(0, 0, 1, 1, 0xFFFFFFFF, skin);
    EXPECT_EQ(0u, a);
    const std::vector<RecordedCall> vb = rec_->named("CreateVertexBuffer");
    const std::vector<RecordedCall> ib = rec_->named("CreateIndexBuffer");
    ASSERT_EQ(1u, vb.size());
    ASSERT_EQ(1u, ib.size());
    EXPECT_EQ(96u, vb[0].arg(0));
    EXPECT_EQ(uint64_t(D3DUSAGE_WRITEONLY), vb[0].arg(1));
    EXPECT_EQ(0x142u, vb[0].arg(2)); // the kind's format with the shader path off
    EXPECT_EQ(uint64_t(D3DPOOL_DEFAULT), vb[0].arg(3));
    EXPECT_EQ(12u, ib[0].arg(0));
    EXPECT_EQ(uint64_t(D3DFMT_INDEX16), ib[0].arg(2));

    std::vector<OXEVertexLit> v = LitQuad(0, 0, 1, 1, 0);
    UINT id = 77;
    EXPECT_EQ(OXE_INVALIDID, vc_->CreateStaticBuffer(6, skin, 4, 0, v.data(), nullptr, &id));
    const WORD outside[3] = {0, 1, 4};
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->CreateStaticBuffer(OXE_VERTEX_LIT, skin, 4, 3, v.data(), outside, &id));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->CreateStaticBuffer(OXE_VERTEX_LIT, skin, 4, 6, v.data(), nullptr, &id));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->CreateStaticBuffer(OXE_VERTEX_LIT, skin, 4, 0, nullptr, nullptr, &id));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->CreateStaticBuffer(OXE_VERTEX_LIT, skin, 4, 0, v.data(), nullptr, nullptr));
    EXPECT_EQ(77u, id);
    // No id was handed out by the refusals.
    EXPECT_EQ(1u, Plain(3, skin));

    // With the shader path on the vertex buffer carries no format.
    rd_->m_usingShaders = true;
    rec_->clear();
    Plain(3, skin);
    EXPECT_EQ(0u, rec_->named("CreateVertexBuffer").at(0).arg(2));
    rd_->m_usingShaders = false;

    UINT ibId = 99;
    EXPECT_EQ(OXE_OK, vc_->CreateIndexBuffer(6, kQuadIndices, &ibId));
    EXPECT_EQ(0u, ibId);
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->CreateIndexBuffer(6, nullptr, &ibId));
    // No index buffer of no indices can be made.
    EXPECT_EQ(OXE_CREATEBUFFER, vc_->CreateIndexBuffer(0, kQuadIndices, &ibId));
    EXPECT_EQ(0u, ibId);
}

TEST_F(StaticBufferTest, BuffersPastTheDevicesDrawLimitAreMadeAndDrawnWithinIt)
{
    // More index pairs than the device draws as lines in one call: the buffers are made all
    // the same; a draw asking for more primitives than the device takes is not made.
    D3DCAPS9 caps;
    ASSERT_EQ(D3D_OK, rec_->real()->GetDeviceCaps(&caps));
    const UINT limit = caps.MaxPrimitiveCount;
    ASSERT_LT(limit, 0x7FFFFFFFu / 2);
    const UINT count = 2 * limit + 2;
    const std::vector<WORD> indices(count, 0);
    const UINT skin = SolidSkin(kRed);
    std::vector<OXEVertexPosition> v = PositionTriangles(3);
    UINT sb = NoId, ib = NoId;
    ASSERT_EQ(OXE_OK, vc_->CreateStaticBuffer(OXE_VERTEX_POSITION, skin, 3, count, v.data(), indices.data(), &sb));
    ASSERT_EQ(OXE_OK, vc_->CreateIndexBuffer(count, indices.data(), &ib));
    rec_->clear();
    SetMode(8);
    EXPECT_EQ(OXE_FAIL, vc_->RenderStaticBuffer(sb));
    EXPECT_EQ(OXE_FAIL, vc_->RenderStaticBufferWithIndices(sb, ib, skin));
    EXPECT_EQ(OXE_FAIL, vc_->RenderStaticBufferRange(sb, skin, 0, 3, limit + 1));
    EXPECT_EQ(0u, rec_->drawCalls().size()) << rec_->dump();
    EXPECT_EQ(D3D_OK, vc_->RenderStaticBufferRange(sb, skin, 0, 3, limit));
    EXPECT_EQ(1u, rec_->drawCalls().size());
    SetMode(11);
}

TEST_F(StaticBufferTest, ThreeHundredVerticesDrawByRenderMode)
{
    const UINT skin = SolidSkin(kRed);
    const UINT id = Plain(300, skin);
    struct Case { int mode; D3DPRIMITIVETYPE type; uint64_t count; } cases[] = {
        {11, D3DPT_TRIANGLELIST, 100}, {8, D3DPT_LINELIST, 150}, {10, D3DPT_LINESTRIP, 299},
        {7, D3DPT_POINTLIST, 300}, {9, D3DPT_TRIANGLELIST, 100}};
    for (const Case& c : cases) {
        SetMode(c.mode);
        rec_->clear();
        ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(id)) << c.mode;
        const RecordedCall d = OnlyDraw();
        EXPECT_EQ("DrawPrimitive", d.name);
        EXPECT_EQ(uint64_t(c.type), d.arg(0)) << c.mode;
        EXPECT_EQ(0u, d.arg(1));
        EXPECT_EQ(c.count, d.arg(2)) << c.mode;
    }
}

TEST_F(StaticBufferTest, IndexedBufferDrawsByRenderMode)
{
    const UINT skin = SolidSkin(kRed);
    std::vector<OXEVertexLit> v(8, OXEVertexLit{0, 0, 0.5f, 0xFFFFFFFF, 0, 0});
    const WORD idx[12] = {0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7};
    UINT id = NoId;
    ASSERT_EQ(OXE_OK, vc_->CreateStaticBuffer(OXE_VERTEX_LIT, skin, 8, 12, v.data(), idx, &id));
    struct Case { int mode; D3DPRIMITIVETYPE type; uint64_t count; } cases[] = {
        {11, D3DPT_TRIANGLELIST, 4}, {8, D3DPT_LINELIST, 6}, {10, D3DPT_LINESTRIP, 7}};
    for (const Case& c : cases) {
        SetMode(c.mode);
        rec_->clear();
        ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(id)) << c.mode;
        const RecordedCall d = OnlyDraw();
        EXPECT_EQ("DrawIndexedPrimitive", d.name);
        EXPECT_EQ(uint64_t(c.type), d.arg(0)) << c.mode;
        EXPECT_EQ(8u, d.arg(3));
        EXPECT_EQ(c.count, d.arg(5)) << c.mode;
    }
    SetMode(7);
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(id));
    EXPECT_EQ("DrawPrimitive", OnlyDraw().name);
    EXPECT_EQ(8u, OnlyDraw().arg(2));
}

TEST_F(StaticBufferTest, DrawingTheSameBufferTwiceBindsAndSkinsOnce)
{
    const UINT skin = SolidSkin(kRed);
    const UINT id = Quad(0, 0, 1, 1, 0xFFFFFFFF, skin);
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(id));
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(id));
    EXPECT_EQ(1u, rec_->count("SetStreamSource"));
    EXPECT_EQ(1u, rec_->count("SetIndices"));
    EXPECT_EQ(1u, rec_->count("SetMaterial"));
    EXPECT_EQ(2u, rec_->count("DrawIndexedPrimitive"));
    // The solid skin step of a static draw: no texture flag C path leaves stage 0 empty; the
    // first stage without texture is disabled.
    const std::vector<RecordedCall> op0 = rec_->stageStates(0, D3DTSS_COLOROP);
    ASSERT_EQ(1u, op0.size());
    EXPECT_EQ(uint64_t(D3DTOP_DISABLE), op0[0].arg(2));
}

TEST_F(StaticBufferTest, StaticAndDynamicDrawsHandTheStreamOver)
{
    const UINT skin = SolidSkin(kRed);
    const UINT id = Quad(0, 0, 1, 1, 0xFFFFFFFF, skin);
    std::vector<OXEVertexLit> v = LitQuad(0, 0, 1, 1, 0xFFFFFFFF);
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(id));
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, v.data(), kQuadIndices, skin));
    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    EXPECT_EQ(1u, rec_->count("SetStreamSource")) << "the cache rebinds its buffers";
    EXPECT_EQ(0u, rec_->count("SetMaterial")) << "the skin is already in force";
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(id));
    EXPECT_EQ(1u, rec_->count("SetStreamSource")) << "the static buffer rebinds after a dynamic draw";
    EXPECT_EQ(1u, rec_->count("SetIndices"));
    // And the cache again after that.
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, v.data(), kQuadIndices, skin));
    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    EXPECT_EQ(1u, rec_->count("SetStreamSource"));
}

TEST_F(StaticBufferTest, SeparateIndexBufferIsReboundWheneverOtherIndicesWereBound)
{
    const UINT skin = SolidSkin(kRed);
    const UINT a = Quad(-1, -1, 0, 0, 0xFFFFFFFF, skin);
    const UINT b = Quad(0, 0, 1, 1, 0xFFFFFFFF, skin);
    UINT ib = NoId;
    const WORD half[3] = {0, 1, 2};
    ASSERT_EQ(OXE_OK, vc_->CreateIndexBuffer(3, half, &ib));

    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBufferWithIndices(a, ib, skin));
    EXPECT_EQ(1u, rec_->count("SetIndices"));
    EXPECT_EQ(1u, OnlyDraw().arg(5)); // the separate buffer's one triangle
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBufferWithIndices(a, ib, skin));
    EXPECT_EQ(0u, rec_->count("SetIndices"));
    EXPECT_EQ(0u, rec_->count("SetStreamSource"));

    // Another buffer's own indices in between: the separate one must be bound again.
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(b));
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBufferWithIndices(a, ib, skin));
    ASSERT_EQ(1u, rec_->count("SetIndices")) << rec_->dump();
    EXPECT_EQ(uint64_t(D3DPT_TRIANGLELIST), OnlyDraw().arg(0));

    // The same after a batch flush bound a cache's indices.
    std::vector<OXEVertexLit> v = LitQuad(0, 0, 1, 1, 0xFFFFFFFF);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, v.data(), kQuadIndices, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBufferWithIndices(a, ib, skin));
    EXPECT_EQ(1u, rec_->count("SetIndices"));

    // And the buffer's own indices come back when it is drawn alone.
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(a));
    EXPECT_EQ(1u, rec_->count("SetIndices"));
    EXPECT_EQ(2u, OnlyDraw().arg(5));
}

TEST_F(StaticBufferTest, IdsAndRangesOutsideTheBuffersAreRefused)
{
    const UINT skin = SolidSkin(kRed);
    const UINT plain = Plain(6, skin);
    const UINT quad = Quad(0, 0, 1, 1, 0xFFFFFFFF, skin);
    UINT ib = NoId;
    ASSERT_EQ(OXE_OK, vc_->CreateIndexBuffer(6, kQuadIndices, &ib));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderStaticBuffer(2));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderStaticBufferWithIndices(quad, 1, skin));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderStaticBufferWithIndices(2, ib, skin));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderStaticBufferRange(2, skin, 0, 4, 2));
    EXPECT_EQ(OXE_INVALIDID, vc_->RenderStaticBufferWithIndices(quad, ib, skin + 1));
    rec_->clear();
    EXPECT_EQ(OXE_FAIL, vc_->RenderStaticBufferRange(plain, skin, 0, 6, 2));
    EXPECT_EQ(0u, rec_->drawCalls().size());
    // Past the six indices, or more vertices than the buffer has.
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderStaticBufferRange(quad, skin, 3, 4, 2));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderStaticBufferRange(quad, skin, 0, 5, 1));
    EXPECT_EQ(0u, rec_->drawCalls().size());
    ASSERT_EQ(S_OK, vc_->RenderStaticBufferRange(quad, skin, 3, 4, 1));
    const RecordedCall d = OnlyDraw();
    EXPECT_EQ(4u, d.arg(3));
    EXPECT_EQ(3u, d.arg(4));
    EXPECT_EQ(1u, d.arg(5));
    // A static buffer whose skin was never handed out is not drawn.
    UINT stray = NoId;
    std::vector<OXEVertexLit> v(3, OXEVertexLit{0, 0, 0.5f, 0, 0, 0});
    ASSERT_EQ(OXE_OK, vc_->CreateStaticBuffer(OXE_VERTEX_LIT, 40, 3, 0, v.data(), nullptr, &stray));
    EXPECT_EQ(OXE_INVALIDID, vc_->RenderStaticBuffer(stray));
}

TEST_F(StaticBufferTest, NonSolidStaticDrawsDisableStageOne)
{
    const UINT skin = SolidSkin(kRed);
    const UINT id = Plain(3, skin);
    SetMode(9);
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(id));
    const std::vector<RecordedCall> op1 = rec_->stageStates(1, D3DTSS_COLOROP);
    ASSERT_EQ(1u, op1.size());
    EXPECT_EQ(uint64_t(D3DTOP_DISABLE), op1[0].arg(2));
    EXPECT_EQ(1u, rec_->count("SetFVF"));
}

TEST_F(StaticBufferTest, StaticQuadsShowTheirTexturesAndMaterials)
{
    const UINT green = TexturedSkin("sb_green.bmp", 0x00FF00);
    const UINT red = SolidSkin(kRed);
    const UINT left = Quad(-0.9f, -0.9f, -0.1f, 0.9f, 0xFFFFFFFF, green);
    std::vector<OXEVertexUnlit> v = UnlitQuad(0.1f, -0.9f, 0.9f, 0.9f);
    UINT right = NoId;
    ASSERT_EQ(OXE_OK, vc_->CreateStaticBuffer(OXE_VERTEX_UNLIT, red, 4, 6, v.data(), kQuadIndices, &right));
    begin(0xFF000000);
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(left));
    rec_->SetRenderState(D3DRS_LIGHTING, TRUE);
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(right));
    rec_->SetRenderState(D3DRS_LIGHTING, FALSE);
    testsupport::Picture p = end();
    EXPECT_EQ(0x00FF00u, At(p, -0.5f, 0.0f));
    EXPECT_EQ(0xFF0000u, At(p, 0.5f, 0.0f));
    EXPECT_EQ(0x000000u, At(p, 0.0f, 0.0f));
}

TEST_F(StaticBufferTest, LinesAndPointsDrawFromMemoryWithTheirOwnStates)
{
    std::vector<OXEVertexLit> v(5, OXEVertexLit{0, 0, 0.5f, 0xFFFFFFFF, 0, 0});
    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->RenderLines(OXE_VERTEX_LIT, 5, v.data(), &kGreen, true));
    RecordedCall d = OnlyDraw();
    EXPECT_EQ("DrawPrimitiveUP", d.name);
    EXPECT_EQ(uint64_t(D3DPT_LINESTRIP), d.arg(0));
    EXPECT_EQ(4u, d.arg(1));
    EXPECT_EQ(24u, d.arg(3));
    EXPECT_EQ(1.0f, rec_->named("SetMaterial").at(0).material.Diffuse.g);
    EXPECT_EQ(0x142u, rec_->named("SetFVF").at(0).arg(0));
    // Lighting off for kind 2, on again afterwards.
    std::vector<RecordedCall> light = rec_->renderStates(D3DRS_LIGHTING);
    ASSERT_EQ(2u, light.size());
    EXPECT_EQ(0u, light[0].arg(1));
    EXPECT_EQ(1u, light[1].arg(1));
    EXPECT_EQ(NoId, rd_->GetCurrentSkin());

    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->RenderLines(OXE_VERTEX_LIT, 5, v.data(), nullptr, false));
    d = OnlyDraw();
    EXPECT_EQ(uint64_t(D3DPT_LINELIST), d.arg(0));
    EXPECT_EQ(2u, d.arg(1));
    EXPECT_EQ(0u, rec_->count("SetMaterial"));
    // No strip through no points.
    rec_->clear();
    EXPECT_EQ(OXE_OK, vc_->RenderLines(OXE_VERTEX_LIT, 0, v.data(), nullptr, true));
    EXPECT_EQ(0u, rec_->drawCalls().size());
    EXPECT_EQ(OXE_INVALIDID, vc_->RenderLines(6, 5, v.data(), nullptr, false));

    std::vector<OXEVertexUnlit> pts(3, OXEVertexUnlit{0, 0, 0.5f, 0, 0, -1, 0, 0});
    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->RenderPoints(OXE_VERTEX_UNLIT, 3, pts.data(), &kRed));
    d = OnlyDraw();
    EXPECT_EQ(uint64_t(D3DPT_POINTLIST), d.arg(0));
    EXPECT_EQ(3u, d.arg(1));
    EXPECT_EQ(32u, d.arg(3));
    light = rec_->renderStates(D3DRS_LIGHTING);
    ASSERT_EQ(2u, light.size());
    EXPECT_EQ(1u, light[0].arg(1)); // kind 1 is lit
    EXPECT_EQ(0u, rec_->count("SetFVF"));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderPoints(OXE_VERTEX_UNLIT, 3, pts.data(), nullptr));
    EXPECT_EQ(OXE_INVALIDID, vc_->RenderPoints(6, 3, pts.data(), &kRed));

    // With the shader path on the kind's shader and the pixel shader 0 are asked for.
    rd_->m_usingShaders = true;
    ASSERT_EQ(OXE_OK, vc_->RenderPoints(OXE_VERTEX_LIT, 1, v.data(), &kRed));
    ASSERT_EQ(1u, rd_->vertexShaderKinds.size());
    EXPECT_EQ(2, rd_->vertexShaderKinds[0]);
}

TEST_F(StaticBufferTest, SingleLineCarriesItsColourInBothVertices)
{
    const UINT skin = SolidSkin(kGreen);
    std::vector<OXEVertexLit> q = LitQuad(0, 0, 1, 1, 0xFFFFFFFF);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, q.data(), kQuadIndices, skin));
    const float a[3] = {-0.8f, 0.0f, 0.5f}, b[3] = {0.8f, 0.0f, 0.5f};
    begin(0xFF000000);
    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->RenderLine(a, b, &kRed));
    testsupport::Picture p = end();
    // The batch was drawn first.
    EXPECT_LT(rec_->indexOf("DrawIndexedPrimitive"), rec_->indexOf("DrawPrimitiveUP"));
    const RecordedCall d = rec_->named("DrawPrimitiveUP").at(0);
    EXPECT_EQ(uint64_t(D3DPT_LINELIST), d.arg(0));
    EXPECT_EQ(1u, d.arg(1));
    ASSERT_EQ(48u, d.data.size());
    OXEVertexLit out[2];
    memcpy(out, d.data.data(), sizeof out);
    EXPECT_EQ(0xFFFF0000u, out[0].color);
    EXPECT_EQ(0xFFFF0000u, out[1].color);
    EXPECT_EQ(-0.8f, out[0].x);
    EXPECT_EQ(0.8f, out[1].x);
    ASSERT_EQ(1u, rd_->enableShaders.size());
    EXPECT_FALSE(rd_->enableShaders[0]);
    EXPECT_EQ(0u, rec_->named("SetFVF").back().arg(0));
    // Lit by its red material under the white ambient light: a red line across the middle.
    EXPECT_GT(p.count(0xFF0000, 0, p.height / 2 - 2, p.width, p.height / 2 + 2), p.width / 2);
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderLine(a, b, nullptr));
}

TEST_F(StaticBufferTest, PositionTrianglesUseTheThirdTextureWhenThereIsOne)
{
    std::vector<OXEVertexPosition> v = PositionTriangles(10);
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderPositionTriangles(10, v.data(), true));
    RecordedCall d = OnlyDraw();
    EXPECT_EQ(uint64_t(D3DPT_TRIANGLELIST), d.arg(0));
    EXPECT_EQ(3u, d.arg(1));
    EXPECT_EQ(12u, d.arg(3));
    EXPECT_EQ(uint64_t(D3DFVF_XYZ), rec_->named("SetFVF").at(0).arg(0));
    for (const RecordedCall& t : rec_->named("SetTexture")) EXPECT_EQ(0u, t.arg(1));

    TexturedSkin("pt_a.bmp", 0x0000FF);
    TexturedSkin("pt_b.bmp", 0x00FF00);
    TexturedSkin("pt_c.bmp", 0xFF0000);
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderPositionTriangles(10, v.data(), true));
    EXPECT_EQ(uint64_t(uintptr_t(skins_->GetD3DTexture(2))), rec_->named("SetTexture").back().arg(1));
    rec_->clear();
    ASSERT_EQ(S_OK, vc_->RenderPositionTriangles(10, v.data(), false));
    for (const RecordedCall& t : rec_->named("SetTexture")) EXPECT_EQ(0u, t.arg(1));
}

TEST_F(StaticBufferTest, BuffersComeBackAfterADeviceReset)
{
    const UINT green = TexturedSkin("sb_reset.bmp", 0x00FF00);
    const UINT red = SolidSkin(kRed);
    const UINT quad = Quad(-0.9f, -0.9f, -0.1f, 0.9f, 0xFFFFFFFF, green);
    const UINT other = Quad(0.1f, 0.1f, 0.9f, 0.9f, 0xFFFF0000, red);
    UINT ib = NoId;
    ASSERT_EQ(OXE_OK, vc_->CreateIndexBuffer(6, kQuadIndices, &ib));
    std::vector<OXEVertexLit> dyn = LitQuad(0.1f, -0.9f, 0.9f, -0.1f, 0xFF0000FF);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, dyn.data(), kQuadIndices, red));

    // Direct3D refuses to reset while default-pool buffers are alive (the device's own
    // managers hold some too).
    OXED3DVCManager* own = dynamic_cast<OXED3DVCManager*>(savedVc_);
    ASSERT_TRUE(own != nullptr);
    EXPECT_NE(D3D_OK, rd_->ResetDevice());
    own->ReleaseDeviceObjects();
    vc_->ReleaseDeviceObjects();
    // The dropped batch is gone; appends fail until the buffers are back.
    EXPECT_TRUE(vc_->GetCache(OXE_VERTEX_LIT, 9)->IsEmpty());
    EXPECT_EQ(OXE_BUFFERLOCK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, dyn.data(), kQuadIndices, red));
    ASSERT_EQ(D3D_OK, rd_->ResetDevice());
    ASSERT_EQ(OXE_OK, own->RestoreDeviceObjects());
    ASSERT_EQ(OXE_OK, vc_->RestoreDeviceObjects());

    PlainStates();
    vc_->InvalidateStates();
    begin(0xFF000000);
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(quad));
    ASSERT_EQ(S_OK, vc_->RenderStaticBufferWithIndices(other, ib, red));
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, dyn.data(), kQuadIndices, red));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    testsupport::Picture p = end();
    EXPECT_EQ(0x00FF00u, At(p, -0.5f, 0.0f));
    EXPECT_EQ(0xFF0000u, At(p, 0.5f, 0.5f));
    EXPECT_EQ(0x0000FFu, At(p, 0.5f, -0.5f));
}

namespace {

// What stream 0 and the indices of the real device are bound to right now.
struct Binding {
    IDirect3DVertexBuffer9* vertices = nullptr;
    UINT stride = 0;
    IDirect3DIndexBuffer9* indices = nullptr;
    DWORD fvf = 0;

    static Binding Read(IDirect3DDevice9* d3d)
    {
        Binding b;
        UINT offset = 0;
        d3d->GetStreamSource(0, &b.vertices, &offset, &b.stride);
        d3d->GetIndices(&b.indices);
        d3d->GetFVF(&b.fvf);
        // Only the identities are compared; drop the references the getters took.
        if (b.vertices) b.vertices->Release();
        if (b.indices) b.indices->Release();
        return b;
    }
    bool operator==(const Binding& o) const
    {
        return vertices == o.vertices && stride == o.stride && indices == o.indices && fvf == o.fvf;
    }
};

std::ostream& operator<<(std::ostream& out, const Binding& b)
{
    return out << "{vertices " << b.vertices << ", stride " << b.stride << ", indices " << b.indices
               << ", format 0x" << std::hex << b.fvf << std::dec << "}";
}

// A static draw of one of the three kinds, with what it binds read back right after it.
class BindingTest : public StaticBufferTest {
protected:
    enum StaticDraw { kWhole, kWithIndices, kRange };
    static const char* Name(StaticDraw d)
    {
        return d == kWhole ? "RenderStaticBuffer" : d == kWithIndices ? "RenderStaticBufferWithIndices"
                                                                      : "RenderStaticBufferRange";
    }
    void SetUp() override
    {
        StaticBufferTest::SetUp();
        red_ = SolidSkin(kRed);
        green_ = SolidSkin(kGreen);
        static_ = Quad(-0.9f, -0.9f, -0.1f, -0.1f, 0xFFFF0000, red_);
        const WORD flipped[6] = {3, 1, 2, 2, 1, 0};
        ASSERT_EQ(OXE_OK, vc_->CreateIndexBuffer(6, flipped, &separate_));
        dynamic_ = LitQuad(0.1f, 0.1f, 0.9f, 0.9f, 0xFF00FF00);
    }
    HRESULT Draw(StaticDraw d)
    {
        switch (d) {
        case kWhole: return vc_->RenderStaticBuffer(static_);
        case kWithIndices: return vc_->RenderStaticBufferWithIndices(static_, separate_, red_);
        default: return vc_->RenderStaticBufferRange(static_, red_, 0, 4, 2);
        }
    }
    // Draws the static buffer and returns what was bound for the draw.
    Binding DrawAndRead(StaticDraw d)
    {
        EXPECT_EQ(S_OK, Draw(d)) << Name(d);
        return Binding::Read(rec_->real());
    }
    // Batches the dynamic quad and flushes it; returns what the flush bound.
    Binding BatchAndFlush()
    {
        EXPECT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, dynamic_.data(), kQuadIndices, green_));
        EXPECT_EQ(OXE_OK, vc_->FlushAll());
        return Binding::Read(rec_->real());
    }

    UINT red_ = NoId, green_ = NoId;
    UINT static_ = NoId, separate_ = NoId;
    std::vector<OXEVertexLit> dynamic_;
};

} // namespace

TEST_F(BindingTest, StaticDrawAfterAnyCacheFlushRebindsItsOwnBuffers)
{
    // Everything that flushes the caches binds a cache's buffers: a static buffer drawn again
    // after it must bind its own once more.
    const std::vector<std::pair<const char*, std::function<void()>>> flushes = {
        {"FlushAll", [&] { vc_->FlushAll(); }},
        {"FlushVertexKind", [&] { vc_->FlushVertexKind(OXE_VERTEX_LIT); }},
        {"SetWorldMatrix", [&] { rd_->SetWorldMatrix(nullptr); }},
        {"SetCullMode", [&] { rd_->SetCullMode(OXE_CULL_NONE); }},
        {"SetDepthMode", [&] { rd_->SetDepthMode(OXE_DEPTH_NONE); }},
        {"SetAmbientColor", [&] { rd_->SetAmbientColor(1, 1, 1); }},
        {"ActivatePerspectiveStage", [&] { rd_->ActivatePerspectiveStage(); }},
    };
    begin(0xFF000000);
    for (StaticDraw d : {kWhole, kWithIndices, kRange}) {
        for (const auto& flush : flushes) {
            vc_->InvalidateStates();
            ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, dynamic_.data(), kQuadIndices, green_));
            const Binding own = DrawAndRead(d);
            flush.second();
            const Binding cache = Binding::Read(rec_->real());
            EXPECT_NE(cache.vertices, own.vertices) << flush.first << ": the flush bound no cache";
            EXPECT_EQ(own, DrawAndRead(d)) << Name(d) << " after " << flush.first;
            PlainStates();
        }
    }
    end();
}

TEST_F(BindingTest, StaticDrawsAndCacheFlushesAfterTheDevicesImmediateDraws)
{
    // The device's own points and lines draw from memory, which leaves stream 0 empty, and the
    // point sets its own vertex format: what the manager draws next binds its buffers again.
    const std::vector<std::pair<const char*, std::function<void()>>> immediates = {
        {"DrawPoint", [&] { rd_->DrawPoint(0, 0, 0, 255, 255, 255, 255); }},
        {"DrawLine", [&] { rd_->DrawLine(10, 10, 100, 10, 2, 255, 255, 255, 255); }},
        {"DrawRectOutline", [&] { rd_->DrawRectOutline(10, 10, 100, 50, 1, 255, 255, 255, 255); }},
        {"FillRect", [&] { rd_->FillRect(10, 10, 3, 20, 255, 255, 255, 255); }},
        {"DrawTextWithFont", [&] { rd_->DrawTextWithFont("Wx", 10, 10, "Arial", 20, 10, 400, 255, 255, 255, 255); }},
    };
    begin(0xFF000000);
    for (const auto& immediate : immediates) {
        for (StaticDraw d : {kWhole, kWithIndices, kRange}) {
            vc_->InvalidateStates();
            const Binding own = DrawAndRead(d);
            immediate.second();
            EXPECT_EQ(own, DrawAndRead(d)) << Name(d) << " after " << immediate.first;
            PlainStates();
        }
        vc_->InvalidateStates();
        const Binding cache = BatchAndFlush();
        immediate.second();
        EXPECT_EQ(cache, BatchAndFlush()) << "cache flush after " << immediate.first;
        PlainStates();
    }
    end();
}

TEST_F(BindingTest, OneStaticBufferDrawnAtTwoTransformsShowsTwice)
{
    // The usual case of the stale binding: a batch in a cache, a static quad drawn, the world
    // moved (which flushes the batch), the static quad drawn again.
    begin(0xFF000000);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, dynamic_.data(), kQuadIndices, green_));
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(static_));
    D3DXMATRIX up;
    D3DXMatrixTranslation(&up, 0.0f, 1.0f, 0.0f);
    rd_->SetWorldMatrix(&up);
    ASSERT_EQ(S_OK, vc_->RenderStaticBuffer(static_));
    rd_->SetWorldMatrix(nullptr);
    testsupport::Picture p = end();
    EXPECT_EQ(0xFF0000u, At(p, -0.5f, -0.5f)); // the static quad where it was made
    EXPECT_EQ(0xFF0000u, At(p, -0.5f, 0.5f));  // and moved up by the world matrix
    EXPECT_EQ(0x00FF00u, At(p, 0.5f, 0.5f));   // the batched quad
    EXPECT_EQ(0x000000u, At(p, 0.5f, -0.5f));
}
