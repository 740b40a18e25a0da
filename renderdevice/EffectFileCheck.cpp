#include "EffectFileCheck.h"
#include <windows.h>
#include <vector>

namespace {

const unsigned kEffectTag = 0xFEFF0901;
const unsigned kBase = 8;            // every offset counts from the byte after the two header words
const unsigned kStateOperations = 179;
const int kMaxTypeDepth = 8;         // nesting of struct members and of sampler state lists

enum { ClassScalar, ClassVector, ClassMatrixRows, ClassMatrixColumns, ClassObject, ClassStruct };
enum {
    TypeString = 4, TypeTexture = 5, TypeTextureCube = 9, TypeSampler = 10, TypeSamplerCube = 14,
    TypePixelShader = 15, TypeVertexShader = 16
};

// Reads the effect with every access checked against its size. Any failed read makes the
// whole effect unsound (ok becomes false and stays false).
class EffectReader {
public:
    EffectReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

    bool ok = true;

    // A DWORD at a base offset (records referenced by offset).
    unsigned at(unsigned long long offset)
    {
        const unsigned long long pos = kBase + offset;
        if (!ok || pos + 4 > size_) return fail();
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
    // Skips a blob of `size` bytes in the stream (padded to 4).
    void skipBlob(unsigned size)
    {
        cursor_ += ((unsigned long long)size + 3) / 4 * 4;
        if (kBase + cursor_ > size_) fail();
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
};

struct TypeInfo {
    unsigned type = 0, klass = 0, elements = 0;
    unsigned long long bytes = 0; // size of a numeric value (all elements)
};

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
    TypeInfo type(unsigned offset, bool named, int depth)
    {
        TypeInfo t;
        if (depth > kMaxTypeDepth) {
            r_.fail();
            return t;
        }
        t.type = r_.at(offset);
        t.klass = r_.at(offset + 4ULL);
        r_.name(r_.at(offset + 8ULL), named);
        r_.name(r_.at(offset + 12ULL), false);
        t.elements = r_.at(offset + 16ULL);
        if (t.elements > 0x10000) r_.fail();
        const unsigned long long count = t.elements ? t.elements : 1;
        switch (t.klass) {
        case ClassScalar:
        case ClassVector:
        case ClassMatrixRows:
        case ClassMatrixColumns: {
            const unsigned a = r_.at(offset + 20ULL), b = r_.at(offset + 24ULL);
            if (a > 4 || b > 4) r_.fail();
            t.bytes = 4ULL * a * b * count;
            break;
        }
        case ClassObject: break;
        case ClassStruct: {
            const unsigned members = r_.at(offset + 20ULL);
            if (members > 256) r_.fail();
            unsigned long long at = offset + 24ULL, one = 0;
            for (unsigned m = 0; m < members && r_.ok; ++m) {
                const unsigned long long before = at;
                TypeInfo member = type(unsigned(at), true, depth + 1);
                one += member.bytes;
                at = before + typeLength(unsigned(before), depth + 1);
            }
            t.bytes = one * count;
            break;
        }
        default: r_.fail();
        }
        if (t.bytes > 0x1000000) r_.fail();
        return t;
    }

    // The length in bytes of a type descriptor, members included.
    unsigned long long typeLength(unsigned offset, int depth)
    {
        if (depth > kMaxTypeDepth || !r_.ok) return 0;
        const unsigned klass = r_.at(offset + 4ULL);
        if (klass == ClassObject) return 20;
        if (klass != ClassStruct) return 28;
        const unsigned members = r_.at(offset + 20ULL);
        unsigned long long length = 24;
        for (unsigned m = 0; m < members && r_.ok && m <= 256; ++m)
            length += typeLength(unsigned(offset + length), depth + 1);
        return length;
    }

    static bool IsObjectWithId(unsigned type)
    {
        return type == TypeString || (type >= TypeTexture && type <= TypeTextureCube) ||
               type == TypePixelShader || type == TypeVertexShader;
    }
    static bool IsSampler(unsigned type) { return type >= TypeSampler && type <= TypeSamplerCube; }

    // The value of a type at a base offset. Returns the number of states of a sampler's list
    // (of its first element), 0 otherwise.
    unsigned value(const TypeInfo& t, unsigned offset, int depth)
    {
        const unsigned long long count = t.elements ? t.elements : 1;
        if (t.klass != ClassObject) {
            if (t.bytes > 0) r_.at(offset + t.bytes - 4);
            return 0;
        }
        if (IsObjectWithId(t.type)) {
            for (unsigned long long e = 0; e < count && r_.ok; ++e)
                if (r_.at(offset + 4 * e) >= objects_) r_.fail();
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
            if (states > 256) r_.fail();
            if (e == 0) first = states;
            at += 4;
            for (unsigned s = 0; s < states && r_.ok; ++s, at += 16)
                state(r_.at(at), r_.at(at + 8), r_.at(at + 12), depth + 1);
        }
        return first;
    }

    void state(unsigned operation, unsigned typeOffset, unsigned valueOffset, int depth)
    {
        if (operation >= kStateOperations || depth > kMaxTypeDepth) {
            r_.fail();
            return;
        }
        const TypeInfo t = type(typeOffset, false, 0);
        if (r_.ok) value(t, valueOffset, depth);
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
        std::vector<unsigned> passStates;
        for (unsigned p = 0; p < passes && r_.ok; ++p) {
            r_.name(r_.next(), true);
            const unsigned passAnnotations = r_.next();
            const unsigned states = r_.next();
            annotations(passAnnotations);
            if (!r_.fits(states, 16)) return;
            for (unsigned s = 0; s < states && r_.ok; ++s) {
                const unsigned operation = r_.next();
                r_.next(); // stage, sampler or register number
                const unsigned typeOffset = r_.next(), valueOffset = r_.next();
                state(operation, typeOffset, valueOffset, 0);
            }
            passStates.push_back(states);
        }
        techniquePassStates_.push_back(passStates);
    }

    // The object data and the resource records that end the stream.
    void objectData()
    {
        const unsigned entries = r_.next();
        const unsigned resources = r_.next();
        if (!r_.fits(entries, 8)) return;
        for (unsigned e = 0; e < entries && r_.ok; ++e) {
            if (r_.next() >= objects_) r_.fail();
            r_.skipBlob(r_.next());
        }
        if (!r_.fits(resources, 24)) return;
        for (unsigned i = 0; i < resources && r_.ok; ++i) {
            const unsigned techniqueIndex = r_.next(), index = r_.next(), element = r_.next();
            const unsigned stateIndex = r_.next(), usage = r_.next();
            if (usage > 2) r_.fail();
            if (techniqueIndex == 0xFFFFFFFF) {
                // A state of a sampler parameter's list.
                if (index >= samplerStates_.size() || samplerStates_[index].empty() ||
                    stateIndex >= samplerStates_[index][0] ||
                    (element != 0xFFFFFFFF && element >= parameterElements_[index]))
                    r_.fail();
            } else if (techniqueIndex >= techniquePassStates_.size() ||
                       index >= techniquePassStates_[techniqueIndex].size() ||
                       stateIndex >= techniquePassStates_[techniqueIndex][index]) {
                r_.fail();
            }
            r_.skipBlob(r_.next());
        }
    }

    EffectReader r_;
    size_t size_;
    unsigned objects_ = 0;
    std::vector<std::vector<unsigned>> samplerStates_;  // per parameter: states of a sampler's list
    std::vector<unsigned> parameterElements_;           // per parameter: its element count
    std::vector<std::vector<unsigned>> techniquePassStates_; // per technique, per pass: states
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
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    std::vector<unsigned char> data;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x10000000;
    if (ok) {
        data.resize(size_t(size.QuadPart));
        DWORD got = 0;
        ok = data.empty() || (ReadFile(file, data.data(), DWORD(data.size()), &got, nullptr) && got == data.size());
    }
    CloseHandle(file);
    return ok && IsSoundEffectData(data.data(), data.size());
}
