// CMesh: one mesh loaded from a .x file (found through the media lookup) with its materials and
// textures. CMeshInstance: a shared CMesh placed in the world with its own transform.
#pragma once
#include "PelmoraPartsApi.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

class PELMORA_PARTS_API CMesh {
public:
    CMesh();
    ~CMesh(); // same as Release
    CMesh(const CMesh&) = delete;            // owns its mesh and textures
    CMesh& operator=(const CMesh&) = delete;

    // Loads the file (found with FindMediaFile) and every texture its materials name.
    // 1 loaded; 0 failed, and then the mesh is empty.
    int Load(char* file, IDirect3DDevice9* device);
    void Release();

    ID3DXMesh* GetMesh();
    DWORD GetNumMaterials();
    D3DMATERIAL9* GetMeshMaterial(int i);      // null when i is out of range
    IDirect3DTexture9* GetMeshTexture(int i);  // null when i is out of range or untextured
    void setMeshMaterial(D3DMATERIAL9 m, int i); // ignored when i is out of range

    ID3DXMesh* mesh;              // the loaded mesh, owned
    DWORD numMaterials;           // entries in materials and textures (never followed past them)
    D3DMATERIAL9* materials;      // one material per subset, ambient = diffuse, owned
    IDirect3DTexture9** textures; // one texture per subset, each owned, may be null
};

class PELMORA_PARTS_API CMeshInstance {
public:
    CMeshInstance();
    ~CMeshInstance(); // forgets the mesh, resets the transform

    void SetMesh(CMesh* m);
    void Release(); // forgets the mesh; the CMesh stays loaded
    // Writes material i of the shared mesh: every instance of it draws with the new one.
    void setMaterial(D3DMATERIAL9 m, int i);
    // Draws one subset per material, lit, at this instance's transform.
    void Render(IDirect3DDevice9* device);

    CWorldTransform transform; // where this instance stands
    CMesh* mesh;               // the shared mesh, not owned
};
