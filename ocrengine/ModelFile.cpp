#include "ocrengine/ModelFile.h"

#include "capture/OcrFiles.h"

#include <cstdint>
#include <cstring>
#include <fstream>

namespace {
constexpr size_t kKeyLength = 32;

template <typename T> void put(std::ofstream& out, T v) { out.write(reinterpret_cast<const char*>(&v), sizeof v); }
template <typename T> bool get(std::ifstream& in, T& v) { return bool(in.read(reinterpret_cast<char*>(&v), sizeof v)); }
}

bool writeModelFile(const std::string& path, const std::string& key, const ModelFiles& files)
{
    if (key.size() != kKeyLength)
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(OcrFiles::kModelMagic, std::strlen(OcrFiles::kModelMagic));
    out.write(key.data(), kKeyLength);
    put<uint32_t>(out, uint32_t(files.size()));
    for (const auto& [name, data] : files) {
        put<uint32_t>(out, uint32_t(name.size()));
        out.write(name.data(), std::streamsize(name.size()));
        put<uint64_t>(out, data.size());
        out.write(data.data(), std::streamsize(data.size()));
    }
    return bool(out);
}

bool readModelFile(const std::string& path, const std::string& key, ModelFiles& files)
{
    files.clear();
    std::ifstream in(path, std::ios::binary);
    const size_t magicLen = std::strlen(OcrFiles::kModelMagic);
    std::string head(magicLen + kKeyLength, '\0');
    if (!in.read(head.data(), std::streamsize(head.size())))
        return false;
    if (head.compare(0, magicLen, OcrFiles::kModelMagic) != 0 || head.compare(magicLen, kKeyLength, key) != 0
        || key.size() != kKeyLength)
        return false;
    uint32_t count = 0;
    if (!get(in, count) || count > 64)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameLen = 0;
        uint64_t size = 0;
        if (!get(in, nameLen) || nameLen > 4096)
            return false;
        std::string name(nameLen, '\0');
        if (!in.read(name.data(), nameLen) || !get(in, size) || size > (uint64_t(1) << 31))
            return false;
        std::vector<char> data(size);
        if (!in.read(data.data(), std::streamsize(size)))
            return false;
        files.emplace_back(std::move(name), std::move(data));
    }
    return true;
}
