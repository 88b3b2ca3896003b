#include "ocrengine/LineReader.h"

#include "ocrengine/LineFrame.h"
#include "ocrengine/LineText.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMarginAcross = 0.12;  // of the line's thickness, above and below (as trained)
constexpr double kMarginEnds = 0.25;
constexpr double kThinRow = 0.5;      // a row this much thinner than the thickest is a stroke of a neighbour
// A gap this many line thicknesses wide separates two TEXTs; the blank of
// stroke fonts like txt.shx is about one thickness wide.
constexpr double kSplitGap = 1.3;
constexpr double kHeightStep = 1.5;   // text this much taller or shorter beside a gap is another TEXT
constexpr double kHeightGap = 0.25;   // ... when the gap is at least this many heights wide
constexpr double kMarkHeight = 0.4;   // shorter than this beside text is a mark of it (ー . ,), not other text
constexpr double kTallRatio = 1.2;    // blocks this much taller than wide may run vertically
constexpr double kMinSkew = 3;        // degrees; less is read as level
constexpr double kSkewLength = 3;     // blocks shorter than this many characters are too short to tell a slant
constexpr float kMinConfidence = 0.5f;  // below this a reading is taken for graphics, not text
constexpr double kColumnPitch = 1.05; // glyph cells of a column laid out in a row, in column widths

struct Run {
    int lo, hi;  // inclusive bins
    int size() const { return hi - lo + 1; }
};

std::vector<Run> runsOf(const std::vector<int>& hist)
{
    std::vector<Run> runs;
    for (int i = 0; i < int(hist.size()); ++i) {
        if (!hist[size_t(i)])
            continue;
        if (!runs.empty() && runs.back().hi == i - 1)
            runs.back().hi = i;
        else
            runs.push_back({i, i});
    }
    return runs;
}

struct Projection {
    std::vector<double> along, across;
    double minAlong = 0, minAcross = 0;
};

Projection project(const std::vector<int>& xs, const std::vector<int>& ys, double angleDeg)
{
    const double a = angleDeg * kPi / 180;
    const double dx = std::cos(a), dy = -std::sin(a), nx = std::sin(a), ny = std::cos(a);
    Projection p;
    p.along.resize(xs.size());
    p.across.resize(xs.size());
    for (size_t i = 0; i < xs.size(); ++i) {
        p.along[i] = xs[i] * dx + ys[i] * dy;
        p.across[i] = xs[i] * nx + ys[i] * ny;
    }
    if (!xs.empty()) {
        p.minAlong = *std::min_element(p.along.begin(), p.along.end());
        p.minAcross = *std::min_element(p.across.begin(), p.across.end());
    }
    return p;
}

std::vector<int> histogram(const std::vector<double>& v, double lo, const std::vector<size_t>& subset)
{
    std::vector<int> hist;
    for (size_t i : subset) {
        const size_t bin = size_t(v[i] - lo);
        if (bin >= hist.size())
            hist.resize(bin + 1);
        ++hist[bin];
    }
    return hist;
}

// Rows across the text direction; strokes thinner than half the thickest row
// (a dash, the bars of 二) belong to the nearer neighbouring row.
std::vector<Run> rowsOf(const std::vector<int>& hist)
{
    std::vector<Run> rows = runsOf(hist);
    for (;;) {
        int thickest = 0;
        for (const Run& r : rows)
            thickest = std::max(thickest, r.size());
        size_t thin = rows.size();
        for (size_t i = 0; i < rows.size() && rows.size() > 1; ++i)
            if (rows[i].size() < kThinRow * thickest) {
                thin = i;
                break;
            }
        if (thin == rows.size())
            return rows;
        const int gapBefore = thin > 0 ? rows[thin].lo - rows[thin - 1].hi : INT32_MAX;
        const int gapAfter = thin + 1 < rows.size() ? rows[thin + 1].lo - rows[thin].hi : INT32_MAX;
        const size_t into = gapBefore <= gapAfter ? thin - 1 : thin + 1;
        rows[into] = {std::min(rows[into].lo, rows[thin].lo), std::max(rows[into].hi, rows[thin].hi)};
        rows.erase(rows.begin() + long(thin));
    }
}

void append(LinePiece& piece, const TextBlock& block, size_t i)
{
    piece.xs.push_back(block.xs[i]);
    piece.ys.push_back(block.ys[i]);
}

}  // namespace

std::vector<LinePiece> cutLines(const TextBlock& block, double angleDeg)
{
    std::vector<LinePiece> pieces;
    const Projection p = project(block.xs, block.ys, angleDeg);
    std::vector<size_t> all(block.xs.size());
    std::iota(all.begin(), all.end(), 0);
    const std::vector<Run> rows = rowsOf(histogram(p.across, p.minAcross, all));
    std::vector<std::vector<size_t>> rowPixels(rows.size());
    for (size_t i : all) {
        const int bin = int(p.across[i] - p.minAcross);
        for (size_t r = 0; r < rows.size(); ++r)
            if (bin >= rows[r].lo && bin <= rows[r].hi) {
                rowPixels[r].push_back(i);
                break;
            }
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::vector<size_t>& px = rowPixels[r];
        if (px.empty())
            continue;
        const double thickness = rows[r].size();
        const std::vector<Run> segments = runsOf(histogram(p.along, p.minAlong, px));
        // Each segment's extent across the line.
        std::vector<double> lo(segments.size(), 1e18), hi(segments.size(), -1e18);
        std::vector<size_t> segOfBin(segments.empty() ? 0 : size_t(segments.back().hi) + 1);
        for (size_t s = 0; s < segments.size(); ++s)
            for (int b = segments[s].lo; b <= segments[s].hi; ++b)
                segOfBin[size_t(b)] = s;
        for (size_t i : px) {
            const size_t s = segOfBin[size_t(p.along[i] - p.minAlong)];
            lo[s] = std::min(lo[s], p.across[i]);
            hi[s] = std::max(hi[s], p.across[i]);
        }
        auto height = [&](size_t s) { return hi[s] - lo[s] + 1; };
        auto tallest = [&](size_t from, size_t to) {  // over segments [from, to)
            double h = 0;
            for (size_t s = from; s < std::min(to, segments.size()); ++s)
                h = std::max(h, height(s));
            return h;
        };
        std::vector<size_t> pieceOfSeg(segments.size(), 0);
        size_t current = 0, pieceStart = 0;
        for (size_t s = 1; s < segments.size(); ++s) {
            const double gap = segments[s].lo - segments[s - 1].hi - 1;
            const double left = tallest(std::max(pieceStart, s >= 2 ? s - 2 : 0), s), right = tallest(s, s + 2);
            const bool wide = gap >= kSplitGap * thickness;
            const double low = std::min(left, right), high = std::max(left, right);
            const bool step = gap >= kHeightGap * low && high > kHeightStep * low && low >= kMarkHeight * high;
            if (wide || step) {
                ++current;
                pieceStart = s;
            }
            pieceOfSeg[s] = current;
        }
        std::vector<LinePiece> rowPieces(current + 1);
        for (size_t i : px)
            append(rowPieces[pieceOfSeg[segOfBin[size_t(p.along[i] - p.minAlong)]]], block, i);
        for (LinePiece& piece : rowPieces) {
            piece.angleDeg = angleDeg;
            if (!piece.xs.empty())
                pieces.push_back(std::move(piece));
        }
    }
    return pieces;
}

InkImage columnAsRow(const InkImage& ink, const TextLayout& layout, int blockIndex, std::vector<int>& xs,
                     std::vector<int>& ys)
{
    xs.clear();
    ys.clear();
    const TextBlock& block = layout.blocks[size_t(blockIndex)];
    std::vector<size_t> all(block.ys.size());
    std::iota(all.begin(), all.end(), 0);
    std::vector<double> y(block.ys.begin(), block.ys.end());
    const std::vector<Run> runs = runsOf(histogram(y, block.top, all));
    const double width = block.right - block.left + 1;
    // Glyph cells follow the pitch of the full-height glyphs; dashes and small
    // kana fall into the cell they are drawn in.
    std::vector<double> centres;
    for (const Run& r : runs)
        if (r.size() >= 0.5 * width)
            centres.push_back(block.top + (r.lo + r.hi) / 2.0);
    if (centres.size() < 2 && runs.size() < 2)
        return {};
    std::vector<double> steps;
    for (size_t i = 1; i < centres.size(); ++i)
        steps.push_back(centres[i] - centres[i - 1]);
    double pitch = width * 1.1;
    if (!steps.empty()) {
        std::nth_element(steps.begin(), steps.begin() + long(steps.size() / 2), steps.end());
        pitch = std::max(width * 0.8, steps[steps.size() / 2]);
    }
    const double first = centres.empty() ? block.top + width / 2 : centres.front();
    std::vector<int> cellOfRun(runs.size());
    int lowest = INT32_MAX;
    for (size_t r = 0; r < runs.size(); ++r) {
        cellOfRun[r] = int(std::lround((block.top + (runs[r].lo + runs[r].hi) / 2.0 - first) / pitch));
        lowest = std::min(lowest, cellOfRun[r]);
    }
    // Cells in use, numbered left to right in the row.
    std::vector<int> used;
    for (int c : cellOfRun)
        used.push_back(c - lowest);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    if (used.size() < 2)
        return {};
    const int pad = int(std::ceil(width * 0.3)) + 2;
    const double cell = std::max(width, pitch * 0.9);
    InkImage out;
    out.width = int(std::ceil(used.size() * width * kColumnPitch)) + 2 * pad;
    out.height = int(std::ceil(cell)) + 2 * pad;
    out.ink.assign(size_t(out.width) * size_t(out.height), 0);
    std::vector<int> runOfBin(runs.empty() ? 0 : size_t(runs.back().hi) + 1, -1);
    for (size_t r = 0; r < runs.size(); ++r)
        for (int b = runs[r].lo; b <= runs[r].hi; ++b)
            runOfBin[size_t(b)] = int(r);
    for (size_t i = 0; i < block.xs.size(); ++i) {
        const int r = runOfBin[size_t(block.ys[i] - block.top)];
        const int c = cellOfRun[size_t(r)] - lowest;
        const size_t slot = size_t(std::lower_bound(used.begin(), used.end(), c) - used.begin());
        const double cellTop = first + (c + lowest) * pitch - cell / 2;
        const int nx = pad + int(std::lround(slot * width * kColumnPitch)) + (block.xs[i] - block.left);
        const int ny = pad + int(std::lround(block.ys[i] - cellTop));
        if (nx < 0 || ny < 0 || nx >= out.width || ny >= out.height)
            continue;
        out.ink[size_t(ny) * size_t(out.width) + size_t(nx)] = ink.at(block.xs[i], block.ys[i]);
        xs.push_back(nx);
        ys.push_back(ny);
    }
    (void)layout;
    return out;
}

namespace {

struct Candidate {
    std::vector<RecognizedLine> lines;
    std::vector<float> confidence;
    double score = 0;
};

size_t characters(const std::string& utf8)
{
    return size_t(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80 && c != ' '; }));
}

// Reads one line view; the box is the ink's extent in the line's own direction.
bool readPiece(const LineRecognizer& rec, const InkImage& ink, const TextLayout& layout, int block,
               const std::vector<int>& xs, const std::vector<int>& ys, double angleDeg, RecognizedLine& line,
               float& confidence)
{
    const LineFrame frame = lineInputFrame(xs, ys, angleDeg, LineRecognizer::kHeight, kMarginAcross, kMarginAcross,
                                           kMarginEnds);
    if (frame.width < 4 || frame.across < 3)
        return false;
    const LineReading r = rec.read(renderView(ink, layout, block, frame), frame.width, frame.height);
    line.text = cleanLineText(r.text);
    if (looksLikeGraphics(line.text))
        line.text.clear();
    confidence = r.confidence;
    const LineFrame tight = lineInputFrame(xs, ys, angleDeg, LineRecognizer::kHeight, 0, 0, 0);
    const std::array<float, 8> q = tight.sourceQuad(0, 0, tight.width, tight.height);
    std::copy(q.begin(), q.end(), line.box);
    return !line.text.empty();
}

void finish(Candidate& c)
{
    double weighted = 0;
    size_t chars = 0;
    bool allSingle = c.lines.size() > 1;
    for (size_t i = 0; i < c.lines.size(); ++i) {
        const size_t n = characters(c.lines[i].text);
        weighted += c.confidence[i] * double(n);
        chars += n;
        allSingle = allSingle && n == 1;
    }
    c.score = chars ? weighted / double(chars) : 0;
    // A stack of one-character lines is a column read the wrong way more often than not.
    if (allSingle)
        c.score *= 0.5;
}

Candidate readAt(const LineRecognizer& rec, const InkImage& ink, const TextLayout& layout, int block, double angle)
{
    Candidate c;
    for (const LinePiece& piece : cutLines(layout.blocks[size_t(block)], angle)) {
        RecognizedLine line;
        float conf = 0;
        if (readPiece(rec, ink, layout, block, piece.xs, piece.ys, angle, line, conf)) {
            c.lines.push_back(std::move(line));
            c.confidence.push_back(conf);
        }
    }
    finish(c);
    return c;
}

Candidate readColumn(const LineRecognizer& rec, const InkImage& ink, const TextLayout& layout, int block)
{
    Candidate c;
    std::vector<int> xs, ys;
    const InkImage row = columnAsRow(ink, layout, block, xs, ys);
    if (xs.empty())
        return c;
    TextLayout flat;
    flat.blockOf.assign(row.ink.size(), -1);
    RecognizedLine line;
    float conf = 0;
    if (!readPiece(rec, row, flat, 0, xs, ys, 0, line, conf))
        return c;
    // The column's box, upright: top edge first.
    const TextBlock& b = layout.blocks[size_t(block)];
    const float l = float(b.left), t = float(b.top), r = float(b.right + 1), btm = float(b.bottom + 1);
    const float box[8] = {l, t, r, t, r, btm, l, btm};
    std::copy(std::begin(box), std::end(box), line.box);
    c.lines.push_back(std::move(line));
    c.confidence.push_back(conf);
    finish(c);
    return c;
}

}  // namespace

void readLines(const LineRecognizer& rec, const InkImage& ink, int maxLines, std::vector<RecognizedLine>& out)
{
    const TextLayout layout = findTextBlocks(ink);
    for (size_t b = 0; b < layout.blocks.size() && int(out.size()) < maxLines; ++b) {
        const TextBlock& block = layout.blocks[b];
        const int w = block.right - block.left + 1, h = block.bottom - block.top + 1;
        const bool long_ = std::max(w, h) > kSkewLength * block.charSize;
        double skew = long_ ? sharpestAngle(block, 0, 20) : 0;
        if (std::abs(skew) < kMinSkew)
            skew = 0;
        Candidate best = readAt(rec, ink, layout, int(b), skew);
        if (h > kTallRatio * w && h > 1.5 * block.charSize) {
            const double turn = sharpestAngle(block, 90, 20);
            for (Candidate c : {readAt(rec, ink, layout, int(b), turn), readAt(rec, ink, layout, int(b), turn + 180),
                                readColumn(rec, ink, layout, int(b))})
                if (c.score > best.score)
                    best = std::move(c);
        }
        for (size_t i = 0; i < best.lines.size() && int(out.size()) < maxLines; ++i)
            if (best.confidence[i] >= kMinConfidence)
                out.push_back(std::move(best.lines[i]));
    }
}
