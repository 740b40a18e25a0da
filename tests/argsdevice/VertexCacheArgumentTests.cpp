// The vertex cache manager the client device hands out, given vertex kinds past the six kinds,
// buffer and skin ids past their lists, counts past a cache or at their type's largest value,
// index data that points past its vertices, and null where data or a colour is required:
// refused with its failure result, no batch disturbed, no buffer left behind, and the frame
// read back shows only what the valid calls drew.
#include "ClientDevice.h"
#include "OXED3DVCManager.h"
#include "VertexCache.h"
#include <climits>
#include <cstring>

using namespace argstest;

namespace {

const D3DCOLORVALUE kWhite = {1, 1, 1, 1};
const D3DCOLORVALUE kBlack = {0, 0, 0, 1};

// A quad of kind-2 vertices in clip space (identity transforms), two triangles.
const OXEVertexLit kQuad[4] = {{-0.5f, -0.5f, 0.5f, 0xFFFFFFFF, 0, 0},
                               {-0.5f, 0.5f, 0.5f, 0xFFFFFFFF, 0, 0},
                               {0.5f, 0.5f, 0.5f, 0xFFFFFFFF, 0, 0},
                               {0.5f, -0.5f, 0.5f, 0xFFFFFFFF, 0, 0}};
const WORD kQuadIndices[6] = {0, 1, 2, 0, 2, 3};

class CacheArgs : public ClientTest {
protected:
    void SetUp() override
    {
        ClientTest::SetUp();
        if (HasFatalFailure()) return;
        skins()->ReleaseAll();
        ASSERT_EQ(skins()->CreateSkin(&kWhite, &kWhite, &kBlack, &kBlack, 0, &skin_), OXE_OK);
        caches()->FlushAll();
        caches()->InvalidateStates();
        manager_ = static_cast<OXED3DVCManager*>(caches());
        // The fixed-function path, so that clip-space vertices land where they say.
        shaders_ = layout()->m_usingShaders;
        layout()->m_usingShaders = false;
        PlainStates();
    }
    void TearDown() override
    {
        if (!caches() || !skins()) return; // the device did not start
        caches()->FlushAll();
        skins()->ReleaseAll();
        layout()->m_usingShaders = shaders_;
        d3d()->SetStreamSource(0, nullptr, 0, 0);
        d3d()->SetIndices(nullptr);
        caches()->InvalidateStates();
    }
    // Clip-space drawing: identity transforms, no culling, no depth, lighting off.
    void PlainStates()
    {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        d3d()->SetTransform(D3DTS_WORLD, &identity);
        d3d()->SetTransform(D3DTS_VIEW, &identity);
        d3d()->SetTransform(D3DTS_PROJECTION, &identity);
        d3d()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d3d()->SetRenderState(D3DRS_ZENABLE, FALSE);
        d3d()->SetRenderState(D3DRS_LIGHTING, FALSE);
        d3d()->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d3d()->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        d3d()->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        d3d()->SetVertexShader(nullptr);
        d3d()->SetPixelShader(nullptr);
        d3d()->SetVertexDeclaration(nullptr);
        for (DWORD s = 0; s < 8; ++s) d3d()->SetTexture(s, nullptr);
    }
    // Vertices batched in every cache, kind by kind and slot by slot.
    std::vector<UINT> Batched() const
    {
        std::vector<UINT> counts;
        for (UINT kind = 0; kind < OXE_VERTEX_KIND_COUNT; ++kind)
            for (UINT slot = 0; slot < 10; ++slot) {
                VertexCache* c = manager_->GetCache(kind, slot);
                counts.push_back(c ? c->GetVertexCount() : 0);
                counts.push_back(c ? c->GetSkinId() : 0);
            }
        return counts;
    }
    UINT StaticQuad()
    {
        UINT id = NoId;
        EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 4, 6, kQuad, kQuadIndices, &id), OXE_OK);
        return id;
    }

    UINT skin_ = NoId;
    OXED3DVCManager* manager_ = nullptr;
    bool shaders_ = false; // the device's shader path before the test
};

} // namespace

TEST_F(CacheArgs, StaticBufferCreationRefusesBadKindsCountsAndData)
{
    const ULONG refs = References(d3d());
    const WORD pastTheEnd[6] = {0, 1, 2, 0, 2, 4}; // index 4 of a four-vertex buffer
    const std::vector<Row> rows = {
        {"kind 6", [&] {
             UINT id = 77;
             EXPECT_EQ(caches()->CreateStaticBuffer(6, skin_, 4, 6, kQuad, kQuadIndices, &id), OXE_INVALIDID);
             EXPECT_EQ(id, 77u);
         }},
        {"kind UINT_MAX", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(UINT_MAX, skin_, 4, 6, kQuad, kQuadIndices, &id), OXE_INVALIDID); }},
        {"null vertices", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 4, 6, nullptr, kQuadIndices, &id), OXE_INVALIDPARAM); }},
        {"null indices with an index count", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 4, 6, kQuad, nullptr, &id), OXE_INVALIDPARAM); }},
        {"null out id", [&] { EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 4, 6, kQuad, kQuadIndices, nullptr), OXE_INVALIDPARAM); }},
        {"an index one past the vertices", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 4, 6, kQuad, pastTheEnd, &id), OXE_INVALIDPARAM); }},
        {"vertex count UINT_MAX", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, UINT_MAX, 0, kQuad, nullptr, &id), OXE_INVALIDPARAM); }},
        {"vertex count INT_MAX", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_POSITION, skin_, UINT(INT_MAX), 0, kQuad, nullptr, &id), OXE_INVALIDPARAM); }},
        {"vertex count 0x80000000 (bytes wrap to 0)", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 0x80000000u, 0, kQuad, nullptr, &id), OXE_INVALIDPARAM); }},
        {"index count UINT_MAX", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 4, UINT_MAX, kQuad, kQuadIndices, &id), OXE_INVALIDPARAM); }},
        {"index count 0x80000001 (bytes wrap to 2)", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 4, 0x80000001u, kQuad, kQuadIndices, &id), OXE_INVALIDPARAM); }},
        {"index count INT_MAX (no buffer of 4 GB is made)", [&] { UINT id; EXPECT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 4, UINT(INT_MAX), kQuad, kQuadIndices, &id), OXE_CREATEBUFFER); }},
        {"separate index buffer: count 0", [&] { UINT id; EXPECT_EQ(caches()->CreateIndexBuffer(0, kQuadIndices, &id), OXE_CREATEBUFFER); }},
        {"separate index buffer: null indices", [&] { UINT id; EXPECT_EQ(caches()->CreateIndexBuffer(6, nullptr, &id), OXE_INVALIDPARAM); }},
        {"separate index buffer: null out id", [&] { EXPECT_EQ(caches()->CreateIndexBuffer(6, kQuadIndices, nullptr), OXE_INVALIDPARAM); }},
        {"separate index buffer: count UINT_MAX", [&] { UINT id; EXPECT_EQ(caches()->CreateIndexBuffer(UINT_MAX, kQuadIndices, &id), OXE_INVALIDPARAM); }},
        {"separate index buffer: count 0x80000001", [&] { UINT id; EXPECT_EQ(caches()->CreateIndexBuffer(0x80000001u, kQuadIndices, &id), OXE_INVALIDPARAM); }},
        {"separate index buffer: count INT_MAX (no buffer of 4 GB is made)", [&] { UINT id; EXPECT_EQ(caches()->CreateIndexBuffer(UINT(INT_MAX), kQuadIndices, &id), OXE_CREATEBUFFER); }},
    };
    RunRows(rows);
    EXPECT_EQ(References(d3d()), refs); // no buffer was made for any of them
    // The ids handed out next are still the first ones.
    UINT id = 77;
    EXPECT_EQ(caches()->CreateIndexBuffer(6, kQuadIndices, &id), OXE_OK);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(StaticQuad(), 0u);
}

TEST_F(CacheArgs, StaticDrawsRefuseIdsAndRangesPastTheirBuffers)
{
    const UINT quad = StaticQuad();
    UINT plain = NoId;
    ASSERT_EQ(caches()->CreateStaticBuffer(OXE_VERTEX_LIT, skin_, 3, 0, kQuad, nullptr, &plain), OXE_OK);
    UINT indices = NoId;
    ASSERT_EQ(caches()->CreateIndexBuffer(6, kQuadIndices, &indices), OXE_OK);
    const WORD farIndices[3] = {0, 1, 3}; // index 3 is past the plain buffer's three vertices
    UINT farBuffer = NoId;
    ASSERT_EQ(caches()->CreateIndexBuffer(3, farIndices, &farBuffer), OXE_OK);
    const UINT count = plain + 1;

    testsupport::Picture p = Frame([&] {
        const std::vector<Row> rows = {
            {"RenderStaticBuffer(count)", [&] { EXPECT_EQ(caches()->RenderStaticBuffer(count), OXE_INVALIDPARAM); }},
            {"RenderStaticBuffer(NoId)", [&] { EXPECT_EQ(caches()->RenderStaticBuffer(NoId), OXE_INVALIDPARAM); }},
            {"RenderStaticBuffer(UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderStaticBuffer(UINT_MAX), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferWithIndices(count, 0, skin)", [&] { EXPECT_EQ(caches()->RenderStaticBufferWithIndices(count, indices, skin_), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferWithIndices(0, index buffer count, skin)", [&] { EXPECT_EQ(caches()->RenderStaticBufferWithIndices(quad, farBuffer + 1, skin_), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferWithIndices(0, UINT_MAX, skin)", [&] { EXPECT_EQ(caches()->RenderStaticBufferWithIndices(quad, UINT_MAX, skin_), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferWithIndices(0, 0, skin count)", [&] { EXPECT_EQ(caches()->RenderStaticBufferWithIndices(quad, indices, skin_ + 1), OXE_INVALIDID); }},
            {"RenderStaticBufferWithIndices(0, 0, UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderStaticBufferWithIndices(quad, indices, UINT_MAX), OXE_INVALIDID); }},
            {"RenderStaticBufferWithIndices(plain, indices past its vertices, skin)", [&] { EXPECT_EQ(caches()->RenderStaticBufferWithIndices(plain, farBuffer, skin_), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(count, ...)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(count, skin_, 0, 4, 2), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(UINT_MAX, ...)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(UINT_MAX, skin_, 0, 4, 2), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(skin NoId)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, NoId, 0, 4, 2), OXE_INVALIDID); }},
            {"RenderStaticBufferRange(first index UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, skin_, UINT_MAX, 4, 2), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(first index 1: one past the last triangle)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, skin_, 1, 4, 2), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(vertex count 5)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, skin_, 0, 5, 2), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(vertex count UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, skin_, 0, UINT_MAX, 2), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(primitive count 3)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, skin_, 0, 4, 3), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(primitive count UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, skin_, 0, 4, UINT_MAX), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(first index + primitives wrapping around)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, skin_, 0xFFFFFFFDu, 4, 1), OXE_INVALIDPARAM); }},
            {"RenderStaticBufferRange(a buffer without indices)", [&] { EXPECT_EQ(caches()->RenderStaticBufferRange(plain, skin_, 0, 3, 1), OXE_FAIL); }},
        };
        RunRows(rows);
    });
    EXPECT_EQ(Lit(p), 0) << "a refused draw reached the screen";
    // The same buffers with their right arguments draw.
    EXPECT_GT(Lit(Frame([&] { EXPECT_EQ(caches()->RenderStaticBufferRange(quad, skin_, 0, 4, 2), D3D_OK); })), 0);
    EXPECT_GT(Lit(Frame([&] { EXPECT_EQ(caches()->RenderStaticBufferWithIndices(quad, indices, skin_), D3D_OK); })), 0);
}

TEST_F(CacheArgs, DynamicBatchesRefuseBadInputWithoutDisturbingAnyCache)
{
    // Ten skins fill the ten kind-2 caches, so an eleventh would have to take one over.
    std::vector<UINT> others;
    for (int i = 0; i < 9; ++i) {
        const D3DCOLORVALUE c = {0.1f * float(i), 0, 0, 1};
        UINT s = NoId;
        ASSERT_EQ(skins()->CreateSkin(&c, &c, &kBlack, &kBlack, 0, &s), OXE_OK);
        others.push_back(s);
    }
    UINT eleventh = NoId;
    ASSERT_EQ(skins()->CreateSkin(&kBlack, &kBlack, &kBlack, &kBlack, 5, &eleventh), OXE_OK);

    const WORD pastTheEnd[6] = {0, 1, 2, 0, 2, 4};
    std::vector<OXEVertexLit> many(3001, kQuad[0]);
    std::vector<WORD> manyIndices(4501, 0);
    testsupport::Picture p = Frame([&] {
        ASSERT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 6, kQuad, kQuadIndices, skin_), OXE_OK);
        for (UINT s : others) ASSERT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 6, kQuad, kQuadIndices, s), OXE_OK);
        const std::vector<UINT> before = Batched();
        const ULONG refs = References(d3d());
        const std::vector<Row> rows = {
            {"kind 6", [&] { EXPECT_EQ(caches()->RenderDynamic(6, 4, 6, kQuad, kQuadIndices, skin_), OXE_INVALIDID); }},
            {"kind UINT_MAX", [&] { EXPECT_EQ(caches()->RenderDynamic(UINT_MAX, 4, 6, kQuad, kQuadIndices, skin_), OXE_INVALIDID); }},
            {"skin count", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 6, kQuad, kQuadIndices, eleventh + 1), OXE_INVALIDID); }},
            {"skin NoId", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 6, kQuad, kQuadIndices, NoId), OXE_INVALIDID); }},
            {"skin UINT_MAX", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 6, kQuad, kQuadIndices, UINT_MAX), OXE_INVALIDID); }},
            {"new skin, 3001 vertices", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 3001, 0, many.data(), nullptr, eleventh), OXE_BUFFERSIZE); }},
            {"new skin, vertex count UINT_MAX", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, UINT_MAX, 6, kQuad, kQuadIndices, eleventh), OXE_BUFFERSIZE); }},
            {"new skin, 4501 indices", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 4501, kQuad, manyIndices.data(), eleventh), OXE_BUFFERSIZE); }},
            {"new skin, index count UINT_MAX", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, UINT_MAX, kQuad, kQuadIndices, eleventh), OXE_BUFFERSIZE); }},
            {"new skin, null vertices", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 6, nullptr, kQuadIndices, eleventh), OXE_INVALIDPARAM); }},
            {"new skin, an index one past the vertices", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 6, kQuad, pastTheEnd, eleventh), OXE_INVALIDPARAM); }},
            {"batched skin, 3001 vertices", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 3001, 0, many.data(), nullptr, skin_), OXE_BUFFERSIZE); }},
            {"batched skin, an index one past the vertices", [&] { EXPECT_EQ(caches()->RenderDynamic(OXE_VERTEX_LIT, 4, 6, kQuad, pastTheEnd, skin_), OXE_INVALIDPARAM); }},
            {"FlushVertexKind(6)", [&] { EXPECT_EQ(caches()->FlushVertexKind(6), OXE_INVALIDID); }},
            {"FlushVertexKind(UINT_MAX)", [&] { EXPECT_EQ(caches()->FlushVertexKind(UINT_MAX), OXE_INVALIDID); }},
        };
        RunRows(rows);
        EXPECT_EQ(Batched(), before) << "a refused call changed a cache";
        EXPECT_EQ(References(d3d()), refs);
    });
    // Everything batched before the refused calls is still drawn by the flush.
    EXPECT_GT(Lit(p), 0);
}

TEST_F(CacheArgs, ImmediateDrawsRefuseKindsCountsAndMissingData)
{
    const OXEVertexPosition points[3] = {{-0.5f, -0.5f, 0.5f}, {0, 0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}};
    const float a[3] = {-1, 0, 0.5f}, b[3] = {1, 0, 0.5f};
    const ULONG refs = References(d3d());
    testsupport::Picture p = Frame([&] {
        const std::vector<Row> rows = {
            {"RenderPoints(kind 6)", [&] { EXPECT_EQ(caches()->RenderPoints(6, 3, points, &kWhite), OXE_INVALIDID); }},
            {"RenderPoints(kind UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderPoints(UINT_MAX, 3, points, &kWhite), OXE_INVALIDID); }},
            {"RenderPoints(null vertices)", [&] { EXPECT_EQ(caches()->RenderPoints(0, 3, nullptr, &kWhite), OXE_INVALIDPARAM); }},
            {"RenderPoints(count UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderPoints(0, UINT_MAX, points, &kWhite), OXE_INVALIDPARAM); }},
            {"RenderPoints(count INT_MAX)", [&] { EXPECT_EQ(caches()->RenderPoints(0, UINT(INT_MAX), points, &kWhite), OXE_INVALIDPARAM); }},
            {"RenderLines(kind 6)", [&] { EXPECT_EQ(caches()->RenderLines(6, 2, points, &kWhite, false), OXE_INVALIDID); }},
            {"RenderLines(kind UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderLines(UINT_MAX, 2, points, nullptr, true), OXE_INVALIDID); }},
            {"RenderLines(null vertices)", [&] { EXPECT_EQ(caches()->RenderLines(0, 2, nullptr, &kWhite, false), OXE_INVALIDPARAM); }},
            {"RenderLines(count UINT_MAX, list)", [&] { EXPECT_EQ(caches()->RenderLines(0, UINT_MAX, points, &kWhite, false), OXE_INVALIDPARAM); }},
            {"RenderLines(count UINT_MAX, strip)", [&] { EXPECT_EQ(caches()->RenderLines(0, UINT_MAX, points, &kWhite, true), OXE_INVALIDPARAM); }},
            {"RenderLines(count INT_MAX, strip)", [&] { EXPECT_EQ(caches()->RenderLines(0, UINT(INT_MAX), points, &kWhite, true), OXE_INVALIDPARAM); }},
            {"RenderLine(null start)", [&] { EXPECT_EQ(caches()->RenderLine(nullptr, b, &kWhite), OXE_INVALIDPARAM); }},
            {"RenderLine(null end)", [&] { EXPECT_EQ(caches()->RenderLine(a, nullptr, &kWhite), OXE_INVALIDPARAM); }},
            {"RenderPositionTriangles(null vertices)", [&] { EXPECT_EQ(caches()->RenderPositionTriangles(3, nullptr, false), OXE_INVALIDPARAM); }},
            {"RenderPositionTriangles(count UINT_MAX)", [&] { EXPECT_EQ(caches()->RenderPositionTriangles(UINT_MAX, points, false), OXE_INVALIDPARAM); }},
            {"RenderPositionTriangles(count INT_MAX)", [&] { EXPECT_EQ(caches()->RenderPositionTriangles(UINT(INT_MAX), points, true), OXE_INVALIDPARAM); }},
        };
        RunRows(rows);
    });
    EXPECT_EQ(Lit(p), 0) << "a refused draw reached the screen";
    EXPECT_EQ(References(d3d()), refs);
    // The same triangle with its right count draws.
    PlainStates();
    EXPECT_GT(Lit(Frame([&] { EXPECT_EQ(caches()->RenderPositionTriangles(3, points, false), D3D_OK); })), 0);
}
