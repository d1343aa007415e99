/*
 * playback.h: the playback engine.
 */
#ifndef MIRLOW_PLAYBACK_H
#define MIRLOW_PLAYBACK_H

#include <cstdint>

/* The program's own pseudo-random generator: the classic 15-bit linear
 * congruential formula, so the same seed gives the same numbers on every
 * platform and C library. */
void SeedRandom(uint32_t seed);
/* The next number, 0 to 32,767. */
int NextRandom(void);

#endif
