// Brevane - writes the program's own bank of initial voices ("DXInit.dat") at build time.
//
// Usage: make_dxinit <output path>
#include "banklib/InitVoice.h"
#include "platform/FileIO.h"

#include <cstdio>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output path>\n", argv[0]);
        return 2;
    }
    const std::vector<std::uint8_t> bank = banklib::InitBank();
    std::string reason;
    if (platform::writeFileAtomic(argv[1], bank, &reason) != platform::FileError::None) {
        std::fprintf(stderr, "%s: %s\n", argv[1], reason.c_str());
        return 1;
    }
    return 0;
}
