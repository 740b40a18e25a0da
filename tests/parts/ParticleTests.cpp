// OXEParticleSystem and OXEParticle: emission budget and carry, ageing and recycling, the
// emission direction and speed, stopping emission, drawing on a real device (size and colour by
// age, additive blending, the emitter position added at drawing time), copies, and the library's
// own random generator leaving the C runtime's untouched.
#include "PartsFixture.h"
#include "OXEParticleSystem.h"
#include <cmath>

using namespace partstest;
using testsupport::Picture;

namespace {

// The game's flame parameters, in one record filled afresh on each call (Create takes a plain
// reference).
OXEParticleSystemParams& FlameParams()
{
    static OXEParticleSystemParams p;
    p.position = D3DXVECTOR3(0, 0, 0);
    p.velocity = D3DXVECTOR3(-30, -4, -10);
    p.size = 27;
    p.finalSize = 10;
    p.startColour = 0xFFFF5816;
    p.endColour = 0xFFFF3E00;
    p.lifeTime = 0.4f;
    p.dispersion = 0.1f;
    p.speed = -3.5f;
    return p;
}

// Parameters of a still particle (speed 0) living one second: red fading to blue, half size
// 27 shrinking to 10.
OXEParticleSystemParams& StillParams()
{
    static OXEParticleSystemParams p;
    p = FlameParams();
    p.speed = 0;
    p.lifeTime = 1.0f;
    p.startColour = 0xFFFF0000;
    p.endColour = 0xFF0000FF;
    return p;
}

int Alive(const OXEParticleSystem& s)
{
    int n = 0;
    for (int i = 0; i < s.count; ++i) n += s.particles[i].age < 1.0f;
    return n;
}

} // namespace

TEST(ParticleSystem, EmitsTheWholePartOfRateTimesTimeAndCarriesTheRest)
{
    OXEParticleSystem s;
    EXPECT_EQ(s.particles, nullptr);
    EXPECT_EQ(s.count, 0);
    s.Create(nullptr, FlameParams(), 600, 100, "no-texture.dds");
    ASSERT_NE(s.particles, nullptr);
    EXPECT_EQ(s.count, 600);
    EXPECT_EQ(s.rate, 100);
    EXPECT_EQ(Alive(s), 0) << "a new pool is all dead";

    // 100 per second in steps of 0.0005 s: one birth about every 20 steps.
    int firstBirth = 0;
    for (int step = 1; step <= 30 && !firstBirth; ++step) {
        s.Simulate(0.0005f);
        if (Alive(s) == 1) firstBirth = step;
    }
    EXPECT_GE(firstBirth, 20);
    EXPECT_LE(firstBirth, 21);
    for (int step = firstBirth; step < 400; ++step) s.Simulate(0.0005f);
    EXPECT_NEAR(Alive(s), 20, 1) << "0.2 s at 100 per second";
    EXPECT_GE(s.carry, 0.0f);
    EXPECT_LT(s.carry, 1.0f);

    // A long step cannot emit more than the pool holds, nor more than its budget.
    OXEParticleSystem burst;
    burst.Create(nullptr, FlameParams(), 10, 1000, "");
    burst.Simulate(0.0045f); // budget 4.5 -> 4, carry 0.5
    EXPECT_EQ(Alive(burst), 4);
    EXPECT_NEAR(burst.carry, 0.5f, 1e-4f);
    burst.Simulate(0.1f); // the four live ones age, the other six are born
    EXPECT_EQ(Alive(burst), 10);

    // An empty pool only keeps the budget's carry.
    OXEParticleSystem empty;
    empty.Create(nullptr, FlameParams(), 0, 100, "");
    empty.Simulate(0.015f);
    EXPECT_EQ(empty.particles, nullptr);
    EXPECT_NEAR(empty.carry, 0.5f, 1e-4f);
}

TEST(ParticleSystem, ParticlesLiveTheirLifetimeAndAreThenReborn)
{
    OXEParticleSystem s;
    s.Create(nullptr, FlameParams(), 1, 100, "");
    s.Simulate(0.01f); // one birth
    ASSERT_EQ(Alive(s), 1);
    OXEParticle& p = s.particles[0];
    EXPECT_EQ(p.GetLife(), 0.0f);
    EXPECT_EQ(p.lifeTime, 0.4f);
    EXPECT_EQ(p.startSize, 27.0f);
    EXPECT_EQ(p.endSize, 10.0f);

    for (int i = 0; i < 3; ++i) s.Simulate(0.1f);
    EXPECT_NEAR(p.GetLife(), 0.75f, 1e-5f);
    EXPECT_EQ(Alive(s), 1);
    s.Simulate(0.15f); // 0.45 s in all: past its 0.4 s
    EXPECT_EQ(Alive(s), 0);
    s.Simulate(0.01f); // recycled at the next chance
    EXPECT_EQ(Alive(s), 1);
    EXPECT_EQ(p.GetLife(), 0.0f);
    EXPECT_EQ(p.position, D3DXVECTOR3(0, 0, 0));
}

TEST(ParticleSystem, FlamesRiseAt350PixelsPerSecondWithinTheDispersion)
{
    OXEParticleSystem s;
    s.Create(nullptr, FlameParams(), 200, 100000, "");
    s.Simulate(0.002f); // all 200 born at once
    ASSERT_EQ(Alive(s), 200);
    float smallest = 10, largest = -10;
    int doubled = 0;
    for (int i = 0; i < s.count; ++i) {
        const OXEParticle& p = s.particles[i];
        // 350 pixels per second, doubled only when the generator gives its largest value.
        float speed = std::sqrt(p.velocity.x * p.velocity.x + p.velocity.y * p.velocity.y);
        if (std::fabs(speed - 700.0f) < 0.02f) ++doubled;
        else EXPECT_NEAR(speed, 350.0f, 0.01f);
        EXPECT_EQ(p.velocity.z, 0.0f);
        EXPECT_LT(p.velocity.y, 0.0f) << "upwards on screen";
        // Angle from straight up, positive to the right.
        float off = std::atan2(p.velocity.x, -p.velocity.y);
        smallest = std::min(smallest, off);
        largest = std::max(largest, off);
    }
    EXPECT_LE(doubled, 1);
    // The spread is +-0.3132 about a centre 0.0505 right of vertical.
    EXPECT_GE(smallest, -0.263f - 0.001f);
    EXPECT_LE(largest, 0.364f + 0.001f);
    EXPECT_LT(smallest, -0.15f) << "directions really are spread";
    EXPECT_GT(largest, 0.25f);

    // A step moves each particle by velocity x dt and remembers where it was.
    D3DXVECTOR3 before = s.particles[0].position;
    D3DXVECTOR3 v = s.particles[0].velocity;
    s.Simulate(0.01f);
    EXPECT_EQ(s.particles[0].previousPosition, before);
    EXPECT_NEAR(s.particles[0].position.y, before.y + v.y * 0.01f, 1e-4f);
    EXPECT_NEAR(s.particles[0].position.x, before.x + v.x * 0.01f, 1e-4f);
}

TEST(ParticleSystem, SettersChangeOnlyParticlesBornAfterwards)
{
    OXEParticleSystem s;
    s.Create(nullptr, FlameParams(), 2, 100, "");
    s.Simulate(0.01f);
    s.SetSize(5);
    s.SetFinalSize(2);
    s.SetLifeTime(2.0f);
    s.SetDispersion(0);
    s.SetVelocity(D3DXVECTOR3(1, 2, 3));
    D3DXVECTOR3 at(160, 400, 0);
    s.SetPosition(at);
    EXPECT_EQ(s.GetPosition(), at);
    EXPECT_EQ(s.params.velocity, D3DXVECTOR3(1, 2, 3));
    s.Simulate(0.01f);
    EXPECT_EQ(s.particles[0].startSize, 27.0f);
    EXPECT_EQ(s.particles[0].lifeTime, 0.4f);
    EXPECT_EQ(s.particles[1].startSize, 5.0f);
    EXPECT_EQ(s.particles[1].endSize, 2.0f);
    EXPECT_EQ(s.particles[1].lifeTime, 2.0f);
    // No dispersion: exactly the base direction.
    EXPECT_NEAR(std::atan2(s.particles[1].velocity.y, s.particles[1].velocity.x), -3.1415927f + 1.6212950f, 1e-5f);
}

TEST(ParticleSystem, DrawsFromItsOwnGeneratorNotTheRuntimes)
{
    srand(1);
    OXEParticleSystem s;
    s.Create(nullptr, FlameParams(), 600, 100000, "");
    s.Simulate(0.01f); // 600 births, 1200 draws from the generator
    ASSERT_EQ(Alive(s), 600);
    EXPECT_EQ(rand(), 41) << "the C runtime's generator was not advanced";
}

TEST(ParticleSystem, CopiesHaveTheirOwnPool)
{
    OXEParticleSystem s;
    s.Create(nullptr, FlameParams(), 5, 100, "");
    s.Simulate(0.02f);
    OXEParticleSystem copy(s);
    ASSERT_NE(copy.particles, s.particles);
    EXPECT_EQ(copy.count, 5);
    EXPECT_EQ(Alive(copy), Alive(s));
    copy.Simulate(1.0f);
    EXPECT_EQ(Alive(s), 2) << "the original is untouched";
    s = copy;
    s = s;
    EXPECT_EQ(Alive(s), Alive(copy));
    // Create again replaces the pool.
    s.Create(nullptr, FlameParams(), 3, 10, "");
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(Alive(s), 0);
}

// count is a public field: set past the pool, stepping, copying and drawing stay within the
// particles that were made (past them lay other memory, written and read before).
TEST(ParticleSystem, CountSetPastThePoolStaysWithinIt)
{
    OXEParticleSystem s;
    s.Create(nullptr, StillParams(), 4, 100000, "");
    s.count = 1 << 20;
    s.Simulate(0.5f);
    int alive = 0;
    for (int i = 0; i < 4; ++i) alive += s.particles[i].age < 1.0f;
    EXPECT_EQ(alive, 4) << "the pool's own particles are born";
    OXEParticleSystem copy(s);
    EXPECT_EQ(copy.count, 4) << "a copy holds the particles there are";
    copy = s;
    EXPECT_EQ(copy.count, 4);
    s.count = 4;
}

using ParticleDrawTest = DeviceTest;

TEST_F(ParticleDrawTest, ParticleIsASquareSizedAndColouredByItsAge)
{
    OXEParticleSystem s;
    s.Create(device(), StillParams(), 1, 100, "no-texture.dds");
    EXPECT_EQ(s.texture, nullptr) << "missing file: untextured";
    D3DXVECTOR3 at(100, 100, 0);
    s.SetPosition(at);
    s.Simulate(0.01f); // born
    s.Simulate(0.5f);  // age 0.5
    ASSERT_NEAR(s.particles[0].age, 0.5f, 1e-6f);

    beginFrame(D3DCOLOR_XRGB(0, 0, 0));
    s.Render(device());
    Picture p = endFrame();
    // Half side 27 + (10 - 27) * 0.5 = 18.5: a 37-pixel square round (100, 100); colour half-way
    // from red to blue, added to the black background.
    EXPECT_EQ(p.count(0x7F007F), 37 * 37) << Hex(p.at(100, 100));
    EXPECT_EQ(p.count(0x7F007F, 82, 82, 119, 119), 37 * 37);
    IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
    device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    DWORD src = 0, dst = 0;
    device()->GetRenderState(D3DRS_SRCBLEND, &src);
    device()->GetRenderState(D3DRS_DESTBLEND, &dst);
    EXPECT_EQ(src, DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(dst, DWORD(D3DBLEND_INVSRCALPHA));
}

TEST_F(ParticleDrawTest, CountSetPastThePoolDrawsOnlyItsParticles)
{
    OXEParticleSystem s;
    OXEParticleSystemParams params = StillParams();
    params.size = params.finalSize = 10;
    params.startColour = params.endColour = 0xFF204060;
    s.Create(device(), params, 1, 100, "");
    s.Simulate(0.01f);
    s.count = 1 << 20;
    D3DXVECTOR3 at(60, 60, 0);
    s.SetPosition(at);
    beginFrame(D3DCOLOR_XRGB(0x10, 0x10, 0x10));
    s.Render(device());
    Picture p = endFrame();
    EXPECT_EQ(p.count(0x305070, 50, 50, 70, 70), 20 * 20);
    EXPECT_EQ(p.count(0x101010), p.width * p.height - 20 * 20) << "nothing but the one particle";
}

TEST_F(ParticleDrawTest, OneSystemDrawsAdditivelyAtEveryEmitterPosition)
{
    OXEParticleSystem s;
    OXEParticleSystemParams params = StillParams();
    params.size = params.finalSize = 10;
    params.startColour = params.endColour = 0xFF204060;
    s.Create(device(), params, 1, 100, "");
    s.Simulate(0.01f);

    beginFrame(D3DCOLOR_XRGB(0x10, 0x10, 0x10));
    D3DXVECTOR3 left(60, 60, 0), right(200, 150, 0);
    s.SetPosition(left);
    s.Render(device());
    s.SetPosition(right);
    s.Render(device());
    s.Render(device()); // twice at the same place adds twice
    Picture p = endFrame();
    EXPECT_EQ(p.count(0x305070), 20 * 20) << Hex(p.at(60, 60));
    EXPECT_EQ(p.count(0x305070, 50, 50, 70, 70), 20 * 20);
    EXPECT_EQ(p.count(0x5090D0, 190, 140, 210, 160), 20 * 20) << Hex(p.at(200, 150));
}

TEST_F(ParticleDrawTest, ParticlesMoveBetweenFramesAndStopWhenEmissionStops)
{
    OXEParticleSystem s;
    OXEParticleSystemParams params = FlameParams();
    params.dispersion = 0; // straight up (slightly right)
    params.size = params.finalSize = 4;
    params.startColour = params.endColour = 0xFFFFFFFF;
    params.lifeTime = 0.5f;
    s.Create(device(), params, 1, 100, "");
    D3DXVECTOR3 at(160, 200, 0);
    s.SetPosition(at);
    s.Simulate(0.01f);

    auto whiteTop = [&]() {
        beginFrame(D3DCOLOR_XRGB(0, 0, 0));
        s.Render(device());
        Picture p = endFrame();
        for (int y = 0; y < p.height; ++y)
            if (p.count(0xFFFFFF, 0, y, p.width, y + 1)) return y;
        return -1;
    };
    int y0 = whiteTop();
    EXPECT_EQ(y0, 196);
    float vy = s.particles[0].velocity.y; // -350 (or -700 in the generator's rare doubling)
    ASSERT_LT(vy, -349.0f);
    s.Simulate(0.2f); // about 70 pixels up
    int y1 = whiteTop();
    EXPECT_NEAR(y1, y0 + vy * 0.2f, 1);

    s.SetDontCreate(true);
    s.Simulate(0.2f);
    EXPECT_EQ(Alive(s), 1) << "the live particle finishes its life";
    s.Simulate(0.2f);
    EXPECT_EQ(Alive(s), 0);
    for (int i = 0; i < 10; ++i) s.Simulate(0.1f);
    EXPECT_EQ(Alive(s), 0) << "no rebirth while emission is stopped";
    EXPECT_EQ(whiteTop(), -1) << "nothing drawn";
    s.SetDontCreate(false);
    s.Simulate(0.01f);
    EXPECT_EQ(Alive(s), 1);
}
