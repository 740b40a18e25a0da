#include "CWorldTransform.h"

CWorldTransform::CWorldTransform() { Reset(); }

CWorldTransform::~CWorldTransform() { Reset(); }

void CWorldTransform::Reset()
{
    D3DXMatrixIdentity(&translate);
    D3DXMatrixIdentity(&rotate);
    D3DXMatrixIdentity(&scale);
    D3DXMatrixIdentity(&final);
    rotation = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void CWorldTransform::TranslateAbs(float x, float y, float z)
{
    translate._41 = x;
    translate._42 = y;
    translate._43 = z;
}

void CWorldTransform::TranslateRel(float x, float y, float z)
{
    translate._41 += x;
    translate._42 += y;
    translate._43 += z;
}

void CWorldTransform::rebuildRotation()
{
    D3DXMatrixRotationYawPitchRoll(&rotate, rotation.y, rotation.x, rotation.z);
}

void CWorldTransform::RotateAbs(float x, float y, float z)
{
    rotation = D3DXVECTOR3(x, y, z);
    rebuildRotation();
}

void CWorldTransform::RotateRel(float x, float y, float z)
{
    rotation += D3DXVECTOR3(x, y, z);
    rebuildRotation();
}

void CWorldTransform::ScaleAbs(float x, float y, float z)
{
    scale._11 = x;
    scale._22 = y;
    scale._33 = z;
}

void CWorldTransform::ScaleRel(float x, float y, float z)
{
    scale._11 += x;
    scale._22 += y;
    scale._33 += z;
}

D3DXMATRIX* CWorldTransform::GetTransform()
{
    final = scale * rotate * translate;
    return &final;
}

float CWorldTransform::GetXPosition() { return translate._41; }
float CWorldTransform::GetYPosition() { return translate._42; }
float CWorldTransform::GetZPosition() { return translate._43; }
float CWorldTransform::GetXRotation() { return rotation.x; }
float CWorldTransform::GetYRotation() { return rotation.y; }
float CWorldTransform::GetZRotation() { return rotation.z; }
float CWorldTransform::GetXScale() { return scale._11; }
float CWorldTransform::GetYScale() { return scale._22; }
float CWorldTransform::GetZScale() { return scale._33; }
