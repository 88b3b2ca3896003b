#pragma once
// The preview of one recognised line: the OCR source image with the line's
// quadrilateral outlined, a 3 × 3 mark at the middle of its start edge, cut
// out around the line with a white margin.
#include <QColor>
#include <QImage>
#include <QString>
#include <array>
#include <optional>

constexpr int kPreviewMargin = 20;

// The eight integers x1,y1,...,x4,y4 of a pixel-corner cell, split strictly at
// "," (blanks stay in the fields); a field that is no integer gives -1. Empty
// unless there are exactly eight fields.
std::optional<std::array<int, 8>> previewCorners(const QString& pixelCorners);

// Outline corner 1-2-3-4-1 in lineColor (1 pixel), the mark with its corners
// at (cx-1, cy-1) and (cx+1, cy+1) around the middle of corner 1 to corner 4
// (red outline, its inner pixel in lineColor), then the bounding box of the
// corners widened by the margin; beyond the source the cut-out stays white.
// Empty when the cut-out would be unreasonably large (corners far off).
std::optional<QImage> cutOutPreview(const QImage& source, const std::array<int, 8>& corners, QColor lineColor);

// The same from the image file; empty when it cannot be read or the corners
// do not make eight fields.
std::optional<QImage> rowPreview(const QString& pngPath, const QString& pixelCorners, QColor lineColor);
