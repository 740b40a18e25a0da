/// \file
/// Export macros of the geometry classes and their classification codes.
//
// OXE_GEOMETRY_API marks the classes: they are compiled into PelmoraGraf.dll, which exports
// their members. Everywhere else it is empty, and programs that link PelmoraGraf's import
// library reach the members through its plain-call thunks.
//
// OXE_GEOMETRY_INLINE_API marks the small members defined in the headers (assignments, the
// polygon's getters, the box's range centre, extent and transform, the polygon's and the
// quaternion's constructors). Every module builds them in from the headers; PelmoraGraf.dll and
// PelmoraParts.dll also export them, so that a client declaring the classes without their
// bodies links. A member marked so is compiled wherever its header is included, and
// OXEGeometryInline.cpp (built into both libraries) makes the compiler emit the defaulted ones,
// which it would otherwise only make where they are used. The classes whose assignment is marked
// declare their copy constructors defaulted beside it: copies stay trivial, as before.
#pragma once
#if defined(PELMORA_GRAF_BUILD)
/// Marks the geometry classes: exported by PelmoraGraf.dll while it is built, empty elsewhere
/// (a client links their members through PelmoraGraf's import library).
#define OXE_GEOMETRY_API __declspec(dllexport)
#else
/// Marks the geometry classes: empty in a client (their members come from PelmoraGraf's import library).
#define OXE_GEOMETRY_API
#endif
#if defined(PELMORA_GRAF_BUILD) || defined(PELMORA_PARTS_BUILD)
/// Marks the small geometry members defined in the headers: also exported by PelmoraGraf.dll
/// and PelmoraParts.dll while they are built.
#define OXE_GEOMETRY_INLINE_API __declspec(dllexport)
#else
/// Marks the small geometry members defined in the headers: empty in a client (built in from the headers).
#define OXE_GEOMETRY_INLINE_API
#endif

/// Classification codes shared by planes, boxes and polygons.
enum {
    OXE_FRONT = 0,   ///< in front of a plane
    OXE_BACK = 1,    ///< behind a plane
    OXE_PLANAR = 2,  ///< within the tolerance of a plane
    OXE_CLIPPED = 3, ///< points on both sides; for culling: partly inside
    OXE_CULLED = 4,  ///< entirely outside
    OXE_VISIBLE = 5  ///< entirely inside
};
