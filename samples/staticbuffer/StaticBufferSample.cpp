// Static buffer sample: a ring uploaded once as a static buffer with its own indices, drawn three
// ways by the vertex cache manager: whole (RenderStaticBuffer), with a second index buffer that
// holds every other segment (RenderStaticBufferWithIndices), and in part (RenderStaticBufferRange,
// the first quarter). Behind the rings a panel of the parts library (geQuad) draws directly on
// the Direct3D device.
//   static_buffer_sample.exe                           runs until Esc or the close box
//   static_buffer_sample.exe --shot FILE [--frames N]  saves frame N (30) as PNG and quits
#include <windows.h>
#include <d3dx9.h>
#include <cmath>
#include <cstdio>
#include <vector>
#include "PelmoraApp.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"
#include "geQuad.h"

namespace {

const int Width = 640, Height = 480;
const int Segments = 24;                  // 15 degrees each, counter-clockwise from the right
const float Inner = 50.0f, Outer = 90.0f; // radii in pixels
const DWORD InnerColour = 0xFFFFD040, OuterColour = 0xFFE04020;

// A vertex shader that passes the vertex colour on (the built-in one, vertex shader 0, colours
// every vertex with constant c4).
const char ColourShader[] =
    "vs.1.1\n"
    "dcl_position0 v0\n"
    "dcl_color0 v5\n"
    "m4x4 oPos, v0, c0\n" // c0..c3: the world-view-projection SetWorldMatrix loads
    "mov oD0, v5\n";

D3DXMATRIX At(float x)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, 0, 0);
    return m;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Pelmora static buffer";
    settings.width = Width;
    settings.height = Height;
    settings.background = 0xFF202020;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    OXERenderDevice* device = app.device();
    IDirect3DDevice9* d3d = app.d3d();
    OXEVertexCacheManager* caches = device->GetVertexCacheManager();

    // The ring: vertex 2k on the inner edge, 2k + 1 on the outer edge at 15k degrees; segment k
    // is two triangles, wound clockwise as seen (counter-clockwise faces are culled).
    std::vector<OXEVertexLit> ring;
    for (int k = 0; k < Segments; ++k) {
        const float a = k * 2.0f * D3DX_PI / Segments;
        ring.push_back({Inner * std::cos(a), Inner * std::sin(a), 0, InnerColour, 0, 0});
        ring.push_back({Outer * std::cos(a), Outer * std::sin(a), 0, OuterColour, 0, 0});
    }
    std::vector<WORD> all, everyOther;
    for (int k = 0; k < Segments; ++k) {
        const WORD i0 = WORD(2 * k), o0 = WORD(i0 + 1), i1 = WORD((i0 + 2) % (2 * Segments)), o1 = WORD(i1 + 1);
        for (WORD index : {i0, o1, o0, i0, i1, o1}) {
            all.push_back(index);
            if (k % 2 == 0) everyOther.push_back(index);
        }
    }
    const D3DCOLORVALUE white = {1, 1, 1, 1}, black = {0, 0, 0, 1};
    UINT skin = NoId, ringId = NoId, halfId = NoId, shader = NoId;
    device->GetSkinManager()->CreateSkin(&white, &white, &black, &black, 0, &skin); // no texture
    const HRESULT made = caches->CreateStaticBuffer(OXE_VERTEX_LIT, skin, UINT(ring.size()), UINT(all.size()),
                                                    ring.data(), all.data(), &ringId);
    const HRESULT madeIndices = caches->CreateIndexBuffer(UINT(everyOther.size()), everyOther.data(), &halfId);
    device->LoadVertexShader(ColourShader, sizeof ColourShader, false, false, &shader);
    std::printf("static buffer: ring %u of %u vertices and %u indices (%u triangles), 0x%08lX\n", ringId,
                unsigned(ring.size()), unsigned(all.size()), unsigned(all.size() / 3), (unsigned long)made);
    std::printf("static buffer: index buffer %u of %u indices (%u triangles), 0x%08lX\n", halfId,
                unsigned(everyOther.size()), unsigned(everyOther.size() / 3), (unsigned long)madeIndices);

    // One world unit is one pixel on the plane z = 0 (the start-up stage sees 0.8 radians).
    const D3DXVECTOR3 eye(0, 0, -0.5f * Height / std::tan(0.4f)), at(0, 0, 0), up(0, 1, 0);
    device->SetViewFromTo(&eye, &at, &up);
    UINT font = 0;
    device->CreateFontInSlot(font, "Arial", 18, 0, 700, false);

    HRESULT drawn[3] = {};
    {
        geQuad panel; // made on the device: gone before the frame releases it
        panel.setGlobalCoords(20, 120, 0);
        panel.doBox(600, 240, 1); // depth 1: behind everything drawn after it
        panel.setColor(0xFF3A4458, 0xFF3A4458, 0xFF3A4458, 0xFF3A4458);
        panel.createGeoBuffers(d3d);
        app.run([&](float) {
            d3d->SetVertexShader(nullptr); // the quad draws with the fixed-function pipeline
            panel.Render(d3d);
            // The quad bound its own buffers and vertex format on the Direct3D device: the manager
            // must forget what it thinks is bound, or it would draw the ring from the quad's buffers
            // from the second frame on. The shader and its declaration are set again too.
            caches->InvalidateStates();
            device->ActivateVertexShader(shader, OXE_VERTEX_LIT);
            D3DXMATRIX left = At(-200), middle = At(0), right = At(200);
            device->SetWorldMatrix(&left);
            drawn[0] = caches->RenderStaticBuffer(ringId);
            device->SetWorldMatrix(&middle);
            drawn[1] = caches->RenderStaticBufferWithIndices(ringId, halfId, skin);
            device->SetWorldMatrix(&right); // the first 12 triangles: segments 0 to 5
            drawn[2] = caches->RenderStaticBufferRange(ringId, skin, 0, UINT(ring.size()), 12);
            device->ActivateVertexShader(0, OXE_VERTEX_UNLIT); // back to the start-up state
            device->DrawTextAt(font, "RenderStaticBuffer", 40, 380, 255, 255, 255, 255);
            device->DrawTextAt(font, "...WithIndices", 262, 380, 255, 255, 255, 255);
            device->DrawTextAt(font, "...Range", 490, 380, 255, 255, 255, 255);
            return true;
        });
    }
    std::printf("static buffer: RenderStaticBuffer 0x%08lX, RenderStaticBufferWithIndices 0x%08lX, "
                "RenderStaticBufferRange 0x%08lX\n", (unsigned long)drawn[0], (unsigned long)drawn[1],
                (unsigned long)drawn[2]);
    return app.stop();
}
