// OXEText3D: a 3D text mesh made from a Windows font, drawn in a fixed blue material.
#pragma once
#include "PelmoraPartsApi.h"
#include "advString.h"
#include "CWorldTransform.h"
#include <d3dx9.h>

class PELMORA_PARTS_API OXEText3D {
public:
    OXEText3D();
    ~OXEText3D(); // releases the mesh, resets the transform
    OXEText3D(const OXEText3D&) = delete; // owns its mesh
    OXEText3D& operator=(const OXEText3D&) = delete;

    // Builds the mesh of the text in that face and size (points, bold and italic 0 or not; a
    // null face: any face). Returns the D3DX result, also for a null device; the mesh is
    // replaced only on success. A point size whose pixel height overflows: 0x82000005.
    long CreatD3DXTextMesh(IDirect3DDevice9* device, char* fontFace, advString text, DWORD pointSize, int bold,
                           int italic);
    // Draws the text at its transform; nothing (and no state set) without a mesh.
    void Render(IDirect3DDevice9* device);

    ID3DXMesh* mesh;           // the text mesh, owned
    bool lighting;             // lighting while drawing (off after construction)
    CWorldTransform transform; // where the text stands
};
