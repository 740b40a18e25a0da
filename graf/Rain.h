// Rain: drops born in a 200 x 200 area 50 to 55 units above initCamPos, falling fast.
// Rain itself leaves setParticleBlending abstract; RainEffect is the class clients create.
#pragma once
#include "PSystem.h"

class PELMORA_GRAF_API Rain : public PSystem {
public:
    Rain(const std::string& fxName, const std::string& techName, const std::string& texName,
         const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle,
         D3DXVECTOR3 initCamPos);
    ~Rain() override;
    void initParticle(Particle& out) override;
    // Drops born from now on centre on pos; drops already falling stay where they are.
    void setInitCamPos(D3DXVECTOR3 pos);

    D3DXVECTOR3 initCamPos; // centre of the area in which drops are born
};

// Rain with the base blending: the class to create.
class PELMORA_GRAF_API RainEffect : public Rain {
public:
    using Rain::Rain;
    void setParticleBlending(int alpha) override;
};
