// Export macro of PelmoraGraf.dll: exports while the library is built, imports everywhere else.
#pragma once
#if defined(PELMORA_GRAF_BUILD)
#define PELMORA_GRAF_API __declspec(dllexport)
#else
#define PELMORA_GRAF_API __declspec(dllimport)
#endif
