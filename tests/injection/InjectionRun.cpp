#include "InjectionRun.h"
#include <fstream>
#include <iterator>
#include <sstream>

namespace injection {

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

std::string Join(const std::vector<std::string>& parts, char separator)
{
    std::string s;
    for (const std::string& p : parts) s += (s.empty() ? "" : std::string(1, separator)) + p;
    return s;
}

bool SetString(HKEY root, const std::string& key, const char* name, const char* value)
{
    HKEY k = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r = RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(strlen(value) + 1));
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

// The environment of this process with the given variables replaced, as a block for
// CreateProcess (sorted is not required of an ANSI block).
std::string Environment(const std::vector<std::pair<std::string, std::string>>& set)
{
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* s = strings; s && *s; s += strlen(s) + 1) {
        const std::string entry = s;
        bool replaced = false;
        for (const auto& v : set)
            replaced = replaced || _strnicmp(entry.c_str(), (v.first + "=").c_str(), v.first.size() + 1) == 0;
        if (!replaced) block += entry + '\0';
    }
    if (strings) FreeEnvironmentStringsA(strings);
    for (const auto& v : set) block += v.first + "=" + v.second + '\0';
    block += '\0';
    return block;
}

const char kReport[] = "injection-report.txt";
const char kOutput[] = "injection-output.txt";

} // namespace

std::vector<ReportLine> Outcome::lines(const char* tag) const
{
    std::vector<ReportLine> found;
    for (const ReportLine& line : report)
        if (!line.empty() && line[0] == tag) found.push_back(line);
    return found;
}

bool ProgramFolder::prepare(const std::vector<Scenario>& scenarios, int slots)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string bin = Folder(self);
    const std::string standIn = bin + "..\\injection\\d3d9.dll";
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);

    std::vector<std::pair<std::string, std::string>> files; // from, name in the folder
    for (const char* pattern : {"Pelmora*.dll", "*.dds", "*.fx"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((bin + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do files.push_back({bin + found.cFileName, found.cFileName});
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    files.push_back({standIn, "d3d9.dll"});
    for (const Scenario& s : scenarios) files.push_back({bin + s.shipped, s.copy});

    paths_.clear();
    for (int slot = 0; slot < slots; ++slot) {
        const std::string path = std::string(cwd) + "\\programs" + std::to_string(slot) + "\\";
        CreateDirectoryA(path.c_str(), nullptr);
        for (const auto& f : files) {
            if (!CopyFileA(f.first.c_str(), (path + f.second).c_str(), FALSE)) {
                error_ = "cannot copy " + f.first + " (error " + std::to_string(GetLastError()) + ")";
                return false;
            }
        }
        paths_.push_back(path);
    }
    // Under Wine: the copies take the d3d9.dll beside them before the system's, and their
    // windows are not left to a window manager (there is none on the test display; Wine would
    // wait two seconds for one at every window's end). Windows ignores both settings.
    for (const Scenario& s : scenarios) {
        const std::string key = "Software\\Wine\\AppDefaults\\" + s.copy;
        if (!SetString(HKEY_CURRENT_USER, key + "\\DllOverrides", "d3d9", "native,builtin") ||
            !SetString(HKEY_CURRENT_USER, key + "\\X11 Driver", "Managed", "N")) {
            error_ = "cannot write the loader settings of " + s.copy;
            return false;
        }
    }
    return true;
}

Launch ProgramFolder::start(const Scenario& scenario, const std::string& site, int slot, double limitSeconds) const
{
    Launch launch;
    launch.slot = slot;
    const std::string& path = paths_.at(size_t(slot));
    for (const std::string& f : {std::string(kReport), std::string(kOutput), std::string("log_main.txt"),
                                 std::string("log_renderdevice.txt")})
        DeleteFileA((path + f).c_str());

    std::string environment = Environment({{"PELMORA_INJECT_REPORT", path + kReport},
                                           {"PELMORA_INJECT_MODULES", Join(scenario.modules, ';')},
                                           {"PELMORA_INJECT_SITE", site},
                                           {"PELMORA_INJECT_DRIVE", scenario.drive}});
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    launch.output = CreateFileA((path + kOutput).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = launch.output;
    si.hStdError = launch.output;
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + path + scenario.copy + "\" " + scenario.arguments;
    QueryPerformanceCounter(&launch.started);
    launch.deadline = GetTickCount() + DWORD(limitSeconds * 1000);
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, &environment[0], path.c_str(), &si, &pi)) {
        CloseHandle(pi.hThread);
        launch.process = pi.hProcess;
    } else {
        launch.failure = "cannot start " + command + " (error " + std::to_string(GetLastError()) + ")\n";
    }
    return launch;
}

Outcome ProgramFolder::finish(Launch& launch) const
{
    Outcome o;
    const std::string& path = paths_.at(size_t(launch.slot));
    if (launch.process) {
        const DWORD now = GetTickCount();
        const DWORD left = LONG(launch.deadline - now) > 0 ? launch.deadline - now : 0;
        o.ended = WaitForSingleObject(launch.process, left) == WAIT_OBJECT_0;
        if (!o.ended) {
            // Where it hangs: the stand-in writes every thread's stack into the report.
            const std::string name = "PelmoraInjectStacks" + std::to_string(GetProcessId(launch.process));
            HANDLE dump = OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str());
            if (dump) {
                SetEvent(dump);
                CloseHandle(dump);
                for (int i = 0; i < 50 && ReadFile(path + kReport).find("stacks\tend") == std::string::npos; ++i)
                    Sleep(100);
            }
            TerminateProcess(launch.process, 9999);
            WaitForSingleObject(launch.process, 10000);
        }
        GetExitCodeProcess(launch.process, &o.exitCode);
        CloseHandle(launch.process);
        launch.process = nullptr;
    }
    LARGE_INTEGER frequency, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&end);
    o.seconds = double(end.QuadPart - launch.started.QuadPart) / double(frequency.QuadPart);
    if (launch.output != INVALID_HANDLE_VALUE) CloseHandle(launch.output);
    launch.output = INVALID_HANDLE_VALUE;

    std::istringstream lines(ReadFile(path + kReport));
    for (std::string line; std::getline(lines, line);) {
        ReportLine fields;
        size_t from = 0;
        for (;;) {
            const size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        o.report.push_back(fields);
    }
    o.output = launch.failure + ReadFile(path + kOutput);
    o.logMain = ReadFile(path + "log_main.txt");
    o.logDevice = ReadFile(path + "log_renderdevice.txt");
    return o;
}

Outcome ProgramFolder::run(const Scenario& scenario, const std::string& site, double limitSeconds) const
{
    Launch launch = start(scenario, site, 0, limitSeconds);
    return finish(launch);
}

} // namespace injection
