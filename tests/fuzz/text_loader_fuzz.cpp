// libFuzzer target: any bytes as a text script.
#include "tests/fuzz/fuzz_loader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PrepareLoaderFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzOneLoad(data, size, ".mrx");
    return 0;
}
