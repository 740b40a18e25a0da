// FireRing: glowing particles born on a ring of radius 10 to 14 about the origin in the x-y plane, flying off in random directions.
// FireRing itself leaves setParticleBlending abstract; FireRingEffect is the class clients create.
#pragma once
#include "PSystem.h"

class PELMORA_GRAF_API FireRing : public PSystem {
public:
    FireRing(const std::string& fxName, const std::string& techName, const std::string& texName,
       const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    ~FireRing() override;
    void initParticle(Particle& out) override;
};

// FireRing with the base blending: the class to create.
class PELMORA_GRAF_API FireRingEffect : public FireRing {
public:
    using FireRing::FireRing;
    void setParticleBlending(int alpha) override;
};
