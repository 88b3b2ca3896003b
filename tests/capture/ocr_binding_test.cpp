#include "app/StatusMemo.h"
#include "capture/OcrBinding.h"
#include "capture/OcrFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

const QString kBin = QStringLiteral(MIRTEX_BIN_DIR "/");

struct RecordingMemo : IStatusMemo {
    QStringList lines;
    QStringList boxes;
    int processed = 0;
    void addLine(const QString& l) override { lines << l; }
    void clear() override { lines.clear(); }
    void processMessages() override { ++processed; }
    void information(const QString& t) override { boxes << t; }
};

QGuiApplication& guiApp()
{
    static int argc = 1;
    static char name[] = "ocr_binding_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    return app ? *app : *static_cast<QGuiApplication*>(QGuiApplication::instance());
}

int editDistance(const QString& a, const QString& b)
{
    std::vector<int> prev(size_t(b.size()) + 1), cur(prev.size());
    for (size_t j = 0; j < prev.size(); ++j)
        prev[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        cur[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j)
            cur[size_t(j)] = std::min({prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1,
                                       prev[size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(prev, cur);
    }
    return prev.back();
}

struct ParsedLine {
    int index = -1;
    QString text;
    std::vector<int> v;  // x1 y1 .. x4 y4
};

ParsedLine parse(const QString& line)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^(\d+): (.*): \((-?\d+),(-?\d+)\),\((-?\d+),(-?\d+)\),\((-?\d+),(-?\d+)\),\((-?\d+),(-?\d+)\)$)"));
    const auto m = re.match(line);
    ParsedLine p;
    if (!m.hasMatch())
        return p;
    p.index = m.captured(1).toInt();
    p.text = m.captured(2);
    for (int i = 3; i <= 10; ++i)
        p.v.push_back(m.captured(i).toInt());
    return p;
}

struct DrawnLine {
    QString text;
    QRect rect;
};

// Draws the texts one below the other; returns where each one's ink lies.
QImage renderLines(const QStringList& texts, QColor background, const std::vector<QColor>& colours,
                   std::vector<DrawnLine>& drawn)
{
    guiApp();
    QImage image(520, 60 * int(texts.size()) + 30, QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(30);
    p.setFont(font);
    const QFontMetrics fm(font);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QPoint origin(20, 50 + 60 * int(i));
        p.setPen(colours[size_t(i) % colours.size()]);
        p.drawText(origin, texts[i]);
        drawn.push_back({texts[i], fm.tightBoundingRect(texts[i]).translated(origin)});
    }
    return image;
}

void expectRecognised(const QStringList& result, const std::vector<DrawnLine>& drawn)
{
    ASSERT_EQ(result.size(), qsizetype(drawn.size())) << result.join(QLatin1Char('\n')).toStdString();
    for (size_t i = 0; i < drawn.size(); ++i) {
        const ParsedLine p = parse(result[qsizetype(i)]);
        ASSERT_EQ(p.index, int(i)) << result[qsizetype(i)].toStdString();
        QString got = p.text;
        got.remove(QLatin1Char(' '));
        EXPECT_LE(editDistance(got, drawn[i].text), 1) << p.text.toStdString() << " vs " << drawn[i].text.toStdString();
        const QRect ink = drawn[i].rect;
        // Upright corner order: UL, UR, LR, LL, each near the drawn ink.
        EXPECT_NEAR(p.v[0], ink.left(), 8);
        EXPECT_NEAR(p.v[1], ink.top(), 8);
        EXPECT_NEAR(p.v[2], ink.right(), 8);
        EXPECT_NEAR(p.v[5], ink.bottom(), 8);
        EXPECT_EQ(p.v[1], p.v[3]);
        EXPECT_EQ(p.v[4], p.v[2]);
        EXPECT_EQ(p.v[6], p.v[0]);
        EXPECT_EQ(p.v[7], p.v[5]);
    }
}

const QStringList kTexts = {QStringLiteral("鉄筋コンクリート"), QStringLiteral("ABC-123"),
                            QStringLiteral("寸法図面")};

}  // namespace

TEST(OcrResultLine, RoundsHalvesAwayFromZeroAndKeepsTheText)
{
    struct Case {
        long long index;
        QString text;
        std::array<float, 8> box;
        QString expected;
    };
    const std::vector<Case> cases = {
        {0, QStringLiteral("ABC"), {10.4f, 20, 60, 20, 60, 35.5f, 10, 35}, QStringLiteral("0: ABC: (10,20),(60,20),(60,36),(10,35)")},
        {7, QStringLiteral("x"), {12.5f, -0.2f, -12.5f, 2.5f, 0.49f, -0.5f, 1e4f, 3}, QStringLiteral("7: x: (13,0),(-13,3),(0,-1),(10000,3)")},
        {12, QStringLiteral("a: b (c),(d)"), {1, 2, 3, 4, 5, 6, 7, 8}, QStringLiteral("12: a: b (c),(d): (1,2),(3,4),(5,6),(7,8)")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatResultLine(c.index, c.text, c.box), c.expected);
}

TEST(OcrFiles, AllPresentInTheBuildFolder)
{
    RecordingMemo memo;
    EXPECT_TRUE(checkOcrFilesIn(kBin, memo));
    EXPECT_TRUE(memo.lines.isEmpty());
    EXPECT_TRUE(memo.boxes.isEmpty());
}

TEST(OcrFiles, EachMissingFileIsNamed)
{
    const QStringList names = {QString::fromLatin1(OcrFiles::kEngineLibrary), QString::fromLatin1(OcrFiles::kRuntimeLibrary),
                               QString::fromLatin1(OcrFiles::kModelFile)};
    for (const QString& missing : names) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        for (const QString& n : names)
            if (n != missing)
                ASSERT_TRUE(QFile::link(kBin + n, dir.filePath(n)));
        RecordingMemo memo;
        EXPECT_FALSE(checkOcrFilesIn(dir.path() + QLatin1Char('/'), memo));
        EXPECT_EQ(memo.lines, QStringList{missing + QStringLiteral(" が見つかりません.")});
        EXPECT_EQ(memo.boxes, QStringList{QStringLiteral("・") + missing + QStringLiteral("\nファイルが不足しています。")});
    }
}

TEST(OcrFiles, AllMissingAreListedInOrder)
{
    QTemporaryDir dir;
    RecordingMemo memo;
    EXPECT_FALSE(checkOcrFilesIn(dir.path() + QLatin1Char('/'), memo));
    EXPECT_EQ(memo.lines, (QStringList{QStringLiteral("liboneocr.so が見つかりません."),
                                       QStringLiteral("liboneocr-recognizer.so が見つかりません."),
                                       QStringLiteral("oneocr.onemodel が見つかりません.")}));
    ASSERT_EQ(memo.boxes.size(), 1);
    EXPECT_EQ(memo.boxes[0], QStringLiteral("・liboneocr.so\n・liboneocr-recognizer.so\n・oneocr.onemodel\nファイルが不足しています。"));
}

TEST(OcrBinding, MissingLibraryRaisesTheLoadError)
{
    QTemporaryDir dir;
    RecordingMemo memo;
    QStringList lines{QStringLiteral("old")};
    QString flagged = QStringLiteral("1");
    try {
        ocrBitmapIn(dir.path() + QLatin1Char('/'), OcrFiles::kModelKey, QImage(10, 10, QImage::Format_RGB32), lines,
                    flagged, memo);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Failed to load liboneocr.so.");
    }
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_TRUE(flagged.isEmpty());
}

TEST(OcrBinding, RecognisesDarkTextOnLight)
{
    std::vector<DrawnLine> drawn;
    const QImage image = renderLines(kTexts, Qt::white, {Qt::black}, drawn);
    RecordingMemo memo;
    QStringList lines;
    QString flagged = QStringLiteral("junk");
    const int n = ocrBitmapIn(kBin, OcrFiles::kModelKey, image, lines, flagged, memo);
    EXPECT_EQ(n, int(lines.size()));
    expectRecognised(lines, drawn);
    EXPECT_TRUE(flagged.isEmpty());
    EXPECT_EQ(memo.lines, (QStringList{QStringLiteral("OcrPipeline を作成中 ..."), QStringLiteral("OcrPipeline を実行中 ...")}));
    EXPECT_EQ(memo.processed, 2);
}

TEST(OcrBinding, RecognisesLightAndColouredTextOnBlack)
{
    std::vector<DrawnLine> drawn;
    const QImage image = renderLines(kTexts, Qt::black, {Qt::white, Qt::yellow, Qt::cyan}, drawn);
    RecordingMemo memo;
    QStringList lines;
    QString flagged;
    ocrBitmapIn(kBin, OcrFiles::kModelKey, image, lines, flagged, memo);
    expectRecognised(lines, drawn);
}

TEST(OcrBinding, EmptyAndTinyImagesGiveNoLines)
{
    for (const QImage& image : {QImage(), QImage(2, 2, QImage::Format_RGB32), QImage(300, 100, QImage::Format_RGB32)}) {
        QImage filled = image;
        if (!filled.isNull())
            filled.fill(Qt::white);
        RecordingMemo memo;
        QStringList lines{QStringLiteral("old")};
        QString flagged;
        EXPECT_EQ(ocrBitmapIn(kBin, OcrFiles::kModelKey, filled, lines, flagged, memo), 0);
        EXPECT_TRUE(lines.isEmpty());
        EXPECT_EQ(memo.lines.size(), 2);
    }
}

TEST(OcrBinding, WrongModelKeyYieldsNoLines)
{
    std::vector<DrawnLine> drawn;
    const QImage image = renderLines(kTexts, Qt::white, {Qt::black}, drawn);
    RecordingMemo memo;
    QStringList lines;
    QString flagged;
    EXPECT_EQ(ocrBitmapIn(kBin, "0123456789abcdef0123456789ABCDEF", image, lines, flagged, memo), 0);
    EXPECT_TRUE(lines.isEmpty());
}

TEST(OcrBinding, WithoutTheRuntimeNothingIsRecognised)
{
    QTemporaryDir dir;
    // Copies, not links: the loader would otherwise reuse the engine already loaded from the build folder.
    for (const char* n : {OcrFiles::kEngineLibrary, OcrFiles::kModelFile})
        ASSERT_TRUE(QFile::copy(kBin + QString::fromLatin1(n), dir.filePath(QString::fromLatin1(n))));
    std::vector<DrawnLine> drawn;
    const QImage image = renderLines(kTexts, Qt::white, {Qt::black}, drawn);
    RecordingMemo memo;
    QStringList lines;
    QString flagged;
    EXPECT_EQ(ocrBitmapIn(dir.path() + QLatin1Char('/'), OcrFiles::kModelKey, image, lines, flagged, memo), 0);
}

TEST(OcrTool, PrintsTheResultLines)
{
    std::vector<DrawnLine> drawn;
    const QImage image = renderLines(kTexts, Qt::black, {Qt::white}, drawn);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("crop.png"));
    ASSERT_TRUE(image.save(path));
    QProcess tool;
    tool.start(kBin + QStringLiteral("mirtex-ocr"), {path});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QStringList out = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    expectRecognised(out, drawn);

    QProcess bad;
    bad.start(kBin + QStringLiteral("mirtex-ocr"), {dir.filePath(QStringLiteral("none.png"))});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_NE(bad.exitCode(), 0);
    EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(bad.readAllStandardError().contains("cannot read image"));
}
