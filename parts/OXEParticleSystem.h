/// \file
/// OXEParticleSystem: a small screen-space particle emitter.
#pragma once
#include "PelmoraPartsApi.h"
#include "OXEParticle.h"
#include "OXEParticleSystemParams.h"
#include "advString.h"
#include <d3d9.h>
#include <d3dx9.h>

/// A small screen-space emitter: a fixed pool of particles is allocated once; dead particles are
/// reborn at the emission rate, live ones move in a straight line, and each is drawn as a
/// textured, colour-fading, shrinking square with additive blending.
///
/// Use: construct, Create once, then per frame any number of (SetPosition, Simulate, Render);
/// destroy. Particle positions are relative to the emitter, so one system can be drawn at
/// several places per frame. It owns its pool and its texture (managed pool) and releases them in
/// its destructor: destroy it before the device is released. It draws from memory, so a device
/// reset asks nothing of it.
class PELMORA_PARTS_API OXEParticleSystem {
public:
    OXEParticleSystemParams params; ///< the system's values; the setters write into it
    OXEParticle* particles;         ///< the pool, owned
    int count;                      ///< particles in the pool (never followed past it)
    IDirect3DTexture9* texture;     ///< owned; null when the file could not be loaded
    int rate;                       ///< emission rate, particles per second
    float carry;                    ///< fractional emission left over from earlier steps
    bool dontCreate;                ///< while true, dead particles are not reborn

    /// No pool, no texture, rate 0; the parameters zero.
    OXEParticleSystem();
    /// Frees the pool and releases the texture.
    ~OXEParticleSystem();
    /// A copy has its own pool (the same particles) and shares the texture with its own reference.
    OXEParticleSystem(const OXEParticleSystem& other);
    /// As the copy constructor; what this system held before is released.
    OXEParticleSystem& operator=(const OXEParticleSystem& other);

    /// Copies the parameters, makes a pool of count dead particles (replacing an earlier pool;
    /// none for count below 1), stores rate (particles per second) and loads the texture with
    /// the default D3DX file loader. Nothing is reported: a texture that does not load leaves the
    /// particles untextured. The parameters are taken by plain reference, as clients declare the
    /// operation (its exported name follows the declaration); they are only read.
    void Create(IDirect3DDevice9* device, OXEParticleSystemParams& params, int count, int rate,
                advString textureFile);
    /// Advances by dt seconds: steps the live particles, and rebirths dead ones in pool order
    /// within the budget rate x dt plus the fraction carried from before (none while dontCreate).
    /// A reborn particle first moves in the next step.
    void Simulate(float dt);
    /// Draws the live particles round the emitter position with additive blending.
    ///
    /// Leaves set: alpha blending on, point sprites and point scaling on, z test on, stage 0
    /// alpha argument 1 = texture, FVF 0x144, blending back to source alpha / inverse source
    /// alpha; stage 0's texture is taken off again.
    /// Note: each particle is drawn from memory, which leaves stream 0 unset; the render device's
    /// vertex cache manager does not know, so a static buffer drawn after it needs the manager's
    /// InvalidateStates first.
    /// Note: it sets no shader; clear the render device's vertex shader first
    /// (SetVertexShader(nullptr)).
    void Render(IDirect3DDevice9* device);

    /// Moves the emitter (screen pixels; position only read); the live particles move with it.
    void SetPosition(D3DXVECTOR3& position);
    /// The emitter's position.
    D3DXVECTOR3 GetPosition();
    /// Half side length in pixels of particles born from now on.
    void SetSize(float size);
    /// Half side length at death of particles born from now on.
    void SetFinalSize(float finalSize);
    /// Life time in seconds of particles born from now on.
    void SetLifeTime(float lifeTime);
    /// Direction spread of particles born from now on.
    void SetDispersion(float dispersion);
    /// Stores the velocity parameter. Note: no particle motion uses it.
    void SetVelocity(D3DXVECTOR3 velocity);
    /// Stops (true) or resumes (false) rebirth; live particles finish their lives.
    void SetDontCreate(bool dontCreate);

private:
    void release();
};
