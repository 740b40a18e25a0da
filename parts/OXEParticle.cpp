#include "OXEParticle.h"
#include "OXERandom.h"
#include <cmath>

namespace {

// Pre-transformed vertex: screen position with rhw, diffuse colour, one texture coordinate.
struct ParticleVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};
static_assert(sizeof(ParticleVertex) == 28, "particle vertex must be 28 bytes");

// Base emission angle, about 92.9 degrees: nearly straight down on screen (y grows downwards).
const double kBaseAngle = 1.6212949752807617;
// Largest spread either way for a dispersion of 1, in radians.
const double kSpread = 3.132;

// One 8-bit channel of a colour interpolated from start to end by t.
DWORD LerpChannel(DWORD start, DWORD end, int shift, float t)
{
    int s = int((start >> shift) & 0xFF);
    int e = int((end >> shift) & 0xFF);
    int v = int(float(s) + float(e - s) * t);
    if (v < 0) v = 0;
    if (v > 255) v = 255;
    return DWORD(v) << shift;
}

} // namespace

OXEParticle::OXEParticle()
    : position(0, 0, 0), previousPosition(0, 0, 0), velocity(0, 0, 0), startSize(0), endSize(0),
      age(1.0f), lifeTime(0), startColour(0), endColour(0), dispersion(0), speed(0)
{
}

void OXEParticle::Create(OXEParticleSystemParams& params)
{
    position = D3DXVECTOR3(0, 0, 0);
    previousPosition = position;
    age = 0.0f;
    startSize = params.size;
    endSize = params.finalSize;
    lifeTime = params.lifeTime;
    startColour = params.startColour;
    endColour = params.endColour;
    dispersion = params.dispersion;
    speed = params.speed;

    // Direction: the base angle spread by up to +-dispersion * 3.132 radians.
    double r1 = OXERand() / 32767.0;
    float t = float((1.0 - 2.0 * r1) * kSpread);
    float angle = float(double(dispersion) * t + kBaseAngle);
    velocity = D3DXVECTOR3(std::cos(angle), std::sin(angle), 0.0f);

    // Speed in 100 pixels per second; doubled in the rare case that the generator gives its
    // largest value.
    int k = OXERand() / 32767;
    float s = float(k) * speed * 100.0f + 100.0f * speed;
    velocity *= s;
}

void OXEParticle::Simulate(float dt)
{
    previousPosition = position;
    position.x += velocity.x * dt;
    position.y += velocity.y * dt;
    position.z += velocity.z * dt;
    age += dt / lifeTime;
}

long OXEParticle::Render(IDirect3DDevice9* device, D3DXVECTOR3& emitterPosition)
{
    if (!device) return 0;
    DWORD colour = LerpChannel(startColour, endColour, 24, age) |
                   LerpChannel(startColour, endColour, 16, age) |
                   LerpChannel(startColour, endColour, 8, age) |
                   LerpChannel(startColour, endColour, 0, age);
    float half = startSize + (endSize - startSize) * age;
    float cx = emitterPosition.x + position.x;
    float cy = emitterPosition.y + position.y;

    const ParticleVertex fan[4] = {
        {cx - half, cy - half, 0.0f, 1.0f, colour, 0.0f, 0.0f},
        {cx + half, cy - half, 0.0f, 1.0f, colour, 1.0f, 0.0f},
        {cx + half, cy + half, 0.0f, 1.0f, colour, 1.0f, 1.0f},
        {cx - half, cy + half, 0.0f, 1.0f, colour, 0.0f, 1.0f},
    };
    HRESULT hr = device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(ParticleVertex));
    return SUCCEEDED(hr) ? 1 : 0;
}

float OXEParticle::GetLife() { return age; }
