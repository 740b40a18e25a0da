// Random numbers of the transitions, drawn from this library's own generator (OXERand). Inline,
// so that the dissolve's loop of picks needs no call but the generator's.
#pragma once
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

// r (0..1) scaled to a..b: a + r * (b - a), truncated towards zero; a if a >= b.
// Where a, b and b - a are whole numbers single precision holds exactly (within 2^24), the sum
// is formed in single precision as it always was, so every picture made with such sizes stays
// as it was; the result lies in a..b there because both ends are exact. Wider ranges are formed
// in double precision, which holds them exactly: in single precision r = 1 could round
// b - a up and give b + 1.
inline int TransitionScale(float r, int a, int b)
{
    if (a >= b) return a;
    const long long exact = 1LL << 24;
    const long long range = (long long)b - a;
    if (a >= -exact && b <= exact && range <= exact) return int(float(a) + r * float(b - a));
    return int(double(a) + double(r) * double(range));
}

// a if a >= b (without drawing); otherwise a draw r scaled to a..b. Only r = 1 gives b itself,
// so b comes up about once in 10001 draws.
inline int TransitionRandomInt(int a, int b)
{
    if (a >= b) return a;
    return TransitionScale(TransitionRandomUnit(), a, b);
}
