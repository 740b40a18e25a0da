// Failure injection: every call of the shipped code that creates or locks a Direct3D or D3DX
// object (Direct3DCreate9, CreateDevice, Reset, buffers, textures, surfaces, declarations,
// shaders, locks, fonts, sprites, lines, 3D text, texture and surface loading, .x meshes,
// effects, shader assembly) is made to fail, one call site at a time, in copies of the game,
// the samples and a transition host, each run to its end. Every run must end by itself, not
// crash, report the failure the way the program reports such a failure (log lines, message
// boxes, exit codes and messages) and leave no Direct3D object behind (but the game's own
// device, which it keeps to the end of the process).
//
// The ctest run fails the first call site of each function once, in the first scenario that
// reaches it (each start failure once for the game and once for the programs on the
// application frame, which report them differently). PELMORA_INJECTION_FULL=1 fails every call site of every
// scenario (tools/injection-matrix.sh); PELMORA_INJECTION_CALL=2 fails the second call made
// from each site instead of the first (sites called only once are left out), and
// PELMORA_INJECTION_CALL=mid the middle one of a site's calls (sites called at least three
// times), which reach what later frames do with a failure. PELMORA_INJECTION_SCENARIOS=game,
// particles picks scenarios, PELMORA_INJECTION_SLOTS how many runs go at once (2),
// PELMORA_INJECTION_LIMIT the seconds after which a run counts as hung (60). Every run's line
// is in injection-report.txt in the test's working folder.
#include "InjectionRun.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using injection::Outcome;
using injection::ProgramFolder;
using injection::ReportLine;
using injection::Scenario;

std::string Env(const char* name)
{
    char value[512] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n < sizeof value ? std::string(value, n) : std::string();
}

bool FullMatrix() { return Env("PELMORA_INJECTION_FULL") == "1"; }

// Which call from each site fails (1: the first); 0 for "mid": the middle one of the calls the
// site made in the run without a failure, for sites called at least three times.
int CallToFail()
{
    if (Env("PELMORA_INJECTION_CALL") == "mid") return 0;
    const int n = std::atoi(Env("PELMORA_INJECTION_CALL").c_str());
    return n > 1 ? n : 1;
}

// How long one run may take before it counts as hung (PELMORA_INJECTION_LIMIT seconds; 60).
double LimitSeconds()
{
    const double limit = std::atof(Env("PELMORA_INJECTION_LIMIT").c_str());
    return limit > 0 ? limit : 60;
}

bool Wanted(const std::string& scenario)
{
    const std::string list = "," + Env("PELMORA_INJECTION_SCENARIOS") + ",";
    return list == ",," || list.find("," + scenario + ",") != std::string::npos;
}

const std::vector<Scenario>& Scenarios()
{
    static const std::vector<Scenario> list = {
        {"game", "SimpleBrixel.exe", "inj_SimpleBrixel.exe", "", "game",
         {"inj_SimpleBrixel.exe", "PelmoraGraf.dll", "PelmoraParts.dll"}},
        {"transitions", "transitions.exe", "inj_transitions.exe", "--frames 2 --shot inj_transitions.png", "",
         {"inj_transitions.exe", "PelmoraGraf.dll", "PelmoraParts.dll", "PelmoraEffects.dll"}},
        {"parts_sample", "parts_sample.exe", "inj_parts_sample.exe", "--frames 2 --shot inj_parts.png", "",
         {"inj_parts_sample.exe", "PelmoraGraf.dll", "PelmoraParts.dll", "PelmoraEffects.dll"}},
        {"particles", "particles.exe", "inj_particles.exe", "--frames 2 --shot inj_particles.png", "",
         {"inj_particles.exe", "PelmoraGraf.dll", "PelmoraParts.dll", "PelmoraEffects.dll"}},
        // The samples with known numbers and the keyboard sample (no keys pressed: its frames only).
        {"text", "text_sample.exe", "inj_text_sample.exe", "--frames 2 --shot inj_text.png", "",
         {"inj_text_sample.exe", "PelmoraGraf.dll"}},
        {"quads", "quads_sample.exe", "inj_quads_sample.exe", "--frames 2 --shot inj_quads.png", "",
         {"inj_quads_sample.exe", "PelmoraGraf.dll"}},
        {"static_buffer", "static_buffer_sample.exe", "inj_static_buffer_sample.exe",
         "--frames 2 --shot inj_static_buffer.png", "", {"inj_static_buffer_sample.exe", "PelmoraGraf.dll", "PelmoraParts.dll"}},
        {"shaders", "shaders_sample.exe", "inj_shaders_sample.exe", "--frames 2 --shot inj_shaders.png", "",
         {"inj_shaders_sample.exe", "PelmoraGraf.dll"}},
        {"camera", "camera_sample.exe", "inj_camera_sample.exe", "--frames 2 --shot inj_camera.png", "",
         {"inj_camera_sample.exe", "PelmoraGraf.dll"}},
        {"picking", "picking_sample.exe", "inj_picking_sample.exe", "--frames 2 --shot inj_picking.png", "",
         {"inj_picking_sample.exe", "PelmoraGraf.dll"}},
        {"keyboard", "keyboard.exe", "inj_keyboard.exe", "--frames 2 --shot inj_keyboard.png", "",
         {"inj_keyboard.exe", "PelmoraGraf.dll"}},
        // The transitions' set-up and frames of every kind; the host's own start-up is the
        // samples' and is not counted here.
        {"transition_frames", "transition_frames.exe", "inj_transition_frames.exe", "--frames 8", "",
         {"PelmoraEffects.dll"}},
        // What neither the game nor the samples reach: the skin and vertex cache managers, fonts,
        // shaders, a reset, the mesh parts and the grid, on PelmoraParts' device.
        {"engine_frames", "engine_frames.exe", "inj_engine_frames.exe", "--frames 5", "", {"PelmoraParts.dll"}, true},
    };
    return list;
}

ProgramFolder& Folder()
{
    static ProgramFolder folder;
    static const int slots = std::atoi(Env("PELMORA_INJECTION_SLOTS").c_str());
    static bool prepared = folder.prepare(Scenarios(), slots > 0 ? slots : 2);
    EXPECT_TRUE(prepared) << folder.error();
    return folder;
}

// ---- Reading a run ----

struct Site {
    std::string kind;     // call kind, e.g. "CreateVertexBuffer"
    std::string where;    // "PelmoraParts.dll+0x1a2b"
    std::string function; // the function that makes the call
    int calls = 0;        // calls made from it in the run
    int call = 1;         // which of its calls fails
};

int CallOf(const Site& site)
{
    const int call = CallToFail();
    return call > 0 ? call : site.calls >= 3 ? (site.calls + 1) / 2 : 0;
}

std::vector<Site> SitesOf(const Outcome& o)
{
    std::vector<Site> sites;
    for (const ReportLine& l : o.lines("site"))
        if (l.size() >= 4) sites.push_back({l[1], l[2], l[3], 0});
    for (const ReportLine& l : o.lines("calls"))
        for (Site& s : sites)
            if (l.size() > 3 && l[2] == s.where) s.calls = std::atoi(l[3].c_str());
    return sites;
}

std::vector<std::string> Boxes(const Outcome& o)
{
    std::vector<std::string> boxes;
    for (const ReportLine& l : o.lines("box")) boxes.push_back((l.size() > 1 ? l[1] : "") + ": " + (l.size() > 2 ? l[2] : ""));
    return boxes;
}

int Frames(const Outcome& o)
{
    for (const ReportLine& l : o.lines("frames"))
        if (l.size() > 1) return std::atoi(l[1].c_str());
    return -1;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string WithoutCarriageReturns(std::string s)
{
    std::string t;
    for (char c : s)
        if (c != '\r') t += c;
    return t;
}

std::string LastLine(const std::string& text)
{
    std::string s = WithoutCarriageReturns(text);
    while (!s.empty() && s.back() == '\n') s.pop_back();
    return s.substr(s.find_last_of('\n') == std::string::npos ? 0 : s.find_last_of('\n') + 1);
}

// The stacks of a hung program's threads, as the stand-in wrote them.
std::string Stacks(const Outcome& o)
{
    std::string text;
    for (const ReportLine& l : o.lines("stack"))
        if (l.size() > 4) text += "\n    thread " + l[1] + " #" + l[2] + " " + l[3] + " " + l[4].substr(0, 90);
    return text;
}

// ---- What every run must show ----

// Failures that stop the render device from starting: its Direct3D object, its device and its
// built-in vertex shader (the first vertex shader assembled and made from text). The assembly
// is found in the shader loader's own function or in the function it is inlined into, whichever
// the compiler made.
bool StopsTheStart(const Site& s)
{
    if (Contains(s.function, "OXED3D::Init(")) return s.kind == "Direct3DCreate9" || s.kind == "CreateDevice";
    const bool assembling = Contains(s.function, "PrepareShaderCode") || Contains(s.function, "::AssembleShader(");
    return s.call == 1 && ((s.kind == "D3DXAssembleShader" && assembling) ||
                           (s.kind == "CreateVertexShader" && Contains(s.function, "OXED3D::LoadVertexShader")));
}

// The message boxes a failure at this site shows (caption: text): the mesh part that reports
// its failures so.
std::vector<std::string> ExpectedBoxes(const Site* s)
{
    if (s && Contains(s->function, "simpleMesh::init(")) {
        if (s->kind == "D3DXLoadMeshFromXA") return {"SimpleMesh: Could not find mesh"};
        if (s->kind == "D3DXCreateTextureFromFileA") return {"SimpleMesh: Could not find texture map"};
    }
    return {};
}

// The engine code the start failure of each kind yields.
std::string StartCode(const Site& s)
{
    if (s.kind == "Direct3DCreate9") return "0x82000002";
    if (s.kind == "CreateDevice") return "0x82000003";
    return "0x82000001";
}

void Problem(std::vector<std::string>& problems, bool ok, const std::string& what)
{
    if (!ok) problems.push_back(what);
}

// Holds for every run, with or without a failure. deviceKept: the program keeps its Direct3D
// device to the end of the process by design (the game, once its device started).
void CheckCommon(const Outcome& o, bool deviceKept, std::vector<std::string>& problems)
{
    Problem(problems, o.ended,
            "did not end within " + std::to_string(int(LimitSeconds())) + " s (hang); the report's last line: \"" +
                (o.report.empty() ? std::string() : o.report.back().empty() ? std::string() : o.report.back()[0]) +
                "\" of " + std::to_string(o.report.size()) + "; output: " + o.output.substr(0, 400) + Stacks(o));
    for (const ReportLine& l : o.lines("crash"))
        problems.push_back("crashed: " + (l.size() > 1 ? l[1] : "") + " at " + (l.size() > 2 ? l[2] : "") + " " +
                           (l.size() > 3 ? l[3] : ""));
    Problem(problems, !o.ended || o.exitCode < 0xC0000000u, "ended with exception code " + std::to_string(o.exitCode));
    Problem(problems, !o.ended || o.has("end"), "did not end through the process's normal end");
    if (deviceKept) return;
    for (const ReportLine& l : o.lines("device"))
        if (l.size() > 2 && l[1] == "left") problems.push_back("the Direct3D device kept " + l[2] + " reference(s) to the end");
    for (const ReportLine& l : o.lines("d3d"))
        if (l.size() > 2 && l[1] == "left") problems.push_back("the Direct3D object kept " + l[2] + " reference(s) to the end");
}

// The objects of a kind the stand-in saw alive at the process's end.
size_t LeftAtTheEnd(const Outcome& o, const char* tag)
{
    size_t n = 0;
    for (const ReportLine& l : o.lines(tag))
        if (l.size() > 1 && l[1] == "left") ++n;
    return n;
}

// The game's wait at the process's end could not be set up: it releases its render device at
// shutdown instead.
bool GameReleasesAtShutdown(const Site* failed)
{
    return failed && failed->kind == "CreateQuery" &&
           (Contains(failed->function, "ProgramEndWait") || Contains(failed->function, "WaitForDeviceAtProgramEnd"));
}

// The game: a start failure shows "init graphics..", writes its log lines and ends before the
// main loop; any other failure leaves a game that plays and ends on Esc with its device alive.
// The render device's own line for a start failure of the Direct3D object or device.
void CheckStartLogLine(const Outcome& o, const Site& failed, std::vector<std::string>& problems)
{
    const std::string log = WithoutCarriageReturns(o.logDevice);
    if (failed.kind == "Direct3DCreate9")
        Problem(problems, Contains(log, "[OXED3DDEVICE]: virhe: Direct3DCreate9() luonti\n"),
                "log_renderdevice.txt lacks \"virhe: Direct3DCreate9() luonti\"");
    if (failed.kind == "CreateDevice")
        Problem(problems, Contains(log, "[OXED3DDEVICE]: virhe: IDirect3D::CreateDevice() ep\xE4onnistui\n"),
                "log_renderdevice.txt lacks \"virhe: IDirect3D::CreateDevice() ep\xE4onnistui\"");
}

void CheckGame(const Outcome& o, const Site* failed, std::vector<std::string>& problems)
{
    const std::vector<std::string> boxes = Boxes(o);
    const std::string main = WithoutCarriageReturns(o.logMain);
    if (failed && StopsTheStart(*failed)) {
        Problem(problems, boxes.size() == 1 && boxes[0] == "OXEngine: init graphics..",
                "the start failure's message box \"init graphics..\" (caption \"OXEngine\") was not shown alone");
        Problem(problems, main == "virhe: initGraphics()\n", "log_main.txt is not the line \"virhe: initGraphics()\": " + main);
        Problem(problems, Frames(o) == 0, "frames were drawn after a failed start");
        Problem(problems, o.exitCode == 0, "exit code " + std::to_string(o.exitCode) + " instead of 0");
        CheckStartLogLine(o, *failed, problems);
        return;
    }
    Problem(problems, boxes.empty(), "unexpected message box: " + (boxes.empty() ? "" : boxes[0]));
    Problem(problems, main.empty(), "log_main.txt is not empty: " + main);
    Problem(problems, o.exitCode == 0 || o.exitCode == 27, "exit code " + std::to_string(o.exitCode) + " instead of 27 or 0");
    Problem(problems, o.lines("drive").size() == 3, "the game was not played through (U, Space, Esc)");
    Problem(problems, Frames(o) >= 4, "only " + std::to_string(Frames(o)) + " frames were drawn");
    if (GameReleasesAtShutdown(failed)) {
        Problem(problems, LastLine(o.logDevice) == "[OXED3DDEVICE]: offline (ok)",
                "log_renderdevice.txt does not end with \"offline (ok)\": " + LastLine(o.logDevice));
        return;
    }
    // The render device lives until the process ends: no offline line, and its Direct3D device
    // and object are the ones left.
    Problem(problems, !Contains(o.logDevice, "offline"),
            "log_renderdevice.txt has an offline line: the game released its render device");
    Problem(problems, LeftAtTheEnd(o, "device") == 1 && LeftAtTheEnd(o, "d3d") == 1,
            std::to_string(LeftAtTheEnd(o, "device")) + " Direct3D device(s) and " + std::to_string(LeftAtTheEnd(o, "d3d")) +
                " Direct3D object(s) alive at the end instead of the game's one each");
}

// A program on the application frame (scripted: no message boxes): a start failure ends it
// with exit code 1 and says why; a shot that cannot be taken ends it with 2; anything else
// runs all its frames.
void CheckAppFrame(const Scenario& scenario, const Outcome& o, const Site* failed, std::vector<std::string>& problems)
{
    const std::vector<std::string> boxes = Boxes(o), expected = ExpectedBoxes(failed);
    std::string shown, wanted;
    for (const std::string& b : boxes) shown += " \"" + b + "\"";
    for (const std::string& b : expected) wanted += " \"" + b + "\"";
    Problem(problems, boxes == expected, "message boxes" + (shown.empty() ? " none" : shown) + " instead of" +
                                             (wanted.empty() ? " none" : wanted));
    const bool shot = Contains(scenario.arguments, "--shot");
    if (failed && StopsTheStart(*failed) && scenario.name != "transition_frames") {
        Problem(problems, o.exitCode == 1, "exit code " + std::to_string(o.exitCode) + " instead of 1");
        Problem(problems, Contains(o.output, "PelmoraApp: the render device did not start") &&
                              Contains(o.output, "(" + StartCode(*failed)),
                "no start failure message with " + StartCode(*failed) + ": " + o.output);
        Problem(problems, Frames(o) == 0, "frames were drawn after a failed start");
        CheckStartLogLine(o, *failed, problems);
        return;
    }
    if (failed && Contains(failed->function, "PelmoraApp::writeShot")) {
        Problem(problems, o.exitCode == 2, "exit code " + std::to_string(o.exitCode) + " instead of 2");
        Problem(problems, Contains(o.output, "could not be saved"), "no message about the shot: " + o.output);
        return;
    }
    Problem(problems, o.exitCode == 0, "exit code " + std::to_string(o.exitCode) + " instead of 0: " + o.output);
    if (shot) Problem(problems, Contains(o.output, "PelmoraApp: saved frame"), "the shot was not saved: " + o.output);
}

// D3DX imports that neither create nor lock anything: calls to them are not failed.
bool PassesUnchanged(const std::string& function)
{
    static const char* const prefixes[] = {"D3DXMatrix", "D3DXVec", "D3DXPlane", "D3DXQuaternion"};
    for (const char* p : prefixes)
        if (function.rfind(p, 0) == 0) return true;
    return function == "D3DXSaveSurfaceToFileA" || function == "D3DXComputeNormals";
}

// ---- The report ----

FILE* Report()
{
    static FILE* file = std::fopen("injection-report.txt", "w");
    return file;
}

void Write(const std::string& line)
{
    if (Report()) {
        std::fputs((line + "\n").c_str(), Report());
        std::fflush(Report());
    }
}

// (kind, function) pairs already failed in an earlier run of this test program: the ctest run
// fails each piece of code once, whichever scenario reaches it first.
std::set<std::string>& AlreadyTried()
{
    static std::set<std::string> tried;
    return tried;
}

// What the ctest run fails once: a function's first call site; each start failure once for
// the game and once for the programs on the application frame, which report them differently.
std::string TriedKey(const Scenario& scenario, const Site& site)
{
    const std::string family = scenario.drive == "game" ? "game " : "frame ";
    return StopsTheStart(site) ? family + site.kind + " " + site.function : site.function;
}

const Scenario& Find(const std::string& name)
{
    for (const Scenario& s : Scenarios())
        if (s.name == name) return s;
    static Scenario none;
    ADD_FAILURE() << "no scenario " << name;
    return none;
}

std::vector<std::string> Check(const Scenario& scenario, const Outcome& o, const Site* failed)
{
    std::vector<std::string> problems;
    const bool gameKeepsItsDevice = scenario.drive == "game" && !(failed && StopsTheStart(*failed)) &&
                                    !GameReleasesAtShutdown(failed);
    CheckCommon(o, gameKeepsItsDevice, problems);
    if (scenario.drive == "game")
        CheckGame(o, failed, problems);
    else
        CheckAppFrame(scenario, o, failed, problems);
    return problems;
}

// The run's line in the report: what failed, and what the program did about it.
std::string Describe(const std::string& scenario, const Site& site, const Outcome& o,
                     const std::vector<std::string>& problems)
{
    std::string line = scenario + "\t" + site.kind + "\t" + site.where +
                       (site.call > 1 ? "#" + std::to_string(site.call) : std::string()) + "\t" + site.function + "\t";
    if (!o.has("fail")) line += "[not reached in this run] ";
    if (problems.empty()) {
        line += "survived";
    } else {
        line += "FAILED:";
        for (const std::string& p : problems) line += " " + p + ";";
    }
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%.1f s", o.seconds);
    line += " (exit " + std::to_string(o.exitCode) + ", " + std::to_string(Frames(o)) + " frames, " + seconds;
    for (const std::string& b : Boxes(o)) line += ", box \"" + b + "\"";
    // A host's operation in which the failure happened, and what it answered.
    bool after = false;
    for (const ReportLine& l : o.report) {
        if (!l.empty() && l[0] == "fail") after = true;
        if (after && l.size() > 2 && l[0] == "host") {
            line += ", " + l[1] + " answered " + l[2];
            break;
        }
    }
    return line + ")";
}

// The scenario once without a failure, then once per call site it reached, failing that site.
void RunScenario(const std::string& name)
{
    const Scenario& scenario = Find(name);
    if (!Wanted(name)) {
        GTEST_SKIP() << "not among PELMORA_INJECTION_SCENARIOS";
    }
    if (scenario.matrixOnly && !FullMatrix()) {
        GTEST_SKIP() << "in the full matrix only (PELMORA_INJECTION_FULL=1)";
    }
    ProgramFolder& folder = Folder();
    ASSERT_TRUE(folder.error().empty()) << folder.error();

    // Where the calls are, and that the scenario is clean to begin with.
    const Outcome survey = folder.run(scenario, "", LimitSeconds());
    for (const std::string& p : Check(scenario, survey, nullptr))
        ADD_FAILURE() << name << " without a failure: " << p << "\n" << survey.output;
    for (const ReportLine& l : survey.lines("import")) {
        if (l.size() > 3 && l[3] == "passed") {
            EXPECT_TRUE(PassesUnchanged(l[2])) << l[1] << " imports " << l[2]
                                               << ", which the stand-in does not fail: give it a hook";
        }
    }
    const std::vector<Site> sites = SitesOf(survey);
    EXPECT_FALSE(sites.empty()) << name << ": no call site reached\n" << survey.output;
    if (scenario.drive == "game") {
        // The game was played: the falling piece's blocks were written (ten quads are made at
        // start), and the game over panel's big texts made their temporary fonts (two fonts
        // are made at start).
        int blockWrites = 0, fonts = 0;
        for (const Site& s : sites) {
            if (Contains(s.function, "WriteVertices")) blockWrites += s.calls;
            if (Contains(s.function, "CreateDescribedFont")) fonts += s.calls;
        }
        EXPECT_GT(blockWrites, 10) << "no falling piece was drawn: the game was not played";
        EXPECT_GT(fonts, 2) << "the game over panel was not drawn";
    }
    Write("== " + name + ": " + std::to_string(sites.size()) + " call sites reached without a failure (" +
          std::to_string(Frames(survey)) + " frames)");
    for (const ReportLine& l : survey.lines("calls"))
        if (l.size() > 3) Write("   calls\t" + l[1] + "\t" + l[2] + "\t" + l[3]);

    std::vector<Site> plan;
    for (Site site : sites) {
        site.call = CallOf(site);
        if (site.call > 0 && site.calls >= site.call &&
            (FullMatrix() || AlreadyTried().insert(TriedKey(scenario, site)).second))
            plan.push_back(site);
    }
    const int call = CallToFail();

    // Runs share the machine, a few at a time.
    const int slots = folder.slots();
    int survived = 0, notReached = 0;
    double seconds = 0;
    std::vector<std::pair<size_t, injection::Launch>> running;
    size_t next = 0;
    std::vector<std::string> lines(plan.size());
    while (next < plan.size() || !running.empty()) {
        while (int(running.size()) < slots && next < plan.size()) {
            int slot = 0;
            for (bool taken = true; taken; ++slot) {
                taken = false;
                for (const auto& r : running) taken = taken || r.second.slot == slot;
                if (!taken) break;
            }
            const Site& site = plan[next];
            const std::string target = site.call > 1 ? site.where + "#" + std::to_string(site.call) : site.where;
            running.push_back({next, folder.start(scenario, target, slot, LimitSeconds())});
            ++next;
        }
        // The first of the running programs to end (or to run out of time) is read.
        std::vector<HANDLE> handles;
        for (const auto& r : running)
            if (r.second.process) handles.push_back(r.second.process);
        if (!handles.empty()) WaitForMultipleObjects(DWORD(handles.size()), handles.data(), FALSE, 500);
        for (size_t i = 0; i < running.size(); ++i) {
            injection::Launch& launch = running[i].second;
            const bool over = !launch.process || WaitForSingleObject(launch.process, 0) == WAIT_OBJECT_0 ||
                              LONG(GetTickCount() - launch.deadline) >= 0;
            if (!over) continue;
            const Site& site = plan[running[i].first];
            const Outcome o = folder.finish(launch);
            seconds += o.seconds;
            const std::vector<std::string> problems = Check(scenario, o, o.has("fail") ? &site : nullptr);
            if (!o.has("fail")) ++notReached;
            if (problems.empty()) ++survived;
            lines[running[i].first] = Describe(name, site, o, problems);
            for (const std::string& p : problems)
                ADD_FAILURE() << name << ": " << site.kind << " at " << site.where << " (" << site.function
                              << ") failed: " << p;
            running.erase(running.begin() + long(i));
            --i;
        }
    }
    for (const std::string& line : lines) Write(line);
    const size_t left = sites.size() - plan.size();
    const std::string which = call == 0 ? " made to fail at their middle call"
                              : call > 1 ? " made to fail at call " + std::to_string(call) : " made to fail";
    const std::string leftOut = FullMatrix() ? " called fewer times" : " in functions already failed";
    const std::string summary =
        name + ": " + std::to_string(sites.size()) + " call sites reached, " + std::to_string(plan.size()) + which +
        (left ? " (" + std::to_string(left) + leftOut + ")" : "") + ", " +
        std::to_string(survived) + " survived" +
        (notReached ? " (" + std::to_string(notReached) + " not reached again)" : "") + ", " +
        std::to_string(int(seconds)) + " s of runs";
    Write("== " + summary);
    std::printf("[injection] %s\n", summary.c_str());
    std::fflush(stdout);
}

// One run of a scenario with the first call of a kind failed, checked as every run is.
void RunOnce(const std::string& name, const std::string& kind)
{
    const Scenario& scenario = Find(name);
    ProgramFolder& folder = Folder();
    ASSERT_TRUE(folder.error().empty()) << folder.error();
    const Outcome o = folder.run(scenario, kind, LimitSeconds());
    const std::vector<ReportLine> failed = o.lines("fail");
    ASSERT_EQ(failed.size(), 1u) << kind << " was not reached\n" << o.output;
    Site site{kind, failed[0].size() > 2 ? failed[0][2] : "", "", 0,
              failed[0].size() > 3 ? std::atoi(failed[0][3].c_str()) : 1};
    for (const Site& s : SitesOf(o))
        if (s.where == site.where) site.function = s.function;
    const std::vector<std::string> problems = Check(scenario, o, &site);
    Write(Describe(name, site, o, problems));
    for (const std::string& p : problems) ADD_FAILURE() << name << ": " << kind << " at " << site.function << ": " << p;
}

// The programs on the application frame first, then the game (whose own code is what is left).
TEST(FailureInjection, TransitionsSample) { RunScenario("transitions"); }
TEST(FailureInjection, PartsSample) { RunScenario("parts_sample"); }
TEST(FailureInjection, ParticlesSample) { RunScenario("particles"); }
TEST(FailureInjection, TransitionFrames) { RunScenario("transition_frames"); }
TEST(FailureInjection, TextSample) { RunScenario("text"); }
TEST(FailureInjection, QuadsSample) { RunScenario("quads"); }
TEST(FailureInjection, StaticBufferSample) { RunScenario("static_buffer"); }
TEST(FailureInjection, ShadersSample) { RunScenario("shaders"); }
TEST(FailureInjection, CameraSample) { RunScenario("camera"); }
TEST(FailureInjection, PickingSample) { RunScenario("picking"); }
TEST(FailureInjection, KeyboardSample) { RunScenario("keyboard"); }
TEST(FailureInjection, Game) { RunScenario("game"); }
TEST(FailureInjection, EngineFrames) { RunScenario("engine_frames"); }

// A render device that did not start is released all the same: what it made before the failure
// (its Direct3D object, perhaps its device) does not outlive the game.
TEST(FailureInjection, GameReleasesARenderDeviceThatDidNotStart)
{
    RunOnce("game", "CreateDevice");
    RunOnce("game", "CreateVertexShader");
}

} // namespace
