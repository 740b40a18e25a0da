#include "OXED3DSkinManager.h"
#include "OXEResult.h"
#include "OXEBitmapRows.h"
#include "OXEColorByte.h"
#include "OXEGrowList.h"
#include "BitmapFileCheck.h"
#include <d3dx9.h>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cmath>

// The cap of LimitAlpha for a general transparency below 1.0; negatives mean fully transparent.
static BYTE AlphaCap(float alphaValue)
{
    return alphaValue <= 0.0f ? 0 : BYTE(int(alphaValue * 255.0f));
}

// Most colour keys a texture takes: GetTextureInfo reports the count in one byte, so a texture
// with more could never tell its caller how many keys it copies out.
static const UINT kMaxColorKeys = 255;

// Keys are only read for an alpha texture, and only when an array is given.
static bool TooManyKeys(bool alpha, const D3DCOLORVALUE* colorKeys, UINT keyCount)
{
    return alpha && colorKeys && keyCount > kMaxColorKeys;
}

static char* CopyString(const char* text)
{
    size_t n = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(n));
    if (copy) memcpy(copy, text, n);
    return copy;
}

static void FreeTextureRecord(TextureRecord& record)
{
    if (record.texture) record.texture->Release();
    free(record.colorKeys);
    free(record.name);
    record.texture = nullptr;
    record.colorKeys = nullptr;
    record.name = nullptr;
    record.keyCount = 0;
}

static D3DMATERIAL9 MakeMaterial(const D3DCOLORVALUE* ambient, const D3DCOLORVALUE* diffuse,
                                 const D3DCOLORVALUE* emissive, const D3DCOLORVALUE* specular,
                                 float power)
{
    D3DMATERIAL9 m;
    m.Diffuse = *diffuse;
    m.Ambient = *ambient;
    m.Specular = *specular;
    m.Emissive = *emissive;
    m.Power = power;
    return m;
}

OXED3DSkinManager::OXED3DSkinManager(IDirect3DDevice9* device, OXELog* log)
    : m_nNumSkins(0), m_nNumMaterials(0), m_nNumTextures(0), m_pMaterials(nullptr),
      m_pTextures(nullptr), m_pSkins(nullptr), m_pDevice(device), m_pLog(log)
{
    Log("online");
}

OXED3DSkinManager::~OXED3DSkinManager()
{
    ReleaseAll();
    Log("offline, (ok)");
}

void OXED3DSkinManager::Log(const char* format, ...)
{
    if (!m_pLog) return;
    char buffer[256];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    m_pLog->WriteText(OXE_LOG_SKINMAN, buffer);
}

bool OXED3DSkinManager::GrowMaterials() { return OXEGrowList(m_pMaterials, m_nNumMaterials); }
bool OXED3DSkinManager::GrowTextures() { return OXEGrowList(m_pTextures, m_nNumTextures); }
bool OXED3DSkinManager::GrowSkins() { return OXEGrowList(m_pSkins, m_nNumSkins); }

bool OXED3DSkinManager::IsColorEqual(const D3DCOLORVALUE* a, const D3DCOLORVALUE* b)
{
    if (!a || !b) return false; // a missing colour equals nothing
    if (a->a != b->a) return false;
    if (a->r != b->r) return false;
    if (a->g != b->g) return false;
    if (a->b != b->b) return false;
    return true;
}

bool OXED3DSkinManager::IsMaterialEqual(const D3DMATERIAL9* m, const D3DMATERIAL9* n)
{
    if (!m || !n) return false;
    if (!IsColorEqual(&m->Ambient, &n->Ambient)) return false;
    if (!IsColorEqual(&m->Diffuse, &n->Diffuse)) return false;
    if (!IsColorEqual(&m->Emissive, &n->Emissive)) return false;
    if (!IsColorEqual(&m->Specular, &n->Specular)) return false;
    return m->Power == n->Power;
}

// The id of the first stored material equal to this one, appending it when there is none.
HRESULT OXED3DSkinManager::StoreMaterial(const D3DMATERIAL9& material, UINT* materialId)
{
    for (UINT i = 0; i < m_nNumMaterials; ++i) {
        if (IsMaterialEqual(&m_pMaterials[i], &material)) {
            *materialId = i;
            return OXE_OK;
        }
    }
    if (!GrowMaterials()) return OXE_OUTOFMEMORY;
    m_pMaterials[m_nNumMaterials] = material;
    *materialId = m_nNumMaterials++;
    return OXE_OK;
}

HRESULT OXED3DSkinManager::CreateSkin(const D3DCOLORVALUE* ambient, const D3DCOLORVALUE* diffuse,
                                      const D3DCOLORVALUE* emissive,
                                      const D3DCOLORVALUE* specular, float power, UINT* skinId)
{
    if (!ambient || !diffuse || !emissive || !specular || !skinId) return OXE_INVALIDPARAM;
    if (!GrowSkins()) return OXE_OUTOFMEMORY;

    UINT material = 0;
    HRESULT hr = StoreMaterial(MakeMaterial(ambient, diffuse, emissive, specular, power), &material);
    if (FAILED(hr)) return hr;

    SkinRecord& skin = m_pSkins[m_nNumSkins];
    skin.alpha = false;
    skin.material = material;
    for (UINT s = 0; s < 8; ++s) skin.textures[s] = NoId;
    *skinId = m_nNumSkins++;
    return OXE_OK;
}

UINT OXED3DSkinManager::FindTexture(const char* name) const
{
    for (UINT i = 0; i < m_nNumTextures; ++i)
        if (strcmp(m_pTextures[i].name, name) == 0) return i;
    return NoId;
}

static void PutIntoFirstFreeStage(SkinRecord& skin, UINT textureId)
{
    for (UINT s = 0; s < 8; ++s) {
        if (skin.textures[s] == NoId) {
            skin.textures[s] = textureId;
            return;
        }
    }
}

// Loads a texture into record (not yet counted): the file, then the colour keys and the
// general transparency of an alpha texture. On failure the record holds nothing.
// *skinAlpha is set for an alpha texture before anything is loaded, so it stays set when the
// loading fails.
HRESULT OXED3DSkinManager::LoadNewTexture(TextureRecord& record, const char* name, bool alpha,
                                          float alphaValue, const D3DCOLORVALUE* colorKeys,
                                          UINT keyCount, bool* skinAlpha)
{
    if (alpha) *skinAlpha = true;
    record.alpha = 1.0f;
    record.colorKeys = nullptr;
    record.keyCount = 0;
    record.texture = nullptr;
    record.name = CopyString(name);
    if (!record.name) return OXE_OUTOFMEMORY;

    HRESULT hr = CreateTexture(&record, alpha);
    if (SUCCEEDED(hr) && alpha) {
        if (!colorKeys) keyCount = 0;
        if (keyCount > 0) {
            record.colorKeys = static_cast<D3DCOLORVALUE*>(malloc(sizeof(D3DCOLORVALUE) * keyCount));
            if (!record.colorKeys) hr = OXE_OUTOFMEMORY;
            else {
                memcpy(record.colorKeys, colorKeys, sizeof(D3DCOLORVALUE) * keyCount);
                record.keyCount = keyCount;
            }
        }
        for (UINT k = 0; SUCCEEDED(hr) && k < record.keyCount; ++k) {
            const D3DCOLORVALUE& key = colorKeys[k];
            hr = ApplyColorKey(record.texture, OXEColorByte(key.r), OXEColorByte(key.g),
                               OXEColorByte(key.b), OXEColorByte(key.a));
        }
        if (SUCCEEDED(hr) && alphaValue < 1.0f) {
            record.alpha = alphaValue;
            hr = LimitAlpha(record.texture, AlphaCap(alphaValue));
        }
    }
    if (FAILED(hr)) {
        FreeTextureRecord(record);
        return hr;
    }
    return OXE_OK;
}

HRESULT OXED3DSkinManager::AddTexture(UINT skinId, const char* name, bool alpha, float alphaValue,
                                      const D3DCOLORVALUE* colorKeys, UINT keyCount)
{
    if (skinId >= m_nNumSkins) return OXE_INVALIDID;
    if (!name || TooManyKeys(alpha, colorKeys, keyCount)) return OXE_INVALIDPARAM;
    SkinRecord& skin = m_pSkins[skinId];
    if (skin.textures[7] != NoId) return OXE_BUFFERSIZE;

    UINT existing = FindTexture(name);
    if (existing != NoId) {
        PutIntoFirstFreeStage(skin, existing);
        return OXE_OK;
    }
    if (!GrowTextures()) return OXE_OUTOFMEMORY;

    TextureRecord& record = m_pTextures[m_nNumTextures];
    HRESULT hr = LoadNewTexture(record, name, alpha, alphaValue, colorKeys, keyCount, &skin.alpha);
    if (FAILED(hr)) return hr;
    PutIntoFirstFreeStage(skin, m_nNumTextures++);
    return OXE_OK;
}

HRESULT OXED3DSkinManager::ReplaceTexture(UINT skinId, UINT stage, const char* name, bool alpha,
                                          float alphaValue, const D3DCOLORVALUE* colorKeys,
                                          UINT keyCount)
{
    if (skinId >= m_nNumSkins) return OXE_INVALIDID;
    if (stage > 7) return OXE_BUFFERSIZE;
    if (TooManyKeys(alpha, colorKeys, keyCount)) return OXE_INVALIDPARAM;
    SkinRecord& skin = m_pSkins[skinId];
    if (!name) {
        skin.textures[stage] = NoId;
        return OXE_OK;
    }
    UINT existing = FindTexture(name);
    if (existing != NoId) {
        skin.textures[stage] = existing;
        return OXE_OK;
    }
    if (!GrowTextures()) return OXE_OUTOFMEMORY;

    TextureRecord& record = m_pTextures[m_nNumTextures];
    HRESULT hr = LoadNewTexture(record, name, alpha, alphaValue, colorKeys, keyCount, &skin.alpha);
    if (FAILED(hr)) return hr;
    skin.textures[stage] = m_nNumTextures++;
    return OXE_OK;
}

HRESULT OXED3DSkinManager::ReplaceMaterial(UINT skinId, const D3DCOLORVALUE* ambient,
                                           const D3DCOLORVALUE* diffuse,
                                           const D3DCOLORVALUE* emissive,
                                           const D3DCOLORVALUE* specular, float power)
{
    if (skinId >= m_nNumSkins) return OXE_INVALIDID;
    if (!ambient || !diffuse || !emissive || !specular) return OXE_INVALIDPARAM;
    UINT material = 0;
    HRESULT hr = StoreMaterial(MakeMaterial(ambient, diffuse, emissive, specular, power), &material);
    if (FAILED(hr)) return hr;
    m_pSkins[skinId].material = material;
    return OXE_OK;
}

HRESULT OXED3DSkinManager::AddNormalMapTexture(UINT skinId, const char* name)
{
    if (skinId >= m_nNumSkins) return OXE_INVALIDID;
    if (!name) return OXE_INVALIDPARAM;
    SkinRecord& skin = m_pSkins[skinId];
    if (skin.textures[7] != NoId) {
        Log("error: AddTexture failed, all 8 stges set");
        return OXE_BUFFERSIZE;
    }
    UINT existing = FindTexture(name);
    if (existing != NoId) {
        skin.textures[0] = existing;
        return OXE_OK;
    }
    if (!GrowTextures()) {
        Log("error: AddTexture failed, realloc()");
        return OXE_OUTOFMEMORY;
    }
    TextureRecord& record = m_pTextures[m_nNumTextures];
    record.alpha = 1.0f;
    record.colorKeys = nullptr;
    record.keyCount = 0;
    record.texture = nullptr;
    record.name = CopyString(name);
    if (!record.name) {
        Log("error: AddTexture failed, realloc()");
        return OXE_OUTOFMEMORY;
    }
    HRESULT hr = CreateTexture(&record, true);
    if (FAILED(hr)) {
        Log("error: CreateTexture() failed");
        FreeTextureRecord(record);
        return hr;
    }
    hr = ConvertToNormalMap(&record);
    if (FAILED(hr)) {
        Log("error: ConvertToNormalMap() failed");
        FreeTextureRecord(record);
        return hr;
    }
    skin.textures[0] = m_nNumTextures++;
    return OXE_OK;
}

// Loads the bitmap file named in the record into a new one-level managed texture:
// A8R8G8B8 (opaque) for alpha textures, R5G6B5 otherwise. Only 24-bit bitmaps are taken.
HRESULT OXED3DSkinManager::CreateTexture(TextureRecord* record, bool alpha)
{
    if (!IsWholeBitmapFile(record->name)) return OXE_FILENOTFOUND;
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, record->name, IMAGE_BITMAP, 0, 0,
                                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) return OXE_FILENOTFOUND;

    DIBSECTION dib;
    memset(&dib, 0, sizeof dib);
    if (GetObjectA(bitmap, sizeof dib, &dib) == 0 || dib.dsBm.bmBitsPixel != 24 ||
        !dib.dsBm.bmBits) {
        DeleteObject(bitmap);
        return OXE_INVALIDFILE;
    }
    const UINT width = UINT(dib.dsBm.bmWidth);
    const UINT height = UINT(dib.dsBm.bmHeight);
    const UINT rowPitch = UINT(dib.dsBm.bmWidthBytes);
    const BYTE* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);

    IDirect3DTexture9* texture = nullptr;
    if (!m_pDevice ||
        FAILED(m_pDevice->CreateTexture(width, height, 1, 0,
                                        alpha ? D3DFMT_A8R8G8B8 : D3DFMT_R5G6B5, D3DPOOL_MANAGED,
                                        &texture, nullptr))) {
        DeleteObject(bitmap);
        return OXE_FAIL;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        texture->Release();
        DeleteObject(bitmap);
        return OXE_BUFFERLOCK;
    }
    // Rows are copied in the order they lie in the bitmap's memory (not flipped); the copy
    // refuses sizes that do not fit the bitmap's bits or the locked surface.
    const bool copied = locked.Pitch > 0 &&
        OXECopyBitmapRows(bits, size_t(rowPitch) * height, rowPitch, width, height,
                          static_cast<uint8_t*>(locked.pBits), size_t(locked.Pitch) * height,
                          uint32_t(locked.Pitch), alpha);
    if (!copied) {
        texture->UnlockRect(0);
        texture->Release();
        DeleteObject(bitmap);
        return OXE_INVALIDFILE;
    }
    texture->UnlockRect(0);
    DeleteObject(bitmap);
    record->texture = texture;
    return OXE_OK;
}

static bool IsA8R8G8B8(IDirect3DTexture9* texture)
{
    D3DSURFACE_DESC desc;
    return texture && SUCCEEDED(texture->GetLevelDesc(0, &desc)) && desc.Format == D3DFMT_A8R8G8B8;
}

// Calls visit(texel) for every texel of level 0 of an A8R8G8B8 texture, in place.
template <typename Visit> static HRESULT ForEachTexel(IDirect3DTexture9* texture, Visit visit)
{
    if (!IsA8R8G8B8(texture)) return OXE_INVALIDPARAM;
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return OXE_BUFFERLOCK;
    for (UINT y = 0; y < desc.Height; ++y) {
        DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + size_t(y) * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) visit(row[x]);
    }
    texture->UnlockRect(0);
    return OXE_OK;
}

HRESULT OXED3DSkinManager::ApplyColorKey(IDirect3DTexture9* texture, BYTE r, BYTE g, BYTE b, BYTE a)
{
    const DWORD key = 0xFF000000u | DWORD(r) << 16 | DWORD(g) << 8 | b;
    // A fully transparent key clears the colour too.
    const DWORD replacement = a ? (DWORD(a) << 24 | DWORD(r) << 16 | DWORD(g) << 8 | b) : 0;
    return ForEachTexel(texture, [&](DWORD& texel) {
        if (texel == key) texel = replacement;
    });
}

HRESULT OXED3DSkinManager::LimitAlpha(IDirect3DTexture9* texture, BYTE alpha)
{
    const DWORD cap = DWORD(alpha) << 24;
    return ForEachTexel(texture, [&](DWORD& texel) {
        if ((texel & 0xFF000000u) > cap) texel = (texel & 0x00FFFFFFu) | cap;
    });
}

// Alpha = height, colour = the normal mapped from -1..1 to 1..255.
static DWORD PackNormal(const D3DXVECTOR3& n, float h)
{
    const DWORD a = DWORD(int(h * 255.0f)) & 0xFF;
    const DWORD r = DWORD(int(n.x * 127.0f + 128.0f)) & 0xFF;
    const DWORD g = DWORD(int(n.y * 127.0f + 128.0f)) & 0xFF;
    const DWORD b = DWORD(int(n.z * 127.0f + 128.0f)) & 0xFF;
    return a << 24 | r << 16 | g << 8 | b;
}

HRESULT OXED3DSkinManager::ConvertToNormalMap(TextureRecord* record)
{
    if (!record || !IsA8R8G8B8(record->texture)) return OXE_INVALIDPARAM;
    IDirect3DTexture9* texture = record->texture;
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return OXE_BUFFERLOCK;

    BYTE* base = static_cast<BYTE*>(locked.pBits);
    auto redAt = [&](UINT x, UINT y) {
        const DWORD* row = reinterpret_cast<const DWORD*>(base + size_t(y) * locked.Pitch);
        return float((row[x] >> 16) & 0xFF) / 255.0f;
    };
    // Texels are converted in place row by row; the right and lower neighbours are read while
    // still unconverted. At the last column and row the edge texel stands in for them.
    for (UINT y = 0; y < desc.Height; ++y) {
        const UINT below = y + 1 < desc.Height ? y + 1 : y;
        DWORD* row = reinterpret_cast<DWORD*>(base + size_t(y) * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) {
            const UINT right = x + 1 < desc.Width ? x + 1 : x;
            const float h00 = redAt(x, y), h10 = redAt(right, y), h01 = redAt(x, below);
            D3DXVECTOR3 e1(1.0f, 0.0f, h10 - h00), e2(0.0f, 1.0f, h01 - h00), n;
            D3DXVec3Cross(&n, &e1, &e2);
            D3DXVec3Normalize(&n, &n);
            row[x] = PackNormal(n, h00);
        }
    }
    texture->UnlockRect(0);

    IDirect3DSurface9* surface = nullptr;
    if (SUCCEEDED(texture->GetSurfaceLevel(0, &surface))) {
        D3DXSaveSurfaceToFileA("normal.bmp", D3DXIFF_BMP, surface, nullptr, nullptr);
        surface->Release();
    }
    return OXE_OK;
}

SkinRecord OXED3DSkinManager::GetSkinRecord(UINT skinId)
{
    if (skinId < m_nNumSkins) return m_pSkins[skinId];
    // Unknown id: a skin with no material, no textures and no alpha.
    SkinRecord none;
    none.alpha = false;
    none.material = NoId;
    for (UINT s = 0; s < 8; ++s) none.textures[s] = NoId;
    return none;
}

D3DMATERIAL9 OXED3DSkinManager::GetMaterialRecord(UINT materialId)
{
    if (materialId < m_nNumMaterials) return m_pMaterials[materialId];
    D3DMATERIAL9 none;
    memset(&none, 0, sizeof none); // unknown id: all colours zero, power 0
    return none;
}

const char* OXED3DSkinManager::GetTextureInfo(UINT textureId, float* alpha,
                                              D3DCOLORVALUE* colorKeys, BYTE* keyCount)
{
    if (textureId >= m_nNumTextures) return nullptr;
    const TextureRecord& record = m_pTextures[textureId];
    // The count is reported in a byte: never copy more keys than the caller is told of.
    const UINT reported = record.keyCount > 255 ? 255 : record.keyCount;
    if (alpha) *alpha = record.alpha;
    if (keyCount) *keyCount = BYTE(reported);
    if (record.colorKeys && colorKeys)
        memcpy(colorKeys, record.colorKeys, sizeof(D3DCOLORVALUE) * reported);
    return record.name;
}

UINT OXED3DSkinManager::GetSkinCount() { return m_nNumSkins; }

IDirect3DTexture9* OXED3DSkinManager::GetD3DTexture(UINT textureId) const
{
    return textureId < m_nNumTextures ? m_pTextures[textureId].texture : nullptr;
}

void OXED3DSkinManager::ReleaseAll()
{
    for (UINT i = 0; i < m_nNumTextures; ++i) FreeTextureRecord(m_pTextures[i]);
    free(m_pTextures);
    free(m_pMaterials);
    free(m_pSkins);
    m_pTextures = nullptr;
    m_pMaterials = nullptr;
    m_pSkins = nullptr;
    m_nNumTextures = m_nNumMaterials = m_nNumSkins = 0;
}

void OXED3DSkinManager::WriteStatusReport(const char* fileName, bool detailed)
{
    if (!fileName) return;
    FILE* f = fopen(fileName, "w");
    if (!f) return;
    fprintf(f, "\n\nSKINMANAGER_SITREP: skins: %d, mats: %d, texrs: %d \n", int(m_nNumSkins),
            int(m_nNumMaterials), int(m_nNumTextures));
    if (detailed) {
        fprintf(f, "SKINS { \n");
        for (UINT i = 0; i < m_nNumSkins; ++i) {
            const SkinRecord& s = m_pSkins[i];
            fprintf(f, "   ID: %d { matrl: %d, ", int(i), int(s.material));
            fprintf(f, "textr: [%d,%d,%d,%d,%d,%d,%d,%d] }\n", int(s.textures[0]),
                    int(s.textures[1]), int(s.textures[2]), int(s.textures[3]),
                    int(s.textures[4]), int(s.textures[5]), int(s.textures[6]),
                    int(s.textures[7]));
        }
        fprintf(f, "   } \n");
        fprintf(f, "TEXTURES { \n");
        for (UINT i = 0; i < m_nNumTextures; ++i)
            fprintf(f, "   ID: %d {\"%s\"} \n", int(i), m_pTextures[i].name);
        fprintf(f, "   } \n\n");
        fprintf(f, "MATERIALS { \n");
        for (UINT i = 0; i < m_nNumMaterials; ++i) {
            const D3DMATERIAL9& m = m_pMaterials[i];
            fprintf(f, "   ID: %d\n", int(i));
            fprintf(f, "   Diffuse (%f,%f,%f,%f)\n", m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a);
            fprintf(f, "   Ambient (%f,%f,%f,%f)\n", m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a);
            fprintf(f, "   Emissive (%f,%f,%f,%f)\n", m.Emissive.r, m.Emissive.g, m.Emissive.b,
                    m.Emissive.a);
            fprintf(f, "   Specular (%f,%f,%f,%f) power: %f\n", m.Specular.r, m.Specular.g,
                    m.Specular.b, m.Specular.a, m.Power);
        }
        fprintf(f, "   } \n\n");
    }
    fclose(f);
}
