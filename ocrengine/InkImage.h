#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// How strongly each pixel differs from the image's background colour, 0 (pure
// background) to 255. Light-on-dark, dark-on-light and coloured lettering all
// become the same ink picture, so nothing downstream cares about polarity.
struct InkImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> ink;  // row-major, width * height

    uint8_t at(int x, int y) const { return ink[size_t(y) * size_t(width) + size_t(x)]; }
};

// bgra: 4 bytes per pixel (blue, green, red, unused), rows stride bytes apart.
InkImage inkFromBgra(const uint8_t* bgra, int width, int height, int64_t stride);
