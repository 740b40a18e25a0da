#include "VertexCache.h"
#include "OXED3DVCManager.h"
#include "OXERenderDevice.h"
#include "OXEResult.h"
#include <cstring>
#include <new>

VertexCache::VertexCache(IDirect3DDevice9* device, OXESkinManager* skinManager,
                         OXED3DVCManager* owner, UINT cacheId, UINT stride, DWORD fvf, OXELog* log)
    : m_pVB(nullptr), m_pIB(nullptr), m_pDevice(device), m_pSkinMan(skinManager), m_pOwner(owner),
      m_nSkinId(NoId), m_nCacheId(cacheId), m_dwFVF(fvf), m_pLog(log),
      m_nMaxVertices(kVertexCapacity), m_nMaxIndices(kIndexCapacity), m_nNumVertices(0),
      m_nNumIndices(0), m_nStride(stride), m_nFreeVertex(0), m_nFreeIndex(0), m_nBatchVertex(0),
      m_nBatchIndex(0)
{
    memset(&m_Skin, 0xFF, sizeof m_Skin);
    CreateBuffers();
}

VertexCache::~VertexCache() { ReleaseBuffers(); }

bool VertexCache::CreateBuffers()
{
    if (!m_pDevice) return false;
    if (!m_pVB && FAILED(m_pDevice->CreateVertexBuffer(m_nMaxVertices * m_nStride,
                                                       D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                                       D3DPOOL_DEFAULT, &m_pVB, nullptr)))
        m_pVB = nullptr;
    if (!m_pIB && FAILED(m_pDevice->CreateIndexBuffer(m_nMaxIndices * sizeof(WORD),
                                                      D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                                      D3DFMT_INDEX16, D3DPOOL_DEFAULT, &m_pIB,
                                                      nullptr)))
        m_pIB = nullptr;
    m_nFreeVertex = 0; // new buffers: nothing written, nothing in use
    m_nFreeIndex = 0;
    return m_pVB && m_pIB;
}

void VertexCache::ReleaseBuffers()
{
    if (m_pVB) m_pVB->Release();
    if (m_pIB) m_pIB->Release();
    m_pVB = nullptr;
    m_pIB = nullptr;
    m_nNumVertices = 0;
    m_nNumIndices = 0;
}

HRESULT VertexCache::SetSkin(UINT skinId, bool shaders)
{
    const SkinRecord skin = m_pSkinMan->GetSkinRecord(skinId);
    // The old batch must be drawn under the old skin; if it cannot be, the cache keeps both.
    if (!IsEmpty() && FAILED(FlushCache(shaders))) return OXE_FAIL;
    m_Skin = skin;
    m_nSkinId = skinId;
    m_pOwner->SetActiveCacheAndForgetIndexBuffer(NoId); // the new skin must be put in force again
    return OXE_OK;
}

HRESULT VertexCache::AppendGeometry(UINT vertexCount, UINT indexCount, const void* vertices,
                                    const WORD* indices, bool shaders)
{
    const UINT n = indices ? indexCount : vertexCount;
    if (vertexCount > m_nMaxVertices || n > m_nMaxIndices) return OXE_BUFFERSIZE;
    if (vertexCount == 0) return OXE_OK; // nothing to batch
    if (!vertices) return OXE_INVALIDPARAM;
    // An index outside the new vertices would reach geometry of other batches, or none.
    for (UINT i = 0; indices && i < n; ++i)
        if (indices[i] >= vertexCount) return OXE_INVALIDPARAM;

    if (m_nNumVertices + vertexCount > m_nMaxVertices || m_nNumIndices + n > m_nMaxIndices) {
        if (FAILED(FlushCache(shaders))) return OXE_FAIL;
    }
    if (!m_pVB || !m_pIB) return OXE_BUFFERLOCK;
    if (!m_pBatchVertices) {
        m_pBatchVertices.reset(new (std::nothrow) BYTE[size_t(m_nMaxVertices) * m_nStride]);
        m_pBatchIndices.reset(new (std::nothrow) WORD[m_nMaxIndices]);
        if (!m_pBatchVertices || !m_pBatchIndices) {
            m_pBatchVertices.reset();
            m_pBatchIndices.reset();
            return OXE_BUFFERLOCK;
        }
    }

    memcpy(m_pBatchVertices.get() + size_t(m_nNumVertices) * m_nStride, vertices,
           size_t(vertexCount) * m_nStride);
    WORD* out = m_pBatchIndices.get() + m_nNumIndices;
    const UINT base = m_nNumVertices;
    if (indices)
        for (UINT i = 0; i < n; ++i) out[i] = WORD(base + indices[i]);
    else
        for (UINT i = 0; i < n; ++i) out[i] = WORD(base + i);
    m_nNumIndices += n;
    m_nNumVertices += vertexCount;
    return OXE_OK;
}

// Writes the batch into the buffers, behind the batches written before it: those may still be
// read by draws the device has not done yet, and a no-overwrite lock of the part behind them
// lets the device go on without waiting. When the batch does not fit there any more, the
// buffers are discarded and it is written from their start.
bool VertexCache::UploadBatch()
{
    void* vdst = nullptr;
    void* idst = nullptr;
    if (!m_pVB || !m_pIB || !m_pBatchVertices) return false;
    const bool fits = m_nFreeVertex + m_nNumVertices <= m_nMaxVertices &&
                      m_nFreeIndex + m_nNumIndices <= m_nMaxIndices;
    const UINT firstVertex = fits ? m_nFreeVertex : 0;
    const UINT firstIndex = fits ? m_nFreeIndex : 0;
    const DWORD flags = fits ? D3DLOCK_NOOVERWRITE : D3DLOCK_DISCARD;
    if (FAILED(m_pVB->Lock(firstVertex * m_nStride, m_nNumVertices * m_nStride, &vdst, flags))) return false;
    memcpy(vdst, m_pBatchVertices.get(), size_t(m_nNumVertices) * m_nStride);
    m_pVB->Unlock();
    // Wine's Direct3D, with software vertex processing and a vertex shader, goes on drawing
    // from the storage a discarding lock replaced, and with it the vertices of an earlier batch,
    // until the buffer is loaded again. Loading it costs nothing where a default-pool buffer
    // needs no loading.
    if (!fits) m_pVB->PreLoad();
    if (m_nNumIndices > 0 &&
        FAILED(m_pIB->Lock(firstIndex * sizeof(WORD), m_nNumIndices * sizeof(WORD), &idst, flags))) {
        m_nFreeVertex = m_nMaxVertices; // the next batch starts the buffers over
        return false;
    }
    if (m_nNumIndices > 0) {
        memcpy(idst, m_pBatchIndices.get(), size_t(m_nNumIndices) * sizeof(WORD));
        m_pIB->Unlock();
    }
    m_nBatchVertex = firstVertex;
    m_nBatchIndex = firstIndex;
    m_nFreeVertex = firstVertex + m_nNumVertices;
    m_nFreeIndex = firstIndex + m_nNumIndices;
    return true;
}

HRESULT VertexCache::FlushCache(bool shaders)
{
    if (IsEmpty()) return OXE_OK;
    OXERenderDevice* rd = m_pOwner->GetRenderDevice();
    if (!UploadBatch()) return OXE_FAIL; // nothing changed yet; the batch is kept

    if (m_pOwner->GetActiveCache() != m_nCacheId) {
        if (!shaders) m_pDevice->SetFVF(m_dwFVF);
        m_pDevice->SetIndices(m_pIB);
        m_pDevice->SetStreamSource(0, m_pVB, 0, m_nStride);
        m_pOwner->CacheBound(m_nCacheId);
    }
    if (rd->GetCurrentSkin() != m_nSkinId) {
        m_pOwner->ApplySkin(m_Skin, shaders, false);
        rd->SetCurrentSkin(m_nSkinId);
    }

    D3DPRIMITIVETYPE type;
    UINT primitives;
    switch (rd->GetRenderMode()) {
    case OXE_RENDER_POINTS: type = D3DPT_POINTLIST; primitives = m_nNumVertices; break;
    case OXE_RENDER_LINES: type = D3DPT_LINELIST; primitives = m_nNumIndices / 2; break;
    case OXE_RENDER_LINESTRIP:
        // a strip through n points has n - 1 segments; it reads one index per point
        type = D3DPT_LINESTRIP;
        primitives = (m_nNumIndices < m_nNumVertices ? m_nNumIndices : m_nNumVertices);
        primitives = primitives ? primitives - 1 : 0;
        break;
    default: type = D3DPT_TRIANGLELIST; primitives = m_nNumIndices / 3; break;
    }
    // A batch too small for one primitive of the mode has nothing to draw.
    if (primitives > 0) {
        HRESULT hr = type == D3DPT_POINTLIST
                         ? m_pDevice->DrawPrimitive(type, m_nBatchVertex, primitives)
                         : m_pDevice->DrawIndexedPrimitive(type, INT(m_nBatchVertex), 0, m_nNumVertices,
                                                           m_nBatchIndex, primitives);
        if (FAILED(hr)) return OXE_FAIL;
    }
    m_nNumVertices = 0;
    m_nNumIndices = 0;
    return OXE_OK;
}
