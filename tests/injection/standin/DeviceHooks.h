// The Direct3D 9 methods the stand-in watches: those that create or hand out an object, lock
// one, reset the device, present a frame or release the device. Each creating, handing-out,
// locking or resetting call made from the program's own code counts at its call site and fails
// when it is the call asked for (InjectionState); the rest only forward.
#pragma once
#include <d3d9.h>

// Hooks a new Direct3D object (CreateDevice, Release) and watches it.
void HookDirect3D(IDirect3D9* d3d);
// Hooks a new device (and, as they appear, its buffers, textures and surfaces) and watches it.
void HookDevice(IDirect3DDevice9* device, HWND window);
