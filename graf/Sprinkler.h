/// \file
/// Sprinkler: water thrown up from the origin.
#pragma once
#include "PSystem.h"

/// Sprinkler: water thrown up from the origin, spreading a little in x and z.
///
/// Sprinkler itself leaves setParticleBlending abstract; SprinklerEffect is the class clients
/// create. Life cycle, ownership and device reset as for PSystem.
class PELMORA_GRAF_API Sprinkler : public PSystem {
public:
    /// The PSystem arguments, handed on unchanged.
    Sprinkler(const std::string& fxName, const std::string& techName, const std::string& texName,
       const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    /// Nothing of its own: PSystem's destructor releases.
    ~Sprinkler() override;
    /// A particle at the origin: colour white, life 4..5, size 8..12, mass 0.8..1.2, velocity
    /// (-2.5..2.5, 15..25, -2.5..2.5), born now.
    void initParticle(Particle& out) override;
};

/// Sprinkler with the base blending: the class to create (construct it with Sprinkler's arguments).
class PELMORA_GRAF_API SprinklerEffect : public Sprinkler {
public:
    /// Sprinkler's constructor.
    using Sprinkler::Sprinkler;
    /// PSystem's base body: the alpha byte of every particle younger than its life span.
    void setParticleBlending(int alpha) override;
};
