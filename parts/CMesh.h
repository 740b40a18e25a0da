/// \file
/// CMesh: a mesh loaded from a .x file; CMeshInstance: a shared CMesh placed in the world.
#pragma once
#include "PelmoraPartsApi.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

/// One mesh loaded from a .x file (found through the media lookup) with its materials and
/// textures.
///
/// Use: construct, Load, give it to any number of CMeshInstance objects, which draw it; Release
/// or destroy it after them and before the device is released. It owns the mesh (managed pool),
/// the material and texture arrays and the textures (managed pool): a device reset asks nothing
/// of it. Both the mesh file and every texture it names are looked up as a bare name in the
/// working folder, its parent and grandparent, the program's folder, its parent and grandparent,
/// and two folders named after the program, then the same under "media\".
class PELMORA_PARTS_API CMesh {
public:
    /// Empty.
    CMesh();
    /// Same as Release.
    ~CMesh();
    CMesh(const CMesh&) = delete;            ///< not copied: it owns its mesh and textures
    CMesh& operator=(const CMesh&) = delete; ///< not assigned: it owns its mesh and textures

    /// Loads the file (found with the media lookup; what was loaded before is released first) and
    /// every texture its materials name; each material's ambient colour is set to its diffuse.
    /// 1 loaded; 0 failed (file or a texture not found, a file D3DX refuses, a damaged compressed
    /// file, a null argument), and then the mesh is empty.
    int Load(char* file, IDirect3DDevice9* device);
    /// Releases the mesh, the textures and both arrays; the mesh is empty afterwards.
    void Release();

    /// The loaded mesh (borrowed; null when empty).
    ID3DXMesh* GetMesh();
    /// Number of materials (and subsets drawn).
    DWORD GetNumMaterials();
    /// Material i (borrowed, writable); null when i is out of range.
    D3DMATERIAL9* GetMeshMaterial(int i);
    /// Texture i (borrowed, no reference added); null when i is out of range or untextured.
    IDirect3DTexture9* GetMeshTexture(int i);
    /// Replaces material i; ignored when i is out of range.
    void setMeshMaterial(D3DMATERIAL9 m, int i);

    ID3DXMesh* mesh;              ///< the loaded mesh, owned
    DWORD numMaterials;           ///< entries in materials and textures (never followed past them)
    D3DMATERIAL9* materials;      ///< one material per subset, ambient = diffuse, owned
    IDirect3DTexture9** textures; ///< one texture per subset, each owned, may be null
};

/// A shared CMesh placed in the world with its own transform.
///
/// Use: construct, SetMesh, place it through transform, Render each frame. It never owns its
/// mesh: the CMesh must outlive every instance that draws it.
class PELMORA_PARTS_API CMeshInstance {
public:
    /// No mesh, identity transform.
    CMeshInstance();
    /// Forgets the mesh, resets the transform.
    ~CMeshInstance();

    /// Draws m from now on (borrowed; null: nothing).
    void SetMesh(CMesh* m);
    /// Forgets the mesh; the CMesh stays loaded.
    void Release();
    /// Writes material i of the shared mesh: every instance of it draws with the new one.
    void setMaterial(D3DMATERIAL9 m, int i);
    /// Draws one subset per material at this instance's transform, lit by the device's lights.
    /// Nothing (and no state set) without a device or a loaded mesh.
    ///
    /// Leaves set: stage 0 colour and alpha operations modulate, alpha argument 2 diffuse, point
    /// sprites off, z test and z writes on, z function less-or-equal, the world transform,
    /// lighting on, the last material; stage 0's texture is taken off after each subset.
    /// Note: D3DX's DrawSubset binds stream 0, the indices and the vertex format without
    /// telling the render device's vertex cache manager: a static buffer drawn after it needs the
    /// manager's InvalidateStates first.
    /// Note: it sets no shader; clear the render device's vertex shader first
    /// (SetVertexShader(nullptr)).
    void Render(IDirect3DDevice9* device);

    CWorldTransform transform; ///< where this instance stands
    CMesh* mesh;               ///< the shared mesh, not owned
};
