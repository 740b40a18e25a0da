/// \file
/// OXEParticle: one particle of an OXEParticleSystem.
#pragma once
#include "PelmoraPartsApi.h"
#include "OXEParticleSystemParams.h"
#include <d3d9.h>
#include <d3dx9.h>

/// One particle of an OXEParticleSystem, in screen pixels and seconds.
///
/// Its position is relative to the emitter, so the system can draw the same particles at any
/// emitter position. The system makes, steps and draws its particles; a particle owns nothing.
class PELMORA_PARTS_API OXEParticle {
public:
    D3DXVECTOR3 position;         ///< relative to the emitter, pixels
    D3DXVECTOR3 previousPosition; ///< position before the last step
    D3DXVECTOR3 velocity;         ///< pixels per second
    /// \var startSize
    /// Half side length at birth, in pixels.
    float startSize, endSize;     ///< half side length at birth and at death
    float age;                    ///< fraction of life used: 0 at birth, alive while below 1
    float lifeTime;               ///< seconds
    /// \var startColour
    /// ARGB colour at birth.
    DWORD startColour, endColour; ///< ARGB at birth and at death
    /// \var dispersion
    /// Spread of the emission direction, copied from the parameters at birth.
    float dispersion, speed;      ///< copied from the parameters at birth

    /// Dead (age 1), everything else zero.
    OXEParticle();

    /// Rebirth at the emitter (position 0, age 0) with sizes, colours and life time from params
    /// (only read), and a direction spread by the dispersion about straight down (straight up for
    /// a negative speed), drawn from PelmoraParts' own random generator (OXERand, never seeded by
    /// the library). Speed = params.speed x 100 pixels per second (twice that once in 32768 draws).
    void Create(OXEParticleSystemParams& params);
    /// One straight-line step of dt seconds; ages the particle by dt / lifeTime.
    void Simulate(float dt);
    /// Draws the particle as a square of half side startSize..endSize round emitterPosition +
    /// position (emitterPosition only read), its colour and size interpolated by age, from
    /// memory (DrawPrimitiveUP, triangle fan) with the device's current states and FVF.
    /// Returns 1 when the draw call succeeded, else 0 (also for a null device).
    ///
    /// Note: Direct3D leaves stream 0 unset after drawing from memory; the render device's vertex
    /// cache manager does not know, so a static buffer drawn after it needs the manager's
    /// InvalidateStates first.
    long Render(IDirect3DDevice9* device, D3DXVECTOR3& emitterPosition);
    /// The age: fraction of life used (alive below 1).
    float GetLife();
};
