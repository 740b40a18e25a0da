// Export macro of PelmoraParts.dll: exports while the library is built, imports everywhere else.
#pragma once
#if defined(PELMORA_PARTS_BUILD)
#define PELMORA_PARTS_API __declspec(dllexport)
#else
#define PELMORA_PARTS_API __declspec(dllimport)
#endif
