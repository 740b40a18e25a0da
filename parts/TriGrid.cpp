#include "TriGrid.h"
#include <algorithm>
#include "EffectFileCheck.h"
#include <windows.h>
#include <cstring>
#include <string>
#include "OXED3D.h"

#include <new>

namespace {
// 16-bit indices reach vertex 65535 at most: the most vertices the grid's buffers take.
const DWORD kMaxBufferVertices = 65536;
// The most bytes a list may take: what a 32-bit Direct3D buffer size can hold.
const unsigned long long kMaxListBytes = 0xFFFFFFFFull;
}

TriGrid::TriGrid() { transform.Reset(); }

TriGrid::~TriGrid()
{
    if (vertexBuffer) vertexBuffer->Release();
    if (indexBuffer) indexBuffer->Release();
    if (effect) effect->Release();
    transform.Reset();
}

void TriGrid::GenTriGrid(int numVertRows, int numVertCols, float dx, float dz, const D3DXVECTOR3& center,
                         std::vector<D3DXVECTOR3>& verts, std::vector<DWORD>& indices)
{
    verts.clear();
    indices.clear();
    // Lists too large for any buffer are refused whole rather than built in part or left to
    // exhaust the memory; so are lists the memory cannot hold.
    if (numVertRows < 1 || numVertCols < 1) return;
    const unsigned long long vertexCount = (unsigned long long)numVertRows * (unsigned long long)numVertCols;
    const unsigned long long indexCount =
        (unsigned long long)(numVertRows - 1) * (unsigned long long)(numVertCols - 1) * 6;
    if (vertexCount * sizeof(D3DXVECTOR3) > kMaxListBytes || indexCount * sizeof(DWORD) > kMaxListBytes)
        return;
    const int cellRows = numVertRows - 1, cellCols = numVertCols - 1;
    const float width = float(cellCols) * dx, depth = float(cellRows) * dz;
    try {
        verts.resize(size_t(vertexCount));
        indices.resize(size_t(indexCount));
    } catch (const std::bad_alloc&) {
        std::vector<D3DXVECTOR3>().swap(verts);
        std::vector<DWORD>().swap(indices);
        return;
    }
    for (int i = 0; i < numVertRows; ++i)
        for (int j = 0; j < numVertCols; ++j)
            verts[size_t(i) * numVertCols + j] =
                D3DXVECTOR3(float(j) * dx - width * 0.5f, 0.0f, depth * 0.5f - float(i) * dz) + center;
    DWORD* out = indices.data();
    for (int i = 0; i < cellRows; ++i)
        for (int j = 0; j < cellCols; ++j) {
            const DWORD k = DWORD(i) * DWORD(numVertCols) + DWORD(j), below = k + DWORD(numVertCols);
            const DWORD six[6] = {k, k + 1, below, below, k + 1, below + 1};
            for (int n = 0; n < 6; ++n) *out++ = six[n];
        }
}

void TriGrid::buildGeoBuffers(IDirect3DDevice9* device, DWORD numVertRows, DWORD numVertCols)
{
    // The grid built before goes first: whatever happens below, it is not drawn again.
    if (vertexBuffer) vertexBuffer->Release();
    if (indexBuffer) indexBuffer->Release();
    vertexBuffer = nullptr;
    indexBuffer = nullptr;
    numVertices = 0;
    numTriangles = 0;
    // A grid past the reach of 16-bit indices would draw wrong triangles: refuse it whole.
    // The product is taken in 64 bits: 65536 x 65536 must not wrap round to 0 and pass.
    if (!device || numVertRows < 1 || numVertCols < 1 ||
        (unsigned long long)numVertRows * (unsigned long long)numVertCols > kMaxBufferVertices)
        return;
    std::vector<D3DXVECTOR3> verts;
    std::vector<DWORD> indices;
    GenTriGrid(int(numVertRows), int(numVertCols), 1.0f, 1.0f, D3DXVECTOR3(0, 0, 0), verts, indices);
    if (verts.empty()) return; // the memory could not hold the lists
    numVertices = numVertRows * numVertCols;
    numTriangles = (numVertRows - 1) * (numVertCols - 1) * 2;

    device->CreateVertexBuffer(numVertices * sizeof(D3DXVECTOR3), D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED,
                               &vertexBuffer, nullptr);
    void* data = nullptr;
    if (vertexBuffer && SUCCEEDED(vertexBuffer->Lock(0, 0, &data, 0))) {
        std::memcpy(data, verts.data(), verts.size() * sizeof(D3DXVECTOR3));
        vertexBuffer->Unlock();
    }

    // Sized as for 32-bit indices (12 bytes a triangle); the 16-bit indices fill its first half.
    // A single row or column has no triangles: no buffer of no bytes is made, nothing is drawn.
    if (numTriangles == 0) return;
    device->CreateIndexBuffer(numTriangles * 12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                              D3DPOOL_MANAGED, &indexBuffer, nullptr);
    if (indexBuffer && SUCCEEDED(indexBuffer->Lock(0, 0, &data, 0))) {
        WORD* out = static_cast<WORD*>(data);
        for (size_t i = 0; i < indices.size(); ++i) out[i] = WORD(indices[i]);
        indexBuffer->Unlock();
    }
}

void TriGrid::buildFX(IDirect3DDevice9* device)
{
    if (!device) return;
    if (effect) effect->Release();
    effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    // A damaged compiled effect would crash D3DX: such a file leaves the grid without one.
    if (IsSoundEffectFile("transform.fx"))
        D3DXCreateEffectFromFileA(device, "transform.fx", nullptr, nullptr, D3DXSHADER_DEBUG, nullptr, &effect, &errors);
    if (errors) {
        std::string text((const char*)errors->GetBufferPointer(), errors->GetBufferSize());
        MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK);
        errors->Release();
    }
    technique = effect ? effect->GetTechniqueByName("TransformTech") : nullptr;
    hWVP = effect ? effect->GetParameterByName(nullptr, "gWVP") : nullptr;
}

void TriGrid::Render(IDirect3DDevice9* device, D3DXMATRIX view, D3DXMATRIX proj)
{
    // Both the buffers and the effect are needed.
    if (!device || !effect || !vertexBuffer || !indexBuffer) return;
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(D3DXVECTOR3));
    device->SetIndices(indexBuffer);
    device->SetVertexDeclaration(g_pOXEPositionDecl);
    effect->SetTechnique(technique);
    D3DXMATRIX wvp = view * proj;
    effect->SetMatrix(hWVP, &wvp);
    // numVertices and numTriangles are public: the draw asks for no more than the buffers hold.
    D3DVERTEXBUFFER_DESC vertexDesc = {};
    D3DINDEXBUFFER_DESC indexDesc = {};
    if (FAILED(vertexBuffer->GetDesc(&vertexDesc)) || FAILED(indexBuffer->GetDesc(&indexDesc))) return;
    const UINT vertices = std::min<UINT>(numVertices, vertexDesc.Size / sizeof(D3DXVECTOR3));
    const UINT triangles = std::min<UINT>(numTriangles, indexDesc.Size / (indexDesc.Format == D3DFMT_INDEX32 ? 12 : 6));
    UINT passes = 0;
    effect->Begin(&passes, 0);
    for (UINT p = 0; p < passes; ++p) {
        effect->BeginPass(p);
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertices, 0, triangles);
        effect->EndPass();
    }
    effect->End();
}
