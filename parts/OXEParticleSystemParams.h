/// \file
/// OXEParticleSystemParams: the tunable values of an OXEParticleSystem.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

/// The tunable values of an OXEParticleSystem (52 bytes, copied whole). Positions and sizes are
/// screen pixels, times seconds, colours ARGB (alpha in the top byte).
class PELMORA_PARTS_API OXEParticleSystemParams {
public:
    D3DXVECTOR3 position; ///< emitter's screen position, added to every particle when drawn
    D3DXVECTOR3 velocity; ///< stored only: no particle motion uses it
    float size;           ///< a new particle's half side length in pixels
    float finalSize;      ///< half side length at the end of its life
    DWORD startColour;    ///< ARGB at birth
    DWORD endColour;      ///< ARGB at death
    float lifeTime;       ///< seconds
    float dispersion;     ///< spread of the emission direction (times +-3.132 radians)
    float speed;          ///< a new particle's speed in 100 pixels per second; negative: upwards

    /// Every field zero (callers set each one before use).
    OXEParticleSystemParams();
};

static_assert(sizeof(OXEParticleSystemParams) == 52, "parameter record is 52 bytes");
