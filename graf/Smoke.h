// Smoke: large grey puffs born along a 400-unit column, drifting slowly, each living 16 time units.
// Smoke itself leaves setParticleBlending abstract; SmokeEffect is the class clients create.
#pragma once
#include "PSystem.h"

class PELMORA_GRAF_API Smoke : public PSystem {
public:
    Smoke(const std::string& fxName, const std::string& techName, const std::string& texName,
       const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    ~Smoke() override;
    void initParticle(Particle& out) override;
};

// Smoke with the base blending: the class to create.
class PELMORA_GRAF_API SmokeEffect : public Smoke {
public:
    using Smoke::Smoke;
    void setParticleBlending(int alpha) override;
};
