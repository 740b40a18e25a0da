// Names the function that holds a code address of a loaded module, from the COFF symbol table
// of the module's file (MinGW keeps it in the DLLs and programs it links), so that a report
// can say "geQuad::createGeoBuffers(IDirect3DDevice9*)" beside "PelmoraParts.dll+0x1a2b".
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

class ModuleSymbols {
public:
    // The demangled name of the function whose code holds module + rva; "?" when the file has no
    // symbols or none precedes the address.
    std::string functionAt(HMODULE module, size_t rva);

private:
    struct Function {
        size_t rva;       // start of the function in the loaded image
        std::string name; // as the symbol table has it (mangled)
    };
    const std::vector<Function>& functions(HMODULE module); // read once per module, sorted by rva
    std::map<HMODULE, std::vector<Function>> cache_;
};
