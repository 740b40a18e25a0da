// Vector arithmetic the render device's sources share.
#pragma once
#include <d3dx9.h>
#include <cmath>

// Length of a vector: the square root of the sum of its squared components, in float.
inline float OXELength(const D3DXVECTOR3& v) { return sqrtf(v.x * v.x + v.y * v.y + v.z * v.z); }
