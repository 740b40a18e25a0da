// An oriented box: three half-extents along three unit, mutually perpendicular axes around a
// centre.
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"

class OXEPlane;
class OXERay;

class OXE_GEOMETRY_API OXEObb {
public:
    float e0 = 0.0f, e1 = 0.0f, e2 = 0.0f;     // half-extents along A0, A1, A2
    D3DXVECTOR3 A0 = D3DXVECTOR3(1, 0, 0);     // first axis (unit length)
    D3DXVECTOR3 A1 = D3DXVECTOR3(0, 1, 0);     // second axis
    D3DXVECTOR3 A2 = D3DXVECTOR3(0, 0, 1);     // third axis
    D3DXVECTOR3 centre = D3DXVECTOR3(0, 0, 0); // centre of the box

    OXEObb() = default;
    OXEObb(const OXEObb&) = default;
    OXE_GEOMETRY_INLINE_API OXEObb& operator=(const OXEObb&) = default; // all 15 floats

    // Sets this box to another box moved by m (axes not re-normalised, half-extents copied).
    void DeTransform(const OXEObb& box, const D3DXMATRIX& m);
    // OXE_CLIPPED, OXE_CULLED or OXE_VISIBLE against planes whose normals point outward.
    int Cull(const OXEPlane* planes, int count) const;
    // Slab tests in the box's frame; *t gets the entry parameter (exit when starting inside).
    bool Intersects(const OXERay& ray, float* t) const;
    bool Intersects(const OXERay& ray, float length, float* t) const;
    // Separating-axis tests against a triangle and against another box.
    bool Intersects(D3DXVECTOR3 p0, D3DXVECTOR3 p1, D3DXVECTOR3 p2) const;
    bool Intersects(const OXEObb& other) const;

private:
    // Interval of a box on axis L.
    static void ObbProj(const OXEObb& box, const D3DXVECTOR3& L, float* min, float* max);
    // Interval of a triangle on axis L.
    static void TriProj(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2,
                        const D3DXVECTOR3& L, float* min, float* max);
};

static_assert(sizeof(OXEObb) == 15 * sizeof(float), "OXEObb is 15 floats");
