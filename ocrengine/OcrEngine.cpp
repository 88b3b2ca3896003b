// liboneocr.so: the engine's twelve C entry points. Recognition itself lives in
// the recogniser library, loaded once from this library's own folder.
#include "capture/OcrFiles.h"
#include "ocrengine/ModelFile.h"
#include "ocrengine/Recognizer.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#define OCR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct OcrImage {
    int32_t type;
    int32_t width;
    int32_t height;
    int32_t reserved;
    int64_t stride;
    const uint8_t* data;
};
static_assert(sizeof(OcrImage) == 32);

struct InitOptions { bool delayLoad = true; };
struct ProcessOptions { int64_t maxLines = 100; };
struct Pipeline { void* recognizer = nullptr; };
struct Line {
    std::string text;
    float box[8];
};
struct Result { std::vector<Line> lines; };

constexpr int64_t kOk = 0;
constexpr int64_t kFailed = 1;
constexpr int32_t kTypeBgra = 3;

std::string ownFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ownFolder), &info) || !info.dli_fname)
        return {};
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

struct RecognizerLibrary {
    RecognizerCreateFn create = nullptr;
    RecognizerRunFn run = nullptr;
};

// Loaded once; stays loaded for the process.
const RecognizerLibrary* recognizerLibrary()
{
    static const RecognizerLibrary lib = [] {
        RecognizerLibrary l;
        void* h = dlopen((ownFolder() + OcrFiles::kRuntimeLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h)
            return l;
        l.create = reinterpret_cast<RecognizerCreateFn>(dlsym(h, kRecognizerCreateSymbol));
        l.run = reinterpret_cast<RecognizerRunFn>(dlsym(h, kRecognizerRunSymbol));
        return l;
    }();
    return lib.create && lib.run ? &lib : nullptr;
}

// Models are loaded once per model path; later pipelines share the recogniser.
void* recognizerFor(const std::string& modelPath, const std::string& key)
{
    static std::mutex mutex;
    static std::map<std::pair<std::string, std::string>, void*> cache;
    const RecognizerLibrary* lib = recognizerLibrary();
    if (!lib)
        return nullptr;
    std::lock_guard lock(mutex);
    auto it = cache.find({modelPath, key});
    if (it != cache.end())
        return it->second;
    ModelFiles files;
    if (!readModelFile(modelPath, key, files))
        return nullptr;
    void* rec = lib->create(&files);
    if (rec)
        cache[{modelPath, key}] = rec;
    return rec;
}

template <typename T> T* from(int64_t handle) { return reinterpret_cast<T*>(handle); }
template <typename T> int64_t toHandle(T* p) { return reinterpret_cast<int64_t>(p); }

}  // namespace

OCR_EXPORT int64_t CreateOcrInitOptions(int64_t* options)
{
    if (!options)
        return kFailed;
    *options = toHandle(new InitOptions);
    return kOk;
}

OCR_EXPORT int64_t OcrInitOptionsSetUseModelDelayLoad(int64_t options, char delayLoad)
{
    if (!options)
        return kFailed;
    from<InitOptions>(options)->delayLoad = delayLoad != 0;
    return kOk;
}

OCR_EXPORT int64_t CreateOcrPipeline(const char* modelName, const char* key, int64_t options, int64_t* pipeline)
{
    if (!modelName || !key || !pipeline)
        return kFailed;
    const std::string name = modelName;
    if (name.empty() || name.find('/') != std::string::npos)
        return kFailed;
    (void)options;  // models are always loaded here: a pipeline is ready when created
    void* rec = recognizerFor(ownFolder() + name, key);
    if (!rec)
        return kFailed;
    *pipeline = toHandle(new Pipeline{rec});
    return kOk;
}

OCR_EXPORT int64_t CreateOcrProcessOptions(int64_t* options)
{
    if (!options)
        return kFailed;
    *options = toHandle(new ProcessOptions);
    return kOk;
}

OCR_EXPORT int64_t OcrProcessOptionsSetMaxRecognitionLineCount(int64_t options, int64_t count)
{
    if (!options || count < 0)
        return kFailed;
    from<ProcessOptions>(options)->maxLines = count;
    return kOk;
}

OCR_EXPORT int64_t RunOcrPipeline(int64_t pipeline, const OcrImage* image, int64_t options, int64_t* result)
{
    const RecognizerLibrary* lib = recognizerLibrary();
    if (!pipeline || !image || !options || !result || !lib)
        return kFailed;
    if (image->type != kTypeBgra || image->width < 0 || image->height < 0
        || (image->width > 0 && image->stride < int64_t(image->width) * 4))
        return kFailed;
    auto res = std::make_unique<Result>();
    if (image->width > 0 && image->height > 0) {
        if (!image->data)
            return kFailed;
        std::vector<RecognizedLine> lines;
        const int maxLines = int(std::min<int64_t>(from<ProcessOptions>(options)->maxLines, 100000));
        if (!lib->run(from<Pipeline>(pipeline)->recognizer, image->data, image->width, image->height,
                      image->stride, maxLines, &lines))
            return kFailed;
        for (auto& l : lines) {
            Line line{std::move(l.text), {}};
            std::copy(std::begin(l.box), std::end(l.box), line.box);
            res->lines.push_back(std::move(line));
        }
    }
    *result = toHandle(res.release());
    return kOk;
}

OCR_EXPORT int64_t GetOcrLineCount(int64_t result, int64_t* count)
{
    if (!result || !count)
        return kFailed;
    *count = int64_t(from<Result>(result)->lines.size());
    return kOk;
}

OCR_EXPORT int64_t GetOcrLine(int64_t result, int64_t index, int64_t* line)
{
    if (!result || !line)
        return kFailed;
    auto& lines = from<Result>(result)->lines;
    if (index < 0 || index >= int64_t(lines.size()))
        return kFailed;
    *line = toHandle(&lines[size_t(index)]);
    return kOk;
}

OCR_EXPORT int64_t GetOcrLineContent(int64_t line, const char** text)
{
    if (!line || !text)
        return kFailed;
    *text = from<Line>(line)->text.c_str();
    return kOk;
}

// Lines are recognised as a whole; each counts as one word.
OCR_EXPORT int64_t GetOcrLineWordCount(int64_t line, int64_t* count)
{
    if (!line || !count)
        return kFailed;
    *count = 1;
    return kOk;
}

OCR_EXPORT int64_t GetOcrLineBoundingBox(int64_t line, const float** box)
{
    if (!line || !box)
        return kFailed;
    *box = from<Line>(line)->box;
    return kOk;
}

// Word boxes are not tracked separately: a line's single word spans the line.
OCR_EXPORT int64_t GetOcrWordBoundingBox(int64_t line, int64_t word, const float** box)
{
    if (!line || !box || word != 0)
        return kFailed;
    *box = from<Line>(line)->box;
    return kOk;
}
