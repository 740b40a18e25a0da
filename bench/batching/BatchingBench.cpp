// Batching benchmark: many small quads over ten skins drawn through the vertex cache manager
// (RenderDynamic, then FlushAll once per frame) against the same quads drawn one
// DrawIndexedPrimitiveUP each with their material set before every draw. Both run in the same
// process on the same device; the figures and their ratio are printed, and the two pictures
// are compared so that the faster path is known to draw the same thing. The floor is the same
// quads already in one buffer pair per skin, drawn with one DrawIndexedPrimitive per skin.
#include <windows.h>
#include <d3d9.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "PelmoraApp.h"
#include "OXED3D.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"

static const int kQuads = 10000;
static const int kSkins = 10;
static const int kFrames = 20;

static double Seconds()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

// Waits for the device to finish and sums the back buffer, by reading it into system memory.
static unsigned long long ReadAndSum(IDirect3DDevice9* device)
{
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* copy = nullptr;
    unsigned long long sum = 0;
    if (FAILED(device->GetRenderTarget(0, &target))) return 0;
    D3DSURFACE_DESC desc;
    target->GetDesc(&desc);
    if (SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(target, copy))) {
        D3DLOCKED_RECT lr;
        if (SUCCEEDED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
            for (UINT y = 0; y < desc.Height; ++y) {
                const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch);
                for (UINT x = 0; x < desc.Width; ++x) sum = sum * 31 + (row[x] & 0xFFFFFF);
            }
            copy->UnlockRect();
        }
    }
    if (copy) copy->Release();
    target->Release();
    return sum;
}

struct Scene {
    std::vector<OXEVertexLit> vertices; // 4 per quad, clip space
    std::vector<UINT> skinOfQuad;       // skin id of each quad (interleaved: quad i has skin i % 10)
    std::vector<D3DMATERIAL9> materials;
};

static Scene MakeScene(OXESkinManager* skins, std::vector<UINT>& skinIds)
{
    Scene s;
    const D3DCOLORVALUE black = {0, 0, 0, 1};
    for (int k = 0; k < kSkins; ++k) {
        const D3DCOLORVALUE c = {float(k + 1) / kSkins, float(kSkins - k) / kSkins, float(k % 3) / 2.0f, 1};
        UINT id = 0;
        skins->CreateSkin(&c, &c, &black, &black, 0.0f, &id);
        skinIds.push_back(id);
        s.materials.push_back(skins->GetMaterialRecord(skins->GetSkinRecord(id).material));
    }
    // A 100 x 100 grid of small quads over the screen.
    const float step = 2.0f / 100.0f, size = step * 0.8f;
    for (int i = 0; i < kQuads; ++i) {
        const float x = -1.0f + (i % 100) * step, y = -1.0f + (i / 100) * step;
        s.vertices.push_back({x, y + size, 0.5f, 0xFFFFFFFF, 0, 0});
        s.vertices.push_back({x + size, y + size, 0.5f, 0xFFFFFFFF, 1, 0});
        s.vertices.push_back({x, y, 0.5f, 0xFFFFFFFF, 0, 1});
        s.vertices.push_back({x + size, y, 0.5f, 0xFFFFFFFF, 1, 1});
        s.skinOfQuad.push_back(skinIds[i % kSkins]);
    }
    return s;
}

static void PlainStates(IDirect3DDevice9* d)
{
    D3DMATRIX identity = {};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    d->SetTransform(D3DTS_WORLD, &identity);
    d->SetTransform(D3DTS_VIEW, &identity);
    d->SetTransform(D3DTS_PROJECTION, &identity);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    d->SetTexture(0, nullptr);
    d->SetVertexShader(nullptr);
    d->SetPixelShader(nullptr);
}

int main()
{
    // The window and PelmoraGraf's render device from the application frame (the device's
    // default 1024 x 768 back buffer); its layout is the one every deliverable shares.
    PelmoraAppSettings settings;
    settings.title = "bench_batching";
    settings.flushLog = false;
    settings.messageBoxes = false;
    PelmoraApp app(settings);
    if (!app.start()) {
        printf("bench_batching: the render device did not start\n");
        return 1;
    }
    OXED3D* rd = static_cast<OXED3D*>(app.device());
    rd->m_usingShaders = false; // both paths draw with the fixed-function pipeline
    IDirect3DDevice9* device = rd->GetD3DDevice();
    OXESkinManager* skins = rd->GetSkinManager();
    OXEVertexCacheManager* vc = rd->GetVertexCacheManager();
    if (!device || !skins || !vc) {
        printf("bench_batching: no device or managers\n");
        return 1;
    }
    std::vector<UINT> skinIds;
    Scene scene = MakeScene(skins, skinIds);
    static const WORD quadIndices[6] = {0, 1, 2, 2, 1, 3};

    auto batched = [&]() {
        for (int i = 0; i < kQuads; ++i)
            vc->RenderDynamic(OXE_VERTEX_LIT, 4, 6, &scene.vertices[size_t(i) * 4], quadIndices,
                              scene.skinOfQuad[i]);
        vc->FlushAll();
    };
    auto oneByOne = [&]() {
        device->SetFVF(0x142);
        for (int i = 0; i < kQuads; ++i) {
            device->SetMaterial(&scene.materials[i % kSkins]);
            device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, quadIndices, D3DFMT_INDEX16,
                                           &scene.vertices[size_t(i) * 4], sizeof(OXEVertexLit));
        }
    };
    // The floor: the same quads already in buffers, one vertex and index buffer per skin, drawn
    // with one DrawIndexedPrimitive per skin. The least the platform must do for this picture.
    std::vector<IDirect3DVertexBuffer9*> skinVertices(kSkins, nullptr);
    std::vector<IDirect3DIndexBuffer9*> skinIndices(kSkins, nullptr);
    const UINT quadsPerSkin = kQuads / kSkins;
    for (int k = 0; k < kSkins; ++k) {
        device->CreateVertexBuffer(quadsPerSkin * 4 * sizeof(OXEVertexLit), D3DUSAGE_WRITEONLY, 0x142,
                                   D3DPOOL_DEFAULT, &skinVertices[k], nullptr);
        device->CreateIndexBuffer(quadsPerSkin * 6 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                  D3DPOOL_DEFAULT, &skinIndices[k], nullptr);
        OXEVertexLit* v = nullptr;
        WORD* x = nullptr;
        if (!skinVertices[k] || !skinIndices[k] || FAILED(skinVertices[k]->Lock(0, 0, (void**)&v, 0)) ||
            FAILED(skinIndices[k]->Lock(0, 0, (void**)&x, 0))) {
            printf("bench_batching: the floor's buffers could not be made\n");
            return 1;
        }
        for (UINT q = 0; q < quadsPerSkin; ++q) {
            memcpy(v + q * 4, &scene.vertices[size_t(q * kSkins + k) * 4], 4 * sizeof(OXEVertexLit));
            for (int j = 0; j < 6; ++j) x[q * 6 + j] = WORD(q * 4 + quadIndices[j]);
        }
        skinVertices[k]->Unlock();
        skinIndices[k]->Unlock();
    }
    auto floorDraw = [&]() {
        device->SetFVF(0x142);
        for (int k = 0; k < kSkins; ++k) {
            device->SetMaterial(&scene.materials[k]);
            device->SetStreamSource(0, skinVertices[k], 0, sizeof(OXEVertexLit));
            device->SetIndices(skinIndices[k]);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, quadsPerSkin * 4, 0, quadsPerSkin * 2);
        }
    };

    // One frame: clear, draw, end, wait for the picture. Returns its checksum.
    auto frame = [&](auto draw) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        PlainStates(device);
        vc->InvalidateStates();
        draw();
        device->EndScene();
        return ReadAndSum(device);
    };

    // Warm-up, and the two pictures compared.
    const unsigned long long sumBatched = frame(batched);
    const unsigned long long sumOneByOne = frame(oneByOne);
    const unsigned long long sumFloor = frame(floorDraw);

    // Where the batched frame's time goes: the RenderDynamic calls (appends, and the flushes of
    // full caches among them), the closing FlushAll, and the wait for the picture.
    double tAppend = 0, tFlush = 0, tWait = 0;
    auto sections = [&]() {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        PlainStates(device);
        vc->InvalidateStates();
        const double t0 = Seconds();
        for (int i = 0; i < kQuads; ++i)
            vc->RenderDynamic(OXE_VERTEX_LIT, 4, 6, &scene.vertices[size_t(i) * 4], quadIndices,
                              scene.skinOfQuad[i]);
        const double t1 = Seconds();
        vc->FlushAll();
        const double t2 = Seconds();
        device->EndScene();
        ReadAndSum(device);
        const double t3 = Seconds();
        tAppend += t1 - t0;
        tFlush += t2 - t1;
        tWait += t3 - t2;
    };

    auto nothing = []() {};
    double tBatched = 0, tOneByOne = 0, tEmpty = 0, tFloor = 0;
    for (int f = 0; f < kFrames; ++f) {
        double t0 = Seconds();
        frame(batched);
        double t1 = Seconds();
        frame(oneByOne);
        double t2 = Seconds();
        frame(nothing);
        double t3 = Seconds();
        frame(floorDraw);
        double t4 = Seconds();
        sections();
        tBatched += t1 - t0;
        tOneByOne += t2 - t1;
        tEmpty += t3 - t2;
        tFloor += t4 - t3;
    }
    tBatched /= kFrames;
    tOneByOne /= kFrames;
    tEmpty /= kFrames;
    tFloor /= kFrames;
    tAppend /= kFrames;
    tFlush /= kFrames;
    tWait /= kFrames;
    printf("bench_batching: %d quads over %d skins, %d frames each, frame = clear + draw + read-back\n",
           kQuads, kSkins, kFrames);
    printf("  reference, one DrawIndexedPrimitiveUP per quad: %8.3f ms per frame\n", tOneByOne * 1000.0);
    printf("  vertex cache manager, RenderDynamic + FlushAll: %8.3f ms per frame\n", tBatched * 1000.0);
    printf("  floor, filled buffers, one DrawIndexedPrimitive per skin: %8.3f ms per frame\n", tFloor * 1000.0);
    printf("  empty frame (clear + read-back only):           %8.3f ms per frame\n", tEmpty * 1000.0);
    printf("  ratio reference / batched: %.2f (whole frames), %.2f (drawing alone)\n",
           tBatched > 0 ? tOneByOne / tBatched : 0.0,
           tBatched - tEmpty > 0 ? (tOneByOne - tEmpty) / (tBatched - tEmpty) : 0.0);
    printf("  ratio batched / floor: %.2f (whole frames), %.2f (drawing alone)\n",
           tFloor > 0 ? tBatched / tFloor : 0.0,
           tFloor - tEmpty > 0 ? (tBatched - tEmpty) / (tFloor - tEmpty) : 0.0);
    printf("  batched frame by section: RenderDynamic calls %.3f ms, FlushAll %.3f ms, "
           "end + read-back %.3f ms\n", tAppend * 1000.0, tFlush * 1000.0, tWait * 1000.0);
    printf("  pictures equal: %s\n", sumBatched == sumOneByOne && sumBatched == sumFloor ? "yes" : "NO");
    // Machine-readable: figure|ours|unit|reference|its value|unit|ours / reference|floor|its value|unit|ours / floor.
    printf("RESULT|batching: %d quads, %d skins, whole frame|%.3f|ms|one DrawIndexedPrimitiveUP per quad|%.3f|ms|%.2f"
           "|one DrawIndexedPrimitive per skin from filled buffers|%.3f|ms|%.2f\n",
           kQuads, kSkins, tBatched * 1000.0, tOneByOne * 1000.0, tOneByOne > 0 ? tBatched / tOneByOne : 0.0,
           tFloor * 1000.0, tFloor > 0 ? tBatched / tFloor : 0.0);
    for (int k = 0; k < kSkins; ++k) {
        if (skinVertices[k]) skinVertices[k]->Release();
        if (skinIndices[k]) skinIndices[k]->Release();
    }
    app.stop();
    return 0;
}
