/// \file
/// OXEPlane: a plane for classification and intersection tests.
#pragma once
#include <d3dx9.h>
#include "OXEGeometryApi.h"

class OXERay;
class OXEAabb;
class OXEObb;
class OXEPolygon;

/// A plane for classification and intersection tests; a plain value (seven floats, copied
/// whole), owning nothing.
///
/// Note: two sign conventions meet here and the formulas keep them as they are:
/// Set(normal, point), Classify and the ray tests use N.X + d = 0 (front: N.X + d > 0);
/// Set(p0, p1, p2), Distance, Intersects(obb) and the line of two planes use N.X = d. Build a
/// plane with the Set that matches the test it is meant for.
class OXE_GEOMETRY_API OXEPlane {
public:
    D3DXVECTOR3 normal = D3DXVECTOR3(0, 0, 0); ///< plane normal (not always unit length)
    D3DXVECTOR3 point = D3DXVECTOR3(0, 0, 0);  ///< a point the plane was built from
    float d = 0.0f;                            ///< distance term of the plane equation

    /// All zero.
    OXEPlane() = default;
    /// Copies all seven floats.
    OXEPlane(const OXEPlane&) = default;
    /// Copies all seven floats.
    OXE_GEOMETRY_INLINE_API OXEPlane& operator=(const OXEPlane&) = default;

    /// normal and point stored; d = -(normal . point) (the N.X + d = 0 convention).
    void Set(const D3DXVECTOR3& n, const D3DXVECTOR3& p);
    /// The three values stored unchanged.
    void Set(const D3DXVECTOR3& n, const D3DXVECTOR3& p, float dist);
    /// normal = (p1 - p0) x (p2 - p0), not normalised; d = normal . p0 (the N.X = d convention,
    /// no negation); point unchanged.
    void Set(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2);

    /// |normal . p - d| (the N.X = d convention; not divided by the normal's length).
    float Distance(const D3DXVECTOR3& p) const;
    /// OXE_FRONT (normal . p + d > 1e-5), OXE_BACK (below -1e-5) or OXE_PLANAR (within).
    int Classify(const D3DXVECTOR3& p) const;
    /// For all points of a polygon: OXE_PLANAR when all are planar, else OXE_FRONT or OXE_BACK
    /// when all lie on that side (planar points count for either side), else OXE_CLIPPED.
    int Classify(const OXEPolygon& polygon) const;

    /// True unless the three corners of the triangle classify alike.
    bool Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2) const;
    /// The line shared with another plane (N.X = d convention; direction normal x other.normal,
    /// not normalised); written into *line when given. False when parallel.
    bool Intersects(const OXEPlane& other, OXERay* line) const;
    /// True when the whole box (its min/max pair) lies on or in front of the plane.
    ///
    /// Note: not a crossing test: a box wholly in front answers true, one cut by the plane false.
    bool Intersects(const OXEAabb& box) const;
    /// True when the box reaches the plane (N.X = d convention).
    bool Intersects(const OXEObb& box) const;
};
