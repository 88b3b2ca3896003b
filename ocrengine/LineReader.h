#pragma once
// Reads the lettering of an ink image with the engine's own line recogniser:
// text blocks are cut into lines (rows across the text direction, then at wide
// gaps and at changes of text height, so that separate TEXTs stay separate),
// each block is tried in the orientations its shape allows (a tall block also
// as a vertical column, its glyphs laid out in a row) and the reading the
// recogniser is surest of is kept; readings too unsure to be text are dropped.
#include "ocrengine/InkImage.h"
#include "ocrengine/LineRecognizer.h"
#include "ocrengine/Recognizer.h"
#include "ocrengine/TextBlocks.h"

#include <vector>

struct LinePiece {
    std::vector<int> xs, ys;  // its ink pixels
    double angleDeg = 0;
};

// The lines of one block read at angleDeg: rows across that direction, each
// split at gaps wider than a fraction of its thickness and where the text
// height changes.
std::vector<LinePiece> cutLines(const TextBlock& block, double angleDeg);

// The glyph rows of an upright block stacked one below the other, laid out left to right
// as one line in a new ink image (cells a column width apart). Empty when the block has
// fewer than two rows.
InkImage columnAsRow(const InkImage& ink, const TextLayout& layout, int blockIndex, std::vector<int>& xs,
                     std::vector<int>& ys);

void readLines(const LineRecognizer& recognizer, const InkImage& ink, int maxLines, std::vector<RecognizedLine>& out);
