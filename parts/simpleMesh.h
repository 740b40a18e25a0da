/// \file
/// simpleMesh: a mesh from a .x file with the textures its materials name.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

/// A mesh loaded from a .x file (path as given, relative to the working folder) with the
/// textures its materials name, trying the parent folder for a texture not found; failures are
/// shown in message boxes.
///
/// Use: construct, init, place it through transform, Render each frame; destroy it before the
/// device is released. It owns the mesh (system memory), the arrays and the textures (managed
/// pool): a device reset asks nothing of it.
class PELMORA_PARTS_API simpleMesh {
public:
    /// Empty, identity transform.
    simpleMesh();
    /// Releases everything, resets the transform.
    ~simpleMesh();
    simpleMesh(const simpleMesh&) = delete;            ///< not copied: it owns its mesh and textures
    simpleMesh& operator=(const simpleMesh&) = delete; ///< not assigned: it owns its mesh and textures

    /// Loads the mesh and the texture each material names (name as given, then "..\" + name);
    /// each material's ambient is set to its diffuse. What was held before is released first.
    /// 0 loaded (a missing texture is shown and skipped: that material draws untextured);
    /// E_FAIL (0x80004005) when the mesh does not load (also a null device or a damaged file);
    /// E_OUTOFMEMORY when the arrays cannot be made.
    ///
    /// Note: shows a message box (no owner, caption "SimpleMesh", OK) with "Could not find mesh"
    /// when the mesh does not load, and one with "Could not find texture map" for each texture
    /// not found; each waits for a click.
    long init(IDirect3DDevice9* device, advString file);
    /// Draws one subset per material at the transform, lit, with its material and texture.
    /// Always 0; draws nothing when empty.
    ///
    /// Leaves set: stage 0 colour and alpha modulate (texture x diffuse), sampler 0 linear
    /// minification and magnification with point mip filter, alpha blending on (source alpha /
    /// inverse source alpha), z test and z writes on, culling off, normalised normals, solid
    /// fill, lighting on, ambient 0xFFFF0000 (red), the world transform, the last material, and
    /// the last subset's texture on stage 0.
    /// Note: D3DX's DrawSubset binds stream 0, the indices and the vertex format without telling
    /// the render device's vertex cache manager: a static buffer drawn after it needs the
    /// manager's InvalidateStates first.
    long Render(IDirect3DDevice9* device);
    /// Always false.
    bool isValidDatatype();

    DWORD numMaterials;           ///< entries in materials and textures (never followed past them)
    ID3DXMesh* mesh;              ///< the mesh, owned
    D3DMATERIAL9* materials;      ///< one per subset, ambient = diffuse, owned
    IDirect3DTexture9** textures; ///< one per subset, owned, null when untextured or not found
    CWorldTransform transform;    ///< where the mesh stands

private:
    void releaseAll();
};
