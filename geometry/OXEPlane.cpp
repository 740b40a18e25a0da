// Planes: construction, classification and intersection tests.
#include "OXEPlane.h"
#include "OXERay.h"
#include "OXEAabb.h"
#include "OXEObb.h"
#include "OXEPolygon.h"
#include <cmath>

// A point closer to the plane than this (in plane-equation units) counts as lying in it.
static const double kPlanarTolerance = 1e-5;

void OXEPlane::Set(const D3DXVECTOR3& n, const D3DXVECTOR3& p)
{
    normal = n;
    point = p;
    d = -D3DXVec3Dot(&n, &p);
}

void OXEPlane::Set(const D3DXVECTOR3& n, const D3DXVECTOR3& p, float dist)
{
    normal = n;
    point = p;
    d = dist;
}

void OXEPlane::Set(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2)
{
    D3DXVECTOR3 e1 = p1 - p0;
    D3DXVECTOR3 e2 = p2 - p0;
    D3DXVec3Cross(&normal, &e1, &e2);
    d = D3DXVec3Dot(&normal, &p0);
}

float OXEPlane::Distance(const D3DXVECTOR3& p) const
{
    return std::fabs(D3DXVec3Dot(&normal, &p) - d);
}

int OXEPlane::Classify(const D3DXVECTOR3& p) const
{
    float f = D3DXVec3Dot(&normal, &p) + d;
    if (f > kPlanarTolerance)
        return OXE_FRONT;
    if (f < -kPlanarTolerance)
        return OXE_BACK;
    return OXE_PLANAR;
}

// A planar point counts as front, as back and as planar at once.
int OXEPlane::Classify(const OXEPolygon& polygon) const
{
    const D3DXVECTOR3* pts = polygon.GetPoints();
    int n = polygon.GetNumPoints();
    int numFront = 0, numBack = 0, numPlanar = 0;
    for (int i = 0; i < n; ++i) {
        switch (Classify(pts[i])) {
        case OXE_FRONT: ++numFront; break;
        case OXE_BACK: ++numBack; break;
        default: ++numFront; ++numBack; ++numPlanar; break;
        }
    }
    if (numPlanar == n)
        return OXE_PLANAR;
    if (numFront == n)
        return OXE_FRONT;
    if (numBack == n)
        return OXE_BACK;
    return OXE_CLIPPED;
}

bool OXEPlane::Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2) const
{
    int c0 = Classify(p0);
    return !(c0 == Classify(p1) && c0 == Classify(p2));
}

// The line common to both planes: its direction is N1 x N2, its point s1 N1 + s2 N2 lies in
// both planes with N.X = d.
bool OXEPlane::Intersects(const OXEPlane& other, OXERay* line) const
{
    const D3DXVECTOR3& n1 = normal;
    const D3DXVECTOR3& n2 = other.normal;
    D3DXVECTOR3 dir;
    D3DXVec3Cross(&dir, &n1, &n2);
    if (D3DXVec3LengthSq(&dir) < 1e-8f)
        return false; // parallel planes
    if (!line)
        return true;
    float a = D3DXVec3Dot(&n1, &n1);
    float b = D3DXVec3Dot(&n2, &n2);
    float c = D3DXVec3Dot(&n1, &n2);
    float det = a * b - c * c;
    if (std::fabs(det) < 1e-8f)
        return false;
    float inv = 1.0f / det;
    float s1 = (b * d - c * other.d) * inv;
    float s2 = (a * other.d - c * d) * inv;
    line->origin = n1 * s1 + n2 * s2;
    line->direction = dir;
    return true;
}

// The box corner lowest along the normal decides: on or in front of the plane means the
// whole box is.
bool OXEPlane::Intersects(const OXEAabb& box) const
{
    D3DXVECTOR3 v;
    v.x = normal.x >= 0.0f ? box.min.x : box.max.x;
    v.y = normal.y >= 0.0f ? box.min.y : box.max.y;
    v.z = normal.z >= 0.0f ? box.min.z : box.max.z;
    return D3DXVec3Dot(&normal, &v) + d >= 0.0f;
}

// The box reaches the plane when its projected radius covers the centre's distance.
bool OXEPlane::Intersects(const OXEObb& box) const
{
    float r = std::fabs(D3DXVec3Dot(&normal, &box.A0)) * box.e0 +
              std::fabs(D3DXVec3Dot(&normal, &box.A1)) * box.e1 +
              std::fabs(D3DXVec3Dot(&normal, &box.A2)) * box.e2;
    float s = std::fabs(D3DXVec3Dot(&normal, &box.centre) - d);
    return r >= s;
}
