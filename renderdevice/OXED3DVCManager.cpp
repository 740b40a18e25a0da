#include "OXED3DVCManager.h"
#include "VertexCache.h"
#include "OXEResult.h"
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>

OXED3DVCManager::OXED3DVCManager(IDirect3DDevice9* device, OXERenderDevice* renderDevice,
                                 OXESkinManager* skinManager, FILE* log)
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
    fprintf(m_pLog, "[OXED3DVCMngr]: %s\n", buffer);
    fflush(m_pLog);
}

VertexCache* OXED3DVCManager::GetCache(UINT kind, UINT slot) const
{
    if (kind >= OXE_VERTEX_KIND_COUNT || slot >= kCachesPerKind) return nullptr;
    return m_pCaches[kind][slot];
}

// Not yet drawing: the interim build only creates and frees the caches.
HRESULT OXED3DVCManager::CreateStaticBuffer(UINT, UINT, UINT, UINT, const void*, const WORD*, UINT*) { return OXE_FAIL; }
HRESULT OXED3DVCManager::CreateIndexBuffer(UINT, const WORD*, UINT*) { return OXE_FAIL; }
HRESULT OXED3DVCManager::RenderStaticBufferRange(UINT, UINT, UINT, UINT, UINT) { return OXE_FAIL; }
HRESULT OXED3DVCManager::RenderStaticBufferWithIndices(UINT, UINT, UINT) { return OXE_FAIL; }
HRESULT OXED3DVCManager::RenderStaticBuffer(UINT) { return OXE_FAIL; }
HRESULT OXED3DVCManager::RenderDynamic(UINT, UINT, UINT, const void*, const WORD*, UINT) { return OXE_FAIL; }
HRESULT OXED3DVCManager::FlushAll() { return OXE_OK; }
HRESULT OXED3DVCManager::FlushVertexKind(UINT) { return OXE_OK; }
HRESULT OXED3DVCManager::RenderPositionTriangles(UINT, const void*, bool) { return OXE_FAIL; }
HRESULT OXED3DVCManager::RenderPoints(UINT, UINT, const void*, const D3DCOLORVALUE*) { return OXE_FAIL; }
HRESULT OXED3DVCManager::RenderLines(UINT, UINT, const void*, const D3DCOLORVALUE*, bool) { return OXE_FAIL; }
HRESULT OXED3DVCManager::RenderLine(const float*, const float*, const D3DCOLORVALUE*) { return OXE_FAIL; }
void OXED3DVCManager::InvalidateStates()
{
    m_nActiveStaticBuffer = NoId;
    m_nActiveCache = NoId;
}
bool OXED3DVCManager::QueryTrue() { return true; }
void OXED3DVCManager::ApplySkin(const SkinRecord&, bool, bool) {}
