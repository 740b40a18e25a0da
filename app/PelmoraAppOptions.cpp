#include "PelmoraAppOptions.h"
#include <cerrno>
#include <cstdlib>

namespace {

const long kMaxFrames = 1000000;

// A whole decimal number of digits only (no sign, no blanks), within 0..limit.
bool ParseCount(const std::string& text, long limit, long& out)
{
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::strtol(text.c_str(), nullptr, 10);
    return out <= limit;
}

// "WxH" (or "WXH") with two whole numbers; the sizes themselves are judged by the device.
bool ParseSize(const std::string& text, int& width, int& height)
{
    size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    long w = 0, h = 0;
    if (!ParseCount(text.substr(0, x), 999999999, w) || !ParseCount(text.substr(x + 1), 999999999, h)) return false;
    if (w > 0x7FFFFFFF || h > 0x7FFFFFFF) return false;
    width = int(w);
    height = int(h);
    return true;
}

} // namespace

bool ParsePelmoraAppOptions(const std::vector<std::string>& args, PelmoraAppOptions& out)
{
    out = PelmoraAppOptions();
    auto isOption = [](const std::string& a) { return a == "--shot" || a == "--frames" || a == "--size"; };
    auto refuse = [&out](const std::string& what) {
        if (out.error.empty()) out.error = what; // the first fault is the one reported
    };
    bool framesGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!isOption(a)) {
            out.rest.push_back(a);
            continue;
        }
        if (a != "--size") out.scriptAsked = true;
        // A missing value, or the next option where the value belongs ("--shot --frames 5").
        if (i + 1 >= args.size() || args[i + 1].empty() || isOption(args[i + 1])) {
            refuse(a + " needs a value");
            continue;
        }
        const std::string& value = args[++i];
        if (a == "--shot") {
            out.shotFile = value;
        } else if (a == "--frames") {
            long n = 0;
            if (!ParseCount(value, kMaxFrames, n) || n < 1) {
                refuse("--frames " + value + ": give a whole number of frames from 1 to 1000000");
                continue;
            }
            out.frames = int(n);
            framesGiven = true;
        } else if (ParseSize(value, out.width, out.height)) {
            out.sizeGiven = true;
        } else {
            refuse("--size " + value + ": give the size as WIDTHxHEIGHT, e.g. 800x600");
        }
    }
    if (!out.shotFile.empty() && !framesGiven) out.frames = PelmoraAppOptions::DefaultShotFrames;
    return out.error.empty();
}
