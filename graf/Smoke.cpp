#include "Smoke.h"

Smoke::Smoke(const std::string& fxName, const std::string& techName, const std::string& texName,
             const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle)
    : PSystem(fxName, techName, texName, accel, box, maxNumParticles, timePerParticle)
{
}

Smoke::~Smoke() = default;

void Smoke::initParticle(Particle& out)
{
    out.startPos.x = 0.0f;
    out.startPos.y = 400.0f * GetRandomFloat(0.0f, 1.0f);
    out.startPos.z = 6.0f * GetRandomFloat(0.0f, 1.0f) - 3.0f;
    out.birthTime = time;
    out.startColor = 0xFF7E7E7Eu;
    out.lifeSpan = 16.0f;
    out.startSize = 14.0f * GetRandomFloat(0.0f, 1.0f) + 58.0f;
    out.mass = GetRandomFloat(0.8f, 1.2f);
    out.startVelocity.x = GetRandomFloat(0.1f, 0.5f);
    out.startVelocity.y = GetRandomFloat(0.1f, 0.2f);
    out.startVelocity.z = 0.0f;
}

void SmokeEffect::setParticleBlending(int alpha) { PSystem::setParticleBlending(alpha); }
