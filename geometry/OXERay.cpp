// Rays: change of space and intersection tests against triangles, planes and boxes.
#include "OXERay.h"
#include "OXEPlane.h"
#include "OXEAabb.h"
#include "OXEObb.h"
#include <cmath>

// Below this |det| a ray runs along the triangle's plane.
static const double kTriangleParallel = (double)1e-4f;
// Below this |N . direction| a ray runs along a plane.
static const float kPlaneParallel = 1e-5f;
// How far outside a box face the candidate hit point may lie and still count.
static const double kBoxFaceTolerance = (double)1e-5f;

D3DXVECTOR3 OXERay::TransformRow(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    D3DXVECTOR3 r(v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41,
                  v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
                  v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43);
    float w = std::trunc(v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44);
    if (w != 0.0f)
        r /= w;
    return r;
}

// Undo the translation first, then the rest of the matrix through its inverse.
void OXERay::DeTransform(const D3DXMATRIX& m)
{
    D3DXMATRIX r = m;
    r._41 = r._42 = r._43 = 0.0f;
    D3DXMATRIX inv;
    if (!D3DXMatrixInverse(&inv, nullptr, &r))
        return;
    D3DXVECTOR3 o = origin - D3DXVECTOR3(m._41, m._42, m._43);
    origin = TransformRow(o, inv);
    direction = TransformRow(direction, inv);
}

// Edge form: solve origin + t dir = p0 + u e1 + v e2 with u, v, t scaled by det. A triangle
// seen from its back has det < 0; without cull the signs of det, u and v are turned so that
// the same bounds hold for both sides.
bool OXERay::Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2,
                        bool cull, float length, float* t) const
{
    (void)length;
    D3DXVECTOR3 e1 = p1 - p0;
    D3DXVECTOR3 e2 = p2 - p0;
    D3DXVECTOR3 p;
    D3DXVec3Cross(&p, &direction, &e2);
    float det = D3DXVec3Dot(&e1, &p);
    if (cull && det < kTriangleParallel)
        return false; // facing away
    if (det > -kTriangleParallel && det < kTriangleParallel)
        return false; // parallel
    float sign = det < 0.0f ? -1.0f : 1.0f;
    float absDet = det * sign;

    D3DXVECTOR3 s = origin - p0;
    float u = D3DXVec3Dot(&s, &p) * sign;
    if (u < 0.0f || u > absDet)
        return false;
    D3DXVECTOR3 q;
    D3DXVec3Cross(&q, &s, &e1);
    float v = D3DXVec3Dot(&direction, &q) * sign;
    if (v < 0.0f || u + v > absDet)
        return false;
    if (t)
        *t = D3DXVec3Dot(&e2, &q) / det;
    return true;
}

bool OXERay::Intersects(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2,
                        bool cull, float* t) const
{
    return Intersects(p0, p1, p2, cull, 0.0f, t);
}

bool OXERay::Intersects(const OXEPlane& plane, bool cull, float* t, D3DXVECTOR3* hit) const
{
    float f = D3DXVec3Dot(&plane.normal, &direction);
    if (std::fabs(f) < kPlaneParallel)
        return false;
    if (cull && f > 0.0f)
        return false; // the ray meets the back of the plane
    float tt = -(D3DXVec3Dot(&plane.normal, &origin) + plane.d) / f;
    if (hit)
        *hit = origin + tt * direction;
    if (t)
        *t = tt;
    return true;
}

bool OXERay::Intersects(const OXEPlane& plane, bool cull, float length, float* t,
                        D3DXVECTOR3* hit) const
{
    float tt = 0.0f;
    if (!Intersects(plane, cull, &tt, nullptr))
        return false;
    if (tt < 0.0f || tt > length)
        return false;
    if (hit)
        *hit = origin + tt * direction;
    if (t)
        *t = tt;
    return true;
}

// Per axis the face the ray may enter through is the one on the origin's side; the entry is
// the candidate face reached last, and the hit point on it must lie within the other faces.
bool OXERay::Intersects(const OXEAabb& box, D3DXVECTOR3* hit) const
{
    bool inside = true;
    float candidate[3] = {0, 0, 0};
    float T[3] = {-1.0f, -1.0f, -1.0f};
    for (int i = 0; i < 3; ++i) {
        float o = origin[i];
        if (o > box.max[i])
            candidate[i] = box.max[i];
        else if (o <= box.min[i])
            candidate[i] = box.min[i];
        else
            continue; // inside on this axis
        inside = false;
        if (direction[i] != 0.0f)
            T[i] = (candidate[i] - o) / direction[i];
    }
    if (inside) {
        if (hit)
            *hit = origin;
        return true;
    }
    int axis = 0;
    if (T[1] > T[axis]) axis = 1;
    if (T[2] > T[axis]) axis = 2;
    if (T[axis] < 0.0f)
        return false;

    D3DXVECTOR3 point = origin + T[axis] * direction;
    for (int i = 0; i < 3; ++i) {
        if (i == axis) {
            point[i] = candidate[i];
            continue;
        }
        if (point[i] < box.min[i] - kBoxFaceTolerance || point[i] > box.max[i] + kBoxFaceTolerance)
            return false;
    }
    if (hit)
        *hit = point;
    return true;
}

bool OXERay::Intersects(const OXEObb* box, float* t) const
{
    if (!box)
        return false;
    return box->Intersects(*this, t);
}
