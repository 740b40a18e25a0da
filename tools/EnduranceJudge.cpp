// EnduranceJudge: parsing of sample lines and the flatness rule.
#include "EnduranceJudge.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

std::vector<EnduranceRule> DefaultEnduranceRules()
{
    return {
        {"private", 0.05, 2048, "KiB"},
        {"workingset", 0.05, 2048, "KiB"},
        {"rss", 0.05, 2048, "KiB"},
        {"vsz", 0.05, 2048, "KiB"},
        {"handles", 0, 5, ""},
        {"threads", 0, 5, ""},
        {"gdi", 0, 5, ""},
        {"user", 0, 5, ""},
        {"fds", 0, 5, ""},
    };
}

// Parses a whole decimal number such as "12", "-3.5"; false if anything else is left.
static bool ParseNumber(const std::string& text, double* out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return false;
    *out = value;
    return true;
}

bool ParseEnduranceSample(const std::string& line, EnduranceSample* out)
{
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word != "sample")
        return false;
    EnduranceSample sample;
    bool haveTime = false;
    while (words >> word) {
        size_t eq = word.find('=');
        if (eq == std::string::npos || eq == 0)
            return false;
        double value = 0;
        if (!ParseNumber(word.substr(eq + 1), &value))
            return false;
        std::string name = word.substr(0, eq);
        if (name == "t") {
            sample.seconds = value;
            haveTime = true;
        } else {
            sample.values[name] = value;
        }
    }
    if (!haveTime)
        return false;
    *out = sample;
    return true;
}

// Every metric name that appears in the samples: the rules' names first (in their order), then
// the others alphabetically.
static std::vector<std::string> MetricNames(const std::vector<EnduranceSample>& samples,
                                            const std::vector<EnduranceRule>& rules)
{
    std::vector<std::string> names;
    auto seen = [&](const std::string& n) {
        for (const EnduranceSample& s : samples)
            if (s.values.count(n))
                return true;
        return false;
    };
    for (const EnduranceRule& r : rules)
        if (seen(r.name))
            names.push_back(r.name);
    std::vector<std::string> others;
    for (const EnduranceSample& s : samples)
        for (const auto& kv : s.values)
            if (std::find(names.begin(), names.end(), kv.first) == names.end() &&
                std::find(others.begin(), others.end(), kv.first) == others.end())
                others.push_back(kv.first);
    std::sort(others.begin(), others.end());
    names.insert(names.end(), others.begin(), others.end());
    return names;
}

static const EnduranceRule* FindRule(const std::vector<EnduranceRule>& rules, const std::string& name)
{
    for (const EnduranceRule& r : rules)
        if (r.name == name)
            return &r;
    return nullptr;
}

// One metric over the run; baseIndex is the baseline sample's index.
static EnduranceMetric JudgeMetric(const std::vector<EnduranceSample>& samples, size_t baseIndex,
                                   const std::string& name, const EnduranceRule* rule)
{
    EnduranceMetric m;
    m.name = name;
    m.unit = rule ? rule->unit : "";
    bool any = false, nonZero = false, haveFirst = false, haveAfter = false;
    for (size_t i = 0; i < samples.size(); ++i) {
        auto it = samples[i].values.find(name);
        if (it == samples[i].values.end())
            continue;
        double v = it->second;
        any = true;
        nonZero = nonZero || v != 0;
        if (!haveFirst) { m.first = v; haveFirst = true; }
        if (i == baseIndex) m.baseline = v;
        if (i > baseIndex) {
            m.maxAfter = haveAfter ? std::max(m.maxAfter, v) : v;
            haveAfter = true;
        }
        m.last = v;
    }
    m.reported = any && nonZero;
    bool atBaseline = samples[baseIndex].values.count(name) != 0;
    m.judged = rule && m.reported && atBaseline && haveAfter;
    if (m.judged) {
        m.limit = m.baseline * (1.0 + rule->relative) + rule->absolute;
        m.pass = m.maxAfter <= m.limit;
    }
    return m;
}

EnduranceVerdict JudgeEndurance(const std::vector<EnduranceSample>& samples,
                                const std::vector<EnduranceRule>& rules,
                                double settleSeconds, size_t minAfter)
{
    EnduranceVerdict v;
    if (samples.empty()) {
        v.reason = "no samples";
        return v;
    }
    v.lastSeconds = samples.back().seconds;
    size_t base = samples.size();
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i].seconds >= settleSeconds) { base = i; break; }
    if (base == samples.size()) {
        v.reason = "the run ended before the settling time";
        return v;
    }
    v.baselineSeconds = samples[base].seconds;
    v.samplesAfter = samples.size() - 1 - base;

    for (const std::string& name : MetricNames(samples, rules))
        v.metrics.push_back(JudgeMetric(samples, base, name, FindRule(rules, name)));

    if (v.samplesAfter < minAfter) {
        v.reason = "too few samples after the baseline (" + std::to_string(v.samplesAfter) +
                   ", need " + std::to_string(minAfter) + ")";
        return v;
    }
    size_t judged = 0;
    for (const EnduranceMetric& m : v.metrics) {
        if (!m.judged)
            continue;
        ++judged;
        if (!m.pass) {
            if (!v.reason.empty()) v.reason += ", ";
            v.reason += m.name + " grew";
        }
    }
    if (judged == 0 && v.reason.empty())
        v.reason = "no metric could be judged";
    v.pass = v.reason.empty();
    return v;
}

std::string FormatEnduranceVerdict(const EnduranceVerdict& v)
{
    std::string text;
    char line[256];
    std::snprintf(line, sizeof line, "baseline at %.0f s, %zu samples after it, last at %.0f s\n",
                  v.baselineSeconds, v.samplesAfter, v.lastSeconds);
    text += line;
    std::snprintf(line, sizeof line, "%-11s %5s %12s %12s %12s %12s %12s  %s\n", "metric", "unit",
                  "first", "baseline", "max after", "last", "limit", "verdict");
    text += line;
    for (const EnduranceMetric& m : v.metrics) {
        const char* verdict = !m.reported ? "not reported (always 0)"
                              : !m.judged ? "reported only"
                              : m.pass    ? "flat"
                                          : "GREW";
        char limit[32] = "-";
        if (m.judged)
            std::snprintf(limit, sizeof limit, "%.0f", m.limit);
        std::snprintf(line, sizeof line, "%-11s %5s %12.0f %12.0f %12.0f %12.0f %12s  %s\n",
                      m.name.c_str(), m.unit.c_str(), m.first, m.baseline, m.maxAfter, m.last,
                      limit, verdict);
        text += line;
    }
    text += v.pass ? "PASS: flat after the baseline\n" : "FAIL: " + v.reason + "\n";
    return text;
}
