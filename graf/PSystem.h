// PSystem: the base of the graphics library's shader-animated particle effects.
//
// A system keeps a fixed pool of particle records, sorts them into alive and dead ones by age at
// every update, recycles dead records at a fixed interval (initParticle, supplied by the effect
// kinds, picks a reborn particle's start values) and uploads the alive records unchanged into a
// dynamic vertex buffer drawn as one point list. All motion happens in the effect file: the
// processor never moves a particle after its birth.
//
// Effect contract: parameters "gWVP" (float4x4), "gEyePosL" (float3), "gTex" (texture),
// "gTime" (float), "gAccel" (float3), "gViewportHeight" (int); vertices laid out as Particle;
// point sprites; only pass 0 of the technique is drawn.
//
// Usage: construct, then every frame update(dt) and, inside the render device's frame,
// draw(camera); onLostDevice() before and onResetDevice() after a device reset.
// A system whose effect or texture could not be loaded draws nothing.
#pragma once
#include <d3dx9.h>
#include <string>
#include <vector>
#include "PelmoraGrafApi.h"
#include "OXEAabb.h"
#include "Camera.h"

// One particle: the processor-side record and, unchanged, the vertex the effect reads.
struct Particle {
    D3DXVECTOR3 startPos;      // position at birth, in the system's local space
    D3DXVECTOR3 startVelocity; // velocity at birth, units per time unit
    float startSize;           // size at birth
    float birthTime;           // the system's time at birth
    float lifeSpan;            // how long the particle lives
    float mass;                // mass, for the effect
    D3DCOLOR startColor;       // ARGB colour at birth
};
static_assert(sizeof(Particle) == 44, "a particle is a 44-byte vertex");

// A random float from a to b (a when a >= b), drawn from the library's own generator.
PELMORA_GRAF_API float GetRandomFloat(float a, float b);
// A random unit vector: x, y, z each drawn in -1..1, then normalised.
PELMORA_GRAF_API void GetRandomVec(D3DXVECTOR3& out);
// Restarts the library's own generator at seed (the library itself never seeds it), for
// clients and tests that want a repeatable sequence of particles.
PELMORA_GRAF_API void SeedParticleRandom(unsigned int seed);

class PELMORA_GRAF_API PSystem {
public:
    // The largest pool a system makes: the most particles whose vertex buffer size (44 bytes
    // each) fits 32 bits. A larger (or negative) count, or a pool the memory cannot hold, gives
    // a system without particles, which never gives birth and draws nothing.
    static constexpr int MaxParticles = int(0xFFFFFFFFu / 44u);

    PSystem(const std::string& fxName, const std::string& techName, const std::string& texName,
            const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    virtual ~PSystem();
    // Copies would share the Direct3D objects and point into the other system's pool.
    PSystem(const PSystem&) = delete;
    PSystem& operator=(const PSystem&) = delete;

    void setTime(float t);
    // Sets the world matrix and its inverse.
    void setWorldMtx(const D3DXMATRIX& m);
    // Gives birth to one particle when a dead record is free.
    void addParticle();
    // While on, update raises each young particle's alpha towards opaque (see update).
    void UseAlphaBlendingParticles(bool on);

    virtual void onLostDevice();
    virtual void onResetDevice();
    virtual void initParticle(Particle& out) = 0;
    virtual void update(float dt);
    virtual void draw(Camera camera);
    // Base body: sets the alpha byte of every particle younger than its life span.
    virtual void setParticleBlending(int alpha) = 0;

    bool useAlphaFade = false;             // young particles fade up to opaque in update
    ID3DXEffect* effect = nullptr;         // the particle effect (owned)
    D3DXHANDLE technique = nullptr;        // the technique named at construction
    D3DXHANDLE hWVP = nullptr;             // "gWVP": world x view x projection
    D3DXHANDLE hEyePosL = nullptr;         // "gEyePosL": eye in local space
    D3DXHANDLE hTex = nullptr;             // "gTex": the particle texture
    D3DXHANDLE hTime = nullptr;            // "gTime": the system's clock
    D3DXHANDLE hAccel = nullptr;           // "gAccel": the acceleration
    D3DXHANDLE hViewportHeight = nullptr;  // "gViewportHeight": client height in pixels
    IDirect3DTexture9* texture = nullptr;  // the particle texture (owned)
    IDirect3DVertexBuffer9* vertexBuffer = nullptr; // dynamic, default pool (owned)
    D3DXMATRIX world;                      // the system's world matrix
    D3DXMATRIX invWorld;                   // inverse of world
    float time = 0.0f;                     // the system's clock
    D3DXVECTOR3 accel;                     // constant acceleration handed to the effect
    OXEAabb box;                           // bounding box given at construction
    int maxParticles = 0;                  // size of the pool
    float timePerParticle = 0.0f;          // emission interval; <= 0: no automatic births
    std::vector<Particle> particles;       // the pool, sized once and never resized
    std::vector<Particle*> alive;          // records alive at the last update, then births
    std::vector<Particle*> dead;           // records dead at the last update, minus births

    // Time gathered towards the next birth, shared by every system of the library.
    static float emitAccumulator;

private:
    void createVertexBuffer();
    void giveBirth(); // the last dead record becomes alive
};
