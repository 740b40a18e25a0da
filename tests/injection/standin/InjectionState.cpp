#include "InjectionState.h"
#include <unknwn.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "ModuleSymbols.h"
#include "MessageBoxAnswerer.h"

namespace {

ModuleSymbols g_symbols;
testsupport::MessageBoxAnswerer* g_answerer = nullptr;

std::string Env(const char* name)
{
    char value[4096];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string Lower(std::string s)
{
    for (char& c : s) c = char(tolower((unsigned char)c));
    return s;
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Tabs and line breaks of a message would break the report's lines.
std::string OneLine(std::string s)
{
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return s;
}

// Reference count of a COM object that is still alive, without changing it.
ULONG References(void* object)
{
    IUnknown* unknown = static_cast<IUnknown*>(object);
    unknown->lpVtbl->AddRef(unknown);
    return unknown->lpVtbl->Release(unknown);
}

} // namespace

InjectionState& InjectionState::get()
{
    static InjectionState state;
    return state;
}

InjectionState::InjectionState() { InitializeCriticalSection(&lock_); }

void InjectionState::load()
{
    const std::string report = Env("PELMORA_INJECT_REPORT");
    if (report.empty()) return;
    report_ = CreateFileA(report.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string modules = Env("PELMORA_INJECT_MODULES");
    size_t from = 0;
    while (from <= modules.size()) {
        size_t end = modules.find(';', from);
        if (end == std::string::npos) end = modules.size();
        if (end > from) modules_.push_back(modules.substr(from, end - from));
        from = end + 1;
    }
    target_ = Env("PELMORA_INJECT_SITE");
    const size_t hash = target_.find('#');
    if (hash != std::string::npos) {
        targetCall_ = std::max(1, std::atoi(target_.c_str() + hash + 1));
        target_.resize(hash);
    }
    targetIsKind_ = !target_.empty() && target_.find('+') == std::string::npos;
    drive_ = Env("PELMORA_INJECT_DRIVE");
    // The program's message boxes are answered (and recorded) on the thread that loads us: the
    // program's main thread.
    if (enabled()) g_answerer = new testsupport::MessageBoxAnswerer();
}

void InjectionState::write(const std::string& line)
{
    if (!enabled()) return;
    EnterCriticalSection(&lock_);
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(report_, text.data(), DWORD(text.size()), &written, nullptr);
    LeaveCriticalSection(&lock_);
}

bool InjectionState::isProgramModule(HMODULE module) const
{
    char path[MAX_PATH] = {};
    if (!module || !GetModuleFileNameA(module, path, MAX_PATH)) return false;
    const std::string name = Lower(BaseName(path));
    for (const std::string& m : modules_)
        if (Lower(m) == name) return true;
    return false;
}

bool InjectionState::moduleAndOffset(void* address, HMODULE& module, std::string& name, size_t& offset) const
{
    module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return false;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    name = BaseName(path);
    offset = size_t(static_cast<char*>(address) - reinterpret_cast<char*>(module));
    return true;
}

std::string InjectionState::describe(void* address)
{
    HMODULE module;
    std::string name;
    size_t offset;
    if (!moduleAndOffset(address, module, name, offset)) return "?";
    char text[64];
    std::snprintf(text, sizeof text, "+0x%zx", offset);
    return name + text + "\t" + g_symbols.functionAt(module, offset);
}

bool InjectionState::shouldFail(const char* kind, void* returnAddress)
{
    HMODULE module;
    std::string name;
    size_t offset;
    if (!moduleAndOffset(returnAddress, module, name, offset) || !isProgramModule(module)) return false;
    char text[64];
    std::snprintf(text, sizeof text, "+0x%zx", offset);
    const std::string where = name + text;

    EnterCriticalSection(&lock_);
    Site& site = sites_[where];
    const bool first = site.calls == 0;
    if (first) {
        site.kind = kind;
        site.where = where;
        order_.push_back(where);
    }
    const int call = ++site.calls;
    const int kindCall = ++kindCalls_[kind];
    LeaveCriticalSection(&lock_);

    if (first) write(std::string("site\t") + kind + "\t" + where + "\t" + g_symbols.functionAt(module, offset));
    const bool fail = targetIsKind_ ? target_ == kind && kindCall == targetCall_
                                    : !target_.empty() && Lower(where) == Lower(target_) && call == targetCall_;
    if (fail) write(std::string("fail\t") + kind + "\t" + where + "\t" + std::to_string(call));
    return fail;
}

void InjectionState::watchDevice(void* device, HWND window)
{
    EnterCriticalSection(&lock_);
    if (std::find(devices_.begin(), devices_.end(), device) == devices_.end()) devices_.push_back(device);
    window_ = window;
    LeaveCriticalSection(&lock_);
}

void InjectionState::watchDirect3D(void* d3d)
{
    EnterCriticalSection(&lock_);
    if (std::find(direct3ds_.begin(), direct3ds_.end(), d3d) == direct3ds_.end()) direct3ds_.push_back(d3d);
    LeaveCriticalSection(&lock_);
}

void InjectionState::released(void* object, ULONG left)
{
    if (left != 0) return;
    EnterCriticalSection(&lock_);
    bool device = false, d3d = false;
    auto d = std::find(devices_.begin(), devices_.end(), object);
    if (d != devices_.end()) {
        devices_.erase(d);
        device = true;
    }
    auto o = std::find(direct3ds_.begin(), direct3ds_.end(), object);
    if (o != direct3ds_.end()) {
        direct3ds_.erase(o);
        d3d = true;
    }
    LeaveCriticalSection(&lock_);
    if (device) write("device\tdestroyed");
    if (d3d) write("d3d\tdestroyed");
}

void InjectionState::finish()
{
    if (!enabled()) return;
    write("frames\t" + std::to_string(frames_.load()) + "\t" + std::to_string(elapsed()));
    if (g_answerer) {
        for (int i = 0; i < g_answerer->count(); ++i)
            write("box\t" + OneLine(g_answerer->caption(i)) + "\t" + OneLine(g_answerer->text(i)));
    }
    // Only reference counts are read here: nothing is destroyed during the process's end.
    for (void* device : devices_) write("device\tleft\t" + std::to_string(References(device)));
    for (void* d3d : direct3ds_) write("d3d\tleft\t" + std::to_string(References(d3d)));
    for (const std::string& key : order_) {
        const Site& s = sites_[key];
        write("calls\t" + s.kind + "\t" + s.where + "\t" + std::to_string(s.calls));
    }
    write("end");
}
