#include "Sprinkler.h"

Sprinkler::Sprinkler(const std::string& fxName, const std::string& techName, const std::string& texName,
                     const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle)
    : PSystem(fxName, techName, texName, accel, box, maxNumParticles, timePerParticle)
{
}

Sprinkler::~Sprinkler() = default;

void Sprinkler::initParticle(Particle& out)
{
    out.startPos = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    out.birthTime = time;
    out.startColor = 0xFFFFFFFFu;
    out.lifeSpan = GetRandomFloat(0.0f, 1.0f) + 4.0f;
    out.startSize = 4.0f * GetRandomFloat(0.0f, 1.0f) + 8.0f;
    out.mass = GetRandomFloat(0.8f, 1.2f);
    out.startVelocity.x = 5.0f * GetRandomFloat(0.0f, 1.0f) - 2.5f;
    out.startVelocity.y = 10.0f * GetRandomFloat(0.0f, 1.0f) + 15.0f;
    out.startVelocity.z = 5.0f * GetRandomFloat(0.0f, 1.0f) - 2.5f;
}

void SprinklerEffect::setParticleBlending(int alpha) { PSystem::setParticleBlending(alpha); }
