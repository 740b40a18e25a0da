// The per-subset arrays the mesh classes own: one material and one texture (or null) per subset.
// They are counted arrays: numMaterials is a public field a client may write, and loops over the
// subsets stop at the arrays' own length (UsableSubsets).
#pragma once
#include <d3d9.h>
#include "CountedArray.h"

// Makes both arrays with room for count subsets (at least one), textures null; false, and both
// null, when the memory cannot be had.
inline bool MakeSubsetArrays(D3DMATERIAL9*& materials, IDirect3DTexture9**& textures, DWORD count)
{
    const size_t n = count ? count : 1;
    materials = NewCountedArray<D3DMATERIAL9>(n);
    textures = materials ? NewCountedArray<IDirect3DTexture9*>(n) : nullptr;
    if (textures) return true;
    DeleteCountedArray(materials);
    return false;
}

// Releases every texture, frees both arrays and leaves both pointers null.
inline void FreeSubsetArrays(D3DMATERIAL9*& materials, IDirect3DTexture9**& textures)
{
    for (size_t i = 0, n = CountedLength(textures); i < n; ++i)
        if (textures[i]) textures[i]->Release();
    DeleteCountedArray(textures);
    DeleteCountedArray(materials);
}

// How many subsets a loop over count of them may visit: never past either array.
inline DWORD UsableSubsets(const D3DMATERIAL9* materials, IDirect3DTexture9* const* textures, DWORD count)
{
    return WithinLength(textures, WithinLength(materials, count));
}
