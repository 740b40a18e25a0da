#include "PSystem.h"
#include "EffectFileCheck.h"
#include <windows.h>
#include <cmath>
#include <cstring>
#include <new>
#include "OXED3D.h"
#include "OXERandom.h"

float PSystem::emitAccumulator = 0.0f;

namespace {

// Vertex buffer usage: dynamic, write-only, point sprites.
const DWORD kVertexBufferUsage = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY | D3DUSAGE_POINTS;
// With alpha fade on, a particle is made opaque over this fraction of its life.
const float kFadeFraction = 0.2f;

// The library's draw in 0..1 in 10001 steps.
float RandomUnit() { return float(OXERand() % 10001) * 0.0001f; }

IDirect3DDevice9* CurrentD3DDevice()
{
    return g_pOXECurrentDevice ? g_pOXECurrentDevice->GetD3DDevice() : nullptr;
}

template <class T> void ReleaseCom(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

} // namespace

float GetRandomFloat(float a, float b)
{
    if (a >= b) return a;
    return a + (b - a) * RandomUnit();
}

void GetRandomVec(D3DXVECTOR3& out)
{
    out.x = 2.0f * RandomUnit() - 1.0f;
    out.y = 2.0f * RandomUnit() - 1.0f;
    out.z = 2.0f * RandomUnit() - 1.0f;
    D3DXVec3Normalize(&out, &out);
}

void SeedParticleRandom(unsigned int seed) { OXESeedRand(seed); }

PSystem::PSystem(const std::string& fxName, const std::string& techName, const std::string& texName,
                 const D3DXVECTOR3& accel_, const OXEAabb& box_, int maxNumParticles, float timePerParticle_)
    : accel(accel_), box(box_),
      maxParticles(maxNumParticles < 0 || maxNumParticles > MaxParticles ? 0 : maxNumParticles),
      timePerParticle(timePerParticle_)
{
    // Every record starts dead: a negative life span is exceeded at any age. The record is
    // cleared byte by byte first: the vectors' own constructors leave them unset, so "= {}"
    // would keep whatever the stack held in startPos and startVelocity.
    Particle deadRecord;
    std::memset(static_cast<void*>(&deadRecord), 0, sizeof deadRecord);
    deadRecord.lifeSpan = -1.0f;
    deadRecord.birthTime = 0.0f;
    try {
        particles.assign(size_t(maxParticles), deadRecord);
        alive.reserve(size_t(maxParticles));
        dead.reserve(size_t(maxParticles));
    } catch (const std::bad_alloc&) {
        // No memory for the pool: a system without particles, never an exception to the client.
        particles.clear();
        particles.shrink_to_fit();
        alive.clear();
        alive.shrink_to_fit();
        dead.clear();
        dead.shrink_to_fit();
        maxParticles = 0;
    }
    D3DXMatrixIdentity(&world);
    D3DXMatrixIdentity(&invWorld);

    IDirect3DDevice9* device = CurrentD3DDevice();
    if (!device) return; // no render device: the system runs on the processor side only
    D3DXCreateTextureFromFileA(device, texName.c_str(), &texture);

    ID3DXBuffer* errors = nullptr;
    // A damaged compiled effect would crash D3DX: such a file leaves the system without one.
    if (IsSoundEffectFile(fxName.c_str()))
        D3DXCreateEffectFromFileA(device, fxName.c_str(), nullptr, nullptr, D3DXSHADER_DEBUG, nullptr,
                                  &effect, &errors);
    if (errors) {
        // The buffer need not end in a NUL: show exactly its bytes.
        std::string text((const char*)errors->GetBufferPointer(), errors->GetBufferSize());
        MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK);
        errors->Release();
    }
    if (effect) {
        technique = effect->GetTechniqueByName(techName.c_str());
        hWVP = effect->GetParameterByName(nullptr, "gWVP");
        hEyePosL = effect->GetParameterByName(nullptr, "gEyePosL");
        hTex = effect->GetParameterByName(nullptr, "gTex");
        hTime = effect->GetParameterByName(nullptr, "gTime");
        hAccel = effect->GetParameterByName(nullptr, "gAccel");
        hViewportHeight = effect->GetParameterByName(nullptr, "gViewportHeight");
        effect->SetTechnique(technique);
        effect->SetValue(hAccel, &accel, sizeof(D3DXVECTOR3));
        effect->SetTexture(hTex, texture);
    }
    createVertexBuffer();
}

PSystem::~PSystem()
{
    ReleaseCom(effect);
    ReleaseCom(texture);
    ReleaseCom(vertexBuffer);
    // The shared declaration goes with any system; the render device's CreateVertexDeclarations
    // makes it again.
    ReleaseCom(g_pOXEParticleDecl);
}

void PSystem::createVertexBuffer()
{
    IDirect3DDevice9* device = CurrentD3DDevice();
    // Room for every record of the pool as it was made: maxParticles is public and may have
    // been changed since.
    if (!device || particles.empty()) return;
    device->CreateVertexBuffer(UINT(particles.size()) * sizeof(Particle), kVertexBufferUsage, 0,
                               D3DPOOL_DEFAULT, &vertexBuffer, nullptr);
}

void PSystem::setTime(float t) { time = t; }

void PSystem::setWorldMtx(const D3DXMATRIX& m)
{
    world = m;
    D3DXMatrixInverse(&invWorld, nullptr, &world);
}

void PSystem::UseAlphaBlendingParticles(bool on) { useAlphaFade = on; }

void PSystem::giveBirth()
{
    Particle* p = dead.back();
    initParticle(*p);
    dead.pop_back();
    alive.push_back(p);
}

void PSystem::addParticle()
{
    if (!dead.empty()) giveBirth();
}

void PSystem::update(float dt)
{
    time += dt;
    dead.clear();
    alive.clear();
    for (Particle& p : particles) {
        float age = time - p.birthTime;
        if (age <= p.lifeSpan) {
            alive.push_back(&p);
        } else {
            dead.push_back(&p);
            continue;
        }
        if (!useAlphaFade || p.lifeSpan <= 0.0f) continue;
        // Over the first fifth of its life the alpha rises from its birth value to opaque. The
        // rule only ever raises the alpha, so applying it at every update gives the same colour
        // whatever the frame rate.
        float fraction = age / p.lifeSpan;
        if (fraction < 0.0f || fraction > kFadeFraction) continue;
        DWORD raised = DWORD(255.0f * fraction / kFadeFraction);
        DWORD a = p.startColor >> 24;
        if (raised > a) p.startColor = (p.startColor & 0x00FFFFFFu) | (raised << 24);
    }
    if (timePerParticle <= 0.0f) return;
    emitAccumulator += dt;
    if (!std::isfinite(emitAccumulator)) {
        // An endless step: every free record is born and nothing is carried over.
        while (!dead.empty()) giveBirth();
        emitAccumulator = 0.0f;
        return;
    }
    // One interval at a time, with or without a free record: the accumulator then holds what
    // those subtractions leave, which the next system's update goes on from.
    while (emitAccumulator >= timePerParticle) {
        const float next = emitAccumulator - timePerParticle;
        if (next == emitAccumulator) {
            // An interval too small to count down from this value: the loop would never end.
            // Far more intervals than records: every free record is born, and the remainder
            // of the division is kept.
            while (!dead.empty()) giveBirth();
            emitAccumulator = std::fmod(emitAccumulator, timePerParticle);
            break;
        }
        if (!dead.empty()) giveBirth();
        emitAccumulator = next;
    }
}

void PSystem::draw(Camera camera)
{
    IDirect3DDevice9* device = CurrentD3DDevice();
    // Without its effect or texture the system has nothing it could draw.
    if (!device || !effect || !texture) return;

    D3DXVECTOR3 eyeL;
    D3DXVec3TransformCoord(&eyeL, &camera.pos(), &invWorld);
    effect->SetValue(hEyePosL, &eyeL, sizeof(D3DXVECTOR3));
    effect->SetFloat(hTime, time);
    D3DXMATRIX wvp = world * camera.viewProj();
    effect->SetMatrix(hWVP, &wvp);
    RECT client = {};
    GetClientRect(g_pOXECurrentDevice->GetWindowHandle(), &client);
    effect->SetInt(hViewportHeight, int(client.bottom));

    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(Particle));
    if (g_pOXEParticleDecl) device->SetVertexDeclaration(g_pOXEParticleDecl);

    UINT count = 0;
    void* data = nullptr;
    D3DVERTEXBUFFER_DESC desc = {};
    if (vertexBuffer && SUCCEEDED(vertexBuffer->GetDesc(&desc)) &&
        SUCCEEDED(vertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
        // The alive list is public too: no more records than the buffer holds are written.
        const UINT room = desc.Size / sizeof(Particle);
        Particle* out = static_cast<Particle*>(data);
        for (const Particle* p : alive) {
            if (count == room) break;
            out[count++] = *p;
        }
        vertexBuffer->Unlock();
    }
    if (count > 0) device->DrawPrimitive(D3DPT_POINTLIST, 0, count);

    effect->EndPass();
    effect->End();
}

void PSystem::setParticleBlending(int alpha)
{
    const DWORD a = DWORD(alpha) & 0xFFu;
    for (Particle& p : particles)
        if (time - p.birthTime < p.lifeSpan) p.startColor = (p.startColor & 0x00FFFFFFu) | (a << 24);
}

void PSystem::onLostDevice()
{
    if (effect) effect->OnLostDevice();
    ReleaseCom(vertexBuffer);
}

void PSystem::onResetDevice()
{
    if (effect) effect->OnResetDevice();
    if (!vertexBuffer) createVertexBuffer();
}
