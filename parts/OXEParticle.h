// OXEParticle: one particle of an OXEParticleSystem. Its position is relative to the emitter, so
// the system can draw the same particles at any emitter position.
#pragma once
#include "PelmoraPartsApi.h"
#include "OXEParticleSystemParams.h"
#include <d3d9.h>
#include <d3dx9.h>

class PELMORA_PARTS_API OXEParticle {
public:
    D3DXVECTOR3 position;         // relative to the emitter, pixels
    D3DXVECTOR3 previousPosition; // position before the last step
    D3DXVECTOR3 velocity;         // pixels per second
    float startSize, endSize;     // half side length at birth and at death
    float age;                    // fraction of life used: 0 at birth, alive while below 1
    float lifeTime;               // seconds
    DWORD startColour, endColour; // ARGB at birth and at death
    float dispersion, speed;      // copied from the parameters at birth

    OXEParticle(); // dead (age 1), everything else zero

    // Rebirth at the emitter with a direction spread by the dispersion about straight down
    // (straight up for a negative speed), drawn from the library's own random generator.
    void Create(OXEParticleSystemParams& params); // params only read
    // One straight-line step of dt seconds; ages the particle by dt / lifeTime.
    void Simulate(float dt);
    // Draws the particle as a square round emitterPosition + position, its colour and size
    // interpolated by age. Returns 1 when the draw call succeeded, else 0.
    // emitterPosition is only read.
    long Render(IDirect3DDevice9* device, D3DXVECTOR3& emitterPosition);
    float GetLife(); // age
};
