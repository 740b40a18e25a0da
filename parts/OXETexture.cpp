#include "OXETexture.h"
#include "OXEResult.h"

OXETexture::OXETexture() : texture(nullptr) {}

OXETexture::OXETexture(IDirect3DDevice9* device, char* file) : texture(nullptr) { Create(device, file); }

OXETexture::~OXETexture()
{
    if (texture) texture->Release();
    texture = nullptr;
}

long OXETexture::Create(IDirect3DDevice9* device, char* file)
{
    if (!device || !file) return OXE_FAIL;
    IDirect3DTexture9* made = nullptr;
    if (FAILED(D3DXCreateTextureFromFileA(device, file, &made))) return OXE_FAIL;
    if (texture) texture->Release();
    texture = made;
    return OXE_OK;
}

IDirect3DTexture9* OXETexture::GetTexture() { return texture; }
