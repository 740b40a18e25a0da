#include "ModuleSymbols.h"
#include <cxxabi.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

const BYTE kFunctionType = 0x20; // IMAGE_SYM_DTYPE_FUNCTION in the high nibble of Type

std::string Demangle(const std::string& name)
{
    int status = 0;
    char* text = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
    if (!text) return name;
    std::string result = text;
    std::free(text);
    return result;
}

} // namespace

const std::vector<ModuleSymbols::Function>& ModuleSymbols::functions(HMODULE module)
{
    auto found = cache_.find(module);
    if (found != cache_.end()) return found->second;
    std::vector<Function>& list = cache_[module];

    char path[MAX_PATH] = {};
    if (!GetModuleFileNameA(module, path, MAX_PATH)) return list;
    std::ifstream in(path, std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < sizeof(IMAGE_DOS_HEADER)) return list;

    // The file's headers locate the symbol table; the loaded image's section headers give the
    // sections' addresses (the same as in the file).
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    if (size_t(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS) > file.size()) return list;
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(file.data() + dos->e_lfanew);
    const IMAGE_FILE_HEADER& header = nt->FileHeader;
    const size_t symbols = header.PointerToSymbolTable;
    const size_t count = header.NumberOfSymbols;
    if (!symbols || symbols + count * IMAGE_SIZEOF_SYMBOL > file.size()) return list;
    const size_t strings = symbols + count * IMAGE_SIZEOF_SYMBOL;
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    const size_t sectionCount = header.NumberOfSections;

    for (size_t i = 0; i < count; ++i) {
        IMAGE_SYMBOL symbol;
        std::memcpy(&symbol, file.data() + symbols + i * IMAGE_SIZEOF_SYMBOL, IMAGE_SIZEOF_SYMBOL);
        const bool function = (symbol.Type & 0xF0) == kFunctionType &&
                              (symbol.StorageClass == IMAGE_SYM_CLASS_EXTERNAL ||
                               symbol.StorageClass == IMAGE_SYM_CLASS_STATIC);
        if (function && symbol.SectionNumber > 0 && size_t(symbol.SectionNumber) <= sectionCount) {
            std::string name;
            if (symbol.N.Name.Short) {
                name.assign(reinterpret_cast<const char*>(symbol.N.ShortName),
                            strnlen(reinterpret_cast<const char*>(symbol.N.ShortName), 8));
            } else if (strings + symbol.N.Name.Long < file.size()) {
                const char* at = file.data() + strings + symbol.N.Name.Long;
                name.assign(at, strnlen(at, file.size() - (strings + symbol.N.Name.Long)));
            }
            list.push_back({sections[symbol.SectionNumber - 1].VirtualAddress + size_t(symbol.Value), name});
        }
        i += symbol.NumberOfAuxSymbols;
    }
    std::sort(list.begin(), list.end(), [](const Function& a, const Function& b) { return a.rva < b.rva; });
    return list;
}

std::string ModuleSymbols::functionAt(HMODULE module, size_t rva)
{
    const std::vector<Function>& list = functions(module);
    auto after = std::upper_bound(list.begin(), list.end(), rva,
                                  [](size_t value, const Function& f) { return value < f.rva; });
    if (after == list.begin()) return "?";
    return Demangle(std::prev(after)->name);
}
