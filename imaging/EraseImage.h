#pragma once
// The pieces of the text-erased images: the corner tail of a result line, the
// quadrilateral fill, the strike-through line and the size limit of a filled image.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <array>
#include <optional>

using Quad = std::array<QPoint, 4>;  // corners 1..4 of a recognised line, in pixels

// The four corners at the end of a result line "...: (x1,y1),(x2,y2),(x3,y3),(x4,y4)".
// The tail starts at the fourth "(" from the end, so brackets in the recognised
// text do no harm. Empty when the line has fewer than four "(" or the tail does
// not hold exactly eight comma-separated fields; a field that is not an integer is 0.
std::optional<Quad> parseCornerTail(const QString& line);

// Whether the centre of pixel (x, y) lies inside the quadrilateral by the
// non-zero winding rule, in exact integer arithmetic. A centre on an edge
// belongs to the pixels right of and below the edge, so quadrilaterals that
// share an edge never share a pixel.
bool quadContainsPixel(const Quad& q, int x, int y);

// Paints exactly the pixels of the image for which quadContainsPixel holds,
// row by row from the edge crossings; never a pixel outside the image.
void fillQuad(QImage& image, const Quad& q, const QColor& colour);

// The plain way to the same pixels: every pixel of the bounding rectangle
// (clipped to the image) tested on its own. Kept as the reference for tests
// and the benchmark.
void fillQuadPerPixel(QImage& image, const Quad& q, const QColor& colour);

// A 3-pixel line from the middle of edge 1-4 to the middle of edge 2-3, the
// midpoints truncated toward zero.
void strikeThrough(QImage& image, const Quad& q, const QColor& colour);

// Filled images are kept at most 2048 pixels on their longer side: a larger one
// is scaled down by area averaging to trunc(side * 2048 / longer side).
constexpr int MaxFilledSide = 2048;
QSize limitedSize(const QSize& size);
QImage limitFilledImage(const QImage& image);
