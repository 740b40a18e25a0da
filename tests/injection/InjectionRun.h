// Runs the scenarios of the injection test: copies of shipped programs, with the stand-in
// d3d9.dll beside them, each told which call site to fail (or none), under a time limit; and
// reads back what happened: the stand-in's report, the exit code, the output and the log files.
// Several runs can go at once, each in a program folder of its own.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace injection {

// One program run the same way for every call site.
struct Scenario {
    std::string name;                  // "game", "particles", ...
    std::string shipped;               // the shipped file in the build's program folder
    std::string copy;                  // its copy's name in the test's program folders
    std::string arguments;             // command line after the program name
    std::string drive;                 // "game": the stand-in presses the game's keys
    std::vector<std::string> modules;  // modules whose call sites count (copy names)
    bool matrixOnly = false;           // run only for the full matrix (PELMORA_INJECTION_FULL=1)
};

// One line of the report, split at its tabs.
typedef std::vector<std::string> ReportLine;

struct Outcome {
    bool ended = false;             // the program ended by itself within the time limit
    DWORD exitCode = 0;
    double seconds = 0;             // how long it ran
    std::vector<ReportLine> report; // the stand-in's (and a host's) lines, in order
    std::string output;             // stdout and stderr
    std::string logMain;            // log_main.txt ("" when absent)
    std::string logDevice;          // log_renderdevice.txt

    // Lines whose first field is tag.
    std::vector<ReportLine> lines(const char* tag) const;
    bool has(const char* tag) const { return !lines(tag).empty(); }
};

// A program started by ProgramFolder::start.
struct Launch {
    int slot = 0;                     // program folder it runs in
    HANDLE process = nullptr;         // null when it could not be started
    HANDLE output = INVALID_HANDLE_VALUE;
    LARGE_INTEGER started = {};       // performance counter at the start
    DWORD deadline = 0;               // GetTickCount value after which it is ended
    std::string failure;              // why it could not be started
};

// The program folders: made once, each with the shipped programs, libraries, images and
// effect files, the stand-in, and the loader settings that let the copies take the stand-in.
class ProgramFolder {
public:
    // Makes slots folders <working folder>\programs<n>; false (with error()) on failure.
    bool prepare(const std::vector<Scenario>& scenarios, int slots);
    int slots() const { return int(paths_.size()); }
    const std::string& error() const { return error_; }

    // Starts the scenario in the given folder; site "" fails nothing, "Module.dll+0x1234" the
    // first call from that return address, "CreateDevice" (a kind) the first such call from
    // any of the scenario's modules; "#n" after either picks the n-th call instead.
    Launch start(const Scenario& scenario, const std::string& site, int slot, double limitSeconds) const;
    // Waits until the program ended or its time is up (then it is ended and counts as not
    // ended by itself), and reads what it left.
    Outcome finish(Launch& launch) const;
    // start and finish.
    Outcome run(const Scenario& scenario, const std::string& site, double limitSeconds) const;

private:
    std::vector<std::string> paths_; // the folders, with a trailing backslash
    std::string error_;
};

} // namespace injection
