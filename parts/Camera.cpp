#include "Camera.h"
#include "OXEAabb.h"

namespace {

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v)
{
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &v);
    return out;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    D3DXVECTOR3 out;
    D3DXVec3Cross(&out, &a, &b);
    return out;
}

// Turns the two vectors about axis by angle.
void RotatePair(const D3DXVECTOR3& axis, float angle, D3DXVECTOR3& a, D3DXVECTOR3& b)
{
    D3DXMATRIX r;
    D3DXMatrixRotationAxis(&r, &axis, angle);
    D3DXVec3TransformNormal(&a, &a, &r);
    D3DXVec3TransformNormal(&b, &b, &r);
}

} // namespace

Camera::Camera()
    : flyMode(true), moveVector(0, 0, 0), pitch(0), pitchLimit(0), invertPitch(0),
      position(0, 0, 0), rightAxis(1, 0, 0), upAxis(0, 1, 0), lookAxis(0, 0, 1), speed(50.0f)
{
    D3DXMatrixIdentity(&viewMatrix);
    D3DXMatrixIdentity(&projMatrix);
    D3DXMatrixIdentity(&viewProjMatrix);
    for (D3DXPLANE& p : frustum) p = D3DXPLANE(0, 0, 0, 0);
}

Camera& Camera::operator=(const Camera& other) = default;

const D3DXMATRIX& Camera::view() const { return viewMatrix; }
const D3DXMATRIX& Camera::proj() const { return projMatrix; }
const D3DXMATRIX& Camera::viewProj() const { return viewProjMatrix; }
D3DXMATRIX Camera::GetView() { return viewMatrix; }
D3DXMATRIX Camera::GetProj() { return projMatrix; }
D3DXMATRIX Camera::GetViewProj() { return viewProjMatrix; }
const D3DXVECTOR3& Camera::right() const { return rightAxis; }
const D3DXVECTOR3& Camera::up() const { return upAxis; }
const D3DXVECTOR3& Camera::look() const { return lookAxis; }
D3DXVECTOR3& Camera::pos() { return position; }

void Camera::buildView()
{
    // Re-orthonormalise the axes, then write them as the view's columns.
    lookAxis = Normalized(lookAxis);
    upAxis = Normalized(Cross(lookAxis, rightAxis));
    rightAxis = Normalized(Cross(upAxis, lookAxis));

    D3DXMATRIX& v = viewMatrix;
    v._11 = rightAxis.x; v._12 = upAxis.x; v._13 = lookAxis.x; v._14 = 0.0f;
    v._21 = rightAxis.y; v._22 = upAxis.y; v._23 = lookAxis.y; v._24 = 0.0f;
    v._31 = rightAxis.z; v._32 = upAxis.z; v._33 = lookAxis.z; v._34 = 0.0f;
    v._41 = -D3DXVec3Dot(&position, &rightAxis);
    v._42 = -D3DXVec3Dot(&position, &upAxis);
    v._43 = -D3DXVec3Dot(&position, &lookAxis);
    v._44 = 1.0f;
}

void Camera::buildWorldFrustumPlanes()
{
    // With M = view x proj, a world point p is inside when 0 <= (p M).z <= (p M).w and
    // -(p M).w <= (p M).x, (p M).y <= (p M).w; each inequality is one plane on M's columns.
    D3DXMATRIX m = viewMatrix * projMatrix;
    D3DXVECTOR4 col[4];
    for (int j = 0; j < 4; ++j) col[j] = D3DXVECTOR4(m.m[0][j], m.m[1][j], m.m[2][j], m.m[3][j]);

    const D3DXVECTOR4 planes[6] = {
        col[2],          // near
        col[3] - col[2], // far
        col[3] + col[0], // left
        col[3] - col[0], // right
        col[3] - col[1], // top
        col[3] + col[1], // bottom
    };
    for (int i = 0; i < 6; ++i) {
        D3DXPLANE p(planes[i].x, planes[i].y, planes[i].z, planes[i].w);
        D3DXPlaneNormalize(&frustum[i], &p);
    }
}

void Camera::lookAt(const D3DXVECTOR3& pos, const D3DXVECTOR3& target, const D3DXVECTOR3& worldUp)
{
    lookAxis = Normalized(target - pos);
    rightAxis = Normalized(Cross(worldUp, lookAxis));
    upAxis = Normalized(Cross(lookAxis, rightAxis));
    position = pos;
    update(0.0f);
}

void Camera::setLens(float fovY, float aspect, float nearZ, float farZ)
{
    D3DXMatrixPerspectiveFovLH(&projMatrix, fovY, aspect, nearZ, farZ);
    buildWorldFrustumPlanes();
    viewProjMatrix = viewMatrix * projMatrix;
}

void Camera::setSpeed(float s)
{
    speed = s;
}

void Camera::update(float /*dt*/)
{
    buildView();
    buildWorldFrustumPlanes();
    viewProjMatrix = viewMatrix * projMatrix;
}

bool Camera::isVisible(const OXEAabb& box) const
{
    for (const D3DXPLANE& p : frustum) {
        // The corner farthest along the plane's normal: if even it is outside, all of the box is.
        D3DXVECTOR3 q(p.a >= 0.0f ? box.max.x : box.min.x, p.b >= 0.0f ? box.max.y : box.min.y,
                      p.c >= 0.0f ? box.max.z : box.min.z);
        if (p.a * q.x + p.b * q.y + p.c * q.z + p.d < 0.0f) return false;
    }
    return true;
}

void Camera::CameraMoveForward(float units)
{
    if (flyMode) {
        moveVector += lookAxis * units;
        return;
    }
    // On the ground plane; a camera looking straight up or down has no forward there.
    D3DXVECTOR3 ground(lookAxis.x, 0.0f, lookAxis.z);
    if (D3DXVec3LengthSq(&ground) > 0.0f) moveVector += Normalized(ground) * units;
}

void Camera::CameraStrafe(float units)
{
    moveVector += rightAxis * units;
}

void Camera::CameraMoveUp(float units)
{
    if (flyMode) moveVector.y += units;
}

void Camera::CameraYaw(float angle)
{
    if (angle == 0.0f) return;
    RotatePair(upAxis, angle, rightAxis, lookAxis);
}

void Camera::CameraRoll(float angle)
{
    if (angle == 0.0f) return;
    RotatePair(lookAxis, angle, rightAxis, upAxis);
}

void Camera::CameraPitch(float angle)
{
    if (angle == 0.0f) return;
    if (invertPitch) angle = -angle;
    pitch -= angle;
    // Only the part of the turn that stays within the limit is made, and the stored pitch stays
    // at the limit, so turning on past it holds the camera there instead of turning it back.
    if (pitch > pitchLimit) {
        angle += pitch - pitchLimit;
        pitch = pitchLimit;
    } else if (pitch < -pitchLimit) {
        angle += pitch + pitchLimit;
        pitch = -pitchLimit;
    }
    if (angle != 0.0f) RotatePair(rightAxis, angle, upAxis, lookAxis);
}
