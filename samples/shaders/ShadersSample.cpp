// Shaders sample: a vertex shader and a pixel shader assembled from source text by the render
// device, their constants set on the Direct3D device. Three panels turned 0, 37 and -53 degrees
// away from the light, which shines from the viewer, are lit by the vertex shader (N . L times
// the light's colour); the pixel shader cuts them into stripes of the lit colour and a constant
// colour.
//   shaders_sample.exe                           runs until Esc or the close box
//   shaders_sample.exe --shot FILE [--frames N]  saves frame N (30) as PNG and quits
#include <windows.h>
#include <d3dx9.h>
#include <cmath>
#include <cstdio>
#include "PelmoraApp.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"

namespace {

const int Width = 640, Height = 480;

// Registers c0..c19 of the vertex shader belong to the device (c0..c3 the world-view-projection
// that SetWorldMatrix loads); the program's constants start at c20.
const char VertexShader[] =
    "vs.1.1\n"
    "def c23, 0, 0, 0, 0\n"
    "dcl_position0 v0\n"
    "dcl_normal0 v3\n"
    "dcl_texcoord0 v6\n"
    "m4x4 oPos, v0, c0\n"
    "dp3 r0.x, v3, c20\n"     // N . L, L (towards the light) in c20
    "max r0.x, r0.x, c23.x\n" // no light from behind
    "mul oD0, c21, r0.x\n"    // times the light's colour in c21
    "mov oT0, v6\n";
// Eight stripes across each panel: the first half of each the lit colour, the second c0.
const char PixelShader[] =
    "ps_2_0\n"
    "def c2, 8.0, 0.5, 0, 0\n"
    "dcl v0\n"
    "dcl t0.xy\n"
    "mul r0.x, t0.x, c2.x\n"
    "frc r0.x, r0.x\n"
    "add r0.x, r0.x, -c2.y\n"
    "cmp r1, r0.x, c0, v0\n" // r0.x >= 0: c0, else the lit colour
    "mov oC0, r1\n";

const float Light[4] = {0, 0, -1, 0};            // towards the viewer
const float LightColour[4] = {1.0f, 0.8f, 0.4f, 1.0f};
const float Stripe[4] = {0.2f, 0.4f, 0.6f, 1.0f};
const float Turn[3] = {0.0f, 0.6435011f, -0.9272952f}; // turns about y: N . L = 1, 0.8, 0.6

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Pelmora shaders";
    settings.width = Width;
    settings.height = Height;
    settings.background = 0xFF202020;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    OXERenderDevice* device = app.device();
    IDirect3DDevice9* d3d = app.d3d();
    OXEVertexCacheManager* caches = device->GetVertexCacheManager();

    // The length counts the terminating zero. The ids follow the ones in the tables: the
    // built-in vertex shader is vertex shader 0.
    UINT vs = NoId, ps = NoId;
    const HRESULT vsResult = device->LoadVertexShader(VertexShader, sizeof VertexShader, false, false, &vs);
    const HRESULT psResult = device->LoadPixelShader(PixelShader, sizeof PixelShader, false, false, &ps);
    std::printf("shaders: vertex shader %u (0x%08lX), pixel shader %u (0x%08lX)\n", vs, (unsigned long)vsResult, ps,
                (unsigned long)psResult);
    // The device's own constant setter never acts: it answers OXE_NOSHADERSUPPORT (0x8200000D)
    // because no operation gives it the permission CanUseShaders reports.
    const HRESULT refused = device->SetShaderConstant(0, 2, 20, 1, Light);
    std::printf("shaders: IsUsingShaders %d, CanUseShaders %d, SetShaderConstant 0x%08lX\n",
                int(device->IsUsingShaders()), int(device->CanUseShaders()), (unsigned long)refused);

    const D3DCOLORVALUE white = {1, 1, 1, 1}, black = {0, 0, 0, 1};
    UINT skin = NoId;
    device->GetSkinManager()->CreateSkin(&white, &white, &black, &black, 0, &skin);
    const D3DXVECTOR3 eye(0, 0, -0.5f * Height / std::tan(0.4f)), at(0, 0, 0), up(0, 1, 0);
    device->SetViewFromTo(&eye, &at, &up); // one world unit is one pixel on the plane z = 0
    for (int p = 0; p < 3; ++p) {
        const float nl = std::cos(Turn[p]);
        std::printf("shaders: panel %d: N . L = %.2f, colour (%d, %d, %d) and stripes (%d, %d, %d)\n", p, nl,
                    int(LightColour[0] * nl * 255 + 0.5f), int(LightColour[1] * nl * 255 + 0.5f),
                    int(LightColour[2] * nl * 255 + 0.5f), int(Stripe[0] * 255 + 0.5f), int(Stripe[1] * 255 + 0.5f),
                    int(Stripe[2] * 255 + 0.5f));
    }

    const WORD quad[6] = {0, 1, 2, 0, 2, 3};
    HRESULT flushed = 0;
    app.run([&](float) {
        device->SetWorldMatrix(nullptr);
        device->ActivateVertexShader(vs, OXE_VERTEX_UNLIT);
        device->ActivatePixelShader(ps);
        d3d->SetVertexShaderConstantF(20, Light, 1);
        d3d->SetVertexShaderConstantF(21, LightColour, 1);
        d3d->SetPixelShaderConstantF(0, Stripe, 1);
        for (int p = 0; p < 3; ++p) {
            // A 160 x 200 panel round (-200 + 200 p, 0, 0), turned about its upright axis: its
            // normal n and its right edge's direction r turn alike.
            const float cx = -200.0f + 200 * p, s = std::sin(Turn[p]), c = std::cos(Turn[p]);
            const float nx = s, nz = -c, rx = 80 * c, rz = 80 * s;
            const OXEVertexUnlit v[4] = {{cx - rx, 100, -rz, nx, 0, nz, 0, 0}, {cx + rx, 100, rz, nx, 0, nz, 1, 0},
                                         {cx + rx, -100, rz, nx, 0, nz, 1, 1}, {cx - rx, -100, -rz, nx, 0, nz, 0, 1}};
            caches->RenderDynamic(OXE_VERTEX_UNLIT, 4, 6, v, quad, skin);
        }
        flushed = caches->FlushAll();
        // Back to the start-up state. The activation draws what is batched first; setting the
        // pixel shader on the Direct3D device does not, so it comes after.
        device->ActivateVertexShader(0, OXE_VERTEX_UNLIT);
        d3d->SetPixelShader(nullptr);
        return true;
    });
    std::printf("shaders: FlushAll 0x%08lX\n", (unsigned long)flushed);
    return app.stop();
}
