/// \file
/// OXEObb: an oriented box.
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"

class OXEPlane;
class OXERay;

/// An oriented box: three half-extents along three unit, mutually perpendicular axes around a
/// centre; a plain value (15 floats, copied whole), owning nothing.
class OXE_GEOMETRY_API OXEObb {
public:
    /// \var e0
    /// Half-extent along A0.
    /// \var e1
    /// Half-extent along A1.
    float e0 = 0.0f, e1 = 0.0f, e2 = 0.0f;     ///< half-extents along A0, A1, A2
    D3DXVECTOR3 A0 = D3DXVECTOR3(1, 0, 0);     ///< first axis (unit length)
    D3DXVECTOR3 A1 = D3DXVECTOR3(0, 1, 0);     ///< second axis
    D3DXVECTOR3 A2 = D3DXVECTOR3(0, 0, 1);     ///< third axis
    D3DXVECTOR3 centre = D3DXVECTOR3(0, 0, 0); ///< centre of the box

    /// A point-sized box at the origin along the world axes.
    OXEObb() = default;
    /// Copies all 15 floats.
    OXEObb(const OXEObb&) = default;
    /// Copies all 15 floats.
    OXE_GEOMETRY_INLINE_API OXEObb& operator=(const OXEObb&) = default;

    /// Sets this box to another box (may be this one) moved by m: axes and centre transformed,
    /// axes not re-normalised, half-extents copied.
    void DeTransform(const OXEObb& box, const D3DXMATRIX& m);
    /// OXE_CULLED, OXE_CLIPPED or OXE_VISIBLE against count planes whose normals point outward
    /// (N.X + d = 0); OXE_VISIBLE for no planes.
    int Cull(const OXEPlane* planes, int count) const;
    /// Slab test of a ray in the box's frame; *t (when given) gets the entry parameter (exit
    /// when starting inside).
    bool Intersects(const OXERay& ray, float* t) const;
    /// The same slab test; a hit parameter past length is a miss.
    bool Intersects(const OXERay& ray, float length, float* t) const;
    /// Separating-axis test against the triangle p0 p1 p2.
    bool Intersects(D3DXVECTOR3 p0, D3DXVECTOR3 p1, D3DXVECTOR3 p2) const;
    /// Separating-axis test against another box; touching boxes intersect.
    bool Intersects(const OXEObb& other) const;

private:
    // Interval of a box on axis L.
    static void ObbProj(const OXEObb& box, const D3DXVECTOR3& L, float* min, float* max);
    // Interval of a triangle on axis L.
    static void TriProj(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2,
                        const D3DXVECTOR3& L, float* min, float* max);
};

static_assert(sizeof(OXEObb) == 15 * sizeof(float), "OXEObb is 15 floats");
