/// @file
/// The vertex cache manager interface: batches small pieces of geometry per vertex kind and
/// skin into dynamic buffers, keeps static buffers drawn by id, and draws small arrays at once.
/// The operation order is fixed: every deliverable calls it through this table.
#pragma once
#include <windows.h>
#include <d3d9.h>

#ifndef OXE_NOID_DEFINED
#define OXE_NOID_DEFINED
/// "Nothing" in every id field of the render device library (0xFFFF): an empty texture stage,
/// no skin, no active buffer.
constexpr UINT NoId = 0xFFFF;
#endif

/// The six vertex kinds the manager knows. The manager only copies and strides over vertices;
/// these records show the layout callers fill in. With the shader path on, only kinds 1 and 2
/// have a declaration (OXERenderDevice::ActivateVertexShader).
enum OXEVertexKind : UINT {
    OXE_VERTEX_POSITION = 0,    ///< OXEVertexPosition, fixed-function format 0x2
    OXE_VERTEX_UNLIT = 1,       ///< OXEVertexUnlit, 0x112
    OXE_VERTEX_LIT = 2,         ///< OXEVertexLit, 0x142
    OXE_VERTEX_UNLIT_EXTRA = 3, ///< OXEVertexUnlitExtra, 0x112 plus 16 bytes the format does not describe
    OXE_VERTEX_THREE_TEX = 4,   ///< OXEVertexThreeTex, 0x312
    OXE_VERTEX_UVW_EXTRA = 5,   ///< OXEVertexUvwExtra, 0x10112 plus 8 bytes the format does not describe
    OXE_VERTEX_KIND_COUNT = 6   ///< number of kinds
};

/// Vertex kind 0 (OXE_VERTEX_POSITION), 12 bytes: a position only.
struct OXEVertexPosition {
    float x, y, z;           ///< position
};

/// Vertex kind 1 (OXE_VERTEX_UNLIT), 32 bytes: lit by Direct3D (a normal, no colour). The
/// built-in vertex shader draws this kind, coloured by constant c4.
struct OXEVertexUnlit {
    float x, y, z;           ///< position
    float nx, ny, nz;        ///< normal
    float tu, tv;            ///< texture coordinates, set 0
};

/// Vertex kind 2 (OXE_VERTEX_LIT), 24 bytes: carries its own colour. Note: with the shader path
/// on it needs ActivateVertexShader(id, OXE_VERTEX_LIT) and a vertex shader that reads the
/// colour; the built-in one ignores it.
struct OXEVertexLit {
    float x, y, z;           ///< position
    DWORD color;             ///< diffuse colour, packed ARGB
    float tu, tv;            ///< texture coordinates, set 0
};

/// Vertex kind 3 (OXE_VERTEX_UNLIT_EXTRA), 48 bytes: kind 1 and four floats for shaders.
struct OXEVertexUnlitExtra {
    float x, y, z;           ///< position
    float nx, ny, nz;        ///< normal
    float tu, tv;            ///< texture coordinates, set 0
    float extra[4];          ///< caller data for shaders (not described by the vertex format)
};

/// Vertex kind 4 (OXE_VERTEX_THREE_TEX), 48 bytes: a normal and three texture coordinate sets.
struct OXEVertexThreeTex {
    float x, y, z;           ///< position
    float nx, ny, nz;        ///< normal
    float tu0, tv0;          ///< texture coordinates, set 0
    float tu1, tv1;          ///< texture coordinates, set 1
    float tu2, tv2;          ///< texture coordinates, set 2
};

/// Vertex kind 5 (OXE_VERTEX_UVW_EXTRA), 44 bytes: a normal, a 3D texture coordinate and two
/// floats for shaders.
struct OXEVertexUvwExtra {
    float x, y, z;           ///< position
    float nx, ny, nz;        ///< normal
    float tu, tv, tw;        ///< one three-component texture coordinate set
    float extra[2];          ///< caller data for shaders (not described by the vertex format)
};

static_assert(sizeof(OXEVertexPosition) == 12, "kind 0 stride");
static_assert(sizeof(OXEVertexUnlit) == 32, "kind 1 stride");
static_assert(sizeof(OXEVertexLit) == 24, "kind 2 stride");
static_assert(sizeof(OXEVertexUnlitExtra) == 48, "kind 3 stride");
static_assert(sizeof(OXEVertexThreeTex) == 48, "kind 4 stride");
static_assert(sizeof(OXEVertexUvwExtra) == 44, "kind 5 stride");

/// Stride, fixed-function vertex format and lighting (for the immediate draws) of each kind.
struct OXEVertexKindInfo {
    UINT stride;  ///< bytes per vertex
    DWORD fvf;    ///< vertex format used when the shader path is off
    bool lit;     ///< Direct3D lighting on when drawn by the immediate operations
};
/// The stride, format and lighting of a vertex kind (kind 0's for a kind above 5).
inline const OXEVertexKindInfo& OXEGetVertexKindInfo(UINT kind)
{
    static const OXEVertexKindInfo kinds[OXE_VERTEX_KIND_COUNT] = {
        {12, 0x002, false}, {32, 0x112, true}, {24, 0x142, false},
        {48, 0x112, true},  {48, 0x312, true}, {44, 0x10112, true}};
    return kinds[kind < OXE_VERTEX_KIND_COUNT ? kind : 0];
}

/// The vertex cache manager: sixty dynamic caches (ten per vertex kind, 3000 vertices and 4500
/// indices each) that batch geometry by kind and skin, static buffers and separate index buffers
/// drawn by id, and immediate draws from memory.
///
/// Life cycle: the render device makes one in Init (oneTimeInit), with all caches, hands it out
/// borrowed through GetVertexCacheManager and deletes it in Release with every buffer. Its
/// buffers live in the default pool: the render device's ResetDevice lets them go and makes them
/// again (static and index buffers with their contents; the caches empty, so geometry batched and
/// not drawn before a loss is lost).
///
/// It remembers what it bound to stream 0 and the indices and which skin it put in force (the
/// render device's current skin), and skips binding them again. Note: the parts that draw on the
/// Direct3D device directly (quads, the grid, particle systems, meshes) bind stream 0 and indices
/// without telling it: call InvalidateStates after them, before a static buffer or a cache of the
/// manager is drawn.
class OXEVertexCacheManager {
public:
    /// Releases every buffer (the render device deletes its manager in Release).
    virtual ~OXEVertexCacheManager() {}

    /// Uploads static geometry once into write-only default-pool buffers, drawn later by id (0, 1,
    /// ... in creation order; the id goes to *outId): vertexCount vertices of a kind (0..5), and
    /// indexCount 16-bit indices below vertexCount (0: no index buffer); skinId is the skin
    /// RenderStaticBuffer draws with. The data is copied (the manager keeps a copy to make the
    /// buffers again after a reset). Returns OXE_OK, OXE_INVALIDID (kind above 5), OXE_INVALIDPARAM
    /// (null pointer, an index out of range, counts whose bytes do not fit a 32-bit buffer size),
    /// OXE_OUTOFMEMORY (65,534 buffers, or no memory), OXE_CREATEBUFFER or OXE_BUFFERLOCK.
    /// Note: counts beyond one draw of the device are taken; such a buffer's whole draws are not
    /// made (OXE_FAIL), its ranges within the limit are.
    virtual HRESULT CreateStaticBuffer(UINT kind, UINT skinId, UINT vertexCount, UINT indexCount,
                                       const void* vertices, const WORD* indices, UINT* outId) = 0;
    /// Uploads indexCount 16-bit indices into a separate index buffer that
    /// RenderStaticBufferWithIndices draws a static buffer with; its id goes to *outId. The
    /// indices are copied (kept to make the buffer again after a reset). Returns OXE_OK,
    /// OXE_INVALIDPARAM (null outId, null indices with a count, a count whose bytes do not fit
    /// a 32-bit buffer size), OXE_OUTOFMEMORY (65,534 buffers, or no memory), OXE_CREATEBUFFER
    /// (also for no indices: no buffer of 0 indices is made) or OXE_BUFFERLOCK.
    virtual HRESULT CreateIndexBuffer(UINT indexCount, const WORD* indices, UINT* outId) = 0;
    /// Draws part of an indexed static buffer at once with skin skinId: primitiveCount primitives
    /// from index firstIndex over its first vertexCount vertices (triangles; lines in
    /// OXE_RENDER_LINES, strip segments in OXE_RENDER_LINESTRIP; vertexCount points in
    /// OXE_RENDER_POINTS). Returns Direct3D's draw result, OXE_INVALIDPARAM (unknown id, a range
    /// beyond the buffer), OXE_INVALIDID (unknown skin) or OXE_FAIL (the buffer has no indices,
    /// or more primitives than the device takes in one draw: nothing is drawn; its binding and
    /// skin are already set). Binding and skin as RenderStaticBuffer.
    virtual HRESULT RenderStaticBufferRange(UINT id, UINT skinId, UINT firstIndex,
                                            UINT vertexCount, UINT primitiveCount) = 0;
    /// Draws a whole static buffer at once with a separate index buffer (its own indices are not
    /// used) and skin skinId, by render mode as RenderStaticBuffer. Returns Direct3D's draw result,
    /// OXE_INVALIDPARAM (an unknown id, or an index beyond the buffer's vertices), OXE_INVALIDID
    /// (unknown skin) or OXE_FAIL (more primitives than the device takes in one draw: nothing is
    /// drawn).
    virtual HRESULT RenderStaticBufferWithIndices(UINT id, UINT indexBufferId, UINT skinId) = 0;
    /// Draws a whole static buffer at once with its own skin and indices: triangles (solid and
    /// wireframe modes), a line list (OXE_RENDER_LINES), a line strip (OXE_RENDER_LINESTRIP) or
    /// every vertex as a point (OXE_RENDER_POINTS). Stream 0, the indices and the skin are set
    /// only when they differ from what the manager last put in force; with the shader path off,
    /// the kind's vertex format too. Returns Direct3D's draw result, OXE_INVALIDPARAM (unknown id),
    /// OXE_INVALIDID (unknown skin) or OXE_FAIL (more primitives than the device takes in one
    /// draw: nothing is drawn). Note: geometry still batched by RenderDynamic is drawn
    /// later, at its flush. Note: after a part drew on the Direct3D device directly, call
    /// InvalidateStates first (see the class text).
    virtual HRESULT RenderStaticBuffer(UINT id) = 0;
    /// Batches vertexCount vertices of a kind (0..5) with skin skinId into a cache of that kind and
    /// skin, with indexCount 16-bit indices relative to these vertices (null indices: one per
    /// vertex). The data is copied at once. The batch is drawn when its cache is full, when the
    /// cache is taken for an eleventh skin of the kind, at FlushAll or FlushVertexKind, and when
    /// the render device changes a state (SetWorldMatrix, SetRenderMode, SetCullMode,
    /// SetDepthMode, SetAmbientColor, ActivateVertexShader, ActivatePixelShader flush first).
    /// Returns OXE_OK, OXE_INVALIDID (kind above 5, unknown skin), OXE_BUFFERSIZE (more than 3000
    /// vertices or 4500 indices in one call), OXE_INVALIDPARAM (null vertices, an index not below
    /// vertexCount), OXE_FAIL (a flush on the way failed) or OXE_BUFFERLOCK (the cache has no
    /// buffers). Note: states set on the Direct3D device directly (a shader constant, a texture)
    /// apply to the batch when it is drawn: call FlushAll before them. Note: with the shader path
    /// on no declaration is set: OXE_VERTEX_LIT needs ActivateVertexShader(id, OXE_VERTEX_LIT)
    /// before its batch is drawn. Note: EndFrame does not flush.
    virtual HRESULT RenderDynamic(UINT kind, UINT vertexCount, UINT indexCount,
                                  const void* vertices, const WORD* indices, UINT skinId) = 0;
    /// Draws every cache holding geometry, kind by kind: each binds its buffers and puts its skin
    /// in force when they are not already, and draws by render mode. Returns OXE_OK, or OXE_FAIL
    /// when a draw failed (that batch is kept; the others are still drawn). Call it before
    /// EndFrame.
    virtual HRESULT FlushAll() = 0;
    /// As FlushAll for the caches of one kind. Returns OXE_OK, OXE_FAIL, or OXE_INVALIDID for a
    /// kind above 5.
    virtual HRESULT FlushVertexKind(UINT kind) = 0;
    /// Draws vertexCount / 3 triangles of OXEVertexPosition vertices from memory at once, with
    /// the skin manager's third texture (texture id 2) when textured and it exists, else none;
    /// forgets the manager's states first. Returns Direct3D's draw result, or OXE_INVALIDPARAM
    /// (null, more than one draw takes). Note: the EnableShaders(false) it calls never acts, so
    /// the active vertex shader still draws on the shader path; its position-only vertex format
    /// replaces the declaration in force (ActivateVertexShader before the manager draws again).
    virtual HRESULT RenderPositionTriangles(UINT vertexCount, const void* vertices,
                                            bool textured) = 0;
    /// Draws vertexCount points of a kind from memory at once with a material of the colour
    /// (diffuse and ambient), no texture, Direct3D lighting on for kinds 1, 3, 4 and 5 and off for
    /// 0 and 2 (on again afterwards); forgets the manager's states first. On the shader path it
    /// activates vertex shader 0 with the kind's declaration and pixel shader 0 (silently
    /// refused when they cannot be); no vertex format is set. Returns OXE_OK, OXE_INVALIDPARAM
    /// (null colour or vertices, too many), OXE_INVALIDID (kind above 5) or OXE_FAIL (the draw
    /// failed). Note: the built-in vertex shader stays active with the kind's declaration.
    virtual HRESULT RenderPoints(UINT kind, UINT vertexCount, const void* vertices,
                                 const D3DCOLORVALUE* color) = 0;
    /// Draws lines of a kind from memory at once: vertexCount / 2 lines, or with strip a strip of
    /// vertexCount - 1 segments; a material of the colour when given (null keeps the material),
    /// no texture, stage 1 off, alpha test and blending off, lighting per kind as RenderPoints.
    /// On the shader path vertex shader 0 with the kind's declaration and pixel shader 0,
    /// otherwise the kind's vertex format. Returns as RenderPoints. Note: alpha blending stays
    /// off and the built-in vertex shader stays active with the kind's declaration.
    virtual HRESULT RenderLines(UINT kind, UINT vertexCount, const void* vertices,
                                const D3DCOLORVALUE* color, bool strip) = 0;
    /// Draws one line from start to end (three floats each, world coordinates) at once in a
    /// colour, through the fixed-function pipeline with lighting; draws what is batched and
    /// forgets the manager's states first. Returns OXE_OK, OXE_INVALIDPARAM (null pointer) or
    /// OXE_FAIL. Note: it clears the vertex shader on the Direct3D device while the render device
    /// keeps its shader path on, and leaves kind 2's vertex format in force: call
    /// ActivateVertexShader(0, OXE_VERTEX_UNLIT) (or your own shader) before the manager draws
    /// again.
    virtual HRESULT RenderLine(const float* start, const float* end,
                               const D3DCOLORVALUE* color) = 0;
    /// Forgets the tracked bindings (cache, static buffer, index buffer) and the current skin
    /// (the render device's SetCurrentSkin(NoId)), so the next draw sets them again. Call it
    /// after binding stream 0, indices, textures or a material on the Direct3D device yourself,
    /// or after a part that does.
    virtual void InvalidateStates() = 0;
    /// Always true.
    virtual bool QueryTrue() = 0;
};
