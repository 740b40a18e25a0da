// The Direct3D 9 vertex cache manager: ten dynamic caches per vertex kind (60 in all) that
// batch geometry by skin, the static buffers and separate index buffers drawn by id, the
// immediate draws from memory, and the skin step that puts a skin in force.
#pragma once
#include "OXEVertexCacheManager.h"
#include "OXESkinManager.h"
#include "OXELog.h"
#include <vector>

class OXERenderDevice;
class OXED3DSkinManager;
class VertexCache;

// Geometry uploaded once and drawn by id.
struct StaticBufferRecord {
    UINT stride;                          // bytes per vertex of its kind
    UINT skinId;                          // skin RenderStaticBuffer draws with
    bool indexed;                         // has its own index buffer
    UINT vertexCount;                     // vertices in the buffer
    UINT indexCount;                      // indices in the buffer; 0 when not indexed
    UINT primitiveCount;                  // indexCount / 3 when indexed, else vertexCount / 3
    DWORD fvf;                            // fixed-function vertex format of its kind
    IDirect3DVertexBuffer9* vertexBuffer; // owned
    IDirect3DIndexBuffer9* indexBuffer;   // owned; null when not indexed
};

// A separate index buffer that a static buffer can be drawn with.
struct IndexBufferRecord {
    UINT indexCount;                      // 16-bit indices in the buffer
    UINT triangleCount;                   // indexCount / 3
    IDirect3DIndexBuffer9* indexBuffer;   // owned
};

class OXED3DVCManager : public OXEVertexCacheManager {
public:
    // Keeps the four references (none owned) and creates the 60 caches with their buffers.
    // The render device is the OXED3D that owns this manager.
    OXED3DVCManager(IDirect3DDevice9* device, OXERenderDevice* renderDevice,
                    OXESkinManager* skinManager, OXELog* log);
    ~OXED3DVCManager() override;

    HRESULT CreateStaticBuffer(UINT kind, UINT skinId, UINT vertexCount, UINT indexCount,
                               const void* vertices, const WORD* indices, UINT* outId) override;
    HRESULT CreateIndexBuffer(UINT indexCount, const WORD* indices, UINT* outId) override;
    HRESULT RenderStaticBufferRange(UINT id, UINT skinId, UINT firstIndex, UINT vertexCount,
                                    UINT primitiveCount) override;
    HRESULT RenderStaticBufferWithIndices(UINT id, UINT indexBufferId, UINT skinId) override;
    HRESULT RenderStaticBuffer(UINT id) override;
    HRESULT RenderDynamic(UINT kind, UINT vertexCount, UINT indexCount, const void* vertices,
                          const WORD* indices, UINT skinId) override;
    HRESULT FlushAll() override;
    HRESULT FlushVertexKind(UINT kind) override;
    HRESULT RenderPositionTriangles(UINT vertexCount, const void* vertices,
                                    bool textured) override;
    HRESULT RenderPoints(UINT kind, UINT vertexCount, const void* vertices,
                         const D3DCOLORVALUE* color) override;
    HRESULT RenderLines(UINT kind, UINT vertexCount, const void* vertices,
                        const D3DCOLORVALUE* color, bool strip) override;
    HRESULT RenderLine(const float* start, const float* end, const D3DCOLORVALUE* color) override;
    void InvalidateStates() override;
    bool QueryTrue() override;

    // Shared with the caches.
    OXERenderDevice* GetRenderDevice() const { return m_pRenderDevice; }
    UINT GetActiveCache() const { return m_nActiveCache; }
    // Sets the active cache id (NoId: the next flush of any cache binds its buffers again) and
    // forgets which separate index buffer is bound: none counts as bound any more.
    void SetActiveCacheAndForgetIndexBuffer(UINT cacheId)
    {
        m_nActiveCache = cacheId;
        m_nActiveIndexBuffer = NoId;
    }
    // A cache bound its buffers to stream 0 and the indices: it is the active cache, and
    // neither a static buffer nor a separate index buffer is bound any more.
    void CacheBound(UINT cacheId)
    {
        m_nActiveCache = cacheId;
        m_nActiveStaticBuffer = NoId;
        m_nActiveIndexBuffer = NoId;
    }
    // Puts a skin in force: material (or wire material), textures and alpha states.
    // disableStage1 also disables stage 1 in the non-solid modes (the static draws do).
    void ApplySkin(const SkinRecord& skin, bool shaders, bool disableStage1);
    // Around a device reset (Direct3D refuses Reset while default-pool buffers live): release
    // every cache, static and index buffer before it, and make them again after it (static
    // and index buffers refilled from the copies kept for this). Batched geometry is dropped.
    // Restore returns 0x82000004 if a buffer could not be made again (that id then draws nothing).
    void ReleaseDeviceObjects();
    HRESULT RestoreDeviceObjects();
    // A cache by kind and slot (tests and tools); null when out of range.
    VertexCache* GetCache(UINT kind, UINT slot) const;

private:
    static const UINT kCachesPerKind = 10;
    static const UINT kMaxBuffers = 65534;

    bool IsKnownSkin(UINT skinId);
    void BindStaticBuffer(UINT id, bool bindOwnIndices);
    void PutSkinInForce(UINT skinId, bool shaders);
    void ApplyStaticFlags();
    void SetImmediateMaterial(const D3DCOLORVALUE& color);
    IDirect3DTexture9* TextureOf(UINT textureId) const;
    void Log(const char* format, ...);

    OXESkinManager* m_pSkinMan;               // materials and skins (not owned)
    IDirect3DDevice9* m_pDevice;              // the Direct3D device (not owned)
    OXERenderDevice* m_pRenderDevice;         // render mode, shader path, current skin (not owned)
    OXELog* m_pLog;                           // the render device's log (not owned)
    StaticBufferRecord* m_pStaticBuffers;     // static buffer list, grown by 50 records
    IndexBufferRecord* m_pIndexBuffers;       // separate index buffer list, grown by 50 records
    UINT m_nNumStaticBuffers;                 // records in m_pStaticBuffers
    UINT m_nNumIndexBuffers;                  // records in m_pIndexBuffers
    VertexCache* m_pCaches[OXE_VERTEX_KIND_COUNT][kCachesPerKind]; // ten caches per kind
    UINT m_nActiveCache;                      // cache id bound to the device, or NoId
    UINT m_nActiveStaticBuffer;               // static buffer id bound to the device, or NoId
    UINT m_nActiveIndexBuffer;                // separate index buffer bound to the device, or NoId
    // Copies of the static data, to fill the buffers again after a device reset.
    std::vector<std::vector<BYTE>> m_StaticVertexCopies; // per static buffer: its vertex bytes
    std::vector<std::vector<WORD>> m_StaticIndexCopies;  // per static buffer: its indices
    std::vector<std::vector<WORD>> m_IndexBufferCopies;  // per separate index buffer: its indices
};
