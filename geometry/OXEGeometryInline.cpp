// Built into PelmoraGraf.dll and PelmoraParts.dll, which export the small geometry members
// defined in the headers (OXE_GEOMETRY_INLINE_API). The compiler makes a member with a body in
// the header wherever the header is included, but a defaulted one (the assignments, the default
// constructors) only where it is used, and a trivial assignment not even then unless its address
// is taken: the function below uses each of them once, so that both libraries hold them. It is
// never called.
#include "OXEPlane.h"
#include "OXERay.h"
#include "OXEAabb.h"
#include "OXEObb.h"
#include "OXEPolygon.h"
#include "OXEQuat.h"
#include <new>

void OXEEmitGeometryMembers()
{
    auto planeAssign = &OXEPlane::operator=;
    auto rayAssign = &OXERay::operator=;
    auto boxAssign = &OXEAabb::operator=;
    auto obbAssign = &OXEObb::operator=;
    auto quatAssign = &OXEQuat::operator=;
    (void)planeAssign, (void)rayAssign, (void)boxAssign, (void)obbAssign, (void)quatAssign;
    OXEQuat quat;
    (void)quat;
    // Constructed in place and not destroyed: the destructor is PelmoraGraf's alone, and an
    // empty polygon holds nothing to free.
    alignas(OXEPolygon) unsigned char storage[sizeof(OXEPolygon)];
    new (storage) OXEPolygon();
}
