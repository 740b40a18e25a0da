#include "OXED3DVCManager.h"
#include "OXED3DSkinManager.h"
#include "OXERenderDevice.h"
#include "VertexCache.h"
#include "OXEResult.h"
#include "OXEColorByte.h"
#include "OXEGrowList.h"
#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>

// The most primitives the device draws in one call (its MaxPrimitiveCount); 0 when unknown.
// Direct3D itself does not check counts against it, and a count beyond it reads vertex data
// far past what a caller could have handed over.
static UINT MaxPrimitives(IDirect3DDevice9* device)
{
    D3DCAPS9 caps;
    if (!device || FAILED(device->GetDeviceCaps(&caps))) return 0;
    return caps.MaxPrimitiveCount;
}

// True when one draw of this many primitives stays within the device's limit. Every device
// takes 65,535; the device is asked only above that.
static bool WithinDrawLimit(IDirect3DDevice9* device, UINT primitives)
{
    return primitives <= 0xFFFF || primitives <= MaxPrimitives(device);
}

// The primitives a whole static buffer (or a buffer with a separate index buffer) asks for in
// a render mode; the counts of the draws below.
static UINT WholeBufferPrimitives(int mode, UINT vertexCount, bool indexed, UINT indexCount,
                                  UINT triangles)
{
    if (mode == OXE_RENDER_POINTS) return vertexCount;
    if (mode == OXE_RENDER_LINES) return indexed ? indexCount / 2 : vertexCount / 2;
    if (mode == OXE_RENDER_LINESTRIP) {
        const UINT points = indexed && indexCount < vertexCount ? indexCount : vertexCount;
        return points ? points - 1 : 0;
    }
    return triangles;
}

// True when count elements of size bytes each fit a 32-bit byte count (a Direct3D buffer size).
static bool BytesFit(UINT count, UINT size)
{
    return size == 0 || count <= 0xFFFFFFFFu / size;
}

OXED3DVCManager::OXED3DVCManager(IDirect3DDevice9* device, OXERenderDevice* renderDevice,
                                 OXESkinManager* skinManager, OXELog* log)
    : m_pSkinMan(skinManager), m_pDevice(device), m_pRenderDevice(renderDevice), m_pLog(log),
      m_pStaticBuffers(nullptr), m_pIndexBuffers(nullptr), m_nNumStaticBuffers(0),
      m_nNumIndexBuffers(0), m_nActiveCache(NoId), m_nActiveStaticBuffer(NoId),
      m_nActiveIndexBuffer(NoId)
{
    // Cache ids run 1..60: pass by pass, kind by kind within a pass.
    UINT cacheId = 1;
    for (UINT slot = 0; slot < kCachesPerKind; ++slot) {
        for (UINT kind = 0; kind < OXE_VERTEX_KIND_COUNT; ++kind) {
            const OXEVertexKindInfo& info = OXEGetVertexKindInfo(kind);
            m_pCaches[kind][slot] = new (std::nothrow)
                VertexCache(device, skinManager, this, cacheId++, info.stride, info.fvf, log);
        }
    }
    Log("online");
}

OXED3DVCManager::~OXED3DVCManager()
{
    for (UINT i = 0; i < m_nNumStaticBuffers; ++i) {
        if (m_pStaticBuffers[i].vertexBuffer) m_pStaticBuffers[i].vertexBuffer->Release();
        if (m_pStaticBuffers[i].indexBuffer) m_pStaticBuffers[i].indexBuffer->Release();
    }
    free(m_pStaticBuffers);
    for (UINT i = 0; i < m_nNumIndexBuffers; ++i)
        if (m_pIndexBuffers[i].indexBuffer) m_pIndexBuffers[i].indexBuffer->Release();
    free(m_pIndexBuffers);
    for (UINT kind = 0; kind < OXE_VERTEX_KIND_COUNT; ++kind)
        for (UINT slot = 0; slot < kCachesPerKind; ++slot) delete m_pCaches[kind][slot];
}

void OXED3DVCManager::Log(const char* format, ...)
{
    if (!m_pLog) return;
    char buffer[256];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    m_pLog->WriteText(OXE_LOG_VCMAN, buffer);
}

VertexCache* OXED3DVCManager::GetCache(UINT kind, UINT slot) const
{
    if (kind >= OXE_VERTEX_KIND_COUNT || slot >= kCachesPerKind) return nullptr;
    return m_pCaches[kind][slot];
}

bool OXED3DVCManager::QueryTrue() { return true; }

void OXED3DVCManager::InvalidateStates()
{
    m_pRenderDevice->SetCurrentSkin(NoId);
    m_nActiveStaticBuffer = NoId;
    m_nActiveCache = NoId;
    // Whoever changed states behind the manager's back may have bound other indices too.
    m_nActiveIndexBuffer = NoId;
}

// Only ids the skin manager handed out are drawn; any other id would put an undefined skin in
// force (NoId included: no skin record exists for it).
bool OXED3DVCManager::IsKnownSkin(UINT skinId)
{
    return m_pSkinMan && skinId < m_pSkinMan->GetSkinCount();
}

IDirect3DTexture9* OXED3DVCManager::TextureOf(UINT textureId) const
{
    OXED3DSkinManager* skins = dynamic_cast<OXED3DSkinManager*>(m_pSkinMan);
    return skins ? skins->GetD3DTexture(textureId) : nullptr;
}

// ---- Dynamic caches ----

HRESULT OXED3DVCManager::RenderDynamic(UINT kind, UINT vertexCount, UINT indexCount,
                                       const void* vertices, const WORD* indices, UINT skinId)
{
    const bool shaders = m_pRenderDevice->IsUsingShaders();
    if (kind >= OXE_VERTEX_KIND_COUNT) return OXE_INVALIDID;
    if (!IsKnownSkin(skinId)) return OXE_INVALIDID;
    // Geometry no cache could take is refused before a cache is chosen, so that no other
    // skin's batch is flushed or taken over for it.
    const UINT n = indices ? indexCount : vertexCount;
    if (vertexCount > VertexCache::kVertexCapacity || n > VertexCache::kIndexCapacity) return OXE_BUFFERSIZE;
    if (vertexCount > 0 && !vertices) return OXE_INVALIDPARAM;
    for (UINT i = 0; indices && i < n; ++i)
        if (indices[i] >= vertexCount) return OXE_INVALIDPARAM;
    m_nActiveStaticBuffer = NoId; // the cache about to be used will rebind the stream

    VertexCache* lastEmpty = nullptr;
    VertexCache* fullest = nullptr;
    for (UINT slot = 0; slot < kCachesPerKind; ++slot) {
        VertexCache* cache = m_pCaches[kind][slot];
        if (!cache) continue;
        if (cache->GetSkinId() == skinId)
            return cache->AppendGeometry(vertexCount, indexCount, vertices, indices, shaders);
        if (cache->IsEmpty()) lastEmpty = cache;
        if (!fullest || cache->GetVertexCount() > fullest->GetVertexCount()) fullest = cache;
    }
    VertexCache* chosen = lastEmpty;
    if (!chosen) {
        chosen = fullest;
        if (!chosen) return OXE_BUFFERLOCK; // no cache of this kind could be made
        if (FAILED(chosen->FlushCache(shaders))) return OXE_FAIL;
    }
    if (FAILED(chosen->SetSkin(skinId, shaders))) return OXE_FAIL;
    return chosen->AppendGeometry(vertexCount, indexCount, vertices, indices, shaders);
}

HRESULT OXED3DVCManager::FlushAll()
{
    const bool shaders = m_pRenderDevice->IsUsingShaders();
    HRESULT result = OXE_OK;
    for (UINT kind = 0; kind < OXE_VERTEX_KIND_COUNT; ++kind) {
        for (UINT slot = 0; slot < kCachesPerKind; ++slot) {
            VertexCache* cache = m_pCaches[kind][slot];
            if (cache && !cache->IsEmpty() && FAILED(cache->FlushCache(shaders))) result = OXE_FAIL;
        }
    }
    return result;
}

HRESULT OXED3DVCManager::FlushVertexKind(UINT kind)
{
    if (kind >= OXE_VERTEX_KIND_COUNT) return OXE_INVALIDID;
    HRESULT result = OXE_OK;
    for (UINT slot = 0; slot < kCachesPerKind; ++slot) {
        VertexCache* cache = m_pCaches[kind][slot];
        if (cache && FAILED(cache->FlushCache(m_pRenderDevice->IsUsingShaders()))) result = OXE_FAIL;
    }
    return result;
}

// The skin step: in the solid mode the skin's material and textures, in the other modes a
// plain material of the wire colour; then the skin's alpha states.
void OXED3DVCManager::ApplySkin(const SkinRecord& skin, bool shaders, bool disableStage1)
{
    if (m_pRenderDevice->GetRenderMode() == OXE_RENDER_SOLID) {
        const D3DMATERIAL9 material = m_pSkinMan->GetMaterialRecord(skin.material);
        if (!shaders) {
            m_pDevice->SetMaterial(&material);
        } else {
            m_pRenderDevice->SetShaderConstant(1, 2, 1, 1, &material.Ambient);
            m_pRenderDevice->SetShaderConstant(1, 2, 2, 1, &material.Diffuse);
            m_pRenderDevice->SetShaderConstant(1, 2, 3, 1, &material.Emissive);
            m_pRenderDevice->SetShaderConstant(1, 2, 4, 1, &material.Specular);
        }
        if (m_pRenderDevice->QueryFlagC()) {
            UINT stage = 0;
            for (; stage < 8 && skin.textures[stage] != NoId; ++stage) {
                m_pDevice->SetTexture(stage, TextureOf(skin.textures[stage]));
                m_pDevice->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
                m_pDevice->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
                m_pDevice->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
                m_pDevice->SetTextureStageState(stage, D3DTSS_COLOROP,
                                                m_pRenderDevice->GetStageTextureOp(BYTE(stage)));
            }
            if (stage < 8) m_pDevice->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
        } else {
            m_pDevice->SetTexture(0, nullptr);
            m_pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        }
    } else {
        D3DCOLORVALUE wire = {1, 1, 1, 1};
        m_pRenderDevice->GetWireColor(&wire);
        D3DMATERIAL9 material;
        material.Diffuse = wire;
        material.Ambient = wire;
        material.Specular = {0, 0, 0, 1};
        material.Emissive = {0, 0, 0, 1};
        material.Power = 1.0f;
        m_pDevice->SetMaterial(&material);
        m_pDevice->SetTexture(0, nullptr);
        if (disableStage1) m_pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }

    if (skin.alpha) {
        m_pDevice->SetRenderState(D3DRS_ALPHAREF, 50);
        m_pDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    } else {
        m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }
}

// ---- Static buffers ----

// Creates a write-only default-pool index buffer filled with the given indices. The indices are
// read only once the buffer exists, and each must be below vertexLimit: one that is not makes
// the buffer go again (0x82000005).
static HRESULT MakeIndexBuffer(IDirect3DDevice9* device, UINT indexCount, const WORD* indices,
                               IDirect3DIndexBuffer9** out, UINT vertexLimit = 0x10000)
{
    IDirect3DIndexBuffer9* ib = nullptr;
    if (indexCount == 0 ||
        FAILED(device->CreateIndexBuffer(indexCount * sizeof(WORD), D3DUSAGE_WRITEONLY,
                                         D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr)))
        return OXE_CREATEBUFFER;
    for (UINT i = 0; vertexLimit < 0x10000 && i < indexCount; ++i) {
        if (indices[i] >= vertexLimit) {
            ib->Release();
            return OXE_INVALIDPARAM;
        }
    }
    void* dst = nullptr;
    if (FAILED(ib->Lock(0, 0, &dst, 0))) {
        ib->Release();
        return OXE_BUFFERLOCK;
    }
    memcpy(dst, indices, size_t(indexCount) * sizeof(WORD));
    ib->Unlock();
    *out = ib;
    return OXE_OK;
}

// Creates a write-only default-pool vertex buffer filled with the given bytes.
static HRESULT MakeVertexBuffer(IDirect3DDevice9* device, UINT bytes, DWORD fvf, const void* data,
                                IDirect3DVertexBuffer9** out)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    if (FAILED(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_DEFAULT, &vb, nullptr)))
        return OXE_CREATEBUFFER;
    void* dst = nullptr;
    if (FAILED(vb->Lock(0, 0, &dst, 0))) {
        vb->Release();
        return OXE_BUFFERLOCK;
    }
    memcpy(dst, data, bytes);
    vb->Unlock();
    *out = vb;
    return OXE_OK;
}

HRESULT OXED3DVCManager::CreateStaticBuffer(UINT kind, UINT skinId, UINT vertexCount,
                                            UINT indexCount, const void* vertices,
                                            const WORD* indices, UINT* outId)
{
    if (!outId) return OXE_INVALIDPARAM;
    if (m_nNumStaticBuffers >= kMaxBuffers) return OXE_OUTOFMEMORY;
    if (!OXEGrowList(m_pStaticBuffers, m_nNumStaticBuffers)) return OXE_OUTOFMEMORY;
    if (kind >= OXE_VERTEX_KIND_COUNT) return OXE_INVALIDID;
    if (!vertices || (indexCount > 0 && !indices)) return OXE_INVALIDPARAM;
    const OXEVertexKindInfo& info = OXEGetVertexKindInfo(kind);
    // Counts whose bytes would not fit a buffer size are refused before any data is read; an
    // index past the vertices is found when the indices are copied.
    if (!BytesFit(vertexCount, info.stride) || !BytesFit(indexCount, sizeof(WORD)))
        return OXE_INVALIDPARAM;

    StaticBufferRecord sb;
    sb.stride = info.stride;
    sb.skinId = skinId;
    sb.vertexCount = vertexCount;
    sb.indexCount = indexCount;
    sb.fvf = info.fvf;
    sb.vertexBuffer = nullptr;
    sb.indexBuffer = nullptr;
    sb.indexed = indexCount > 0;
    sb.primitiveCount = sb.indexed ? indexCount / 3 : vertexCount / 3;
    if (sb.indexed) {
        HRESULT hr = MakeIndexBuffer(m_pDevice, indexCount, indices, &sb.indexBuffer,
                                     vertexCount < 0x10000 ? vertexCount : 0x10000);
        if (FAILED(hr)) return hr;
    }
    const DWORD fvf = m_pRenderDevice->IsUsingShaders() ? 0 : info.fvf;
    HRESULT hr = MakeVertexBuffer(m_pDevice, sb.stride * vertexCount, fvf, vertices, &sb.vertexBuffer);
    if (FAILED(hr)) {
        if (sb.indexBuffer) sb.indexBuffer->Release();
        return hr;
    }
    const BYTE* bytes = static_cast<const BYTE*>(vertices);
    m_StaticVertexCopies.emplace_back(bytes, bytes + size_t(sb.stride) * vertexCount);
    m_StaticIndexCopies.emplace_back(indices, indices + indexCount);
    m_pStaticBuffers[m_nNumStaticBuffers] = sb;
    *outId = m_nNumStaticBuffers++;
    return OXE_OK;
}

HRESULT OXED3DVCManager::CreateIndexBuffer(UINT indexCount, const WORD* indices, UINT* outId)
{
    if (!outId) return OXE_INVALIDPARAM;
    if (m_nNumIndexBuffers >= kMaxBuffers) return OXE_OUTOFMEMORY;
    if (!OXEGrowList(m_pIndexBuffers, m_nNumIndexBuffers)) return OXE_OUTOFMEMORY;
    // No index buffer of no indices can be made (0x82000004, below); given indices must be there.
    if ((indexCount > 0 && !indices) || !BytesFit(indexCount, sizeof(WORD))) return OXE_INVALIDPARAM;
    IndexBufferRecord ib;
    ib.indexCount = indexCount;
    ib.triangleCount = indexCount / 3;
    ib.indexBuffer = nullptr;
    HRESULT hr = MakeIndexBuffer(m_pDevice, indexCount, indices, &ib.indexBuffer);
    if (FAILED(hr)) return hr;
    m_IndexBufferCopies.emplace_back(indices, indices + indexCount);
    m_pIndexBuffers[m_nNumIndexBuffers] = ib;
    *outId = m_nNumIndexBuffers++;
    return OXE_OK;
}

void OXED3DVCManager::ReleaseDeviceObjects()
{
    for (UINT kind = 0; kind < OXE_VERTEX_KIND_COUNT; ++kind)
        for (UINT slot = 0; slot < kCachesPerKind; ++slot)
            if (m_pCaches[kind][slot]) m_pCaches[kind][slot]->ReleaseBuffers();
    for (UINT i = 0; i < m_nNumStaticBuffers; ++i) {
        StaticBufferRecord& sb = m_pStaticBuffers[i];
        if (sb.vertexBuffer) sb.vertexBuffer->Release();
        if (sb.indexBuffer) sb.indexBuffer->Release();
        sb.vertexBuffer = nullptr;
        sb.indexBuffer = nullptr;
    }
    for (UINT i = 0; i < m_nNumIndexBuffers; ++i) {
        if (m_pIndexBuffers[i].indexBuffer) m_pIndexBuffers[i].indexBuffer->Release();
        m_pIndexBuffers[i].indexBuffer = nullptr;
    }
    m_nActiveCache = m_nActiveStaticBuffer = m_nActiveIndexBuffer = NoId;
}

HRESULT OXED3DVCManager::RestoreDeviceObjects()
{
    HRESULT result = OXE_OK;
    for (UINT kind = 0; kind < OXE_VERTEX_KIND_COUNT; ++kind)
        for (UINT slot = 0; slot < kCachesPerKind; ++slot)
            if (m_pCaches[kind][slot] && !m_pCaches[kind][slot]->CreateBuffers()) result = OXE_CREATEBUFFER;
    const bool shaders = m_pRenderDevice->IsUsingShaders();
    for (UINT i = 0; i < m_nNumStaticBuffers; ++i) {
        StaticBufferRecord& sb = m_pStaticBuffers[i];
        const std::vector<BYTE>& v = m_StaticVertexCopies[i];
        const std::vector<WORD>& x = m_StaticIndexCopies[i];
        if (!sb.vertexBuffer &&
            FAILED(MakeVertexBuffer(m_pDevice, UINT(v.size()), shaders ? 0 : sb.fvf, v.data(), &sb.vertexBuffer)))
            result = OXE_CREATEBUFFER;
        if (sb.indexed && !sb.indexBuffer &&
            FAILED(MakeIndexBuffer(m_pDevice, UINT(x.size()), x.data(), &sb.indexBuffer)))
            result = OXE_CREATEBUFFER;
    }
    for (UINT i = 0; i < m_nNumIndexBuffers; ++i) {
        const std::vector<WORD>& x = m_IndexBufferCopies[i];
        if (!m_pIndexBuffers[i].indexBuffer &&
            FAILED(MakeIndexBuffer(m_pDevice, UINT(x.size()), x.data(), &m_pIndexBuffers[i].indexBuffer)))
            result = OXE_CREATEBUFFER;
    }
    m_nActiveCache = m_nActiveStaticBuffer = m_nActiveIndexBuffer = NoId;
    return result;
}

// Binds a static buffer to stream 0 unless it already is; its own index buffer too when asked.
void OXED3DVCManager::BindStaticBuffer(UINT id, bool bindOwnIndices)
{
    const StaticBufferRecord& sb = m_pStaticBuffers[id];
    m_nActiveCache = NoId; // the stream is taken over
    if (m_nActiveStaticBuffer != id) {
        if (sb.indexed && bindOwnIndices) {
            m_pDevice->SetIndices(sb.indexBuffer);
            m_nActiveIndexBuffer = NoId;
        }
        m_pDevice->SetStreamSource(0, sb.vertexBuffer, 0, sb.stride);
        m_nActiveStaticBuffer = id;
    } else if (m_nActiveIndexBuffer != NoId && bindOwnIndices) {
        // A separate index buffer replaced this buffer's own one.
        if (sb.indexed) m_pDevice->SetIndices(sb.indexBuffer);
        m_nActiveIndexBuffer = NoId;
    }
}

void OXED3DVCManager::PutSkinInForce(UINT skinId, bool shaders)
{
    if (m_pRenderDevice->GetCurrentSkin() == skinId) return;
    ApplySkin(m_pSkinMan->GetSkinRecord(skinId), shaders, true);
    m_pRenderDevice->SetCurrentSkin(skinId);
}

// Additive blending when flag A is set; nothing reaching the colour buffer when flag B is clear.
void OXED3DVCManager::ApplyStaticFlags()
{
    if (m_pRenderDevice->QueryFlagA()) {
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
    if (!m_pRenderDevice->QueryFlagB()) {
        m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        m_pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
        m_pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
}

// Segments of an indexed line strip through the first points: one index per point, so never
// more than the index buffer holds.
static UINT StripSegments(UINT vertexCount, UINT indexCount)
{
    const UINT points = indexCount < vertexCount ? indexCount : vertexCount;
    return points ? points - 1 : 0;
}

HRESULT OXED3DVCManager::RenderStaticBuffer(UINT id)
{
    if (id >= m_nNumStaticBuffers) return OXE_INVALIDPARAM;
    const int mode = m_pRenderDevice->GetRenderMode();
    const bool shaders = m_pRenderDevice->IsUsingShaders();
    const StaticBufferRecord& sb = m_pStaticBuffers[id];
    if (!IsKnownSkin(sb.skinId)) return OXE_INVALIDID;

    BindStaticBuffer(id, true);
    PutSkinInForce(sb.skinId, shaders);
    if (!shaders) m_pDevice->SetFVF(sb.fvf);
    ApplyStaticFlags();
    if (!WithinDrawLimit(m_pDevice, WholeBufferPrimitives(mode, sb.vertexCount, sb.indexed, sb.indexCount,
                                                          sb.primitiveCount)))
        return OXE_FAIL;

    const UINT vc = sb.vertexCount;
    if (mode == OXE_RENDER_POINTS) return m_pDevice->DrawPrimitive(D3DPT_POINTLIST, 0, vc);
    if (sb.indexed) {
        if (mode == OXE_RENDER_LINES)
            return m_pDevice->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, vc, 0, sb.indexCount / 2);
        if (mode == OXE_RENDER_LINESTRIP)
            return m_pDevice->DrawIndexedPrimitive(D3DPT_LINESTRIP, 0, 0, vc, 0,
                                                   StripSegments(vc, sb.indexCount));
        return m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vc, 0, sb.primitiveCount);
    }
    if (mode == OXE_RENDER_LINES) return m_pDevice->DrawPrimitive(D3DPT_LINELIST, 0, vc / 2);
    if (mode == OXE_RENDER_LINESTRIP) return m_pDevice->DrawPrimitive(D3DPT_LINESTRIP, 0, vc ? vc - 1 : 0);
    return m_pDevice->DrawPrimitive(D3DPT_TRIANGLELIST, 0, sb.primitiveCount);
}

HRESULT OXED3DVCManager::RenderStaticBufferWithIndices(UINT id, UINT indexBufferId, UINT skinId)
{
    if (id >= m_nNumStaticBuffers || indexBufferId >= m_nNumIndexBuffers) return OXE_INVALIDPARAM;
    if (!IsKnownSkin(skinId)) return OXE_INVALIDID;
    const int mode = m_pRenderDevice->GetRenderMode();
    const bool shaders = m_pRenderDevice->IsUsingShaders();
    const StaticBufferRecord& sb = m_pStaticBuffers[id];
    const IndexBufferRecord& ib = m_pIndexBuffers[indexBufferId];
    // A separate index buffer is made without knowing the vertices it will index: an index
    // past this buffer's vertices would have the device read beyond them.
    const std::vector<WORD>& kept = m_IndexBufferCopies[indexBufferId];
    if (!kept.empty() && *std::max_element(kept.begin(), kept.end()) >= sb.vertexCount)
        return OXE_INVALIDPARAM;

    BindStaticBuffer(id, false);
    if (m_nActiveIndexBuffer != indexBufferId) {
        m_pDevice->SetIndices(ib.indexBuffer);
        m_nActiveIndexBuffer = indexBufferId;
    }
    PutSkinInForce(skinId, shaders);
    if (!shaders) m_pDevice->SetFVF(sb.fvf);
    ApplyStaticFlags();
    if (!WithinDrawLimit(m_pDevice, WholeBufferPrimitives(mode, sb.vertexCount, true, ib.indexCount,
                                                          ib.triangleCount)))
        return OXE_FAIL;

    const UINT vc = sb.vertexCount;
    if (mode == OXE_RENDER_POINTS) return m_pDevice->DrawPrimitive(D3DPT_POINTLIST, 0, vc);
    if (mode == OXE_RENDER_LINES)
        return m_pDevice->DrawIndexedPrimitive(D3DPT_LINELIST, 0, 0, vc, 0, ib.indexCount / 2);
    if (mode == OXE_RENDER_LINESTRIP)
        return m_pDevice->DrawIndexedPrimitive(D3DPT_LINESTRIP, 0, 0, vc, 0,
                                               StripSegments(vc, ib.indexCount));
    return m_pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vc, 0, ib.triangleCount);
}

HRESULT OXED3DVCManager::RenderStaticBufferRange(UINT id, UINT skinId, UINT firstIndex,
                                                 UINT vertexCount, UINT primitiveCount)
{
    if (id >= m_nNumStaticBuffers) return OXE_INVALIDPARAM;
    if (!IsKnownSkin(skinId)) return OXE_INVALIDID;
    const int mode = m_pRenderDevice->GetRenderMode();
    const bool shaders = m_pRenderDevice->IsUsingShaders();
    const StaticBufferRecord& sb = m_pStaticBuffers[id];

    BindStaticBuffer(id, true);
    PutSkinInForce(skinId, shaders);
    if (!shaders) m_pDevice->SetFVF(sb.fvf);
    if (!sb.indexed) return OXE_FAIL;

    // The range must lie inside the buffer's vertices and indices.
    unsigned long long indicesNeeded = mode == OXE_RENDER_LINES       ? 2ull * primitiveCount
                                       : mode == OXE_RENDER_LINESTRIP ? primitiveCount + 1ull
                                                                      : 3ull * primitiveCount;
    if (mode == OXE_RENDER_POINTS) indicesNeeded = 0;
    if (vertexCount > sb.vertexCount || firstIndex + indicesNeeded > sb.indexCount)
        return OXE_INVALIDPARAM;
    ApplyStaticFlags();
    if (!WithinDrawLimit(m_pDevice, mode == OXE_RENDER_POINTS ? vertexCount : primitiveCount)) return OXE_FAIL;

    if (mode == OXE_RENDER_POINTS) return m_pDevice->DrawPrimitive(D3DPT_POINTLIST, 0, vertexCount);
    const D3DPRIMITIVETYPE type = mode == OXE_RENDER_LINES       ? D3DPT_LINELIST
                                  : mode == OXE_RENDER_LINESTRIP ? D3DPT_LINESTRIP
                                                                 : D3DPT_TRIANGLELIST;
    return m_pDevice->DrawIndexedPrimitive(type, 0, 0, vertexCount, firstIndex, primitiveCount);
}

// ---- Immediate drawing ----

void OXED3DVCManager::SetImmediateMaterial(const D3DCOLORVALUE& color)
{
    D3DMATERIAL9 material;
    memset(&material, 0, sizeof material);
    material.Diffuse = color;
    material.Ambient = color;
    m_pDevice->SetMaterial(&material);
}

HRESULT OXED3DVCManager::RenderPoints(UINT kind, UINT vertexCount, const void* vertices,
                                      const D3DCOLORVALUE* color)
{
    InvalidateStates();
    if (!color || !vertices) return OXE_INVALIDPARAM;
    SetImmediateMaterial(*color);
    m_pDevice->SetTexture(0, nullptr);
    if (kind >= OXE_VERTEX_KIND_COUNT) return OXE_INVALIDID;
    if (vertexCount > MaxPrimitives(m_pDevice)) return OXE_INVALIDPARAM;
    const OXEVertexKindInfo& info = OXEGetVertexKindInfo(kind);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, info.lit ? TRUE : FALSE);
    if (m_pRenderDevice->IsUsingShaders()) {
        m_pRenderDevice->ActivateVertexShader(0, int(kind));
        m_pRenderDevice->ActivatePixelShader(0);
    }
    // No vertex format is set here: with the shader path off the current one is used.
    HRESULT hr = vertexCount ? m_pDevice->DrawPrimitiveUP(D3DPT_POINTLIST, vertexCount, vertices,
                                                          info.stride)
                             : D3D_OK;
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    return FAILED(hr) ? OXE_FAIL : OXE_OK;
}

HRESULT OXED3DVCManager::RenderLines(UINT kind, UINT vertexCount, const void* vertices,
                                     const D3DCOLORVALUE* color, bool strip)
{
    InvalidateStates();
    if (!vertices) return OXE_INVALIDPARAM;
    if (color) SetImmediateMaterial(*color);
    m_pDevice->SetTexture(0, nullptr);
    m_pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    m_pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    m_pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    if (kind >= OXE_VERTEX_KIND_COUNT) return OXE_INVALIDID;
    // Fewer than two points make no line (and a strip of none must not count backwards).
    const UINT lines = strip ? (vertexCount ? vertexCount - 1 : 0) : vertexCount / 2;
    if (lines > MaxPrimitives(m_pDevice)) return OXE_INVALIDPARAM;
    const OXEVertexKindInfo& info = OXEGetVertexKindInfo(kind);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, info.lit ? TRUE : FALSE);
    if (m_pRenderDevice->IsUsingShaders()) {
        m_pRenderDevice->ActivateVertexShader(0, int(kind));
        m_pRenderDevice->ActivatePixelShader(0);
    } else {
        m_pDevice->SetFVF(info.fvf);
    }
    HRESULT hr = D3D_OK;
    if (lines > 0)
        hr = m_pDevice->DrawPrimitiveUP(strip ? D3DPT_LINESTRIP : D3DPT_LINELIST, lines, vertices,
                                        info.stride);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    return FAILED(hr) ? OXE_FAIL : OXE_OK;
}

HRESULT OXED3DVCManager::RenderLine(const float* start, const float* end, const D3DCOLORVALUE* color)
{
    if (!color || !start || !end) return OXE_INVALIDPARAM;
    FlushAll();
    InvalidateStates();
    m_pRenderDevice->EnableShaders(false);

    const DWORD packed = OXEColorByte(color->a) << 24 | OXEColorByte(color->r) << 16 |
                         OXEColorByte(color->g) << 8 | OXEColorByte(color->b);
    OXEVertexLit line[2] = {{start[0], start[1], start[2], packed, 0.0f, 0.0f},
                            {end[0], end[1], end[2], packed, 0.0f, 0.0f}};
    SetImmediateMaterial(*color);
    m_pDevice->SetTexture(0, nullptr);
    m_pDevice->SetFVF(OXEGetVertexKindInfo(OXE_VERTEX_LIT).fvf);
    m_pDevice->SetVertexShader(nullptr);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    HRESULT hr = m_pDevice->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(OXEVertexLit));
    m_pDevice->SetFVF(0);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    return FAILED(hr) ? OXE_FAIL : OXE_OK;
}

HRESULT OXED3DVCManager::RenderPositionTriangles(UINT vertexCount, const void* vertices,
                                                 bool textured)
{
    InvalidateStates();
    if (!vertices || vertexCount / 3 > MaxPrimitives(m_pDevice)) return OXE_INVALIDPARAM;
    m_pRenderDevice->EnableShaders(false);
    m_pDevice->SetTexture(0, nullptr);
    // The third texture the skin manager loaded, when there is one.
    IDirect3DTexture9* third = textured ? TextureOf(2) : nullptr;
    if (third) m_pDevice->SetTexture(0, third);
    m_pDevice->SetFVF(D3DFVF_XYZ);
    return m_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLELIST, vertexCount / 3, vertices,
                                      sizeof(OXEVertexPosition));
}
