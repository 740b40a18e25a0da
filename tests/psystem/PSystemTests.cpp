// The processor side of the particle systems: pool, alive and dead lists, births, the shared
// emission accumulator, blending and fading, and the start values each effect kind draws.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include "PSystem.h"
#include "Rain.h"
#include "FireRing.h"
#include "Sprinkler.h"
#include "Smoke.h"
#include "Candle.h"
#include "OXERandom.h"
#include "PSystemTestSupport.h"

using namespace psystemtest;

namespace {

// A system whose births get a fixed life span; it counts them.
class FixedLife : public PSystem {
public:
    FixedLife(int max, float interval, float life = 10.0f)
        : PSystem("", "", "", D3DXVECTOR3(0, 0, 0), OXEAabb(), max, interval), life_(life) {}
    void initParticle(Particle& out) override
    {
        out.birthTime = time;
        out.lifeSpan = life_;
        out.startColor = 0xFF102030u;
        ++births;
    }
    void setParticleBlending(int alpha) override { PSystem::setParticleBlending(alpha); }
    int births = 0;

private:
    float life_;
};

int IndexOf(const PSystem& s, const Particle* p) { return int(p - s.particles.data()); }

// The library's draw, mirrored from the test program's own copy of the same generator.
float MirrorR() { return float(OXERand() % 10001) * 0.0001f; }
void SeedBoth(unsigned seed)
{
    SeedParticleRandom(seed);
    OXESeedRand(seed);
}

const D3DXVECTOR3 kNoAccel(0, 0, 0);

// Fills the stack below the caller's frame with non-zero bytes, where the next call's locals
// will lie.
__attribute__((noinline)) void LeaveStackGarbage()
{
    volatile unsigned char junk[16384];
    for (size_t i = 0; i < sizeof junk; ++i) junk[i] = (unsigned char)(0xA5 ^ i);
}

} // namespace

TEST(PSystemPool, StartsAllDeadAndFirstUpdateListsEveryRecordDeadInIndexOrder)
{
    // Stack bytes left over from an earlier call must not reach the fresh records: every byte
    // is zero but those of the life span (-1).
    LeaveStackGarbage();
    FixedLife s(5, 0.0f);
    ASSERT_EQ(s.particles.size(), 5u);
    Particle expected;
    std::memset(static_cast<void*>(&expected), 0, sizeof expected);
    expected.lifeSpan = -1.0f;
    for (const Particle& p : s.particles) {
        EXPECT_EQ(p.lifeSpan, -1.0f);
        EXPECT_EQ(p.birthTime, 0.0f);
        EXPECT_EQ(std::memcmp(&p, &expected, sizeof p), 0)
            << "startPos (" << p.startPos.x << ", " << p.startPos.y << ", " << p.startPos.z
            << ") startVelocity (" << p.startVelocity.x << ", " << p.startVelocity.y << ", "
            << p.startVelocity.z << ") size " << p.startSize << " mass " << p.mass << " colour "
            << std::hex << p.startColor;
    }
    EXPECT_GE(s.alive.capacity(), 5u);
    EXPECT_GE(s.dead.capacity(), 5u);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    EXPECT_EQ(s.world, id);
    EXPECT_EQ(s.invWorld, id);
    s.update(0.0f);
    ASSERT_EQ(s.dead.size(), 5u);
    EXPECT_TRUE(s.alive.empty());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(IndexOf(s, s.dead[i]), i);
}

TEST(PSystemPool, BirthsTakeTheHighestDeadRecordAndStopWhenNoneIsLeft)
{
    FixedLife s(3, 0.0f);
    s.update(0.0f);
    const Particle* pool = s.particles.data();
    s.addParticle();
    ASSERT_EQ(s.alive.size(), 1u);
    EXPECT_EQ(s.alive[0], pool + 2);
    s.addParticle();
    EXPECT_EQ(s.alive[1], pool + 1);
    s.addParticle();
    s.addParticle(); // nothing left: no birth, no crash
    EXPECT_EQ(s.births, 3);
    EXPECT_TRUE(s.dead.empty());
    // The lists are rebuilt in index order at the next update.
    s.update(1.0f);
    ASSERT_EQ(s.alive.size(), 3u);
    EXPECT_EQ(s.alive[0], pool + 0);
    // No allocation: the pool never moved.
    EXPECT_EQ(s.particles.data(), pool);
}

TEST(PSystemPool, NoAutomaticBirthsWithoutAPositiveInterval)
{
    for (float interval : {0.0f, -1.0f}) {
        PSystem::emitAccumulator = 0.0f;
        FixedLife s(4, interval);
        s.update(100.0f);
        EXPECT_EQ(s.births, 0) << interval;
        EXPECT_EQ(PSystem::emitAccumulator, 0.0f) << "the accumulator only gathers for emitting systems";
        s.addParticle();
        EXPECT_EQ(s.births, 1);
    }
}

TEST(PSystemEmission, StepsOfSeveralIntervalsGiveThatManyBirthsAndKeepTheRemainder)
{
    PSystem::emitAccumulator = 0.0f;
    FixedLife s(10, 0.25f);
    s.update(0.625f);
    EXPECT_EQ(s.births, 2);
    EXPECT_EQ(PSystem::emitAccumulator, 0.125f);
    EXPECT_EQ(s.alive.size(), 2u);
    s.update(0.625f);
    EXPECT_EQ(s.births, 5);
    EXPECT_EQ(PSystem::emitAccumulator, 0.0f) << "an accumulator equal to the interval still gives a birth";
    EXPECT_EQ(s.alive.size(), 5u);
    // Births carry the clock after the step.
    EXPECT_EQ(s.alive.back()->birthTime, 1.25f);
}

TEST(PSystemEmission, TwoSystemsShareOneAccumulator)
{
    PSystem::emitAccumulator = 0.0f;
    FixedLife slow(4, 1.0f), fast(4, 0.5f);
    slow.update(0.375f);
    EXPECT_EQ(slow.births, 0);
    EXPECT_EQ(PSystem::emitAccumulator, 0.375f);
    fast.update(0.375f); // the shared 0.75 passes fast's interval
    EXPECT_EQ(fast.births, 1);
    EXPECT_EQ(PSystem::emitAccumulator, 0.25f);
    slow.update(0.375f);
    EXPECT_EQ(slow.births, 0);
    EXPECT_EQ(PSystem::emitAccumulator, 0.625f);
}

TEST(PSystemEmission, BirthsLostForWantOfARecordAreNotMadeUp)
{
    PSystem::emitAccumulator = 0.0f;
    FixedLife s(2, 0.25f, 0.5f);
    s.update(1.0f); // four intervals, two records
    EXPECT_EQ(s.births, 2);
    EXPECT_EQ(PSystem::emitAccumulator, 0.0f);
    s.update(1.0f); // both died (age 1 > 0.5): four more intervals, two records again
    EXPECT_EQ(s.births, 4);
}

TEST(PSystemEmission, IntervalsWithoutAFreeRecordAreCountedDownOneByOne)
{
    // 0.25 less the interval 0.1 twice, in single precision: 0.0500000045, which with another
    // 0.05 reaches the interval again (a remainder of the division, 0.049999997, does not).
    PSystem::emitAccumulator = 0.0f;
    FixedLife empty(0, 0.1f);
    empty.update(0.25f);
    volatile float expected = 0.25f;
    expected = expected - 0.1f;
    expected = expected - 0.1f;
    EXPECT_EQ(PSystem::emitAccumulator, expected);
    FixedLife other(1, 0.1f);
    other.update(0.05f);
    EXPECT_EQ(other.births, 1);
    PSystem::emitAccumulator = 0.0f;
}

TEST(PSystemLife, AgeEqualToLifeSpanIsAliveButNoLongerBlended)
{
    PSystem::emitAccumulator = 0.0f;
    FixedLife s(2, 0.0f, 2.0f);
    s.update(0.0f);
    s.addParticle(); // record 1, born at 0, lives 2
    s.setTime(1.0f);
    s.addParticle(); // record 0, born at 1
    s.setTime(2.0f);
    s.setParticleBlending(0x1AB); // only the low byte counts
    EXPECT_EQ(s.particles[1].startColor, 0xFF102030u) << "age 2 = life span 2: not blended";
    EXPECT_EQ(s.particles[0].startColor, 0xAB102030u);
    s.update(0.0f);
    EXPECT_EQ(s.alive.size(), 2u) << "age equal to the life span is still alive";
    s.update(0.5f);
    ASSERT_EQ(s.alive.size(), 1u);
    EXPECT_EQ(IndexOf(s, s.alive[0]), 0);
    // A record never born is not blended either.
    FixedLife fresh(1, 0.0f);
    fresh.setParticleBlending(0);
    EXPECT_EQ(fresh.particles[0].startColor, 0u);
}

TEST(PSystemLife, AlphaFadeRaisesYoungParticlesToOpaqueWhateverTheFrameRate)
{
    PSystem::emitAccumulator = 0.0f;
    FixedLife s(1, 0.0f, 10.0f);
    EXPECT_FALSE(s.useAlphaFade);
    s.update(0.0f);
    s.addParticle();
    s.setParticleBlending(0);
    s.update(1.0f); // fraction 0.1, fade off
    EXPECT_EQ(s.particles[0].startColor, 0x00102030u);
    s.UseAlphaBlendingParticles(true);
    s.update(0.0f); // fraction 0.1: half way up
    EXPECT_EQ(s.particles[0].startColor >> 24, 127u);
    EXPECT_EQ(s.particles[0].startColor & 0xFFFFFF, 0x102030u);
    for (int i = 0; i < 10; ++i) s.update(0.0f); // repeated updates change nothing
    EXPECT_EQ(s.particles[0].startColor >> 24, 127u);
    s.update(0.5f); // fraction 0.15
    EXPECT_EQ(s.particles[0].startColor >> 24, 191u);
    s.setParticleBlending(0x20);
    s.update(1.0f); // fraction 0.25: past the fade, left alone
    EXPECT_EQ(s.particles[0].startColor >> 24, 0x20u);
}

TEST(PSystemTransform, WorldMatrixKeepsItsInverse)
{
    FixedLife s(1, 0.0f);
    D3DXMATRIX m, r, t, product;
    D3DXMatrixRotationY(&r, 0.7f);
    D3DXMatrixTranslation(&t, 3, -2, 5);
    m = r * t;
    s.setWorldMtx(m);
    EXPECT_EQ(s.world, m);
    product = s.world * s.invWorld;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(product(i, j), i == j ? 1.0f : 0.0f, 1e-5f);
}

TEST(ParticleRandom, DrawsFollowTheLibrarysOwnGenerator)
{
    SeedBoth(12345);
    EXPECT_EQ(GetRandomFloat(3.0f, 3.0f), 3.0f);
    EXPECT_EQ(GetRandomFloat(5.0f, 1.0f), 5.0f);
    float r = MirrorR();
    EXPECT_EQ(GetRandomFloat(2.0f, 4.0f), 2.0f + 2.0f * r) << "a >= b draws nothing";
    for (int i = 0; i < 200; ++i) {
        float v = GetRandomFloat(-1.0f, 1.0f);
        EXPECT_GE(v, -1.0f);
        EXPECT_LE(v, 1.0f);
    }
    SeedBoth(99);
    D3DXVECTOR3 v, want;
    GetRandomVec(v);
    want.x = 2 * MirrorR() - 1, want.y = 2 * MirrorR() - 1, want.z = 2 * MirrorR() - 1;
    D3DXVec3Normalize(&want, &want);
    EXPECT_NEAR(D3DXVec3Length(&v), 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(v.x, want.x);
    EXPECT_FLOAT_EQ(v.y, want.y);
    EXPECT_FLOAT_EQ(v.z, want.z);
}

namespace {

// floor(base * s) for a float s in [0.5, 1], in integers: s = m / 2^24 exactly.
uint32_t ScaledExactly(uint64_t base, float s)
{
    uint64_t m = uint64_t(std::ldexp(double(s), 24));
    return uint32_t((base * m) >> 24);
}

template <class K> void CheckFlame(uint32_t baseColor, bool ring)
{
    PSystem::emitAccumulator = 0.0f;
    K k("", "", "", kNoAccel, OXEAabb(), 400, 0.0f);
    k.setTime(3.0f);
    k.update(0.0f);
    SeedBoth(777);
    for (int i = 0; i < 400; ++i) {
        k.addParticle();
        const Particle& p = *k.alive.back();
        EXPECT_EQ(p.birthTime, 3.0f);
        EXPECT_EQ(p.lifeSpan, 2.0f * MirrorR() + 2.0f);
        EXPECT_EQ(p.startSize, 5.0f * MirrorR() + 10.0f);
        D3DXVECTOR3 v;
        v.x = 2 * MirrorR() - 1;
        v.y = 2 * MirrorR() - 1;
        v.z = 2 * MirrorR() - 1;
        D3DXVec3Normalize(&v, &v);
        EXPECT_FLOAT_EQ(p.startVelocity.x, v.x);
        EXPECT_EQ(p.mass, MirrorR() + 1.0f);
        float s = 0.5f * MirrorR() + 0.5f;
        ASSERT_EQ(p.startColor, ScaledExactly(baseColor, s)) << "s = " << s;
        EXPECT_GE(p.startColor >> 24, 0x7Fu);
        if (ring) {
            float radius = 4.0f * MirrorR() + 10.0f;
            float angle = 6.2831855f * MirrorR();
            EXPECT_NEAR(p.startPos.x, std::cos(angle) * radius, 1e-4f);
            EXPECT_NEAR(p.startPos.y, std::sin(angle) * radius, 1e-4f);
            float d = std::sqrt(p.startPos.x * p.startPos.x + p.startPos.y * p.startPos.y);
            EXPECT_GE(d, 10.0f - 1e-3f);
            EXPECT_LE(d, 14.0f + 1e-3f);
        } else {
            EXPECT_EQ(p.startPos.x, 0.0f);
            EXPECT_EQ(p.startPos.y, 0.0f);
        }
        EXPECT_EQ(p.startPos.z, 2.0f * MirrorR() - 1.0f);
    }
}

} // namespace

TEST(EffectKinds, FlameColoursScaleThePackedNumber)
{
    EXPECT_EQ(ScaledExactly(0xFFFF1A00u, 1.0f), 0xFFFF1A00u);
    EXPECT_EQ(ScaledExactly(0xFFFF1A00u, 0.5f), 0x7FFF8D00u);
    EXPECT_EQ(ScaledExactly(0xFFFFAC00u, 0.5f), 0x7FFFD600u);
    CheckFlame<FireRingEffect>(0xFFFF1A00u, true);
    CheckFlame<CandleEffect>(0xFFFFAC00u, false);
}

TEST(EffectKinds, RainFallsAroundItsCameraPositionAndKeepsOldMass)
{
    PSystem::emitAccumulator = 0.0f;
    RainEffect rain("", "", "", kNoAccel, OXEAabb(), 100, 0.0f, D3DXVECTOR3(10, 20, 30));
    rain.update(0.0f);
    SeedBoth(4242);
    for (int i = 0; i < 50; ++i) {
        rain.addParticle();
        const Particle& p = *rain.alive.back();
        EXPECT_EQ(p.startPos.x, 10.0f + (200.0f * MirrorR() - 100.0f));
        EXPECT_EQ(p.startPos.z, 30.0f + (200.0f * MirrorR() - 100.0f));
        EXPECT_EQ(p.startPos.y, 20.0f + (5.0f * MirrorR() + 50.0f));
        EXPECT_EQ(p.startColor, 0xFFFFD66Du);
        EXPECT_EQ(p.lifeSpan, 0.5f * MirrorR() + 2.0f);
        EXPECT_EQ(p.startSize, MirrorR() + 6.0f);
        EXPECT_EQ(p.startVelocity.x, -1.5f + 1.5f * MirrorR());
        EXPECT_EQ(p.startVelocity.y, 10.0f * MirrorR() - 35.0f);
        EXPECT_EQ(p.startVelocity.z, MirrorR() - 0.5f);
        EXPECT_EQ(p.mass, 0.0f) << "a record never used has mass 0";
        EXPECT_LE(std::fabs(p.startPos.x - 10.0f), 100.0f);
        EXPECT_LE(std::fabs(p.startPos.z - 30.0f), 100.0f);
    }
    D3DXVECTOR3 before = rain.alive[0]->startPos;
    rain.setInitCamPos(D3DXVECTOR3(1000, 0, -1000));
    rain.addParticle();
    const Particle& moved = *rain.alive.back();
    EXPECT_NEAR(moved.startPos.x, 1000.0f, 100.0f);
    EXPECT_NEAR(moved.startPos.z, -1000.0f, 100.0f);
    EXPECT_GE(moved.startPos.y, 50.0f);
    EXPECT_LE(moved.startPos.y, 55.0f);
    EXPECT_EQ(rain.alive[0]->startPos, before) << "drops already born stay where they are";
    // A recycled record keeps the mass it had.
    rain.particles[0].mass = 7.5f;
    rain.particles[0].lifeSpan = -1.0f;
    rain.update(0.0f);
    while (!rain.dead.empty() && rain.dead.back() != &rain.particles[0]) rain.addParticle();
    rain.addParticle();
    EXPECT_EQ(rain.particles[0].mass, 7.5f);
    EXPECT_NEAR(rain.particles[0].startPos.x, 1000.0f, 100.0f);
}

TEST(EffectKinds, SprinklerAndSmokeStartValues)
{
    PSystem::emitAccumulator = 0.0f;
    SprinklerEffect sp("", "", "", kNoAccel, OXEAabb(), 20, 0.0f);
    SmokeEffect sm("", "", "", kNoAccel, OXEAabb(), 200, 0.0f);
    sp.update(0.0f);
    sm.update(0.0f);
    SeedBoth(31337);
    for (int i = 0; i < 20; ++i) {
        sp.addParticle();
        const Particle& p = *sp.alive.back();
        EXPECT_EQ(p.startPos, D3DXVECTOR3(0, 0, 0));
        EXPECT_EQ(p.startColor, 0xFFFFFFFFu);
        EXPECT_EQ(p.lifeSpan, MirrorR() + 4.0f);
        EXPECT_EQ(p.startSize, 4.0f * MirrorR() + 8.0f);
        EXPECT_EQ(p.mass, 0.8f + (1.2f - 0.8f) * MirrorR());
        EXPECT_EQ(p.startVelocity.x, 5.0f * MirrorR() - 2.5f);
        EXPECT_EQ(p.startVelocity.y, 10.0f * MirrorR() + 15.0f);
        EXPECT_EQ(p.startVelocity.z, 5.0f * MirrorR() - 2.5f);
    }
    for (int i = 0; i < 200; ++i) {
        sm.addParticle();
        const Particle& p = *sm.alive.back();
        EXPECT_EQ(p.lifeSpan, 16.0f) << "every puff lives 16 time units";
        EXPECT_EQ(p.startPos.x, 0.0f);
        EXPECT_EQ(p.startPos.y, 400.0f * MirrorR());
        EXPECT_EQ(p.startPos.z, 6.0f * MirrorR() - 3.0f);
        EXPECT_EQ(p.startColor, 0xFF7E7E7Eu);
        EXPECT_EQ(p.startSize, 14.0f * MirrorR() + 58.0f);
        EXPECT_EQ(p.mass, 0.8f + (1.2f - 0.8f) * MirrorR());
        EXPECT_EQ(p.startVelocity.x, 0.1f + (0.5f - 0.1f) * MirrorR());
        EXPECT_EQ(p.startVelocity.y, 0.1f + (0.2f - 0.1f) * MirrorR());
        EXPECT_EQ(p.startVelocity.z, 0.0f);
    }
}
