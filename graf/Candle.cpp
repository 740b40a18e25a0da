#include "Candle.h"

Candle::Candle(const std::string& fxName, const std::string& techName, const std::string& texName,
               const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle)
    : PSystem(fxName, techName, texName, accel, box, maxNumParticles, timePerParticle)
{
}

Candle::~Candle() = default;

void Candle::initParticle(Particle& out)
{
    out.birthTime = time;
    out.lifeSpan = 2.0f * GetRandomFloat(0.0f, 1.0f) + 2.0f;
    out.startSize = 5.0f * GetRandomFloat(0.0f, 1.0f) + 10.0f;
    GetRandomVec(out.startVelocity);
    out.mass = GetRandomFloat(0.0f, 1.0f) + 1.0f;
    // The packed colour scaled as one number, exact in double precision, truncated.
    const float s = 0.5f * GetRandomFloat(0.0f, 1.0f) + 0.5f;
    out.startColor = D3DCOLOR(double(0xFFFFAC00u) * double(s));
    out.startPos = D3DXVECTOR3(0.0f, 0.0f, 2.0f * GetRandomFloat(0.0f, 1.0f) - 1.0f);
}

void CandleEffect::setParticleBlending(int alpha) { PSystem::setParticleBlending(alpha); }
