// The graphics library given counts, intervals and pointers out of range: particle pools too
// large to make, emission intervals too small to count down, alpha values past a byte, and the
// geometry operations given null outputs, negative or huge plane counts and bad polygon indices.
#include <gtest/gtest.h>
#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include "OXEAabb.h"
#include "OXEObb.h"
#include "OXEPlane.h"
#include "OXEPolygon.h"
#include "OXEQuat.h"
#include "OXERay.h"
#include "PSystem.h"
#include "Smoke.h"

namespace {

// A system whose births live long and carry a known colour; it counts them.
class Counted : public PSystem {
public:
    Counted(int max, float interval)
        : PSystem("", "", "", D3DXVECTOR3(0, 0, 0), OXEAabb(), max, interval) {}
    void initParticle(Particle& out) override
    {
        out.birthTime = time;
        out.lifeSpan = 1000.0f;
        out.startColor = 0x11223344u;
        ++births;
    }
    void setParticleBlending(int alpha) override { PSystem::setParticleBlending(alpha); }
    int births = 0;
};

class BlendedSmoke : public Smoke {
public:
    BlendedSmoke(int max)
        : Smoke("", "", "", D3DXVECTOR3(0, 0, 0), OXEAabb(), max, 0.01f) {}
    void setParticleBlending(int alpha) override { PSystem::setParticleBlending(alpha); }
};

// Resets the accumulator every system shares around each test.
struct SharedAccumulator : ::testing::Test {
    void SetUp() override { PSystem::emitAccumulator = 0.0f; }
    void TearDown() override { PSystem::emitAccumulator = 0.0f; }
};

} // namespace

TEST_F(SharedAccumulator, PoolsPastTheLargestSizeAreNotMadeAndTheSystemStaysInert)
{
    for (int n : {-1, INT_MIN, PSystem::MaxParticles + 1, INT_MAX}) {
        Counted s(n, 0.1f);
        EXPECT_EQ(s.maxParticles, 0) << n;
        EXPECT_TRUE(s.particles.empty()) << n;
        s.update(1.0f);
        s.addParticle();
        s.setParticleBlending(255);
        EXPECT_EQ(s.births, 0) << n;
        EXPECT_TRUE(s.alive.empty()) << n;
    }
    BlendedSmoke smoke(INT_MAX);
    EXPECT_EQ(smoke.maxParticles, 0);
    smoke.update(1.0f);
    EXPECT_TRUE(smoke.alive.empty());

    // The largest pool is the one whose vertex buffer size still fits 32 bits.
    EXPECT_LE(static_cast<unsigned long long>(PSystem::MaxParticles) * sizeof(Particle), 0xFFFFFFFFull);
    EXPECT_GT((static_cast<unsigned long long>(PSystem::MaxParticles) + 1) * sizeof(Particle), 0xFFFFFFFFull);
    // A pool past 2^20 particles is made whole and gives birth.
    const int large = (1 << 20) + 1;
    Counted largest(large, 0.0f);
    ASSERT_EQ(largest.particles.size(), size_t(large));
    largest.update(0.0f);
    EXPECT_EQ(largest.dead.size(), size_t(large));
    largest.addParticle();
    ASSERT_EQ(largest.births, 1);
    EXPECT_EQ(largest.alive.back(), &largest.particles.back());
}

TEST_F(SharedAccumulator, IntervalsTooSmallToCountDownAndEndlessStepsEndTheEmission)
{
    // Each of these would keep the emission loop turning (for ever, or for 10^30 turns).
    for (float interval : {FLT_MIN, std::numeric_limits<float>::denorm_min(), 1e-30f}) {
        PSystem::emitAccumulator = 0.0f;
        Counted s(8, interval);
        s.update(1.0f);
        EXPECT_EQ(s.births, 8) << interval << ": every record is born";
        EXPECT_TRUE(std::isfinite(PSystem::emitAccumulator));
        EXPECT_LT(PSystem::emitAccumulator, interval);
        EXPECT_GE(PSystem::emitAccumulator, 0.0f);
    }
    for (float step : {INFINITY, NAN, 1e30f}) {
        PSystem::emitAccumulator = 0.0f;
        Counted s(5, 0.25f);
        s.time = 0.0f;
        s.update(step);
        EXPECT_EQ(s.births, 5) << step;
        EXPECT_TRUE(std::isfinite(PSystem::emitAccumulator)) << step;
        EXPECT_LT(PSystem::emitAccumulator, 0.25f) << step;
    }
    // Afterwards the shared accumulator counts as before: 0.625 at 0.25 is two births, 0.125 kept.
    PSystem::emitAccumulator = 0.0f;
    Counted after(10, 0.25f);
    after.update(0.625f);
    EXPECT_EQ(after.births, 2);
    EXPECT_EQ(PSystem::emitAccumulator, 0.125f);
    // With the pool used up, the intervals left over are consumed as they were one by one.
    Counted full(1, 0.25f);
    PSystem::emitAccumulator = 0.0f;
    full.update(1.125f);
    EXPECT_EQ(full.births, 1);
    EXPECT_EQ(PSystem::emitAccumulator, 0.125f);
}

TEST_F(SharedAccumulator, BlendingAlphaPastAByteKeepsItsLowByteAndTheColour)
{
    Counted s(4, 0.0f);
    s.update(0.0f);
    s.addParticle();
    s.addParticle();
    const struct { int alpha; uint32_t colour; } cases[] = {
        {INT_MAX, 0xFF223344u}, {INT_MIN, 0x00223344u}, {-1, 0xFF223344u}, {256, 0x00223344u}, {0x1AB, 0xAB223344u}};
    for (const auto& c : cases) {
        s.setParticleBlending(c.alpha);
        EXPECT_EQ(s.particles[3].startColor, c.colour) << c.alpha;
        EXPECT_EQ(s.particles[2].startColor, c.colour) << c.alpha;
        EXPECT_EQ(s.particles[0].startColor, 0u) << "dead records are left alone";
    }
}

TEST(GeometryLimits, PlaneCountsAndNullPlaneArrays)
{
    OXEAabb box(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 1, 1));
    OXEObb obb;
    obb.e0 = obb.e1 = obb.e2 = 1.0f;
    obb.A0 = D3DXVECTOR3(1, 0, 0);
    obb.A1 = D3DXVECTOR3(0, 1, 0);
    obb.A2 = D3DXVECTOR3(0, 0, 1);
    obb.centre = D3DXVECTOR3(0, 0, 0);
    OXEPlane planes[6];
    box.GetPlanes(planes);
    // Six outward planes of a box far away cull it; none, a negative count or no array do not.
    OXEAabb distant(D3DXVECTOR3(10, 10, 10), D3DXVECTOR3(11, 11, 11));
    OXEPlane farPlanes[6];
    distant.GetPlanes(farPlanes);
    EXPECT_EQ(box.Cull(farPlanes, 6), OXE_CULLED);
    EXPECT_EQ(obb.Cull(farPlanes, 6), OXE_CULLED);
    for (int count : {0, -1, INT_MIN}) {
        EXPECT_EQ(box.Cull(farPlanes, count), OXE_VISIBLE) << count;
        EXPECT_EQ(obb.Cull(farPlanes, count), OXE_VISIBLE) << count;
    }
    EXPECT_EQ(box.Cull(nullptr, 6), OXE_VISIBLE);
    EXPECT_EQ(box.Cull(nullptr, INT_MAX), OXE_VISIBLE);
    EXPECT_EQ(obb.Cull(nullptr, INT_MAX), OXE_VISIBLE);
    box.GetPlanes(nullptr);

    OXEQuat q;
    q.GetMatrix(nullptr);
}

TEST(GeometryLimits, NullOutputsAreNotWrittenAndAMissingBoxIsAMiss)
{
    OXERay ray;
    ray.origin = D3DXVECTOR3(0, 0, -5);
    ray.direction = D3DXVECTOR3(0, 0, 1);
    OXEAabb box(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 1, 1));
    EXPECT_TRUE(box.Intersects(ray, nullptr));
    EXPECT_TRUE(box.Intersects(ray, 10.0f, nullptr));
    EXPECT_TRUE(ray.Intersects(box, nullptr));
    EXPECT_FALSE(ray.Intersects(static_cast<const OXEObb*>(nullptr), nullptr));
    float t = 123.0f;
    EXPECT_FALSE(ray.Intersects(static_cast<const OXEObb*>(nullptr), &t));
    EXPECT_EQ(t, 123.0f);
    OXEPlane plane;
    plane.Set(D3DXVECTOR3(0, 0, -1), D3DXVECTOR3(0, 0, 0));
    EXPECT_TRUE(ray.Intersects(plane, false, nullptr, nullptr));
    EXPECT_TRUE(ray.Intersects(plane, false, 100.0f, nullptr, nullptr));
    EXPECT_TRUE(ray.Intersects(D3DXVECTOR3(-1, -1, 0), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(1, -1, 0), false, 10.0f, nullptr));
    OXEPlane other;
    other.Set(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 0, 0));
    EXPECT_TRUE(plane.Intersects(other, nullptr));
}

TEST(GeometryLimits, PolygonIndicesOutsideItsPointsLeaveItEmpty)
{
    const D3DXVECTOR3 pts[3] = {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0)};
    const unsigned int good[3] = {0, 1, 2};
    OXEPolygon poly;
    poly.Set(pts, 3, good, 3);
    ASSERT_EQ(poly.GetNumPoints(), 3);
    poly.SetFlag(7);

    const unsigned int onePast[3] = {0, 1, 3};
    const unsigned int farPast[3] = {0, UINT_MAX, 2};
    const unsigned int signedPast[3] = {0, unsigned(INT_MAX), 2};
    for (const unsigned int* indices : {onePast, farPast, signedPast}) {
        poly.Set(pts, 3, indices, 3);
        EXPECT_EQ(poly.GetNumPoints(), 0);
        EXPECT_EQ(poly.GetNumIndis(), 0);
        EXPECT_EQ(poly.GetPoints(), nullptr);
    }
    poly.Set(pts, -1, good, 3);
    EXPECT_EQ(poly.GetNumPoints(), 0);
    poly.Set(pts, 3, good, INT_MIN);
    EXPECT_EQ(poly.GetNumIndis(), 0);
    poly.Set(nullptr, 3, good, 3);
    EXPECT_EQ(poly.GetNumPoints(), 0);
    poly.Set(pts, 3, nullptr, 3);
    EXPECT_EQ(poly.GetNumPoints(), 0);
    poly.Set(pts, 0, good, 3); // indices into no points at all
    EXPECT_EQ(poly.GetNumIndis(), 0);
    EXPECT_EQ(poly.GetFlag(), 7u) << "the caller's flag survives";

    // The empty polygon answers every question without touching an array.
    OXERay ray;
    ray.origin = D3DXVECTOR3(0.2f, 0.2f, 1);
    ray.direction = D3DXVECTOR3(0, 0, -1);
    float t = -1.0f;
    EXPECT_FALSE(poly.Intersects(ray, false, &t));
    EXPECT_EQ(t, -1.0f);
    OXEPolygon front;
    OXEPlane plane;
    plane.Set(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0.5f, 0, 0));
    poly.Clip(plane, &front, nullptr);
    EXPECT_EQ(front.GetNumPoints(), 0);
    poly.Clip(plane, nullptr, nullptr);
    poly.Clip(OXEAabb(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 1, 1)));
    poly.SwapFaces();
    EXPECT_EQ(poly.GetNumIndis(), 0);

    // The same ray does hit the valid polygon.
    poly.Set(pts, 3, good, 3);
    EXPECT_TRUE(poly.Intersects(ray, false, &t));
    EXPECT_FLOAT_EQ(t, 1.0f);
}
