// OXETexture: a texture loaded from a file.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

class PELMORA_PARTS_API OXETexture {
public:
    OXETexture();
    OXETexture(IDirect3DDevice9* device, char* file); // Create, result dropped
    ~OXETexture(); // releases the texture
    OXETexture(const OXETexture&) = delete; // owns its texture
    OXETexture& operator=(const OXETexture&) = delete;

    // 0 loaded (the texture held before is released); OXE_FAIL, keeping the old one, otherwise.
    long Create(IDirect3DDevice9* device, char* file);
    IDirect3DTexture9* GetTexture(); // texture

    IDirect3DTexture9* texture; // the texture, owned
};
