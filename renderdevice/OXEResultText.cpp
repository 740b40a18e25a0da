#include "OXEResultText.h"
#include <d3d9.h>
#include <d3dx9.h>
#include <cstdio>
#include "OXEResult.h"

namespace {

struct ResultName {
    HRESULT code;
    const char* name;
    const char* meaning;
};

// The engine's own codes first (OXEResult.h), then Windows', Direct3D's and D3DX's.
const ResultName kResults[] = {
    {OXE_OK, "OXE_OK", "success"},
    {OXE_FAIL, "OXE_FAIL", "general failure"},
    {OXE_CREATEAPI, "OXE_CREATEAPI", "the Direct3D object could not be created"},
    {OXE_CREATEDEVICE, "OXE_CREATEDEVICE", "the Direct3D device could not be created"},
    {OXE_CREATEBUFFER, "OXE_CREATEBUFFER", "a vertex or index buffer could not be created"},
    {OXE_INVALIDPARAM, "OXE_INVALIDPARAM", "invalid argument or unexpected format"},
    {OXE_INVALIDID, "OXE_INVALIDID", "unknown id, index out of range"},
    {OXE_BUFFERSIZE, "OXE_BUFFERSIZE", "no free place left"},
    {OXE_BUFFERLOCK, "OXE_BUFFERLOCK", "a buffer or surface could not be locked"},
    {OXE_OUTOFMEMORY, "OXE_OUTOFMEMORY", "a table is full or could not be grown"},
    {OXE_FILENOTFOUND, "OXE_FILENOTFOUND", "a file could not be opened or loaded"},
    {OXE_INVALIDFILE, "OXE_INVALIDFILE", "a file has unusable content"},
    {OXE_NOSHADERSUPPORT, "OXE_NOSHADERSUPPORT", "shaders are not usable on this device"},
    {OXE_PLATFORM_FAIL, "OXE_PLATFORM_FAIL / E_FAIL", "general failure of the platform"},
    {S_FALSE, "S_FALSE", "success, with nothing done"},
    {E_NOTIMPL, "E_NOTIMPL", "not implemented"},
    {E_NOINTERFACE, "E_NOINTERFACE", "interface not supported"},
    {E_POINTER, "E_POINTER", "null pointer"},
    {E_ABORT, "E_ABORT", "aborted"},
    {E_UNEXPECTED, "E_UNEXPECTED", "unexpected failure"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", "out of memory"},
    {E_INVALIDARG, "E_INVALIDARG", "invalid argument"},
    {E_ACCESSDENIED, "E_ACCESSDENIED", "access denied"},
    {E_HANDLE, "E_HANDLE", "invalid handle"},
    {D3DERR_DEVICELOST, "D3DERR_DEVICELOST", "the device is lost and cannot be reset yet"},
    {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET", "the device is lost and can be reset now"},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE", "the format or feature is not available"},
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY", "out of display memory"},
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL", "invalid call or argument"},
    {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE", "the device type is invalid"},
    {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR", "internal driver error"},
    {D3DERR_DRIVERINVALIDCALL, "D3DERR_DRIVERINVALIDCALL", "invalid call to the driver"},
    {D3DERR_NOTFOUND, "D3DERR_NOTFOUND", "the item was not found"},
    {D3DERR_MOREDATA, "D3DERR_MOREDATA", "more data than the buffer holds"},
    {D3DERR_WASSTILLDRAWING, "D3DERR_WASSTILLDRAWING", "the device is still drawing"},
    {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT", "the texture format cannot be used here"},
    {D3DERR_TOOMANYOPERATIONS, "D3DERR_TOOMANYOPERATIONS", "too many texture operations"},
    {D3DERR_CONFLICTINGRENDERSTATE, "D3DERR_CONFLICTINGRENDERSTATE", "the render states conflict"},
    {D3DERR_UNSUPPORTEDTEXTUREFILTER, "D3DERR_UNSUPPORTEDTEXTUREFILTER", "the texture filter is not supported"},
    {D3DERR_DEVICEREMOVED, "D3DERR_DEVICEREMOVED", "the display adapter was removed"},
    {D3DERR_DEVICEHUNG, "D3DERR_DEVICEHUNG", "the device stopped responding"},
    {D3DXERR_INVALIDDATA, "D3DXERR_INVALIDDATA", "the data is invalid"},
    {D3DXERR_INVALIDMESH, "D3DXERR_INVALIDMESH", "the mesh is invalid"},
    {D3DXERR_CANNOTMODIFYINDEXBUFFER, "D3DXERR_CANNOTMODIFYINDEXBUFFER", "the index buffer cannot be modified"},
    {D3DXERR_CANNOTATTRSORT, "D3DXERR_CANNOTATTRSORT", "the mesh cannot be sorted by attribute"},
    {D3DXERR_SKINNINGNOTSUPPORTED, "D3DXERR_SKINNINGNOTSUPPORTED", "skinning is not supported"},
    {D3DXERR_TOOMANYINFLUENCES, "D3DXERR_TOOMANYINFLUENCES", "too many bone influences"},
    {D3DXERR_LOADEDMESHASNODATA, "D3DXERR_LOADEDMESHASNODATA", "the loaded mesh has no data"},
    {D3DXERR_DUPLICATENAMEDFRAGMENT, "D3DXERR_DUPLICATENAMEDFRAGMENT", "a fragment of that name exists"},
    {D3DXERR_CANNOTREMOVELASTITEM, "D3DXERR_CANNOTREMOVELASTITEM", "the last item cannot be removed"},
};

} // namespace

std::string OXEResultText(HRESULT code)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", (unsigned long)code);
    for (const ResultName& r : kResults)
        if (r.code == code) return std::string(hex) + " " + r.name + ": " + r.meaning;
    return std::string(hex) + ": unknown result";
}
