/// \file
/// Smoke: large grey puffs born along a column, drifting slowly.
#pragma once
#include "PSystem.h"

/// Smoke: large grey puffs born along a 400-unit column, drifting slowly, each living 16 time
/// units.
///
/// Smoke itself leaves setParticleBlending abstract; SmokeEffect is the class clients create.
/// Life cycle, ownership and device reset as for PSystem.
class PELMORA_GRAF_API Smoke : public PSystem {
public:
    /// The PSystem arguments, handed on unchanged.
    Smoke(const std::string& fxName, const std::string& techName, const std::string& texName,
       const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    /// Nothing of its own: PSystem's destructor releases.
    ~Smoke() override;
    /// A puff at (0, 0..400, -3..3): colour 0xFF7E7E7E, life 16, size 58..72, mass 0.8..1.2,
    /// velocity (0.1..0.5, 0.1..0.2, 0), born now.
    void initParticle(Particle& out) override;
};

/// Smoke with the base blending: the class to create (construct it with Smoke's arguments).
class PELMORA_GRAF_API SmokeEffect : public Smoke {
public:
    /// Smoke's constructor.
    using Smoke::Smoke;
    /// PSystem's base body: the alpha byte of every particle younger than its life span.
    void setParticleBlending(int alpha) override;
};
