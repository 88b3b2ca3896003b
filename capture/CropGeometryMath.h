#pragma once
// From the CAD's view variables and two picked corners to the pixel rectangle
// of the cut and the geometry that maps cut pixels back into the drawing.
#include "results/CropGeometry.h"
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QString>
#include <optional>

struct CadViewVars {
    double viewSize = 0;        // VIEWSIZE: view height in drawing units
    double centerX = 0;         // VIEWCTR
    double centerY = 0;
    int screenW = 0;            // SCREENSIZE: drawing area in pixels
    int screenH = 0;
};

struct CropCut {
    QRect pixels;           // the cut in drawing-area pixels, left/top inclusive
    CropGeometry geometry;  // origin = upper-left corner of the picked rectangle
    QString sizeText;       // the crop size line shown to the user
};

// Scale in drawing units per screen pixel; 0 when the drawing area is empty.
double viewScale(const CadViewVars& view);

// Column (or row, with the y axis flipped) of a drawing coordinate, truncating
// toward zero on both sides of the centre; nullopt when it leaves int range.
std::optional<int> pixelColumn(double x, const CadViewVars& view, double scale);
std::optional<int> pixelRow(double y, const CadViewVars& view, double scale);

// The corners may come in any order: the cut spans the rectangle between them.
// nullopt when the drawing area is not positive, the scale is not finite or a
// corner maps outside int range.
std::optional<CropCut> computeCropCut(const CadViewVars& view, QPointF p1, QPointF p2);

// " (w,h)/(wpx,hpx)=scale" with drawing units and pixels of the cut.
QString cropSizeText(double widthUnits, double heightUnits, int widthPx, int heightPx, double scale);

// The cut as a 24-bit image of cut.size(): the pixels of `source` (whose
// upper-left pixel sits at sourceOrigin in drawing-area pixels) where they
// overlap, black elsewhere, so nothing from outside the drawing area leaks in.
QImage cutFromImage(const QImage& source, QPoint sourceOrigin, const QRect& cut);

// The part of the cut that lies inside a drawing area of that size.
QRect clipToArea(const QRect& cut, QSize area);
