#include "ocrengine/InkImage.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

// The most common colour, found on a 5-bit-per-channel histogram and refined
// to the mean of the pixels in the winning bin.
std::array<int, 3> backgroundColour(const uint8_t* bgra, int w, int h, int64_t stride)
{
    std::vector<uint32_t> bins(1u << 15);
    for (int y = 0; y < h; ++y) {
        const uint8_t* p = bgra + stride * y;
        for (int x = 0; x < w; ++x, p += 4)
            ++bins[size_t((p[0] >> 3) | ((p[1] >> 3) << 5) | ((p[2] >> 3) << 10))];
    }
    const size_t best = size_t(std::max_element(bins.begin(), bins.end()) - bins.begin());
    std::array<uint64_t, 3> sum{};
    uint64_t n = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t* p = bgra + stride * y;
        for (int x = 0; x < w; ++x, p += 4)
            if (size_t((p[0] >> 3) | ((p[1] >> 3) << 5) | ((p[2] >> 3) << 10)) == best) {
                for (int c = 0; c < 3; ++c)
                    sum[size_t(c)] += p[c];
                ++n;
            }
    }
    return {int(sum[0] / n), int(sum[1] / n), int(sum[2] / n)};
}

}  // namespace

InkImage inkFromBgra(const uint8_t* bgra, int width, int height, int64_t stride)
{
    InkImage out;
    if (!bgra || width <= 0 || height <= 0)
        return out;
    out.width = width;
    out.height = height;
    out.ink.resize(size_t(width) * size_t(height));
    const std::array<int, 3> bg = backgroundColour(bgra, width, height, stride);
    for (int y = 0; y < height; ++y) {
        const uint8_t* p = bgra + stride * y;
        uint8_t* o = out.ink.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x, p += 4)
            o[x] = uint8_t(std::max({std::abs(p[0] - bg[0]), std::abs(p[1] - bg[1]), std::abs(p[2] - bg[2])}));
    }
    return out;
}
