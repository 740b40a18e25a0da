// Fuzzer: bytes as an effect source. Every source the reader accepts goes on through the tool's
// compile step, with a stand-in assembler that turns each shader block into small fake
// bytecode, and the compiled effect is walked by the independent checker, which must find
// every offset and length inside the buffer and the same parameters, techniques, passes and
// constant tables the source declared.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include "FxEffectCheck.h"
#include "FxSource.h"
#include "FxWriter.h"

namespace {

[[noreturn]] void Fault(const std::string& what, const std::string& source)
{
    std::fprintf(stderr, "fuzz_fxsource: %s\n--- source ---\n", what.c_str());
    std::fwrite(source.data(), 1, source.size(), stderr);
    std::fprintf(stderr, "\n--------------\n");
    std::abort();
}

// Reads a version word such as vs_2_0, ps.1.1 or ps_3_0 the way the assembler does: the first
// word of the text. Anything else is refused.
bool VersionOf(const std::string& text, uint32_t& version)
{
    std::istringstream in(text);
    std::string w;
    if (!(in >> w) || w.size() != 6 || (w[1] != 's') || (w[0] != 'v' && w[0] != 'p')) return false;
    if ((w[2] != '_' && w[2] != '.') || w[4] != w[2]) return false;
    if (w[3] < '1' || w[3] > '3' || w[5] < '0' || w[5] > '4') return false;
    version = (w[0] == 'v' ? 0xFFFE0000u : 0xFFFF0000u) | uint32_t(w[3] - '0') << 8 | uint32_t(w[5] - '0');
    return true;
}

// Stand-in for the shader assembler: the version token, one small instruction per further
// non-empty line (a mov of a constant into a temporary, with its length encoded as shader
// model 2 and later want it) and the end token. A block without a version word fails as the
// real assembler would.
bool FakeAssemble(const FxShader& shader, std::vector<uint32_t>& code, std::string& error)
{
    uint32_t version = 0;
    if (!VersionOf(shader.text, version)) {
        error = "shader assembly failed (no version)";
        return false;
    }
    const bool sm2 = ((version >> 8) & 0xFF) >= 2;
    code = {version};
    std::istringstream in(shader.text);
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        if (first) { first = false; continue; } // the version line
        code.insert(code.end(), {sm2 ? 0x02000001u : 0x00000001u, 0x800F0000u, 0xA0E40000u});
    }
    code.push_back(0x0000FFFFu);
    return true;
}

uint32_t ExpectedType(FxParamKind kind)
{
    switch (kind) {
    case FxParamKind::Bool: return 1;
    case FxParamKind::Int: return 2;
    case FxParamKind::Texture: return 5;
    case FxParamKind::Sampler: return 12;
    default: return 3;
    }
}

// The registers one bound parameter fills.
uint32_t RegistersOf(FxParamKind kind) { return kind == FxParamKind::Matrix ? 4 : 1; }

void CompareShader(const FxEffect& fx, const FxShader& source, const FxCheckedShader& built, bool vertex,
                   const std::string& text)
{
    if ((built.version >> 16) != (vertex ? 0xFFFEu : 0xFFFFu))
        Fault("a shader block's bytecode is of the other kind", text);
    if (built.constants.size() != source.bindings.size()) Fault("constant table size differs from the binds", text);
    for (size_t i = 0; i < built.constants.size(); ++i) {
        const FxCheckedConstant& c = built.constants[i];
        const FxBinding& b = source.bindings[i];
        const FxParam& p = fx.params[fx.findParam(b.name)];
        if (c.name != b.name || c.registerIndex != uint32_t(b.reg) || (c.registerSet == 3) != b.sampler ||
            c.registerCount != RegistersOf(p.kind))
            Fault("constant '" + c.name + "' differs from its bind line", text);
    }
}

void Compare(const FxEffect& fx, const FxCheckedEffect& built, const std::string& text)
{
    if (built.params.size() != fx.params.size()) Fault("parameter count differs", text);
    for (size_t i = 0; i < fx.params.size(); ++i) {
        const FxParam& p = fx.params[i];
        const FxCheckedParam& b = built.params[i];
        if (b.name != p.name || b.type != ExpectedType(p.kind)) Fault("parameter " + p.name + " differs", text);
        if (p.kind == FxParamKind::Sampler && (b.samplerStates != p.states.size() + 1 || b.samplerTexture != p.texture))
            Fault("sampler " + p.name + " differs", text);
    }
    if (built.techniques.size() != fx.techniques.size()) Fault("technique count differs", text);
    for (size_t t = 0; t < fx.techniques.size(); ++t) {
        const FxTechnique& st = fx.techniques[t];
        const FxCheckedTechnique& bt = built.techniques[t];
        if (bt.name != st.name || bt.passes.size() != st.passes.size()) Fault("technique " + st.name + " differs", text);
        for (size_t p = 0; p < st.passes.size(); ++p) {
            const FxPass& sp = st.passes[p];
            const FxCheckedPass& bp = bt.passes[p];
            size_t shaders = (sp.vertexShader.present ? 1 : 0) + (sp.pixelShader.present ? 1 : 0);
            if (bp.name != sp.name || bp.stateCount != sp.states.size() + shaders || bp.shaders.size() != shaders)
                Fault("pass " + sp.name + " differs", text);
            size_t next = 0;
            if (sp.vertexShader.present) CompareShader(fx, sp.vertexShader, bp.shaders[next++], true, text);
            if (sp.pixelShader.present) CompareShader(fx, sp.pixelShader, bp.shaders[next++], false, text);
        }
    }
}

// Reads and compiles text: true with the compiled bytes, or false with the message.
bool Build(const std::string& text, std::vector<uint8_t>& bytes, std::string& error)
{
    FxEffect fx;
    bytes.clear();
    if (!ParseEffectSource(text, "fuzz.fxs", fx, error)) return false;
    return CompileEffect(fx, "fuzz.fxs", FakeAssemble, bytes, error);
}

// The same source saved with CR LF line ends must give the same effect or the same message.
void SameWithCrLf(const std::string& text, bool built, const std::vector<uint8_t>& bytes, const std::string& error)
{
    if (text.find('\r') != std::string::npos) return;
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    std::vector<uint8_t> again;
    std::string againError;
    if (Build(crlf, again, againError) != built || again != bytes || (!built && againError != error))
        Fault("CR LF line ends change the result", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<uint8_t> bytes;
    std::string error;
    const bool built = Build(text, bytes, error);
    SameWithCrLf(text, built, bytes, error);
    if (!built) {
        if (error.compare(0, 9, "fuzz.fxs:") != 0) Fault("refusal without file and line: " + error, text);
        return 0;
    }
    FxEffect fx;
    ParseEffectSource(text, "fuzz.fxs", fx, error);
    // An exactly sized copy, so that the address sanitizer sees any read past the end.
    std::vector<uint8_t> exact(bytes);
    exact.shrink_to_fit();
    FxCheckedEffect read;
    std::string fault = CheckCompiledEffect(exact.data(), exact.size(), read);
    if (!fault.empty()) Fault("compiled effect is malformed: " + fault, text);
    Compare(fx, read, text);
    return 0;
}
