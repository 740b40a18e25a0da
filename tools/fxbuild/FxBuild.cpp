// fxbuild: turns effect sources (see FxSource.h) into compiled effects that
// D3DXCreateEffectFromFile loads. A Windows console program: the shader assembly is assembled by
// D3DX itself (D3DXAssembleShader), so at build time it runs under Wine.
//
//   fxbuild <output folder> <source.fxs>...     writes <output folder>/<source>.fx for each
//
// Exit code 0 when every effect was written; otherwise 1, after a message naming file and line.
#include <windows.h>
#include <d3dx9.h>
#include <cstdio>
#include <fstream>
#include <sstream>
#include "FxSource.h"
#include "FxWriter.h"

namespace {

bool ReadText(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Assembles one shader block with D3DX. The message says which of the file's lines the
// assembler's own line numbers start at.
bool Assemble(const FxShader& shader, std::vector<uint32_t>& code, std::string& error)
{
    ID3DXBuffer* bytecode = nullptr;
    ID3DXBuffer* errors = nullptr;
    HRESULT hr = D3DXAssembleShader(shader.text.c_str(), UINT(shader.text.size()), nullptr, nullptr,
                                    0, &bytecode, &errors);
    bool ok = SUCCEEDED(hr) && bytecode && bytecode->GetBufferSize() >= 8;
    if (!ok) {
        char what[128];
        std::snprintf(what, sizeof what, "shader assembly failed (0x%08lX); the assembler's line 1 is line %d",
                      (unsigned long)hr, shader.line + 1);
        error = what;
        if (errors) error += "\n" + std::string((const char*)errors->GetBufferPointer(), errors->GetBufferSize());
    } else {
        code.resize(bytecode->GetBufferSize() / 4);
        memcpy(code.data(), bytecode->GetBufferPointer(), code.size() * 4);
    }
    if (bytecode) bytecode->Release();
    if (errors) errors->Release();
    return ok;
}

bool BuildOne(const std::string& source, const std::string& outFolder)
{
    std::string text, error;
    if (!ReadText(source, text)) {
        std::fprintf(stderr, "%s: cannot be read\n", source.c_str());
        return false;
    }
    FxEffect fx;
    if (!ParseEffectSource(text, source, fx, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!CompileEffect(fx, source, Assemble, bytes, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    std::string out = outFolder + "/" + BaseName(source) + ".fx";
    if (!WriteEffectFile(out, bytes, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: fxbuild <output folder> <source.fxs>...\n");
        return 1;
    }
    for (int i = 2; i < argc; ++i)
        if (!BuildOne(argv[i], argv[1])) return 1;
    return 0;
}
