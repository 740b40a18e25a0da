// simpleMesh: a mesh loaded from a .x file (path as given) with the textures its materials name,
// trying the parent folder for a texture not found; failures are shown in message boxes.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

class PELMORA_PARTS_API simpleMesh {
public:
    simpleMesh();
    ~simpleMesh();
    simpleMesh(const simpleMesh&) = delete; // owns its mesh and textures
    simpleMesh& operator=(const simpleMesh&) = delete;

    // 0 loaded (a missing texture is shown and skipped); E_FAIL when the mesh does not load,
    // E_OUTOFMEMORY when the arrays cannot be made. What was held before is released first.
    long init(IDirect3DDevice9* device, advString file);
    long Render(IDirect3DDevice9* device); // 0; draws nothing when empty
    bool isValidDatatype(); // always false

    DWORD numMaterials;           // entries in materials and textures (never followed past them)
    ID3DXMesh* mesh;              // the mesh, owned
    D3DMATERIAL9* materials;      // one per subset, ambient = diffuse, owned
    IDirect3DTexture9** textures; // one per subset, owned, null when untextured or not found
    CWorldTransform transform;    // where the mesh stands

private:
    void releaseAll();
};
