// Quads sample: a skin made from a bitmap, and 1,000 textured quads batched by the vertex cache
// manager: 500 of the unlit kind (OXEVertexUnlit, coloured by the built-in vertex shader) on the
// left, 500 of the lit kind (OXEVertexLit, each with its own colour) on the right.
//   quads_sample.exe                           runs until Esc or the close box
//   quads_sample.exe --shot FILE [--frames N]  saves frame N (30) as PNG and quits
#include <windows.h>
#include <d3dx9.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>
#include "PelmoraApp.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"

namespace {

const int Width = 640, Height = 480;
const int Columns = 40, Rows = 25, Cell = 16, Top = 72; // the quads' grid, in pixels
const float Tint[4] = {0.6f, 0.8f, 1.0f, 1.0f};          // colour of the unlit quads

// A 16 x 16 24-bit bitmap stored bottom-up, as paint programs write them: white above, blue
// below. Its first stored row is the picture's bottom row.
bool WriteTile(const char* file)
{
    std::vector<uint8_t> bmp(54 + 16 * 16 * 3, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int k = 0; k < 4; ++k) bmp[at + k] = uint8_t(v >> (8 * k)); };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, uint32_t(bmp.size())), put32(10, 54), put32(14, 40), put32(18, 16), put32(22, 16);
    bmp[26] = 1, bmp[28] = 24;
    for (int stored = 0; stored < 16; ++stored) {
        const uint32_t rgb = stored >= 8 ? 0xFFFFFF : 0x4080C0; // stored rows 8..15: the top half
        for (int x = 0; x < 16; ++x)
            for (int k = 0; k < 3; ++k) bmp[54 + (stored * 16 + x) * 3 + k] = uint8_t(rgb >> (8 * k)); // b, g, r
    }
    FILE* f = fopen(file, "wb");
    bool ok = f && fwrite(bmp.data(), 1, bmp.size(), f) == bmp.size();
    return f && fclose(f) == 0 && ok;
}

// The lit kind's vertex shader: the built-in one (vertex shader 0) ignores vertex colours and
// gives every vertex the colour in constant c4.
const char LitShader[] =
    "vs.1.1\n"
    "dcl_position0 v0\n"
    "dcl_color0 v5\n"
    "dcl_texcoord0 v6\n"
    "m4x4 oPos, v0, c0\n" // c0..c3: the world-view-projection SetWorldMatrix loads
    "mov oD0, v5\n"
    "mov oT0, v6\n";

DWORD LitColour(int column, int row) { return 0xFF000000u | (40 + 10 * column) << 16 | (40 + 8 * row) << 8 | 0xC0; }

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Pelmora quads";
    settings.width = Width;
    settings.height = Height;
    settings.background = 0xFF202020;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    OXERenderDevice* device = app.device();
    OXESkinManager* skins = device->GetSkinManager();
    OXEVertexCacheManager* caches = device->GetVertexCacheManager();

    // The skin: a white material and the bitmap. Without alpha, AddTexture makes an R5G6B5
    // texture (colours rounded to 5 and 6 bits); asking for alpha keeps 8 bits a channel.
    const D3DCOLORVALUE white = {1, 1, 1, 1}, black = {0, 0, 0, 1};
    UINT skin = NoId, litShader = NoId;
    HRESULT skinResult = WriteTile("quads_tile.bmp") ? skins->CreateSkin(&white, &white, &black, &black, 0, &skin) : E_FAIL;
    if (SUCCEEDED(skinResult)) skinResult = skins->AddTexture(skin, "quads_tile.bmp", true, 1.0f, nullptr, 0);
    const HRESULT shaderResult = device->LoadVertexShader(LitShader, sizeof LitShader, false, false, &litShader);
    std::printf("quads: skin %u, AddTexture 0x%08lX; lit vertex shader %u, 0x%08lX\n", skin,
                (unsigned long)skinResult, litShader, (unsigned long)shaderResult);

    // One world unit is one pixel on the plane z = 0: the start-up stage sees 0.8 radians
    // vertically, so the eye stands half the height / tan(0.4) in front of the plane.
    const D3DXVECTOR3 eye(0, 0, -0.5f * Height / std::tan(0.4f)), at(0, 0, 0), up(0, 1, 0);
    device->SetViewFromTo(&eye, &at, &up);

    // The vertices, made once: the picture's top is at v = 1, since the bitmap's bottom row came
    // first and became the texture's row 0.
    std::vector<OXEVertexUnlit> unlit;
    std::vector<OXEVertexLit> lit;
    for (int row = 0; row < Rows; ++row)
        for (int column = 0; column < Columns; ++column) {
            const float x0 = column * Cell + 1.0f - Width / 2, x1 = x0 + Cell - 2;
            const float y0 = Height / 2 - (Top + row * Cell + 1.0f), y1 = y0 - (Cell - 2);
            const float corners[4][4] = {{x0, y0, 0, 1}, {x1, y0, 1, 1}, {x1, y1, 1, 0}, {x0, y1, 0, 0}};
            for (const float* c : corners) {
                if (column < Columns / 2)
                    unlit.push_back({c[0], c[1], 0, 0, 0, -1, c[2], c[3]});
                else
                    lit.push_back({c[0], c[1], 0, LitColour(column - Columns / 2, row), c[2], c[3]});
            }
        }
    const WORD quad[6] = {0, 1, 2, 0, 2, 3}; // clockwise as seen: counter-clockwise faces are culled
    UINT font = 0;
    device->CreateFontInSlot(font, "Arial", 20, 0, 700, false);

    int failed = 0, calls = 0;
    app.run([&](float) {
        device->SetWorldMatrix(nullptr); // loads c0..c3 with the shader path on
        // The built-in shader's colour: set on the Direct3D device, as SetAmbientColor and
        // SetShaderConstant leave shader constants alone.
        app.d3d()->SetVertexShaderConstantF(4, Tint, 1);
        for (size_t q = 0; q < unlit.size(); q += 4, ++calls)
            failed += FAILED(caches->RenderDynamic(OXE_VERTEX_UNLIT, 4, 6, &unlit[q], quad, skin));
        // The declaration in force is kind 1's until a shader is activated for kind 2; the
        // activation first draws what is batched (with kind 1's declaration).
        device->ActivateVertexShader(litShader, OXE_VERTEX_LIT);
        for (size_t q = 0; q < lit.size(); q += 4, ++calls)
            failed += FAILED(caches->RenderDynamic(OXE_VERTEX_LIT, 4, 6, &lit[q], quad, skin));
        failed += FAILED(caches->FlushAll());
        device->ActivateVertexShader(0, OXE_VERTEX_UNLIT); // back to the start-up state
        device->DrawTextAt(font, "kind 1: unlit, built-in shader", 16, 36, 255, 255, 255, 255);
        device->DrawTextAt(font, "kind 2: lit, own colours", 336, 36, 255, 255, 255, 255);
        return true;
    });
    std::printf("quads: %d quads a frame, %d of kind 1 and %d of kind 2; %d calls, %d failed\n",
                Rows * Columns, int(unlit.size() / 4), int(lit.size() / 4), calls, failed);
    std::printf("quads: quad (25, 10) coloured 0x%08lX\n", (unsigned long)LitColour(5, 10));
    return app.stop();
}
