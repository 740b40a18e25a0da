/// \file
/// OXETexture: a texture loaded from a file.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

/// A texture loaded from a file with the default D3DX loader (managed pool: a device reset asks
/// nothing of it).
///
/// Use: construct (with a file, or Create later), hand GetTexture() to what draws; destroy it
/// before the device is released. It owns the texture.
class PELMORA_PARTS_API OXETexture {
public:
    /// No texture.
    OXETexture();
    /// Create(device, file); the result is dropped (check GetTexture()).
    OXETexture(IDirect3DDevice9* device, char* file);
    /// Releases the texture.
    ~OXETexture();
    OXETexture(const OXETexture&) = delete;            ///< not copied: it owns its texture
    OXETexture& operator=(const OXETexture&) = delete; ///< not assigned: it owns its texture

    /// Loads the file. 0 loaded (the texture held before is released); OXE_FAIL, keeping the old
    /// one, when D3DX cannot load it or an argument is null.
    long Create(IDirect3DDevice9* device, char* file);
    /// The texture (borrowed, no reference added; null before a load succeeded).
    IDirect3DTexture9* GetTexture();

    IDirect3DTexture9* texture; ///< the texture, owned
};
