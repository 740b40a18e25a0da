/// \file
/// FireRing: glowing particles born on a ring, flying off in random directions.
#pragma once
#include "PSystem.h"

/// FireRing: glowing particles born on a ring of radius 10 to 14 about the origin in the x-y
/// plane, flying off in random directions.
///
/// FireRing itself leaves setParticleBlending abstract; FireRingEffect is the class clients
/// create. Life cycle, ownership and device reset as for PSystem.
class PELMORA_GRAF_API FireRing : public PSystem {
public:
    /// The PSystem arguments, handed on unchanged.
    FireRing(const std::string& fxName, const std::string& techName, const std::string& texName,
       const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    /// Nothing of its own: PSystem's destructor releases.
    ~FireRing() override;
    /// A particle: life 2..4, size 10..15, a random unit velocity, mass 1..2, position on the
    /// ring (radius 10..14 in x-y, z -1..1), born now; colour 0xFFFF1A00 scaled by 0.5..1.
    ///
    /// Note: the colour is scaled as one 32-bit number, not channel by channel: alpha and the
    /// lower bytes change together (0.5 gives 0x7FFF8D00); alpha never falls below 0x7F.
    void initParticle(Particle& out) override;
};

/// FireRing with the base blending: the class to create (construct it with FireRing's arguments).
class PELMORA_GRAF_API FireRingEffect : public FireRing {
public:
    /// FireRing's constructor.
    using FireRing::FireRing;
    /// PSystem's base body: the alpha byte of every particle younger than its life span.
    void setParticleBlending(int alpha) override;
};
