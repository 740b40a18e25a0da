/// \file
/// OXESurface: an off-screen picture in system memory.
#pragma once
#include "PelmoraPartsApi.h"
#include <d3dx9.h>

/// An off-screen picture in system memory, loaded from a file or made blank, copied to the back
/// buffer or to and from other surfaces.
///
/// Use: construct, CreateNewBlankSurface or LoadFromFile, copy it where it is wanted; destroy it
/// before the device is released. It owns its surface (system memory: a device reset asks
/// nothing of it). Note: it uses the Direct3D device of PelmoraParts' own current render device
/// (the last render device that PelmoraParts.dll's factory made, while it lives); without one
/// every operation that needs the device returns OXE_INVALIDPARAM.
class PELMORA_PARTS_API OXESurface {
public:
    /// No surface.
    OXESurface();
    /// Releases the surface.
    ~OXESurface();
    OXESurface(const OXESurface&) = delete;            ///< not copied: it owns its surface
    OXESurface& operator=(const OXESurface&) = delete; ///< not assigned: it owns its surface

    /// A system-memory surface of width x height pixels in the render device's display format
    /// (the old one is released). 0 on success; OXE_INVALIDPARAM for no current device, sizes
    /// below 1 or past 2 GB at 4 bytes a pixel (the old surface kept); OXE_FAIL when Direct3D
    /// refuses it.
    HRESULT CreateNewBlankSurface(int width, int height);
    /// Loads the picture file into the surface, whole, unfiltered, no colour key; without a
    /// surface one of the picture's size is made first. The file's description lands in info.
    /// 0 on success; OXE_INVALIDPARAM (no file name or no current device), OXE_FILENOTFOUND (D3DX
    /// cannot read the file's description), OXE_FAIL (no surface could be made), OXE_INVALIDFILE
    /// (the load failed).
    ///
    /// Note: an existing surface keeps its size: the picture is placed at its top left, cut off
    /// or left short, not scaled.
    HRESULT LoadFromFile(const char* file);
    /// The description of the last file loaded (all zero before).
    D3DXIMAGE_INFO getinfo();
    /// The surface (borrowed, no reference added; null before one is made).
    IDirect3DSurface9* getSurface();
    /// Copies the whole surface to the top left of back buffer 0 of swap chain 0 (the device's
    /// UpdateSurface). 0 on success; OXE_INVALIDPARAM without a device or surface; OXE_FAIL when
    /// the back buffer cannot be had or the copy is refused.
    HRESULT copyToBackBuffer();
    /// Copies this surface into dst (borrowed): UpdateSurface, or through D3DX for pairs it
    /// refuses (system memory to system memory). 0; OXE_INVALIDPARAM without a device, surface or
    /// dst; OXE_FAIL when both ways fail.
    HRESULT copyToOtherSurface(IDirect3DSurface9* dst);
    /// Copies src (borrowed) into this surface, the same way and with the same results.
    HRESULT copyFromOtherSurface(IDirect3DSurface9* src);

    IDirect3DSurface9* surface; ///< the picture, system memory, owned
    D3DXIMAGE_INFO info;        ///< description of the last file loaded
};
