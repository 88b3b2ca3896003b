#pragma once
// Random text lines as a CAD screen shows them, rendered for the line
// recogniser: drawing vocabulary, dimension-like figures and random strings
// over the whole character set, in TrueType faces or as 1-pixel strokes of the
// LibreCAD stroke fonts, 10-32 px (sometimes larger), ACI colours on black or
// dark on white, with or without anti-aliasing, turned, with stray lines
// touching or crossing. Each line is cut out and scaled exactly as the engine
// prepares a line for the recogniser (lineInputFrame + renderView).
#include "ocrengine/strokefont/LffFont.h"

#include <QImage>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class LineSet {
    Train,          // training faces and stroke designs
    HeldOutFace,    // a TrueType face never trained on (IPA Mincho)
    HeldOutStroke,  // a stroke design never trained on (AZOmix)
};

struct LineSample {
    QString text;                 // what is drawn, blanks included
    int width = 0, height = 0;    // the recogniser's view
    std::vector<uint8_t> pixels;  // dark on light, row-major
    QString style;                // "stroke", "thin", "regular" or "bold"
    int size = 0;                 // text height in screen pixels (em for faces, capitals for strokes)
    QImage scene;                 // the screen picture the line was cut from
};

struct LineRendererData {
    QStringList charset;      // one character per entry, the blank first
    QStringList vocabulary;   // drawing terms
    std::shared_ptr<LffFont> kanjiStrokes;  // kst32b (or the held-out design)
    std::shared_ptr<LffFont> latinStrokes;  // standard (Latin, like txt.shx)
};

// Reads charset.txt and vocabulary.txt from dataDir and the stroke fonts from
// fontDir. False with a reason when something is missing.
bool loadRendererData(const QString& dataDir, const QString& fontDir, LineSet set, LineRendererData& data,
                      QString* error);

// TrueType faces the set draws that this machine lacks (empty when all are there).
QStringList missingFaces(LineSet set);

class LineRenderer {
public:
    LineRenderer(LineRendererData data, LineSet set, quint32 seed);
    LineSample next();
    // One line of the given text in the given style; used by tests.
    LineSample render(const QString& text, bool strokes, int size, bool antialiased);

private:
    QString randomCharacter();
    QString randomText(bool strokes);
    QString randomFigure();
    QString strokeCoverable(const QString& text);
    LineSample draw(const QString& text, bool strokes, const QString& face, int weight, int size, bool antialiased,
                    bool clutter, double angle);

    LineRendererData data_;
    LineSet set_;
    QRandomGenerator rng_;
};
