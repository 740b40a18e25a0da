/// \file
/// Export macro of PelmoraParts.dll: exports while the library is built, imports everywhere else.
#pragma once
#if defined(PELMORA_PARTS_BUILD)
/// Marks the classes exported by PelmoraParts.dll (dllexport while the library is built).
#define PELMORA_PARTS_API __declspec(dllexport)
#else
/// Marks the classes exported by PelmoraParts.dll (dllimport in a client).
#define PELMORA_PARTS_API __declspec(dllimport)
#endif
