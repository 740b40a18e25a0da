// The cost of the game's whole frame with a full well (300 settled blocks, the falling piece,
// both torches with flames, all texts), against a reference measured in the same run: the same
// 300 blocks drawn with one draw call per block kind in an otherwise empty frame. Also the time
// from the start of the process to the first presented frame of the game's start-up sequence.
//   bench_gameframe [frames]     (run it in the program folder, where the images are)
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <d3d9.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "OXED3D.h"
#include "GamePresentation.h"
#include "GameState.h"
#include "Camera.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

// Milliseconds since the process was created.
double SinceProcessStart()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER c, n;
    c.LowPart = created.dwLowDateTime; c.HighPart = created.dwHighDateTime;
    n.LowPart = now.dwLowDateTime; n.HighPart = now.dwHighDateTime;
    return double(n.QuadPart - c.QuadPart) / 10000.0;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

LRESULT CALLBACK BenchWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(w, m, wp, lp);
}

HWND MakeWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BenchGameFrame";
    RegisterClassA(&wc);
    return CreateWindowA("BenchGameFrame", "bench_gameframe", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                         60, 100, 1024, 768, nullptr, nullptr, wc.hInstance, nullptr);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Every cell settled, kinds cycling, and a falling piece in the middle.
void FillWell()
{
    game.gameOver = false;
    game.menuShown = false;
    for (int i = 0; i < 300; ++i) {
        Cell& cell = game.board.cells[i];
        cell.occupied = true;
        cell.kind = (i * 5 + i / 25) % 7;
    }
    game.current.kind = 1;
    game.current.x = 5;
    game.current.y = 10;
    const int shape[4][2] = {{0, 0}, {1, 0}, {1, 1}, {2, 0}};
    for (int i = 0; i < 4; ++i) {
        game.current.blocks[i].x = shape[i][0];
        game.current.blocks[i].y = shape[i][1];
    }
    game.score = 123456;
}

// The reference: the same blocks as pre-transformed textured triangles, one DrawPrimitiveUP
// per kind, with the quads' own textures.
struct Vertex { float x, y, z, rhw; DWORD colour; float u, v; };

void DrawBlocksBatched(IDirect3DDevice9* d, GameGraphics& g, std::vector<Vertex> (&perKind)[7])
{
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    d->BeginScene();
    d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (int kind = 0; kind < 7; ++kind) {
        d->SetTexture(0, g.blockQuads[kind].texture);
        if (!perKind[kind].empty())
            d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(perKind[kind].size() / 3),
                               perKind[kind].data(), sizeof(Vertex));
    }
    d->SetTexture(0, nullptr);
    d->EndScene();
    d->Present(nullptr, nullptr, nullptr, nullptr);
}

void BuildBatches(std::vector<Vertex> (&perKind)[7])
{
    auto add = [&](int kind, int column, int row) {
        float x = float(column * 25 + game.originX), y = float(row * 25 + game.originY);
        DWORD c = 0xFFFFFFFF;
        Vertex tl = {x, y, 0, 1, c, 0, 0}, br = {x + 25, y + 25, 0, 1, c, 1, 1};
        Vertex bl = {x, y + 25, 0, 1, c, 0, 1}, tr = {x + 25, y, 0, 1, c, 1, 0};
        perKind[kind].insert(perKind[kind].end(), {tl, br, bl, tr, br, tl});
    };
    for (const Cell& cell : game.board.cells)
        if (cell.occupied)
            add(cell.kind, cell.column, cell.row);
    for (const Block& b : game.current.blocks)
        add(game.current.kind, game.current.x + b.x, game.current.y + b.y);
}

// Sends the standard output to the null device (true) or back to where it went (false).
void QuietStdout(bool quiet)
{
    static int saved = -1;
    std::fflush(stdout);
    if (quiet && saved < 0) {
        saved = _dup(_fileno(stdout));
        int null = _open("NUL", _O_WRONLY);
        if (null >= 0) {
            _dup2(null, _fileno(stdout));
            _close(null);
        }
    } else if (!quiet && saved >= 0) {
        _dup2(saved, _fileno(stdout));
        _close(saved);
        saved = -1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    int frames = argc > 1 ? std::max(20, std::atoi(argv[1])) : 300;
    // FormatScore traces every score it formats on the standard output: keep that out of the
    // figures while the frames run.
    QuietStdout(true);
    double startupBegin = Now();
    HWND window = MakeWindow();
    Pump();

    // The game's start-up sequence up to its first presented frame.
    OXED3D* rd = new OXED3D(GetModuleHandleA(nullptr));
    if (rd->Init(window, 16, 8, false, true) < 0) {
        QuietStdout(false);
        std::printf("bench_gameframe: the render device did not start\n");
        return 1;
    }
    IDirect3DDevice9* d = rd->GetD3DDevice();
    rd->InitStage(0.8f, nullptr, 0);
    rd->CreateFontInSlot(0, "Impact", 20, 10, 3, false);
    rd->CreateFontInSlot(1, "Impact", 30, 15, 2, false);
    Camera camera;
    GameGraphics* graphics = new GameGraphics();
    game.originX = (int(rd->GetScreenWidth()) - 300) / 2;
    game.originY = 100;
    CreateBlockQuads(d, *graphics);
    CreateSceneObjects(d, camera, *graphics);
    DrawFrame(d, *graphics);
    double firstFrame = SinceProcessStart();
    double startupMs = Now() - startupBegin;

    FillWell();
    std::vector<Vertex> perKind[7];
    BuildBatches(perKind);
    for (int i = 0; i < 20; ++i) { // warm up both paths
        DrawFrame(d, *graphics);
        DrawBlocksBatched(d, *graphics, perKind);
    }

    // Alternate the two so that both see the same machine load.
    std::vector<double> game, reference;
    for (int i = 0; i < frames; ++i) {
        double t0 = Now();
        DrawFrame(d, *graphics);
        double t1 = Now();
        DrawBlocksBatched(d, *graphics, perKind);
        double t2 = Now();
        game.push_back(t1 - t0);
        reference.push_back(t2 - t1);
        if (i % 50 == 0) Pump();
    }
    double g = Median(game), r = Median(reference);
    QuietStdout(false);
    std::printf("bench_gameframe: %d frames, 1024x768, 304 blocks, both torches, all texts\n", frames);
    std::printf("  DrawFrame (one geQuad move+draw per block)  median %8.3f ms/frame\n", g);
    std::printf("  reference (one draw call per block kind)    median %8.3f ms/frame\n", r);
    std::printf("  ratio DrawFrame / reference                 %8.2f\n", r > 0 ? g / r : 0.0);
    std::printf("  start-up to first presented frame           %8.1f ms since process start "
                "(%.1f ms of it in the start-up sequence)\n", firstFrame, startupMs);
    // Machine-readable: figure|ours|unit|reference|its value|unit|ours / reference.
    std::printf("RESULT|gameframe: DrawFrame, full well, median|%.3f|ms|one draw call per block kind|%.3f|ms|%.2f\n",
                g, r, r > 0 ? g / r : 0.0);

    delete graphics;
    delete rd;
    DestroyWindow(window);
    return 0;
}
