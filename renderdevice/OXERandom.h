/// @file
/// The random generator of one deliverable. The C runtime's rand() is shared by every module of
/// the process under msvcrt, so each deliverable links its own copy of this generator (it lives
/// in the static render device library): the same linear congruential rule as the C library's,
/// state starting at 1 and never seeded by the system.
#pragma once

/// Next value in 0..32767: state = state * 214013 + 2531011, result (state >> 16) & 0x7FFF.
/// Note: it is this program's generator only; the DLLs keep their own (seeding this one does
/// not touch theirs).
int OXERand();
/// Sets the state, as srand() would (tests use it to restart a sequence).
void OXESeedRand(unsigned int seed);
/// The state itself, for a loop that runs the same rule in a local variable and hands the state
/// back with OXESeedRand when it ends.
unsigned int OXERandState();

#define OXE_RAND_MAX 0x7FFF ///< the largest value OXERand returns
