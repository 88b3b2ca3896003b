#pragma once
// A drawing of known lettering and its ground truth: what the benchmark
// compares the recognised table rows with.
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

struct TruthLine {
    QString kind;        // "text", "outline" (glyph polylines) or "vertical" (one TEXT per character)
    QString text;        // the whole line; a vertical line reads top to bottom
    double x = 0, y = 0; // insertion point: left end of the baseline (top character's for "vertical")
    double height = 0;   // capital height in drawing units
    double angleDeg = 0; // direction of the baseline; 270 for a vertical line
    int aci = 7;

    // Where the table puts this line's row point: the middle of the start edge
    // of a line; for a vertical column the middle of its top edge.
    QPointF rowPoint() const;
};

// A vertical column's centre line lies this many character heights right of
// its characters' insertion points: the generator centres them on it.
constexpr double kVerticalColumnHalfWidth = 0.68;

struct CorpusSheet {
    QString name;        // file stem: <name>.dxf and <name>.truth.tsv
    QString group;       // what the sheet varies, e.g. "size 14", "angle 90", "dense"
    QRectF area;         // the region to crop, drawing units (y up, top() is the lower edge)
    QList<TruthLine> lines;
};

// Tab-separated: one "sheet" line (name, group, x, y, w, h), then one line per truth line.
bool writeTruth(const QString& path, const CorpusSheet& sheet);
bool readTruth(const QString& path, CorpusSheet& sheet);
