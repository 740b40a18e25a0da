// Scenario host of the injection test for the engine's parts that the game and the samples do
// not reach: on the render device of PelmoraParts.dll (the application frame's), the skin
// manager (textures from a bitmap with colour keys, alpha and a normal map), the vertex cache
// manager (static buffers, an index buffer, batched and immediate geometry), fonts of every
// kind, pixel and vertex shaders from text and from a file, a device reset, and the parts that
// load meshes (simpleMesh, meshObject) and the grid with its effect; a few frames of all of it.
// After each step a line "host <step> <code>" goes into the injection report (and to stdout):
// its result code, 0 for steps that answer none.
//
//   engine_frames.exe --frames 5     (the frame's scripted run: no message boxes of its own)
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "HostResult.h"
#include "PelmoraApp.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"
#include "TriGrid.h"
#include "meshObject.h"
#include "simpleMesh.h"

namespace {

const int Width = 160;
const int Height = 120;
const char* Bitmap = "engine_skin.bmp";
const char* Mesh = "engine_mesh.x";
const char* ShaderFile = "engine_shader.vsh";

bool WriteFile(const char* name, const void* data, size_t size)
{
    FILE* f = std::fopen(name, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// A 32 x 32 bitmap of 24 bits per pixel: a red and grey height field.
bool WriteBitmap()
{
    const int w = 32, h = 32, row = w * 3;
    std::vector<uint8_t> data(54 + size_t(row) * h, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) data[at + k] = uint8_t(v >> (8 * k));
    };
    data[0] = 'B';
    data[1] = 'M';
    put32(2, uint32_t(data.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    data[26] = 1;
    data[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &data[54 + size_t(y) * row + size_t(x) * 3];
            p[0] = uint8_t(x * 8);
            p[1] = uint8_t(y * 8);
            p[2] = uint8_t((x ^ y) * 8);
        }
    return WriteFile(Bitmap, data.data(), data.size());
}

// One textured triangle.
bool WriteMesh()
{
    const std::string x = std::string("xof 0303txt 0032\n") +
                          "Material Skin { 1.0;1.0;1.0;1.0;; 8.0; 0.3;0.3;0.3;; 0.0;0.0;0.0;;\n"
                          " TextureFilename { \"" + Bitmap + "\"; } }\n"
                          "Mesh Triangle {\n 3;\n 0.0;1.0;0.0;,\n 1.0;-1.0;0.0;,\n -1.0;-1.0;0.0;;\n"
                          " 1;\n 3;0,1,2;;\n"
                          " MeshMaterialList { 1; 1; 0;; { Skin } }\n"
                          " MeshNormals { 1;\n 0.0;0.0;-1.0;;\n 1;\n 3;0,0,0;; }\n"
                          " MeshTextureCoords { 3;\n 0.5;0.0;,\n 1.0;1.0;,\n 0.0;1.0;; }\n}\n";
    return WriteFile(Mesh, x.data(), x.size());
}

const char kVertexShader[] = "vs.1.1\ndcl_position0 v0\nm4x4 oPos, v0, c0\nmov oD0, c4\n";
const char kPixelShader[] = "ps.1.1\nmov r0, v0\n";

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Engine frames";
    settings.width = Width;
    settings.height = Height;
    settings.library = "PelmoraParts.dll";
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    if (!WriteBitmap() || !WriteMesh() || !WriteFile(ShaderFile, kVertexShader, sizeof kVertexShader - 1)) {
        std::fprintf(stderr, "engine_frames: cannot write its files\n");
        app.stop();
        return 1;
    }
    {
        OXERenderDevice* rd = app.device();
        IDirect3DDevice9* device = app.d3d();
        OXESkinManager* skins = rd->GetSkinManager();
        OXEVertexCacheManager* caches = rd->GetVertexCacheManager();
        const D3DCOLORVALUE white = {1, 1, 1, 1}, black = {0, 0, 0, 1}, key = {0, 0, 0, 1};
        UINT skin = NoId, plain = NoId;
        Result("skins.CreateSkin", skins->CreateSkin(&white, &white, &black, &black, 1.0f, &skin));
        Result("skins.AddTexture", skins->AddTexture(skin, Bitmap, true, 0.5f, &key, 1));
        Result("skins.CreateSkin", skins->CreateSkin(&white, &black, &black, &black, 1.0f, &plain));
        Result("skins.AddNormalMapTexture", skins->AddNormalMapTexture(plain, Bitmap));

        const OXEVertexLit quad[4] = {{-1, -1, 0, 0xFFFF0000, 0, 1}, {-1, 1, 0, 0xFF00FF00, 0, 0},
                                      {1, 1, 0, 0xFF0000FF, 1, 0}, {1, -1, 0, 0xFFFFFFFF, 1, 1}};
        const WORD indices[6] = {0, 1, 2, 0, 2, 3};
        UINT buffer = NoId, indexBuffer = NoId;
        Result("caches.CreateStaticBuffer", caches->CreateStaticBuffer(OXE_VERTEX_LIT, skin, 4, 6, quad, indices, &buffer));
        Result("caches.CreateIndexBuffer", caches->CreateIndexBuffer(6, indices, &indexBuffer));

        UINT font = 0, vertexShader = 0, fileShader = 0, pixelShader = 0;
        Result("device.CreateArialFont", rd->CreateArialFont(0, 400, false, 0, 0, 12, &font));
        Result("device.CreateFontInSlot", rd->CreateFontInSlot(2, "Arial", 14, 7, 400, false));
        rd->CreateDefaultFonts();
        Result("device.CreateDefaultFonts", 0);
        Result("device.LoadVertexShader", rd->LoadVertexShader(kVertexShader, sizeof kVertexShader, false, false, &vertexShader));
        Result("device.LoadVertexShader(file)", rd->LoadVertexShader(ShaderFile, 0, true, false, &fileShader));
        Result("device.LoadPixelShader", rd->LoadPixelShader(kPixelShader, sizeof kPixelShader, false, false, &pixelShader));

        simpleMesh mesh;
        Result("simpleMesh.init", mesh.init(device, Mesh));
        meshObject object;
        object.init(device, Mesh, 0);
        Result("meshObject.init", 0);
        TriGrid grid;
        grid.buildGeoBuffers(device, 9, 9);
        Result("grid.buildGeoBuffers", 0);
        grid.buildFX(device);
        Result("grid.buildFX", 0);

        int frame = 0;
        app.run([&](float) {
            D3DXMATRIX view, proj;
            D3DXVECTOR3 eye(0, 2, -6), at(0, 0, 0), up(0, 1, 0);
            D3DXMatrixLookAtLH(&view, &eye, &at, &up);
            D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, float(Width) / Height, 0.1f, 100.0f);
            if (frame == 2) {
                // A reset in the middle of the run, between two frames' scenes.
                device->EndScene();
                Result("device.ResetDevice", rd->ResetDevice());
                device->BeginScene();
            }
            Result("caches.RenderStaticBuffer", caches->RenderStaticBuffer(buffer));
            Result("caches.RenderStaticBufferWithIndices", caches->RenderStaticBufferWithIndices(buffer, indexBuffer, skin));
            Result("caches.RenderDynamic", caches->RenderDynamic(OXE_VERTEX_LIT, 4, 6, quad, indices, plain));
            Result("caches.RenderDynamic", caches->RenderDynamic(OXE_VERTEX_LIT, 4, 6, quad, indices, skin));
            Result("caches.FlushAll", caches->FlushAll());
            Result("caches.RenderLines", caches->RenderLines(OXE_VERTEX_LIT, 4, quad, &white, true));
            Result("caches.RenderPoints", caches->RenderPoints(OXE_VERTEX_LIT, 4, quad, &white));
            Result("device.ActivateVertexShader", rd->ActivateVertexShader(vertexShader, 1));
            Result("device.ActivatePixelShader", rd->ActivatePixelShader(pixelShader));
            device->SetVertexShader(nullptr);
            device->SetPixelShader(nullptr);
            rd->DrawFormattedText(font, 4, 4, 255, 255, 255, "frame %d", frame);
            rd->DrawTextAt(2, "slot", 4, 20, 255, 255, 0, 255);
            rd->DrawTextInFamily(0, 0, "family", 4, 36, 0, 255, 255, 255);
            rd->DrawTextWithFont("temporary", 4, 52, "Arial", 12, 6, 400, 255, 0, 255, 255);
            rd->DrawLine(0, 0, Width, Height, 2, 255, 255, 255, 255);
            rd->DrawRectOutline(2, 2, Width - 2, Height - 2, 1, 255, 0, 0, 255);
            rd->FillRect(10, 80, 10, 20, 0, 0, 255, 255);
            rd->DrawPoint(50, 50, 0, 255, 255, 255, 255);
            Result("device.text", 0);
            device->SetTransform(D3DTS_VIEW, &view);
            device->SetTransform(D3DTS_PROJECTION, &proj);
            Result("simpleMesh.Render", mesh.Render(device));
            object.Render(device);
            Result("meshObject.Render", 0);
            grid.Render(device, view, proj);
            Result("grid.Render", 0);
            ++frame;
            return true;
        });
    }
    return app.stop();
}
