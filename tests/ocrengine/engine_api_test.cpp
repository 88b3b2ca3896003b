// The engine library's entry points called directly, as the binding calls them.
#include "capture/OcrFiles.h"
#include "ocrengine/samples/TextSamples.h"
#include "ocrengine/strokefont/LffFont.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

struct OcrImage {
    int32_t type, width, height, reserved;
    int64_t stride;
    const uint8_t* data;
};

struct Api {
    int64_t (*CreateOcrInitOptions)(int64_t*);
    int64_t (*OcrInitOptionsSetUseModelDelayLoad)(int64_t, char);
    int64_t (*CreateOcrPipeline)(const char*, const char*, int64_t, int64_t*);
    int64_t (*CreateOcrProcessOptions)(int64_t*);
    int64_t (*OcrProcessOptionsSetMaxRecognitionLineCount)(int64_t, int64_t);
    int64_t (*RunOcrPipeline)(int64_t, const OcrImage*, int64_t, int64_t*);
    int64_t (*GetOcrLineCount)(int64_t, int64_t*);
    int64_t (*GetOcrLine)(int64_t, int64_t, int64_t*);
    int64_t (*GetOcrLineContent)(int64_t, const char**);
    int64_t (*GetOcrLineWordCount)(int64_t, int64_t*);
    int64_t (*GetOcrLineBoundingBox)(int64_t, const float**);
    void* GetOcrWordBoundingBox;
};

template <typename F> void bind(void* lib, const char* name, F& f)
{
    f = reinterpret_cast<F>(dlsym(lib, name));
    ASSERT_NE(reinterpret_cast<void*>(f), nullptr) << name;
}

void loadApi(const std::string& path, Api& a)
{
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    bind(lib, "CreateOcrInitOptions", a.CreateOcrInitOptions);
    bind(lib, "OcrInitOptionsSetUseModelDelayLoad", a.OcrInitOptionsSetUseModelDelayLoad);
    bind(lib, "CreateOcrPipeline", a.CreateOcrPipeline);
    bind(lib, "CreateOcrProcessOptions", a.CreateOcrProcessOptions);
    bind(lib, "OcrProcessOptionsSetMaxRecognitionLineCount", a.OcrProcessOptionsSetMaxRecognitionLineCount);
    bind(lib, "RunOcrPipeline", a.RunOcrPipeline);
    bind(lib, "GetOcrLineCount", a.GetOcrLineCount);
    bind(lib, "GetOcrLine", a.GetOcrLine);
    bind(lib, "GetOcrLineContent", a.GetOcrLineContent);
    bind(lib, "GetOcrLineWordCount", a.GetOcrLineWordCount);
    bind(lib, "GetOcrLineBoundingBox", a.GetOcrLineBoundingBox);
    bind(lib, "GetOcrWordBoundingBox", a.GetOcrWordBoundingBox);
}

struct EngineLine {
    std::string text;
    std::array<double, 8> box;
};

class EngineApi : public ::testing::Test {
protected:
    static Api api;
    static int64_t pipeline;
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char arg0[] = "engine_api_test";
        static char* argv[] = {arg0, nullptr};
        if (!QGuiApplication::instance())
            new QGuiApplication(argc, argv);
        loadApi(MIRTEX_BIN_DIR "/liboneocr.so", api);
        int64_t init = 0;
        api.CreateOcrInitOptions(&init);
        api.OcrInitOptionsSetUseModelDelayLoad(init, 0);
        api.CreateOcrPipeline(OcrFiles::kModelFile, OcrFiles::kModelKey, init, &pipeline);
    }
    void SetUp() override { ASSERT_NE(pipeline, 0); }

    static int64_t run(const QImage& source, int64_t maxLines, std::vector<EngineLine>& lines)
    {
        const QImage image = source.convertToFormat(QImage::Format_ARGB32);
        const OcrImage desc{3, image.width(), image.height(), 0, image.bytesPerLine(), image.constBits()};
        int64_t options = 0, result = 0, count = 0;
        api.CreateOcrProcessOptions(&options);
        api.OcrProcessOptionsSetMaxRecognitionLineCount(options, maxLines);
        const int64_t status = api.RunOcrPipeline(pipeline, &desc, options, &result);
        if (status != 0)
            return status;
        EXPECT_EQ(api.GetOcrLineCount(result, &count), 0);
        lines.clear();
        for (int64_t j = 0; j < count; ++j) {
            int64_t line = 0;
            const char* text = nullptr;
            const float* box = nullptr;
            EXPECT_EQ(api.GetOcrLine(result, j, &line), 0);
            EXPECT_EQ(api.GetOcrLineContent(line, &text), 0);
            EXPECT_EQ(api.GetOcrLineBoundingBox(line, &box), 0);
            if (!text || !box)
                return -1;
            EngineLine l{text, {}};
            std::copy_n(box, 8, l.box.begin());
            lines.push_back(l);
        }
        return 0;
    }
};
Api EngineApi::api{};
int64_t EngineApi::pipeline = 0;

TEST_F(EngineApi, EmptyAndTinyImagesSucceedWithoutLines)
{
    const OcrImage empty{3, 0, 0, 0, 0, nullptr};
    int64_t options = 0, result = 0, count = -1;
    api.CreateOcrProcessOptions(&options);
    ASSERT_EQ(api.RunOcrPipeline(pipeline, &empty, options, &result), 0);
    ASSERT_NE(result, 0);
    EXPECT_EQ(api.GetOcrLineCount(result, &count), 0);
    EXPECT_EQ(count, 0);
    std::vector<EngineLine> lines;
    for (QSize size : {QSize(1, 1), QSize(3, 40), QSize(200, 2)}) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::black);
        EXPECT_EQ(run(img, 1000, lines), 0);
        EXPECT_TRUE(lines.empty()) << size.width() << "x" << size.height();
    }
}

TEST_F(EngineApi, MalformedCallsAreRefusedWithAStatus)
{
    uint8_t pixels[16 * 16 * 4] = {};
    int64_t options = 0, result = 0;
    api.CreateOcrProcessOptions(&options);
    const OcrImage wrongType{1, 16, 16, 0, 64, pixels};
    const OcrImage shortStride{3, 16, 16, 0, 32, pixels};
    const OcrImage noData{3, 16, 16, 0, 64, nullptr};
    const OcrImage good{3, 16, 16, 0, 64, pixels};
    EXPECT_NE(api.RunOcrPipeline(pipeline, &wrongType, options, &result), 0);
    EXPECT_NE(api.RunOcrPipeline(pipeline, &shortStride, options, &result), 0);
    EXPECT_NE(api.RunOcrPipeline(pipeline, &noData, options, &result), 0);
    EXPECT_NE(api.RunOcrPipeline(0, &good, options, &result), 0);
    EXPECT_NE(api.RunOcrPipeline(pipeline, nullptr, options, &result), 0);
    EXPECT_EQ(result, 0);

    int64_t init = 0, other = 0;
    api.CreateOcrInitOptions(&init);
    EXPECT_NE(api.CreateOcrPipeline(OcrFiles::kModelFile, "00000000000000000000000000000000", init, &other), 0);
    EXPECT_NE(api.CreateOcrPipeline("../bin/oneocr.onemodel", OcrFiles::kModelKey, init, &other), 0);
    EXPECT_NE(api.CreateOcrPipeline("absent.onemodel", OcrFiles::kModelKey, init, &other), 0);
    EXPECT_EQ(other, 0);
    int64_t line = 0;
    api.CreateOcrProcessOptions(&options);
    ASSERT_EQ(api.RunOcrPipeline(pipeline, &good, options, &result), 0);
    EXPECT_NE(api.GetOcrLine(result, 0, &line), 0);
    EXPECT_NE(api.GetOcrLine(result, -1, &line), 0);
    EXPECT_EQ(line, 0);
}

TEST_F(EngineApi, LineCountIsCappedByTheProcessOptions)
{
    QList<SampleLine> drawn;
    const char* words[] = {"居間", "台所", "寝室", "浴室", "廊下", "収納"};
    for (int i = 0; i < 6; ++i)
        drawn.append({QString::fromUtf8(words[i]), {20.0 + 90 * (i % 2), 40.0 + 50 * i}, 28});
    const RenderedSample sample = renderSample({260, 330}, Qt::white, drawn);
    std::vector<EngineLine> lines;
    ASSERT_EQ(run(sample.image, 1000, lines), 0);
    std::string read;
    for (const EngineLine& l : lines)
        read += l.text + "\n";
    EXPECT_EQ(lines.size(), 6u) << read;
    for (int64_t cap : {1, 3}) {
        ASSERT_EQ(run(sample.image, cap, lines), 0);
        EXPECT_EQ(int64_t(lines.size()), cap);
    }
}

TEST_F(EngineApi, PipelinesShareTheLoadedModels)
{
    // A second pipeline on the same model reads the same text without another load.
    int64_t init = 0, second = 0;
    api.CreateOcrInitOptions(&init);
    ASSERT_EQ(api.CreateOcrPipeline(OcrFiles::kModelFile, OcrFiles::kModelKey, init, &second), 0);
    ASSERT_NE(second, 0);
    const RenderedSample sample = renderSample({200, 70}, Qt::white, {{QStringLiteral("詳細図"), {20, 48}, 32}});
    std::vector<EngineLine> a, b;
    ASSERT_EQ(run(sample.image, 10, a), 0);
    std::swap(pipeline, second);
    const int64_t status = run(sample.image, 10, b);
    std::swap(pipeline, second);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(a[0].text, b[0].text);
    EXPECT_EQ(a[0].text, "詳細図");
}

// Lettering in the orientations and colours of CAD screens. Each drawn line must
// come back once, near its drawn box, with corners in the order the reader of
// the results relies on.
TEST_F(EngineApi, ReadsLinesInEveryOrientation)
{
    struct Scene {
        const char* name;
        QSize size;
        QColor background;
        QList<SampleLine> lines;
        int maxEdits;
    };
    const QColor yellow(255, 255, 0), cyan(0, 255, 255);
    const Scene scenes[] = {
        {"90 degrees", {90, 330}, Qt::black, {{QStringLiteral("鉄筋コンクリート造"), {55, 310}, 24, 90, SampleLayout::Horizontal, Qt::white}}, 1},
        {"270 degrees", {90, 330}, Qt::white, {{QStringLiteral("玄関ホール 3,640"), {35, 20}, 24, 270}}, 1},
        {"15 degrees", {360, 160}, Qt::black, {{QStringLiteral("平面図 S=1/100"), {20, 130}, 24, 15, SampleLayout::Horizontal, yellow}}, 1},
        {"-10 degrees", {360, 120}, Qt::white, {{QStringLiteral("天井高 CH=2400"), {20, 40}, 22, -10}}, 1},
        {"vertical", {80, 260}, Qt::black, {{QStringLiteral("避難経路"), {40, 15}, 26, 0, SampleLayout::Vertical, cyan}}, 1},
        {"small text", {260, 40}, Qt::black, {{QStringLiteral("給水管 D13"), {10, 24}, 14, 0, SampleLayout::Horizontal, Qt::white}}, 1},
        {"mixed",
         {460, 360},
         Qt::black,
         {{QStringLiteral("配置図 S=1/200"), {20, 40}, 24, 0, SampleLayout::Horizontal, Qt::white},
          {QStringLiteral("設備配管"), {420, 80}, 24, 0, SampleLayout::Vertical, yellow},
          {QStringLiteral("有効幅 W=800"), {60, 340}, 22, 90, SampleLayout::Horizontal, Qt::green}},
         1},
    };
    for (const Scene& scene : scenes) {
        const RenderedSample sample = renderSample(scene.size, scene.background, scene.lines);
        std::vector<EngineLine> lines;
        ASSERT_EQ(run(sample.image, 1000, lines), 0) << scene.name;
        QList<RecognisedLine> got;
        std::string read;
        for (const EngineLine& l : lines) {
            got.append({QString::fromStdString(l.text), l.box});
            read += l.text + "\n";
        }
        EXPECT_EQ(got.size(), scene.lines.size()) << scene.name << "\n" << read;
        for (qsizetype i = 0; i < scene.lines.size(); ++i) {
            const SampleLine& drawn = scene.lines[i];
            const LineMatch m = matchLine(drawn, sample.boxes[i], got);
            ASSERT_GE(m.index, 0) << scene.name << ": nothing near " << drawn.text.toStdString() << "\n" << read;
            EXPECT_LE(m.edits, scene.maxEdits) << scene.name << ": read " << got[m.index].text.toStdString();
            EXPECT_LE(m.cornerError, 0.5 * drawn.pixelSize) << scene.name << "\n" << read;
            EXPECT_LE(m.directionError, 5.0) << scene.name;
            const auto& b = got[m.index].box;
            if (drawn.layout == SampleLayout::Vertical) {
                // Upright corners and a tall box: the reader takes it for a column.
                EXPECT_LT(b[0], b[2]) << scene.name;
                EXPECT_LT(b[1], b[7]) << scene.name;
                EXPECT_GE(std::abs(b[7] - b[1]), 1.4 * std::abs(b[2] - b[0])) << scene.name;
            }
        }
    }
}

// What CAD screens show beyond plain lettering: 1-pixel stroke text as SHX
// fonts are drawn (its blanks as wide as a character), two TEXTs side by side
// that must stay two rows, and graphics that must give no row at all.
TEST_F(EngineApi, ReadsCadLetteringAndIgnoresGraphics)
{
    LffFont kanji, latin;
    ASSERT_TRUE(kanji.load("/usr/share/librecad/fonts/kst32b.lff"));
    ASSERT_TRUE(latin.load("/usr/share/librecad/fonts/standard.lff"));
    SampleLine stroke{QStringLiteral("鉄筋コンクリート造 S=1/50"), {12, 36}, 22, 0, SampleLayout::Horizontal, Qt::white};
    stroke.strokeFont = &kanji;
    stroke.latinStrokeFont = &latin;
    stroke.antialiased = false;
    struct Scene {
        const char* name;
        QSize size;
        QList<SampleLine> lines;
    };
    const Scene scenes[] = {
        {"stroke lettering", {420, 50}, {stroke}},
        {"side by side", {460, 60},
         {{QStringLiteral("玄関ホール"), {12, 40}, 20, 0, SampleLayout::Horizontal, Qt::white},
          {QStringLiteral("GL+1,200"), {180, 40}, 30, 0, SampleLayout::Horizontal, Qt::white}}},
    };
    for (const Scene& scene : scenes) {
        const RenderedSample sample = renderSample(scene.size, Qt::black, scene.lines);
        std::vector<EngineLine> lines;
        ASSERT_EQ(run(sample.image, 1000, lines), 0) << scene.name;
        QList<RecognisedLine> got;
        std::string read;
        for (const EngineLine& l : lines) {
            got.append({QString::fromStdString(l.text), l.box});
            read += l.text + "\n";
        }
        EXPECT_EQ(got.size(), scene.lines.size()) << scene.name << "\n" << read;
        for (qsizetype i = 0; i < scene.lines.size(); ++i) {
            const LineMatch m = matchLine(scene.lines[i], sample.boxes[i], got);
            ASSERT_GE(m.index, 0) << scene.name << "\n" << read;
            EXPECT_LE(m.edits, 2) << scene.name << ": read " << got[m.index].text.toStdString();
        }
    }
    // A column mark (circle) and a level mark (triangle) are not text.
    QImage graphics(300, 120, QImage::Format_RGB32);
    graphics.fill(Qt::black);
    {
        QPainter p(&graphics);
        p.setPen(QPen(Qt::white, 1));
        p.drawEllipse(QPointF(50, 60), 30, 30);
        p.drawPolygon(QPolygonF{QPointF(200, 50), QPointF(240, 50), QPointF(220, 80)});
    }
    std::vector<EngineLine> lines;
    ASSERT_EQ(run(graphics, 1000, lines), 0);
    std::string read;
    for (const EngineLine& l : lines)
        read += l.text + "\n";
    EXPECT_TRUE(lines.empty()) << read;
}

// In a child process so the engine is loaded afresh from a folder that lacks the runtime.
int createPipelineIn(const QString& folder)
{
    Api a{};
    loadApi((folder + "/liboneocr.so").toStdString(), a);
    int64_t init = 0, p = 0;
    a.CreateOcrInitOptions(&init);
    const int64_t status = a.CreateOcrPipeline(OcrFiles::kModelFile, OcrFiles::kModelKey, init, &p);
    return status != 0 && p == 0 ? 3 : 4;
}

TEST(EngineRuntime, WithoutTheRecogniserNoPipelineIsMade)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(MIRTEX_BIN_DIR "/liboneocr.so", dir.filePath("liboneocr.so")));
    ASSERT_TRUE(QFile::link(MIRTEX_BIN_DIR "/oneocr.onemodel", dir.filePath("oneocr.onemodel")));
    EXPECT_EXIT(std::exit(createPipelineIn(dir.path())), ::testing::ExitedWithCode(3), "");
    // The same copy with the recogniser beside it works.
    ASSERT_TRUE(QFile::link(MIRTEX_BIN_DIR "/liboneocr-recognizer.so", dir.filePath("liboneocr-recognizer.so")));
    EXPECT_EXIT(std::exit(createPipelineIn(dir.path()) == 4 ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

}  // namespace
