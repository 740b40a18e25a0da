// One dynamic vertex/index buffer pair of the vertex cache manager: geometry of one vertex kind
// and one skin accumulates here until the cache is flushed as one draw call.
#pragma once
#include "OXESkinManager.h"
#include "OXELog.h"
#include <memory>

class OXED3DVCManager;

class VertexCache {
public:
    static const UINT kVertexCapacity = 3000;
    static const UINT kIndexCapacity = 4500;

    // Creates the buffers for 3000 vertices of the given stride and 4500 16-bit indices in the
    // default pool; a buffer that cannot be created stays null and every append then fails.
    VertexCache(IDirect3DDevice9* device, OXESkinManager* skinManager, OXED3DVCManager* owner,
                UINT cacheId, UINT stride, DWORD fvf, OXELog* log);
    ~VertexCache();
    VertexCache(const VertexCache&) = delete;
    VertexCache& operator=(const VertexCache&) = delete;

    // Adds vertices and indices (null indices: 0..vertexCount-1), flushing first when they
    // would not fit. Indices are shifted by the vertices already batched.
    HRESULT AppendGeometry(UINT vertexCount, UINT indexCount, const void* vertices,
                           const WORD* indices, bool shaders);
    // Writes the batch into the buffers, draws it (binding the buffers and the skin when
    // needed) and empties the cache.
    HRESULT FlushCache(bool shaders);
    // Takes over a skin: flushes what is batched under the old one first (a failing flush
    // leaves the cache as it was and returns 0x82000001).
    HRESULT SetSkin(UINT skinId, bool shaders);

    // Around a device reset: the default-pool buffers must go before it (the batch is dropped)
    // and be made again after it. CreateBuffers returns false when a buffer could not be made.
    void ReleaseBuffers();
    bool CreateBuffers();

    bool IsEmpty() const { return m_nNumVertices == 0; }
    UINT GetSkinId() const { return m_nSkinId; }
    UINT GetCacheId() const { return m_nCacheId; }
    UINT GetVertexCount() const { return m_nNumVertices; }
    UINT GetIndexCount() const { return m_nNumIndices; }

private:
    // The batch into the free part of the buffers, or from their start when it does not fit
    // there any more; false when a buffer cannot be locked.
    bool UploadBatch();

    IDirect3DVertexBuffer9* m_pVB;     // 3000 x stride bytes, dynamic write-only (owned)
    IDirect3DIndexBuffer9* m_pIB;      // 4500 16-bit indices, dynamic write-only (owned)
    IDirect3DDevice9* m_pDevice;       // not owned
    OXESkinManager* m_pSkinMan;        // not owned
    OXED3DVCManager* m_pOwner;         // manager whose active-cache id this cache updates
    SkinRecord m_Skin;                 // copy of the skin the batch uses; all bytes 0xFF at start
    UINT m_nSkinId;                    // id of that skin; NoId at start
    UINT m_nCacheId;                   // 1..60, unique
    DWORD m_dwFVF;                     // fixed-function vertex format of the kind
    OXELog* m_pLog;                    // the render device's log (not owned)
    UINT m_nMaxVertices;               // 3000
    UINT m_nMaxIndices;                // 4500
    UINT m_nNumVertices;               // vertices batched since the last flush
    UINT m_nNumIndices;                // indices batched since the last flush
    UINT m_nStride;                    // bytes per vertex
    UINT m_nFreeVertex;                // first vertex of the buffer no batch has been written to
    UINT m_nFreeIndex;                 // first index of the buffer no batch has been written to
    UINT m_nBatchVertex;               // where the batch being drawn starts in the vertex buffer
    UINT m_nBatchIndex;                // where its indices start in the index buffer
    // The batch as it grows, in memory: appends copy here, and a flush writes it into the free
    // part of the buffers with one lock each (a lock per append costs more than the draw).
    // Made on the first append, 3000 x stride bytes and 4500 indices.
    std::unique_ptr<BYTE[]> m_pBatchVertices;
    std::unique_ptr<WORD[]> m_pBatchIndices;
};
