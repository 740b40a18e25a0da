#include "FireRing.h"
#include <cmath>

FireRing::FireRing(const std::string& fxName, const std::string& techName, const std::string& texName,
                   const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle)
    : PSystem(fxName, techName, texName, accel, box, maxNumParticles, timePerParticle)
{
}

FireRing::~FireRing() = default;

void FireRing::initParticle(Particle& out)
{
    out.birthTime = time;
    out.lifeSpan = 2.0f * GetRandomFloat(0.0f, 1.0f) + 2.0f;
    out.startSize = 5.0f * GetRandomFloat(0.0f, 1.0f) + 10.0f;
    GetRandomVec(out.startVelocity);
    out.mass = GetRandomFloat(0.0f, 1.0f) + 1.0f;
    // The packed colour scaled as one number: alpha and the lower channels dim together. The
    // product is exact in double precision and truncated towards zero.
    const float s = 0.5f * GetRandomFloat(0.0f, 1.0f) + 0.5f;
    out.startColor = D3DCOLOR(double(0xFFFF1A00u) * double(s));
    const float radius = 4.0f * GetRandomFloat(0.0f, 1.0f) + 10.0f;
    const float angle = 6.2831855f * GetRandomFloat(0.0f, 1.0f);
    out.startPos.x = std::cos(angle) * radius;
    out.startPos.y = std::sin(angle) * radius;
    out.startPos.z = 2.0f * GetRandomFloat(0.0f, 1.0f) - 1.0f;
}

void FireRingEffect::setParticleBlending(int alpha) { PSystem::setParticleBlending(alpha); }
