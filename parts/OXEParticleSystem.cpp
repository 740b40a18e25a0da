#include "OXEParticleSystem.h"
#include "CountedArray.h"
#include <climits>
#include <cmath>

namespace {
const DWORD kParticleFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1; // 0x144
}

OXEParticleSystem::OXEParticleSystem()
    : particles(nullptr), count(0), texture(nullptr), rate(0), carry(0.0f), dontCreate(false)
{
}

OXEParticleSystem::~OXEParticleSystem()
{
    release();
}

OXEParticleSystem::OXEParticleSystem(const OXEParticleSystem& other)
    : particles(nullptr), count(0), texture(nullptr), rate(0), carry(0.0f), dontCreate(false)
{
    *this = other;
}

OXEParticleSystem& OXEParticleSystem::operator=(const OXEParticleSystem& other)
{
    if (this == &other) return *this;
    release();
    params = other.params;
    // count is public: the copy takes the particles the other pool really holds.
    const int n = WithinLength(other.particles, other.count);
    if (n > 0) {
        particles = NewCountedArray<OXEParticle>(size_t(n));
        if (particles) {
            for (int i = 0; i < n; ++i) particles[i] = other.particles[i];
            count = n;
        }
    }
    texture = other.texture;
    if (texture) texture->AddRef();
    rate = other.rate;
    carry = other.carry;
    dontCreate = other.dontCreate;
    return *this;
}

void OXEParticleSystem::release()
{
    DeleteCountedArray(particles);
    count = 0;
    if (texture) texture->Release();
    texture = nullptr;
}

void OXEParticleSystem::Create(IDirect3DDevice9* device, OXEParticleSystemParams& p,
                               int n, int r, advString textureFile)
{
    release();
    params = p;
    rate = r;
    carry = 0.0f;
    if (n > 0) {
        particles = NewCountedArray<OXEParticle>(size_t(n));
        count = particles ? n : 0;
    }
    if (device && FAILED(D3DXCreateTextureFromFileA(device, textureFile.GetString(), &texture)))
        texture = nullptr;
}

void OXEParticleSystem::Simulate(float dt)
{
    // Whole particles to emit this step; the fraction is carried to the next one.
    float total = float(rate) * dt + carry;
    // An endless step gives every dead particle life; one that is not a number gives none.
    if (!std::isfinite(total)) total = total > 0.0f ? 2147483648.0f : 0.0f;
    float whole = std::trunc(total);
    carry = total - whole;
    // Converted only within the range of an int: a huge rate means "as many as are dead", never
    // a count wrapped round to a negative one.
    int budget = whole <= 0.0f ? 0 : whole >= 2147483648.0f ? INT_MAX : int(whole);
    // count is public: the loop stays within the pool that was made.
    const int n = WithinLength(particles, count);
    for (int i = 0; i < n; ++i) {
        OXEParticle& p = particles[i];
        if (p.age < 1.0f) {
            p.Simulate(dt);
        } else if (!dontCreate && budget >= 1) {
            p.Create(params); // a reborn particle first moves in the next step
            --budget;
        }
    }
}

void OXEParticleSystem::Render(IDirect3DDevice9* device)
{
    if (!device) return;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    // Additive blending is what takes effect.
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);

    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetFVF(kParticleFvf);
    device->SetTexture(0, texture);

    const int n = WithinLength(particles, count);
    for (int i = 0; i < n; ++i)
        if (particles[i].age < 1.0f) particles[i].Render(device, params.position);

    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
}

void OXEParticleSystem::SetPosition(D3DXVECTOR3& position) { params.position = position; }
D3DXVECTOR3 OXEParticleSystem::GetPosition() { return params.position; }
void OXEParticleSystem::SetSize(float size) { params.size = size; }
void OXEParticleSystem::SetFinalSize(float finalSize) { params.finalSize = finalSize; }
void OXEParticleSystem::SetLifeTime(float lifeTime) { params.lifeTime = lifeTime; }
void OXEParticleSystem::SetDispersion(float dispersion) { params.dispersion = dispersion; }
void OXEParticleSystem::SetVelocity(D3DXVECTOR3 velocity) { params.velocity = velocity; }
void OXEParticleSystem::SetDontCreate(bool value) { dontCreate = value; }
