// liboneocr-recognizer.so: the recogniser the engine library loads. It reads
// with the engine's own line recogniser when the packed model carries it
// ("recognizer.onnx" and "charset.txt"), otherwise with Tesseract;
// MIRTEX_OCR_READER=tesseract or =own picks one (benchmarks compare them).
#include "ocrengine/InkImage.h"
#include "ocrengine/LineReader.h"
#include "ocrengine/LineRecognizer.h"
#include "ocrengine/Recognizer.h"
#include "ocrengine/TesseractReader.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#define OCR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char* kNetworkFile = "recognizer.onnx";
constexpr const char* kCharsetFile = "charset.txt";
// Whether a model that carries the line recogniser is read with it unless told otherwise.
constexpr bool kOwnReaderByDefault = false;

struct Reader {
    std::unique_ptr<LineRecognizer> own;  // null: Tesseract reads
    void* tesseract = nullptr;
};

const std::vector<char>* fileNamed(const std::vector<std::pair<std::string, std::vector<char>>>& files,
                                   const char* name)
{
    for (const auto& [n, bytes] : files)
        if (n == name)
            return &bytes;
    return nullptr;
}

bool ownReaderWanted(bool available)
{
    const char* choice = std::getenv("MIRTEX_OCR_READER");
    if (choice && std::strcmp(choice, "tesseract") == 0)
        return false;
    if (choice && std::strcmp(choice, "own") == 0)
        return available;
    return available && kOwnReaderByDefault;
}

}  // namespace

OCR_EXPORT void* mirtexRecognizerCreate(const std::vector<std::pair<std::string, std::vector<char>>>* files)
{
    if (!files)
        return nullptr;
    auto reader = std::make_unique<Reader>();
    const std::vector<char>* network = fileNamed(*files, kNetworkFile);
    const std::vector<char>* charset = fileNamed(*files, kCharsetFile);
    if (ownReaderWanted(network && charset)) {
        reader->own = std::make_unique<LineRecognizer>();
        if (!reader->own->load(*network, std::string(charset->begin(), charset->end())))
            return nullptr;
    } else {
        reader->tesseract = createTesseractReader(files);
        if (!reader->tesseract)
            return nullptr;
    }
    return reader.release();
}

OCR_EXPORT bool mirtexRecognizerRun(void* recognizer, const uint8_t* bgra, int width, int height, int64_t stride,
                                    int maxLines, std::vector<RecognizedLine>* lines)
{
    if (!recognizer || !bgra || !lines || width <= 0 || height <= 0)
        return false;
    auto& reader = *static_cast<Reader*>(recognizer);
    if (!reader.own)
        return runTesseractReader(reader.tesseract, bgra, width, height, stride, maxLines, lines);
    lines->clear();
    if (width < 4 || height < 4)
        return true;
    readLines(*reader.own, inkFromBgra(bgra, width, height, stride), maxLines, *lines);
    return true;
}
