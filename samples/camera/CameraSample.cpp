// Camera sample: the render device's built-in camera looking at a box through the perspective
// of stage 0. Four points on the box go to the screen with WorldToScreen and back with
// ScreenToWorldRay; the numbers are printed, and a square is drawn round each point's pixel.
//   camera_sample.exe                           runs until Esc or the close box
//   camera_sample.exe --shot FILE [--frames N]  saves frame N (30) as PNG and quits
#include <windows.h>
#include <d3dx9.h>
#include <cmath>
#include <cstdio>
#include <vector>
#include "PelmoraApp.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"

namespace {

const int Width = 640, Height = 480;
const D3DXVECTOR3 Points[4] = {{0, 1, 0}, {1, 1, 1}, {-1, 0, -1}, {1, 0, -1}}; // on the box
const char ColourShader[] = // passes the vertex colour on (the built-in shader uses c4)
    "vs.1.1\ndcl_position0 v0\ndcl_color0 v5\nm4x4 oPos, v0, c0\nmov oD0, v5\n";

// A box from lo to hi (kind 2: position, colour, uv); face f is f x darken darker than colour.
void AddBox(std::vector<OXEVertexLit>& v, std::vector<WORD>& i, D3DXVECTOR3 lo, D3DXVECTOR3 hi, DWORD colour,
            DWORD darken)
{
    static const int faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (int f = 0; f < 6; ++f) {
        const WORD base = WORD(v.size());
        const DWORD shade = colour - darken * DWORD(f);
        for (int c : faces[f])
            v.push_back({c & 1 ? hi.x : lo.x, c & 2 ? hi.y : lo.y, c & 4 ? hi.z : lo.z, shade, 0, 0});
        for (WORD k : {0, 1, 2, 0, 2, 3}) i.push_back(WORD(base + k));
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Pelmora camera";
    settings.width = Width;
    settings.height = Height;
    settings.background = 0xFF202830;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    OXERenderDevice* device = app.device();
    OXEVertexCacheManager* caches = device->GetVertexCacheManager();

    // The camera's lens and stage 0's perspective: 60 degrees vertically, planes at 1 and 100.
    // SetPerspective sets the camera's values (and the near and far planes InitStage uses);
    // InitStage builds the stage's projection for its viewport.
    const int width = app.width(), height = app.height(); // Width x Height unless --size says otherwise
    device->ResetCamera();
    device->SetPerspective(D3DX_PI / 3, float(width) / height, 1.0f, 100.0f);
    const OXEViewport whole = {0, 0, UINT(width), UINT(height)};
    device->InitStage(D3DX_PI / 3, &whole, 0);
    const D3DXVECTOR3 eye(2.5f, 2, -3.5f), target(0, 0.4f, 0);
    device->SetCameraPosition(&eye);
    device->SetCameraTarget(&target);
    device->UpdateCamera(); // the view matrix, from position and target
    std::printf("camera: eye (2.5, 2, -3.5) looks at (0, 0.4, 0): yaw %.1f, pitch %.1f degrees\n",
                D3DXToDegree(device->GetYaw()), D3DXToDegree(device->GetPitch()));

    // UpdateCamera leaves the view-projection as it was; CalcViewProjMatrix makes it view x
    // stage 0's projection, which WorldToScreen uses.
    POINT stale, screen[4];
    device->WorldToScreen(&stale, &Points[1]);
    device->CalcViewProjMatrix();
    device->WorldToScreen(&screen[1], &Points[1]);
    std::printf("camera: (1, 1, 1) before CalcViewProjMatrix (%ld, %ld), after (%ld, %ld)\n", stale.x, stale.y,
                screen[1].x, screen[1].y);
    for (int p = 0; p < 4; ++p) {
        // WorldToScreen's y grows upward from the bottom edge; ScreenToWorldRay takes pixel rows
        // from the top.
        device->WorldToScreen(&screen[p], &Points[p]);
        POINT pixel = {screen[p].x, height - screen[p].y};
        D3DXVECTOR3 origin, direction, toPoint = Points[p], across;
        device->ScreenToWorldRay(&pixel, &origin, &direction);
        toPoint -= origin;
        D3DXVec3Cross(&across, &toPoint, &direction); // direction has unit length
        std::printf("camera: (%g, %g, %g) -> WorldToScreen (%ld, %ld) -> pixel (%ld, %ld) -> ray from "
                    "(%.2f, %.2f, %.2f) along (%.3f, %.3f, %.3f) passes %.3f from it\n",
                    Points[p].x, Points[p].y, Points[p].z, screen[p].x, screen[p].y, pixel.x, pixel.y, origin.x,
                    origin.y, origin.z, direction.x, direction.y, direction.z, D3DXVec3Length(&across));
    }

    // The scene: the box and a small yellow cube on each point, in one batch.
    std::vector<OXEVertexLit> vertices;
    std::vector<WORD> indices;
    AddBox(vertices, indices, D3DXVECTOR3(-1, 0, -1), D3DXVECTOR3(1, 1, 1), 0xFF70A0D0, 0x00101010);
    for (const D3DXVECTOR3& p : Points)
        AddBox(vertices, indices, p - D3DXVECTOR3(0.08f, 0.08f, 0.08f), p + D3DXVECTOR3(0.08f, 0.08f, 0.08f), 0xFFFFE040, 0);
    const D3DCOLORVALUE white = {1, 1, 1, 1}, black = {0, 0, 0, 1};
    UINT skin = NoId, shader = NoId;
    device->GetSkinManager()->CreateSkin(&white, &white, &black, &black, 0, &skin);
    device->LoadVertexShader(ColourShader, sizeof ColourShader, false, false, &shader);
    device->SetCullMode(OXE_CULL_NONE); // the depth test hides the far faces

    app.run([&](float) {
        device->SetWorldMatrix(nullptr); // c0..c3: world x view x stage 0's projection
        device->ActivateVertexShader(shader, OXE_VERTEX_LIT);
        caches->RenderDynamic(OXE_VERTEX_LIT, UINT(vertices.size()), UINT(indices.size()), vertices.data(),
                              indices.data(), skin);
        device->ActivateVertexShader(0, OXE_VERTEX_UNLIT); // draws the batch, then the start-up state
        for (const POINT& s : screen)
            device->DrawRectOutline(s.x - 9, height - s.y - 9, s.x + 9, height - s.y + 9, 2, 255, 255, 255, 255);
        return true;
    });
    return app.stop();
}
