// The vertex cache manager through the recording proxy on a real device: batching, the
// takeover of the fullest cache, draws by render mode, the order of the skin step, skipped
// binds, and the pixels that batched geometry with skins puts on the screen.
#include "DrawFixture.h"

using namespace managertests;
using testsupport::RecordedCall;

namespace {

const D3DCOLORVALUE kWhite = {1, 1, 1, 1};
const D3DCOLORVALUE kRed = {1, 0, 0, 1};
const D3DCOLORVALUE kGreen = {0, 1, 0, 1};
const D3DCOLORVALUE kBlue = {0, 0, 1, 1};

// n vertices of kind 2 (their content does not matter where nothing is looked at).
std::vector<OXEVertexLit> Vertices(UINT n)
{
    std::vector<OXEVertexLit> v(n);
    for (UINT i = 0; i < n; ++i) v[i] = {float(i % 7) * 0.01f, float(i % 5) * 0.01f, 0.5f, 0xFFFFFFFF, 0, 0};
    return v;
}

class VertexCacheTest : public DrawTest {
protected:
    HRESULT Batch(UINT vertexCount, UINT skin, UINT kind = OXE_VERTEX_LIT)
    {
        std::vector<uint8_t> data(size_t(vertexCount) * OXEGetVertexKindInfo(kind).stride, 0);
        return vc_->RenderDynamic(kind, vertexCount, 0, data.data(), nullptr, skin);
    }
    std::vector<RecordedCall> Draws() const { return rec_->drawCalls(); }
};

} // namespace

TEST_F(VertexCacheTest, SixtyCachesAreMadeInPassOrderWithTheirBuffers)
{
    rec_->clear();
    OXELog log;
    ASSERT_TRUE(log.Open("log_vcmanager_test.txt"));
    std::unique_ptr<OXED3DVCManager> fresh(new OXED3DVCManager(rec_.get(), rd_, skins_.get(), &log));
    for (UINT slot = 0; slot < 10; ++slot)
        for (UINT kind = 0; kind < 6; ++kind)
            EXPECT_EQ(slot * 6 + kind + 1, fresh->GetCache(kind, slot)->GetCacheId());
    EXPECT_EQ(nullptr, fresh->GetCache(6, 0));
    EXPECT_EQ(nullptr, fresh->GetCache(0, 10));

    const std::vector<RecordedCall> vbs = rec_->named("CreateVertexBuffer");
    const std::vector<RecordedCall> ibs = rec_->named("CreateIndexBuffer");
    ASSERT_EQ(60u, vbs.size());
    ASSERT_EQ(60u, ibs.size());
    const UINT strides[6] = {12, 32, 24, 48, 48, 44};
    for (UINT i = 0; i < 60; ++i) {
        EXPECT_EQ(3000u * strides[i % 6], vbs[i].arg(0)) << i;
        EXPECT_EQ(uint64_t(D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY), vbs[i].arg(1));
        EXPECT_EQ(0u, vbs[i].arg(2)); // no vertex format
        EXPECT_EQ(uint64_t(D3DPOOL_DEFAULT), vbs[i].arg(3));
        EXPECT_EQ(9000u, ibs[i].arg(0));
        EXPECT_EQ(uint64_t(D3DFMT_INDEX16), ibs[i].arg(2));
        EXPECT_EQ(S_OK, vbs[i].result);
    }
    fresh.reset();
    log.Close();
    EXPECT_EQ("[OXED3DVCMngr]: online\r\n", testsupport::ReadFileBytes("log_vcmanager_test.txt"));
}

TEST_F(VertexCacheTest, OneSkinBatchesIntoOneDrawUntilTheCacheIsFull)
{
    const UINT skin = SolidSkin(kRed);
    ASSERT_EQ(OXE_OK, Batch(2000, skin));
    EXPECT_EQ(0u, Draws().size());
    // 1,500 more do not fit beside 2,000: the first batch is drawn, the new one starts over.
    ASSERT_EQ(OXE_OK, Batch(1500, skin));
    std::vector<RecordedCall> draws = Draws();
    ASSERT_EQ(1u, draws.size()) << rec_->dump();
    EXPECT_TRUE(draws[0].is("DrawIndexedPrimitive"));
    EXPECT_EQ(uint64_t(D3DPT_TRIANGLELIST), draws[0].arg(0));
    EXPECT_EQ(2000u, draws[0].arg(3)); // vertices
    EXPECT_EQ(0u, draws[0].arg(4));    // start index
    EXPECT_EQ(666u, draws[0].arg(5));  // 2000 indices / 3
    EXPECT_EQ(S_OK, draws[0].result);
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    draws = Draws();
    ASSERT_EQ(2u, draws.size());
    EXPECT_EQ(1500u, draws[1].arg(3));
    EXPECT_EQ(500u, draws[1].arg(5));
    // Both batches lived in the same cache.
    EXPECT_EQ(skin, vc_->GetCache(OXE_VERTEX_LIT, 9)->GetSkinId());
    // Flushing again draws nothing.
    rec_->clear();
    EXPECT_EQ(OXE_OK, vc_->FlushAll());
    EXPECT_EQ(0u, Draws().size());
}

TEST_F(VertexCacheTest, MoreThanOneCacheCanHoldIsRefusedAndNothingIsBatched)
{
    const UINT skin = SolidSkin(kRed);
    std::vector<OXEVertexLit> v = Vertices(3001);
    std::vector<WORD> idx(4501, 0);
    EXPECT_EQ(OXE_BUFFERSIZE, vc_->RenderDynamic(OXE_VERTEX_LIT, 3001, 0, v.data(), nullptr, skin));
    EXPECT_EQ(OXE_BUFFERSIZE, vc_->RenderDynamic(OXE_VERTEX_LIT, 3, 4501, v.data(), idx.data(), skin));
    // Exactly a full cache is taken.
    EXPECT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 3000, 0, v.data(), nullptr, skin));
    EXPECT_EQ(3000u, vc_->GetCache(OXE_VERTEX_LIT, 9)->GetVertexCount());
    EXPECT_EQ(0u, Draws().size());
}

TEST_F(VertexCacheTest, UnknownKindsAndSkinsAreRefused)
{
    const UINT skin = SolidSkin(kRed);
    std::vector<OXEVertexLit> v = Vertices(3);
    EXPECT_EQ(OXE_INVALIDID, vc_->RenderDynamic(6, 3, 0, v.data(), nullptr, skin));
    EXPECT_EQ(OXE_INVALIDID, vc_->FlushVertexKind(6));
    // Ids the skin manager never handed out, NoId among them.
    EXPECT_EQ(OXE_INVALIDID, vc_->RenderDynamic(OXE_VERTEX_LIT, 3, 0, v.data(), nullptr, skin + 1));
    EXPECT_EQ(OXE_INVALIDID, vc_->RenderDynamic(OXE_VERTEX_LIT, 3, 0, v.data(), nullptr, NoId));
    // Indices outside the vertices given, and missing vertices.
    const WORD bad[3] = {0, 1, 3};
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderDynamic(OXE_VERTEX_LIT, 3, 3, v.data(), bad, skin));
    EXPECT_EQ(OXE_INVALIDPARAM, vc_->RenderDynamic(OXE_VERTEX_LIT, 3, 0, nullptr, nullptr, skin));
    for (UINT slot = 0; slot < 10; ++slot) EXPECT_TRUE(vc_->GetCache(OXE_VERTEX_LIT, slot)->IsEmpty());
    EXPECT_EQ(OXE_OK, vc_->FlushAll());
    EXPECT_EQ(0u, Draws().size());
}

TEST_F(VertexCacheTest, EleventhSkinTakesOverTheFullestCacheEarliestOnATie)
{
    // Ten skins fill the ten caches; empty caches are taken from the last slot down, so skin i
    // lands in slot 9 - i. Skins 3 and 4 batch the most (a tie): skin 4 sits in the earlier slot.
    const UINT counts[10] = {3, 6, 9, 30, 30, 12, 3, 3, 3, 3};
    std::vector<UINT> skins;
    for (UINT i = 0; i < 11; ++i) {
        const D3DCOLORVALUE c = {float(i) / 16.0f, 0, 0, 1};
        skins.push_back(SolidSkin(c));
    }
    for (UINT i = 0; i < 10; ++i) ASSERT_EQ(OXE_OK, Batch(counts[i], skins[i]));
    for (UINT i = 0; i < 10; ++i) EXPECT_EQ(skins[i], vc_->GetCache(OXE_VERTEX_LIT, 9 - i)->GetSkinId());
    EXPECT_EQ(0u, Draws().size());

    rec_->clear();
    ASSERT_EQ(OXE_OK, Batch(6, skins[10]));
    std::vector<RecordedCall> draws = Draws();
    ASSERT_EQ(1u, draws.size()) << rec_->dump();
    EXPECT_EQ(30u, draws[0].arg(3));
    // It was drawn with skin 4's material.
    const std::vector<RecordedCall> mats = rec_->named("SetMaterial");
    ASSERT_EQ(1u, mats.size());
    EXPECT_EQ(4.0f / 16.0f, mats[0].material.Diffuse.r);
    EXPECT_EQ(skins[10], vc_->GetCache(OXE_VERTEX_LIT, 5)->GetSkinId());
    EXPECT_EQ(6u, vc_->GetCache(OXE_VERTEX_LIT, 5)->GetVertexCount());
    EXPECT_EQ(skins[3], vc_->GetCache(OXE_VERTEX_LIT, 6)->GetSkinId());

    // Geometry of a skin that still has a cache goes there without any draw.
    rec_->clear();
    ASSERT_EQ(OXE_OK, Batch(3, skins[3]));
    EXPECT_EQ(0u, Draws().size());
    EXPECT_EQ(33u, vc_->GetCache(OXE_VERTEX_LIT, 6)->GetVertexCount());
    // The other kinds' caches are untouched.
    for (UINT slot = 0; slot < 10; ++slot) EXPECT_EQ(NoId, vc_->GetCache(OXE_VERTEX_UNLIT, slot)->GetSkinId());
}

TEST_F(VertexCacheTest, FlushBindsFormatBuffersAndSkinInOrderThenDraws)
{
    const UINT skin = TexturedSkin("vc_order.bmp", 0x00FF00, true);
    ASSERT_TRUE(WriteSolidBitmap("vc_order2.bmp", 2, 2, 0x0000FF));
    ASSERT_EQ(OXE_OK, skins_->AddTexture(skin, "vc_order2.bmp", false, 1.0f, nullptr, 0));
    rd_->SetStageTextureOp(1, 12); // add signed on stage 1
    ASSERT_EQ(OXE_OK, Batch(3, skin));
    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->FlushAll());

    std::vector<std::string> names;
    for (const RecordedCall& c : rec_->calls()) names.push_back(c.name);
    const std::vector<std::string> expected = {
        "SetFVF", "SetIndices", "SetStreamSource", "SetMaterial",
        "SetTexture", "SetTextureStageState", "SetTextureStageState", "SetTextureStageState", "SetTextureStageState",
        "SetTexture", "SetTextureStageState", "SetTextureStageState", "SetTextureStageState", "SetTextureStageState",
        "SetTextureStageState",
        "SetRenderState", "SetRenderState", "SetRenderState", "SetRenderState", "SetRenderState", "SetRenderState",
        "DrawIndexedPrimitive"};
    ASSERT_EQ(expected, names) << rec_->dump();
    const std::vector<RecordedCall>& c = rec_->calls();
    EXPECT_EQ(0x142u, c[0].arg(0));
    EXPECT_EQ(0u, c[2].arg(0));  // stream 0
    EXPECT_EQ(24u, c[2].arg(3)); // stride of kind 2
    EXPECT_EQ(uint64_t(uintptr_t(skins_->GetD3DTexture(0))), c[4].arg(1));
    EXPECT_EQ(uint64_t(D3DTSS_COLOROP), c[8].arg(1));
    EXPECT_EQ(uint64_t(D3DTOP_MODULATE), c[8].arg(2));
    EXPECT_EQ(uint64_t(uintptr_t(skins_->GetD3DTexture(1))), c[9].arg(1));
    EXPECT_EQ(uint64_t(D3DTOP_ADDSIGNED), c[13].arg(2));
    EXPECT_EQ(2u, c[14].arg(0)); // the first stage without a texture is disabled
    EXPECT_EQ(uint64_t(D3DTOP_DISABLE), c[14].arg(2));
    EXPECT_EQ(uint64_t(D3DRS_ALPHAREF), c[15].arg(0));
    EXPECT_EQ(50u, c[15].arg(1));
    EXPECT_EQ(uint64_t(D3DCMP_GREATEREQUAL), c[16].arg(1));
    EXPECT_EQ(uint64_t(D3DBLEND_SRCALPHA), c[17].arg(1));
    EXPECT_EQ(uint64_t(D3DBLEND_INVSRCALPHA), c[18].arg(1));
    EXPECT_EQ(uint64_t(D3DRS_ALPHATESTENABLE), c[19].arg(0));
    EXPECT_EQ(uint64_t(D3DRS_ALPHABLENDENABLE), c[20].arg(0));
    EXPECT_EQ(1u, c[20].arg(1));
    EXPECT_EQ(skin, rd_->GetCurrentSkin());
    rd_->SetStageTextureOp(1, 0);
}

TEST_F(VertexCacheTest, NothingIsReboundWhileCacheAndSkinStayTheSame)
{
    const UINT skin = SolidSkin(kRed);
    ASSERT_EQ(OXE_OK, Batch(3, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    rec_->clear();
    ASSERT_EQ(OXE_OK, Batch(3, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    ASSERT_EQ(1u, rec_->calls().size()) << rec_->dump();
    EXPECT_TRUE(rec_->calls()[0].is("DrawIndexedPrimitive"));

    // After InvalidateStates everything is put in force again.
    vc_->InvalidateStates();
    EXPECT_EQ(NoId, rd_->GetCurrentSkin());
    rec_->clear();
    ASSERT_EQ(OXE_OK, Batch(3, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    EXPECT_EQ(1u, rec_->count("SetStreamSource"));
    EXPECT_EQ(1u, rec_->count("SetIndices"));
    EXPECT_EQ(1u, rec_->count("SetMaterial"));
    EXPECT_EQ(1u, rec_->count("DrawIndexedPrimitive"));
}

TEST_F(VertexCacheTest, AnotherSkinsBatchInBetweenPutsEachSkinBackInForce)
{
    const UINT red = SolidSkin(kRed), green = SolidSkin(kGreen);
    ASSERT_EQ(OXE_OK, Batch(3, red));
    ASSERT_EQ(OXE_OK, Batch(3, green));
    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    // Two caches, two bindings, two materials, two draws (slot order: green's slot 8 first).
    EXPECT_EQ(2u, rec_->count("SetStreamSource"));
    const std::vector<RecordedCall> mats = rec_->named("SetMaterial");
    ASSERT_EQ(2u, mats.size());
    EXPECT_EQ(1.0f, mats[0].material.Diffuse.g);
    EXPECT_EQ(1.0f, mats[1].material.Diffuse.r);
    EXPECT_EQ(2u, rec_->count("DrawIndexedPrimitive"));
}

TEST_F(VertexCacheTest, RenderStateChangesFlushBatchedGeometryFirst)
{
    const UINT skin = SolidSkin(kRed);
    ASSERT_EQ(OXE_OK, Batch(3, skin));
    rec_->clear();
    rd_->SetCullMode(1);
    const int draw = rec_->indexOf("DrawIndexedPrimitive");
    const int cull = rec_->indexOf("SetRenderState");
    ASSERT_GE(draw, 0) << rec_->dump();
    // The draw comes before the render state the change sets (the flush's own alpha states
    // are set before the draw as well).
    int lastState = -1;
    for (size_t i = 0; i < rec_->calls().size(); ++i)
        if (rec_->calls()[i].is("SetRenderState") && rec_->calls()[i].arg(0) == D3DRS_CULLMODE) lastState = int(i);
    EXPECT_GT(lastState, draw);
    EXPECT_GE(cull, 0);
    EXPECT_TRUE(vc_->GetCache(OXE_VERTEX_LIT, 9)->IsEmpty());

    ASSERT_EQ(OXE_OK, Batch(3, skin));
    rec_->clear();
    rd_->SetRenderMode(9, 0.0f, nullptr);
    ASSERT_EQ(1u, rec_->count("DrawIndexedPrimitive")) << rec_->dump();
    EXPECT_LT(rec_->indexOf("DrawIndexedPrimitive"), int(rec_->calls().size()) - 1);
    rd_->SetRenderMode(11, 0.0f, nullptr);
    rd_->SetCullMode(3);
}

TEST_F(VertexCacheTest, RenderModesChooseThePrimitive)
{
    const UINT skin = SolidSkin(kRed);
    std::vector<OXEVertexLit> v = Vertices(6);
    const WORD idx[9] = {0, 1, 2, 3, 4, 5, 0, 2, 4};
    struct Case { int mode; D3DPRIMITIVETYPE type; uint64_t count; bool indexed; } cases[] = {
        {7, D3DPT_POINTLIST, 6, false},   // points even though built as triangles
        {8, D3DPT_LINELIST, 4, true},     // 9 indices / 2
        {10, D3DPT_LINESTRIP, 5, true},   // 6 vertices - 1
        {11, D3DPT_TRIANGLELIST, 3, true},
        {9, D3DPT_TRIANGLELIST, 3, true}, // wireframe fills triangles
    };
    for (const Case& c : cases) {
        SetMode(c.mode);
        ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 6, 9, v.data(), idx, skin));
        rec_->clear();
        ASSERT_EQ(OXE_OK, vc_->FlushAll());
        std::vector<RecordedCall> draws = Draws();
        ASSERT_EQ(1u, draws.size()) << c.mode;
        EXPECT_EQ(c.indexed ? "DrawIndexedPrimitive" : "DrawPrimitive", draws[0].name) << c.mode;
        EXPECT_EQ(uint64_t(c.type), draws[0].arg(0)) << c.mode;
        EXPECT_EQ(c.count, draws[0].arg(c.indexed ? 5 : 2)) << c.mode;
        EXPECT_EQ(S_OK, draws[0].result) << c.mode;
        vc_->InvalidateStates();
    }
}

TEST_F(VertexCacheTest, NonSolidModesDrawWithTheWireColourAndNoTexture)
{
    const UINT skin = TexturedSkin("vc_wire.bmp", 0xFF0000);
    const D3DCOLORVALUE wire = {0.25f, 0.5f, 0.75f, 1.0f};
    rd_->SetRenderMode(9, 0.0f, &wire);
    rec_->clear();
    ASSERT_EQ(OXE_OK, Batch(3, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    const std::vector<RecordedCall> mats = rec_->named("SetMaterial");
    ASSERT_EQ(1u, mats.size());
    EXPECT_EQ(0.5f, mats[0].material.Diffuse.g);
    EXPECT_EQ(0.75f, mats[0].material.Ambient.b);
    EXPECT_EQ(0.0f, mats[0].material.Specular.r);
    EXPECT_EQ(1.0f, mats[0].material.Emissive.a);
    EXPECT_EQ(1.0f, mats[0].material.Power);
    const std::vector<RecordedCall> tex = rec_->named("SetTexture");
    ASSERT_EQ(1u, tex.size());
    EXPECT_EQ(0u, tex[0].arg(0));
    EXPECT_EQ(0u, tex[0].arg(1));
    // A batch flush leaves stage 1 alone in the non-solid modes.
    EXPECT_EQ(0u, rec_->stageStates(1, D3DTSS_COLOROP).size());
    rd_->SetRenderMode(11, 0.0f, nullptr);
}

TEST_F(VertexCacheTest, ShaderPathLoadsMaterialColoursAsConstantsAndSetsNoFormat)
{
    rd_->m_usingShaders = true;
    const D3DCOLORVALUE amb = {0.1f, 0.2f, 0.3f, 1.0f};
    const UINT skin = SolidSkin(amb);
    ASSERT_EQ(OXE_OK, Batch(3, skin));
    rec_->clear();
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    EXPECT_EQ(0u, rec_->count("SetFVF"));
    EXPECT_EQ(0u, rec_->count("SetMaterial"));
    ASSERT_EQ(4u, rd_->shaderConstants.size());
    for (UINT i = 0; i < 4; ++i) {
        EXPECT_EQ(1, rd_->shaderConstants[i].shaderKind);
        EXPECT_EQ(2, rd_->shaderConstants[i].dataKind);
        EXPECT_EQ(i + 1, rd_->shaderConstants[i].reg);
        EXPECT_EQ(1u, rd_->shaderConstants[i].count);
    }
    EXPECT_EQ(0.2f, rd_->shaderConstants[0].values[1]); // ambient
    EXPECT_EQ(0.3f, rd_->shaderConstants[1].values[2]); // diffuse (same colours here)
    EXPECT_EQ(0.0f, rd_->shaderConstants[2].values[0]); // emissive
    EXPECT_EQ(1.0f, rd_->shaderConstants[3].values[3]); // specular alpha
}

TEST_F(VertexCacheTest, BatchedPiecesLandWhereTheirIndicesPoint)
{
    // Two quads of kind 2 batched into one cache, with null and with given indices: both must
    // show, each in its own colour (a missing index shift would draw the first one twice).
    const UINT skin = SolidSkin(kWhite);
    std::vector<OXEVertexLit> a = LitQuad(-0.9f, -0.9f, -0.1f, -0.1f, 0xFFFF0000);
    std::vector<OXEVertexLit> b = LitQuad(0.1f, 0.1f, 0.9f, 0.9f, 0xFF00FF00);
    std::vector<OXEVertexLit> c = LitQuad(0.1f, -0.9f, 0.9f, -0.1f, 0xFF0000FF);
    std::vector<OXEVertexLit> triA = {a[0], a[1], a[2], a[2], a[1], a[3]};
    begin(0xFF000000);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 6, 0, triA.data(), nullptr, skin));
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, b.data(), kQuadIndices, skin));
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, c.data(), kQuadIndices, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    testsupport::Picture p = end();
    EXPECT_EQ(1u, rec_->count("DrawIndexedPrimitive"));
    EXPECT_EQ(0xFF0000u, At(p, -0.5f, -0.5f));
    EXPECT_EQ(0x00FF00u, At(p, 0.5f, 0.5f));
    EXPECT_EQ(0x0000FFu, At(p, 0.5f, -0.5f));
    EXPECT_EQ(0x000000u, At(p, -0.5f, 0.5f));
}

TEST_F(VertexCacheTest, SkinsColourBatchedGeometryWithMaterialTextureAndAlpha)
{
    // Left: lit by the material (kind 1, lighting on, ambient light white, red ambient).
    // Middle: a blue texture. Right: a green texture at half transparency over grey.
    const UINT red = SolidSkin(kRed);
    const UINT blueTex = TexturedSkin("vc_blue.bmp", 0x0000FF);
    const UINT halfGreen = TexturedSkin("vc_green.bmp", 0x00FF00, true, 0.5f);
    std::vector<OXEVertexUnlit> left = UnlitQuad(-0.9f, -0.5f, -0.4f, 0.5f);
    std::vector<OXEVertexLit> mid = LitQuad(-0.3f, -0.5f, 0.2f, 0.5f, 0xFFFFFFFF);
    std::vector<OXEVertexLit> right = LitQuad(0.3f, -0.5f, 0.8f, 0.5f, 0xFFFFFFFF);

    begin(0xFF808080);
    rec_->SetRenderState(D3DRS_LIGHTING, TRUE);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_UNLIT, 4, 6, left.data(), kQuadIndices, red));
    ASSERT_EQ(OXE_OK, vc_->FlushVertexKind(OXE_VERTEX_UNLIT));
    rec_->SetRenderState(D3DRS_LIGHTING, FALSE);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, mid.data(), kQuadIndices, blueTex));
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, right.data(), kQuadIndices, halfGreen));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    testsupport::Picture p = end();
    EXPECT_EQ(0xFF0000u, At(p, -0.65f, 0.0f));
    EXPECT_EQ(0x0000FFu, At(p, -0.05f, 0.0f));
    // 127/255 of green over 128 grey.
    const uint32_t blended = At(p, 0.55f, 0.0f);
    EXPECT_NEAR(int((blended >> 16) & 0xFF), 64, 2);
    EXPECT_NEAR(int((blended >> 8) & 0xFF), 191, 2);
    EXPECT_NEAR(int(blended & 0xFF), 64, 2);
    EXPECT_EQ(0x808080u, At(p, 0.0f, 0.8f));
}

TEST_F(VertexCacheTest, ColourKeyedTexelsAreCutOutByTheAlphaTest)
{
    // A 2x1 texture: left half keyed out (alpha 0), right half red.
    ASSERT_TRUE(WriteBitmap("vc_keyed.bmp", 2, 1, 24, {0x00FF00, 0xFF0000}));
    const UINT skin = SolidSkin(kWhite);
    const D3DCOLORVALUE key = {0, 1, 0, 0};
    ASSERT_EQ(OXE_OK, skins_->AddTexture(skin, "vc_keyed.bmp", true, 1.0f, &key, 1));
    std::vector<OXEVertexLit> q = LitQuad(-0.8f, -0.8f, 0.8f, 0.8f, 0xFFFFFFFF);
    begin(0xFF0000FF);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, q.data(), kQuadIndices, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    testsupport::Picture p = end();
    EXPECT_EQ(0x0000FFu, At(p, -0.4f, 0.0f));
    EXPECT_EQ(0xFF0000u, At(p, 0.4f, 0.0f));
}

TEST_F(VertexCacheTest, EveryBatchOfACacheShowsWhenItIsFlushedSeveralTimesInAFrame)
{
    // One cache drawn four times in a frame: twice by FlushAll, twice because the next piece
    // no longer fitted. Each batch must show what was batched for it, though the later ones
    // reuse the buffers the earlier draws read.
    const UINT skin = SolidSkin(kWhite);
    std::vector<OXEVertexLit> a = LitQuad(-0.9f, 0.1f, -0.1f, 0.9f, 0xFFFF0000);
    std::vector<OXEVertexLit> b = LitQuad(0.1f, 0.1f, 0.9f, 0.9f, 0xFF00FF00);
    std::vector<OXEVertexLit> c = LitQuad(-0.9f, -0.9f, -0.1f, -0.1f, 0xFF0000FF);
    std::vector<OXEVertexLit> d = LitQuad(0.1f, -0.9f, 0.9f, -0.1f, 0xFFFFFF00);
    // Filler that leaves no room for another quad: triangles of no area off the screen.
    std::vector<OXEVertexLit> filler(2997, OXEVertexLit{5.0f, 5.0f, 0.5f, 0xFFFFFFFF, 0, 0});
    begin(0xFF000000);
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, a.data(), kQuadIndices, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, b.data(), kQuadIndices, skin));
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, c.data(), kQuadIndices, skin));
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 2997, 0, filler.data(), nullptr, skin)); // flushes c
    ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_LIT, 4, 6, d.data(), kQuadIndices, skin));     // flushes filler
    ASSERT_EQ(OXE_OK, vc_->FlushAll());
    testsupport::Picture p = end();
    const std::vector<RecordedCall> draws = Draws();
    ASSERT_EQ(5u, draws.size()) << rec_->dump();
    EXPECT_EQ(2997u, draws[3].arg(3));
    EXPECT_EQ(4u, draws[4].arg(3));
    EXPECT_EQ(0xFF0000u, At(p, -0.5f, 0.5f));
    EXPECT_EQ(0x00FF00u, At(p, 0.5f, 0.5f));
    EXPECT_EQ(0x0000FFu, At(p, -0.5f, -0.5f));
    EXPECT_EQ(0xFFFF00u, At(p, 0.5f, -0.5f));
    EXPECT_EQ(0x000000u, At(p, 0.0f, 0.0f));
}

namespace {

// A client's own shaders on the render device: the position passes through untransformed and
// the colour comes from vertex shader constant 4, which the test sets on the Direct3D device.
void ActivateClientShaders(OXED3D* rd)
{
    static UINT vs = NoId, ps = NoId;
    const char vsText[] = "vs_1_1\ndcl_position v0\nmov oPos, v0\nmov oD0, c4\n";
    const char psText[] = "ps_1_1\nmov r0, v0\n";
    if (vs == NoId) {
        ASSERT_EQ(OXE_OK, rd->LoadVertexShader(vsText, sizeof vsText, false, false, &vs));
    }
    if (ps == NoId) {
        ASSERT_EQ(OXE_OK, rd->LoadPixelShader(psText, sizeof psText, false, false, &ps));
    }
    ASSERT_EQ(OXE_OK, rd->ActivateVertexShader(vs, OXE_VERTEX_UNLIT));
    ASSERT_EQ(OXE_OK, rd->ActivatePixelShader(ps));
}

void ShaderColour(IDirect3DDevice9* device, uint32_t rgb)
{
    const float c[4] = {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, 1.0f};
    device->SetVertexShaderConstantF(4, c, 1);
}

} // namespace

TEST_F(VertexCacheTest, ClientShaderDrawsEachFlushedBatchWithItsOwnVertices)
{
    // Quad A flushed, the colour changed, quad B of the same kind and skin flushed: each must
    // show in its own place and colour. With the client's shader the colour is its constant;
    // without shaders it is the ambient light on the skin's white material.
    const UINT skin = SolidSkin(kWhite);
    std::vector<OXEVertexUnlit> a = UnlitQuad(-0.9f, -0.9f, -0.1f, -0.1f);
    std::vector<OXEVertexUnlit> b = UnlitQuad(0.1f, 0.1f, 0.9f, 0.9f);
    for (bool shaders : {true, false}) {
        rd_->m_usingShaders = shaders;
        if (shaders) ActivateClientShaders(rd_);
        begin(0xFF000000);
        rec_->SetRenderState(D3DRS_LIGHTING, TRUE);
        ShaderColour(rec_.get(), 0xFF0000);
        rec_->SetRenderState(D3DRS_AMBIENT, 0xFFFF0000);
        ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_UNLIT, 4, 6, a.data(), kQuadIndices, skin));
        ASSERT_EQ(OXE_OK, vc_->FlushAll());
        ShaderColour(rec_.get(), 0x00FF00);
        rec_->SetRenderState(D3DRS_AMBIENT, 0xFF00FF00);
        ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_UNLIT, 4, 6, b.data(), kQuadIndices, skin));
        ASSERT_EQ(OXE_OK, vc_->FlushAll());
        testsupport::Picture p = end();
        EXPECT_EQ(0xFF0000u, At(p, -0.5f, -0.5f)) << "shaders " << shaders;
        EXPECT_EQ(0x00FF00u, At(p, 0.5f, 0.5f)) << "shaders " << shaders;
        EXPECT_EQ(0x000000u, At(p, -0.5f, 0.5f)) << "shaders " << shaders;
        rec_->SetVertexShader(nullptr);
        rec_->SetPixelShader(nullptr);
        rec_->SetRenderState(D3DRS_LIGHTING, FALSE);
        rec_->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
        rd_->m_usingShaders = false;
        vc_->InvalidateStates();
    }
}

TEST_F(VertexCacheTest, ClientShaderDrawsEveryBatchWhenTheBuffersFillUpWithinAFrame)
{
    // Batches of one cache flushed one after another until its buffers are full, then more:
    // every batch shows in its own colour, also the ones written after the buffers wrapped.
    const UINT skin = SolidSkin(kWhite);
    rd_->m_usingShaders = true;
    ActivateClientShaders(rd_);
    // Filler: triangles of no area off the screen, so that the buffers fill up quickly.
    std::vector<OXEVertexUnlit> filler(1400, OXEVertexUnlit{5.0f, 5.0f, 0.5f, 0, 0, -1, 0, 0});
    const uint32_t colours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
    begin(0xFF000000);
    for (int i = 0; i < 6; ++i) {
        const float x0 = -0.95f + 0.32f * i;
        std::vector<OXEVertexUnlit> q = UnlitQuad(x0, -0.5f, x0 + 0.25f, 0.5f);
        ShaderColour(rec_.get(), colours[i]);
        ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_UNLIT, 4, 6, q.data(), kQuadIndices, skin));
        ASSERT_EQ(OXE_OK, vc_->FlushAll());
        ASSERT_EQ(OXE_OK, vc_->RenderDynamic(OXE_VERTEX_UNLIT, 1400, 0, filler.data(), nullptr, skin));
        ASSERT_EQ(OXE_OK, vc_->FlushAll());
    }
    testsupport::Picture p = end();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(colours[i], At(p, -0.95f + 0.32f * i + 0.125f, 0.0f)) << "batch " << i;
    EXPECT_EQ(0x000000u, At(p, 0.0f, 0.8f));
    rec_->SetVertexShader(nullptr);
    rec_->SetPixelShader(nullptr);
    rd_->m_usingShaders = false;
}
