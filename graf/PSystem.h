/// \file
/// PSystem: the base of PelmoraGraf's shader-animated particle effects, its particle record and
/// its random helpers.
#pragma once
#include <d3dx9.h>
#include <string>
#include <vector>
#include "PelmoraGrafApi.h"
#include "OXEAabb.h"
#include "Camera.h"

/// One particle (44 bytes): the processor-side record and, unchanged, the vertex the effect
/// reads (stream 0, stride 44; PelmoraGraf's particle declaration gives the fields the usages
/// POSITION, TEXCOORD0 to TEXCOORD4 and COLOR0 in this order).
struct Particle {
    D3DXVECTOR3 startPos;      ///< position at birth, in the system's local space
    D3DXVECTOR3 startVelocity; ///< velocity at birth, units per time unit
    float startSize;           ///< size at birth
    float birthTime;           ///< the system's time at birth
    float lifeSpan;            ///< how long the particle lives
    float mass;                ///< mass, for the effect
    D3DCOLOR startColor;       ///< ARGB colour at birth (alpha in the top byte)
};
static_assert(sizeof(Particle) == 44, "a particle is a 44-byte vertex");

/// A random float from a to b (a when a >= b), drawn from PelmoraGraf's own generator in 10001
/// steps: a + (b - a) x (rand() mod 10001) / 10000.
PELMORA_GRAF_API float GetRandomFloat(float a, float b);
/// A random unit vector: x, y, z each drawn in -1..1 from PelmoraGraf's own generator, then
/// normalised.
PELMORA_GRAF_API void GetRandomVec(D3DXVECTOR3& out);
/// Restarts PelmoraGraf's own generator at seed (the library itself never seeds it), for
/// clients and tests that want a repeatable sequence of particles. Other libraries' generators
/// are not touched.
PELMORA_GRAF_API void SeedParticleRandom(unsigned int seed);

/// The base of the graphics library's shader-animated particle effects: create one of the
/// kinds (RainEffect, FireRingEffect, SprinklerEffect, SmokeEffect, CandleEffect).
///
/// A system keeps a fixed pool of particle records, sorts them into alive and dead ones by age at
/// every update, recycles dead records at a fixed interval (initParticle, supplied by the effect
/// kinds, picks a reborn particle's start values) and uploads the alive records unchanged into a
/// dynamic vertex buffer drawn as one point list. All motion happens in the effect file: the
/// processor never moves a particle after its birth.
///
/// Effect contract: parameters "gWVP" (float4x4), "gEyePosL" (float3), "gTex" (texture),
/// "gTime" (float), "gAccel" (float3), "gViewportHeight" (int); vertices laid out as Particle;
/// point sprites; only pass 0 of the technique is drawn.
///
/// Life cycle: construct once a render device of PelmoraGraf.dll has started (its
/// CreateVertexDeclarations must have run before the first draw), then every frame update(dt)
/// and, inside the render device's frame, draw(camera); onLostDevice() before and onResetDevice() after a device reset
/// (its vertex buffer is in the default pool); destroy it before the render device is released.
/// It owns its effect, texture, vertex buffer and pool. A system whose effect or texture could
/// not be loaded draws nothing.
/// Note: it reaches the device through PelmoraGraf's own current render device (the last one
/// PelmoraGraf.dll's factory made): made without one, it has no effect, texture or buffer and
/// never draws.
/// Note: destroying any system releases PelmoraGraf's shared particle vertex declaration; the
/// others then draw without setting one until the render device's CreateVertexDeclarations
/// runs again.
/// Note: all systems share one emission accumulator (emitAccumulator).
class PELMORA_GRAF_API PSystem {
public:
    /// The largest pool a system makes: the most particles whose vertex buffer size (44 bytes
    /// each) fits 32 bits. A larger (or negative) count, or a pool the memory cannot hold, gives
    /// a system without particles, which never gives birth and draws nothing.
    static constexpr int MaxParticles = int(0xFFFFFFFFu / 44u);

    /// Makes a pool of maxNumParticles dead records, loads the texture texName and the effect
    /// fxName with D3DX (file names as given: relative names are looked up in the working
    /// folder), selects the technique techName, sets "gAccel" to accel and "gTex" to the
    /// texture, and creates the vertex buffer (default pool, room for the whole pool). box is
    /// copied and kept (nothing culls with it); timePerParticle is the emission interval in the
    /// same time units as update's dt (0 or less: no automatic births). Nothing is reported: a
    /// missing file leaves the system without that object.
    ///
    /// Note: an effect file that D3DX refuses with error text (an effect source, which Wine's
    /// D3DX cannot compile) shows that text in a message box (no owner, no caption, OK) that
    /// waits for a click; the system is made without an effect.
    PSystem(const std::string& fxName, const std::string& techName, const std::string& texName,
            const D3DXVECTOR3& accel, const OXEAabb& box, int maxNumParticles, float timePerParticle);
    /// Releases the effect, the texture, the vertex buffer and PelmoraGraf's shared particle
    /// vertex declaration (see the class note).
    virtual ~PSystem();
    /// Not copied: copies would share the Direct3D objects and point into the other system's pool.
    PSystem(const PSystem&) = delete;
    /// Not assigned, for the same reason.
    PSystem& operator=(const PSystem&) = delete;

    /// Sets the system's clock (the time births are stamped with and "gTime" gets).
    void setTime(float t);
    /// Sets the world matrix and its inverse (the eye position is brought into local space with it).
    void setWorldMtx(const D3DXMATRIX& m);
    /// Gives birth to one particle when a dead record is free (the free record with the highest
    /// index of the last update); otherwise does nothing.
    void addParticle();
    /// While on, update raises each young particle's alpha towards opaque (see update).
    void UseAlphaBlendingParticles(bool on);

    /// Before a device reset: tells the effect and releases the default-pool vertex buffer.
    virtual void onLostDevice();
    /// After a device reset: tells the effect and makes the vertex buffer again.
    virtual void onResetDevice();
    /// Gives a reborn particle its start values; supplied by the effect kinds.
    virtual void initParticle(Particle& out) = 0;
    /// Advances the clock by dt, sorts the pool into alive (age <= lifeSpan) and dead records,
    /// and gives birth to one particle per timePerParticle gathered in the shared accumulator,
    /// as far as dead records last (intervals with no free record are lost). While the alpha
    /// fade is on, a particle's alpha byte is raised (never lowered) to 255 x age / (0.2 x
    /// lifeSpan) over the first fifth of its life, written into its startColor.
    virtual void update(float dt);
    /// Draws the alive particles as one point list through pass 0 of the effect, with
    /// "gWVP" = world x camera.viewProj(), "gEyePosL" the camera position in local space,
    /// "gTime" and "gViewportHeight" = the client height of the render device's window in
    /// pixels. Nothing without the device, the effect or the texture.
    ///
    /// Leaves set: stream 0 (the vertex buffer, stride 44) and the particle vertex declaration
    /// (when it exists); the states the effect sets are restored at its End.
    /// Note: it binds stream 0 without telling the render device's vertex cache manager: a static
    /// buffer drawn after it needs the manager's InvalidateStates first.
    virtual void draw(Camera camera);
    /// Base body: sets the alpha byte of every particle younger than its life span to the low
    /// byte of alpha (red, green and blue kept). Abstract here: the kinds' Effect classes call
    /// this body.
    virtual void setParticleBlending(int alpha) = 0;

    bool useAlphaFade = false;             ///< young particles fade up to opaque in update
    ID3DXEffect* effect = nullptr;         ///< the particle effect (owned)
    D3DXHANDLE technique = nullptr;        ///< the technique named at construction
    D3DXHANDLE hWVP = nullptr;             ///< "gWVP": world x view x projection
    D3DXHANDLE hEyePosL = nullptr;         ///< "gEyePosL": eye in local space
    D3DXHANDLE hTex = nullptr;             ///< "gTex": the particle texture
    D3DXHANDLE hTime = nullptr;            ///< "gTime": the system's clock
    D3DXHANDLE hAccel = nullptr;           ///< "gAccel": the acceleration
    D3DXHANDLE hViewportHeight = nullptr;  ///< "gViewportHeight": client height in pixels
    IDirect3DTexture9* texture = nullptr;  ///< the particle texture (owned)
    IDirect3DVertexBuffer9* vertexBuffer = nullptr; ///< dynamic, default pool (owned)
    D3DXMATRIX world;                      ///< the system's world matrix
    D3DXMATRIX invWorld;                   ///< inverse of world
    float time = 0.0f;                     ///< the system's clock
    D3DXVECTOR3 accel;                     ///< constant acceleration handed to the effect
    OXEAabb box;                           ///< bounding box given at construction
    int maxParticles = 0;                  ///< size of the pool (changing it resizes nothing)
    float timePerParticle = 0.0f;          ///< emission interval; <= 0: no automatic births
    std::vector<Particle> particles;       ///< the pool, sized once and never resized
    std::vector<Particle*> alive;          ///< records alive at the last update, then births
    std::vector<Particle*> dead;           ///< records dead at the last update, minus births

    /// Time gathered towards the next birth, shared by every system of the library.
    static float emitAccumulator;

private:
    void createVertexBuffer();
    void giveBirth(); // the last dead record becomes alive
};
