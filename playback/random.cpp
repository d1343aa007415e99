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

int32_t RandomInRange(int32_t minimum, int32_t maximum) {
    /* The factors are single precision and their product is close to
     * 1/32,769, so r = 32,767 stays just below maximum + 1 and truncation
     * lands on maximum. The span is 64-bit so that the widest range cannot
     * overflow; bounds the wrong way round (a negative span) still give a
     * number between them. */
    int64_t span = (int64_t)maximum - (int64_t)minimum + 1;
    float scaled = (float)NextRandom() * 3.0516646f * 0.00001f * (float)span;
    int64_t offset = (int64_t)scaled;
    if (span > 0 && offset > span - 1)
        offset = span - 1;
    if (span < 0 && offset < span + 1)
        offset = span + 1;
    return (int32_t)(minimum + offset);
}
