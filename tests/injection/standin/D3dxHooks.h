// The D3DX functions whose calls from the program's code count at their call site and fail
// when asked for (InjectionState): fonts, sprites, lines, 3D text, textures and surfaces from
// files (and the image information read before a picture is made), meshes from .x files,
// effects and shader assembly.
#pragma once

// The hook for an import of d3dx9_43.dll by that name, or null when the function is not one
// of them (math helpers and the like pass unchanged). Sets the original the hook calls.
void* D3dxHook(const char* function);
