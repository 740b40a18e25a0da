#include "D3dxHooks.h"
#include <d3dx9.h>
#include <cstring>
#include "InjectionState.h"

#define RETURN_ADDRESS __builtin_return_address(0)

namespace {

HMODULE RealD3dx()
{
    static HMODULE module = LoadLibraryA("d3dx9_43.dll");
    return module;
}

template <typename Fn> Fn Real(const char* name)
{
    return reinterpret_cast<Fn>(GetProcAddress(RealD3dx(), name));
}

// The original of each hooked function, looked up once.
#define REAL(Function) static const auto real = Real<decltype(&::Function)>(#Function)

template <typename T> void Clear(T** out)
{
    if (out) *out = nullptr;
}

const HRESULT kRefused = E_OUTOFMEMORY;

HRESULT WINAPI HookCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight, UINT mips, BOOL italic,
                           DWORD charset, DWORD precision, DWORD quality, DWORD pitch, const char* face, ID3DXFont** font)
{
    REAL(D3DXCreateFontA);
    if (FailThisCall("D3DXCreateFontA", RETURN_ADDRESS)) {
        Clear(font);
        return kRefused;
    }
    return real(device, height, width, weight, mips, italic, charset, precision, quality, pitch, face, font);
}

HRESULT WINAPI HookCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc, ID3DXFont** font)
{
    REAL(D3DXCreateFontIndirectA);
    if (FailThisCall("D3DXCreateFontIndirectA", RETURN_ADDRESS)) {
        Clear(font);
        return kRefused;
    }
    return real(device, desc, font);
}

HRESULT WINAPI HookCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite)
{
    REAL(D3DXCreateSprite);
    if (FailThisCall("D3DXCreateSprite", RETURN_ADDRESS)) {
        Clear(sprite);
        return kRefused;
    }
    return real(device, sprite);
}

HRESULT WINAPI HookCreateLine(IDirect3DDevice9* device, ID3DXLine** line)
{
    REAL(D3DXCreateLine);
    if (FailThisCall("D3DXCreateLine", RETURN_ADDRESS)) {
        Clear(line);
        return kRefused;
    }
    return real(device, line);
}

HRESULT WINAPI HookCreateTextA(IDirect3DDevice9* device, HDC dc, const char* text, float deviation, float extrusion,
                           ID3DXMesh** mesh, ID3DXBuffer** adjacency, GLYPHMETRICSFLOAT* metrics)
{
    REAL(D3DXCreateTextA);
    if (FailThisCall("D3DXCreateTextA", RETURN_ADDRESS)) {
        Clear(mesh);
        Clear(adjacency);
        return kRefused;
    }
    return real(device, dc, text, deviation, extrusion, mesh, adjacency, metrics);
}

HRESULT WINAPI HookCreateTextureFromFileA(IDirect3DDevice9* device, const char* file, IDirect3DTexture9** texture)
{
    REAL(D3DXCreateTextureFromFileA);
    if (FailThisCall("D3DXCreateTextureFromFileA", RETURN_ADDRESS)) {
        Clear(texture);
        return kRefused;
    }
    return real(device, file, texture);
}

HRESULT WINAPI HookCreateTextureFromFileExA(IDirect3DDevice9* device, const char* file, UINT w, UINT h, UINT mips,
                                        DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                        D3DCOLOR key, D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                                        IDirect3DTexture9** texture)
{
    REAL(D3DXCreateTextureFromFileExA);
    if (FailThisCall("D3DXCreateTextureFromFileExA", RETURN_ADDRESS)) {
        Clear(texture);
        return kRefused;
    }
    return real(device, file, w, h, mips, usage, format, pool, filter, mipFilter, key, info, palette, texture);
}

HRESULT WINAPI HookGetImageInfoFromFileA(const char* file, D3DXIMAGE_INFO* info)
{
    REAL(D3DXGetImageInfoFromFileA);
    if (FailThisCall("D3DXGetImageInfoFromFileA", RETURN_ADDRESS)) return kRefused;
    return real(file, info);
}

HRESULT WINAPI HookLoadSurfaceFromFileA(IDirect3DSurface9* surface, const PALETTEENTRY* palette, const RECT* rect,
                                    const char* file, const RECT* source, DWORD filter, D3DCOLOR key,
                                    D3DXIMAGE_INFO* info)
{
    REAL(D3DXLoadSurfaceFromFileA);
    if (FailThisCall("D3DXLoadSurfaceFromFileA", RETURN_ADDRESS)) return kRefused;
    return real(surface, palette, rect, file, source, filter, key, info);
}

HRESULT WINAPI HookLoadSurfaceFromSurface(IDirect3DSurface9* dst, const PALETTEENTRY* dstPalette, const RECT* dstRect,
                                      IDirect3DSurface9* src, const PALETTEENTRY* srcPalette, const RECT* srcRect,
                                      DWORD filter, D3DCOLOR key)
{
    REAL(D3DXLoadSurfaceFromSurface);
    if (FailThisCall("D3DXLoadSurfaceFromSurface", RETURN_ADDRESS)) return kRefused;
    return real(dst, dstPalette, dstRect, src, srcPalette, srcRect, filter, key);
}

HRESULT WINAPI HookLoadMeshFromXA(const char* file, DWORD options, IDirect3DDevice9* device, ID3DXBuffer** adjacency,
                              ID3DXBuffer** materials, ID3DXBuffer** effects, DWORD* count, ID3DXMesh** mesh)
{
    REAL(D3DXLoadMeshFromXA);
    if (FailThisCall("D3DXLoadMeshFromXA", RETURN_ADDRESS)) {
        Clear(adjacency);
        Clear(materials);
        Clear(effects);
        if (count) *count = 0;
        Clear(mesh);
        return kRefused;
    }
    return real(file, options, device, adjacency, materials, effects, count, mesh);
}

HRESULT WINAPI HookCreateEffectFromFileA(IDirect3DDevice9* device, const char* file, const D3DXMACRO* defines,
                                     ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                                     ID3DXBuffer** errors)
{
    REAL(D3DXCreateEffectFromFileA);
    if (FailThisCall("D3DXCreateEffectFromFileA", RETURN_ADDRESS)) {
        Clear(effect);
        Clear(errors);
        return kRefused;
    }
    return real(device, file, defines, include, flags, pool, effect, errors);
}

HRESULT WINAPI HookAssembleShader(const char* source, UINT length, const D3DXMACRO* defines, ID3DXInclude* include,
                              DWORD flags, ID3DXBuffer** shader, ID3DXBuffer** errors)
{
    REAL(D3DXAssembleShader);
    if (FailThisCall("D3DXAssembleShader", RETURN_ADDRESS)) {
        Clear(shader);
        Clear(errors);
        return kRefused;
    }
    return real(source, length, defines, include, flags, shader, errors);
}

HRESULT WINAPI HookAssembleShaderFromFileA(const char* file, const D3DXMACRO* defines, ID3DXInclude* include, DWORD flags,
                                       ID3DXBuffer** shader, ID3DXBuffer** errors)
{
    REAL(D3DXAssembleShaderFromFileA);
    if (FailThisCall("D3DXAssembleShaderFromFileA", RETURN_ADDRESS)) {
        Clear(shader);
        Clear(errors);
        return kRefused;
    }
    return real(file, defines, include, flags, shader, errors);
}

struct Entry {
    const char* name; // exported name in d3dx9_43.dll
    void* hook;       // its hook
};

const Entry kHooks[] = {
    {"D3DXCreateFontA", (void*)HookCreateFontA},
    {"D3DXCreateFontIndirectA", (void*)HookCreateFontIndirectA},
    {"D3DXCreateSprite", (void*)HookCreateSprite},
    {"D3DXCreateLine", (void*)HookCreateLine},
    {"D3DXCreateTextA", (void*)HookCreateTextA},
    {"D3DXCreateTextureFromFileA", (void*)HookCreateTextureFromFileA},
    {"D3DXCreateTextureFromFileExA", (void*)HookCreateTextureFromFileExA},
    {"D3DXGetImageInfoFromFileA", (void*)HookGetImageInfoFromFileA},
    {"D3DXLoadSurfaceFromFileA", (void*)HookLoadSurfaceFromFileA},
    {"D3DXLoadSurfaceFromSurface", (void*)HookLoadSurfaceFromSurface},
    {"D3DXLoadMeshFromXA", (void*)HookLoadMeshFromXA},
    {"D3DXCreateEffectFromFileA", (void*)HookCreateEffectFromFileA},
    {"D3DXAssembleShader", (void*)HookAssembleShader},
    {"D3DXAssembleShaderFromFileA", (void*)HookAssembleShaderFromFileA},
};

} // namespace

void* D3dxHook(const char* function)
{
    for (const Entry& e : kHooks)
        if (std::strcmp(e.name, function) == 0) return e.hook;
    return nullptr;
}
