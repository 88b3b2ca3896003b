#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "tests/app/DialogTestSupport.h"
#include "tests/support/QtTestSupport.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {
class ImageMenu : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<MirtexApplication>();
        AppPaths::setExecutableForTesting(dir.path());
        w = std::make_unique<TForm102>();
    }
    QAction* item(QMenu* menu, const char* name) { return menu->findChild<QAction*>(QString::fromLatin1(name)); }
    void writeInputs() {
        QImage source(80, 40, QImage::Format_RGB32);
        source.fill(QColor(90, 90, 90));
        ASSERT_TRUE(source.save(dir.filePath("source.png")));
        QFile f(dir.filePath("result.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF" "0: (a): (10,10),(50,10),(50,20),(10,20)\r\n");
    }
    QTemporaryDir dir;
    std::unique_ptr<TForm102> w;
};

// The rows inside the rectangle where most pixels differ from its most common
// colour (the menu's ground): a separator line shows as such a row, text does not.
int lineRows(const QImage& shot, const QRect& r) {
    std::map<QRgb, int> count;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) ++count[shot.pixel(x, y)];
    const QRgb ground = std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    int rows = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        int differ = 0;
        for (int x = r.left(); x <= r.right(); ++x) differ += shot.pixel(x, y) != ground;
        rows += differ > r.width() * 3 / 4;
    }
    return rows;
}
}

TEST_F(ImageMenu, SeparatorsAreLinesThatKeepTheirNames) {
    struct Case { QMenu* menu; QStringList separators; int items; };
    const Case cases[] = {{w->PopupMenu1, {"N3", "N2", "N6", "N5"}, 10}, {w->PopupMenu2, {"N7", "N8"}, 10}};
    for (const Case& c : cases) {
        ASSERT_EQ(c.menu->actions().size(), c.items);
        for (QAction* a : c.menu->actions()) {
            const bool separator = c.separators.contains(a->objectName());
            EXPECT_EQ(a->isSeparator(), separator) << a->objectName().toStdString();
            if (separator) EXPECT_TRUE(a->text().isEmpty()) << a->objectName().toStdString();
            else EXPECT_NE(a->text(), "-");
        }
        c.menu->popup(QPoint(0, 0));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(c.menu));
        const QImage shot = c.menu->grab().toImage();
        const QAction* first = c.menu->findChild<QAction*>(c.separators.first());
        const QRect sep = c.menu->actionGeometry(const_cast<QAction*>(first));
        EXPECT_GE(lineRows(shot, sep), 1) << "no line in " << c.menu->objectName().toStdString();
        // An item with a caption draws text, not a line across.
        EXPECT_EQ(lineRows(shot, c.menu->actionGeometry(c.menu->actions().at(2))), 0);
        c.menu->close();
    }
}

TEST_F(ImageMenu, FillItemsWriteTheirImagesAndRestoreEdit7) {
    writeInputs();
    w->Edit7->setText("W=12.5 H=3");
    struct Case { const char* item; const char* file; QColor colour; };
    const Case cases[] = {{"N2OCR1", "resultBK.png", Qt::black}, {"OCRsource2png1", "resultWH.png", Qt::white}};
    for (const Case& c : cases) {
        item(w->PopupMenu1, c.item)->trigger();
        const QImage out(dir.filePath(c.file));
        ASSERT_EQ(out.size(), QSize(80, 40)) << c.file;
        EXPECT_EQ(out.pixelColor(10, 10), c.colour);
        EXPECT_EQ(out.pixelColor(49, 19), c.colour);
        EXPECT_EQ(out.pixelColor(50, 15), QColor(90, 90, 90));
        EXPECT_EQ(out.pixelColor(30, 20), QColor(90, 90, 90));
        EXPECT_EQ(w->Edit7->text(), "W=12.5 H=3");
    }
}

TEST_F(ImageMenu, LineItemDrawsInTheFrameColour) {
    writeInputs();
    w->LineColor = QColor(255, 0, 255);
    item(w->PopupMenu1, "OCRsource1png1")->trigger();
    const QImage out(dir.filePath("resultLN.png"));
    ASSERT_EQ(out.size(), QSize(80, 40));
    EXPECT_EQ(out.pixelColor(30, 15), QColor(255, 0, 255));
    EXPECT_EQ(out.pixelColor(30, 11), QColor(90, 90, 90));
}

TEST_F(ImageMenu, MissingSourceImageIsAMessage) {
    QString message;
    answerNextMessageBox(&message);
    item(w->PopupMenu1, "N1")->trigger();
    EXPECT_EQ(message, dir.filePath("source.png") + "\nファイルが見つかりません。");
}
