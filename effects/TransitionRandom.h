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

// A run of this library's generator in a local variable: the same values OXERand would give,
// one after the other, without a call each. It takes the state over from OXERand and hands it
// back when it ends, so OXERand goes on with the value that follows the run's last. Nothing may
// call OXERand while a run lives.
class TransitionGeneratorRun {
public:
    TransitionGeneratorRun() : state_(OXERandState()) {}
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
    uint32_t state_; // the generator's state
};
