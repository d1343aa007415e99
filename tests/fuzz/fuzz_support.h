// What every fuzz target shares: a broken rule aborts (so the fuzzer keeps
// the input), and a scratch folder of its own for the files it writes.
#ifndef MIRLOW_FUZZ_SUPPORT_H
#define MIRLOW_FUZZ_SUPPORT_H

#include <cstdio>
#include <cstdlib>
#include <string>

inline void Require(bool condition, const char* rule) {
    if (condition)
        return;
    fprintf(stderr, "broken rule: %s\n", rule);
    abort();
}

/* A new folder under TMPDIR (or /tmp), removed at exit by cleanUp. */
inline std::string MakeFuzzFolder(void (*cleanUp)(void)) {
    const char* temp = getenv("TMPDIR");
    std::string pattern = std::string(temp != nullptr ? temp : "/tmp") + "/mirlow-fuzz-XXXXXX";
    Require(mkdtemp(&pattern[0]) != nullptr, "a scratch folder is made");
    atexit(cleanUp);
    return pattern;
}

#endif
