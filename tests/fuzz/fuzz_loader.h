// What the two loader fuzz targets share: each input is written to a file
// with the target's extension and loaded with reporting on; whatever the
// bytes, the load must end cleanly or with exactly one of its documented
// messages, and leave the recording consistent. A broken rule aborts, so
// the fuzzer keeps the input.
#ifndef MIRLOW_FUZZ_LOADER_H
#define MIRLOW_FUZZ_LOADER_H

#include <cstddef>
#include <cstdint>

/* Once per process: a fresh simulated desktop and the recording's buffers. */
void PrepareLoaderFuzzing(void);

/* Loads data as a file named with the extension (".mrx" or ".mrl") and
 * checks the outcome. */
void FuzzOneLoad(const uint8_t* data, size_t size, const char* extension);

#endif
