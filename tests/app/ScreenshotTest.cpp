#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "app/Form102CropWindow.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// Shows the real main window on the test display with a few rows and keeps a picture of it.
TEST(MainWindowScreenshot, SavesThePicture) {
    int argc = 1;
    char name[] = "app_screenshot_test";
    char* argv[] = {name, nullptr};
    MirtexApplication app(argc, argv);
    applyWindows10Dark(app);
    QTemporaryDir dir;
    AppPaths::setExecutableForTesting(dir.path());
    TForm102 w;
    w.Grid.setRowCount(4);
    const char* texts[] = {"切り取り範囲", "ＭＳ ゴシック 文字", "A\u00e9B 注意?"};
    for (int r = 1; r <= 3; ++r) {
        w.Grid.setCell(0, r, QString::number(r) + " ");
        w.Grid.setCell(1, r, QString::fromUtf8(texts[r - 1]));
        w.Grid.setCell(2, r, "2.5");
        w.Grid.setCell(3, r, "0");
        w.Grid.setCell(4, r, QString::number(100.0 * r));
        w.Grid.setCell(5, r, "50");
    }
    w.Grid.setRow(2);
    // A cut-out as the crop command leaves it in the preview.
    QImage cut(480, 160, QImage::Format_RGB32);
    cut.fill(Qt::white);
    {
        QPainter p(&cut);
        QFont f(QStringLiteral("ＭＳ ゴシック"));
        f.setPixelSize(36);
        p.setFont(f);
        p.setPen(Qt::black);
        for (int r = 0; r < 3; ++r) p.drawText(20, 45 + 50 * r, QString::fromUtf8(texts[r]));
    }
    Form102CropWindow(w).setPreview(cut);
    w.addLine(QString::fromUtf8("OCR 行数が 3 です."));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    w.StringGrid1->setFocus();  // the current cell shows its focus frame
    QTest::qWait(300);
    const QImage shot = w.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    // Dark theme: the window background is dark; the preview shows the white cut-out in the middle.
    EXPECT_LT(qGray(shot.pixel(shot.width() - 3, 60)), 80);
    const QRect preview(w.Image1->mapTo(&w, QPoint(0, 0)), w.Image1->size());
    EXPECT_GT(qGray(shot.pixel(preview.center().x(), preview.top() + 3)), 200);
    const QString out = QStringLiteral(MIRTEX_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(out));
    EXPECT_TRUE(shot.save(out + "/main-window.png"));
}
