// Rotation quaternions: Hamilton product, construction from angles, rotation matrix.
#include "OXEQuat.h"
#include <cmath>

OXEQuat& OXEQuat::operator*=(const OXEQuat& q)
{
    *this = *this * q;
    return *this;
}

OXEQuat OXEQuat::operator*(const OXEQuat& q) const
{
    return OXEQuat(w * q.x + x * q.w + y * q.z - z * q.y,
                   w * q.y + y * q.w + z * q.x - x * q.z,
                   w * q.z + z * q.w + x * q.y - y * q.x,
                   w * q.w - x * q.x - y * q.y - z * q.z);
}

void OXEQuat::MakeFromEuler(float a, float b, float c)
{
    float c1 = std::cos(a / 2), s1 = std::sin(a / 2);
    float c2 = std::cos(b / 2), s2 = std::sin(b / 2);
    float c3 = std::cos(c / 2), s3 = std::sin(c / 2);
    w = c1 * c2 * c3 + s1 * s2 * s3;
    x = s1 * c2 * c3 - c1 * s2 * s3;
    y = c1 * s2 * c3 + s1 * c2 * s3;
    z = c1 * c2 * s3 - s1 * s2 * c3;
}

void OXEQuat::GetMatrix(D3DXMATRIX* m) const
{
    if (!m)
        return;
    *m = D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
    float x2 = 2 * x, y2 = 2 * y, z2 = 2 * z;
    m->_11 = 1 - (y * y2 + z * z2);
    m->_12 = x * y2 - w * z2;
    m->_13 = x * z2 + w * y2;
    m->_21 = x * y2 + w * z2;
    m->_22 = 1 - (x * x2 + z * z2);
    m->_23 = y * z2 - w * x2;
    m->_31 = x * z2 - w * y2;
    m->_32 = y * z2 + w * x2;
    m->_33 = 1 - (x * x2 + y * y2);
}
