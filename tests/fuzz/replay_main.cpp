// Replays saved fuzz inputs through a fuzz target without libFuzzer, so the
// ordinary test run (g++, sanitizers) covers every seed and every input
// that once broke a loader. Arguments: files or folders of inputs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static void Replay(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(stream)),
                            std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (int i = 1; i < argc; i++) {
        std::filesystem::path path = argv[i];
        if (!std::filesystem::is_directory(path)) {
            Replay(path);
            replayed++;
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
                Replay(entry.path());
                replayed++;
            }
        }
    }
    printf("replayed %d inputs\n", replayed);
    return 0;
}
