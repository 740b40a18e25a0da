#include "ImportPatcher.h"
#include <cstring>
#include <set>
#include <string>
#include "D3dxHooks.h"
#include "GameDriver.h"
#include "InjectionState.h"

namespace {

std::set<HMODULE> g_patched;

void Patch();

HMODULE WINAPI HookLoadLibraryA(LPCSTR name)
{
    HMODULE module = LoadLibraryA(name);
    Patch();
    return module;
}

HMODULE WINAPI HookLoadLibraryW(LPCWSTR name)
{
    HMODULE module = LoadLibraryW(name);
    Patch();
    return module;
}

HMODULE WINAPI HookLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags)
{
    HMODULE module = LoadLibraryExA(name, file, flags);
    Patch();
    return module;
}

HMODULE WINAPI HookLoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags)
{
    HMODULE module = LoadLibraryExW(name, file, flags);
    Patch();
    return module;
}

void* LoaderHook(const char* function)
{
    if (std::strcmp(function, "LoadLibraryA") == 0) return (void*)HookLoadLibraryA;
    if (std::strcmp(function, "LoadLibraryW") == 0) return (void*)HookLoadLibraryW;
    if (std::strcmp(function, "LoadLibraryExA") == 0) return (void*)HookLoadLibraryExA;
    if (std::strcmp(function, "LoadLibraryExW") == 0) return (void*)HookLoadLibraryExW;
    return nullptr;
}

void WriteEntry(IMAGE_THUNK_DATA* slot, void* hook)
{
    DWORD protection = 0;
    if (!VirtualProtect(&slot->u1.Function, sizeof(void*), PAGE_READWRITE, &protection)) return;
    slot->u1.Function = ULONG_PTR(hook);
    VirtualProtect(&slot->u1.Function, sizeof(void*), protection, &protection);
}

// Imports of a program module: the D3DX creators and LoadLibrary; of the game's input library
// (when the game is driven): DirectInput8Create.
void PatchModule(HMODULE module, const std::string& moduleName, bool input)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return;
    for (const IMAGE_IMPORT_DESCRIPTOR* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         d->Name; ++d) {
        const bool d3dx = lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), "d3dx9_43.dll") == 0;
        const IMAGE_THUNK_DATA* names =
            reinterpret_cast<const IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* function =
                reinterpret_cast<const char*>(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            void* hook = input ? GameInputHook(function) : d3dx ? D3dxHook(function) : LoaderHook(function);
            if (hook) WriteEntry(slots, hook);
            if (d3dx && !input)
                InjectionState::get().write("import\t" + moduleName + "\t" + function + "\t" + (hook ? "hooked" : "passed"));
        }
    }
}

void Patch()
{
    InjectionState& state = InjectionState::get();
    for (const std::string& name : state.programModules()) {
        HMODULE module = GetModuleHandleA(name.c_str());
        if (!module || g_patched.count(module)) continue;
        g_patched.insert(module);
        PatchModule(module, name, false);
    }
    if (state.drive() == "game") {
        HMODULE input = GetModuleHandleA("PelmoraInput.dll");
        if (input && !g_patched.count(input)) {
            g_patched.insert(input);
            PatchModule(input, "PelmoraInput.dll", true);
        }
    }
}

} // namespace

void PatchProgramModules()
{
    if (InjectionState::get().enabled()) Patch();
}
