// A scratch folder per test for the tests that load and save real files.
#ifndef MIRLOW_TESTS_SCRATCH_FILES_H
#define MIRLOW_TESTS_SCRATCH_FILES_H

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "mirlow-XXXXXX").string();
        if (mkdtemp(&pattern[0]) != nullptr)
            folder_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The path of name inside the folder, with any folders it names made.
    std::string Path(const std::string& name) const {
        std::filesystem::path path = std::filesystem::path(folder_) / name;
        std::filesystem::create_directories(path.parent_path());
        return path.string();
    }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string path = Path(name);
        FILE* file = fopen(path.c_str(), "wb");
        if (file != nullptr) {
            fwrite(bytes.data(), 1, bytes.size(), file);
            fclose(file);
        }
        return path;
    }

    static std::string Read(const std::string& path) {
        std::string bytes;
        FILE* file = fopen(path.c_str(), "rb");
        if (file == nullptr)
            return bytes;
        char block[4096];
        size_t got;
        while ((got = fread(block, 1, sizeof block, file)) > 0)
            bytes.append(block, got);
        fclose(file);
        return bytes;
    }

  private:
    std::string folder_;
};

#endif
