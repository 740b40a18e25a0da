// Calls the operations that both PelmoraParts.dll and PelmoraGraf.dll export: the camera, and
// the small geometry members defined in place (assignments, the polygon's getters, the box's
// range centre, extent and transform). Never run; see ClientUsesParts.cpp.
#include <new>
#include "ClientDeclarations.h"

void UseSharedMembers(void* m, D3DXVECTOR3& v, D3DXMATRIX& mx, OXEPlane& pl, OXERay& ray,
                      OXEAabb& box, OXEObb& obb, OXEPolygon& poly, OXEQuat& quat)
{
    Camera& c = *new (m) Camera();
    c = c;
    c.view(); c.proj(); c.viewProj(); c.GetView(); c.GetProj(); c.GetViewProj();
    c.right(); c.up(); c.look(); c.pos();
    c.lookAt(v, v, v); c.setLens(1, 1, 1, 2); c.setSpeed(1); c.update(0); c.isVisible(box);
    c.CameraMoveForward(0); c.CameraStrafe(0); c.CameraMoveUp(0);
    c.CameraYaw(0); c.CameraPitch(0); c.CameraRoll(0);

    pl = pl;
    ray = ray;
    box = box;
    box.center(); box.extent(); box.xform(mx, box);
    obb = obb;
    quat = quat;
    poly.GetNumPoints(); poly.GetNumIndis(); poly.GetPoints(); poly.GetIndices();
    poly.GetPlane(); poly.GetAabb(); poly.GetFlag(); poly.SetFlag(0);
}
