// Random numbers of the transitions, drawn from this library's own generator (OXERand), and a
// run of that same generator in a local variable for the dissolve's long loops of picks.
#pragma once
#include <cstdint>
#include "OXERandom.h"

// The draw r for one value of the generator: (value mod 10001) * 0.0001 in single precision,
// one of the 10001 values 0, 0.0001, ..., 1 (10000 gives exactly 1).
inline float TransitionUnit(int value)
{
    return float(value % 10001) * 0.0001f;
}

// A draw r from the generator.
inline float TransitionRandomUnit()
{
    return TransitionUnit(OXERand());
}

// The largest range scaled in single precision.
constexpr int TransitionExactRange = 1 << 24;

// r (0..1) scaled to a..b: a + r * (b - a), truncated towards zero; a if a >= b.
// Where a, b and b - a are whole numbers single precision holds exactly (within 2^24), the sum
// is formed in single precision as it always was, so every picture made with such sizes stays
// as it was; the result lies in a..b there because both ends are exact. Wider ranges are formed
// in double precision, which holds them exactly: in single precision r = 1 could round
// b - a up and give b + 1.
inline int TransitionScale(float r, int a, int b)
{
    if (a >= b) return a;
    const long long exact = TransitionExactRange;
    const long long range = (long long)b - a;
    // Every picture size takes the first way: laid out as the straight path of the loops.
    if (__builtin_expect(a >= -exact && b <= exact && range <= exact, 1)) return int(float(a) + r * float(b - a));
    return int(double(a) + double(r) * double(range));
}

// TransitionScale(r, 0, b) for 1 <= b <= TransitionExactRange, given float(b): the same value
// (0 + r * b is r * b) without the checks, for loops that made them once.
inline int TransitionScaleFromZero(float r, float b)
{
    return int(r * b);
}

// a if a >= b (without drawing); otherwise a draw r scaled to a..b. Only r = 1 gives b itself,
// so b comes up about once in 10001 draws.
inline int TransitionRandomInt(int a, int b)
{
    if (a >= b) return a;
    return TransitionScale(TransitionRandomUnit(), a, b);
}

// The generator's rule: state = state * 214013 + 2531011 (mod 2^32), value = bits 16..30.
constexpr uint32_t GeneratorMultiplier = 214013u;
constexpr uint32_t GeneratorIncrement = 2531011u;

inline uint32_t GeneratorStep(uint32_t state)
{
    return state * GeneratorMultiplier + GeneratorIncrement;
}

inline int GeneratorValue(uint32_t state)
{
    return int((state >> 16) & 0x7FFF);
}

// The state the generator had before it gave v1, v2, v3 one after the other, in its low 31
// bits; bit 31 is 0. Bit 31 never reaches a value (the values are bits 16..30, and a step's low
// 31 bits come from the low 31 bits before it alone), and three values fix the low 31 bits for
// every state. v1 gives bits 16..30 of the state s1 after the first step; its low 16 bits L
// follow from v2: s2 = (K + A * L) mod 2^31 with K the part v1 fixes, and since A > 2^16 each
// of the eight turns of A * L round 2^31 meets the 2^16 states of v2 in at most one L. v3
// tells the candidates apart.
inline uint32_t GeneratorStateBefore(int v1, int v2, int v3)
{
    const uint64_t a = GeneratorMultiplier, turn = 1ull << 31, low31 = turn - 1;
    const uint64_t k = (a * (uint64_t(v1) << 16) + GeneratorIncrement) & low31;
    uint32_t s1 = uint32_t(v1) << 16;
    for (uint64_t w = 0; w < 8; ++w) {
        // K + A * L must lie in [lo, lo + 0xFFFF] for some L in 0..0xFFFF.
        const uint64_t lo = w * turn + (uint64_t(v2) << 16);
        if (lo + 0xFFFF < k) continue;
        const uint64_t l = lo <= k ? 0 : (lo - k + a - 1) / a;
        if (l > 0xFFFF) break;
        if (k + a * l > lo + 0xFFFF) continue;
        const uint32_t candidate = (uint32_t(v1) << 16) | uint32_t(l);
        if (GeneratorValue(GeneratorStep(GeneratorStep(candidate))) == v3) {
            s1 = candidate;
            break;
        }
    }
    // One step back: the multiplier is odd, so it has an inverse modulo 2^32 (Newton's method).
    uint32_t inverse = GeneratorMultiplier;
    for (int i = 0; i < 5; ++i) inverse *= 2u - GeneratorMultiplier * inverse;
    return ((s1 - GeneratorIncrement) * inverse) & 0x7FFFFFFFu;
}

// A run of this library's generator in a local variable: the same values OXERand would give,
// one after the other, without a call each. It takes the state over from OXERand (three values
// read and the state set back to before them) and hands it back when it ends, so OXERand goes
// on with the value that follows the run's last. Nothing may call OXERand while a run lives.
class TransitionGeneratorRun {
public:
    TransitionGeneratorRun()
    {
        const int v1 = OXERand(), v2 = OXERand(), v3 = OXERand();
        state_ = GeneratorStateBefore(v1, v2, v3);
    }
    ~TransitionGeneratorRun() { OXESeedRand(state_); }
    TransitionGeneratorRun(const TransitionGeneratorRun&) = delete;
    TransitionGeneratorRun& operator=(const TransitionGeneratorRun&) = delete;

    int next()
    {
        state_ = GeneratorStep(state_);
        return GeneratorValue(state_);
    }
    // As TransitionRandomInt(a, b): a for a >= b without a draw.
    int randomInt(int a, int b) { return a >= b ? a : TransitionScale(TransitionUnit(next()), a, b); }

private:
    uint32_t state_; // the generator's state (low 31 bits; see GeneratorStateBefore)
};
