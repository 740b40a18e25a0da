#include "VertexCache.h"
#include "OXED3DVCManager.h"
#include "OXEResult.h"
#include <cstring>

VertexCache::VertexCache(IDirect3DDevice9* device, OXESkinManager* skinManager,
                         OXED3DVCManager* owner, UINT cacheId, UINT stride, DWORD fvf, FILE* log)
    : m_pVB(nullptr), m_pIB(nullptr), m_pDevice(device), m_pSkinMan(skinManager), m_pOwner(owner),
      m_nSkinId(NoId), m_nCacheId(cacheId), m_dwFVF(fvf), m_pLog(log),
      m_nMaxVertices(kVertexCapacity), m_nMaxIndices(kIndexCapacity), m_nNumVertices(0),
      m_nNumIndices(0), m_nStride(stride)
{
    memset(&m_Skin, 0xFF, sizeof m_Skin);
    if (!m_pDevice) return;
    if (FAILED(m_pDevice->CreateVertexBuffer(m_nMaxVertices * m_nStride,
                                             D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                             D3DPOOL_DEFAULT, &m_pVB, nullptr)))
        m_pVB = nullptr;
    if (FAILED(m_pDevice->CreateIndexBuffer(m_nMaxIndices * sizeof(WORD),
                                            D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                            D3DPOOL_DEFAULT, &m_pIB, nullptr)))
        m_pIB = nullptr;
}

VertexCache::~VertexCache()
{
    if (m_pVB) m_pVB->Release();
    if (m_pIB) m_pIB->Release();
}

HRESULT VertexCache::AppendGeometry(UINT, UINT, const void*, const WORD*, bool)
{
    return OXE_FAIL;
}

HRESULT VertexCache::FlushCache(bool) { return OXE_FAIL; }

void VertexCache::SetSkin(UINT, bool) {}
