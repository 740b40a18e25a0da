/// \file
/// meshObject: a mesh from a .x file whose textured materials all draw with one texture file.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

/// A mesh loaded from a .x file (path as given, relative to the working folder) whose textured
/// materials all draw with one texture file named by the object; drawn with a fixed set of
/// blending states.
///
/// Use: construct, setTextureFN, init, place it through transform, Render each frame; destroy it
/// before the device is released. It owns the mesh (system memory), the loader's material
/// buffer, the arrays and the textures (managed pool): a device reset asks nothing of it.
/// Note: setTextureFN must come before init: init makes the textures from that name.
class PELMORA_PARTS_API meshObject {
public:
    /// Empty, no texture file name, identity transform.
    meshObject();
    /// Releases everything, resets the transform.
    ~meshObject();
    meshObject(const meshObject&) = delete;            ///< not copied: it owns its mesh and textures
    meshObject& operator=(const meshObject&) = delete; ///< not assigned: it owns its mesh and textures

    /// Sets the one texture file used by init for every material that names a texture.
    void setTextureFN(advString file);
    /// Loads the mesh from the file; what it held before is released first. Each material's
    /// ambient is set to its diffuse; a material naming a texture (whatever the name) gets
    /// textureFN's texture; the normals are recomputed. Nothing is reported: a file that does not
    /// load leaves the object empty (it then draws nothing); a texture that does not load leaves
    /// its material untextured. The int argument is not used.
    void init(IDirect3DDevice9* device, advString file, int unused);
    /// Draws one subset per material at the transform, lit, with its material and texture.
    /// Nothing without a device or a mesh.
    ///
    /// Leaves set: stage 0 colour and alpha modulate (texture x diffuse), sampler 0 linear
    /// minification and magnification with point mip filter, alpha blending on (source alpha /
    /// inverse source alpha), z test and z writes on, culling off, normalised normals, solid
    /// fill, lighting on, ambient 0x00AAAAAA, the world transform, the last material, and the last
    /// subset's texture on stage 0.
    /// Note: D3DX's DrawSubset binds stream 0, the indices and the vertex format without telling
    /// the render device's vertex cache manager: a static buffer drawn after it needs the
    /// manager's InvalidateStates first.
    void Render(IDirect3DDevice9* device);
    /// Material i by value; all zero when i is out of range.
    D3DMATERIAL9 getMaterial(int i);
    /// Replaces material i; ignored when i is out of range.
    void ChangeMaterial(int i, D3DMATERIAL9 m);
    /// Replaces texture i (the old one is released) by one made from the file; a file that does
    /// not load, or an i out of range, changes nothing.
    void ChangeTexture(IDirect3DDevice9* device, int i, advString file);
    /// Number of materials (and subsets drawn).
    DWORD GetNumMaterials();

    ID3DXBuffer* materialBuffer;  ///< materials as the loader gave them, owned
    ID3DXMesh* mesh;              ///< the mesh, owned
    DWORD numMaterials;           ///< entries in materials and textures (never followed past them)
    D3DMATERIAL9* materials;      ///< one per subset, ambient = diffuse, owned
    IDirect3DTexture9** textures; ///< one per subset, owned, null for untextured materials
    advString textureFN;          ///< the one texture file for every textured material
    CWorldTransform transform;    ///< where the mesh stands

private:
    void releaseAll();
};
