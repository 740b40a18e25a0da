/// \file
/// Export macro of PelmoraGraf.dll: exports while the library is built, imports everywhere else.
#pragma once
#if defined(PELMORA_GRAF_BUILD)
/// Marks the classes and functions exported by PelmoraGraf.dll (dllexport while it is built).
#define PELMORA_GRAF_API __declspec(dllexport)
#else
/// Marks the classes and functions exported by PelmoraGraf.dll (dllimport in a client).
#define PELMORA_GRAF_API __declspec(dllimport)
#endif
