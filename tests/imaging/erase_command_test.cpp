#include "imaging/EraseImageCommand.h"

#include "tests/support/QtTestSupport.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QColor kGround(100, 150, 200);
const QColor kLine(0, 255, 0);

// Records what the command does to the main window.
class RecordingWindow : public IEraseImageWindow {
public:
    QString edit7 = QStringLiteral("120 x 40");
    QStringList progress, messages, opened;
    QString cropSizeText() const override { return edit7; }
    void setCropSizeText(const QString& text) override {
        edit7 = text;
        progress << text;
    }
    void processMessages() override {}
    void message(const QString& text) override { messages << text; }
    void openFile(const QString& path) override { opened << path; }
};

class EraseCommand : public ::testing::Test {
protected:
    void SetUp() override { testApplication<QGuiApplication>(); }
    QString folder() const { return dir.path() + '/'; }
    QString path(const char* name) const { return folder() + name; }
    void writeSource(int w, int h) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(kGround);
        ASSERT_TRUE(img.save(path("source.png")));
    }
    void writeResult(const QByteArray& utf8) {
        QFile f(path("result.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF" + utf8);
    }
    bool run(const char* suffix, bool lineMode, QColor fill = Qt::black) {
        return makeEraseImage(window, folder(), fill, lineMode, QString::fromLatin1(suffix), kLine);
    }
    QImage output(const char* suffix) const {
        return QImage(path("result") + suffix + ".png").convertToFormat(QImage::Format_RGB888);
    }
    QTemporaryDir dir;
    RecordingWindow window;
};

// Every pixel of the image: colour inside the rectangle, the ground colour elsewhere.
void expectOnlyRect(const QImage& img, const QRect& painted, const QColor& colour) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_EQ(img.pixelColor(x, y), painted.contains(x, y) ? colour : kGround) << x << "," << y;
}
}

TEST_F(EraseCommand, FillPaintsEachQuadrilateralAloneAndShowsProgress) {
    writeSource(60, 40);
    writeResult("0: f(x) (y): (5,5),(25,5),(25,15),(5,15)\r\n"
                "1: no corners here\r\n"
                "2: 文字: (30,20),(50,20),(50,30),(30,30)\r\n");
    ASSERT_TRUE(run("BK", false));
    const QImage img = output("BK");
    ASSERT_EQ(img.size(), QSize(60, 40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool inside = QRect(5, 5, 20, 10).contains(x, y) || QRect(30, 20, 20, 10).contains(x, y);
            ASSERT_EQ(img.pixelColor(x, y), inside ? QColor(Qt::black) : kGround) << x << "," << y;
        }
    EXPECT_EQ(window.progress, (QStringList{"塗りつぶし中... 1/3", "塗りつぶし中... 2/3", "塗りつぶし中... 3/3", "120 x 40"}));
    EXPECT_EQ(window.edit7, "120 x 40");
    EXPECT_EQ(window.opened, QStringList{path("resultBK.png")});
    EXPECT_TRUE(window.messages.isEmpty());
}

TEST_F(EraseCommand, LineModeStrikesThroughInTheFrameColourWithoutProgress) {
    writeSource(60, 40);
    // Edge 1-4 from (10,10) to (10,21), edge 2-3 from (40,10) to (40,21): the line runs along y = 15.
    writeResult("0: abc: (10,10),(40,10),(40,21),(10,21)\n");
    ASSERT_TRUE(run("LN", true, Qt::black));
    const QImage img = output("LN");
    ASSERT_EQ(img.size(), QSize(60, 40));
    for (int x = 11; x <= 39; ++x)  // the caps at the ends are the painter's
        for (int y = 14; y <= 16; ++y) ASSERT_EQ(img.pixelColor(x, y), kLine) << x << "," << y;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool near = x >= 8 && x <= 42 && y >= 13 && y <= 17;
            if (!near) ASSERT_EQ(img.pixelColor(x, y), kGround) << x << "," << y;
            else ASSERT_TRUE(img.pixelColor(x, y) == kLine || img.pixelColor(x, y) == kGround);
        }
    EXPECT_EQ(window.progress, QStringList{"120 x 40"});  // only the restore
}

TEST_F(EraseCommand, LargeSourceKeepsItsSizeInLineModeAndShrinksTo2048WhenFilled) {
    writeSource(3000, 1000);
    writeResult("0: left half: (0,0),(1501,0),(1501,1000),(0,1000)\r\n");
    ASSERT_TRUE(run("LN", true));
    EXPECT_EQ(output("LN").size(), QSize(3000, 1000));
    ASSERT_TRUE(run("BK", false));
    const QImage bk = output("BK");
    ASSERT_EQ(bk.size(), QSize(2048, 682));
    EXPECT_EQ(bk.pixelColor(10, 300), QColor(Qt::black));
    EXPECT_EQ(bk.pixelColor(1000, 681), QColor(Qt::black));
    EXPECT_EQ(bk.pixelColor(1100, 0), kGround);
    EXPECT_EQ(bk.pixelColor(2047, 681), kGround);
    // Area averaging: the column that straddles x = 1501 in the source is a mix.
    const QColor edge = bk.pixelColor(1024, 300);
    EXPECT_GT(edge.blue(), 0);
    EXPECT_LT(edge.blue(), 200);
}

TEST_F(EraseCommand, SecondRunStartsAgainFromTheSource) {
    writeSource(40, 30);
    writeResult("0: a: (0,0),(10,0),(10,10),(0,10)\r\n");
    ASSERT_TRUE(run("WH", false, Qt::white));
    expectOnlyRect(output("WH"), QRect(0, 0, 10, 10), Qt::white);
    writeResult("0: b: (20,15),(30,15),(30,25),(20,25)\r\n");
    ASSERT_TRUE(run("WH", false, Qt::white));
    expectOnlyRect(output("WH"), QRect(20, 15, 10, 10), Qt::white);
}

TEST_F(EraseCommand, CornersOnTheRightAndBottomBorder) {
    writeSource(40, 30);
    writeResult("0: a: (25,20),(40,20),(40,30),(25,30)\r\n1: b: (-5,-5),(3,-5),(3,3),(-5,3)\r\n");
    ASSERT_TRUE(run("BK", false));
    const QImage img = output("BK");
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = QRect(25, 20, 15, 10).contains(x, y) || QRect(0, 0, 3, 3).contains(x, y);
            ASSERT_EQ(img.pixelColor(x, y), inside ? QColor(Qt::black) : kGround) << x << "," << y;
        }
}

TEST_F(EraseCommand, MissingResultFileOpensTheOlderImage) {
    writeSource(40, 30);
    EXPECT_FALSE(run("BK", false));
    ASSERT_EQ(window.messages.size(), 2);  // then the output is missing too
    EXPECT_EQ(window.messages.first(), path("result.txt") + "\nが、見つかりません｡ ");
    EXPECT_EQ(window.messages.first().back(), u' ');
    EXPECT_EQ(window.messages.first().at(window.messages.first().size() - 2), QChar(0xFF61));  // half-width 。
    // No older image either: it is said to be missing.
    ASSERT_EQ(window.opened.size(), 0);
    window.messages.clear();

    QImage older(7, 7, QImage::Format_RGB888);
    older.fill(Qt::red);
    ASSERT_TRUE(older.save(path("resultBK.png")));
    EXPECT_FALSE(run("BK", false));
    ASSERT_EQ(window.messages.size(), 1);
    EXPECT_EQ(window.opened, QStringList{path("resultBK.png")});
    EXPECT_EQ(output("BK").size(), QSize(7, 7));  // left as it was
    EXPECT_EQ(window.edit7, "120 x 40");
}

TEST_F(EraseCommand, MissingResultAndOutputSaysBoth) {
    writeSource(40, 30);
    EXPECT_FALSE(run("WH", false));
    EXPECT_EQ(window.messages, (QStringList{path("result.txt") + "\nが、見つかりません｡ ",
                                           path("resultWH.png") + "\nファイルが見つかりません。"}));
}

TEST_F(EraseCommand, MissingSourceWritesAndOpensNothing) {
    writeResult("0: a: (0,0),(10,0),(10,10),(0,10)\r\n");
    QImage older(7, 7, QImage::Format_RGB888);
    older.fill(Qt::red);
    ASSERT_TRUE(older.save(path("resultLN.png")));
    EXPECT_FALSE(run("LN", true));
    EXPECT_EQ(window.messages, QStringList{path("source.png") + "\nファイルが見つかりません。"});
    EXPECT_TRUE(window.opened.isEmpty());
    EXPECT_EQ(output("LN").size(), QSize(7, 7));
    EXPECT_EQ(window.progress, QStringList{"120 x 40"});
}

TEST_F(EraseCommand, SourceImageIsOpenedOrSaidMissing) {
    openSourceImage(window, folder());
    EXPECT_EQ(window.messages, QStringList{path("source.png") + "\nファイルが見つかりません。"});
    writeSource(4, 4);
    openSourceImage(window, folder());
    EXPECT_EQ(window.opened, QStringList{path("source.png")});
}
