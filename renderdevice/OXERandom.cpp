#include "OXERandom.h"

// This deliverable's generator state.
static unsigned int g_randState = 1;

int OXERand()
{
    g_randState = g_randState * 214013u + 2531011u;
    return int((g_randState >> 16) & 0x7FFF);
}

void OXESeedRand(unsigned int seed)
{
    g_randState = seed;
}

unsigned int OXERandState()
{
    return g_randState;
}
