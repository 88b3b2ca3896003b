#include "capture/OcrBinding.h"

#include "app/AppPaths.h"
#include "app/StatusMemo.h"
#include "capture/OcrFiles.h"
#include "output/TextFile.h"
#include "results/CharChecks.h"

#include <QFileInfo>

#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

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

using Handle = int64_t;
using Status = int64_t;

struct Engine {
    Status (*CreateOcrInitOptions)(Handle*);
    Status (*OcrInitOptionsSetUseModelDelayLoad)(Handle, char);
    Status (*CreateOcrPipeline)(const char*, const char*, Handle, Handle*);
    Status (*CreateOcrProcessOptions)(Handle*);
    Status (*OcrProcessOptionsSetMaxRecognitionLineCount)(Handle, int64_t);
    Status (*RunOcrPipeline)(Handle, const OcrImage*, Handle, Handle*);
    Status (*GetOcrLineCount)(Handle, int64_t*);
    Status (*GetOcrLine)(Handle, int64_t, Handle*);
    Status (*GetOcrLineContent)(Handle, const char**);
    Status (*GetOcrLineWordCount)(Handle, int64_t*);
    Status (*GetOcrLineBoundingBox)(Handle, const float**);
    void* GetOcrWordBoundingBox;  // looked up so an incomplete library is refused; not called
};

template <typename F> void bind(void* lib, const char* name, F& fn)
{
    void* sym = dlsym(lib, name);
    if (!sym)
        throw std::runtime_error(std::string("Entry point ") + name + " missing in " + OcrFiles::kEngineLibrary + ".");
    fn = reinterpret_cast<F>(sym);
}

// Loaded by full path from the folder on every call and never unloaded, so the
// library in use is always the one beside the executable.
Engine loadEngine(const QString& folder)
{
    const QByteArray path = QFileInfo(folder + QString::fromLatin1(OcrFiles::kEngineLibrary)).absoluteFilePath().toLocal8Bit();
    void* lib = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        throw std::runtime_error(std::string("Failed to load ") + OcrFiles::kEngineLibrary + ".");
    Engine e{};
    bind(lib, "CreateOcrInitOptions", e.CreateOcrInitOptions);
    bind(lib, "OcrInitOptionsSetUseModelDelayLoad", e.OcrInitOptionsSetUseModelDelayLoad);
    bind(lib, "CreateOcrPipeline", e.CreateOcrPipeline);
    bind(lib, "CreateOcrProcessOptions", e.CreateOcrProcessOptions);
    bind(lib, "OcrProcessOptionsSetMaxRecognitionLineCount", e.OcrProcessOptionsSetMaxRecognitionLineCount);
    bind(lib, "RunOcrPipeline", e.RunOcrPipeline);
    bind(lib, "GetOcrLineCount", e.GetOcrLineCount);
    bind(lib, "GetOcrLine", e.GetOcrLine);
    bind(lib, "GetOcrLineContent", e.GetOcrLineContent);
    bind(lib, "GetOcrLineWordCount", e.GetOcrLineWordCount);
    bind(lib, "GetOcrLineBoundingBox", e.GetOcrLineBoundingBox);
    bind(lib, "GetOcrWordBoundingBox", e.GetOcrWordBoundingBox);
    return e;
}

// The engine expects every floating-point exception masked; the SSE masks stay set.
void maskSseExceptions()
{
#if defined(__x86_64__) || defined(__i386__)
    _mm_setcsr(_mm_getcsr() | 0x1F80);
#endif
}

// x87 control word 0x133F (all masked, 64-bit precision, round to nearest)
// while the engine runs; the previous word comes back however the scope ends.
class X87ControlScope {
public:
    X87ControlScope()
    {
#if defined(__x86_64__) || defined(__i386__)
        asm volatile("fnstcw %0" : "=m"(m_saved));
        const uint16_t word = 0x133F;
        asm volatile("fldcw %0" : : "m"(word));
#endif
    }
    ~X87ControlScope()
    {
#if defined(__x86_64__) || defined(__i386__)
        asm volatile("fldcw %0" : : "m"(m_saved));
#endif
    }
    X87ControlScope(const X87ControlScope&) = delete;
    X87ControlScope& operator=(const X87ControlScope&) = delete;

private:
    uint16_t m_saved = 0;
};

QString roundedValue(float v)
{
    const double r = std::round(double(v));
    return QString::number(static_cast<long long>(r == 0.0 ? 0.0 : r));
}

}  // namespace

QString formatResultLine(long long index, const QString& text, const std::array<float, 8>& box)
{
    QString line = QString::number(index) + QStringLiteral(": ") + text + QStringLiteral(": ");
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += QLatin1Char('(') + roundedValue(box[size_t(2 * i)]) + QLatin1Char(',')
              + roundedValue(box[size_t(2 * i + 1)]) + QLatin1Char(')');
    }
    return line;
}

bool checkOcrFiles(IStatusMemo& memo)
{
    const QString folder = AppPaths::exeFolder();
    QString message;
    for (const char* name : {OcrFiles::kEngineLibrary, OcrFiles::kRuntimeLibrary, OcrFiles::kModelFile}) {
        const QString file = QString::fromLatin1(name);
        if (QFileInfo::exists(folder + file))
            continue;
        message += QStringLiteral("・") + file + QLatin1Char('\n');
        memo.addLine(file + QStringLiteral(" が見つかりません."));
    }
    if (message.isEmpty())
        return true;
    memo.information(message + QStringLiteral("ファイルが不足しています。"));
    return false;
}

// The entry points are called by the C signatures declared above; the library
// declares its own structs of the same layout, which clang's function-type check
// would report as a mismatch of two distinct types.
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
int ocrBitmapWithKey(const char* modelKey, const QImage& bitmap, QStringList& lines, QString& flagged,
                     IStatusMemo& memo)
{
    flagged.clear();
    lines.clear();
    maskSseExceptions();
    const Engine e = loadEngine(AppPaths::exeFolder());

    const QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);  // B, G, R, A in memory
    const int w = image.isNull() ? 0 : image.width();
    const int h = image.isNull() ? 0 : image.height();
    std::vector<uint8_t> buffer(size_t(w) * 4 * size_t(h));
    for (int y = 0; y < h; ++y)
        std::copy_n(image.constScanLine(y), size_t(w) * 4, buffer.data() + size_t(y) * size_t(w) * 4);
    const OcrImage ocrImage{3, w, h, 0, int64_t(w) * 4, buffer.data()};

    X87ControlScope fpu;
    Handle initOptions = 0, pipeline = 0, processOptions = 0, result = 0;
    e.CreateOcrInitOptions(&initOptions);
    e.OcrInitOptionsSetUseModelDelayLoad(initOptions, 0);
    memo.addLine(QStringLiteral("OcrPipeline を作成中 ..."));
    e.CreateOcrPipeline(OcrFiles::kModelFile, modelKey, initOptions, &pipeline);
    memo.processMessages();
    e.CreateOcrProcessOptions(&processOptions);
    e.OcrProcessOptionsSetMaxRecognitionLineCount(processOptions, 1000);
    memo.addLine(QStringLiteral("OcrPipeline を実行中 ..."));
    Status status = -1;
    try {
        status = e.RunOcrPipeline(pipeline, &ocrImage, processOptions, &result);
    } catch (...) {
        status = -1;
    }
    memo.processMessages();
    if (status != 0 || result == 0)
        return 0;

    int64_t count = 0;
    e.GetOcrLineCount(result, &count);
    for (int64_t j = 0; j < count; ++j) {
        Handle line = 0;
        e.GetOcrLine(result, j, &line);
        if (line == 0)
            continue;
        const char* text = nullptr;
        if (e.GetOcrLineContent(line, &text) != 0 || !text)
            continue;
        const QString lineText = QString::fromUtf8(text);
        if (checkSjisText(lineText))
            flagged += QString::number(j + 1) + QLatin1Char('\t');
        int64_t words = 0;
        e.GetOcrLineWordCount(line, &words);
        const float* box = nullptr;
        if (e.GetOcrLineBoundingBox(line, &box) != 0 || !box)
            continue;
        std::array<float, 8> corners{};
        std::copy_n(box, 8, corners.begin());
        lines.append(formatResultLine(j, lineText, corners));
    }
    flagged = flagged.trimmed();
    return int(lines.size());
}

int ocrBitmapSL(const QImage& bitmap, QStringList& lines, QString& flagged, IStatusMemo& memo)
{
    return ocrBitmapWithKey(OcrFiles::kModelKey, bitmap, lines, flagged, memo);
}

void saveResultText(const QStringList& lines, const QString& path)
{
    writeTextLines(path, lines, TextEncoding::Utf8Bom);
}
