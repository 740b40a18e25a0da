// Export macro of PelmoraEffects.dll: exports while the library is built, imports everywhere else.
#pragma once
#if defined(PELMORA_EFFECTS_BUILD)
#define PELMORA_EFFECTS_API __declspec(dllexport)
#else
#define PELMORA_EFFECTS_API __declspec(dllimport)
#endif
