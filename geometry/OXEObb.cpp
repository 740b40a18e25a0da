// Oriented boxes: moving by a matrix, culling, ray slab tests and separating-axis tests
// against triangles and other boxes.
#include "OXEObb.h"
#include "OXEPlane.h"
#include "OXERay.h"
#include <cmath>

// Below this |axis . direction| a ray runs parallel to a slab.
static const float kSlabParallel = 1e-5f;
// The running slab interval starts as wide as this.
static const float kSlabStart = 99999.9f;

void OXEObb::DeTransform(const OXEObb& box, const D3DXMATRIX& m)
{
    D3DXMATRIX r = m;
    r._41 = r._42 = r._43 = 0.0f;
    OXEObb out;
    out.e0 = box.e0;
    out.e1 = box.e1;
    out.e2 = box.e2;
    out.A0 = OXERay::TransformRow(box.A0, r);
    out.A1 = OXERay::TransformRow(box.A1, r);
    out.A2 = OXERay::TransformRow(box.A2, r);
    out.centre = OXERay::TransformRow(box.centre, r) + D3DXVECTOR3(m._41, m._42, m._43);
    *this = out; // box may be this box
}

// With the normal turned inward (N' = -N), s is the centre's height over the plane and r the
// box's radius along N'.
int OXEObb::Cull(const OXEPlane* planes, int count) const
{
    if (!planes || count < 1)
        return OXE_VISIBLE;
    bool clipped = false;
    for (int k = 0; k < count; ++k) {
        D3DXVECTOR3 n = -planes[k].normal;
        float r = std::fabs(D3DXVec3Dot(&n, &A0) * e0) + std::fabs(D3DXVec3Dot(&n, &A1) * e1) +
                  std::fabs(D3DXVec3Dot(&n, &A2) * e2);
        float s = D3DXVec3Dot(&n, &centre) - planes[k].d;
        if (s < -r)
            return OXE_CULLED;
        if (s <= r)
            clipped = true;
    }
    return clipped ? OXE_CLIPPED : OXE_VISIBLE;
}

// Slab test along the box's own axes: entry parameter when the origin is outside, exit
// parameter when it is inside.
static bool ObbSlab(const OXEObb& box, const OXERay& ray, float* hitT)
{
    const D3DXVECTOR3* axes[3] = {&box.A0, &box.A1, &box.A2};
    const float ext[3] = {box.e0, box.e1, box.e2};
    D3DXVECTOR3 delta = box.centre - ray.origin;
    float tmin = -kSlabStart;
    float tmax = kSlabStart;
    for (int i = 0; i < 3; ++i) {
        float e = D3DXVec3Dot(axes[i], &delta);
        float f = D3DXVec3Dot(axes[i], &ray.direction);
        if (std::fabs(f) > kSlabParallel) {
            float t1 = (e + ext[i]) / f;
            float t2 = (e - ext[i]) / f;
            if (t1 > t2) {
                float s = t1;
                t1 = t2;
                t2 = s;
            }
            if (t1 > tmin) tmin = t1;
            if (t2 < tmax) tmax = t2;
            if (tmin > tmax || tmax < 0.0f)
                return false;
        } else if (-e - ext[i] > 0.0f || -e + ext[i] < 0.0f) {
            return false; // parallel and outside the slab
        }
    }
    *hitT = tmin > 0.0f ? tmin : tmax;
    return true;
}

bool OXEObb::Intersects(const OXERay& ray, float* t) const
{
    float hitT = 0.0f;
    if (!ObbSlab(*this, ray, &hitT))
        return false;
    if (t)
        *t = hitT;
    return true;
}

bool OXEObb::Intersects(const OXERay& ray, float length, float* t) const
{
    float hitT = 0.0f;
    if (!ObbSlab(*this, ray, &hitT) || hitT > length)
        return false;
    if (t)
        *t = hitT;
    return true;
}

void OXEObb::ObbProj(const OXEObb& box, const D3DXVECTOR3& L, float* min, float* max)
{
    float c = D3DXVec3Dot(&box.centre, &L);
    float r = std::fabs(D3DXVec3Dot(&L, &box.A0)) * box.e0 +
              std::fabs(D3DXVec3Dot(&L, &box.A1)) * box.e1 +
              std::fabs(D3DXVec3Dot(&L, &box.A2)) * box.e2;
    *min = c - r;
    *max = c + r;
}

void OXEObb::TriProj(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2,
                     const D3DXVECTOR3& L, float* min, float* max)
{
    float d0 = D3DXVec3Dot(&p0, &L);
    float d1 = D3DXVec3Dot(&p1, &L);
    float d2 = D3DXVec3Dot(&p2, &L);
    *min = d0 < d1 ? (d0 < d2 ? d0 : d2) : (d1 < d2 ? d1 : d2);
    *max = d0 > d1 ? (d0 > d2 ? d0 : d2) : (d1 > d2 ? d1 : d2);
}

// Candidate axes in order: the triangle normal, the box axes, then each triangle edge crossed
// with each box axis. The first axis on which the intervals do not meet separates them.
bool OXEObb::Intersects(D3DXVECTOR3 p0, D3DXVECTOR3 p1, D3DXVECTOR3 p2) const
{
    D3DXVECTOR3 E0 = p1 - p0;
    D3DXVECTOR3 E1 = p2 - p0;
    D3DXVECTOR3 N;
    D3DXVec3Cross(&N, &E0, &E1);
    float d = D3DXVec3Dot(&N, &p0);
    float bmin, bmax, tmin, tmax;
    ObbProj(*this, N, &bmin, &bmax);
    if (!(bmin <= d && d <= bmax))
        return false;

    const D3DXVECTOR3* axes[3] = {&A0, &A1, &A2};
    const float ext[3] = {e0, e1, e2};
    for (int i = 0; i < 3; ++i) {
        TriProj(p0, p1, p2, *axes[i], &tmin, &tmax);
        float c = D3DXVec3Dot(&centre, axes[i]);
        if (!(tmin <= c + ext[i] && c - ext[i] <= tmax))
            return false;
    }

    D3DXVECTOR3 E2 = E1 - E0;
    const D3DXVECTOR3* edges[3] = {&E0, &E1, &E2};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 3; ++i) {
            D3DXVECTOR3 L;
            D3DXVec3Cross(&L, edges[k], axes[i]);
            TriProj(p0, p1, p2, L, &tmin, &tmax);
            ObbProj(*this, L, &bmin, &bmax);
            if (bmax < tmin || tmax < bmin)
                return false;
        }
    }
    return true;
}

// Fifteen candidate axes: this box's axes, the other's, and the nine cross products, all
// worked out from R[i][j] = Ai . Bj and the centre offset along this box's axes.
bool OXEObb::Intersects(const OXEObb& other) const
{
    const D3DXVECTOR3* A[3] = {&A0, &A1, &A2};
    const D3DXVECTOR3* B[3] = {&other.A0, &other.A1, &other.A2};
    const float a[3] = {e0, e1, e2};
    const float b[3] = {other.e0, other.e1, other.e2};
    float R[3][3], absR[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            R[i][j] = D3DXVec3Dot(A[i], B[j]);
            absR[i][j] = std::fabs(R[i][j]);
        }
    }
    D3DXVECTOR3 T = other.centre - centre;
    const float t[3] = {D3DXVec3Dot(&T, A[0]), D3DXVec3Dot(&T, A[1]), D3DXVec3Dot(&T, A[2])};

    for (int i = 0; i < 3; ++i) { // A0, A1, A2
        float rb = b[0] * absR[i][0] + b[1] * absR[i][1] + b[2] * absR[i][2];
        if (std::fabs(t[i]) > a[i] + rb)
            return false;
    }
    for (int j = 0; j < 3; ++j) { // B0, B1, B2
        float ra = a[0] * absR[0][j] + a[1] * absR[1][j] + a[2] * absR[2][j];
        float proj = t[0] * R[0][j] + t[1] * R[1][j] + t[2] * R[2][j];
        if (std::fabs(proj) > ra + b[j])
            return false;
    }
    for (int i = 0; i < 3; ++i) { // Ai x Bj
        int i1 = (i + 1) % 3, i2 = (i + 2) % 3;
        for (int j = 0; j < 3; ++j) {
            int j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            float ra = a[i1] * absR[i2][j] + a[i2] * absR[i1][j];
            float rb = b[j1] * absR[i][j2] + b[j2] * absR[i][j1];
            float proj = t[i2] * R[i1][j] - t[i1] * R[i2][j];
            if (std::fabs(proj) > ra + rb)
                return false;
        }
    }
    return true;
}
