// Benchmark: update and draw of one particle system of 100,000 alive particles, in nanoseconds
// per particle, against a plain copy of the pool's bytes measured in the same run.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "PelmoraApp.h"
#include "Sprinkler.h"
#include "OXERenderDevice.h"
#include "OXEResult.h"

namespace {

const int kParticles = 100000;
const int kRounds = 50;

double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

// Sprinkler particles that live for ever, so that all 100,000 stay alive.
class Everlasting : public SprinklerEffect {
public:
    using SprinklerEffect::SprinklerEffect;
    void initParticle(Particle& out) override
    {
        Sprinkler::initParticle(out);
        out.lifeSpan = 1.0e9f;
    }
};

} // namespace

int main()
{
    // The window and PelmoraGraf's render device (1024 x 768, its vertex declarations made) from
    // the application frame.
    PelmoraAppSettings settings;
    settings.title = "bench_psystem";
    settings.flushLog = false;
    settings.messageBoxes = false;
    PelmoraApp app(settings);
    if (!app.start()) {
        std::printf("no render device\n");
        return 1;
    }
    OXERenderDevice* device = app.device();
    // A white texture file for the particles.
    std::string tex = "bench_white.bmp";
    {
        std::vector<unsigned char> f(54 + 4 * 4 * 3, 0xFF);
        std::memset(f.data(), 0, 54);
        f[0] = 'B', f[1] = 'M', f[2] = (unsigned char)f.size(), f[10] = 54, f[14] = 40, f[18] = 4, f[22] = 4, f[26] = 1, f[28] = 24;
        FILE* out = std::fopen(tex.c_str(), "wb");
        if (out) std::fwrite(f.data(), 1, f.size(), out), std::fclose(out);
    }
    OXEAabb box;
    Everlasting s(ProgramFolder() + "sprinkler.fx", "SprinklerTech", tex, D3DXVECTOR3(0, -9.8f, 0), box, kParticles, 0.0f);
    s.update(0.0f);
    for (int i = 0; i < kParticles; ++i) s.addParticle();
    s.update(0.0f);
    std::printf("alive particles: %zu\n", s.alive.size());

    // Reference: copying the pool's bytes once.
    std::vector<Particle> copy(kParticles);
    double t0 = Now();
    for (int r = 0; r < kRounds; ++r) {
        std::memcpy(copy.data(), s.particles.data(), sizeof(Particle) * kParticles);
        s.particles[r % kParticles].mass += copy[(r * 7) % kParticles].mass * 0.0f; // keep the copy used
    }
    double copyNs = (Now() - t0) / kRounds / kParticles * 1e9;

    t0 = Now();
    for (int r = 0; r < kRounds; ++r) s.update(0.001f);
    double updateNs = (Now() - t0) / kRounds / kParticles * 1e9;

    Camera cam;
    cam.lookAt(D3DXVECTOR3(0, 10, -80), D3DXVECTOR3(0, 10, 0), D3DXVECTOR3(0, 1, 0));
    cam.setLens(D3DX_PI / 4, 4.0f / 3.0f, 1.0f, 1000.0f);
    cam.update(0.0f);
    IDirect3DDevice9* d3d = device->GetD3DDevice();
    const int drawRounds = 10;
    t0 = Now();
    for (int r = 0; r < drawRounds; ++r) {
        d3d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d3d->BeginScene();
        s.draw(cam);
        d3d->EndScene();
        d3d->Present(nullptr, nullptr, nullptr, nullptr);
    }
    double drawNs = (Now() - t0) / drawRounds / kParticles * 1e9;

    std::printf("pool copy (reference): %8.2f ns per particle\n", copyNs);
    std::printf("update:                %8.2f ns per particle  (%.1f x the copy)\n", updateNs, updateNs / copyNs);
    std::printf("draw (with present):   %8.2f ns per particle  (%.1f x the copy)\n", drawNs, drawNs / copyNs);
    // Machine-readable: figure|ours|unit|reference|its value|unit|ours / reference.
    std::printf("RESULT|psystem: update, %zu particles|%.2f|ns/particle|pool copy|%.2f|ns/particle|%.2f\n",
                size_t(kParticles), updateNs, copyNs, updateNs / copyNs);
    std::printf("RESULT|psystem: draw with present, %zu particles|%.2f|ns/particle|pool copy|%.2f|ns/particle|%.2f\n",
                size_t(kParticles), drawNs, copyNs, drawNs / copyNs);
    return 0;
}
