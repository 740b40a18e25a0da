// meshObject: a mesh loaded from a .x file (path as given) whose textured materials all draw
// with one texture file named by the object; drawn with a fixed set of blending states.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

class PELMORA_PARTS_API meshObject {
public:
    meshObject();
    ~meshObject();
    meshObject(const meshObject&) = delete; // owns its mesh and textures
    meshObject& operator=(const meshObject&) = delete;

    void setTextureFN(advString file);
    // Loads the mesh; what it held before is released first. A file that does not load leaves
    // the object empty (it then draws nothing). The int argument is not used.
    void init(IDirect3DDevice9* device, advString file, int unused);
    void Render(IDirect3DDevice9* device);
    D3DMATERIAL9 getMaterial(int i);                 // all zero when i is out of range
    void ChangeMaterial(int i, D3DMATERIAL9 m);      // ignored when i is out of range
    // Replaces texture i (the old one is released) by one made from the file.
    void ChangeTexture(IDirect3DDevice9* device, int i, advString file);
    DWORD GetNumMaterials();

    ID3DXBuffer* materialBuffer;  // materials as the loader gave them, owned
    ID3DXMesh* mesh;              // the mesh, owned
    DWORD numMaterials;           // entries in materials and textures (never followed past them)
    D3DMATERIAL9* materials;      // one per subset, ambient = diffuse, owned
    IDirect3DTexture9** textures; // one per subset, owned, null for untextured materials
    advString textureFN;          // the one texture file for every textured material
    CWorldTransform transform;    // where the mesh stands

private:
    void releaseAll();
};
