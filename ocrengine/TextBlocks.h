#pragma once
#include "ocrengine/InkImage.h"

#include <vector>

// Groups of lettering found in an ink image: connected components of ink,
// rules and frames removed, joined when they lie within a fraction of a
// character of each other. A block is one line or a few parallel lines close
// together, in any orientation; the recogniser decides which.
struct TextBlock {
    int left = 0, top = 0, right = 0, bottom = 0;  // inclusive pixel bounds
    double charSize = 0;                           // typical extent of its characters
    std::vector<int> xs, ys;                       // its ink pixels
};

struct TextLayout {
    std::vector<int> blockOf;  // per pixel: block index, -1 background, -2 removed ink
    std::vector<TextBlock> blocks;  // top to bottom, then left to right
};

TextLayout findTextBlocks(const InkImage& image);
