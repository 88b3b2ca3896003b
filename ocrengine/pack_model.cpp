// Build tool: packs traineddata files into the engine's model file.
// Usage: pack_model OUT KEY FILE...
#include "ocrengine/ModelFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUT KEY FILE...\n", argv[0]);
        return 2;
    }
    ModelFiles files;
    for (int i = 3; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        files.emplace_back(std::filesystem::path(argv[i]).filename().string(), std::move(data));
    }
    if (!writeModelFile(argv[1], argv[2], files)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
