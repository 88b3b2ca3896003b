#pragma once
// Rendered lettering of known text and position, for the engine's tests and
// benchmark: each line is drawn with a CJK font and its ink box recorded as the
// quadrilateral the engine is expected to report.
#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>

#include <array>

class LffFont;

enum class SampleLayout {
    Horizontal,  // baseline at angleDeg (counter-clockwise on screen; 90 reads bottom to top)
    Vertical,    // one upright character below the other (縦書き)
};

struct SampleLine {
    QString text;
    QPointF origin;          // Horizontal: left end of the baseline; Vertical: top centre of the column
    int pixelSize = 20;      // font size in pixels (capital height for stroke lettering)
    double angleDeg = 0;
    SampleLayout layout = SampleLayout::Horizontal;
    QColor colour = Qt::black;
    QString family;          // TrueType face; empty: sampleFontFamily()
    int weight = 400;        // QFont::Weight
    bool antialiased = true;
    // Stroke lettering (1-pixel lines, as a CAD draws SHX text) instead of a face:
    // the big font and the Latin font.
    const LffFont* strokeFont = nullptr;
    const LffFont* latinStrokeFont = nullptr;
};

struct RenderedSample {
    QImage image;
    // Per line: x1,y1 .. x4,y4; corners 1-2 span the text's top edge, 1-4 its start
    // edge (a vertical column is given upright).
    QList<std::array<double, 8>> boxes;
};

QString sampleFontFamily();  // "Noto Sans CJK JP"
RenderedSample renderSample(QSize size, const QColor& background, const QList<SampleLine>& lines);

struct RecognisedLine {
    QString text;
    std::array<double, 8> box;
};

struct LineMatch {
    int index = -1;             // into the recognised lines; -1 when none lies near
    int edits = 0;              // edit distance of the comparable texts
    double cornerError = 0;     // largest corner distance, pixels
    double directionError = 0;  // degrees between the top edges' directions
};

// The recognised line that best reads the drawn one among those whose box centre
// lies within a line height of the drawn box's centre.
LineMatch matchLine(const SampleLine& drawn, const std::array<double, 8>& truth, const QList<RecognisedLine>& got);
// Direction of a box's top edge (corner 1 to 2), counter-clockwise on screen.
double directionDeg(const std::array<double, 8>& box);

// Levenshtein distance over code points.
int editDistance(const QString& a, const QString& b);
// Edit distance of ref to the stretch of text it is closest to.
int substringEditDistance(const QString& ref, const QString& text);
// Largest distance between corresponding corners of two boxes.
double cornerDistance(const std::array<double, 8>& a, const std::array<double, 8>& b);
// Text compared the way a reader does: NFKC, white space removed.
QString comparableText(const QString& text);
