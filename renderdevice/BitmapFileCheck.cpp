#include "BitmapFileCheck.h"
#include <cstdio>

namespace {

const size_t kFileHeader = 14;     // "BM", file size, reserved, offset of the pixel rows
const unsigned kCoreHeader = 12;   // the old header: 16-bit width and height
const unsigned kInfoHeader = 40;   // the smallest header with 32-bit sizes
const unsigned kLargestHeader = 124;
const size_t kHeadBytes = kFileHeader + kLargestHeader;
const unsigned kRgb = 0, kBitfields = 3; // compression: none, colour masks
const unsigned long long kMaskBytes = 12; // three colour masks after a 40-byte header
const unsigned long long kMaxColoursAbove8Bits = 256;

unsigned U16(const unsigned char* p) { return unsigned(p[0] | p[1] << 8); }
unsigned U32(const unsigned char* p) { return U16(p) | U16(p + 2) << 16; }

// a + b, or false when it would pass `limit`.
bool AddWithin(unsigned long long a, unsigned long long b, unsigned long long limit, unsigned long long& sum)
{
    if (a > limit || b > limit - a) return false;
    sum = a + b;
    return true;
}
// a x b, or false when it would pass `limit`.
bool MultiplyWithin(unsigned long long a, unsigned long long b, unsigned long long limit, unsigned long long& product)
{
    if (a != 0 && b > limit / a) return false;
    product = a * b;
    return product <= limit;
}

} // namespace

bool IsWholeBitmapData(const unsigned char* head, size_t headBytes, unsigned long long fileSize)
{
    if (!head || headBytes < kFileHeader + 4 || headBytes > fileSize) return false;
    if (head[0] != 'B' || head[1] != 'M') return false;
    const unsigned long long bitsOffset = U32(head + 10);
    const unsigned infoSize = U32(head + 14);
    const bool core = infoSize == kCoreHeader;
    if (!core && (infoSize < kInfoHeader || infoSize > kLargestHeader)) return false;
    if (headBytes < kFileHeader + infoSize) return false; // the header is cut short
    const unsigned char* info = head + kFileHeader;
    long long width, height;
    unsigned planes, bitCount, compression = kRgb, coloursUsed = 0;
    if (core) {
        width = U16(info + 4);
        height = U16(info + 6);
        planes = U16(info + 8);
        bitCount = U16(info + 10);
    } else {
        width = (int)U32(info + 4);
        height = (int)U32(info + 8);
        planes = U16(info + 12);
        bitCount = U16(info + 14);
        compression = U32(info + 16);
        coloursUsed = U32(info + 32);
    }
    if (height < 0) height = -height; // top-down rows (height was a 32-bit value: no overflow)
    if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide || planes != 1) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    if (compression != kRgb && !(compression == kBitfields && (bitCount == 16 || bitCount == 32))) return false;

    // The palette (and the colour masks of a 40-byte header) between the header and the rows.
    const unsigned long long paletteLimit = bitCount <= 8 ? 1ULL << bitCount : kMaxColoursAbove8Bits;
    if (coloursUsed > paletteLimit) return false;
    const unsigned long long colours = coloursUsed ? coloursUsed : (bitCount <= 8 ? paletteLimit : 0);
    const unsigned long long masks = compression == kBitfields && infoSize == kInfoHeader ? kMaskBytes : 0;
    const unsigned long long paletteEnd = kFileHeader + infoSize + masks + colours * (core ? 3 : 4);
    if (paletteEnd > bitsOffset || paletteEnd > fileSize) return false;

    // The rows: each padded to whole 4-byte words, all between their offset and the file's end.
    // The bounds above keep a row within 2^17 bytes; the size of all rows and their end are
    // checked against the file's size step by step.
    const unsigned long long rowPitch = ((unsigned long long)width * bitCount + 31) / 32 * 4;
    unsigned long long rows, end;
    return MultiplyWithin(rowPitch, (unsigned long long)height, fileSize, rows) &&
           AddWithin(bitsOffset, rows, fileSize, end);
}

bool IsWholeBitmapFile(const char* path)
{
    if (!path) return false;
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    unsigned char head[kHeadBytes];
    const size_t got = fread(head, 1, sizeof head, file);
    long size = -1;
    if (!ferror(file) && fseek(file, 0, SEEK_END) == 0) size = ftell(file);
    fclose(file);
    return size >= 0 && IsWholeBitmapData(head, got, (unsigned long long)size);
}
