/// @file
/// The skin manager interface: materials, textures and skins (one material plus up to eight
/// textures, one per texture stage) that the vertex cache manager puts in force before it draws.
/// The operation order is fixed: every deliverable calls it through this table.
#pragma once
#include <windows.h>
#include <d3d9.h>

// "Nothing" in every id field of the render device library: an empty texture stage, no skin,
// no active buffer. Other headers of the library define it under the same guard.
#ifndef OXE_NOID_DEFINED
#define OXE_NOID_DEFINED
/// "Nothing" in every id field of the render device library (0xFFFF): an empty texture stage,
/// no skin, no active buffer.
constexpr UINT NoId = 0xFFFF;
#endif

/// One texture known to the skin manager. Shared by every skin that names the same file.
struct TextureRecord {
    float alpha;                  ///< general transparency (the alpha value given below 1.0), else 1.0
    char* name;                   ///< file name as passed when added (owned); the sharing key
    IDirect3DTexture9* texture;   ///< the loaded texture, one mip level (owned)
    D3DCOLORVALUE* colorKeys;     ///< copy of the colour keys given with an alpha texture, or null (owned)
    UINT keyCount;                ///< number of entries in colorKeys (0 when there are none)
};

/// One skin: a material id and a texture id per stage.
struct SkinRecord {
    bool alpha;                   ///< drawn with alpha testing and blending
    UINT material;                ///< index into the material list
    UINT textures[8];             ///< texture id per stage 0..7; NoId for an empty stage
};

/// The skin manager: materials, textures loaded from 24-bit bitmaps, and skins that combine one
/// material with up to eight textures; ids are list positions from 0 and never change.
///
/// Life cycle: the render device makes one in Init (oneTimeInit), hands it out borrowed through
/// GetSkinManager and deletes it in Release, with every texture (ReleaseAll empties it earlier).
/// Its textures live in the managed pool: they survive a device reset.
class OXESkinManager {
public:
    /// Releases every texture (the render device deletes its manager in Release).
    virtual ~OXESkinManager() {}

    /// Makes a skin whose material has these colours and specular power, sharing an equal stored
    /// material (compared exactly); no textures, no alpha. The new id goes to *skinId. Returns
    /// OXE_OK, OXE_INVALIDPARAM for a null pointer, or OXE_OUTOFMEMORY when a list cannot grow.
    virtual HRESULT CreateSkin(const D3DCOLORVALUE* ambient, const D3DCOLORVALUE* diffuse,
                               const D3DCOLORVALUE* emissive, const D3DCOLORVALUE* specular,
                               float power, UINT* skinId) = 0;
    /// Puts a texture loaded from a 24-bit bitmap file into the skin's first empty stage. A file
    /// name already loaded (byte for byte) shares that texture and changes nothing else. With
    /// alpha the texture is A8R8G8B8 (opaque), the skin is drawn with alpha test and blending,
    /// each colour key (up to 255; channels 0..1) makes matching texels take its alpha (0: fully
    /// transparent and black), and alphaValue below 1 caps every texel's alpha. Returns OXE_OK,
    /// OXE_INVALIDID (unknown skin), OXE_BUFFERSIZE (all eight stages taken), OXE_INVALIDPARAM
    /// (null name, more than 255 keys), OXE_FILENOTFOUND (missing, or not a whole bitmap file),
    /// OXE_INVALIDFILE (not 24 bits per pixel), OXE_FAIL (no texture made), OXE_BUFFERLOCK or
    /// OXE_OUTOFMEMORY; a failure adds no texture. Note: without alpha the texture is R5G6B5 (5 and 6 bits a channel).
    /// Note: a new file with alpha turns on the skin's alpha before it is loaded, so the skin
    /// keeps its alpha also when the loading fails.
    /// Note: rows are copied in the order they are stored, not flipped: an ordinary bottom-up
    /// bitmap becomes a texture whose row 0 is the picture's bottom (v = 1 at the picture's top);
    /// a top-down bitmap (negative height) loads upright.
    virtual HRESULT AddTexture(UINT skinId, const char* name, bool alpha, float alphaValue,
                               const D3DCOLORVALUE* colorKeys, UINT keyCount) = 0;
    /// Loads a 24-bit height map (its red channel), turns it into a normal map (A8R8G8B8: alpha
    /// the height, colour the normal) and puts it into stage 0 of the skin, replacing what was
    /// there; a name already loaded is shared as it is. The skin's alpha flag is not touched.
    /// Returns as AddTexture (OXE_INVALIDID, OXE_BUFFERSIZE when stage 7 is taken, ...), logging
    /// its failures. Note: each conversion also writes the map as "normal.bmp" in the working
    /// folder.
    virtual HRESULT AddNormalMapTexture(UINT skinId, const char* name) = 0;
    /// True when the four colours and the power of two materials are exactly equal; false for a
    /// null pointer.
    virtual bool IsMaterialEqual(const D3DMATERIAL9* a, const D3DMATERIAL9* b) = 0;
    /// A copy of a skin's record; for an unknown id a skin with material NoId, no textures and
    /// no alpha.
    virtual SkinRecord GetSkinRecord(UINT skinId) = 0;
    /// A copy of a stored material; all zero for an unknown id.
    virtual D3DMATERIAL9 GetMaterialRecord(UINT materialId) = 0;
    /// File name of a texture (borrowed: the manager's copy; null for an unknown id) and, where
    /// pointers are given, its alpha, its key count (in a byte) and its colour keys (copied into
    /// colorKeys, which must hold that many).
    virtual const char* GetTextureInfo(UINT textureId, float* alpha, D3DCOLORVALUE* colorKeys,
                                       BYTE* keyCount) = 0;
    /// Number of skins.
    virtual UINT GetSkinCount() = 0;
    /// True when two colours are exactly equal in all four channels; false for a null pointer.
    virtual bool IsColorEqual(const D3DCOLORVALUE* a, const D3DCOLORVALUE* b) = 0;
    /// Sets stage 0..7 of a skin to a texture as AddTexture loads or shares it (the skin's alpha
    /// too, also when the loading fails); a null name empties the stage. Returns as AddTexture,
    /// with OXE_BUFFERSIZE for a stage above 7.
    virtual HRESULT ReplaceTexture(UINT skinId, UINT stage, const char* name, bool alpha,
                                   float alphaValue, const D3DCOLORVALUE* colorKeys,
                                   UINT keyCount) = 0;
    /// Gives a skin a material of these colours and power (shared with an equal stored one;
    /// stored materials never change). Returns OXE_OK, OXE_INVALIDID, OXE_INVALIDPARAM for a null
    /// colour, or OXE_OUTOFMEMORY.
    virtual HRESULT ReplaceMaterial(UINT skinId, const D3DCOLORVALUE* ambient,
                                    const D3DCOLORVALUE* diffuse, const D3DCOLORVALUE* emissive,
                                    const D3DCOLORVALUE* specular, float power) = 0;
    /// Frees every texture, material and skin; the manager is as freshly constructed and the ids
    /// handed out before mean nothing (skin ids start at 0 again).
    virtual void ReleaseAll() = 0;
    /// Turns the height field in the red channel of an A8R8G8B8 texture into a normal map, in
    /// place, and saves it as "normal.bmp". Returns OXE_OK, OXE_INVALIDPARAM (null, or not
    /// A8R8G8B8) or OXE_BUFFERLOCK.
    virtual HRESULT ConvertToNormalMap(TextureRecord* record) = 0;
    /// Writes the counts (and, when detailed, every skin, texture and material) to a text file,
    /// truncating it; nothing when it cannot be opened.
    virtual void WriteStatusReport(const char* fileName, bool detailed) = 0;
};
