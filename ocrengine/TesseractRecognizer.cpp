// The Tesseract reader: finds text blocks, shows each to Tesseract upright
// and enlarged in every orientation it may have, keeps the most confident
// reading and maps its line boxes back. Models come from the packed model
// file's contents only (no tessdata folder is consulted).
#include "ocrengine/InkImage.h"
#include "ocrengine/LineFrame.h"
#include "ocrengine/LineText.h"
#include "ocrengine/TesseractReader.h"
#include "ocrengine/TextBlocks.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kHorizontalModel = "Japanese";
constexpr const char* kVerticalModel = "Japanese_vert";
// Character size in the views, pixels. Measured on CAD-screen crops: 30 reads
// 10-16 px lettering with ~30 % fewer errors than 44; above ~40 blurred
// enlargements cost more than they help.
constexpr double kTargetCharSize = 30;
constexpr float kSureConfidence = 85;   // a reading this confident is not second-guessed
constexpr double kTallRatio = 1.2;      // blocks this much taller than long may run vertically
constexpr double kSingleLine = 1.7;     // a block at most this many characters thick is one line
constexpr double kMinSkew = 3;          // degrees; resampling for less costs more than the slant does
// Short lines read less surely than this are graphics more often than text (a
// triangle read "wv" at 0; lettering reads at 75-95, short words at 10 px at
// 30-60). Longer unsure lines are kept: dropping them loses more text than graphics.
constexpr float kMinShortLineConfidence = 25;
constexpr size_t kShortLine = 2;  // characters

// Tesseract's reader is a plain function pointer: it reads from the files of
// the model being initialised.
const std::vector<std::pair<std::string, std::vector<char>>>* gInitFiles = nullptr;

bool readFromModel(const char* filename, std::vector<char>* data)
{
    if (!gInitFiles || !filename)
        return false;
    std::string wanted = filename;
    const auto slash = wanted.rfind('/');
    if (slash != std::string::npos)
        wanted = wanted.substr(slash + 1);
    for (const auto& [name, bytes] : *gInitFiles)
        if (name == wanted) {
            *data = bytes;
            return true;
        }
    return false;
}

// Tesseract asks OpenMP for several threads per line; on a busy machine that is
// several times slower than one. A max-active-levels of 0 makes every parallel
// region run on the calling thread (the setting is per thread, so it is made
// before each run).
void runOpenMpSerially()
{
    using SetLevels = void (*)(int);
    static const SetLevels setLevels = [] {
        void* gomp = dlopen("libgomp.so.1", RTLD_NOW | RTLD_NOLOAD);
        return gomp ? reinterpret_cast<SetLevels>(dlsym(gomp, "omp_set_max_active_levels")) : nullptr;
    }();
    if (setLevels)
        setLevels(0);
}

struct Recognizer {
    tesseract::TessBaseAPI horizontal;
    tesseract::TessBaseAPI vertical;
};

bool initApi(tesseract::TessBaseAPI& api, const char* model)
{
    const std::vector<std::string> vars{"tessedit_do_invert", "debug_file"};
    const std::vector<std::string> values{"0", "/dev/null"};
    return api.Init(nullptr, 0, model, tesseract::OEM_LSTM_ONLY, nullptr, 0, &vars, &values, false,
                    &readFromModel) == 0;
}

struct Reading {
    std::vector<RecognizedLine> lines;
    std::vector<float> lineConfidence;
    float confidence = 0;  // mean over characters
};

Reading readPixels(tesseract::TessBaseAPI& api, tesseract::PageSegMode mode, const std::vector<uint8_t>& view,
                   const LineFrame& frame);

// Reads a horizontal view: one line as a line (block analysis splits some lines
// at tall strokes), thicker blocks as blocks; the other way when that finds nothing.
Reading readView(tesseract::TessBaseAPI& api, const InkImage& ink, const TextLayout& layout, int block,
                 const LineFrame& frame)
{
    if (frame.width < 4 || frame.height < 4)
        return {};
    const std::vector<uint8_t> view = renderView(ink, layout, block, frame);
    const bool oneLine = frame.across <= kSingleLine * layout.blocks[size_t(block)].charSize;
    Reading reading = readPixels(api, oneLine ? tesseract::PSM_SINGLE_LINE : tesseract::PSM_SINGLE_BLOCK, view, frame);
    if (reading.lines.empty())
        reading = readPixels(api, oneLine ? tesseract::PSM_SINGLE_BLOCK : tesseract::PSM_SINGLE_LINE, view, frame);
    return reading;
}

Reading readVerticalView(tesseract::TessBaseAPI& api, const InkImage& ink, const TextLayout& layout, int block,
                         const LineFrame& frame)
{
    if (frame.width < 4 || frame.height < 4)
        return {};
    return readPixels(api, tesseract::PSM_SINGLE_BLOCK_VERT_TEXT, renderView(ink, layout, block, frame), frame);
}

Reading readPixels(tesseract::TessBaseAPI& api, tesseract::PageSegMode mode, const std::vector<uint8_t>& view,
                   const LineFrame& frame)
{
    Reading reading;
    api.SetPageSegMode(mode);
    api.SetImage(view.data(), frame.width, frame.height, 1, frame.width);
    api.SetSourceResolution(300);
    if (api.Recognize(nullptr) != 0) {
        api.Clear();
        return reading;
    }
    double weighted = 0;
    size_t chars = 0;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (it) {
        do {
            std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!raw)
                continue;
            const std::string text = cleanLineText(raw.get());
            int l = 0, t = 0, r = 0, b = 0;
            if (text.empty() || looksLikeGraphics(text) || !it->BoundingBox(tesseract::RIL_TEXTLINE, &l, &t, &r, &b))
                continue;
            const float lineConfidence = it->Confidence(tesseract::RIL_TEXTLINE);
            const size_t n = std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80 && c != ' '; });
            weighted += double(lineConfidence) * double(n);
            chars += n;
            RecognizedLine line{text, {}};
            const std::array<float, 8> q = frame.sourceQuad(l, t, r, b);
            std::copy(q.begin(), q.end(), line.box);
            reading.lines.push_back(std::move(line));
            reading.lineConfidence.push_back(lineConfidence);
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    api.Clear();
    reading.confidence = chars ? float(weighted / double(chars)) : 0.f;
    return reading;
}

bool allSingleCharacters(const Reading& r)
{
    for (const RecognizedLine& l : r.lines)
        if (std::count_if(l.text.begin(), l.text.end(), [](char c) { return (c & 0xC0) != 0x80; }) > 1)
            return false;
    return r.lines.size() > 1;
}

// Tries the orientations the block's shape allows and keeps the most confident
// reading. A tall block read upright as a stack of single characters is a
// vertical column: that reading only wins when nothing else reads it well.
Reading readBlock(Recognizer& rec, const InkImage& ink, const TextLayout& layout, int index)
{
    const TextBlock& block = layout.blocks[size_t(index)];
    const bool long_ = std::max(block.right - block.left, block.bottom - block.top) + 1 > 1.5 * block.charSize;
    double skew = long_ ? sharpestAngle(block, 0, 20) : 0;
    if (std::abs(skew) < kMinSkew)
        skew = 0;
    const LineFrame upright = frameFor(block, skew, kTargetCharSize);
    Reading best = readView(rec.horizontal, ink, layout, index, upright);
    const bool tall = upright.height > kTallRatio * upright.width && block.bottom - block.top + 1 > 1.5 * block.charSize;
    if (!tall)
        return best;
    float bestScore = allSingleCharacters(best) ? best.confidence * 0.5f : best.confidence;
    const double turn = sharpestAngle(block, 90, 10);
    const LineFrame candidates[] = {frameFor(block, 0, kTargetCharSize), frameFor(block, turn, kTargetCharSize),
                                    frameFor(block, turn + 180, kTargetCharSize)};
    for (size_t i = 0; i < 3 && bestScore < kSureConfidence; ++i) {
        Reading r = i == 0 ? readVerticalView(rec.vertical, ink, layout, index, candidates[i])
                           : readView(rec.horizontal, ink, layout, index, candidates[i]);
        if (r.confidence > bestScore) {
            bestScore = r.confidence;
            best = std::move(r);
        }
    }
    return best;
}

}  // namespace

void* createTesseractReader(const std::vector<std::pair<std::string, std::vector<char>>>* files)
{
    if (!files)
        return nullptr;
    runOpenMpSerially();
    auto rec = std::make_unique<Recognizer>();
    gInitFiles = files;
    const bool ok = initApi(rec->horizontal, kHorizontalModel) && initApi(rec->vertical, kVerticalModel);
    gInitFiles = nullptr;
    return ok ? rec.release() : nullptr;
}

bool runTesseractReader(void* recognizer, const uint8_t* bgra, int width, int height, int64_t stride, int maxLines,
                        std::vector<RecognizedLine>* lines)
{
    if (!recognizer || !bgra || !lines || width <= 0 || height <= 0)
        return false;
    lines->clear();
    // Too small to hold a character: nothing to read.
    if (width < 4 || height < 4)
        return true;
    runOpenMpSerially();
    auto& rec = *static_cast<Recognizer*>(recognizer);
    const InkImage ink = inkFromBgra(bgra, width, height, stride);
    const TextLayout layout = findTextBlocks(ink);
    for (size_t b = 0; b < layout.blocks.size() && int(lines->size()) < maxLines; ++b) {
        Reading r = readBlock(rec, ink, layout, int(b));
        for (size_t i = 0; i < r.lines.size() && int(lines->size()) < maxLines; ++i) {
            const std::string& text = r.lines[i].text;
            const size_t n = size_t(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80 && c != ' '; }));
            if (n <= kShortLine && r.lineConfidence[i] < kMinShortLineConfidence)
                continue;
            lines->push_back(std::move(r.lines[i]));
        }
    }
    return true;
}
