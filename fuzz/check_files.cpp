// check_files: runs the fuzzers' strict readers over files the build made. Compiled effects
// (*.fx) go through the compiled-effect checker, DDS images (*.dds) through the DDS reader.
//
//   check_files <file>...        prints one line per file; exit 1 when any is malformed
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include "DdsFile.h"
#include "FxEffectCheck.h"

namespace {

bool EndsWith(const std::string& s, const char* tail)
{
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    int bad = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string fault;
        if (!in.good() && !in.eof()) {
            fault = "cannot be read";
        } else if (EndsWith(path, ".fx")) {
            FxCheckedEffect effect;
            fault = CheckCompiledEffect(bytes.data(), bytes.size(), effect);
        } else if (EndsWith(path, ".dds")) {
            DdsPicture picture;
            fault = DecodeDds(bytes.data(), bytes.size(), picture);
        } else {
            fault = "neither .fx nor .dds";
        }
        std::printf("%s: %s\n", path.c_str(), fault.empty() ? "well formed" : fault.c_str());
        if (!fault.empty()) bad = 1;
    }
    return bad;
}
