// Particles sample: the graphics library's five particle effects side by side, animated, then
// the parts library's triangle grid seen by a circling camera, on the application frame. The
// effects draw on a render device of PelmoraGraf, the grid on one of PelmoraParts (each
// library's parts use their own library's device); the frame switches between them.
//   particles.exe                           shows the two scenes in turn until Esc or the close box
//   particles.exe --shot FILE [--frames N]  saves frame N (30) as PNG and quits
//   particles.exe --shots FOLDER            plays each scene once and saves PNG frames into FOLDER
// The effects and the flame texture are read from the program's folder.
#include <windows.h>
#include <d3dx9.h>
#include <cstdio>
#include <cmath>
#include <memory>
#include <string>
#include "PelmoraApp.h"
#include "Rain.h"
#include "FireRing.h"
#include "Sprinkler.h"
#include "Smoke.h"
#include "Candle.h"
#include "TriGrid.h"
#include "OXERenderDevice.h"
#include "OXEResult.h"

namespace {

const int Width = 1024, Height = 768;
const float Step = 1.0f / 30.0f; // simulated seconds per frame when saving --shots
const int SceneFrames = 150;     // frames of the particle scene with --shots
const int GridFrames = 60;       // frames of the grid scene with --shots
const int ShowFrames = 300;      // frames of either scene before the other, on screen

// One effect in one cell of a 3 x 2 layout, with the camera that frames it.
struct Cell {
    const char* name;
    std::unique_ptr<PSystem> system;
    D3DXVECTOR3 eye, target;
};

// Plays the particle scene on the device of PelmoraGraf until it ends or the program does.
void ParticleScene(PelmoraApp& app, const std::string& shots)
{
    const std::string dir = PelmoraApp::ProgramFolder();
    const std::string tex = dir + "torch.dds";
    OXEAabb box(D3DXVECTOR3(-1000, -1000, -1000), D3DXVECTOR3(1000, 1000, 1000));
    Cell cells[5] = {
        {"rain", std::make_unique<RainEffect>(dir + "rain.fx", "RainTech", tex, D3DXVECTOR3(0, 0, 0), box, 2000, 0.002f, D3DXVECTOR3(0, 0, 0)),
         D3DXVECTOR3(0, 25, -180), D3DXVECTOR3(0, 25, 0)},
        {"firering", std::make_unique<FireRingEffect>(dir + "firering.fx", "FireRingTech", tex, D3DXVECTOR3(0, 0.9f, 0), box, 1500, 0.003f),
         D3DXVECTOR3(0, 0, -55), D3DXVECTOR3(0, 0, 0)},
        {"sprinkler", std::make_unique<SprinklerEffect>(dir + "sprinkler.fx", "SprinklerTech", tex, D3DXVECTOR3(-1, -9.8f, 0), box, 1500, 0.004f),
         D3DXVECTOR3(0, 12, -70), D3DXVECTOR3(0, 12, 0)},
        {"smoke", std::make_unique<SmokeEffect>(dir + "smoke.fx", "SmokeTech", tex, D3DXVECTOR3(0, 0, 0), box, 800, 0.02f),
         D3DXVECTOR3(0, 200, -650), D3DXVECTOR3(0, 200, 0)},
        {"candle", std::make_unique<CandleEffect>(dir + "candle.fx", "CandleTech", tex, D3DXVECTOR3(0, 0.9f, 0), box, 500, 0.005f),
         D3DXVECTOR3(0, 3, -35), D3DXVECTOR3(0, 3, 0)},
    };
    IDirect3DDevice9* d3d = app.d3d();
    const int cellW = Width / 3, cellH = Height / 2;
    int frame = 0;
    app.run([&](float seconds) {
        const float step = shots.empty() ? seconds : Step;
        for (int i = 0; i < 5; ++i) {
            Cell& c = cells[i];
            c.system->update(step);
            D3DVIEWPORT9 vp = {DWORD((i % 3) * cellW), DWORD((i / 3) * cellH), DWORD(cellW), DWORD(cellH), 0.0f, 1.0f};
            d3d->SetViewport(&vp);
            Camera cam;
            cam.lookAt(c.eye, c.target, D3DXVECTOR3(0, 1, 0));
            cam.setLens(D3DX_PI / 4, float(cellW) / cellH, 1.0f, 5000.0f);
            cam.update(0.0f);
            c.system->draw(cam);
        }
        D3DVIEWPORT9 full = {0, 0, Width, Height, 0.0f, 1.0f};
        d3d->SetViewport(&full);
        if (!shots.empty() && (frame == 45 || frame == SceneFrames - 1))
            app.saveShot(shots + "\\particles-effects-" + (frame == 45 ? "early" : "late") + ".png");
        ++frame;
        if (shots.empty()) Sleep(10);
        return frame < (shots.empty() ? ShowFrames : SceneFrames);
    });
}

// Plays the grid scene on the device of PelmoraParts.
void GridScene(PelmoraApp& app, const std::string& shots)
{
    IDirect3DDevice9* d3d = app.d3d();
    TriGrid grid;
    grid.buildGeoBuffers(d3d, 33, 33);
    grid.buildFX(d3d);
    D3DXMATRIX view, proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 4, float(Width) / Height, 0.5f, 500.0f);
    int frame = 0;
    app.run([&](float) {
        float angle = frame * 0.02f;
        D3DXVECTOR3 eye(30.0f * std::sin(angle), 14.0f, -30.0f * std::cos(angle)), at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        grid.Render(d3d, view, proj);
        if (!shots.empty() && frame == 40) app.saveShot(shots + "\\particles-grid.png");
        ++frame;
        if (shots.empty()) Sleep(10);
        return frame < (shots.empty() ? ShowFrames : GridFrames);
    });
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    PelmoraAppSettings settings;
    settings.title = "PelmoraGraf particles";
    settings.width = Width;
    settings.height = Height;
    settings.background = 0xFF101820;
    PelmoraApp app(settings);
    if (!app.start()) return app.exitCode();
    // --shots FOLDER, the sample's own option, is left to it by the frame.
    std::string shots;
    const std::vector<std::string>& args = app.arguments();
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i] == "--shots") shots = i + 1 < args.size() ? args[i + 1] : ".";

    // The grid opens "transform.fx" from the working folder.
    CopyFileA((PelmoraApp::ProgramFolder() + "transform.fx").c_str(), "transform.fx", FALSE);
    for (bool grid = false; !app.ending(); grid = !grid) {
        if (grid) {
            if (!app.restartDevice("PelmoraParts.dll")) break;
            GridScene(app, shots);
            if (!shots.empty()) break;
            if (!app.ending() && !app.restartDevice("PelmoraGraf.dll")) break;
        } else {
            ParticleScene(app, shots);
        }
    }
    return app.stop();
}
