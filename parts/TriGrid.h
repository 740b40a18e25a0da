// TriGrid: a flat grid of triangles in the x-z plane, drawn through the effect "transform.fx"
// (technique "TransformTech", matrix parameter "gWVP", position-only vertices).
// Use: construct, buildGeoBuffers, buildFX, then Render every frame.
#pragma once
#include <d3dx9.h>
#include <vector>
#include "PelmoraPartsApi.h"
#include "CWorldTransform.h"

class PELMORA_PARTS_API TriGrid {
public:
    TriGrid();
    ~TriGrid();
    TriGrid(const TriGrid&) = delete; // would release the same buffers twice
    TriGrid& operator=(const TriGrid&) = delete;

    // Vertices row by row from the back (+z) and left to right, centred on center; two
    // triangles per cell, as 32-bit indices. Fewer than one row or column, lists whose bytes
    // would not fit a 32-bit buffer size, or lists that cannot be allocated: both outputs are
    // left empty.
    void GenTriGrid(int numVertRows, int numVertCols, float dx, float dz, const D3DXVECTOR3& center,
                    std::vector<D3DXVECTOR3>& verts, std::vector<DWORD>& indices);
    // A grid of unit cells about the origin in managed vertex and index buffers (16-bit
    // indices, so at most 65536 vertices). A single row or column has vertices and no
    // triangles, and draws nothing. The grid built before is let go first: a grid that cannot
    // be built (no device, no rows or columns, more than 65536 vertices) leaves none.
    void buildGeoBuffers(IDirect3DDevice9* device, DWORD numVertRows, DWORD numVertCols);
    void buildFX(IDirect3DDevice9* device);
    // Draws with view x proj (the grid's own transform is not applied).
    void Render(IDirect3DDevice9* device, D3DXMATRIX view, D3DXMATRIX proj);

    CWorldTransform transform;                      // the grid's transform (kept, not drawn)
    DWORD numVertices = 0;                          // vertices in vertexBuffer
    DWORD numTriangles = 0;                         // triangles in indexBuffer
    IDirect3DVertexBuffer9* vertexBuffer = nullptr; // positions, 12 bytes each (owned)
    IDirect3DIndexBuffer9* indexBuffer = nullptr;   // 16-bit indices (owned)
    ID3DXEffect* effect = nullptr;                  // "transform.fx" (owned)
    D3DXHANDLE technique = nullptr;                 // "TransformTech"
    D3DXHANDLE hWVP = nullptr;                      // "gWVP"
};
