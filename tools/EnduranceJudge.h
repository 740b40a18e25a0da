// EnduranceJudge: decides whether a long run's resource samples stayed flat. The endurance run
// writes one sample line every few seconds ("sample t=<seconds> <name>=<value> ..."); after a
// settling period the first sample is the baseline, and every later sample of a judged metric
// must stay at or below baseline * (1 + relative) + absolute.
#pragma once
#include <map>
#include <string>
#include <vector>

// One sample line: its time and its named values.
struct EnduranceSample {
    double seconds = 0;                    // time since the game started
    std::map<std::string, double> values;  // metric name -> value (memory in KiB, counts as is)
};

// The allowed growth of one metric over its baseline.
struct EnduranceRule {
    std::string name;  // metric name as in the sample lines
    double relative;   // allowed growth as a fraction of the baseline
    double absolute;   // allowed growth in the metric's own unit, added to the relative part
    std::string unit;  // for the table ("KiB", "")
};

// The outcome for one metric.
struct EnduranceMetric {
    std::string name;     // metric name
    std::string unit;     // its unit
    bool judged = false;  // false: reported only (no rule, or never a non-zero value)
    bool reported = true; // false: every sample was 0 (the system gives no real number)
    double first = 0;     // the first sample's value
    double baseline = 0;  // the value at the end of the settling period
    double maxAfter = 0;  // the largest value after the baseline
    double last = 0;      // the last sample's value
    double limit = 0;     // the largest allowed value
    bool pass = true;     // maxAfter <= limit (or not judged)
};

// The outcome for a whole run.
struct EnduranceVerdict {
    bool pass = false;                     // every judged metric passed and there were enough samples
    std::string reason;                    // why it failed, empty when it passed
    double baselineSeconds = 0;            // time of the baseline sample
    double lastSeconds = 0;                // time of the last sample
    size_t samplesAfter = 0;               // samples after the baseline
    std::vector<EnduranceMetric> metrics;  // one per metric seen, rules' order first
};

// The rules the endurance run uses: memory may grow 5% + 2 MiB, handles, threads, objects and
// file descriptors by 5.
std::vector<EnduranceRule> DefaultEnduranceRules();

// Parses one "sample t=<seconds> name=value ..." line. False for any other line or a malformed
// value.
bool ParseEnduranceSample(const std::string& line, EnduranceSample* out);

// Judges the samples: the baseline is the first sample at or after settleSeconds; at least
// minAfter samples must follow it.
EnduranceVerdict JudgeEndurance(const std::vector<EnduranceSample>& samples,
                                const std::vector<EnduranceRule>& rules,
                                double settleSeconds, size_t minAfter);

// The verdict as a printable table, one line per metric, and a last line PASS or FAIL.
std::string FormatEnduranceVerdict(const EnduranceVerdict& verdict);
