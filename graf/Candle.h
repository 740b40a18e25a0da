/// \file
/// Candle: a small flame.
#pragma once
#include "PSystem.h"

/// Candle: a small flame: particles born on a short line along z, flying off in random
/// directions.
///
/// Candle itself leaves setParticleBlending abstract; CandleEffect is the class clients create.
/// Life cycle, ownership and device reset as for PSystem.
class PELMORA_GRAF_API Candle : public PSystem {
public:
    /// The PSystem arguments, handed on unchanged.
    Candle(const std::string& fxName, const std::string& techName, const std::string& texName,
       const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    /// Nothing of its own: PSystem's destructor releases.
    ~Candle() override;
    /// A particle at (0, 0, -1..1): life 2..4, size 10..15, a random unit velocity, mass 1..2,
    /// born now; colour 0xFFFFAC00 scaled by 0.5..1.
    ///
    /// Note: the colour is scaled as one 32-bit number, not channel by channel (0.5 gives
    /// 0x7FFFD600); alpha never falls below 0x7F.
    void initParticle(Particle& out) override;
};

/// Candle with the base blending: the class to create (construct it with Candle's arguments).
class PELMORA_GRAF_API CandleEffect : public Candle {
public:
    /// Candle's constructor.
    using Candle::Candle;
    /// PSystem's base body: the alpha byte of every particle younger than its life span.
    void setParticleBlending(int alpha) override;
};
