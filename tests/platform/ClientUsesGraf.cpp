// Calls every documented operation of the PelmoraGraf geometry and particle classes, as a client
// program would (the camera and the small geometry members are in ClientUsesShared.cpp). Two
// client kinds supply setParticleBlending through the base body, which the effect kinds leave
// abstract. Never run; see ClientUsesParts.cpp.
#include <new>
#include "ClientDeclarations.h"

namespace {

struct ClientSystem : PSystem {
    ClientSystem(const std::string& s, const D3DXVECTOR3& a, const OXEAabb& b)
        : PSystem(s, s, s, a, b, 1, 0) {}
    void initParticle(Particle& out) override { out.lifeSpan = 1; }
    void setParticleBlending(int alpha) override { PSystem::setParticleBlending(alpha); }
};

template <class Kind> struct ClientKind : Kind {
    using Kind::Kind;
    void setParticleBlending(int alpha) override { PSystem::setParticleBlending(alpha); }
};

} // namespace

void UseGrafLibrary(void* m, const std::string& s, D3DXVECTOR3& v, D3DXMATRIX& mx, OXEPlane& pl,
                    OXERay& ray, OXEAabb& box, OXEObb& obb, OXEPolygon& poly, OXEQuat& quat,
                    Camera& cam, Particle& p)
{
    float t = 0;
    pl.Set(v, v); pl.Set(v, v, 0); pl.Set(v, v, v);
    pl.Distance(v); pl.Classify(v); pl.Classify(poly);
    pl.Intersects(v, v, v); pl.Intersects(pl, &ray); pl.Intersects(box); pl.Intersects(obb);

    ray.DeTransform(mx);
    ray.Intersects(v, v, v, true, 1.0f, &t); ray.Intersects(v, v, v, true, &t);
    ray.Intersects(pl, true, &t, &v); ray.Intersects(pl, true, 1.0f, &t, &v);
    ray.Intersects(box, &v); ray.Intersects(&obb, &t);

    box.Construct(obb); box.Cull(&pl, 1); box.GetPlanes(&pl); box.Contains(ray, 1);
    box.Intersects(v); box.Intersects(box); box.Intersects(ray, &t); box.Intersects(ray, 1, &t);

    obb.DeTransform(obb, mx); obb.Cull(&pl, 1); obb.Intersects(ray, &t); obb.Intersects(ray, 1, &t);
    obb.Intersects(v, v, v); obb.Intersects(obb);

    OXEPolygon& pg = *new (m) OXEPolygon();
    pg = poly;
    pg.CopyOf(poly);
    unsigned int index = 0;
    pg.Set(&v, 1, &index, 1); pg.SwapFaces(); pg.Clip(pl, &pg, &pg); pg.Clip(box); pg.Cull(box);
    pg.Intersects(ray, true, &t);
    pg.~OXEPolygon();

    new (m) OXEQuat();
    new (m) OXEQuat(0, 0, 0, 1);
    quat *= quat; quat * quat; quat.MakeFromEuler(0, 0, 0); quat.GetMatrix(&mx);

    GetRandomFloat(0, 1);
    GetRandomVec(v);

    PSystem& sys = *new (m) ClientSystem(s, v, box);
    sys.setTime(0); sys.setWorldMtx(mx); sys.addParticle(); sys.UseAlphaBlendingParticles(true);
    sys.onLostDevice(); sys.onResetDevice(); sys.initParticle(p); sys.update(0); sys.draw(cam);
    sys.setParticleBlending(0);
    sys.~PSystem();

    new (m) ClientKind<FireRing>(s, s, s, v, box, 1, 0);
    new (m) ClientKind<Sprinkler>(s, s, s, v, box, 1, 0);
    new (m) ClientKind<Smoke>(s, s, s, v, box, 1, 0);
    new (m) ClientKind<Candle>(s, s, s, v, box, 1, 0);
    ClientKind<Rain>& rain = *new (m) ClientKind<Rain>(s, s, s, v, box, 1, 0, v);
    rain.setInitCamPos(v);
}
