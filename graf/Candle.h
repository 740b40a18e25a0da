// Candle: a small flame: particles born on a short line along z, flying off in random directions.
// Candle itself leaves setParticleBlending abstract; CandleEffect is the class clients create.
#pragma once
#include "PSystem.h"

class PELMORA_GRAF_API Candle : public PSystem {
public:
    Candle(const std::string& fxName, const std::string& techName, const std::string& texName,
       const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    ~Candle() override;
    void initParticle(Particle& out) override;
};

// Candle with the base blending: the class to create.
class PELMORA_GRAF_API CandleEffect : public Candle {
public:
    using Candle::Candle;
    void setParticleBlending(int alpha) override;
};
