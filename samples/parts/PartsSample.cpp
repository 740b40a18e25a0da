// Parts sample: a textured box lit by a lamp and turning, a menu that lights the item under the
// mouse, a 3D text and a picture surface copied to the top left of the back buffer, on the
// application frame. The render device is made by PelmoraParts' own factory, so the library's
// surfaces find its device. The box, its texture and the picture are written into the working
// folder at start.
//
//   parts_sample.exe                          runs until Esc or the window is closed
//   parts_sample.exe --shot FILE [--frames N] draws N frames (30; the pointer placed on the
//                                             second menu item), saves the last as FILE (PNG)
//                                             and quits
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "PelmoraApp.h"
#include "OXED3D.h"
#include "OXEResultText.h"
#include "CMesh.h"
#include "OXELamp.h"
#include "OXEText3D.h"
#include "OXESurface.h"
#include "simpleMenu.h"

static const int Width = 1024;
static const int Height = 768;

// ---- Files written at start ----

// A 24-bit bitmap from a pixel function returning 0xRRGGBB.
template <typename PixelFn>
static bool WriteBmp(const char* file, int w, int h, PixelFn pixel)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    std::vector<uint8_t> data(54 + size_t(rowBytes) * h, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int k = 0; k < 4; ++k) data[at + k] = uint8_t(v >> (8 * k)); };
    data[0] = 'B';
    data[1] = 'M';
    put32(2, uint32_t(data.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    data[26] = 1;
    data[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = pixel(x, h - 1 - y); // bitmap rows run bottom-up
            uint8_t* p = &data[54 + size_t(y) * rowBytes + size_t(x) * 3];
            p[0] = uint8_t(c);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c >> 16);
        }
    FILE* f = fopen(file, "wb");
    if (!f) return false;
    bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

// A cube of side 2 with four corners per face (its own normal and texture corners), one
// textured material.
static bool WriteBoxX(const char* file, const char* texture)
{
    static const float normals[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    std::string positions, faces, normalList, normalFaces, uvs;
    char line[160];
    for (int f = 0; f < 6; ++f) {
        const float* n = normals[f];
        // Two axes across the face, chosen so the corners run clockwise seen from outside.
        float u[3], v[3] = {0, 1, 0};
        if (n[1] != 0) { v[0] = 0; v[1] = 0; v[2] = n[1] > 0 ? 1.0f : -1.0f; }
        u[0] = n[1] * v[2] - n[2] * v[1]; // u = n x v
        u[1] = n[2] * v[0] - n[0] * v[2];
        u[2] = n[0] * v[1] - n[1] * v[0];
        const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (int c = 0; c < 4; ++c) {
            float p[3];
            for (int k = 0; k < 3; ++k) p[k] = n[k] + corners[c][0] * u[k] + corners[c][1] * v[k];
            snprintf(line, sizeof(line), " %.1f;%.1f;%.1f;%s\n", p[0], p[1], p[2], f == 5 && c == 3 ? ";" : ",");
            positions += line;
            snprintf(line, sizeof(line), " %.1f;%.1f;%s\n", corners[c][0] > 0 ? 1.0f : 0.0f,
                     corners[c][1] > 0 ? 0.0f : 1.0f, f == 5 && c == 3 ? ";" : ",");
            uvs += line;
        }
        const int b = f * 4;
        const char* end = f == 5 ? ";" : ",";
        snprintf(line, sizeof(line), " 3;%d,%d,%d;, 3;%d,%d,%d;%s\n", b, b + 1, b + 2, b, b + 2, b + 3, end);
        faces += line;
        snprintf(line, sizeof(line), " %.1f;%.1f;%.1f;%s\n", n[0], n[1], n[2], f == 5 ? ";" : ",");
        normalList += line;
        snprintf(line, sizeof(line), " 3;%d,%d,%d;, 3;%d,%d,%d;%s\n", f, f, f, f, f, f, end);
        normalFaces += line;
    }
    std::string x = "xof 0303txt 0032\n"
                    "Material Crate { 1.0;1.0;1.0;1.0;; 8.0; 0.3;0.3;0.3;; 0.0;0.0;0.0;;\n"
                    " TextureFilename { \"" + std::string(texture) + "\"; } }\n"
                    "Mesh Box {\n 24;\n" + positions + " 12;\n" + faces +
                    " MeshMaterialList { 1; 12; 0,0,0,0,0,0,0,0,0,0,0,0;; { Crate } }\n"
                    " MeshNormals { 6;\n" + normalList + " 12;\n" + normalFaces + " }\n"
                    " MeshTextureCoords { 24;\n" + uvs + " }\n}\n";
    FILE* f = fopen(file, "wb");
    if (!f) return false;
    bool ok = fwrite(x.data(), 1, x.size(), f) == x.size();
    return fclose(f) == 0 && ok;
}

static uint32_t CrateTexel(int x, int y)
{
    const bool border = x < 6 || y < 6 || x > 57 || y > 57;
    const bool diagonal = std::abs(x - y) < 4 || std::abs(x + y - 63) < 4;
    if (border || diagonal) return 0x8A5A2B;
    return ((x / 8) % 2) ? 0xD9A35E : 0xC8914F;
}

static uint32_t BadgeTexel(int x, int y)
{
    const double t = x / 255.0;
    const int stripe = (y / 8) % 2;
    const uint32_t r = uint32_t(40 + 150 * t), g = uint32_t(90 + 60 * stripe), b = uint32_t(200 - 120 * t);
    return r << 16 | g << 8 | b;
}

// ---- Drawing ----

static void SetCamera(IDirect3DDevice9* d3d)
{
    D3DXMATRIX view, proj;
    D3DXVECTOR3 eye(0, 1.5f, -7), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, float(M_PI / 4), float(Width) / Height, 0.1f, 100.0f);
    d3d->SetTransform(D3DTS_VIEW, &view);
    d3d->SetTransform(D3DTS_PROJECTION, &proj);
    // The parts draw with the fixed-function pipeline.
    d3d->SetVertexShader(nullptr);
    d3d->SetPixelShader(nullptr);
    d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d3d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d3d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    d3d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d3d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
}


// Everything the sample draws, made on the device once it runs and gone before it is released.
class PartsScene {
public:
    explicit PartsScene(OXERenderDevice* device) : device_(device), menu_(4, 0)
    {
        IDirect3DDevice9* d3d = device->GetD3DDevice();
        WriteBmp("sample_crate.bmp", 64, 64, CrateTexel);
        WriteBoxX("sample_box.x", "sample_crate.bmp");
        WriteBmp("sample_badge.bmp", 256, 72, BadgeTexel);

        if (!box_.Load(const_cast<char*>("sample_box.x"), d3d)) fprintf(stderr, "the box did not load\n");
        crate_.SetMesh(&box_);
        crate_.transform.TranslateAbs(1.4f, 0.2f, 0);

        lamp_.init(D3DLIGHT_DIRECTIONAL); // white, 1.0
        lamp_.setDirection(D3DXVECTOR3(0.6f, -0.8f, 1.0f));

        title_.CreatD3DXTextMesh(d3d, const_cast<char*>("Arial"), advString("Pelmora"), 12, 1, 0);
        title_.lighting = true;
        title_.transform.ScaleAbs(0.9f, 0.9f, 0.9f);
        title_.transform.TranslateAbs(-2.9f, -2.2f, 0);

        HRESULT hr = badge_.LoadFromFile("sample_badge.bmp");
        if (FAILED(hr)) fprintf(stderr, "the picture did not load (%s)\n", OXEResultText(hr).c_str());

        // Items under the badge, at (40, 110 + 25 i); the menu itself at (0, 0) so that the hover
        // rectangles lie over the drawn items.
        const char* labels[4] = {"Uusi peli", "Asetukset", "Ohje", "Lopeta"};
        menu_.left = 40;
        menu_.top = 110;
        menu_.UpdateMenuItems();
        menu_.setMenuPosition(0, 0);
        for (int i = 0; i < 4; ++i) {
            menu_.items[i].hidden = false;
            menu_.items[i].text = advString(labels[i]);
            menu_.items[i].labelHeight = 16;
            menu_.items[i].color = 0xFFF0F0F0;
        }
    }

    // One frame, inside the device's BeginFrame and EndFrame; mouse in client pixels.
    void frame(POINT mouse)
    {
        IDirect3DDevice9* d3d = device_->GetD3DDevice();
        menu_.updateMenuItmes(mouse.x, mouse.y);
        crate_.transform.RotateAbs(0.45f, 0.6f + 0.01f * frame_++, 0);
        SetCamera(d3d);
        d3d->SetRenderState(D3DRS_AMBIENT, 0xFF303030);
        lamp_.update(d3d);
        crate_.Render(d3d);
        title_.Render(d3d);
        badge_.copyToBackBuffer();
        menu_.Render(static_cast<OXED3D*>(device_));
    }

private:
    OXERenderDevice* device_;
    CMesh box_;
    CMeshInstance crate_;
    OXELamp lamp_;
    OXEText3D title_;
    OXESurface badge_;
    simpleMenu menu_;
    int frame_ = 0;
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "PelmoraParts sample";
    settings.width = Width;
    settings.height = Height;
    settings.library = "PelmoraParts.dll";
    settings.background = 0xFF1E2333;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    {
        PartsScene scene(app.device());
        app.run([&](float) {
            POINT mouse = {60, 137}; // the second item, for the screenshot
            if (!app.scripted()) {
                GetCursorPos(&mouse);
                ScreenToClient(app.window(), &mouse);
            }
            scene.frame(mouse);
            return true;
        });
    }
    return app.stop();
}
