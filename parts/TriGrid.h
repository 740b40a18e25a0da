/// \file
/// TriGrid: a flat grid of triangles in the x-z plane, drawn through the effect "transform.fx".
#pragma once
#include <d3dx9.h>
#include <vector>
#include "PelmoraPartsApi.h"
#include "CWorldTransform.h"

/// A flat grid of triangles in the x-z plane, drawn through the effect "transform.fx"
/// (technique "TransformTech", matrix parameter "gWVP", position-only vertices).
///
/// Use: construct, buildGeoBuffers, buildFX, then Render every frame; destroy it before the
/// device is released. It owns its two buffers (managed pool) and the effect. Note: D3DX asks
/// effect users to call effect->OnLostDevice() before a device reset and effect->OnResetDevice()
/// after; this class leaves that to the caller. Note: it draws with PelmoraParts' library-wide
/// position declaration, made only by CreateVertexDeclarations of a render device that
/// PelmoraParts.dll's factory made: draw it on such a device.
class PELMORA_PARTS_API TriGrid {
public:
    /// Identity transform, no buffers, no effect.
    TriGrid();
    /// Releases both buffers and the effect, resets the transform.
    ~TriGrid();
    TriGrid(const TriGrid&) = delete;            ///< not copied: it would release the same buffers twice
    TriGrid& operator=(const TriGrid&) = delete; ///< not assigned: it would release the same buffers twice

    /// Fills verts and indices (both emptied first) with a grid of numVertRows x numVertCols
    /// vertices, dx and dz apart, centred on center: vertices row by row from the back (+z) and
    /// left to right, two triangles per cell, as 32-bit indices (also past 65536 vertices).
    /// Fewer than one row or column, lists whose bytes would not fit a 32-bit buffer size, or
    /// lists the memory cannot hold: both outputs are left empty. Touches no device.
    void GenTriGrid(int numVertRows, int numVertCols, float dx, float dz, const D3DXVECTOR3& center,
                    std::vector<D3DXVECTOR3>& verts, std::vector<DWORD>& indices);
    /// Builds a grid of unit cells about the origin into managed vertex and index buffers
    /// (12-byte positions, 16-bit indices), replacing the grid built before. Nothing is reported.
    ///
    /// Note: the grid built before is let go first, so a grid that cannot be built (no device,
    /// no rows or columns, more than 65536 vertices) leaves none and nothing is drawn. A single
    /// row or column has vertices and no triangles (no index buffer) and draws nothing.
    void buildGeoBuffers(IDirect3DDevice9* device, DWORD numVertRows, DWORD numVertCols);
    /// Loads "transform.fx" from the working folder with D3DX (replacing the effect made before)
    /// and looks up "TransformTech" and "gWVP". A missing or damaged file leaves the grid without
    /// an effect: it then draws nothing.
    ///
    /// Note: a file D3DX refuses with error text (an effect source, which Wine's D3DX cannot
    /// compile) shows that text in a message box (no owner, no caption, OK) that waits for a click.
    void buildFX(IDirect3DDevice9* device);
    /// Draws the grid through the effect with gWVP = view x proj (the grid's own transform is not
    /// applied), every pass of the technique: numVertices vertices and numTriangles triangles,
    /// never more than the two buffers hold. Nothing without the buffers and the effect.
    ///
    /// Leaves set: z test and z writes on, stream 0, the indices and the vertex declaration
    /// (what the effect sets itself it restores at its End).
    /// Note: it binds stream 0 and the indices without telling the render device's vertex cache
    /// manager: a static buffer drawn after it needs the manager's InvalidateStates first.
    void Render(IDirect3DDevice9* device, D3DXMATRIX view, D3DXMATRIX proj);

    CWorldTransform transform;                      ///< the grid's transform (kept, not drawn)
    DWORD numVertices = 0;                          ///< vertices in vertexBuffer
    DWORD numTriangles = 0;                         ///< triangles in indexBuffer
    IDirect3DVertexBuffer9* vertexBuffer = nullptr; ///< positions, 12 bytes each (owned)
    IDirect3DIndexBuffer9* indexBuffer = nullptr;   ///< 16-bit indices (owned)
    ID3DXEffect* effect = nullptr;                  ///< "transform.fx" (owned)
    D3DXHANDLE technique = nullptr;                 ///< "TransformTech"
    D3DXHANDLE hWVP = nullptr;                      ///< "gWVP"
};
