// What the stand-in d3d9.dll knows about the run it is part of: the report file it writes, the
// program's own modules (whose calls it may fail), the one call site it was asked to fail, the
// call sites met so far, the Direct3D objects it watches and the frames presented.
//
// Everything is set from the environment of the process:
//   PELMORA_INJECT_REPORT   report file (lines appended); without it the stand-in only forwards
//   PELMORA_INJECT_MODULES  the program's modules, "Game.exe;PelmoraGraf.dll;..."
//   PELMORA_INJECT_SITE     "PelmoraParts.dll+0x1a2b" (or "...#3"): fail the first (third) call
//                           made from that return address; "CreateDevice" (a call kind, or
//                           "CreateDevice#2"): the first (second) call of that kind from any
//                           of the program's modules; empty: fail nothing, only record
//   PELMORA_INJECT_DRIVE    "game": press the game's keys (see GameDriver.h)
//
// Report lines, tab separated:
//   site  <kind> <module>+0x<offset> <function>   first call from a call site
//   fail  <kind> <module>+0x<offset>              the call that was made to fail
//   import <module> <function> hooked|passed      a D3DX import of a program module
//   crash <exception code> <module>+0x<offset> <function>
//   firstframe <ms>; drive <key> <frames so far> <ms> (a key the game driver pressed)
//   frames <n> <ms>; box <caption> <text>; device destroyed | device left <references>;
//   d3d destroyed | d3d left <references>; calls <kind> <module>+0x<offset> <count>; end
#pragma once
#include <windows.h>
#include <atomic>
#include <map>
#include <string>
#include <vector>

class InjectionState {
public:
    static InjectionState& get();

    void load();                       // reads the environment (once, at process start)
    bool enabled() const { return report_ != INVALID_HANDLE_VALUE; }

    // Counts a call of the given kind made from returnAddress; true when this call is the one
    // to fail. Calls from outside the program's modules are neither counted nor failed.
    bool shouldFail(const char* kind, void* returnAddress);

    // "Module.dll+0x1234 function" for any code address (for crash lines).
    std::string describe(void* address);

    // True for one of the program's modules (by base name).
    bool isProgramModule(HMODULE module) const;
    const std::vector<std::string>& programModules() const { return modules_; }
    const std::string& drive() const { return drive_; }

    void write(const std::string& line); // one report line, written and flushed at once

    // Direct3D objects made in the process: watched until their last Release.
    void watchDevice(void* device, HWND window);
    void watchDirect3D(void* d3d);
    void released(void* object, ULONG left); // after every Release of a watched kind
    HWND deviceWindow() const { return window_; }
    void countFrame()
    {
        if (++frames_ == 1) write("firstframe\t" + std::to_string(elapsed()));
    }
    int frames() const { return frames_; }
    unsigned elapsed() const { return GetTickCount() - started_; } // ms since the process started

    // At the end of the process: frames, the message boxes answered, what is left of the
    // watched objects, the call counts.
    void finish();

private:
    InjectionState();
    struct Site {
        std::string kind;  // call kind
        std::string where; // "Module.dll+0x1234"
        int calls = 0;     // calls made from it so far
    };
    bool moduleAndOffset(void* address, HMODULE& module, std::string& name, size_t& offset) const;

    HANDLE report_ = INVALID_HANDLE_VALUE;
    CRITICAL_SECTION lock_;
    std::vector<std::string> modules_; // program module base names
    std::string target_;               // "Module.dll+0x1234" or a call kind to fail; empty: none
    bool targetIsKind_ = false;        // target_ names a call kind, not a call site
    int targetCall_ = 1;               // which call from the target fails (1 = first)
    std::map<std::string, int> kindCalls_; // calls of each kind from the program's modules
    std::string drive_;
    std::map<std::string, Site> sites_;
    std::vector<std::string> order_;   // site keys in the order first met
    std::vector<void*> devices_, direct3ds_;
    HWND window_ = nullptr;
    std::atomic<int> frames_{0};
    DWORD started_ = GetTickCount();
};

// Shorthand for the hooks.
inline bool FailThisCall(const char* kind, void* returnAddress)
{
    InjectionState& s = InjectionState::get();
    return s.enabled() && s.shouldFail(kind, returnAddress);
}
