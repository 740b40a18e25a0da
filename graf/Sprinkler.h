// Sprinkler: water thrown up from the origin, spreading a little in x and z.
// Sprinkler itself leaves setParticleBlending abstract; SprinklerEffect is the class clients create.
#pragma once
#include "PSystem.h"

class PELMORA_GRAF_API Sprinkler : public PSystem {
public:
    Sprinkler(const std::string& fxName, const std::string& techName, const std::string& texName,
       const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    ~Sprinkler() override;
    void initParticle(Particle& out) override;
};

// Sprinkler with the base blending: the class to create.
class PELMORA_GRAF_API SprinklerEffect : public Sprinkler {
public:
    using Sprinkler::Sprinkler;
    void setParticleBlending(int alpha) override;
};
