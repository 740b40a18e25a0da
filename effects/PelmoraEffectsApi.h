/// \file
/// Export macro of PelmoraEffects.dll: exports while the library is built, imports everywhere else.
#pragma once
#if defined(PELMORA_EFFECTS_BUILD)
/// Marks the classes exported by PelmoraEffects.dll (dllexport while it is built).
#define PELMORA_EFFECTS_API __declspec(dllexport)
#else
/// Marks the classes exported by PelmoraEffects.dll (dllimport in a client).
#define PELMORA_EFFECTS_API __declspec(dllimport)
#endif
