// Effect source reader: see FxSource.h for the language.
#include "FxSource.h"
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

struct StateName {
    const char* name;
    int op;
    bool isFloat;
};

// Render states a pass may set, with their operation numbers in the compiled form.
const StateName kRenderStates[] = {
    {"ZEnable", 0, false},          {"FillMode", 1, false},         {"ShadeMode", 2, false},
    {"ZWriteEnable", 3, false},     {"AlphaTestEnable", 4, false},  {"SrcBlend", 6, false},
    {"DestBlend", 7, false},        {"CullMode", 8, false},         {"ZFunc", 9, false},
    {"AlphaRef", 10, false},        {"AlphaFunc", 11, false},       {"AlphaBlendEnable", 13, false},
    {"FogEnable", 14, false},       {"StencilEnable", 22, false},   {"Lighting", 48, false},
    {"PointSize", 60, true},        {"PointSize_Min", 61, true},    {"PointSize_Max", 62, true},
    {"PointSpriteEnable", 63, false}, {"PointScaleEnable", 64, false}, {"PointScale_A", 65, true},
    {"PointScale_B", 66, true},     {"PointScale_C", 67, true},     {"ColorWriteEnable", 73, false},
    {"BlendOp", 75, false},
};

// Sampler states a sampler parameter may fix.
const StateName kSamplerStates[] = {
    {"AddressU", 165, false}, {"AddressV", 166, false},  {"AddressW", 167, false},
    {"MagFilter", 169, false}, {"MinFilter", 170, false}, {"MipFilter", 171, false},
};

const StateName* FindState(const StateName* table, size_t count, const std::string& name)
{
    for (size_t i = 0; i < count; ++i)
        if (name == table[i].name) return &table[i];
    return nullptr;
}

bool ParseKind(const std::string& word, FxParamKind& kind)
{
    struct { const char* word; FxParamKind kind; } kinds[] = {
        {"float4x4", FxParamKind::Matrix}, {"float4", FxParamKind::Float4},
        {"float3", FxParamKind::Float3},   {"float", FxParamKind::Float},
        {"int", FxParamKind::Int},         {"bool", FxParamKind::Bool},
        {"texture", FxParamKind::Texture},
    };
    for (const auto& k : kinds)
        if (word == k.word) { kind = k.kind; return true; }
    return false;
}

// A value word as the 32 bits handed to the device.
bool ParseValue(const std::string& word, bool isFloat, uint32_t& out)
{
    if (word == "true" || word == "false") {
        if (isFloat) return false;
        out = word == "true" ? 1u : 0u;
        return true;
    }
    const char* s = word.c_str();
    char* end = nullptr;
    errno = 0;
    if (isFloat) {
        float f = std::strtof(s, &end);
        // "inf", "nan" and values past the float range are no state a device can use.
        if (end == s || *end != '\0' || errno != 0 || !std::isfinite(f)) return false;
        std::memcpy(&out, &f, 4);
        return true;
    }
    // Decimal, or hexadecimal with an explicit 0x: a leading zero does not make a number octal.
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const bool negativeHex = word.size() > 3 && word[0] == '-' && word[1] == '0' && (word[2] == 'x' || word[2] == 'X');
    long long v = std::strtoll(s, &end, hex || negativeHex ? 16 : 10);
    if (end == s || *end != '\0' || errno != 0 || v < -2147483648LL || v > 0xFFFFFFFFLL) return false;
    out = uint32_t(v);
    return true;
}

bool IsName(const std::string& word)
{
    if (word.empty() || !(isalpha((unsigned char)word[0]) || word[0] == '_')) return false;
    for (char c : word)
        if (!(isalnum((unsigned char)c) || c == '_')) return false;
    return true;
}

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

// "State=value" or "State = value" split into name and value words.
bool SplitAssignment(const std::vector<std::string>& words, size_t from, std::string& name,
                     std::string& value)
{
    std::string joined;
    for (size_t i = from; i < words.size(); ++i) joined += words[i];
    size_t eq = joined.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == joined.size()) return false;
    name = joined.substr(0, eq);
    value = joined.substr(eq + 1);
    return value.find('=') == std::string::npos;
}

class Reader {
public:
    Reader(const std::string& fileName, FxEffect& out) : file_(fileName), fx_(out) {}

    bool run(const std::string& text)
    {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            ++lineNo_;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!(shader_ ? shaderLine(line) : plainLine(line))) return false;
        }
        if (shader_) return fail(shader_->line, "shader block not closed with 'end'");
        return finish();
    }

    std::string error;

private:
    bool fail(int line, const std::string& what)
    {
        error = file_ + ":" + std::to_string(line) + ": " + what;
        return false;
    }
    bool fail(const std::string& what) { return fail(lineNo_, what); }

    FxPass* currentPass()
    {
        if (fx_.techniques.empty() || fx_.techniques.back().passes.empty()) return nullptr;
        return &fx_.techniques.back().passes.back();
    }

    bool plainLine(std::string line)
    {
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::vector<std::string> w = Words(line);
        if (w.empty()) return true;
        const std::string& key = w[0];
        if (key == "param") return param(w);
        if (key == "sampler") return sampler(w);
        if (key == "technique") return technique(w);
        if (key == "pass") return pass(w);
        if (key == "state") return state(w);
        if (key == "vertexshader" || key == "pixelshader") return openShader(w);
        return fail("unknown keyword '" + key + "'");
    }

    bool newName(const std::string& name)
    {
        if (!IsName(name)) return fail("'" + name + "' is not a valid name");
        if (fx_.findParam(name) >= 0) return fail("parameter '" + name + "' declared twice");
        return true;
    }

    bool param(const std::vector<std::string>& w)
    {
        if (w.size() != 3) return fail("expected: param <type> <name>");
        FxParam p;
        if (!ParseKind(w[1], p.kind)) return fail("unknown parameter type '" + w[1] + "'");
        if (!newName(w[2])) return false;
        p.name = w[2];
        p.line = lineNo_;
        fx_.params.push_back(p);
        return true;
    }

    bool sampler(const std::vector<std::string>& w)
    {
        if (w.size() < 3) return fail("expected: sampler <name> <textureParam> [State=value ...]");
        if (!newName(w[1])) return false;
        int tex = fx_.findParam(w[2]);
        if (tex < 0 || fx_.params[tex].kind != FxParamKind::Texture)
            return fail("sampler '" + w[1] + "' needs a texture parameter, '" + w[2] + "' is none");
        FxParam p;
        p.kind = FxParamKind::Sampler;
        p.name = w[1];
        p.texture = w[2];
        p.line = lineNo_;
        for (size_t i = 3; i < w.size(); ++i) {
            std::string name, value;
            if (!SplitAssignment({w[i]}, 0, name, value))
                return fail("sampler state '" + w[i] + "' is not State=value");
            const StateName* s = FindState(kSamplerStates, sizeof kSamplerStates / sizeof *kSamplerStates, name);
            if (!s) return fail("unknown sampler state '" + name + "'");
            FxState st;
            st.op = s->op;
            if (!ParseValue(value, false, st.value)) return fail("bad value '" + value + "' for " + name);
            p.states.push_back(st);
        }
        fx_.params.push_back(p);
        return true;
    }

    bool technique(const std::vector<std::string>& w)
    {
        if (w.size() != 2 || !IsName(w[1])) return fail("expected: technique <name>");
        for (const FxTechnique& t : fx_.techniques)
            if (t.name == w[1]) return fail("technique '" + w[1] + "' declared twice");
        if (!fx_.techniques.empty() && fx_.techniques.back().passes.empty())
            return fail(fx_.techniques.back().line, "technique '" + fx_.techniques.back().name + "' has no pass");
        FxTechnique t;
        t.name = w[1];
        t.line = lineNo_;
        fx_.techniques.push_back(t);
        return true;
    }

    bool pass(const std::vector<std::string>& w)
    {
        if (w.size() != 2 || !IsName(w[1])) return fail("expected: pass <name>");
        if (fx_.techniques.empty()) return fail("pass '" + w[1] + "' outside a technique");
        FxPass p;
        p.name = w[1];
        fx_.techniques.back().passes.push_back(p);
        return true;
    }

    bool state(const std::vector<std::string>& w)
    {
        FxPass* p = currentPass();
        if (!p) return fail("state outside a pass");
        std::string name, value;
        if (!SplitAssignment(w, 1, name, value)) return fail("expected: state <Name> = <value>");
        const StateName* s = FindState(kRenderStates, sizeof kRenderStates / sizeof *kRenderStates, name);
        if (!s) return fail("unknown render state '" + name + "'");
        FxState st;
        st.op = s->op;
        st.isFloat = s->isFloat;
        if (!ParseValue(value, s->isFloat, st.value))
            return fail("bad value '" + value + "' for " + name + (s->isFloat ? " (a float)" : ""));
        p->states.push_back(st);
        return true;
    }

    bool openShader(const std::vector<std::string>& w)
    {
        FxPass* p = currentPass();
        if (!p) return fail(w[0] + " outside a pass");
        if (w.size() != 1) return fail("nothing may follow '" + w[0] + "' on its line");
        const bool vertex = w[0] == "vertexshader";
        FxShader& s = vertex ? p->vertexShader : p->pixelShader;
        if (s.present) return fail("pass '" + p->name + "' has a second " + w[0]);
        s.present = true;
        s.line = lineNo_;
        shader_ = &s;
        vertexBlock_ = vertex;
        return true;
    }

    bool shaderLine(std::string line)
    {
        size_t slash = line.find("//");
        if (slash != std::string::npos) line.erase(slash);
        std::vector<std::string> w = Words(line);
        if (w.size() == 1 && w[0] == "end") {
            if (Words(shader_->text).empty()) return fail(shader_->line, "empty shader block");
            shader_ = nullptr;
            return true;
        }
        // Bind lines stay as empty lines, so the assembler's line numbers keep counting the file's.
        if (!w.empty() && w[0] == "bind") {
            shader_->text += '\n';
            return bind(w);
        }
        shader_->text += line;
        shader_->text += '\n';
        return true;
    }

    bool bind(const std::vector<std::string>& w)
    {
        if (w.size() != 3 || w[2].size() < 2 || (w[2][0] != 'c' && w[2][0] != 's'))
            return fail("expected: bind <param> c<N> | s<N>");
        int idx = fx_.findParam(w[1]);
        if (idx < 0) return fail("bind names unknown parameter '" + w[1] + "'");
        const FxParam& p = fx_.params[idx];
        FxBinding b;
        b.name = w[1];
        b.sampler = w[2][0] == 's';
        char* end = nullptr;
        long reg = std::strtol(w[2].c_str() + 1, &end, 10);
        if (*end != '\0' || reg < 0 || reg > 255) return fail("bad register '" + w[2] + "'");
        b.reg = int(reg);
        b.line = lineNo_;
        if (b.sampler != (p.kind == FxParamKind::Sampler))
            return fail(b.sampler ? "only a sampler binds to an s register"
                                  : "a sampler binds to an s register, not '" + w[2] + "'");
        if (p.kind == FxParamKind::Texture) return fail("bind the sampler of texture '" + w[1] + "', not the texture");
        // The device has float registers c0..c255 and samplers s0..s15; a binding past them
        // would make every pass that sets this shader fail when it begins.
        if (b.sampler && b.reg > 15) return fail("bad register '" + w[2] + "': samplers end at s15");
        // A vertex shader reads the four vertex texture samplers only; a pixel shader has at
        // most 224 constant registers (ps_3_0; the writer checks older versions' fewer).
        if (b.sampler && vertexBlock_ && b.reg > 3)
            return fail("bad register '" + w[2] + "': a vertex shader's samplers end at s3");
        const int registers = p.kind == FxParamKind::Matrix ? 4 : 1;
        if (!b.sampler && b.reg + registers > 256)
            return fail("'" + w[1] + "' at " + w[2] + " runs past the last register c255");
        if (!b.sampler && !vertexBlock_ && b.reg + registers > 224)
            return fail("'" + w[1] + "' at " + w[2] + " runs past a pixel shader's last register c223");
        for (const FxBinding& other : shader_->bindings)
            if (other.name == b.name) return fail("'" + b.name + "' bound twice in one shader");
        shader_->bindings.push_back(b);
        return true;
    }

    bool finish()
    {
        if (fx_.techniques.empty()) return fail("the effect has no technique");
        if (fx_.techniques.back().passes.empty())
            return fail(fx_.techniques.back().line, "technique '" + fx_.techniques.back().name + "' has no pass");
        return true;
    }

    std::string file_;
    FxEffect& fx_;
    int lineNo_ = 0;
    FxShader* shader_ = nullptr; // the open shader block, if any
    bool vertexBlock_ = false;   // the open block is a vertexshader block
};

} // namespace

int FxEffect::findParam(const std::string& name) const
{
    for (size_t i = 0; i < params.size(); ++i)
        if (params[i].name == name) return int(i);
    return -1;
}

bool ParseEffectSource(const std::string& text, const std::string& fileName, FxEffect& out,
                       std::string& error)
{
    out = FxEffect();
    Reader reader(fileName, out);
    if (reader.run(text)) return true;
    error = reader.error;
    return false;
}
