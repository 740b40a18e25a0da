#include "geQuad.h"
#include "OXEResult.h"

namespace {

// Pre-transformed vertex: screen position with rhw, diffuse colour, one texture coordinate.
struct QuadVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 28, "quad vertex must be 28 bytes");

const DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1; // 0x144
const UINT kVertexBytes = 4 * sizeof(QuadVertex);
const UINT kIndexBytes = 6 * sizeof(WORD);

// Texture coordinates of corners 1..4: with doBox the texture is mapped once, upright.
const float kCornerU[4] = {0.0f, 1.0f, 0.0f, 1.0f};
const float kCornerV[4] = {0.0f, 1.0f, 1.0f, 0.0f};

template <class T> void SafeRelease(T*& p)
{
    if (p) {
        p->Release();
        p = nullptr;
    }
}

void BuildVertices(const geQuad& q, QuadVertex out[4])
{
    for (int i = 0; i < 4; ++i) {
        out[i].x = float(q.x + q.px[i]);
        out[i].y = float(q.y + q.py[i]);
        out[i].z = float(q.z + q.pz[i]);
        out[i].rhw = 1.0f;
        out[i].colour = q.colour[i];
        out[i].u = kCornerU[i];
        out[i].v = kCornerV[i];
    }
}

bool WriteVertices(const geQuad& q, IDirect3DVertexBuffer9* vb)
{
    QuadVertex vertices[4];
    BuildVertices(q, vertices);
    void* data = nullptr;
    if (FAILED(vb->Lock(0, kVertexBytes, &data, 0)) || !data) return false;
    memcpy(data, vertices, kVertexBytes);
    vb->Unlock();
    return true;
}

} // namespace

geQuad::geQuad()
    : vertexBuffer(nullptr), indexBuffer(nullptr), texture(nullptr), x(0), y(0), z(0),
      alphaBlend(true), textured(false)
{
    const WORD order[6] = {0, 1, 2, 3, 1, 0};
    memcpy(indices, order, sizeof indices);
    D3DXMatrixIdentity(&world);
    for (int i = 0; i < 4; ++i) {
        px[i] = py[i] = pz[i] = 0;
        colour[i] = 0;
    }
}

geQuad::~geQuad()
{
    releaseBuffers();
    SafeRelease(texture);
}

geQuad::geQuad(const geQuad& other) : vertexBuffer(nullptr), indexBuffer(nullptr), texture(nullptr)
{
    *this = other;
}

geQuad& geQuad::operator=(const geQuad& other)
{
    if (this == &other) return *this;
    releaseBuffers();
    SafeRelease(texture);

    memcpy(indices, other.indices, sizeof indices);
    world = other.world;
    x = other.x;
    y = other.y;
    z = other.z;
    memcpy(px, other.px, sizeof px);
    memcpy(py, other.py, sizeof py);
    memcpy(pz, other.pz, sizeof pz);
    memcpy(colour, other.colour, sizeof colour);
    alphaBlend = other.alphaBlend;
    textured = other.textured;

    texture = other.texture;
    if (texture) texture->AddRef();

    // Buffers are made anew on the source's device, filled from the copied fields.
    if (other.vertexBuffer) {
        IDirect3DDevice9* device = nullptr;
        if (SUCCEEDED(other.vertexBuffer->GetDevice(&device)) && device) {
            createGeoBuffers(device);
            device->Release();
        }
    }
    return *this;
}

void geQuad::releaseBuffers()
{
    SafeRelease(vertexBuffer);
    SafeRelease(indexBuffer);
}

long geQuad::loadTexture(IDirect3DDevice9* device, const char* fileName, bool colourKeyed,
                         D3DCOLOR colourKey)
{
    SafeRelease(texture);
    textured = false;
    if (!device || !fileName) return OXE_FAIL;
    HRESULT hr;
    if (colourKeyed) {
        // A managed texture (rather than a dynamic system-memory one, which the device cannot
        // sample) so that the colour-keyed image can actually be drawn.
        hr = D3DXCreateTextureFromFileExA(device, fileName, D3DX_DEFAULT, D3DX_DEFAULT,
                                          D3DX_DEFAULT, 0, D3DFMT_FROM_FILE, D3DPOOL_MANAGED,
                                          D3DX_DEFAULT, D3DX_DEFAULT, colourKey, nullptr, nullptr,
                                          &texture);
    } else {
        hr = D3DXCreateTextureFromFileA(device, fileName, &texture);
    }
    if (FAILED(hr) || !texture) {
        texture = nullptr;
        return OXE_FAIL;
    }
    textured = true;
    return OXE_OK;
}

long geQuad::CreateTexture(IDirect3DDevice9* device, const char* fileName)
{
    return loadTexture(device, fileName, false, 0);
}

long geQuad::CreateTextureColorKey(IDirect3DDevice9* device, const char* fileName,
                                   D3DCOLOR colourKey)
{
    return loadTexture(device, fileName, true, colourKey);
}

void geQuad::setGlobalCoords(int nx, int ny, int nz)
{
    x = nx;
    y = ny;
    z = nz;
}

void geQuad::setPoint(int corner, int nx, int ny, int nz)
{
    px[corner] = nx;
    py[corner] = ny;
    pz[corner] = nz;
}

void geQuad::setPoint1(int nx, int ny, int nz) { setPoint(0, nx, ny, nz); }
void geQuad::setPoint2(int nx, int ny, int nz) { setPoint(1, nx, ny, nz); }
void geQuad::setPoint3(int nx, int ny, int nz) { setPoint(2, nx, ny, nz); }
void geQuad::setPoint4(int nx, int ny, int nz) { setPoint(3, nx, ny, nz); }

void geQuad::setColor(DWORD c1, DWORD c2, DWORD c3, DWORD c4)
{
    colour[0] = c1;
    colour[1] = c2;
    colour[2] = c3;
    colour[3] = c4;
}

void geQuad::doBox(int width, int height, int nz)
{
    setPoint(0, 0, 0, nz);
    setPoint(1, width, height, nz);
    setPoint(2, 0, height, nz);
    setPoint(3, width, 0, nz);
}

int geQuad::getWidth() { return px[3] - px[0]; }
int geQuad::getHeight() { return py[2] - py[0]; }

void geQuad::createGeoBuffers(IDirect3DDevice9* device)
{
    releaseBuffers();
    if (!device) return;
    if (FAILED(device->CreateVertexBuffer(kVertexBytes, D3DUSAGE_WRITEONLY, kQuadFvf,
                                          D3DPOOL_MANAGED, &vertexBuffer, nullptr))) {
        vertexBuffer = nullptr;
        return;
    }
    // Without its vertices the quad gets no index buffer either, and so never draws.
    if (!WriteVertices(*this, vertexBuffer)) return;

    // Managed like the vertices: a buffer in the default pool would make every device reset
    // fail while the quad is alive, and the device would stay lost.
    if (FAILED(device->CreateIndexBuffer(kIndexBytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                         &indexBuffer, nullptr))) {
        indexBuffer = nullptr;
        return;
    }
    void* data = nullptr;
    if (FAILED(indexBuffer->Lock(0, kIndexBytes, &data, 0)) || !data) {
        SafeRelease(indexBuffer);
        return;
    }
    memcpy(data, indices, kIndexBytes);
    indexBuffer->Unlock();
}

void geQuad::RefreshGeoBuffers(IDirect3DDevice9* /*device*/)
{
    if (vertexBuffer) WriteVertices(*this, vertexBuffer);
}

void geQuad::Render(IDirect3DDevice9* device)
{
    if (!device || !vertexBuffer || !indexBuffer) return;

    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    D3DXMatrixIdentity(&world);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);

    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);

    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, alphaBlend ? TRUE : FALSE);

    device->SetStreamSource(0, vertexBuffer, 0, sizeof(QuadVertex));
    device->SetIndices(indexBuffer);
    device->SetFVF(kQuadFvf);

    if (textured) device->SetTexture(0, texture);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
    if (textured) device->SetTexture(0, nullptr);
}
