// Shared helpers of the fuzz targets: a private scratch folder the readers find their files in,
// and writing one input there under the name a reader opens.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

// The scratch folder of this process; empty before EnterScratchFolder.
inline std::filesystem::path& ScratchFolder() {
    static std::filesystem::path folder;
    return folder;
}

// Makes a fresh folder (in memory-backed /dev/shm when there is one, so the many small writes
// cost little), enters it and removes it again when the process exits normally. Standard
// output goes to /dev/null: some readers print progress lines the fuzzer does not need.
inline void EnterScratchFolder() {
    const char* base = std::filesystem::is_directory("/dev/shm") && access("/dev/shm", W_OK) == 0
                           ? "/dev/shm"
                           : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    std::string pattern = std::string(base) + "/vantor-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    ScratchFolder() = pattern;
    std::filesystem::current_path(ScratchFolder());
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
}

// Replaces the file at path (relative to the current folder) with the bytes.
inline void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    if (std::fclose(file) != 0) std::abort();
}

// Stops the run with a message when a property of a reader does not hold; libFuzzer keeps the
// input that caused it.
inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz property failed: %s\n", what);
    std::abort();
}

}  // namespace fuzz
