#include "XFileCheck.h"
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const size_t kHeaderSize = 16;       // "xof ", version, format, float size
const size_t kMaxBlockOutput = 32768; // a compressed block inflates to at most this many bytes
const size_t kMaxFileBytes = 0x40000000; // files larger than this are not read at all

bool ReadWholeFile(const char* path, std::vector<unsigned char>& out)
{
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    std::vector<unsigned char> chunk(65536);
    size_t got;
    bool ok = true;
    out.clear();
    while (ok && (got = fread(chunk.data(), 1, chunk.size(), file)) > 0) {
        ok = out.size() + got <= kMaxFileBytes;
        if (ok) out.insert(out.end(), chunk.begin(), chunk.begin() + got);
    }
    ok = ok && !ferror(file);
    fclose(file);
    return ok;
}

unsigned ReadU16(const unsigned char* p) { return unsigned(p[0] | p[1] << 8); }
unsigned ReadU32(const unsigned char* p) { return ReadU16(p) | ReadU16(p + 2) << 16; }

// Counts the bytes one deflate stream inflates to, checking every code on the way, without
// keeping the output. `history` is the output of the file's earlier blocks, which back
// references may reach into. Returns false for a stream that is damaged, does not end inside
// its bytes or would inflate to more than `limit`.
class InflateCounter {
public:
    InflateCounter(const unsigned char* data, size_t size) : data_(data), size_(size) {}

    bool count(unsigned long long history, size_t limit, size_t& out)
    {
        out = 0;
        bool last = false;
        while (!last) {
            last = bits(1) == 1;
            const unsigned type = bits(2);
            bool ok = false;
            if (type == 0) ok = stored(limit, out);
            else if (type == 1) ok = fixedCodes() && codes(history, limit, out);
            else if (type == 2) ok = dynamicCodes() && codes(history, limit, out);
            if (!ok || failed_) return false;
        }
        return true;
    }

private:
    struct Huffman {
        short count[16];   // codes of each length
        short symbol[320]; // symbols ordered by code
    };

    unsigned bits(int n)
    {
        unsigned long long value = buffer_;
        while (held_ < n) {
            if (at_ >= size_) {
                failed_ = true;
                return 0;
            }
            value |= (unsigned long long)data_[at_++] << held_;
            held_ += 8;
        }
        buffer_ = value >> n;
        held_ -= n;
        return unsigned(value & ((1ULL << n) - 1));
    }

    bool stored(size_t limit, size_t& out)
    {
        buffer_ = 0; // to the next byte boundary
        held_ = 0;
        if (size_ - at_ < 4) return false;
        const unsigned length = data_[at_] | data_[at_ + 1] << 8;
        const unsigned check = data_[at_ + 2] | data_[at_ + 3] << 8;
        at_ += 4;
        if (length != (~check & 0xFFFF) || length > size_ - at_ || out + length > limit) return false;
        at_ += length;
        out += length;
        return true;
    }

    // Builds a canonical code from code lengths; false when the lengths over-subscribe it.
    static bool build(Huffman& h, const short* lengths, int n)
    {
        for (short& c : h.count) c = 0;
        for (int i = 0; i < n; ++i) h.count[lengths[i]]++;
        int left = 1;
        for (int len = 1; len < 16; ++len) {
            left <<= 1;
            left -= h.count[len];
            if (left < 0) return false;
        }
        short offsets[16];
        offsets[1] = 0;
        for (int len = 1; len < 15; ++len) offsets[len + 1] = short(offsets[len] + h.count[len]);
        for (int i = 0; i < n; ++i)
            if (lengths[i] != 0) h.symbol[offsets[lengths[i]]++] = short(i);
        return true;
    }

    int decode(const Huffman& h)
    {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            code |= int(bits(1));
            if (failed_) return -1;
            const int count = h.count[len];
            if (code - count < first) return h.symbol[index + (code - first)];
            index += count;
            first += count;
            first <<= 1;
            code <<= 1;
        }
        return -1; // a code the table does not hold
    }

    bool fixedCodes()
    {
        short lengths[320];
        int i = 0;
        for (; i < 144; ++i) lengths[i] = 8;
        for (; i < 256; ++i) lengths[i] = 9;
        for (; i < 280; ++i) lengths[i] = 7;
        for (; i < 288; ++i) lengths[i] = 8;
        build(literals_, lengths, 288);
        for (i = 0; i < 30; ++i) lengths[i] = 5;
        build(distances_, lengths, 30);
        return true;
    }

    bool dynamicCodes()
    {
        static const short order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        const int literalCount = int(bits(5)) + 257, distanceCount = int(bits(5)) + 1;
        const int lengthCodes = int(bits(4)) + 4;
        if (literalCount > 286 || distanceCount > 30 || failed_) return false;
        short lengths[320] = {};
        for (int i = 0; i < lengthCodes; ++i) lengths[order[i]] = short(bits(3));
        Huffman lengthCode;
        if (failed_ || !build(lengthCode, lengths, 19)) return false;
        int i = 0;
        while (i < literalCount + distanceCount) {
            int symbol = decode(lengthCode);
            if (symbol < 0) return false;
            if (symbol < 16) {
                lengths[i++] = short(symbol);
                continue;
            }
            short repeated = 0;
            int times;
            if (symbol == 16) {
                if (i == 0) return false;
                repeated = lengths[i - 1];
                times = 3 + int(bits(2));
            } else if (symbol == 17) {
                times = 3 + int(bits(3));
            } else {
                times = 11 + int(bits(7));
            }
            if (failed_ || i + times > literalCount + distanceCount) return false;
            while (times--) lengths[i++] = repeated;
        }
        if (lengths[256] == 0) return false; // no end-of-block code
        return build(literals_, lengths, literalCount) &&
               build(distances_, lengths + literalCount, distanceCount);
    }

    bool codes(unsigned long long history, size_t limit, size_t& out)
    {
        static const short lengthBase[29] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                                             35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const short lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                              3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const int distanceBase[30] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                                             193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097,
                                             6145, 8193, 12289, 16385, 24577};
        static const short distanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
                                                7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            const int symbol = decode(literals_);
            if (symbol < 0) return false;
            if (symbol == 256) return true;
            if (symbol < 256) {
                if (++out > limit) return false;
                continue;
            }
            const int l = symbol - 257;
            if (l >= 29) return false;
            const size_t length = size_t(lengthBase[l]) + bits(lengthExtra[l]);
            const int d = decode(distances_);
            if (d < 0 || d >= 30) return false;
            const unsigned long long distance = (unsigned long long)distanceBase[d] + bits(distanceExtra[d]);
            if (failed_ || distance > history + out || distance > 32768) return false;
            out += length;
            if (out > limit) return false;
        }
    }

    const unsigned char* data_;
    size_t size_;
    size_t at_ = 0;
    unsigned long long buffer_ = 0;
    int held_ = 0;
    bool failed_ = false;
    Huffman literals_ = {}, distances_ = {};
};

// The block table after the header: the inflated size (header included), then blocks of
// (inflated size, stored size, "CK", deflate data) that fill the file exactly, each inflating
// to the size it states.
bool IsSoundBlockTable(const unsigned char* data, size_t size)
{
    size_t at = kHeaderSize;
    if (size < at + 4) return false;
    const unsigned long long stated = ReadU32(&data[at]);
    at += 4;
    unsigned long long inflated = kHeaderSize;
    int blocks = 0;
    while (at < size) {
        if (size - at < 4) return false;
        const size_t blockOutput = ReadU16(&data[at]);
        const size_t stored = ReadU16(&data[at + 2]);
        at += 4;
        if (blockOutput == 0 || blockOutput > kMaxBlockOutput) return false;
        if (stored < 3 || stored > size - at) return false;
        if (data[at] != 'C' || data[at + 1] != 'K') return false;
        // The deflate data must inflate to exactly what the block says.
        InflateCounter counter(&data[at + 2], stored - 2);
        size_t produced = 0;
        if (!counter.count(inflated - kHeaderSize, blockOutput, produced) || produced != blockOutput)
            return false;
        at += stored;
        inflated += blockOutput;
        ++blocks;
    }
    return blocks > 0 && inflated == stated;
}

} // namespace

bool IsSoundXData(const unsigned char* data, size_t size)
{
    if (!data || size < kHeaderSize || memcmp(data, "xof ", 4) != 0) return true;
    const bool compressed = memcmp(data + 8, "tzip", 4) == 0 || memcmp(data + 8, "bzip", 4) == 0;
    return !compressed || IsSoundBlockTable(data, size);
}

bool IsSoundXFile(const char* path)
{
    if (!path) return false;
    std::vector<unsigned char> data;
    if (!ReadWholeFile(path, data)) return false;
    return IsSoundXData(data.data(), data.size());
}

bool IsRelativeTextureName(const char* name)
{
    if (!name || !name[0]) return false;
    if (name[0] == '\\' || name[0] == '/') return false; // from a root: "\x", "\\server\x", "//server"
    if (name[1] == ':') return false;                      // with a drive: "C:\x", "C:x"
    return true;
}
