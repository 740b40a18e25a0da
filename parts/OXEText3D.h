/// \file
/// OXEText3D: a 3D text mesh made from a Windows font.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

/// A 3D text mesh made from a Windows font (D3DXCreateText), drawn in a fixed blue material.
///
/// Use: construct, CreatD3DXTextMesh, place it through transform, Render each frame; destroy it
/// before the device is released. It owns the mesh. Note: the blue material shows only with
/// lighting set; with lighting false (the default) the text is drawn white.
class PELMORA_PARTS_API OXEText3D {
public:
    /// No mesh, lighting off, identity transform.
    OXEText3D();
    /// Releases the mesh, resets the transform.
    ~OXEText3D();
    OXEText3D(const OXEText3D&) = delete;            ///< not copied: it owns its mesh
    OXEText3D& operator=(const OXEText3D&) = delete; ///< not assigned: it owns its mesh

    /// Builds the mesh of the text in that face and size (pointSize in points, converted with the
    /// screen's pixels per inch; bold and italic 0 or not), extruded by 0.4 units.
    /// Returns the D3DX result (0 on success), also for a null device (D3DX's own refusal);
    /// OXE_INVALIDPARAM for a size that does not fit an int; OXE_FAIL when the device context or
    /// font cannot be made. A null fontFace is any face the font machinery picks.
    /// The mesh is replaced only on success.
    long CreatD3DXTextMesh(IDirect3DDevice9* device, char* fontFace, advString text, DWORD pointSize, int bold,
                           int italic);
    /// Draws the text at its transform; nothing (and no state set) without a mesh.
    ///
    /// Leaves set: stage 0 colour and alpha modulate, alpha argument 2 diffuse, point sprites
    /// off, culling off, z test and z writes on, z function less-or-equal, lighting after
    /// `lighting`, ambient 0xFF323232, the blue material (diffuse and ambient (0, 0, 1, 1)), the
    /// world transform. Stage 0's texture is not touched.
    /// Note: D3DX's DrawSubset binds stream 0, the indices and the vertex format without telling
    /// the render device's vertex cache manager: a static buffer drawn after it needs the
    /// manager's InvalidateStates first.
    void Render(IDirect3DDevice9* device);

    ID3DXMesh* mesh;           ///< the text mesh, owned
    bool lighting;             ///< lighting while drawing (off after construction)
    CWorldTransform transform; ///< where the text stands
};
