#pragma once
#include <cstdint>

// Geometry of the last crop: how pixels of the cut image map into the drawing.
// A pixel (px, py) is the drawing point (OriginX + px * Scale, OriginY - py * Scale).
struct CropGeometry {
    double Scale = 0;    // drawing units per image pixel
    double OriginX = 0;  // drawing coordinates of the image's upper-left pixel
    double OriginY = 0;
    int32_t WidthPx = 0;
    int32_t HeightPx = 0;
};
