// What the render device's frame and screen-space drawing cost over the bare Direct3D and D3DX
// calls underneath them. Each figure is printed next to a reference measured in the same run on
// the same device, and next to its floor, the least the platform must do for the same result
// (the reference itself where nothing less would do); rounds alternate and the best round of
// each counts.
#include "PelmoraApp.h"
#include "OXED3D.h"
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

const int kRounds = 5;

double Seconds()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// Microseconds per call of `body` run `calls` times; `finish` (not timed per call, but inside the
// measurement) waits for the device so queued work is counted too.
double MicrosecondsPerCall(int calls, const std::function<void(int)>& body, const std::function<void()>& finish)
{
    const double start = Seconds();
    for (int i = 0; i < calls; ++i) body(i);
    finish();
    return (Seconds() - start) * 1e6 / calls;
}

// Blocks until the device has executed everything submitted so far.
void WaitForDevice(IDirect3DDevice9* d3d)
{
    IDirect3DQuery9* query = nullptr;
    if (FAILED(d3d->CreateQuery(D3DQUERYTYPE_EVENT, &query)) || !query) return;
    query->Issue(D3DISSUE_END);
    while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE) {
    }
    query->Release();
}

void Report(const char* name, const char* reference, double subject, double base, const char* floorName,
            double floor, bool result)
{
    printf("%-22s %10.2f us/call   reference (%s) %10.2f us/call   ratio %6.2f\n", name, subject, reference, base,
           base > 0 ? subject / base : 0.0);
    printf("%-22s %10s           floor (%s) %10.2f us/call   ratio %6.2f\n", "", "", floorName, floor,
           floor > 0 ? subject / floor : 0.0);
    if (!result) return; // a part of another figure, not a figure of its own
    // Machine-readable: figure|ours|unit|reference|its value|unit|ours / reference|floor|its value|unit|ours / floor.
    printf("RESULT|renderdevice: %s|%.2f|us/call|%s|%.2f|us/call|%.2f|%s|%.2f|us/call|%.2f\n", name, subject,
           reference, base, base > 0 ? subject / base : 0.0, floorName, floor, floor > 0 ? subject / floor : 0.0);
}

// Best of several alternating rounds for a subject, its reference and its floor (the least the
// platform must do for the same result). Where no floor is given, the reference is the floor.
void Compare(const char* name, const char* reference, int calls, const std::function<void(int)>& subject,
             const std::function<void(int)>& base, const std::function<void()>& finish,
             const char* floorName = nullptr, const std::function<void(int)>& floor = nullptr, bool result = true)
{
    double bestSubject = 1e30, bestBase = 1e30, bestFloor = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        bestBase = std::min(bestBase, MicrosecondsPerCall(calls, base, finish));
        bestSubject = std::min(bestSubject, MicrosecondsPerCall(calls, subject, finish));
        if (floor) bestFloor = std::min(bestFloor, MicrosecondsPerCall(calls, floor, finish));
    }
    if (!floor) {
        floorName = reference;
        bestFloor = bestBase;
    }
    Report(name, reference, bestSubject, bestBase, floorName, bestFloor, result);
}

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
};

// The least Direct3D work that shows a rectangle's four edges: four quads in one state set-up.
void DrawOutlineDirectly(IDirect3DDevice9* d3d, float x0, float y0, float x1, float y1, D3DCOLOR color)
{
    const float h = 1.0f; // half of the line width 2
    const float edges[4][4] = {{x0, y1 - h, x1, y1 + h}, {x0, y0 - h, x1, y0 + h},
                               {x0 - h, y0, x0 + h, y1}, {x1 - h, y0, x1 + h, y1}};
    d3d->SetVertexShader(nullptr);
    d3d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    for (const auto& e : edges) {
        const ScreenVertex quad[4] = {{e[0], e[1], 0, 1, color},
                                      {e[2], e[1], 0, 1, color},
                                      {e[0], e[3], 0, 1, color},
                                      {e[2], e[3], 0, 1, color}};
        d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    }
}

} // namespace

int main()
{
    // The window and PelmoraGraf's render device (1024 x 768) from the application frame; its
    // layout is the one every deliverable shares.
    PelmoraAppSettings settings;
    settings.title = "bench_renderdevice";
    settings.flushLog = false;
    settings.messageBoxes = false;
    PelmoraApp app(settings);
    if (!app.start()) {
        printf("bench_renderdevice: the render device did not start\n");
        return 1;
    }
    OXED3D* device = static_cast<OXED3D*>(app.device());
    IDirect3DDevice9* d3d = device->GetD3DDevice();
    device->CreateFontInSlot(0, "Impact", 20, 10, 3, false);
    ID3DXFont* slotFont = device->m_fontTable[0];
    ID3DXFont* keptFont = nullptr;
    D3DXCreateFontA(d3d, 50, 40, 3, 1, FALSE, 1, 0, 0, 0, "Impact", &keptFont);
    const RECT screen = {0, 0, LONG(device->GetScreenWidth()), LONG(device->GetScreenHeight())};
    const char* text = "Pisteesi: 12345";

    printf("bench_renderdevice: %d rounds each, best round counts\n", kRounds);

    // One frame: the device's BeginFrame/EndFrame against a bare clear, scene and present.
    Compare("BeginFrame+EndFrame", "Clear+Begin/EndScene+Present", 200,
            [&](int) {
                device->BeginFrame(true, true, false);
                device->EndFrame();
            },
            [&](int) {
                d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
                d3d->BeginScene();
                d3d->EndScene();
                d3d->Present(nullptr, nullptr, nullptr, nullptr);
            },
            [&] { WaitForDevice(d3d); });

    // Calls inside an open scene; the scene is closed and presented once per measurement.
    auto inScene = [&](const std::function<void(int)>& draw) {
        return [&, draw](int i) {
            if (i == 0) device->BeginFrame(true, true, false);
            draw(i);
        };
    };
    auto endScene = [&] {
        device->EndFrame();
        WaitForDevice(d3d);
    };

    Compare("DrawTextAt", "ID3DXFont::DrawTextA", 2000,
            inScene([&](int i) { device->DrawTextAt(0, text, 10 + i % 500, 10 + i % 700, 255, 255, 255, 255); }),
            inScene([&](int i) {
                RECT area = {10 + i % 500, 10 + i % 700, screen.right, screen.bottom};
                slotFont->DrawTextA(nullptr, text, -1, &area, 0, 0xFFFFFFFF);
            }),
            endScene);

    Compare("DrawRectOutline", "four DrawPrimitiveUP quads", 500,
            inScene([&](int i) { device->DrawRectOutline(10 + i % 300, 10, 310 + i % 300, 635, 2, 200, 200, 200, 255); }),
            inScene([&](int i) {
                DrawOutlineDirectly(d3d, float(10 + i % 300), 10, float(310 + i % 300), 635, 0xFFC8C8C8);
            }),
            endScene);

    // Where an outline's time went while the line object was asked for every edge: the four
    // refusals alone (Wine's line object cannot draw; on Windows this draws the four lines).
    Compare("line object x4", "four DrawPrimitiveUP quads", 500,
            inScene([&](int i) {
                for (int edge = 0; edge < 4; ++edge) {
                    ID3DXLine* line = nullptr;
                    if (FAILED(D3DXCreateLine(d3d, &line)) || !line) continue;
                    D3DXVECTOR2 points[2] = {D3DXVECTOR2(float(10 + i % 300), 10), D3DXVECTOR2(float(310 + i % 300), 10)};
                    line->SetWidth(2);
                    line->SetPattern(0xFFFFFFFF);
                    if (SUCCEEDED(line->Begin())) {
                        line->Draw(points, 2, 0xFFC8C8C8);
                        line->End();
                    }
                    line->Release();
                }
            }),
            inScene([&](int i) {
                DrawOutlineDirectly(d3d, float(10 + i % 300), 10, float(310 + i % 300), 635, 0xFFC8C8C8);
            }),
            endScene, nullptr, nullptr, false);

    // A font made and released per call is what the operation documents: the floor makes and
    // releases one too.
    Compare("DrawTextWithFont", "DrawTextA, font kept", 100,
            inScene([&](int) { device->DrawTextWithFont("GAME OVER", 300, 280, "Impact", 50, 40, 3, 255, 80, 50, 220); }),
            inScene([&](int) {
                RECT area = {300, 280, screen.right, screen.bottom};
                keptFont->DrawTextA(nullptr, "GAME OVER", -1, &area, 0, 0xDCFF5032);
            }),
            endScene, "D3DXCreateFont+DrawTextA+Release", inScene([&](int) {
                ID3DXFont* font = nullptr;
                if (FAILED(D3DXCreateFontA(d3d, 50, 40, 3, 1, FALSE, 1, 0, 0, 0, "Impact", &font)) || !font) return;
                RECT area = {300, 280, screen.right, screen.bottom};
                font->DrawTextA(nullptr, "GAME OVER", -1, &area, 0, 0xDCFF5032);
                font->Release();
            }));

    if (keptFont) keptFont->Release();
    app.stop();
    return 0;
}
