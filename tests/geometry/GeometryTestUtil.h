// Small helpers shared by the geometry tests.
#pragma once
#include <gtest/gtest.h>
#include <d3dx9.h>

inline D3DXVECTOR3 V(float x, float y, float z) { return D3DXVECTOR3(x, y, z); }

#define EXPECT_VEC_NEAR(a, b, tol)                                                           \
    do {                                                                                     \
        D3DXVECTOR3 va_ = (a), vb_ = (b);                                                    \
        EXPECT_NEAR(va_.x, vb_.x, tol) << "x";                                               \
        EXPECT_NEAR(va_.y, vb_.y, tol) << "y";                                               \
        EXPECT_NEAR(va_.z, vb_.z, tol) << "z";                                               \
    } while (0)
