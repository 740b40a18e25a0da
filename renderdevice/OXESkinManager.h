// The skin manager interface: materials, textures and skins (one material plus up to eight
// textures, one per texture stage) that the vertex cache manager puts in force before it draws.
// The operation order is fixed: every deliverable calls it through this table.
#pragma once
#include <windows.h>
#include <d3d9.h>

// "Nothing" in every id field of the render device library: an empty texture stage, no skin,
// no active buffer. Other headers of the library define it under the same guard.
#ifndef OXE_NOID_DEFINED
#define OXE_NOID_DEFINED
constexpr UINT NoId = 0xFFFF;
#endif

// One texture known to the skin manager. Shared by every skin that names the same file.
struct TextureRecord {
    float alpha;                  // general transparency (the alpha value given below 1.0), else 1.0
    char* name;                   // file name as passed when added (owned); the sharing key
    IDirect3DTexture9* texture;   // the loaded texture, one mip level (owned)
    D3DCOLORVALUE* colorKeys;     // copy of the colour keys given with an alpha texture, or null (owned)
    UINT keyCount;                // number of entries in colorKeys (0 when there are none)
};

// One skin: a material id and a texture id per stage.
struct SkinRecord {
    bool alpha;                   // drawn with alpha testing and blending
    UINT material;                // index into the material list
    UINT textures[8];             // texture id per stage 0..7; NoId for an empty stage
};

class OXESkinManager {
public:
    virtual ~OXESkinManager() {}

    // New skin with a material made of these colours (shared with an equal stored material).
    virtual HRESULT CreateSkin(const D3DCOLORVALUE* ambient, const D3DCOLORVALUE* diffuse,
                               const D3DCOLORVALUE* emissive, const D3DCOLORVALUE* specular,
                               float power, UINT* skinId) = 0;
    // Puts a texture loaded from a 24-bit bitmap (shared by file name) into the next free stage.
    // A new alpha texture turns on the skin's alpha before it is loaded, also when loading fails.
    virtual HRESULT AddTexture(UINT skinId, const char* name, bool alpha, float alphaValue,
                               const D3DCOLORVALUE* colorKeys, UINT keyCount) = 0;
    // Loads a height map, turns it into a normal map and puts it into stage 0.
    virtual HRESULT AddNormalMapTexture(UINT skinId, const char* name) = 0;
    virtual bool IsMaterialEqual(const D3DMATERIAL9* a, const D3DMATERIAL9* b) = 0;
    virtual SkinRecord GetSkinRecord(UINT skinId) = 0;
    virtual D3DMATERIAL9 GetMaterialRecord(UINT materialId) = 0;
    // File name of a texture (null for an unknown id) and, where asked, its alpha and keys.
    virtual const char* GetTextureInfo(UINT textureId, float* alpha, D3DCOLORVALUE* colorKeys,
                                       BYTE* keyCount) = 0;
    virtual UINT GetSkinCount() = 0;
    virtual bool IsColorEqual(const D3DCOLORVALUE* a, const D3DCOLORVALUE* b) = 0;
    // Sets one stage of a skin to a texture (null name: empties the stage); alpha as AddTexture.
    virtual HRESULT ReplaceTexture(UINT skinId, UINT stage, const char* name, bool alpha,
                                   float alphaValue, const D3DCOLORVALUE* colorKeys,
                                   UINT keyCount) = 0;
    virtual HRESULT ReplaceMaterial(UINT skinId, const D3DCOLORVALUE* ambient,
                                    const D3DCOLORVALUE* diffuse, const D3DCOLORVALUE* emissive,
                                    const D3DCOLORVALUE* specular, float power) = 0;
    // Frees every texture, material and skin; the manager is as freshly constructed.
    virtual void ReleaseAll() = 0;
    // Turns the height field in the red channel of an A8R8G8B8 texture into a normal map.
    virtual HRESULT ConvertToNormalMap(TextureRecord* record) = 0;
    // Writes the counts (and, when detailed, every skin, texture and material) to a text file.
    virtual void WriteStatusReport(const char* fileName, bool detailed) = 0;
};
