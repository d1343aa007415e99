/*
 * random.cpp: the program's pseudo-random generator. The C library's
 * rand() differs between platforms; typed random numbers must not.
 */
#include "playback/playback.h"

static uint32_t randomState = 1;

void SeedRandom(uint32_t seed) {
    randomState = seed;
}

int NextRandom(void) {
    randomState = randomState * 1103515245u + 12345u;
    return (int)((randomState / 65536u) % 32768u);
}
