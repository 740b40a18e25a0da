// Export macro of the geometry classes. They are compiled into PelmoraGraf.dll, which exports
// every member. Everywhere else the macro is empty: the inline members in the headers are built
// into each module, and programs that link PelmoraGraf's import library reach the other members
// through its plain-call thunks.
#pragma once
#if defined(PELMORA_GRAF_BUILD)
#define OXE_GEOMETRY_API __declspec(dllexport)
#else
#define OXE_GEOMETRY_API
#endif

// Classification codes shared by planes, boxes and polygons.
enum {
    OXE_FRONT = 0,   // in front of a plane
    OXE_BACK = 1,    // behind a plane
    OXE_PLANAR = 2,  // within the tolerance of a plane
    OXE_CLIPPED = 3, // points on both sides; for culling: partly inside
    OXE_CULLED = 4,  // entirely outside
    OXE_VISIBLE = 5  // entirely inside
};
