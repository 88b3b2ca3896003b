// The binding with the real engine beside the programs: rendered lettering of
// known text must come back as result lines with those texts and boxes.
#include "capture/OcrBinding.h"
#include "ocr_test_support.h"
#include "ocrengine/samples/TextSamples.h"

#include "app/AppPaths.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class RealEngine : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char arg0[] = "ocr_recognition_test";
        static char* argv[] = {arg0, nullptr};
        if (!QGuiApplication::instance())
            new QGuiApplication(argc, argv);  // fonts for the rendered samples
    }
    void SetUp() override { AppPaths::setExecutableForTesting(QStringLiteral(MIRTEX_BIN_DIR)); }
};

// Every drawn line must be found once, with at most maxEdits edits and its
// corners within tolerance pixels of the drawn ink box.
void expectLinesFound(const QStringList& results, const QList<SampleLine>& drawn, const RenderedSample& sample,
                      int maxEdits, double tolerance, const std::string& context)
{
    QList<RecognisedLine> got;
    for (const QString& r : results) {
        ParsedResultLine p;
        ASSERT_TRUE(parseResultLine(r, p)) << r.toStdString();
        got.append({p.text, p.box});
    }
    const std::string all = results.join("\n").toStdString();
    EXPECT_EQ(got.size(), drawn.size()) << context << "\n" << all;
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        const LineMatch m = matchLine(drawn[i], sample.boxes[i], got);
        ASSERT_GE(m.index, 0) << context << ": nothing read near " << drawn[i].text.toStdString() << "\n" << all;
        EXPECT_LE(m.edits, maxEdits) << context << ": " << drawn[i].text.toStdString() << " read as "
                                     << got[m.index].text.toStdString();
        EXPECT_LE(m.cornerError, tolerance) << context << ": box of " << drawn[i].text.toStdString() << "\n" << all;
    }
}

TEST_F(RealEngine, ReadsJapaneseAndAsciiLinesInCommonColours)
{
    struct Case {
        const char* name;
        QColor background;
        QColor text;
    };
    const Case cases[] = {
        {"black on white", Qt::white, Qt::black},
        {"white on black", Qt::black, Qt::white},
        {"yellow on black", Qt::black, QColor(255, 255, 0)},
        {"green on black", Qt::black, QColor(0, 255, 0)},
    };
    const QList<SampleLine> drawn = {
        {QStringLiteral("平面図 S=1/100"), {20, 40}, 24},
        {QStringLiteral("鉄筋コンクリート造"), {20, 100}, 24},
        {QStringLiteral("GL+1200"), {260, 160}, 24},
    };
    for (const Case& c : cases) {
        QList<SampleLine> lines = drawn;
        for (SampleLine& l : lines)
            l.colour = c.text;
        const RenderedSample sample = renderSample({420, 190}, c.background, lines);
        QStringList out;
        QString flagged;
        RecordingMemo memo;
        const int n = ocrBitmapSL(sample.image, out, flagged, memo);
        EXPECT_EQ(n, out.size());
        expectLinesFound(out, lines, sample, 1, 5.0, c.name);
        EXPECT_TRUE(flagged.isEmpty()) << c.name << ": " << flagged.toStdString();
    }
}

TEST_F(RealEngine, ImagesWithoutTextGiveNoLines)
{
    QImage blank(300, 120, QImage::Format_RGB32);
    blank.fill(Qt::black);
    const QImage cases[] = {QImage(), QImage(1, 1, QImage::Format_RGB32), QImage(3, 2, QImage::Format_RGB32), blank};
    for (const QImage& image : cases) {
        QStringList out{"stale"};
        QString flagged;
        RecordingMemo memo;
        EXPECT_EQ(ocrBitmapSL(image, out, flagged, memo), 0) << image.width() << "x" << image.height();
        EXPECT_TRUE(out.isEmpty());
    }
}

TEST_F(RealEngine, ModelSealedWithAnotherKeyYieldsNoLines)
{
    const RenderedSample sample = renderSample({300, 80}, Qt::white, {{QStringLiteral("階段"), {20, 50}, 32}});
    QStringList out;
    QString flagged;
    RecordingMemo memo;
    ASSERT_EQ(ocrBitmapSL(sample.image, out, flagged, memo), 1);  // the right key reads it
    EXPECT_EQ(ocrBitmapWithKey("00000000000000000000000000000000", sample.image, out, flagged, memo), 0);
    EXPECT_TRUE(out.isEmpty());
}

// The command-line recogniser, as a separate process.
class OcrTool : public RealEngine {
protected:
    QTemporaryDir dir;
    struct Outcome {
        int exitCode = -1;
        QByteArray out, err;
    };
    static Outcome run(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }
};

TEST_F(OcrTool, PrintsOneResultLinePerRecognisedLine)
{
    const QList<SampleLine> drawn = {{QStringLiteral("玄関ホール"), {16, 40}, 28},
                                     {QStringLiteral("No.12 A-101"), {16, 100}, 28}};
    const RenderedSample sample = renderSample({360, 130}, Qt::white, drawn);
    const QString png = dir.filePath("sample.png");
    ASSERT_TRUE(sample.image.save(png));
    const Outcome r = run(QStringLiteral(MIRTEX_BIN_DIR "/mirtex-ocr"), {png});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList out = QString::fromUtf8(r.out).split('\n', Qt::SkipEmptyParts);
    expectLinesFound(out, drawn, sample, 1, 5.0, "mirtex-ocr");
}

TEST_F(OcrTool, ReadsSeveralImagesUnderHeadersAndSaysWhetherAllWereRead)
{
    const QList<SampleLine> first = {{QStringLiteral("玄関ホール"), {16, 40}, 28}};
    const QList<SampleLine> second = {{QStringLiteral("No.12 A-101"), {16, 40}, 28}};
    const QString a = dir.filePath("first.png"), b = dir.filePath("second.png"), junk = dir.filePath("junk.png");
    ASSERT_TRUE(renderSample({360, 70}, Qt::white, first).image.save(a));
    ASSERT_TRUE(renderSample({360, 70}, Qt::white, second).image.save(b));
    QFile j(junk);
    ASSERT_TRUE(j.open(QIODevice::WriteOnly));
    j.write("not an image");
    j.close();

    const Outcome both = run(QStringLiteral(MIRTEX_BIN_DIR "/mirtex-ocr"), {a, b});
    EXPECT_EQ(both.exitCode, 0) << both.err.toStdString();
    const QStringList out = QString::fromUtf8(both.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 4) << both.out.toStdString();
    EXPECT_EQ(out[0], "==> " + a + " <==");
    EXPECT_TRUE(out[1].startsWith("0: ")) << out[1].toStdString();
    EXPECT_EQ(out[2], "==> " + b + " <==");
    EXPECT_TRUE(out[3].startsWith("0: ")) << out[3].toStdString();

    // An unreadable file among readable ones: the others are still read, the status says one failed.
    const Outcome mixed = run(QStringLiteral(MIRTEX_BIN_DIR "/mirtex-ocr"), {a, junk, b});
    EXPECT_EQ(mixed.exitCode, 1);
    const QString mixedOut = QString::fromUtf8(mixed.out);
    EXPECT_TRUE(mixedOut.contains("==> " + a + " <==") && mixedOut.contains("==> " + b + " <=="))
        << mixed.out.toStdString();
    EXPECT_FALSE(mixedOut.contains(junk));
    EXPECT_TRUE(QString::fromUtf8(mixed.err).contains("cannot read image " + junk)) << mixed.err.toStdString();
}

TEST_F(OcrTool, HelpPrintsTheUsage)
{
    for (const char* option : {"--help", "-h"}) {
        const Outcome r = run(QStringLiteral(MIRTEX_BIN_DIR "/mirtex-ocr"), {option});
        EXPECT_EQ(r.exitCode, 0) << option;
        EXPECT_TRUE(r.out.startsWith("usage: mirtex-ocr IMAGE...")) << r.out.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
}

TEST_F(OcrTool, FailsClearlyOnUnreadableImageOrMissingEngine)
{
    QFile junk(dir.filePath("junk.png"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an image");
    junk.close();
    struct Case {
        const char* name;
        QString program;
        QStringList args;
        const char* message;
    };
    // A copy of the tool alone in a folder has no engine beside it.
    const QString lonely = dir.filePath("mirtex-ocr");
    ASSERT_TRUE(QFile::copy(QStringLiteral(MIRTEX_BIN_DIR "/mirtex-ocr"), lonely));
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    ASSERT_TRUE(image.save(dir.filePath("white.png")));
    const Case cases[] = {
        {"junk file", MIRTEX_BIN_DIR "/mirtex-ocr", {junk.fileName()}, "cannot read image"},
        {"no such file", MIRTEX_BIN_DIR "/mirtex-ocr", {dir.filePath("absent.png")}, "cannot read image"},
        {"no argument", MIRTEX_BIN_DIR "/mirtex-ocr", {}, "usage"},
        {"no engine", lonely, {dir.filePath("white.png")}, "liboneocr.so が見つかりません."},
    };
    for (const Case& c : cases) {
        const Outcome r = run(c.program, c.args);
        EXPECT_NE(r.exitCode, 0) << c.name;
        EXPECT_TRUE(r.out.isEmpty()) << c.name;
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf8(c.message))) << c.name << ": " << r.err.toStdString();
    }
}

}  // namespace
