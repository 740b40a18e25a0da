#include "EffectFileCheck.h"
#include "ShaderCodeCheck.h"
#include <cstdio>
#include <vector>

namespace {

const unsigned kEffectTag = 0xFEFF0901;
const unsigned kBase = 8; // every offset counts from the byte after the two header words

// Operations in D3DX's table of states. D3DX refuses a larger one itself, but only after it
// has read the state's type and value.
const unsigned kStateOperations = 179;
// Nesting of struct members inside struct members, and of sampler state lists inside lists.
const int kMaxTypeDepth = 8;
// Counts and sizes far beyond any real effect, which keep every loop over one count and every
// value short whatever the file claims:
const unsigned kMaxStructMembers = 256;              // members of one struct type
const unsigned kMaxSamplerStates = 256;              // states in one sampler's state list
const unsigned kMaxArrayElements = 0x10000;          // elements of one array type
const unsigned long long kMaxValueBytes = 0x1000000; // one numeric value, all elements: 16 MiB

// The work allowed for a whole file, counted in words read (see the header): a floor for small
// files and a few words per byte of the file.
const unsigned long long kWorkFloor = 65536;
const unsigned long long kWorkPerFileByte = 16;
// D3DX copies a numeric value each time it is reached: one unit of work per this many bytes.
const unsigned long long kValueBytesPerWork = 64;
// Files larger than this are not read at all.
const size_t kMaxFileBytes = 0x10000000;

enum { ClassScalar, ClassVector, ClassMatrixRows, ClassMatrixColumns, ClassObject, ClassStruct };
enum {
    TypeString = 4, TypeTexture = 5, TypeTextureCube = 9, TypeSampler = 10, TypeSamplerCube = 14,
    TypePixelShader = 15, TypeVertexShader = 16
};
const unsigned kNoType = ~0u;
const unsigned kSamplerStatesTechnique = 0xFFFFFFFF; // resource records of a sampler's list

// Reads the effect with every access checked against its size and counted against the work
// allowed. Any failed read makes the whole effect unsound (ok becomes false and stays false).
class EffectReader {
public:
    EffectReader(const unsigned char* data, size_t size)
        : data_(data), size_(size), workLeft_(kWorkFloor + kWorkPerFileByte * size)
    {
    }

    bool ok = true;

    // Counts `units` of work; false (and the effect unsound) once the allowance is used up.
    bool charge(unsigned long long units)
    {
        if (units > workLeft_) {
            workLeft_ = 0;
            fail();
        } else {
            workLeft_ -= units;
        }
        return ok;
    }
    // A DWORD at a base offset (records referenced by offset).
    unsigned at(unsigned long long offset)
    {
        const unsigned long long pos = kBase + offset;
        if (!charge(1) || pos + 4 > size_) return fail();
        return unsigned(data_[pos] | data_[pos + 1] << 8 | data_[pos + 2] << 16) |
               unsigned(data_[pos + 3]) << 24;
    }
    // The structure stream, read in order from a base offset.
    void seek(unsigned long long offset) { cursor_ = offset; }
    unsigned next()
    {
        const unsigned v = at(cursor_);
        cursor_ += 4;
        return v;
    }
    // A blob of `size` bytes in the stream (padded to 4): its first byte, or null when it does
    // not lie inside the file.
    const unsigned char* blob(unsigned size)
    {
        const unsigned long long start = kBase + cursor_;
        cursor_ += ((unsigned long long)size + 3) / 4 * 4;
        if (!ok || kBase + cursor_ > size_) {
            fail();
            return nullptr;
        }
        return data_ + start;
    }
    // `count` records of at least `bytes` each must still fit in the file.
    bool fits(unsigned count, unsigned bytes)
    {
        if (!ok || kBase + cursor_ + (unsigned long long)count * bytes > size_) return fail() != 0;
        return true;
    }
    // A name record: length (NUL included) and text, inside the file and NUL-terminated.
    // mustHaveText: names D3DX compares with strcmp may not be empty.
    void name(unsigned offset, bool mustHaveText)
    {
        const unsigned length = at(offset);
        if (!ok) return;
        if (length == 0) {
            if (mustHaveText) fail();
            return;
        }
        const unsigned long long end = kBase + (unsigned long long)offset + 4 + length;
        if (end > size_ || data_[end - 1] != 0) fail();
    }
    unsigned fail()
    {
        ok = false;
        return 0;
    }

private:
    const unsigned char* data_;
    size_t size_;
    unsigned long long cursor_ = 0;
    unsigned long long workLeft_; // words that may still be read
};

struct TypeInfo {
    unsigned type = 0, klass = 0, elements = 0;
    unsigned long long bytes = 0;  // size of a numeric value (all elements)
    unsigned long long length = 0; // length of the type descriptor, members included
};

bool IsObjectWithId(unsigned type)
{
    return type == TypeString || (type >= TypeTexture && type <= TypeTextureCube) ||
           type == TypePixelShader || type == TypeVertexShader;
}
bool IsSampler(unsigned type) { return type >= TypeSampler && type <= TypeSamplerCube; }
bool IsShader(unsigned type) { return type == TypePixelShader || type == TypeVertexShader; }

class EffectWalker {
public:
    EffectWalker(const unsigned char* data, size_t size) : r_(data, size), size_(size) {}

    bool run(unsigned start)
    {
        r_.seek(start);
        const unsigned parameters = r_.next();
        const unsigned techniques = r_.next();
        r_.next(); // ignored word
        objects_ = r_.next();
        // Every object id is named by a value of at least four bytes somewhere in the file.
        if (objects_ > size_ / 4 + 1) r_.fail();
        if (!r_.fits(parameters, 16)) return false;
        objectTypes_.assign(objects_, kNoType);
        samplerStates_.assign(parameters, std::vector<unsigned>());
        parameterElements_.assign(parameters, 0);
        for (unsigned p = 0; p < parameters && r_.ok; ++p) parameter(p);
        if (!r_.fits(techniques, 12)) return false;
        for (unsigned t = 0; t < techniques && r_.ok; ++t) technique();
        objectData();
        return r_.ok;
    }

private:
    // A type descriptor; names of parameters and annotations must not be empty.
    TypeInfo type(unsigned long long offset, bool named, int depth)
    {
        TypeInfo t;
        if (depth > kMaxTypeDepth) {
            r_.fail();
            return t;
        }
        t.type = r_.at(offset);
        t.klass = r_.at(offset + 4);
        r_.name(r_.at(offset + 8), named);
        r_.name(r_.at(offset + 12), false);
        t.elements = r_.at(offset + 16);
        if (t.elements > kMaxArrayElements) r_.fail();
        const unsigned long long count = t.elements ? t.elements : 1;
        switch (t.klass) {
        case ClassScalar:
        case ClassVector:
        case ClassMatrixRows:
        case ClassMatrixColumns: {
            const unsigned a = r_.at(offset + 20), b = r_.at(offset + 24);
            if (a > 4 || b > 4) r_.fail();
            t.bytes = 4ULL * a * b * count;
            t.length = 28;
            break;
        }
        case ClassObject: t.length = 20; break;
        case ClassStruct: {
            const unsigned members = r_.at(offset + 20);
            if (members > kMaxStructMembers) r_.fail();
            unsigned long long one = 0;
            t.length = 24;
            for (unsigned m = 0; m < members && r_.ok; ++m) {
                const TypeInfo member = type(offset + t.length, true, depth + 1);
                one += member.bytes;
                t.length += member.length;
            }
            t.bytes = one * count;
            break;
        }
        default: r_.fail();
        }
        if (t.bytes > kMaxValueBytes) r_.fail();
        return t;
    }

    // The value of a type at a base offset. Returns the number of states of a sampler's list
    // (of its first element), 0 otherwise.
    unsigned value(const TypeInfo& t, unsigned offset, int depth)
    {
        const unsigned long long count = t.elements ? t.elements : 1;
        if (t.klass != ClassObject) {
            if (t.bytes > 0 && r_.charge(t.bytes / kValueBytesPerWork)) r_.at(offset + t.bytes - 4);
            return 0;
        }
        if (IsObjectWithId(t.type)) {
            for (unsigned long long e = 0; e < count && r_.ok; ++e) {
                const unsigned id = r_.at(offset + 4 * e);
                if (id >= objects_) r_.fail();
                else objectTypes_[id] = t.type;
            }
            return 0;
        }
        if (!IsSampler(t.type)) {
            r_.fail();
            return 0;
        }
        // A sampler state list per element: count, then states of four DWORDs.
        unsigned long long at = offset;
        unsigned first = 0;
        for (unsigned long long e = 0; e < count && r_.ok; ++e) {
            const unsigned states = r_.at(at);
            if (states > kMaxSamplerStates) r_.fail();
            if (e == 0) first = states;
            at += 4;
            for (unsigned s = 0; s < states && r_.ok; ++s, at += 16)
                state(r_.at(at), r_.at(at + 8), r_.at(at + 12), depth + 1);
        }
        return first;
    }

    // One state: its operation, type and value. Returns the state's type.
    unsigned state(unsigned operation, unsigned typeOffset, unsigned valueOffset, int depth)
    {
        if (operation >= kStateOperations || depth > kMaxTypeDepth) {
            r_.fail();
            return kNoType;
        }
        const TypeInfo t = type(typeOffset, false, 0);
        if (r_.ok) value(t, valueOffset, depth);
        return t.type;
    }

    void annotations(unsigned count)
    {
        if (!r_.fits(count, 8)) return;
        for (unsigned a = 0; a < count && r_.ok; ++a) {
            const unsigned typeOffset = r_.next(), valueOffset = r_.next();
            const TypeInfo t = type(typeOffset, true, 0);
            if (r_.ok) value(t, valueOffset, 0);
        }
    }

    void parameter(unsigned index)
    {
        const unsigned typeOffset = r_.next(), valueOffset = r_.next();
        r_.next(); // flags
        const TypeInfo t = type(typeOffset, true, 0);
        if (!r_.ok) return;
        const unsigned states = value(t, valueOffset, 0);
        if (IsSampler(t.type)) samplerStates_[index].assign(1, states);
        parameterElements_[index] = t.elements;
        annotations(r_.next());
    }

    void technique()
    {
        r_.name(r_.next(), true);
        const unsigned annotationCount = r_.next();
        const unsigned passes = r_.next();
        annotations(annotationCount);
        if (!r_.fits(passes, 12)) return;
        std::vector<std::vector<unsigned>> passStateTypes;
        for (unsigned p = 0; p < passes && r_.ok; ++p) {
            r_.name(r_.next(), true);
            const unsigned passAnnotations = r_.next();
            const unsigned states = r_.next();
            annotations(passAnnotations);
            if (!r_.fits(states, 16)) return;
            std::vector<unsigned> types;
            for (unsigned s = 0; s < states && r_.ok; ++s) {
                const unsigned operation = r_.next();
                r_.next(); // stage, sampler or register number
                const unsigned typeOffset = r_.next(), valueOffset = r_.next();
                types.push_back(state(operation, typeOffset, valueOffset, 0));
            }
            passStateTypes.push_back(types);
        }
        techniqueStateTypes_.push_back(passStateTypes);
    }

    // The bytes D3DX makes an object of: shader code must be whole code of its kind with whole
    // constant tables, a string or a parameter name must end inside its bytes.
    void objectBytes(unsigned type, const unsigned char* bytes, unsigned size)
    {
        if (!bytes || !r_.charge(size / 4)) return;
        if (IsShader(type)) {
            const uint32_t kind = type == TypeVertexShader ? kVertexShaderCodeKind : kPixelShaderCodeKind;
            if (!ConstantTablesFit(bytes, size, kind)) r_.fail();
        } else if (type == TypeString) {
            bool terminated = false;
            for (unsigned i = 0; i < size && !terminated; ++i) terminated = bytes[i] == 0;
            if (!terminated) r_.fail();
        }
    }

    // The object data and the resource records that end the stream.
    void objectData()
    {
        const unsigned entries = r_.next();
        const unsigned resources = r_.next();
        if (!r_.fits(entries, 8)) return;
        for (unsigned e = 0; e < entries && r_.ok; ++e) {
            const unsigned id = r_.next();
            const unsigned size = r_.next();
            if (id >= objects_) r_.fail();
            const unsigned char* bytes = r_.blob(size);
            if (r_.ok) objectBytes(objectTypes_[id], bytes, size);
        }
        if (!r_.fits(resources, 24)) return;
        for (unsigned i = 0; i < resources && r_.ok; ++i) {
            const unsigned techniqueIndex = r_.next(), index = r_.next(), element = r_.next();
            const unsigned stateIndex = r_.next(), usage = r_.next();
            const unsigned size = r_.next();
            if (usage > 2) r_.fail();
            unsigned stateType = kNoType;
            if (techniqueIndex == kSamplerStatesTechnique) {
                // A state of a sampler parameter's list.
                if (index >= samplerStates_.size() || samplerStates_[index].empty() ||
                    stateIndex >= samplerStates_[index][0] ||
                    (element != 0xFFFFFFFF && element >= parameterElements_[index]))
                    r_.fail();
            } else if (techniqueIndex >= techniqueStateTypes_.size() ||
                       index >= techniqueStateTypes_[techniqueIndex].size() ||
                       stateIndex >= techniqueStateTypes_[techniqueIndex][index].size()) {
                r_.fail();
            } else {
                stateType = techniqueStateTypes_[techniqueIndex][index][stateIndex];
            }
            const unsigned char* bytes = r_.blob(size);
            if (!r_.ok) return;
            // Usage 0 of a shader state: its code. Usage 1: the name of the parameter it takes
            // its value from.
            if (usage == 0 && IsShader(stateType)) objectBytes(stateType, bytes, size);
            else if (usage == 1) objectBytes(TypeString, bytes, size);
        }
    }

    EffectReader r_;
    size_t size_;
    unsigned objects_ = 0;
    std::vector<unsigned> objectTypes_;                 // per object id: the type that named it
    std::vector<std::vector<unsigned>> samplerStates_;  // per parameter: states of a sampler's list
    std::vector<unsigned> parameterElements_;           // per parameter: its element count
    std::vector<std::vector<std::vector<unsigned>>> techniqueStateTypes_; // per technique, pass, state: its type
};

} // namespace

bool IsSoundEffectData(const unsigned char* data, size_t size)
{
    if (!data || size < 4) return true; // not compiled: left to the compiler
    const unsigned tag = unsigned(data[0] | data[1] << 8 | data[2] << 16) | unsigned(data[3]) << 24;
    if (tag != kEffectTag) return true;
    if (size < kBase) return false;
    const unsigned start = unsigned(data[4] | data[5] << 8 | data[6] << 16) | unsigned(data[7]) << 24;
    EffectWalker walker(data, size);
    return walker.run(start);
}

bool IsSoundEffectFile(const char* path)
{
    if (!path) return false;
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    // Read to the end, refusing files past the size limit.
    std::vector<unsigned char> data, chunk(65536);
    size_t got;
    bool ok = true;
    while (ok && (got = fread(chunk.data(), 1, chunk.size(), file)) > 0) {
        ok = data.size() + got <= kMaxFileBytes;
        if (ok) data.insert(data.end(), chunk.begin(), chunk.begin() + got);
    }
    ok = ok && !ferror(file);
    fclose(file);
    return ok && IsSoundEffectData(data.data(), data.size());
}
