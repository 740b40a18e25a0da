#include "TransitionRandom.h"
#include "OXERandom.h"

float TransitionRandomUnit()
{
    return float(OXERand() % 10001) * 0.0001f;
}

int TransitionRandomInt(int a, int b)
{
    if (a >= b) return a;
    const float r = TransitionRandomUnit();
    return int(float(a) + r * float(b - a));
}
