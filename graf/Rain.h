/// \file
/// Rain: drops born in a 200 x 200 area above a camera position, falling fast.
#pragma once
#include "PSystem.h"

/// Rain: drops born in a 200 x 200 area 50 to 55 units above initCamPos, falling fast.
///
/// Rain itself leaves setParticleBlending abstract; RainEffect is the class clients create. Life
/// cycle, ownership and device reset as for PSystem.
class PELMORA_GRAF_API Rain : public PSystem {
public:
    /// The PSystem arguments, handed on unchanged, then the centre of the area in which drops
    /// are born.
    Rain(const std::string& fxName, const std::string& techName, const std::string& texName,
         const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle,
         D3DXVECTOR3 initCamPos);
    /// Nothing of its own: PSystem's destructor releases.
    ~Rain() override;
    /// A drop: position initCamPos + (-100..100, 50..55, -100..100), colour 0xFFFFD66D, life
    /// 2..2.5, size 6..7, velocity (-1.5..0, -35..-25, -0.5..0.5), born now.
    ///
    /// Note: the mass is not set: a drop keeps the mass its record had (0 for a record never used).
    void initParticle(Particle& out) override;
    /// Drops born from now on centre on pos; drops already falling stay where they are.
    void setInitCamPos(D3DXVECTOR3 pos);

    D3DXVECTOR3 initCamPos; ///< centre of the area in which drops are born
};

/// Rain with the base blending: the class to create (construct it with Rain's arguments).
class PELMORA_GRAF_API RainEffect : public Rain {
public:
    /// Rain's constructor.
    using Rain::Rain;
    /// PSystem's base body: the alpha byte of every particle younger than its life span.
    void setParticleBlending(int alpha) override;
};
