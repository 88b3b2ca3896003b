// liboneocr-recognizer.so: line recognition over Tesseract, models read from
// the packed model file's contents only (no tessdata folder is consulted).
#include "ocrengine/LineText.h"
#include "ocrengine/Recognizer.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#define OCR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char* kLanguage = "Japanese";
constexpr int kUpscale = 2;

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

void limitOpenMpThreads()
{
    using SetThreads = void (*)(int);
    if (auto fn = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads")))
        fn(1);
}

struct Recognizer {
    tesseract::TessBaseAPI api;
};

// Grey (BT.601), light-on-dark inverted so text is always dark on light.
std::vector<uint8_t> toGrey(const uint8_t* bgra, int w, int h, int64_t stride)
{
    std::vector<uint8_t> grey(size_t(w) * size_t(h));
    uint64_t sum = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = bgra + stride * y;
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = row + 4 * x;
            const uint8_t g = uint8_t((114 * p[0] + 587 * p[1] + 299 * p[2] + 500) / 1000);
            grey[size_t(y) * w + x] = g;
            sum += g;
        }
    }
    if (sum < uint64_t(128) * grey.size())
        for (auto& g : grey)
            g = uint8_t(255 - g);
    return grey;
}

// Bilinear enlargement by an integer factor.
std::vector<uint8_t> upscale(const std::vector<uint8_t>& src, int w, int h, int f)
{
    const int W = w * f, H = h * f;
    std::vector<uint8_t> dst(size_t(W) * size_t(H));
    for (int Y = 0; Y < H; ++Y) {
        const double sy = std::clamp((Y + 0.5) / f - 0.5, 0.0, double(h - 1));
        const int y0 = int(sy), y1 = std::min(y0 + 1, h - 1);
        const double fy = sy - y0;
        for (int X = 0; X < W; ++X) {
            const double sx = std::clamp((X + 0.5) / f - 0.5, 0.0, double(w - 1));
            const int x0 = int(sx), x1 = std::min(x0 + 1, w - 1);
            const double fx = sx - x0;
            const double top = src[size_t(y0) * w + x0] * (1 - fx) + src[size_t(y0) * w + x1] * fx;
            const double bottom = src[size_t(y1) * w + x0] * (1 - fx) + src[size_t(y1) * w + x1] * fx;
            dst[size_t(Y) * W + X] = uint8_t(std::lround(top * (1 - fy) + bottom * fy));
        }
    }
    return dst;
}

}  // namespace

OCR_EXPORT void* mirtexRecognizerCreate(const std::vector<std::pair<std::string, std::vector<char>>>* files)
{
    if (!files)
        return nullptr;
    limitOpenMpThreads();
    auto rec = std::make_unique<Recognizer>();
    const std::vector<std::string> vars{"tessedit_do_invert", "debug_file"};
    const std::vector<std::string> values{"0", "/dev/null"};
    gInitFiles = files;
    const int rc = rec->api.Init(nullptr, 0, kLanguage, tesseract::OEM_LSTM_ONLY, nullptr, 0, &vars, &values,
                                 false, &readFromModel);
    gInitFiles = nullptr;
    if (rc != 0)
        return nullptr;
    rec->api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    return rec.release();
}

OCR_EXPORT bool mirtexRecognizerRun(void* recognizer, const uint8_t* bgra, int width, int height, int64_t stride,
                                    int maxLines, std::vector<RecognizedLine>* lines)
{
    if (!recognizer || !bgra || !lines || width <= 0 || height <= 0)
        return false;
    lines->clear();
    // Too small to hold a character: nothing to read.
    if (width < 4 || height < 4)
        return true;
    auto& api = static_cast<Recognizer*>(recognizer)->api;
    const std::vector<uint8_t> big = upscale(toGrey(bgra, width, height, stride), width, height, kUpscale);
    const int W = width * kUpscale, H = height * kUpscale;
    api.SetImage(big.data(), W, H, 1, W);
    api.SetSourceResolution(300);
    if (api.Recognize(nullptr) != 0) {
        api.Clear();
        return false;
    }
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (it) {
        do {
            if (int(lines->size()) >= maxLines)
                break;
            std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!raw)
                continue;
            const std::string text = cleanLineText(raw.get());
            int l = 0, t = 0, r = 0, b = 0;
            if (text.empty() || !it->BoundingBox(tesseract::RIL_TEXTLINE, &l, &t, &r, &b))
                continue;
            const float f = float(kUpscale);
            RecognizedLine line{text, {l / f, t / f, r / f, t / f, r / f, b / f, l / f, b / f}};
            lines->push_back(std::move(line));
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    api.Clear();
    return true;
}
