// Compiled effect writer. Every offset in the file counts from the byte after the two header
// words (the "base"); records are whole 32-bit words, blobs padded to 4 bytes.
#include "FxWriter.h"
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Parameter classes and types of the compiled form.
enum : uint32_t { kScalar = 0, kVector = 1, kMatrixRows = 2, kMatrixColumns = 3, kObject = 4 };
enum : uint32_t { kBool = 1, kInt = 2, kFloat = 3, kTexture = 5, kSampler2D = 12,
                  kPixelShader = 15, kVertexShader = 16 };
// State operations the writer adds on its own.
enum : uint32_t { kOpVertexShader = 146, kOpPixelShader = 147, kOpTexture = 164 };
const uint32_t kNone = 0xFFFFFFFFu;

// Words of a byte string padded with zeros to whole words.
std::vector<uint32_t> PaddedWords(const void* data, size_t size)
{
    std::vector<uint32_t> w((size + 3) / 4, 0);
    if (size) std::memcpy(w.data(), data, size);
    return w;
}

uint32_t FloatBits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

// The base data: names, type descriptors and values, referenced by their offset.
class BaseData {
public:
    BaseData() { words_.push_back(0); } // offset 0: the empty name

    uint32_t here() const { return uint32_t(words_.size() * 4); }

    uint32_t add(const std::vector<uint32_t>& w)
    {
        uint32_t at = here();
        words_.insert(words_.end(), w.begin(), w.end());
        return at;
    }

    uint32_t name(const std::string& s)
    {
        uint32_t at = here();
        words_.push_back(uint32_t(s.size() + 1));
        std::vector<uint32_t> text = PaddedWords(s.c_str(), s.size() + 1);
        words_.insert(words_.end(), text.begin(), text.end());
        return at;
    }

    // Numeric type descriptor; a vector stores columns before rows, the others rows first.
    uint32_t numericType(uint32_t type, uint32_t cls, uint32_t nameOff, uint32_t rows, uint32_t cols)
    {
        if (cls == kVector) return add({type, cls, nameOff, 0, 0, cols, rows});
        return add({type, cls, nameOff, 0, 0, rows, cols});
    }

    uint32_t objectType(uint32_t type, uint32_t nameOff) { return add({type, kObject, nameOff, 0, 0}); }

    const std::vector<uint32_t>& words() const { return words_; }

private:
    std::vector<uint32_t> words_;
};

struct NumericShape {
    uint32_t type, cls, rows, cols, registers;
};

NumericShape ShapeOf(FxParamKind kind)
{
    switch (kind) {
    case FxParamKind::Matrix: return {kFloat, kMatrixRows, 4, 4, 4};
    case FxParamKind::Float4: return {kFloat, kVector, 1, 4, 1};
    case FxParamKind::Float3: return {kFloat, kVector, 1, 3, 1};
    case FxParamKind::Float: return {kFloat, kScalar, 1, 1, 1};
    case FxParamKind::Int: return {kInt, kScalar, 1, 1, 1};
    case FxParamKind::Bool: return {kBool, kScalar, 1, 1, 1};
    default: return {kFloat, kScalar, 1, 1, 1};
    }
}

// One resource record: data attached to one state.
struct Resource {
    uint32_t technique, index, element, state, usage;
    std::vector<uint8_t> data;
};

class EffectWriter {
public:
    EffectWriter(const FxEffect& fx, const std::vector<std::vector<uint32_t>>& shaders)
        : fx_(fx), shaders_(shaders) {}

    std::vector<uint8_t> write()
    {
        intType_ = base_.numericType(kInt, kScalar, 0, 1, 1);
        floatType_ = base_.numericType(kFloat, kScalar, 0, 1, 1);
        for (size_t i = 0; i < fx_.params.size(); ++i) parameter(uint32_t(i));
        for (size_t t = 0; t < fx_.techniques.size(); ++t) technique(uint32_t(t));
        return assemble();
    }

private:
    uint32_t newObject() { return nextObject_++; }

    uint32_t stateValue(const FxState& s) { return base_.add({s.value}); }

    void parameter(uint32_t index)
    {
        const FxParam& p = fx_.params[index];
        uint32_t nameOff = base_.name(p.name);
        uint32_t typeOff = 0, valueOff = 0;
        if (p.kind == FxParamKind::Texture) {
            typeOff = base_.objectType(kTexture, nameOff);
            valueOff = base_.add({newObject()});
        } else if (p.kind == FxParamKind::Sampler) {
            typeOff = base_.objectType(kSampler2D, nameOff);
            valueOff = samplerStates(index, p);
        } else {
            NumericShape s = ShapeOf(p.kind);
            typeOff = base_.numericType(s.type, s.cls, nameOff, s.rows, s.cols);
            std::vector<uint32_t> zero(s.rows * s.cols, 0);
            if (p.kind == FxParamKind::Matrix)
                for (int i = 0; i < 4; ++i) zero[i * 5] = FloatBits(1.0f); // identity
            valueOff = base_.add(zero);
        }
        stream_.insert(stream_.end(), {typeOff, valueOff, 0, 0});
    }

    // A sampler's state list: its texture first (taken from the texture parameter), then the
    // fixed sampler states.
    uint32_t samplerStates(uint32_t paramIndex, const FxParam& p)
    {
        uint32_t texType = base_.objectType(kTexture, 0);
        uint32_t texValue = base_.add({newObject()});
        std::vector<uint32_t> list = {uint32_t(1 + p.states.size()), kOpTexture, 0, texType, texValue};
        for (const FxState& s : p.states) list.insert(list.end(), {uint32_t(s.op), 0, intType_, stateValue(s)});
        addNameResource(kNone, paramIndex, 0, p.texture);
        return base_.add(list);
    }

    void addNameResource(uint32_t technique, uint32_t index, uint32_t state, const std::string& name)
    {
        Resource r{technique, index, kNone, state, 1, {}};
        r.data.assign(name.begin(), name.end());
        r.data.push_back(0);
        resources_.push_back(r);
    }

    void technique(uint32_t t)
    {
        const FxTechnique& tech = fx_.techniques[t];
        stream_.insert(stream_.end(), {base_.name(tech.name), 0, uint32_t(tech.passes.size())});
        for (size_t p = 0; p < tech.passes.size(); ++p) pass(t, uint32_t(p), tech.passes[p]);
    }

    void shaderState(uint32_t t, uint32_t p, uint32_t stateIndex, uint32_t op, uint32_t type)
    {
        uint32_t typeOff = base_.objectType(type, 0);
        uint32_t valueOff = base_.add({newObject()});
        stream_.insert(stream_.end(), {op, 0, typeOff, valueOff});
        const std::vector<uint32_t>& code = shaders_.at(nextShader_++);
        Resource r{t, p, kNone, stateIndex, 0, {}};
        r.data.resize(code.size() * 4);
        std::memcpy(r.data.data(), code.data(), r.data.size());
        resources_.push_back(r);
        ++shaderStates_;
    }

    void pass(uint32_t t, uint32_t p, const FxPass& pass)
    {
        uint32_t count = uint32_t(pass.states.size()) + (pass.vertexShader.present ? 1 : 0) +
                         (pass.pixelShader.present ? 1 : 0);
        stream_.insert(stream_.end(), {base_.name(pass.name), 0, count});
        for (const FxState& s : pass.states)
            stream_.insert(stream_.end(), {uint32_t(s.op), 0, s.isFloat ? floatType_ : intType_, stateValue(s)});
        uint32_t next = uint32_t(pass.states.size());
        if (pass.vertexShader.present) shaderState(t, p, next++, kOpVertexShader, kVertexShader);
        if (pass.pixelShader.present) shaderState(t, p, next++, kOpPixelShader, kPixelShader);
    }

    std::vector<uint8_t> assemble()
    {
        std::vector<uint32_t> out = {0xFEFF0901u, base_.here()};
        out.insert(out.end(), base_.words().begin(), base_.words().end());
        out.insert(out.end(), {uint32_t(fx_.params.size()), uint32_t(fx_.techniques.size()),
                               shaderStates_, nextObject_});
        out.insert(out.end(), stream_.begin(), stream_.end());
        out.insert(out.end(), {0u, uint32_t(resources_.size())}); // no object data
        for (const Resource& r : resources_) {
            out.insert(out.end(), {r.technique, r.index, r.element, r.state, r.usage, uint32_t(r.data.size())});
            std::vector<uint32_t> w = PaddedWords(r.data.data(), r.data.size());
            out.insert(out.end(), w.begin(), w.end());
        }
        std::vector<uint8_t> bytes(out.size() * 4);
        std::memcpy(bytes.data(), out.data(), bytes.size());
        return bytes;
    }

    const FxEffect& fx_;
    const std::vector<std::vector<uint32_t>>& shaders_;
    BaseData base_;
    std::vector<uint32_t> stream_; // parameter and technique records, in file order
    std::vector<Resource> resources_;
    uint32_t intType_ = 0, floatType_ = 0; // shared unnamed 1x1 state types
    uint32_t nextObject_ = 1;              // object id 0 stays the loader's scratch slot
    uint32_t shaderStates_ = 0;
    size_t nextShader_ = 0;
};

void PutWord(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
void PutHalf(std::vector<uint8_t>& b, size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); }

size_t AppendString(std::vector<uint8_t>& b, const std::string& s)
{
    size_t at = b.size();
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    return at;
}

} // namespace

bool SpliceConstantTable(const std::vector<uint32_t>& code, const std::vector<FxBinding>& bindings,
                         const FxEffect& fx, std::vector<uint32_t>& out, std::string& error)
{
    if (code.size() < 2 || ((code[0] >> 16) != 0xFFFE && (code[0] >> 16) != 0xFFFF)) {
        error = "assembler output does not start with a shader version token";
        return false;
    }
    const uint32_t version = code[0];
    const size_t count = bindings.size();
    // Header (28 bytes), constant infos (20 each), type infos (16 each), then the strings.
    std::vector<uint8_t> t(28 + count * 36, 0);
    PutWord(t, 0, 28);
    PutWord(t, 8, version);
    PutWord(t, 12, uint32_t(count));
    PutWord(t, 16, 28);
    for (size_t i = 0; i < count; ++i) {
        const FxBinding& b = bindings[i];
        int idx = fx.findParam(b.name);
        if (idx < 0) {
            error = "bound parameter '" + b.name + "' does not exist";
            return false;
        }
        FxParamKind kind = fx.params[idx].kind;
        size_t info = 28 + i * 20, type = 28 + count * 20 + i * 16;
        uint16_t cls, typ, rows, cols, regs, set;
        if (kind == FxParamKind::Sampler) {
            cls = kObject, typ = kSampler2D, rows = 1, cols = 1, regs = 1, set = 3;
        } else {
            NumericShape s = ShapeOf(kind);
            // A matrix is declared column-major here, so the loader hands column i to register
            // i: m4x4 then multiplies a row vector by the matrix.
            cls = uint16_t(kind == FxParamKind::Matrix ? kMatrixColumns : s.cls);
            typ = uint16_t(s.type), rows = uint16_t(s.rows), cols = uint16_t(s.cols);
            regs = uint16_t(s.registers), set = 2;
        }
        PutHalf(t, info + 4, set);
        PutHalf(t, info + 6, uint16_t(b.reg));
        PutHalf(t, info + 8, regs);
        PutWord(t, info + 12, uint32_t(type));
        PutHalf(t, type + 0, cls);
        PutHalf(t, type + 2, typ);
        PutHalf(t, type + 4, rows);
        PutHalf(t, type + 6, cols);
        PutHalf(t, type + 8, 1);
        PutWord(t, info, uint32_t(AppendString(t, b.name)));
    }
    std::string target = std::string((version >> 16) == 0xFFFE ? "vs_" : "ps_") +
                         std::to_string((version >> 8) & 0xFF) + "_" + std::to_string(version & 0xFF);
    PutWord(t, 24, uint32_t(AppendString(t, target)));
    PutWord(t, 4, uint32_t(AppendString(t, "fxbuild")));
    std::vector<uint32_t> words = PaddedWords(t.data(), t.size());
    size_t commentWords = 1 + words.size(); // the FOURCC and the table
    if (commentWords > 0x7FFF) {
        error = "constant table too large for one shader comment";
        return false;
    }
    out.clear();
    out.push_back(version);
    out.push_back(0xFFFEu | uint32_t(commentWords << 16));
    out.push_back(0x42415443u); // 'CTAB'
    out.insert(out.end(), words.begin(), words.end());
    out.insert(out.end(), code.begin() + 1, code.end());
    return true;
}

std::vector<uint8_t> WriteCompiledEffect(const FxEffect& fx,
                                         const std::vector<std::vector<uint32_t>>& shaders)
{
    return EffectWriter(fx, shaders).write();
}

namespace {

// The assembler takes the shader kind from the version line of the text, so a block can hold
// the other kind; the loader would then fail to create the shader only when the effect loads.
bool KindMatches(const std::vector<uint32_t>& code, bool vertex, std::string& what)
{
    const uint32_t kind = code.empty() ? 0 : code[0] >> 16;
    if (kind == (vertex ? 0xFFFEu : 0xFFFFu)) return true;
    if (kind == 0xFFFEu || kind == 0xFFFFu)
        what = vertex ? "a vertexshader block holds a pixel shader" : "a pixelshader block holds a vertex shader";
    else
        what = "assembler output does not start with a shader version token";
    return false;
}

// A pixel shader's constant registers end earlier in older versions: c7 in ps_1_x, c31 in
// ps_2_x (c223 in ps_3_0, checked by the reader). A constant bound past them would make every
// pass that sets the shader fail when it begins. Sets line to the offending bind's line.
bool ConstantsFit(const std::vector<uint32_t>& code, bool vertex, const FxShader& shader, const FxEffect& fx,
                  int& line, std::string& what)
{
    if (vertex || code.empty()) return true;
    const unsigned major = (code[0] >> 8) & 0xFF, minor = code[0] & 0xFF;
    const int count = major < 2 ? 8 : major < 3 ? 32 : 224;
    for (const FxBinding& b : shader.bindings) {
        if (b.sampler) continue;
        const int p = fx.findParam(b.name);
        const int registers = p >= 0 && fx.params[size_t(p)].kind == FxParamKind::Matrix ? 4 : 1;
        if (b.reg + registers > count) {
            line = b.line;
            what = "'" + b.name + "' at c" + std::to_string(b.reg) + " runs past the last register c" +
                   std::to_string(count - 1) + " of ps_" + std::to_string(major) + "_" + std::to_string(minor);
            return false;
        }
    }
    return true;
}

bool AddShader(const FxShader& shader, bool vertex, const FxEffect& fx, const std::string& fileName,
               const FxAssembler& assemble, std::vector<std::vector<uint32_t>>& shaders,
               std::string& error)
{
    std::vector<uint32_t> code, withTable;
    std::string what;
    int line = shader.line;
    if (!assemble(shader, code, what) || !KindMatches(code, vertex, what) ||
        !ConstantsFit(code, vertex, shader, fx, line, what) ||
        !SpliceConstantTable(code, shader.bindings, fx, withTable, what)) {
        error = fileName + ":" + std::to_string(line) + ": " + what;
        return false;
    }
    shaders.push_back(withTable);
    return true;
}

} // namespace

bool CompileEffect(const FxEffect& fx, const std::string& fileName, const FxAssembler& assemble,
                   std::vector<uint8_t>& out, std::string& error)
{
    std::vector<std::vector<uint32_t>> shaders;
    for (const FxTechnique& t : fx.techniques)
        for (const FxPass& p : t.passes) {
            if (p.vertexShader.present && !AddShader(p.vertexShader, true, fx, fileName, assemble, shaders, error))
                return false;
            if (p.pixelShader.present && !AddShader(p.pixelShader, false, fx, fileName, assemble, shaders, error))
                return false;
        }
    out = WriteCompiledEffect(fx, shaders);
    return true;
}

bool WriteEffectFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = path + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int reason = written ? 0 : errno;
    if (std::fflush(file) != 0 && reason == 0) reason = errno ? errno : EIO;
    if (std::fclose(file) != 0 && reason == 0) reason = errno ? errno : EIO;
    if (written && reason == 0) return true;
    error = path + ": cannot be written (" + std::strerror(reason ? reason : EIO) + ")";
    std::remove(path.c_str());
    return false;
}
