// The triangle grid: its vertices and indices, its buffers, and its wireframe drawn through
// "transform.fx" on a render device made by PelmoraParts (whose position-only declaration the
// grid uses), read back from the back buffer.
#include <gtest/gtest.h>
#include "TriGrid.h"
#include "OXERenderDevice.h"
#include "OXEResult.h"
#include "PSystemTestSupport.h"
#include "RecordingDevice.h"

using namespace testsupport;
using namespace psystemtest;

namespace {

typedef HRESULT (*CreateFn)(HINSTANCE, OXERenderDevice**);

OXERenderDevice* PartsDevice()
{
    static OXERenderDevice* device = [] {
        static TestWindow window(640, 480, "TriGridTest");
        OXERenderDevice* d = nullptr;
        HMODULE parts = GetModuleHandleA("PelmoraParts.dll");
        CreateFn create = parts ? (CreateFn)GetProcAddress(parts, "CreateRenderDevice") : nullptr;
        if (!create || create(parts, &d) != OXE_OK || !d) return (OXERenderDevice*)nullptr;
        if (d->Init(window.handle(), 16, 8, false, false) != OXE_OK) return (OXERenderDevice*)nullptr;
        d->CreateVertexDeclarations();
        return d;
    }();
    return device;
}

void CameraMatrices(D3DXMATRIX& view, D3DXMATRIX& proj)
{
    D3DXVECTOR3 eye(0, 8, -8), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, 4.0f / 3.0f, 0.5f, 100.0f);
}

int DrawGrid(TriGrid& grid, IDirect3DDevice9* d)
{
    D3DXMATRIX view, proj;
    CameraMatrices(view, proj);
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d->BeginScene();
    grid.Render(d, view, proj);
    d->EndScene();
    Picture p;
    ReadBackBuffer(d, p);
    d->Present(nullptr, nullptr, nullptr, nullptr);
    return CountNot(p, 0);
}

} // namespace

TEST(TriGrid, GeneratesRowsFromTheBackAndTwoTrianglesPerCell)
{
    TriGrid g;
    std::vector<D3DXVECTOR3> v;
    std::vector<DWORD> x;
    g.GenTriGrid(3, 3, 1, 1, D3DXVECTOR3(0, 0, 0), v, x);
    ASSERT_EQ(v.size(), 9u);
    EXPECT_EQ(v.front(), D3DXVECTOR3(-1, 0, 1));
    EXPECT_EQ(v.back(), D3DXVECTOR3(1, 0, -1));
    EXPECT_EQ(v[4], D3DXVECTOR3(0, 0, 0));
    ASSERT_EQ(x.size(), 24u);
    const DWORD first[6] = {0, 1, 3, 3, 1, 4};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(x[i], first[i]);
    EXPECT_EQ(x[23], 8u);
    // Uneven spacing and a centre: rows along z, columns along x, moved by the centre.
    g.GenTriGrid(2, 4, 2.0f, 0.5f, D3DXVECTOR3(10, 1, -5), v, x);
    ASSERT_EQ(v.size(), 8u);
    EXPECT_EQ(v[0], D3DXVECTOR3(10 - 3, 1, -5 + 0.25f));
    EXPECT_EQ(v[7], D3DXVECTOR3(10 + 3, 1, -5 - 0.25f));
    EXPECT_EQ(x.size(), 18u);
}

TEST(TriGrid, BuffersHoldThePositionsAnd16BitIndicesAndOversizedGridsAreRefused)
{
    OXERenderDevice* rd = PartsDevice();
    ASSERT_NE(rd, nullptr);
    IDirect3DDevice9* d = rd->GetD3DDevice();
    TriGrid g;
    EXPECT_EQ(g.numVertices, 0u);
    EXPECT_EQ(g.vertexBuffer, nullptr);
    g.buildGeoBuffers(d, 3, 4);
    EXPECT_EQ(g.numVertices, 12u);
    EXPECT_EQ(g.numTriangles, 12u);
    ASSERT_NE(g.vertexBuffer, nullptr);
    ASSERT_NE(g.indexBuffer, nullptr);
    D3DINDEXBUFFER_DESC id = {};
    g.indexBuffer->GetDesc(&id);
    EXPECT_EQ(id.Format, D3DFMT_INDEX16);
    EXPECT_EQ(id.Size, 12u * 12u);
    void* data = nullptr;
    ASSERT_EQ(g.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const D3DXVECTOR3* v = static_cast<const D3DXVECTOR3*>(data);
    EXPECT_EQ(v[0], D3DXVECTOR3(-1.5f, 0, 1));
    EXPECT_EQ(v[11], D3DXVECTOR3(1.5f, 0, -1));
    g.vertexBuffer->Unlock();
    ASSERT_EQ(g.indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const WORD* x = static_cast<const WORD*>(data);
    EXPECT_EQ(x[0], 0);
    EXPECT_EQ(x[2], 4);
    EXPECT_EQ(x[35], 11);
    g.indexBuffer->Unlock();

    TriGrid big;
    big.buildGeoBuffers(d, 257, 256); // 65792 vertices: past 16-bit indices
    EXPECT_EQ(big.vertexBuffer, nullptr);
    EXPECT_EQ(big.numVertices, 0u);
    TriGrid edge;
    edge.buildGeoBuffers(d, 256, 256); // 65536 vertices: the last index is 65535
    EXPECT_NE(edge.vertexBuffer, nullptr);
}

TEST(TriGrid, RendersAWireframeThroughTransformFxOnceBuilt)
{
    OXERenderDevice* rd = PartsDevice();
    ASSERT_NE(rd, nullptr);
    IDirect3DDevice9* d = rd->GetD3DDevice();
    // The grid opens "transform.fx" from the working folder.
    ASSERT_TRUE(CopyFileA(EffectPath("transform.fx").c_str(), "transform.fx", FALSE));
    TriGrid g;
    g.buildGeoBuffers(d, 11, 11);
    EXPECT_EQ(DrawGrid(g, d), 0) << "no effect yet: nothing drawn";
    g.buildFX(d);
    ASSERT_NE(g.effect, nullptr);
    EXPECT_NE(g.technique, nullptr);
    EXPECT_NE(g.hWVP, nullptr);
    int lit = DrawGrid(g, d);
    EXPECT_GT(lit, 500) << "grid lines drawn";
    EXPECT_LT(lit, 640 * 480 / 3) << "a wireframe, not filled";
    // Rebuilt as a single row (vertices, no triangles) or past 65536 vertices (refused), the
    // grid draws nothing: the one built before is gone.
    g.buildGeoBuffers(d, 1, 5);
    EXPECT_EQ(g.numVertices, 5u);
    EXPECT_EQ(g.numTriangles, 0u);
    EXPECT_EQ(DrawGrid(g, d), 0) << "1 x 5";
    g.buildGeoBuffers(d, 11, 11);
    EXPECT_EQ(DrawGrid(g, d), lit);
    g.buildGeoBuffers(d, 257, 256);
    EXPECT_EQ(DrawGrid(g, d), 0) << "257 x 256";
    // A grid with twice the cells per side draws more lines.
    TriGrid fine;
    fine.buildGeoBuffers(d, 21, 21);
    fine.buildFX(d);
    EXPECT_GT(DrawGrid(fine, d), lit);
}

// numVertices and numTriangles are public fields: set past the buffers, the draw asks for no
// more vertices and triangles than the buffers hold (16-bit indices, 6 bytes a triangle).
TEST(TriGrid, CountsSetPastTheBuffersDrawNoMoreThanTheyHold)
{
    OXERenderDevice* rd = PartsDevice();
    ASSERT_NE(rd, nullptr);
    IDirect3DDevice9* d = rd->GetD3DDevice();
    ASSERT_TRUE(CopyFileA(EffectPath("transform.fx").c_str(), "transform.fx", FALSE));
    TriGrid g;
    g.buildGeoBuffers(d, 3, 3);
    g.buildFX(d);
    ASSERT_NE(g.effect, nullptr);
    D3DVERTEXBUFFER_DESC vd = {};
    D3DINDEXBUFFER_DESC id = {};
    g.vertexBuffer->GetDesc(&vd);
    g.indexBuffer->GetDesc(&id);
    const UINT vertexRoom = vd.Size / 12, triangleRoom = id.Size / 6;
    D3DXMATRIX view, proj;
    CameraMatrices(view, proj);
    auto drawn = [&](DWORD vertices, DWORD triangles) {
        g.numVertices = vertices;
        g.numTriangles = triangles;
        RecordingDevice recording(d);
        d->BeginScene();
        g.Render(recording.device(), view, proj);
        d->EndScene();
        d->Present(nullptr, nullptr, nullptr, nullptr);
        return recording.named("DrawIndexedPrimitive");
    };
    std::vector<RecordedCall> calls = drawn(9, 8);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].arg(3), 9u) << "the grid's own counts are drawn as they are";
    EXPECT_EQ(calls[0].arg(5), 8u);
    calls = drawn(1000000, 1000000);
    ASSERT_FALSE(calls.empty());
    for (const RecordedCall& c : calls) {
        EXPECT_LE(c.arg(3), vertexRoom);
        EXPECT_LE(c.arg(5), triangleRoom);
    }
}
