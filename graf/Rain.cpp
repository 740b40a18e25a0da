#include "Rain.h"

Rain::Rain(const std::string& fxName, const std::string& techName, const std::string& texName,
           const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle,
           D3DXVECTOR3 initCamPos_)
    : PSystem(fxName, techName, texName, accel, box, maxNumParticles, timePerParticle),
      initCamPos(initCamPos_)
{
}

Rain::~Rain() = default;

void Rain::setInitCamPos(D3DXVECTOR3 pos) { initCamPos = pos; }

// The mass is left as the record had it.
void Rain::initParticle(Particle& out)
{
    out.startPos = initCamPos;
    out.startPos.x += 200.0f * GetRandomFloat(0.0f, 1.0f) - 100.0f;
    out.startPos.z += 200.0f * GetRandomFloat(0.0f, 1.0f) - 100.0f;
    out.startPos.y += 5.0f * GetRandomFloat(0.0f, 1.0f) + 50.0f;
    out.birthTime = time;
    out.startColor = 0xFFFFD66Du;
    out.lifeSpan = 0.5f * GetRandomFloat(0.0f, 1.0f) + 2.0f;
    out.startSize = GetRandomFloat(0.0f, 1.0f) + 6.0f;
    out.startVelocity.x = -1.5f + 1.5f * GetRandomFloat(0.0f, 1.0f);
    out.startVelocity.y = 10.0f * GetRandomFloat(0.0f, 1.0f) - 35.0f;
    out.startVelocity.z = GetRandomFloat(0.0f, 1.0f) - 0.5f;
}

void RainEffect::setParticleBlending(int alpha) { PSystem::setParticleBlending(alpha); }
