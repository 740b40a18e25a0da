// OXEParticleSystem: a small screen-space emitter. A fixed pool of particles is allocated once;
// dead particles are reborn at the emission rate, live ones move in a straight line, and each is
// drawn as a textured, colour-fading, shrinking square with additive blending. Particle
// positions are relative to the emitter, so one system can be drawn at several places per frame.
#pragma once
#include "PelmoraPartsApi.h"
#include "OXEParticle.h"
#include "OXEParticleSystemParams.h"
#include "advString.h"
#include <d3d9.h>
#include <d3dx9.h>

class PELMORA_PARTS_API OXEParticleSystem {
public:
    OXEParticleSystemParams params; // the system's values; the setters write into it
    OXEParticle* particles;         // the pool, owned
    int count;                      // particles in the pool (never followed past it)
    IDirect3DTexture9* texture;     // owned; null when the file could not be loaded
    int rate;                       // emission rate, particles per second
    float carry;                    // fractional emission left over from earlier steps
    bool dontCreate;                // while true, dead particles are not reborn

    OXEParticleSystem();
    ~OXEParticleSystem(); // frees the pool and releases the texture
    // A copy has its own pool (the same particles) and shares the texture with its own reference.
    OXEParticleSystem(const OXEParticleSystem& other);
    OXEParticleSystem& operator=(const OXEParticleSystem& other);

    // Copies the parameters, makes a pool of count dead particles (replacing an earlier pool),
    // stores count and rate and loads the texture with the default D3DX file loader.
    // The parameters are taken by plain reference, as clients declare the operation (its
    // exported name follows the declaration); they are only read.
    void Create(IDirect3DDevice9* device, OXEParticleSystemParams& params, int count, int rate,
                advString textureFile);
    // Advances by dt seconds: steps the live particles, rebirths dead ones within the budget.
    void Simulate(float dt);
    // Draws the live particles round the emitter position with additive blending.
    void Render(IDirect3DDevice9* device);

    void SetPosition(D3DXVECTOR3& position); // only read
    D3DXVECTOR3 GetPosition();
    // These affect particles born afterwards.
    void SetSize(float size);
    void SetFinalSize(float finalSize);
    void SetLifeTime(float lifeTime);
    void SetDispersion(float dispersion);
    void SetVelocity(D3DXVECTOR3 velocity);
    void SetDontCreate(bool dontCreate);

private:
    void release();
};
