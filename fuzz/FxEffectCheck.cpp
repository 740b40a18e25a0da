// Compiled effect reader for the fuzzers: every read goes through a bounds check first, and
// every failure says what was wrong where (file offsets in hex).
#include "FxEffectCheck.h"
#include <cstdio>
#include <cstring>
#include <map>

namespace {

const uint32_t kTag = 0xFEFF0901u;
const uint32_t kNoIndex = 0xFFFFFFFFu;
const uint32_t kStateOps = 179; // operations the loader's state table knows
const uint32_t kCtab = 0x42415443u;

enum : uint32_t { kScalar = 0, kVector = 1, kMatrixRows = 2, kMatrixColumns = 3, kObject = 4, kStruct = 5 };
enum : uint32_t { kVoid = 0, kBool = 1, kInt = 2, kFloat = 3, kString = 4, kTexture = 5,
                  kTextureCube = 9, kSampler = 10, kSamplerCube = 14, kPixelShader = 15,
                  kVertexShader = 16 };

std::string Hex(size_t v)
{
    char b[32];
    std::snprintf(b, sizeof b, "0x%zX", v);
    return b;
}

bool IsSampler(uint32_t type) { return type >= kSampler && type <= kSamplerCube; }
bool IsShader(uint32_t type) { return type == kPixelShader || type == kVertexShader; }
// Object types whose value is one object id.
bool IsIdObject(uint32_t type) { return type == kString || (type >= kTexture && type <= kTextureCube) || IsShader(type); }

struct TypeInfo {
    uint32_t type = 0, cls = 0, rows = 0, cols = 0, elements = 0;
    std::string name;
};

// A state as read: where resource records may attach data to it.
struct StateInfo {
    uint32_t type = 0;       // its typedef's type
    uint32_t cls = 0;        // its typedef's class
    bool supplied = false;   // a resource record gave it data
};

class Checker {
public:
    Checker(const uint8_t* data, size_t size, FxCheckedEffect& out) : d_(data), n_(size), out_(out) {}

    std::string run()
    {
        if (!header() || !stream() || !sections() || !complete()) return error_;
        return "";
    }

private:
    // --- reading --------------------------------------------------------------------------

    bool fail(const std::string& what)
    {
        if (error_.empty()) error_ = what;
        return false;
    }

    bool fileWord(size_t at, uint32_t& v)
    {
        if (at > n_ || n_ - at < 4) return fail("word at " + Hex(at) + " past the end of the file");
        std::memcpy(&v, d_ + at, 4);
        return true;
    }

    // A word of the base data at base offset off.
    bool baseWord(uint64_t off, uint32_t& v, const char* what)
    {
        if (off % 4 != 0) return fail(std::string(what) + " at base " + Hex(off) + " is not word aligned");
        if (off > baseSize_ || baseSize_ - off < 4)
            return fail(std::string(what) + " at base " + Hex(off) + " lies outside the base data");
        std::memcpy(&v, d_ + 8 + off, 4);
        return true;
    }

    // count bytes of the base data from off lie inside it.
    bool baseSpan(uint64_t off, uint64_t count, const char* what)
    {
        if (off > baseSize_ || baseSize_ - off < count)
            return fail(std::string(what) + " at base " + Hex(off) + " (" + std::to_string(count) +
                        " bytes) runs past the base data");
        return true;
    }

    // The next word of the structure stream.
    bool next(uint32_t& v, const char* what)
    {
        if (pos_ > n_ || n_ - pos_ < 4) return fail(std::string(what) + " missing at " + Hex(pos_) + ": file ends");
        std::memcpy(&v, d_ + pos_, 4);
        pos_ += 4;
        return true;
    }

    // A count read from the stream that must leave room for count records of minBytes each.
    bool plausible(uint64_t count, uint64_t minBytes, const char* what)
    {
        if (count * minBytes > n_ - pos_)
            return fail(std::string(what) + " " + std::to_string(count) + " at " + Hex(pos_) +
                        " cannot fit in the rest of the file");
        return true;
    }

    // A name record; required names must not be empty.
    bool name(uint64_t off, bool required, std::string& text, const char* what)
    {
        uint32_t length = 0;
        if (!baseWord(off, length, what)) return false;
        if (length == 0) {
            text.clear();
            return required ? fail(std::string(what) + " at base " + Hex(off) + " is empty") : true;
        }
        if (!baseSpan(off + 4, length, what)) return false;
        const char* s = reinterpret_cast<const char*>(d_ + 8 + off + 4);
        if (s[length - 1] != '\0') return fail(std::string(what) + " at base " + Hex(off) + " lacks its NUL");
        if (std::memchr(s, 0, length - 1)) return fail(std::string(what) + " at base " + Hex(off) + " has a NUL inside");
        text.assign(s, length - 1);
        return true;
    }

    // --- base data records ----------------------------------------------------------------

    bool typeInfo(uint64_t off, TypeInfo& t)
    {
        uint32_t nameOff = 0, semantic = 0;
        if (!baseWord(off, t.type, "typedef") || !baseWord(off + 4, t.cls, "typedef") ||
            !baseWord(off + 8, nameOff, "typedef") || !baseWord(off + 12, semantic, "typedef") ||
            !baseWord(off + 16, t.elements, "typedef"))
            return false;
        std::string ignored;
        if (!name(nameOff, false, t.name, "typedef name") || !name(semantic, false, ignored, "semantic"))
            return false;
        if (t.elements != 0) return fail("typedef at base " + Hex(off) + " is an array, which this tool never writes");
        switch (t.cls) {
        case kScalar:
        case kVector:
        case kMatrixRows:
        case kMatrixColumns: {
            uint32_t a = 0, b = 0;
            if (!baseWord(off + 20, a, "typedef") || !baseWord(off + 24, b, "typedef")) return false;
            t.rows = t.cls == kVector ? b : a;
            t.cols = t.cls == kVector ? a : b;
            if (t.type < kBool || t.type > kFloat)
                return fail("numeric typedef at base " + Hex(off) + " has type " + std::to_string(t.type));
            if (t.rows < 1 || t.rows > 4 || t.cols < 1 || t.cols > 4)
                return fail("typedef at base " + Hex(off) + " is " + std::to_string(t.rows) + "x" + std::to_string(t.cols));
            if (t.cls == kScalar && (t.rows != 1 || t.cols != 1))
                return fail("scalar typedef at base " + Hex(off) + " is not 1x1");
            if (t.cls == kVector && t.rows != 1) return fail("vector typedef at base " + Hex(off) + " has rows");
            return true;
        }
        case kObject:
            if (t.type < kString || t.type > kVertexShader)
                return fail("object typedef at base " + Hex(off) + " has type " + std::to_string(t.type));
            return true;
        default:
            return fail("typedef at base " + Hex(off) + " has class " + std::to_string(t.cls));
        }
    }

    // An object id named by a value: in the table, not the scratch slot, and owned once.
    bool objectId(uint64_t off)
    {
        uint32_t id = 0;
        if (!baseWord(off, id, "object id")) return false;
        if (id == 0) return fail("object id at base " + Hex(off) + " is the scratch slot 0");
        if (id >= objectCount_)
            return fail("object id " + std::to_string(id) + " at base " + Hex(off) + " is not below the object count " +
                        std::to_string(objectCount_));
        if (!owned_.emplace(id, true).second) return fail("object id " + std::to_string(id) + " has two owners");
        return true;
    }

    // A value interpreted through t. Sampler lists append their states to samplerStates.
    bool value(const TypeInfo& t, uint64_t off, std::vector<StateInfo>* samplerStates, FxCheckedParam* param)
    {
        if (t.cls != kObject) return baseSpan(off, uint64_t(4) * t.rows * t.cols, "value");
        if (IsIdObject(t.type)) return objectId(off);
        if (!IsSampler(t.type)) return fail("value of object type " + std::to_string(t.type));
        uint32_t count = 0;
        if (!baseWord(off, count, "sampler state count")) return false;
        if (!baseSpan(off + 4, uint64_t(count) * 16, "sampler state list")) return false;
        for (uint32_t i = 0; i < count; ++i) {
            StateInfo s;
            uint64_t at = off + 4 + uint64_t(i) * 16;
            uint32_t op = 0, index = 0, typeOff = 0, valueOff = 0;
            if (!baseWord(at, op, "sampler state") || !baseWord(at + 4, index, "sampler state") ||
                !baseWord(at + 8, typeOff, "sampler state") || !baseWord(at + 12, valueOff, "sampler state"))
                return false;
            if (!state(op, typeOff, valueOff, s)) return false;
            if (IsSampler(s.type)) return fail("sampler state list at base " + Hex(off) + " holds a sampler");
            if (samplerStates) samplerStates->push_back(s);
        }
        if (param) param->samplerStates = count;
        return true;
    }

    bool state(uint32_t op, uint32_t typeOff, uint32_t valueOff, StateInfo& s)
    {
        if (op >= kStateOps) return fail("state operation " + std::to_string(op) + " is past the table");
        TypeInfo t;
        if (!typeInfo(typeOff, t) || !value(t, valueOff, nullptr, nullptr)) return false;
        s.type = t.type;
        s.cls = t.cls;
        return true;
    }

    // --- the stream -----------------------------------------------------------------------

    bool header()
    {
        uint32_t tag = 0, start = 0;
        if (!fileWord(0, tag) || !fileWord(4, start)) return false;
        if (tag != kTag) return fail("tag " + Hex(tag));
        if (start % 4 != 0 || start > n_ - 8) return fail("stream start " + Hex(start) + " outside the file");
        if (start < 4) return fail("no room for the empty name at base 0");
        baseSize_ = start;
        pos_ = 8 + size_t(start);
        return true;
    }

    bool annotations(uint32_t count)
    {
        if (!plausible(count, 8, "annotation count")) return false;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t typeOff = 0, valueOff = 0;
            if (!next(typeOff, "annotation") || !next(valueOff, "annotation")) return false;
            TypeInfo t;
            if (!typeInfo(typeOff, t) || !value(t, valueOff, nullptr, nullptr)) return false;
            if (t.name.empty()) return fail("annotation without a name");
        }
        return true;
    }

    bool stream()
    {
        uint32_t params = 0, techniques = 0, ignored = 0;
        if (!next(params, "parameter count") || !next(techniques, "technique count") ||
            !next(ignored, "third header word") || !next(objectCount_, "object count"))
            return false;
        if (objectCount_ == 0) return fail("object count 0");
        if (!plausible(params, 16, "parameter count")) return false;
        for (uint32_t i = 0; i < params; ++i)
            if (!parameter()) return false;
        if (!plausible(techniques, 12, "technique count")) return false;
        for (uint32_t i = 0; i < techniques; ++i)
            if (!technique()) return false;
        return true;
    }

    bool parameter()
    {
        uint32_t typeOff = 0, valueOff = 0, flags = 0, count = 0;
        if (!next(typeOff, "parameter") || !next(valueOff, "parameter") || !next(flags, "parameter") ||
            !next(count, "parameter"))
            return false;
        TypeInfo t;
        FxCheckedParam p;
        samplerStates_.emplace_back();
        if (!typeInfo(typeOff, t)) return false;
        if (t.name.empty()) return fail("parameter " + std::to_string(out_.params.size()) + " has no name");
        p.name = t.name;
        p.type = t.type;
        p.cls = t.cls;
        if (!value(t, valueOff, &samplerStates_.back(), &p)) return false;
        if (flags > 2) return fail("parameter flags " + std::to_string(flags));
        out_.params.push_back(p);
        return annotations(count);
    }

    bool technique()
    {
        uint32_t nameOff = 0, count = 0, passes = 0;
        if (!next(nameOff, "technique") || !next(count, "technique") || !next(passes, "technique")) return false;
        FxCheckedTechnique t;
        if (!name(nameOff, true, t.name, "technique name") || !annotations(count)) return false;
        if (!plausible(passes, 12, "pass count")) return false;
        out_.techniques.push_back(t);
        passStates_.emplace_back();
        for (uint32_t p = 0; p < passes; ++p)
            if (!pass()) return false;
        return true;
    }

    bool pass()
    {
        uint32_t nameOff = 0, count = 0, states = 0;
        if (!next(nameOff, "pass") || !next(count, "pass") || !next(states, "pass")) return false;
        FxCheckedPass p;
        if (!name(nameOff, true, p.name, "pass name") || !annotations(count)) return false;
        if (!plausible(states, 16, "state count")) return false;
        p.stateCount = states;
        std::vector<StateInfo> infos;
        for (uint32_t i = 0; i < states; ++i) {
            uint32_t op = 0, index = 0, typeOff = 0, valueOff = 0;
            if (!next(op, "state") || !next(index, "state") || !next(typeOff, "state") || !next(valueOff, "state"))
                return false;
            StateInfo s;
            if (!state(op, typeOff, valueOff, s)) return false;
            infos.push_back(s);
        }
        out_.techniques.back().passes.push_back(p);
        passStates_.back().push_back(infos);
        return true;
    }

    // --- object data and resources --------------------------------------------------------

    // The data blob of size bytes at the cursor, padded to whole words.
    bool blob(uint32_t size, const uint8_t*& at)
    {
        uint64_t padded = (uint64_t(size) + 3) & ~uint64_t(3);
        if (padded > n_ - pos_) return fail("blob of " + std::to_string(size) + " bytes at " + Hex(pos_) + " runs past the end");
        at = d_ + pos_;
        pos_ += size_t(padded);
        return true;
    }

    bool sections()
    {
        uint32_t objects = 0, resources = 0;
        if (!next(objects, "object data count") || !next(resources, "resource count")) return false;
        if (!plausible(objects, 8, "object data count")) return false;
        for (uint32_t i = 0; i < objects; ++i) {
            uint32_t id = 0, size = 0;
            const uint8_t* at = nullptr;
            if (!next(id, "object data") || !next(size, "object data") || !blob(size, at)) return false;
            if (id == 0 || id >= objectCount_ || !owned_.count(id))
                return fail("object data for id " + std::to_string(id) + ", which nothing owns");
        }
        if (!plausible(resources, 24, "resource count")) return false;
        for (uint32_t i = 0; i < resources; ++i)
            if (!resource()) return false;
        if (pos_ != n_) return fail(std::to_string(n_ - pos_) + " bytes left over at " + Hex(pos_));
        return true;
    }

    bool resource()
    {
        uint32_t technique = 0, index = 0, element = 0, stateIndex = 0, usage = 0, size = 0;
        const uint8_t* data = nullptr;
        if (!next(technique, "resource") || !next(index, "resource") || !next(element, "resource") ||
            !next(stateIndex, "resource") || !next(usage, "resource") || !next(size, "resource") || !blob(size, data))
            return false;
        StateInfo* s = nullptr;
        FxCheckedPass* pass = nullptr;
        if (technique == kNoIndex) {
            if (index >= out_.params.size() || !IsSampler(out_.params[index].type))
                return fail("resource names parameter " + std::to_string(index) + ", which is no sampler");
            if (stateIndex >= samplerStates_[index].size())
                return fail("resource names state " + std::to_string(stateIndex) + " of sampler " + out_.params[index].name);
            s = &samplerStates_[index][stateIndex];
        } else {
            if (technique >= out_.techniques.size() || index >= out_.techniques[technique].passes.size())
                return fail("resource names pass " + std::to_string(index) + " of technique " + std::to_string(technique));
            if (stateIndex >= passStates_[technique][index].size())
                return fail("resource names state " + std::to_string(stateIndex) + " past its pass");
            s = &passStates_[technique][index][stateIndex];
            pass = &out_.techniques[technique].passes[index];
        }
        if (element != kNoIndex) return fail("resource element " + std::to_string(element) + " for a non-array");
        if (s->supplied) return fail("two resources for one state");
        s->supplied = true;
        if (usage == 1) return parameterName(data, size, technique == kNoIndex ? &out_.params[index] : nullptr);
        if (usage != 0) return fail("resource usage " + std::to_string(usage));
        if (!IsShader(s->type) || s->cls != kObject) return fail("bytecode for a state that is no shader");
        FxCheckedShader shader;
        if (!bytecode(data, size, s->type, shader)) return false;
        if (pass) pass->shaders.push_back(shader);
        return true;
    }

    bool parameterName(const uint8_t* data, uint32_t size, FxCheckedParam* sampler)
    {
        if (size == 0 || data[size - 1] != 0 || std::memchr(data, 0, size - 1))
            return fail("resource parameter name is not one NUL-terminated string");
        std::string text(reinterpret_cast<const char*>(data), size - 1);
        for (const FxCheckedParam& p : out_.params)
            if (p.name == text) {
                if (sampler) sampler->samplerTexture = text;
                return true;
            }
        return fail("resource names parameter '" + text + "', which does not exist");
    }

    // --- shader bytecode ------------------------------------------------------------------

    bool tableString(const uint8_t* t, uint32_t size, uint32_t off, bool optional, std::string* text)
    {
        if (optional && off == 0) return true;
        if (off >= size || !std::memchr(t + off, 0, size - off))
            return fail("constant table string at " + Hex(off) + " runs past the table");
        if (text) *text = reinterpret_cast<const char*>(t + off);
        return true;
    }

    bool constantTable(const uint8_t* t, uint32_t size, uint32_t version, FxCheckedShader& shader)
    {
        auto word = [&](uint32_t at) { uint32_t v; std::memcpy(&v, t + at, 4); return v; };
        auto half = [&](uint32_t at) { uint16_t v; std::memcpy(&v, t + at, 2); return uint32_t(v); };
        if (size < 28) return fail("constant table shorter than its header");
        if (word(0) != 28) return fail("constant table header size " + std::to_string(word(0)));
        if (word(8) != version) return fail("constant table version differs from the shader's");
        uint32_t count = word(12), info = word(16);
        if (info > size || uint64_t(count) * 20 > size - info) return fail("constant infos run past the table");
        if (!tableString(t, size, word(4), true, nullptr) || !tableString(t, size, word(24), true, nullptr)) return false;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t at = info + i * 20;
            FxCheckedConstant c;
            if (!tableString(t, size, word(at), false, &c.name)) return false;
            c.registerSet = half(at + 4);
            c.registerIndex = half(at + 6);
            c.registerCount = half(at + 8);
            uint32_t type = word(at + 12), defaults = word(at + 16);
            if (c.registerSet > 3) return fail("register set " + std::to_string(c.registerSet));
            if (c.registerCount == 0) return fail("constant '" + c.name + "' fills no register");
            // Float constants end at c255, samplers at s15; the device refuses the rest.
            uint32_t limit = c.registerSet == 3 ? 16 : 256;
            if (c.registerIndex + c.registerCount > limit)
                return fail("constant '" + c.name + "' runs past the last register");
            if (type > size || size - type < 16) return fail("type info of '" + c.name + "' runs past the table");
            if (defaults != 0) return fail("constant '" + c.name + "' has a default value");
            shader.constants.push_back(c);
        }
        return true;
    }

    bool bytecode(const uint8_t* data, uint32_t size, uint32_t stateType, FxCheckedShader& shader)
    {
        if (size % 4 != 0 || size < 8) return fail("shader of " + std::to_string(size) + " bytes");
        const uint32_t words = size / 4;
        auto word = [&](uint32_t i) { uint32_t v; std::memcpy(&v, data + 4 * i, 4); return v; };
        const uint32_t version = word(0);
        const uint32_t kind = version >> 16;
        if (kind != (stateType == kVertexShader ? 0xFFFEu : 0xFFFFu))
            return fail(std::string(stateType == kVertexShader ? "VertexShader" : "PixelShader") +
                        " state holds bytecode of version " + Hex(version));
        shader.version = version;
        const uint32_t major = (version >> 8) & 0xFF;
        int tables = 0;
        for (uint32_t i = 1; i < words;) {
            const uint32_t token = word(i);
            if (token == 0x0000FFFFu) {
                if (i + 1 != words) return fail("shader end token before the end of the bytecode");
                if (tables != 1) return fail("shader with " + std::to_string(tables) + " constant tables");
                return true;
            }
            if ((token & 0xFFFF) == 0xFFFE) {
                const uint32_t length = (token >> 16) & 0x7FFF;
                if (length > words - i - 1) return fail("shader comment runs past the bytecode");
                if (length >= 1 && word(i + 1) == kCtab) {
                    ++tables;
                    if (!constantTable(data + 4 * (i + 2), (length - 1) * 4, version, shader)) return false;
                }
                i += 1 + length;
                continue;
            }
            if (major >= 2) {
                const uint32_t length = (token >> 24) & 0xF;
                if (length > words - i - 1) return fail("shader instruction runs past the bytecode");
                i += 1 + length;
            } else {
                ++i; // 1.x instructions: their parameter tokens carry the top bit
                while (i < words && (word(i) & 0x80000000u)) ++i;
            }
        }
        return fail("shader without an end token");
    }

    // --- after the last record ------------------------------------------------------------

    bool complete()
    {
        for (size_t t = 0; t < passStates_.size(); ++t)
            for (size_t p = 0; p < passStates_[t].size(); ++p)
                for (const StateInfo& s : passStates_[t][p])
                    if (s.cls == kObject && IsShader(s.type) && !s.supplied)
                        return fail("a shader state of technique " + std::to_string(t) + " pass " +
                                    std::to_string(p) + " has no bytecode");
        for (size_t i = 0; i < samplerStates_.size(); ++i)
            for (const StateInfo& s : samplerStates_[i])
                if (s.cls == kObject && s.type >= kTexture && s.type <= kTextureCube && !s.supplied)
                    return fail("sampler " + out_.params[i].name + " has a texture state taken from nothing");
        return true;
    }

    const uint8_t* d_;
    size_t n_;
    FxCheckedEffect& out_;
    std::string error_;
    uint32_t baseSize_ = 0;    // bytes of base data (the stream start)
    size_t pos_ = 0;           // stream cursor, a file offset
    uint32_t objectCount_ = 0;
    std::map<uint32_t, bool> owned_;                          // object ids named so far
    std::vector<std::vector<StateInfo>> samplerStates_;       // per parameter (empty unless a sampler)
    std::vector<std::vector<std::vector<StateInfo>>> passStates_; // per technique, per pass
};

} // namespace

std::string CheckCompiledEffect(const uint8_t* data, size_t size, FxCheckedEffect& out)
{
    out = FxCheckedEffect();
    if (size < 8) return "file of " + std::to_string(size) + " bytes";
    return Checker(data, size, out).run();
}
