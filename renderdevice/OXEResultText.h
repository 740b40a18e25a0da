/// @file
/// OXEResultText: result codes as text, for messages. Knows every engine code of OXEResult.h and
/// the common Windows, Direct3D 9 and D3DX 9 ones.
#pragma once
#include <windows.h>
#include <string>

/// Names a result code for a message: "0x82000005 OXE_INVALIDPARAM: invalid argument or
/// unexpected format". An unknown code reads "0x12345678: unknown result".
/// Note: OXE_PLATFORM_FAIL is Windows' E_FAIL; both names are given.
std::string OXEResultText(HRESULT code);
