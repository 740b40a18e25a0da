// ProcessCounters: a small Windows program for the endurance run (tools/endurance.sh).
//   ProcessCounters <exe name>            one line of the first such process's counters
//   ProcessCounters --pid <id>            the same for a process id
//   ProcessCounters --judge <file> [settle seconds] [samples needed after it]
//                                         judges the run's sample lines, prints a table,
//                                         exit code 0 when flat, 1 when not
// A counters line reads "pid=<id> handles=<n> threads=<n> gdi=<n> user=<n> private=<KiB> workingset=<KiB>
// peak=<KiB>"; exit code 1 when the process is not found or cannot be read.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include "EnduranceJudge.h"
#include "ProcessCounters.h"

static int PrintCounters(DWORD pid)
{
    ProcessCounters c;
    if (!pid || !ReadProcessCounters(pid, &c)) {
        std::printf("no such process\n");
        return 1;
    }
    std::printf("pid=%lu handles=%lu threads=%lu gdi=%lu user=%lu private=%llu workingset=%llu peak=%llu\n",
                (unsigned long)c.pid, (unsigned long)c.handles, (unsigned long)c.threads, (unsigned long)c.gdiObjects,
                (unsigned long)c.userObjects, (unsigned long long)(c.privateBytes / 1024),
                (unsigned long long)(c.workingSet / 1024), (unsigned long long)(c.peakWorkingSet / 1024));
    return 0;
}

static int Judge(const char* file, double settle, size_t minAfter)
{
    std::ifstream in(file);
    if (!in) {
        std::printf("cannot read %s\n", file);
        return 2;
    }
    std::vector<EnduranceSample> samples;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        EnduranceSample s;
        if (ParseEnduranceSample(line, &s))
            samples.push_back(s);
    }
    EnduranceVerdict v = JudgeEndurance(samples, DefaultEnduranceRules(), settle, minAfter);
    std::fputs(FormatEnduranceVerdict(v).c_str(), stdout);
    return v.pass ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--judge") == 0) {
        double settle = argc >= 4 ? std::atof(argv[3]) : 60.0;
        size_t minAfter = argc >= 5 ? size_t(std::atoi(argv[4])) : 3;
        return Judge(argv[2], settle, minAfter);
    }
    if (argc == 3 && std::strcmp(argv[1], "--pid") == 0)
        return PrintCounters(DWORD(std::strtoul(argv[2], nullptr, 10)));
    if (argc == 2 && argv[1][0] != '-')
        return PrintCounters(FindProcessByName(argv[1]));
    std::printf("usage: ProcessCounters <exe name> | --pid <id> | --judge <file> [settle s] [min samples]\n");
    return 2;
}
