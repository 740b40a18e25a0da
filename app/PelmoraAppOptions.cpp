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
    bool framesGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--shot" || a == "--frames" || a == "--size";
        if (!takesValue) {
            out.rest.push_back(a);
            continue;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            out.error = a + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (a == "--shot") {
            out.shotFile = value;
        } else if (a == "--frames") {
            long n = 0;
            if (!ParseCount(value, kMaxFrames, n) || n < 1) {
                out.error = "--frames " + value + ": give a whole number of frames from 1 to 1000000";
                return false;
            }
            out.frames = int(n);
            framesGiven = true;
        } else if (!ParseSize(value, out.width, out.height)) {
            out.error = "--size " + value + ": give the size as WIDTHxHEIGHT, e.g. 800x600";
            return false;
        }
    }
    if (!out.shotFile.empty() && !framesGiven) out.frames = PelmoraAppOptions::DefaultShotFrames;
    return true;
}
