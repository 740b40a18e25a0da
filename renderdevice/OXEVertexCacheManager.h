// The vertex cache manager interface: batches small pieces of geometry per vertex kind and
// skin into dynamic buffers, keeps static buffers drawn by id, and draws small arrays at once.
// The operation order is fixed: every deliverable calls it through this table.
#pragma once
#include <windows.h>
#include <d3d9.h>

#ifndef OXE_NOID_DEFINED
#define OXE_NOID_DEFINED
constexpr UINT NoId = 0xFFFF;
#endif

// The six vertex kinds the manager knows. The manager only copies and strides over vertices;
// these records show the layout callers fill in.
enum OXEVertexKind : UINT {
    OXE_VERTEX_POSITION = 0,    // OXEVertexPosition, fixed-function format 0x2
    OXE_VERTEX_UNLIT = 1,       // OXEVertexUnlit, 0x112
    OXE_VERTEX_LIT = 2,         // OXEVertexLit, 0x142
    OXE_VERTEX_UNLIT_EXTRA = 3, // OXEVertexUnlitExtra, 0x112 plus 16 bytes the format does not describe
    OXE_VERTEX_THREE_TEX = 4,   // OXEVertexThreeTex, 0x312
    OXE_VERTEX_UVW_EXTRA = 5,   // OXEVertexUvwExtra, 0x10112 plus 8 bytes the format does not describe
    OXE_VERTEX_KIND_COUNT = 6
};

struct OXEVertexPosition {   // kind 0, 12 bytes
    float x, y, z;           // position
};

struct OXEVertexUnlit {      // kind 1, 32 bytes: lit by Direct3D
    float x, y, z;           // position
    float nx, ny, nz;        // normal
    float tu, tv;            // texture coordinates, set 0
};

struct OXEVertexLit {        // kind 2, 24 bytes: carries its own colour
    float x, y, z;           // position
    DWORD color;             // diffuse colour, packed ARGB
    float tu, tv;            // texture coordinates, set 0
};

struct OXEVertexUnlitExtra { // kind 3, 48 bytes
    float x, y, z;           // position
    float nx, ny, nz;        // normal
    float tu, tv;            // texture coordinates, set 0
    float extra[4];          // caller data for shaders (not described by the vertex format)
};

struct OXEVertexThreeTex {   // kind 4, 48 bytes
    float x, y, z;           // position
    float nx, ny, nz;        // normal
    float tu0, tv0;          // texture coordinates, set 0
    float tu1, tv1;          // texture coordinates, set 1
    float tu2, tv2;          // texture coordinates, set 2
};

struct OXEVertexUvwExtra {   // kind 5, 44 bytes
    float x, y, z;           // position
    float nx, ny, nz;        // normal
    float tu, tv, tw;        // one three-component texture coordinate set
    float extra[2];          // caller data for shaders (not described by the vertex format)
};

static_assert(sizeof(OXEVertexPosition) == 12, "kind 0 stride");
static_assert(sizeof(OXEVertexUnlit) == 32, "kind 1 stride");
static_assert(sizeof(OXEVertexLit) == 24, "kind 2 stride");
static_assert(sizeof(OXEVertexUnlitExtra) == 48, "kind 3 stride");
static_assert(sizeof(OXEVertexThreeTex) == 48, "kind 4 stride");
static_assert(sizeof(OXEVertexUvwExtra) == 44, "kind 5 stride");

// Stride, fixed-function vertex format and lighting (for the immediate draws) of each kind.
struct OXEVertexKindInfo {
    UINT stride;  // bytes per vertex
    DWORD fvf;    // vertex format used when the shader path is off
    bool lit;     // Direct3D lighting on when drawn by the immediate operations
};
inline const OXEVertexKindInfo& OXEGetVertexKindInfo(UINT kind)
{
    static const OXEVertexKindInfo kinds[OXE_VERTEX_KIND_COUNT] = {
        {12, 0x002, false}, {32, 0x112, true}, {24, 0x142, false},
        {48, 0x112, true},  {48, 0x312, true}, {44, 0x10112, true}};
    return kinds[kind < OXE_VERTEX_KIND_COUNT ? kind : 0];
}

class OXEVertexCacheManager {
public:
    virtual ~OXEVertexCacheManager() {}

    // Static geometry uploaded once; drawn by id. indexCount 0: no index buffer.
    virtual HRESULT CreateStaticBuffer(UINT kind, UINT skinId, UINT vertexCount, UINT indexCount,
                                       const void* vertices, const WORD* indices, UINT* outId) = 0;
    // A separate index buffer that RenderStaticBufferWithIndices can draw a static buffer with.
    // No buffer of 0 indices can be made: 0x82000004.
    virtual HRESULT CreateIndexBuffer(UINT indexCount, const WORD* indices, UINT* outId) = 0;
    // The static draws: a draw of more primitives than the device takes in one call is not
    // made and returns 0x82000001.
    virtual HRESULT RenderStaticBufferRange(UINT id, UINT skinId, UINT firstIndex,
                                            UINT vertexCount, UINT primitiveCount) = 0;
    virtual HRESULT RenderStaticBufferWithIndices(UINT id, UINT indexBufferId, UINT skinId) = 0;
    virtual HRESULT RenderStaticBuffer(UINT id) = 0;
    // Batches geometry of one kind and skin; drawn when its cache fills, its skin must change,
    // or at FlushAll. Null indices: one index per vertex.
    virtual HRESULT RenderDynamic(UINT kind, UINT vertexCount, UINT indexCount,
                                  const void* vertices, const WORD* indices, UINT skinId) = 0;
    virtual HRESULT FlushAll() = 0;
    virtual HRESULT FlushVertexKind(UINT kind) = 0;
    // Immediate draws from memory, without batching.
    virtual HRESULT RenderPositionTriangles(UINT vertexCount, const void* vertices,
                                            bool textured) = 0;
    virtual HRESULT RenderPoints(UINT kind, UINT vertexCount, const void* vertices,
                                 const D3DCOLORVALUE* color) = 0;
    virtual HRESULT RenderLines(UINT kind, UINT vertexCount, const void* vertices,
                                const D3DCOLORVALUE* color, bool strip) = 0;
    virtual HRESULT RenderLine(const float* start, const float* end,
                               const D3DCOLORVALUE* color) = 0;
    // Forgets the tracked bindings and the current skin, so the next draw sets them again.
    virtual void InvalidateStates() = 0;
    virtual bool QueryTrue() = 0;
};
