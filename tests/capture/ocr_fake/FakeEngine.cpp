// A scripted stand-in for the engine library: delivers the lines the test
// scripted and records what the binding handed over. Built twice, once without
// GetOcrWordBoundingBox to stand for an incomplete library.
#include "FakeEngine.h"

#include <cstring>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
struct ScriptedLine {
    bool hasHandle;
    bool hasText;
    std::string text;
    bool hasBox;
    float box[8];
};
std::vector<ScriptedLine> gLines;
int64_t gRunStatus = 0;
FakeRunRecord gRecord{};
int64_t gMaxLines = 0;
int gDummy = 0;

int64_t handleOf(const void* p) { return reinterpret_cast<int64_t>(p); }
}

FAKE_EXPORT void fakeEngineScript(const FakeLine* lines, int count, int64_t runStatus)
{
    gLines.clear();
    for (int i = 0; i < count; ++i) {
        ScriptedLine l{lines[i].hasHandle, lines[i].text != nullptr, lines[i].text ? lines[i].text : "",
                       lines[i].hasBox, {}};
        std::memcpy(l.box, lines[i].box, sizeof l.box);
        gLines.push_back(l);
    }
    gRunStatus = runStatus;
    gRecord = {};
}

FAKE_EXPORT const FakeRunRecord* fakeEngineRecord() { return &gRecord; }

FAKE_EXPORT int64_t CreateOcrInitOptions(int64_t* h) { *h = handleOf(&gDummy); return 0; }
FAKE_EXPORT int64_t OcrInitOptionsSetUseModelDelayLoad(int64_t, char) { return 0; }
FAKE_EXPORT int64_t CreateOcrPipeline(const char* model, const char* key, int64_t, int64_t* h)
{
    std::strncpy(gRecord.modelName, model, sizeof gRecord.modelName - 1);
    std::strncpy(gRecord.modelKey, key, sizeof gRecord.modelKey - 1);
    *h = handleOf(&gDummy);
    return 0;
}
FAKE_EXPORT int64_t CreateOcrProcessOptions(int64_t* h) { *h = handleOf(&gDummy); return 0; }
FAKE_EXPORT int64_t OcrProcessOptionsSetMaxRecognitionLineCount(int64_t, int64_t n) { gMaxLines = n; return 0; }

struct Image {
    int32_t type, width, height, reserved;
    int64_t stride;
    const uint8_t* data;
};

FAKE_EXPORT int64_t RunOcrPipeline(int64_t, const Image* img, int64_t, int64_t* result)
{
    gRecord.type = img->type;
    gRecord.width = img->width;
    gRecord.height = img->height;
    gRecord.reserved = img->reserved;
    gRecord.stride = img->stride;
    gRecord.maxLines = gMaxLines;
    ++gRecord.runs;
    if (img->width > 0 && img->height > 0) {
        std::memcpy(gRecord.firstPixel, img->data, 4);
        std::memcpy(gRecord.lastPixel, img->data + img->stride * (img->height - 1) + 4 * (img->width - 1), 4);
    }
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("fnstcw %0" : "=m"(gRecord.x87ControlWord));
    asm volatile("stmxcsr %0" : "=m"(gRecord.mxcsr));
#endif
    if (gRunStatus != 0)
        return gRunStatus;
    *result = handleOf(&gLines);
    return 0;
}

FAKE_EXPORT int64_t GetOcrLineCount(int64_t, int64_t* n) { *n = int64_t(gLines.size()); return 0; }
FAKE_EXPORT int64_t GetOcrLine(int64_t, int64_t i, int64_t* h)
{
    if (gLines[size_t(i)].hasHandle)
        *h = handleOf(&gLines[size_t(i)]);
    return 0;
}
FAKE_EXPORT int64_t GetOcrLineContent(int64_t h, const char** text)
{
    auto* l = reinterpret_cast<ScriptedLine*>(h);
    *text = l->hasText ? l->text.c_str() : nullptr;
    return 0;
}
FAKE_EXPORT int64_t GetOcrLineWordCount(int64_t, int64_t* n) { *n = 1; return 0; }
FAKE_EXPORT int64_t GetOcrLineBoundingBox(int64_t h, const float** box)
{
    auto* l = reinterpret_cast<ScriptedLine*>(h);
    if (!l->hasBox)
        return 1;
    *box = l->box;
    return 0;
}
#ifndef FAKE_WITHOUT_WORD_BOX
FAKE_EXPORT int64_t GetOcrWordBoundingBox(int64_t, int64_t, const float**) { return 1; }
#endif
