// Brevane - the seed corpus of a fuzz target, made by the target itself.
//
// A target lists its seeds in a function and names it with BREVANE_FUZZ_SEEDS(function).
// Started with the environment variable BREVANE_FUZZ_WRITE_SEEDS set to a folder, the
// target writes each seed there as a file ("seed-1", "seed-2", ...) and exits (status 0,
// or 1 when a file cannot be written); otherwise it fuzzes as usual. The smoke run of the
// tests makes every target's corpus this way. A target that uses this defines no
// LLVMFuzzerInitialize of its own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzzseeds {

using Seed = std::vector<std::uint8_t>;

inline Seed seedOf(const std::string& text) { return Seed(text.begin(), text.end()); }

inline int writeSeedsIfAsked(std::vector<Seed> (*seeds)())
{
    const char* folder = std::getenv("BREVANE_FUZZ_WRITE_SEEDS");
    if (folder == nullptr || *folder == '\0')
        return 0;
    int n = 0;
    for (const Seed& seed : seeds()) {
        const std::string path = std::string(folder) + "/seed-" + std::to_string(++n);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        const bool ok = f != nullptr && std::fwrite(seed.data(), 1, seed.size(), f) == seed.size();
        if (f == nullptr || std::fclose(f) != 0 || !ok) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
    std::printf("%d seeds written to %s\n", n, folder);
    std::exit(0);
}

}  // namespace fuzzseeds

#define BREVANE_FUZZ_SEEDS(seedFunction)                                                                      \
    extern "C" int LLVMFuzzerInitialize(int*, char***) { return fuzzseeds::writeSeedsIfAsked(&seedFunction); }
