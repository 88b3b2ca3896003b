// The binding against a scripted engine library: what it hands over, how it
// turns lines into result lines, and how it fails.
#include "capture/OcrBinding.h"
#include "capture/OcrFiles.h"
#include "ocr_fake/FakeEngine.h"
#include "ocr_test_support.h"

#include "app/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct BoxCase {
    long long index;
    const char* text;
    std::array<float, 8> box;
    const char* expected;
};

TEST(OcrResultLine, FormatsIndexTextAndRoundedCorners)
{
    const BoxCase cases[] = {
        {0, "ABC", {10.4f, 20, 60, 20, 60, 35.5f, 10, 35}, "0: ABC: (10,20),(60,20),(60,36),(10,35)"},
        {3, "x", {12.5f, 0.5f, 1.5f, 2.5f, -0.5f, -1.5f, -2.5f, 7.49f}, "3: x: (13,1),(2,3),(-1,-2),(-3,7)"},
        {7, "W: 900 (a), [b]", {1, 2, 3, 4, 5, 6, 7, 8}, "7: W: 900 (a), [b]: (1,2),(3,4),(5,6),(7,8)"},
        {12, "平面図", {1200.5f, 799.5f, 0, 0, 0, 0, 0, 0}, "12: 平面図: (1201,800),(0,0),(0,0),(0,0)"},
        {1, "", {0, 0, 0, 0, 0, 0, 0, 0}, "1: : (0,0),(0,0),(0,0),(0,0)"},
    };
    for (const BoxCase& c : cases)
        EXPECT_EQ(formatResultLine(c.index, QString::fromUtf8(c.text), c.box), QString::fromUtf8(c.expected));
    // Tiny negative values round to zero, with or without a sign.
    const QString small = formatResultLine(0, "a", {-0.2f, -0.4f, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(small.startsWith("0: a: (0,0),") || small.startsWith("0: a: (-0,-0),")) << small.toStdString();
}

TEST(OcrResultLine, ParsesBackTextWithColonsAndBrackets)
{
    const QString line = formatResultLine(4, "A: (1,2) B", {1, 2, 3, 4, 5, 6, 7, 8});
    ParsedResultLine p;
    ASSERT_TRUE(parseResultLine(line, p));
    EXPECT_EQ(p.index, 4);
    EXPECT_EQ(p.text, "A: (1,2) B");
    EXPECT_EQ(p.box[7], 8);
}

// The three engine files with one or more of them absent.
class OcrFilesCheck : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void populate(const QStringList& present)
    {
        for (const QString& name : present)
            ASSERT_TRUE(QFile::link(QStringLiteral(MIRTEX_BIN_DIR "/") + name, dir.filePath(name)));
        AppPaths::setExecutableForTesting(dir.path());
    }
    void TearDown() override { AppPaths::setExecutableForTesting(QStringLiteral(MIRTEX_BIN_DIR)); }
};

TEST_F(OcrFilesCheck, EachMissingFileIsNamedInMemoAndBox)
{
    const QString all[] = {OcrFiles::kEngineLibrary, OcrFiles::kRuntimeLibrary, OcrFiles::kModelFile};
    for (const QString& missing : all) {
        QTemporaryDir d;
        for (const QString& name : all)
            if (name != missing)
                ASSERT_TRUE(QFile::link(QStringLiteral(MIRTEX_BIN_DIR "/") + name, d.filePath(name)));
        AppPaths::setExecutableForTesting(d.path());
        RecordingMemo memo;
        EXPECT_FALSE(checkOcrFiles(memo)) << missing.toStdString();
        EXPECT_EQ(memo.lines, QStringList{missing + QStringLiteral(" が見つかりません.")});
        EXPECT_EQ(memo.boxes, QStringList{QStringLiteral("・") + missing + QStringLiteral("\nファイルが不足しています。")});
    }
}

TEST_F(OcrFilesCheck, AllMissingAreListedInOrder)
{
    populate({});
    RecordingMemo memo;
    EXPECT_FALSE(checkOcrFiles(memo));
    ASSERT_EQ(memo.lines.size(), 3);
    EXPECT_EQ(memo.lines[0], QStringLiteral("liboneocr.so が見つかりません."));
    EXPECT_EQ(memo.lines[2], QStringLiteral("oneocr.onemodel が見つかりません."));
    EXPECT_EQ(memo.boxes, QStringList{QStringLiteral("・liboneocr.so\n・liboneocr-recognizer.so\n・oneocr.onemodel\n"
                                                     "ファイルが不足しています。")});
}

TEST_F(OcrFilesCheck, AllPresentPassesSilently)
{
    populate({OcrFiles::kEngineLibrary, OcrFiles::kRuntimeLibrary, OcrFiles::kModelFile});
    RecordingMemo memo;
    EXPECT_TRUE(checkOcrFiles(memo));
    EXPECT_TRUE(memo.events.isEmpty());
}

// Runs against the scripted engine built into OCR_FAKE_DIR.
class FakeEngineRun : public ::testing::Test {
protected:
    FakeScriptFn script = nullptr;
    FakeRecordFn record = nullptr;
    void SetUp() override
    {
        // The binding loads the same file, so both see one library instance.
        void* lib = dlopen(OCR_FAKE_DIR "/liboneocr.so", RTLD_NOW);
        ASSERT_NE(lib, nullptr) << dlerror();
        script = reinterpret_cast<FakeScriptFn>(dlsym(lib, "fakeEngineScript"));
        record = reinterpret_cast<FakeRecordFn>(dlsym(lib, "fakeEngineRecord"));
        ASSERT_TRUE(script && record);
        AppPaths::setExecutableForTesting(QStringLiteral(OCR_FAKE_DIR));
    }
    void TearDown() override { AppPaths::setExecutableForTesting(QStringLiteral(MIRTEX_BIN_DIR)); }
    static QImage anyImage() { QImage i(8, 4, QImage::Format_RGB32); i.fill(Qt::white); return i; }
};

constexpr float kBox[8] = {1, 2, 30, 2, 30, 12, 1, 12};
FakeLine line(const char* text, bool handle = true, bool box = true)
{
    FakeLine l{handle, text, box, {}};
    std::copy(std::begin(kBox), std::end(kBox), l.box);
    return l;
}

TEST_F(FakeEngineRun, LinesWithoutHandleTextOrBoxAreSkippedKeepingIndices)
{
    struct Case {
        const char* name;
        FakeLine middle;
    };
    const Case cases[] = {
        {"no handle", line("B", false, true)},
        {"no text", line(nullptr, true, true)},
        {"no box", line("B", true, false)},
    };
    for (const Case& c : cases) {
        const FakeLine lines[] = {line("A"), c.middle, line("C")};
        script(lines, 3, 0);
        QStringList out{"stale"};
        QString flagged = "stale";
        RecordingMemo memo;
        EXPECT_EQ(ocrBitmapSL(anyImage(), out, flagged, memo), 2) << c.name;
        EXPECT_EQ(out, (QStringList{"0: A: (1,2),(30,2),(30,12),(1,12)", "2: C: (1,2),(30,2),(30,12),(1,12)"}))
            << c.name;
        EXPECT_TRUE(flagged.isEmpty()) << c.name;
    }
}

TEST_F(FakeEngineRun, FlagsLinesTheCadCannotDisplayEvenWithoutBox)
{
    const FakeLine lines[] = {line("平面図"), line("caf\xC3\xA9"), line("①"), line("x"),
                              line("\xF0\x9F\x98\x80", true, false), line("ok")};
    script(lines, 6, 0);
    QStringList out;
    QString flagged;
    RecordingMemo memo;
    EXPECT_EQ(ocrBitmapSL(anyImage(), out, flagged, memo), 5);
    EXPECT_EQ(flagged, "2\t5");
    EXPECT_EQ(out[1], QString::fromUtf8("1: caf\xC3\xA9: (1,2),(30,2),(30,12),(1,12)"));
}

TEST_F(FakeEngineRun, FailedRunYieldsNothing)
{
    const FakeLine lines[] = {line("A")};
    for (int64_t status : {int64_t(1), int64_t(-1), int64_t(0x80004005)}) {
        script(lines, 1, status);
        QStringList out{"stale"};
        QString flagged{"9"};
        RecordingMemo memo;
        EXPECT_EQ(ocrBitmapSL(anyImage(), out, flagged, memo), 0);
        EXPECT_TRUE(out.isEmpty());
        EXPECT_TRUE(flagged.isEmpty());
    }
}

TEST_F(FakeEngineRun, HandsOverOneTightBgraBufferAndTheFixedArguments)
{
    script(nullptr, 0, 0);
    QImage image(5, 3, QImage::Format_RGB888);  // rows of 15 bytes: padded in QImage, tight for the engine
    image.fill(QColor(1, 2, 3));
    image.setPixelColor(0, 0, QColor(10, 20, 30));
    image.setPixelColor(4, 2, QColor(40, 50, 60));
    QStringList out;
    QString flagged;
    RecordingMemo memo;
    EXPECT_EQ(ocrBitmapSL(image, out, flagged, memo), 0);
    const FakeRunRecord& r = *record();
    EXPECT_EQ(r.runs, 1);
    EXPECT_EQ(r.type, 3);
    EXPECT_EQ(r.width, 5);
    EXPECT_EQ(r.height, 3);
    EXPECT_EQ(r.reserved, 0);
    EXPECT_EQ(r.stride, 20);
    EXPECT_EQ((std::vector<int>{r.firstPixel[0], r.firstPixel[1], r.firstPixel[2]}), (std::vector<int>{30, 20, 10}));
    EXPECT_EQ((std::vector<int>{r.lastPixel[0], r.lastPixel[1], r.lastPixel[2]}), (std::vector<int>{60, 50, 40}));
    EXPECT_STREQ(r.modelName, "oneocr.onemodel");
    EXPECT_STREQ(r.modelKey, OcrFiles::kModelKey);
    EXPECT_EQ(std::strlen(OcrFiles::kModelKey), 32u);
    EXPECT_EQ(r.maxLines, 1000);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(10, 20, 30));  // the caller's image is untouched
}

TEST_F(FakeEngineRun, MemoShowsBothStepsAndLetsTheWindowRepaint)
{
    script(nullptr, 0, 0);
    QStringList out;
    QString flagged;
    RecordingMemo memo;
    ocrBitmapSL(anyImage(), out, flagged, memo);
    EXPECT_EQ(memo.events, (QStringList{"line: OcrPipeline を作成中 ...", "process", "line: OcrPipeline を実行中 ...",
                                        "process"}));
}

#if defined(__x86_64__) || defined(__i386__)
TEST_F(FakeEngineRun, FloatingPointControlDuringAndAfterTheRun)
{
    script(nullptr, 0, 0);
    uint16_t before = 0x027F, after = 0;  // 53-bit precision, distinct from what the engine gets
    asm volatile("fldcw %0" : : "m"(before));
    QStringList out;
    QString flagged;
    RecordingMemo memo;
    ocrBitmapSL(anyImage(), out, flagged, memo);
    asm volatile("fnstcw %0" : "=m"(after));
    uint32_t mxcsr = 0;
    asm volatile("stmxcsr %0" : "=m"(mxcsr));
    const uint16_t standard = 0x037F;
    asm volatile("fldcw %0" : : "m"(standard));
    // Bit 6 of the control word is reserved and always reads back as 1.
    EXPECT_EQ(record()->x87ControlWord & ~0x40, 0x133F);
    EXPECT_EQ(record()->mxcsr & 0x1F80u, 0x1F80u);
    EXPECT_EQ(after, before);
    EXPECT_EQ(mxcsr & 0x1F80u, 0x1F80u);  // the masks stay set
}
#endif

TEST(OcrEngineLoading, MissingLibraryRaisesTheLoadError)
{
    QTemporaryDir empty;
    AppPaths::setExecutableForTesting(empty.path());
    QStringList out{"stale"};
    QString flagged{"1"};
    RecordingMemo memo;
    try {
        ocrBitmapSL(QImage(4, 4, QImage::Format_RGB32), out, flagged, memo);
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Failed to load liboneocr.so.");
    }
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(flagged.isEmpty());
    EXPECT_TRUE(memo.events.isEmpty());
    AppPaths::setExecutableForTesting(QStringLiteral(MIRTEX_BIN_DIR));
}

TEST(OcrEngineLoading, MissingEntryPointIsAnErrorNamingIt)
{
    AppPaths::setExecutableForTesting(QStringLiteral(OCR_INCOMPLETE_DIR));
    QStringList out;
    QString flagged;
    RecordingMemo memo;
    try {
        ocrBitmapSL(QImage(4, 4, QImage::Format_RGB32), out, flagged, memo);
        ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("GetOcrWordBoundingBox"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(memo.events.isEmpty());
    AppPaths::setExecutableForTesting(QStringLiteral(MIRTEX_BIN_DIR));
}

TEST(OcrResultFile, Utf8WithBomAndCrLfAfterEveryLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("result.txt");
    saveResultText({"0: 平面図: (1,2),(3,4),(5,6),(7,8)", "2: A: (0,0),(0,0),(0,0),(0,0)"}, path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\xEF\xBB\xBF") + QString("0: 平面図: (1,2),(3,4),(5,6),(7,8)\r\n"
                                                                "2: A: (0,0),(0,0),(0,0),(0,0)\r\n").toUtf8());
}

}  // namespace
