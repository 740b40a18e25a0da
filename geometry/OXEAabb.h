/// \file
/// OXEAabb: an axis-aligned box with two independent corner pairs.
#pragma once
#include <d3dx9.h>
#include <cmath>
#include "OXEGeometryApi.h"

class OXEPlane;
class OXERay;
class OXEObb;

/// An axis-aligned box with two independent corner pairs; a plain value (15 floats, copied
/// whole), owning nothing.
///
/// min / max (with centre) are the culling set: Cull, GetPlanes, Contains, Intersects, Construct,
/// the other geometry classes and the camera's visibility test use them. center(), extent() and
/// xform() use only rangeMin / rangeMax. Note: neither set of operations updates the other pair:
/// a box made from min and max has a zero range pair, so its center() and extent() are zero.
class OXE_GEOMETRY_API OXEAabb {
public:
    D3DXVECTOR3 min = D3DXVECTOR3(0, 0, 0);      ///< smallest corner (culling set)
    D3DXVECTOR3 max = D3DXVECTOR3(0, 0, 0);      ///< largest corner (culling set)
    D3DXVECTOR3 centre = D3DXVECTOR3(0, 0, 0);   ///< centre of the culling set, kept by whoever fills it
    D3DXVECTOR3 rangeMin = D3DXVECTOR3(0, 0, 0); ///< smallest corner of the second pair
    D3DXVECTOR3 rangeMax = D3DXVECTOR3(0, 0, 0); ///< largest corner of the second pair

    /// All zero.
    OXEAabb() = default;
    /// Copies all 15 floats.
    OXEAabb(const OXEAabb&) = default;
    /// Copies all 15 floats.
    OXE_GEOMETRY_INLINE_API OXEAabb& operator=(const OXEAabb&) = default;
    /// The culling set from its two corners (centre their midpoint); the range pair zero.
    OXEAabb(const D3DXVECTOR3& mn, const D3DXVECTOR3& mx)
        : min(mn), max(mx), centre((mn + mx) * 0.5f) {}

    /// Centre of the range pair: (rangeMax + rangeMin) / 2.
    OXE_GEOMETRY_INLINE_API D3DXVECTOR3 center() const { return (rangeMax + rangeMin) * 0.5f; }
    /// Half size of the range pair: (rangeMax - rangeMin) / 2.
    OXE_GEOMETRY_INLINE_API D3DXVECTOR3 extent() const { return (rangeMax - rangeMin) * 0.5f; }

    /// Transforms the range pair by m into out's range pair (only that pair of out is written):
    /// the centre moves as a point, the half size through the absolute rotation part of m.
    OXE_GEOMETRY_INLINE_API void xform(const D3DXMATRIX& m, OXEAabb& out) const
    {
        D3DXVECTOR3 c = center();
        D3DXVECTOR3 e = extent();
        D3DXVECTOR3 c2, e2;
        D3DXVec3TransformCoord(&c2, &c, &m);
        D3DXMATRIX a(std::fabs(m._11), std::fabs(m._12), std::fabs(m._13), 0,
                     std::fabs(m._21), std::fabs(m._22), std::fabs(m._23), 0,
                     std::fabs(m._31), std::fabs(m._32), std::fabs(m._33), 0,
                     0, 0, 0, 1);
        D3DXVec3TransformNormal(&e2, &e, &a);
        out.rangeMin = c2 - e2;
        out.rangeMax = c2 + e2;
    }

    /// Fills min, max and centre so that the box encloses the oriented box (the range pair is
    /// not touched).
    void Construct(const OXEObb& box);
    /// OXE_CULLED (wholly in front of one plane), OXE_CLIPPED (reaching some plane) or
    /// OXE_VISIBLE (behind all) against count planes whose normals point outward (N.X + d = 0);
    /// OXE_VISIBLE for no planes. A box touching a plane from inside is clipped.
    int Cull(const OXEPlane* planes, int count) const;
    /// Writes the six outward bounding planes into planes[0..5] (+x, -x, -z, +z, +y, -y; N.X + d = 0).
    void GetPlanes(OXEPlane* planes) const;
    /// Both the ray origin and origin + length * direction lie in the box.
    bool Contains(const OXERay& ray, float length) const;
    /// min <= p <= max on all axes (bounds included).
    bool Intersects(const D3DXVECTOR3& p) const;
    /// Overlap of the min/max pairs; touching boxes intersect.
    bool Intersects(const OXEAabb& other) const;
    /// Slab test of a ray; *t (when given) gets the entry parameter (exit when the origin lies
    /// inside).
    bool Intersects(const OXERay& ray, float* t) const;
    /// The same slab test; a hit parameter past length is a miss. Note: length is compared with
    /// t itself, not scaled by the direction's length.
    bool Intersects(const OXERay& ray, float length, float* t) const;
};

static_assert(sizeof(OXEAabb) == 15 * sizeof(float), "OXEAabb is 15 floats");
