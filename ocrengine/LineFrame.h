#pragma once
#include "ocrengine/InkImage.h"
#include "ocrengine/TextBlocks.h"

#include <array>
#include <cstdint>
#include <vector>

// An upright, enlarged view of one text block: text at angleDeg in the source
// (counter-clockwise on screen, y down) runs left to right in the view.
// View (u, v) maps to source origin + (u / scale) * dir + (v / scale) * down.
struct LineFrame {
    double angleDeg = 0;
    double scale = 1;
    double originX = 0, originY = 0;
    int width = 0, height = 0;  // view size in pixels
    double along = 0, across = 0;  // the block's extent in source pixels, without margins

    void toSource(double u, double v, double& x, double& y) const;
    // View rectangle (l, t, r, b) as source corners: top-left, top-right,
    // bottom-right, bottom-left of the text in its own direction.
    std::array<float, 8> sourceQuad(int l, int t, int r, int b) const;
};

// The frame around a block at the given angle with a margin of about half a
// character, scaled so that characters are about targetSize pixels.
LineFrame frameFor(const TextBlock& block, double angleDeg, double targetSize);

// The frame the line recogniser reads: ink pixels (xs, ys) of one line at
// angleDeg, scaled so that the view is viewHeight pixels high with the given
// margins (fractions of the ink's thickness) above, below and at both ends.
LineFrame lineInputFrame(const std::vector<int>& xs, const std::vector<int>& ys, double angleDeg, int viewHeight,
                         double marginAbove, double marginBelow, double marginEnds);

// Dark-on-light grey view of the block's own ink (other blocks' ink left out);
// a view smaller than its source averages several samples per pixel.
std::vector<uint8_t> renderView(const InkImage& ink, const TextLayout& layout, int blockIndex, const LineFrame& f);

// The angle near baseDeg (within ±range) at which the block's ink forms the
// sharpest row profile across that direction.
double sharpestAngle(const TextBlock& block, double baseDeg, double range);
