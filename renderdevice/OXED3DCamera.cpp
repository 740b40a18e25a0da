// OXED3D: the built-in camera. Movements gather in a velocity that UpdateCamera applies (capped
// at the largest speed) before it builds the view matrix from the eye, the target and the world's
// up axis; SetPerspective writes its projection into the view-projection matrix.
#include "OXED3D.h"
#include <cmath>

#include "OXEVectorMath.h"

// ---------------------------------------------------------------------------------------------
// Built-in camera
// ---------------------------------------------------------------------------------------------

void OXED3D::SetPerspective(float fov, float aspect, float nearPlane, float farPlane)
{
    m_fov = fov;
    m_aspect = aspect;
    m_nearPlane = nearPlane;
    m_farPlane = farPlane;
    D3DXMatrixPerspectiveFovLH(&m_viewProj, fov, aspect, nearPlane, farPlane);
}

void OXED3D::ResetCamera()
{
    m_camRight = D3DXVECTOR3(1, 0, 0);
    m_camUp = D3DXVECTOR3(0, 1, 0);
    m_camLook = D3DXVECTOR3(0, 0, 1);
    m_camPosition = D3DXVECTOR3(0, 0, 0);
    m_camTarget = m_camPosition + m_camLook;
    m_camVelocity = D3DXVECTOR3(0, 0, 0);
    m_camYaw = 0.0f;
    m_camPitch = 0.0f;
    m_camPitchLimit = 1.5533431f;
    m_camMaxSpeed = 1.0f;
    m_camInvertPitch = 0;
    m_camFlyMode = 1;
    SetPerspective(1.0471976f, 1.3f, 0.1f, 1000.0f);
    UpdateCamera();
}

void OXED3D::MoveForward(float distance)
{
    D3DXVECTOR3 step = m_camLook;
    if (m_camFlyMode == 0) {
        step = D3DXVECTOR3(m_camLook.x, 0.0f, m_camLook.z);
        float length = OXELength(step);
        if (length > 0.0f) step /= length; // looking straight up or down: no level step
    }
    m_camVelocity += step * distance;
}

void OXED3D::MoveSideways(float distance) { m_camVelocity += m_camRight * distance; }

void OXED3D::MoveUp(float distance)
{
    if (m_camFlyMode != 0) m_camVelocity.y += distance;
}

void OXED3D::Yaw(float angle)
{
    if (angle == 0.0f) return;
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &m_camUp, angle);
    D3DXVec3TransformNormal(&m_camRight, &m_camRight, &rotation);
    D3DXVec3TransformNormal(&m_camLook, &m_camLook, &rotation);
}

void OXED3D::Pitch(float angle)
{
    if (angle == 0.0f) return;
    if (m_camInvertPitch) angle = -angle;
    m_camPitch -= angle;
    if (m_camPitch > m_camPitchLimit) angle += m_camPitch - m_camPitchLimit;
    else if (m_camPitch < -m_camPitchLimit) angle += m_camPitch + m_camPitchLimit;
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &m_camRight, angle);
    D3DXVec3TransformNormal(&m_camUp, &m_camUp, &rotation);
    D3DXVec3TransformNormal(&m_camLook, &m_camLook, &rotation);
}

void OXED3D::Roll(float angle)
{
    if (angle == 0.0f) return;
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &m_camLook, angle);
    D3DXVec3TransformNormal(&m_camRight, &m_camRight, &rotation);
    D3DXVec3TransformNormal(&m_camUp, &m_camUp, &rotation);
}

void OXED3D::UpdateCamera()
{
    float speed = OXELength(m_camVelocity);
    if (speed > m_camMaxSpeed) m_camVelocity *= m_camMaxSpeed / speed;
    m_camPosition += m_camVelocity;
    m_camVelocity = D3DXVECTOR3(0, 0, 0);
    m_camTarget = m_camPosition + m_camLook;
    const D3DXVECTOR3 worldUp(0, 1, 0);
    D3DXMatrixLookAtLH(&m_view, &m_camPosition, &m_camTarget, &worldUp);
    m_camRight = D3DXVECTOR3(m_view._11, m_view._21, m_view._31);
    m_camUp = D3DXVECTOR3(m_view._12, m_view._22, m_view._32);
    m_camLook = D3DXVECTOR3(m_view._13, m_view._23, m_view._33);
    m_camPitch = atan2f(m_camLook.y, sqrtf(m_camLook.x * m_camLook.x + m_camLook.z * m_camLook.z));
    m_camYaw = atan2f(m_camLook.x, m_camLook.z);
}

void OXED3D::SetCameraPosition(const D3DXVECTOR3* position)
{
    if (position) m_camPosition = *position;
}

void OXED3D::SetCameraTarget(const D3DXVECTOR3* target)
{
    if (!target) return;
    m_camTarget = *target;
    D3DXVECTOR3 look = m_camTarget - m_camPosition;
    float length = OXELength(look);
    if (length > 0.0f) m_camLook = look / length; // a target on the eye keeps the old look
}

void OXED3D::SetFov(float fov) { SetPerspective(fov, m_aspect, m_nearPlane, m_farPlane); }
void OXED3D::SetAspect(float aspect) { SetPerspective(m_fov, aspect, m_nearPlane, m_farPlane); }
void OXED3D::SetNearPlane(float nearPlane) { SetPerspective(m_fov, m_aspect, nearPlane, m_farPlane); }
void OXED3D::SetFarPlane(float farPlane) { SetPerspective(m_fov, m_aspect, m_nearPlane, farPlane); }
void OXED3D::SetMaxSpeed(float speed) { m_camMaxSpeed = speed; }
void OXED3D::SetInvertPitch(int invert) { m_camInvertPitch = invert; }
void OXED3D::SetPitchLimit(float limit) { m_camPitchLimit = limit; }
D3DXMATRIX* OXED3D::GetViewMatrix() { return &m_view; }
D3DXMATRIX* OXED3D::GetViewProjMatrix() { return &m_viewProj; }
D3DXVECTOR3* OXED3D::GetCameraPosition() { return &m_camPosition; }
D3DXVECTOR3* OXED3D::GetCameraTarget() { return &m_camTarget; }
float OXED3D::GetFov() { return m_fov; }
float OXED3D::GetAspect() { return m_aspect; }
float OXED3D::GetNearPlane() { return m_nearPlane; }
float OXED3D::GetFarPlane() { return m_farPlane; }
float OXED3D::GetMaxSpeed() { return m_camMaxSpeed; }
int OXED3D::GetInvertPitch() { return m_camInvertPitch; }
float OXED3D::GetPitch() { return m_camPitch; }
float OXED3D::GetYaw() { return m_camYaw; }
float OXED3D::GetPitchLimit() { return m_camPitchLimit; }
