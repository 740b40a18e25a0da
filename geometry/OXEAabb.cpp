// Axis-aligned boxes: enclosing an oriented box, culling, bounding planes, containment and
// overlap, ray slab tests. All of it works on the min/max pair.
#include "OXEAabb.h"
#include "OXEPlane.h"
#include "OXERay.h"
#include "OXEObb.h"
#include <cmath>

// Below this magnitude a direction component counts as parallel to the slab.
static const float kSlabParallel = 1e-5f;
// The running slab interval starts as wide as this.
static const float kSlabStart = 999999.9f;

// Each axis of the box reaches as far as the sum of its scaled axis components.
void OXEAabb::Construct(const OXEObb& box)
{
    D3DXVECTOR3 a0 = box.A0 * box.e0;
    D3DXVECTOR3 a1 = box.A1 * box.e1;
    D3DXVECTOR3 a2 = box.A2 * box.e2;
    for (int i = 0; i < 3; ++i) {
        float r = std::fabs(a0[i]) + std::fabs(a1[i]) + std::fabs(a2[i]);
        min[i] = box.centre[i] - r;
        max[i] = box.centre[i] + r;
    }
    centre = box.centre;
}

// vmin is the corner lowest along the plane normal, vmax the highest. Outward normals: a box
// whose lowest corner is already in front of a plane is outside.
int OXEAabb::Cull(const OXEPlane* planes, int count) const
{
    if (!planes || count < 1)
        return OXE_VISIBLE;
    bool clipped = false;
    for (int k = 0; k < count; ++k) {
        const D3DXVECTOR3& n = planes[k].normal;
        D3DXVECTOR3 vmin, vmax;
        for (int i = 0; i < 3; ++i) {
            if (n[i] >= 0.0f) {
                vmin[i] = min[i];
                vmax[i] = max[i];
            } else {
                vmin[i] = max[i];
                vmax[i] = min[i];
            }
        }
        if (D3DXVec3Dot(&n, &vmin) + planes[k].d > 0.0f)
            return OXE_CULLED;
        if (D3DXVec3Dot(&n, &vmax) + planes[k].d >= 0.0f)
            clipped = true;
    }
    return clipped ? OXE_CLIPPED : OXE_VISIBLE;
}

void OXEAabb::GetPlanes(OXEPlane* planes) const
{
    if (!planes)
        return;
    planes[0].Set(D3DXVECTOR3(1, 0, 0), max);
    planes[1].Set(D3DXVECTOR3(-1, 0, 0), min);
    planes[2].Set(D3DXVECTOR3(0, 0, -1), min);
    planes[3].Set(D3DXVECTOR3(0, 0, 1), max);
    planes[4].Set(D3DXVECTOR3(0, 1, 0), max);
    planes[5].Set(D3DXVECTOR3(0, -1, 0), min);
}

bool OXEAabb::Contains(const OXERay& ray, float length) const
{
    D3DXVECTOR3 end = ray.origin + ray.direction * length;
    return Intersects(ray.origin) && Intersects(end);
}

bool OXEAabb::Intersects(const D3DXVECTOR3& p) const
{
    return p.x >= min.x && p.x <= max.x && p.y >= min.y && p.y <= max.y && p.z >= min.z &&
           p.z <= max.z;
}

bool OXEAabb::Intersects(const OXEAabb& other) const
{
    for (int i = 0; i < 3; ++i) {
        if (max[i] < other.min[i] || other.max[i] < min[i])
            return false;
    }
    return true;
}

// Narrows [low, high] axis by axis to the parameters where the ray is within each slab. A
// direction component of exactly 0 with the origin inside the slab leaves the interval as it
// is (the division would give infinities, or no number at all on a face).
static bool SlabHit(const OXEAabb& box, const OXERay& ray, float* hitT)
{
    float low = -kSlabStart;
    float high = kSlabStart;
    for (int i = 0; i < 3; ++i) {
        float o = ray.origin[i];
        float dir = ray.direction[i];
        if (std::fabs(dir) < kSlabParallel && (o < box.min[i] || o > box.max[i]))
            return false;
        if (dir == 0.0f)
            continue;
        float t1 = (box.min[i] - o) / dir;
        float t2 = (box.max[i] - o) / dir;
        if (t1 > t2) {
            float s = t1;
            t1 = t2;
            t2 = s;
        }
        if (t1 > low) low = t1;
        if (t2 < high) high = t2;
        if (low > high || high < 0.0f)
            return false;
    }
    *hitT = low > 0.0f ? low : high;
    return true;
}

bool OXEAabb::Intersects(const OXERay& ray, float* t) const
{
    float hitT = 0.0f;
    if (!SlabHit(*this, ray, &hitT))
        return false;
    if (t)
        *t = hitT;
    return true;
}

// The length is compared with the parameter itself, not scaled by the direction's length.
bool OXEAabb::Intersects(const OXERay& ray, float length, float* t) const
{
    float hitT = 0.0f;
    if (!SlabHit(*this, ray, &hitT) || hitT > length)
        return false;
    if (t)
        *t = hitT;
    return true;
}
