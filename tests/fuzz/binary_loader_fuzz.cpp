// libFuzzer target: any bytes as a binary recording.
#include "tests/fuzz/fuzz_loader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PrepareLoaderFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzOneLoad(data, size, ".mrl");
    return 0;
}
