// The flatness judgement of endurance runs, on made-up sample series: a settling start, noise
// within the margins, steady leaks of handles and memory, boundaries and too-short runs.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "EnduranceJudge.h"

namespace {

// A run sampled every 10 s from 10 s to lastSecond; value(name, seconds) gives each metric.
std::vector<EnduranceSample> SampledRun(int lastSecond, const std::vector<std::string>& names,
                                 const std::function<double(const std::string&, int)>& value)
{
    std::vector<EnduranceSample> run;
    for (int t = 10; t <= lastSecond; t += 10) {
        EnduranceSample s;
        s.seconds = t;
        for (const std::string& n : names)
            s.values[n] = value(n, t);
        run.push_back(s);
    }
    return run;
}

const std::vector<std::string> kNames = {"handles", "workingset", "fds"};

// A game that settles: memory and handles climb during the first 50 s, then stay within noise.
double Settling(const std::string& name, int t)
{
    double wobble = (t / 10) % 3; // 0, 1, 2, 0, ...
    if (name == "handles")
        return t < 60 ? 100 + t : 160 + wobble;
    if (name == "workingset")
        return t < 60 ? 200000 + 1000.0 * t : 260000 + 500 * wobble;
    return 30;
}

const EnduranceMetric* Metric(const EnduranceVerdict& v, const std::string& name)
{
    for (const EnduranceMetric& m : v.metrics)
        if (m.name == name)
            return &m;
    return nullptr;
}

EnduranceVerdict Judge(const std::vector<EnduranceSample>& run)
{
    return JudgeEndurance(run, DefaultEnduranceRules(), 60, 3);
}

} // namespace

TEST(EnduranceSampleLine, ParsesTimeAndNamedValues)
{
    EnduranceSample s;
    ASSERT_TRUE(ParseEnduranceSample("sample t=70 handles=123 workingset=290000 fds=30", &s));
    EXPECT_EQ(s.seconds, 70);
    EXPECT_EQ(s.values.size(), 3u);
    EXPECT_EQ(s.values["handles"], 123);
    EXPECT_EQ(s.values["workingset"], 290000);
}

TEST(EnduranceSampleLine, RefusesOtherAndMalformedLines)
{
    EnduranceSample s;
    s.seconds = 5;
    EXPECT_FALSE(ParseEnduranceSample("endurance: seed 42", &s));
    EXPECT_FALSE(ParseEnduranceSample("", &s));
    EXPECT_FALSE(ParseEnduranceSample("sample handles=12", &s)) << "no time";
    EXPECT_FALSE(ParseEnduranceSample("sample t=10 handles=12x", &s));
    EXPECT_FALSE(ParseEnduranceSample("sample t=10 handles=", &s));
    EXPECT_FALSE(ParseEnduranceSample("sample t=10 =12", &s));
    EXPECT_FALSE(ParseEnduranceSample("sample t=10 handles", &s));
    EXPECT_EQ(s.seconds, 5) << "a refused line leaves the sample alone";
}

TEST(EnduranceJudge, SettlingThenFlatPasses)
{
    EnduranceVerdict v = Judge(SampledRun(600, kNames, Settling));
    EXPECT_TRUE(v.pass) << FormatEnduranceVerdict(v);
    EXPECT_EQ(v.baselineSeconds, 60);
    EXPECT_EQ(v.samplesAfter, 54u);
    const EnduranceMetric* h = Metric(v, "handles");
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(h->judged);
    EXPECT_EQ(h->first, 110);
    EXPECT_EQ(h->baseline, Settling("handles", 60));
    EXPECT_EQ(h->maxAfter, 162);
    EXPECT_EQ(h->limit, h->baseline + 5);
}

TEST(EnduranceJudge, AHandleLeakedPerFrameFails)
{
    // One handle per frame at one frame per second: ten more per sample.
    auto leak = [](const std::string& n, int t) { return n == "handles" ? 100.0 + t : Settling(n, t); };
    EnduranceVerdict v = Judge(SampledRun(120, kNames, leak));
    EXPECT_FALSE(v.pass);
    EXPECT_NE(v.reason.find("handles grew"), std::string::npos) << v.reason;
    EXPECT_FALSE(Metric(v, "handles")->pass);
    EXPECT_TRUE(Metric(v, "workingset")->pass);
    std::string table = FormatEnduranceVerdict(v);
    EXPECT_NE(table.find("GREW"), std::string::npos) << table;
    EXPECT_NE(table.find("FAIL: handles grew"), std::string::npos) << table;
}

TEST(EnduranceJudge, ASlowMemoryLeakFailsOverTenMinutes)
{
    // 4 KiB per frame at about 25 frames a second: 1 MiB per 10 s sample.
    auto leak = [](const std::string& n, int t) {
        return n == "workingset" ? 260000.0 + 1024.0 * (t - 60) / 10 : Settling(n, t);
    };
    EnduranceVerdict tenMinutes = Judge(SampledRun(600, kNames, leak));
    EXPECT_FALSE(tenMinutes.pass);
    EXPECT_FALSE(Metric(tenMinutes, "workingset")->pass);
    EXPECT_TRUE(Metric(tenMinutes, "handles")->pass);
}

TEST(EnduranceJudge, LimitIsBaselinePlusFivePercentPlusTwoMiB)
{
    double base = 200000, limit = base * 1.05 + 2048;
    auto at = [&](double after) {
        return [=](const std::string& n, int t) { return n == "workingset" ? (t <= 60 ? base : after) : 30.0; };
    };
    EnduranceVerdict edge = Judge(SampledRun(120, kNames, at(limit)));
    EXPECT_TRUE(edge.pass) << FormatEnduranceVerdict(edge);
    EXPECT_EQ(Metric(edge, "workingset")->limit, limit);
    EnduranceVerdict over = Judge(SampledRun(120, kNames, at(limit + 1)));
    EXPECT_FALSE(over.pass);
    EXPECT_EQ(over.reason, "workingset grew");
}

TEST(EnduranceJudge, ShrinkingIsFlat)
{
    auto shrink = [](const std::string& n, int t) { return n == "fds" ? 30.0 : 1000.0 - t; };
    EXPECT_TRUE(Judge(SampledRun(200, kNames, shrink)).pass);
}

TEST(EnduranceJudge, TooShortRunsFail)
{
    EnduranceVerdict none = Judge({});
    EXPECT_FALSE(none.pass);
    EXPECT_EQ(none.reason, "no samples");

    EnduranceVerdict beforeSettling = Judge(SampledRun(50, kNames, Settling));
    EXPECT_FALSE(beforeSettling.pass);
    EXPECT_EQ(beforeSettling.reason, "the run ended before the settling time");

    EnduranceVerdict twoAfter = Judge(SampledRun(80, kNames, Settling));
    EXPECT_FALSE(twoAfter.pass);
    EXPECT_NE(twoAfter.reason.find("too few samples"), std::string::npos) << twoAfter.reason;

    EXPECT_TRUE(Judge(SampledRun(90, kNames, Settling)).pass) << "three samples after the baseline suffice";
}

TEST(EnduranceJudge, CountersAlwaysZeroAreNotJudged)
{
    // A system that gives no GDI count reports 0 throughout; that is no evidence either way.
    auto noGdi = [](const std::string& n, int t) { return n == "gdi" ? 0.0 : Settling(n, t); };
    EnduranceVerdict v = Judge(SampledRun(120, {"gdi", "handles"}, noGdi));
    EXPECT_TRUE(v.pass);
    EXPECT_FALSE(Metric(v, "gdi")->reported);
    EXPECT_FALSE(Metric(v, "gdi")->judged);
    EXPECT_NE(FormatEnduranceVerdict(v).find("not reported"), std::string::npos);

    EnduranceVerdict nothing = Judge(SampledRun(120, {"gdi", "user"}, [](const std::string&, int) { return 0.0; }));
    EXPECT_FALSE(nothing.pass);
    EXPECT_EQ(nothing.reason, "no metric could be judged");
}

TEST(EnduranceJudge, MetricsWithoutRuleAreReportedOnly)
{
    // The peak working set only ever grows: it is shown, never judged.
    auto peak = [](const std::string& n, int t) { return n == "peak" ? 1000.0 * t : 30.0; };
    EnduranceVerdict v = Judge(SampledRun(120, {"peak", "fds"}, peak));
    EXPECT_TRUE(v.pass) << FormatEnduranceVerdict(v);
    EXPECT_FALSE(Metric(v, "peak")->judged);
    EXPECT_EQ(Metric(v, "peak")->maxAfter, 120000);
    EXPECT_EQ(v.metrics.front().name, "fds") << "metrics with rules come first";
}

TEST(EnduranceJudge, AMetricMissingAtTheBaselineIsNotJudged)
{
    std::vector<EnduranceSample> run = SampledRun(120, {"fds"}, [](const std::string&, int) { return 30.0; });
    for (EnduranceSample& s : run)
        if (s.seconds > 60)
            s.values["handles"] = 1000 * s.seconds;
    EnduranceVerdict v = Judge(run);
    EXPECT_TRUE(v.pass);
    EXPECT_FALSE(Metric(v, "handles")->judged);
}
