// The per-subset arrays the mesh classes own: one material and one texture (or null) per subset.
#pragma once
#include <d3d9.h>

// Releases every texture, frees both arrays and leaves both pointers null.
inline void FreeSubsetArrays(D3DMATERIAL9*& materials, IDirect3DTexture9**& textures, DWORD count)
{
    if (textures) {
        for (DWORD i = 0; i < count; ++i)
            if (textures[i]) textures[i]->Release();
        delete[] textures;
        textures = nullptr;
    }
    delete[] materials;
    materials = nullptr;
}
