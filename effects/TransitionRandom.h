// Random numbers of the transitions, drawn from this library's own generator (OXERand).
#pragma once

// A draw from 10001 values 0, 0.0001, ..., 1 (single precision): (OXERand() mod 10001) * 0.0001.
float TransitionRandomUnit();

// a if a >= b; otherwise a + r * (b - a), truncated towards zero, with r from TransitionRandomUnit.
// Only r = 1 gives b itself, so b comes up about once in 10001 draws.
int TransitionRandomInt(int a, int b);
