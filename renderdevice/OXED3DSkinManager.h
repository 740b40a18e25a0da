// The Direct3D 9 skin manager: three lists grown in steps of 50 records (materials, textures,
// skins), textures loaded from 24-bit bitmaps into the managed pool, colour keys, alpha caps,
// normal maps, and a listing of everything held. Ids are list indices and never change until
// ReleaseAll empties the lists.
#pragma once
#include "OXESkinManager.h"
#include "OXELog.h"

class OXED3DSkinManager : public OXESkinManager {
public:
    // Keeps the device (textures are created on it) and the render device's log (not owned).
    OXED3DSkinManager(IDirect3DDevice9* device, OXELog* log);
    ~OXED3DSkinManager() override;

    HRESULT CreateSkin(const D3DCOLORVALUE* ambient, const D3DCOLORVALUE* diffuse,
                       const D3DCOLORVALUE* emissive, const D3DCOLORVALUE* specular, float power,
                       UINT* skinId) override;
    HRESULT AddTexture(UINT skinId, const char* name, bool alpha, float alphaValue,
                       const D3DCOLORVALUE* colorKeys, UINT keyCount) override;
    HRESULT AddNormalMapTexture(UINT skinId, const char* name) override;
    bool IsMaterialEqual(const D3DMATERIAL9* a, const D3DMATERIAL9* b) override;
    SkinRecord GetSkinRecord(UINT skinId) override;
    D3DMATERIAL9 GetMaterialRecord(UINT materialId) override;
    const char* GetTextureInfo(UINT textureId, float* alpha, D3DCOLORVALUE* colorKeys,
                               BYTE* keyCount) override;
    UINT GetSkinCount() override;
    bool IsColorEqual(const D3DCOLORVALUE* a, const D3DCOLORVALUE* b) override;
    HRESULT ReplaceTexture(UINT skinId, UINT stage, const char* name, bool alpha,
                           float alphaValue, const D3DCOLORVALUE* colorKeys,
                           UINT keyCount) override;
    HRESULT ReplaceMaterial(UINT skinId, const D3DCOLORVALUE* ambient,
                            const D3DCOLORVALUE* diffuse, const D3DCOLORVALUE* emissive,
                            const D3DCOLORVALUE* specular, float power) override;
    void ReleaseAll() override;
    HRESULT ConvertToNormalMap(TextureRecord* record) override;
    void WriteStatusReport(const char* fileName, bool detailed) override;

    // Direct reads for the vertex cache manager (same library, not part of the interface).
    UINT GetMaterialCount() const { return m_nNumMaterials; }
    UINT GetTextureCount() const { return m_nNumTextures; }
    // The Direct3D texture of a texture id; null for an unknown id.
    IDirect3DTexture9* GetD3DTexture(UINT textureId) const;

private:
    HRESULT LoadNewTexture(TextureRecord& record, const char* name, bool alpha, float alphaValue,
                           const D3DCOLORVALUE* colorKeys, UINT keyCount, bool* skinAlpha);
    HRESULT CreateTexture(TextureRecord* record, bool alpha);
    HRESULT ApplyColorKey(IDirect3DTexture9* texture, BYTE r, BYTE g, BYTE b, BYTE a);
    HRESULT LimitAlpha(IDirect3DTexture9* texture, BYTE alpha);
    HRESULT StoreMaterial(const D3DMATERIAL9& material, UINT* materialId);
    UINT FindTexture(const char* name) const;
    bool GrowMaterials();
    bool GrowTextures();
    bool GrowSkins();
    void Log(const char* format, ...);

    UINT m_nNumSkins;               // skins in m_pSkins
    UINT m_nNumMaterials;           // materials in m_pMaterials
    UINT m_nNumTextures;            // textures in m_pTextures
    D3DMATERIAL9* m_pMaterials;     // material list, grown in place by 50 records
    TextureRecord* m_pTextures;     // texture list, grown in place by 50 records
    SkinRecord* m_pSkins;           // skin list, grown in place by 50 records
    IDirect3DDevice9* m_pDevice;    // device the textures are created on (not owned)
    OXELog* m_pLog;                 // the render device's log (not owned)
};
