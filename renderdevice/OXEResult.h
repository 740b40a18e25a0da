/// @file
/// Result codes of the engine: signed 32-bit, 0 is success, every negative value a failure.
/// OXEResultText (OXEResultText.h) names them for messages.
#pragma once
#include <windows.h>

/// A result code of the engine (an HRESULT).
typedef HRESULT OXERESULT;

#define OXE_OK                    ((HRESULT)0x00000000L) ///< success
#define OXE_FAIL                  ((HRESULT)0x82000001L) ///< general failure
#define OXE_CREATEAPI             ((HRESULT)0x82000002L) ///< the Direct3D object could not be created
#define OXE_CREATEDEVICE          ((HRESULT)0x82000003L) ///< the Direct3D device could not be created
#define OXE_CREATEBUFFER          ((HRESULT)0x82000004L) ///< a vertex or index buffer could not be created
#define OXE_INVALIDPARAM          ((HRESULT)0x82000005L) ///< invalid argument or unexpected format
#define OXE_INVALIDID             ((HRESULT)0x82000006L) ///< unknown id, index out of range
#define OXE_BUFFERSIZE            ((HRESULT)0x82000007L) ///< no free place left
#define OXE_BUFFERLOCK            ((HRESULT)0x82000008L) ///< a buffer or surface could not be locked
#define OXE_OUTOFMEMORY           ((HRESULT)0x8200000AL) ///< a table is full or could not be grown
#define OXE_FILENOTFOUND          ((HRESULT)0x8200000BL) ///< a file could not be opened or loaded
#define OXE_INVALIDFILE           ((HRESULT)0x8200000CL) ///< a file has unusable content
#define OXE_NOSHADERSUPPORT       ((HRESULT)0x8200000DL) ///< shaders are not usable on this device

/// The platform's general failure (Windows' E_FAIL), returned by some game steps and by views
/// set too early.
#define OXE_PLATFORM_FAIL         ((HRESULT)0x80004005L)
