// Picking sample: rays from screen pixels (ScreenToWorldRay) tested against a box (OXEAabb) and
// the ground plane (OXEPlane) with the geometry classes. Each pick prints what it hit and where,
// and leaves a small cube at the hit point: red on the box, cyan on the ground. The box lights up
// while the pointer is on it (in a scripted run the pointer stays at the middle of the window).
//   picking_sample.exe                           runs until Esc or the close box
//   picking_sample.exe --shot FILE [--frames N]  saves frame N (30) as PNG and quits
#include <windows.h>
#include <d3dx9.h>
#include <cmath>
#include <cstdio>
#include <vector>
#include "PelmoraApp.h"
#include "OXESkinManager.h"
#include "OXEVertexCacheManager.h"
#include "OXEAabb.h"
#include "OXEPlane.h"
#include "OXERay.h"

namespace {

const int Width = 640, Height = 480;
const POINT Picks[4] = {{320, 240}, {120, 400}, {540, 330}, {320, 40}}; // pixels from the top left
const float Ground = 10;                                                 // the ground: -10..10 in x and z
const char ColourShader[] = // passes the vertex colour on (the built-in shader uses c4)
    "vs.1.1\ndcl_position0 v0\ndcl_color0 v5\nm4x4 oPos, v0, c0\nmov oD0, v5\n";

void AddQuad(std::vector<OXEVertexLit>& v, std::vector<WORD>& i, const D3DXVECTOR3 (&c)[4], DWORD colour)
{
    const WORD base = WORD(v.size());
    for (const D3DXVECTOR3& p : c) v.push_back({p.x, p.y, p.z, colour, 0, 0});
    for (WORD k : {0, 1, 2, 0, 2, 3}) i.push_back(WORD(base + k));
}

// A box from lo to hi; face f is f x darken darker than colour (the front face, f = 0, is colour).
void AddBox(std::vector<OXEVertexLit>& v, std::vector<WORD>& i, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi,
            DWORD colour, DWORD darken)
{
    static const int faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (int f = 0; f < 6; ++f) {
        D3DXVECTOR3 c[4];
        for (int k = 0; k < 4; ++k) {
            const int corner = faces[f][k];
            c[k] = D3DXVECTOR3(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z);
        }
        AddQuad(v, i, c, colour - darken * DWORD(f));
    }
}

// What a ray from the pixel meets first: 1 the box, 2 the ground, 0 nothing; the point in *hit.
int Pick(OXERenderDevice* device, const OXEAabb& box, const OXEPlane& plane, POINT pixel, D3DXVECTOR3* hit)
{
    OXERay ray;
    device->ScreenToWorldRay(&pixel, &ray.origin, &ray.direction);
    float t = 0;
    if (box.Intersects(ray, &t)) {
        *hit = ray.origin + t * ray.direction;
        return 1;
    }
    // With culling, a ray that meets the plane from below (going up) misses it. A hit behind the
    // origin would come back with t < 0.
    if (ray.Intersects(plane, true, &t, hit) && t > 0 && std::fabs(hit->x) <= Ground && std::fabs(hit->z) <= Ground) return 2;
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "Pelmora picking";
    settings.width = Width;
    settings.height = Height;
    settings.background = 0xFF88AACC;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    OXERenderDevice* device = app.device();
    OXEVertexCacheManager* caches = device->GetVertexCacheManager();

    // The view; stage 0 keeps its start-up perspective (0.8 radians vertically, the window).
    const D3DXVECTOR3 eye(0, 3, -8), target(0, 1, 0), up(0, 1, 0);
    device->SetViewFromTo(&eye, &target, &up);
    const OXEAabb box(D3DXVECTOR3(-1, 0, -1), D3DXVECTOR3(1, 1.5f, 1));
    OXEPlane plane;
    plane.Set(D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 0)); // y = 0, front side up

    const char* what[3] = {"nothing", "the box", "the ground"};
    int kinds[4];
    D3DXVECTOR3 hits[4];
    for (int p = 0; p < 4; ++p) {
        kinds[p] = Pick(device, box, plane, Picks[p], &hits[p]);
        std::printf("picking: pixel (%ld, %ld) hits %s", Picks[p].x, Picks[p].y, what[kinds[p]]);
        if (kinds[p]) std::printf(" at (%.2f, %.2f, %.2f)", hits[p].x, hits[p].y, hits[p].z);
        std::printf("\n");
    }

    const D3DCOLORVALUE white = {1, 1, 1, 1}, black = {0, 0, 0, 1};
    UINT skin = NoId, shader = NoId;
    device->GetSkinManager()->CreateSkin(&white, &white, &black, &black, 0, &skin);
    device->LoadVertexShader(ColourShader, sizeof ColourShader, false, false, &shader);
    device->SetCullMode(OXE_CULL_NONE);

    app.run([&](float) {
        POINT pointer = {Width / 2, Height / 2};
        if (!app.scripted()) {
            GetCursorPos(&pointer);
            ScreenToClient(app.window(), &pointer);
        }
        D3DXVECTOR3 at;
        const bool onBox = Pick(device, box, plane, pointer, &at) == 1;

        std::vector<OXEVertexLit> v;
        std::vector<WORD> i;
        for (int x = 0; x < 10; ++x) // the ground: ten by ten tiles
            for (int z = 0; z < 10; ++z) {
                const float x0 = -Ground + 2 * x, z0 = -Ground + 2 * z;
                const D3DXVECTOR3 c[4] = {{x0, 0, z0}, {x0, 0, z0 + 2}, {x0 + 2, 0, z0 + 2}, {x0 + 2, 0, z0}};
                AddQuad(v, i, c, (x + z) % 2 ? 0xFF505860 : 0xFF687078);
            }
        AddBox(v, i, box.min, box.max, onBox ? 0xFFF0B040 : 0xFFA07030, 0x00141414);
        const D3DXVECTOR3 half(0.1f, 0.1f, 0.1f);
        for (int p = 0; p < 4; ++p)
            if (kinds[p]) AddBox(v, i, hits[p] - half, hits[p] + half, kinds[p] == 1 ? 0xFFFF3030 : 0xFF30E0FF, 0);

        device->SetWorldMatrix(nullptr);
        device->ActivateVertexShader(shader, OXE_VERTEX_LIT);
        caches->RenderDynamic(OXE_VERTEX_LIT, UINT(v.size()), UINT(i.size()), v.data(), i.data(), skin);
        device->ActivateVertexShader(0, OXE_VERTEX_UNLIT); // draws the batch, then the start-up state
        for (const POINT& p : Picks) device->DrawRectOutline(p.x - 8, p.y - 8, p.x + 8, p.y + 8, 2, 255, 255, 255, 255);
        return true;
    });
    return app.stop();
}
