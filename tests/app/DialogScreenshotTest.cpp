#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/Form102.h"
#include "imaging/ColorPalette.h"
#include "output/CodePage.h"
#include "tests/app/DialogTestSupport.h"
#include "tests/support/QtTestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// Opens the two dialogs over the real main window on the test display, as the
// user sees them, and keeps a picture of each beside the main window's.
class DialogScreenshots : public ::testing::Test {
protected:
    void SetUp() override {
        applyWindows10Dark(testApplication<MirtexApplication>());
        AppPaths::setExecutableForTesting(dir.path());
        ASSERT_TRUE(QDir().mkpath(out));
        w = std::make_unique<TForm102>();
        targetCad = std::make_unique<TTargetCADForm>(w.get());
        colorIndex = std::make_unique<TColorIndexForm>(w.get());
        w->show();
        // A window shown while the window manager is still starting may never be
        // exposed; shown once more, it is.
        if (!QTest::qWaitForWindowExposed(w.get(), 3000)) {
            w->hide();
            w->show();
        }
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override {
        colorIndex.reset();
        targetCad.reset();
        w.reset();
    }
    static QImage shoot(QWidget* dialog) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
        QTest::qWait(200);
        return dialog->grab().toImage();
    }
    const QString out = QStringLiteral(MIRTEX_SCREENSHOT_DIR);
    QTemporaryDir dir;
    std::unique_ptr<TForm102> w;
    std::unique_ptr<TTargetCADForm> targetCad;
    std::unique_ptr<TColorIndexForm> colorIndex;
};

TEST_F(DialogScreenshots, ColorIndex) {
    QImage shot;
    whenShown(colorIndex.get(), [&] {
        const double s = colorIndex->scale();
        QTest::mouseClick(colorIndex->Image1, Qt::LeftButton, {}, AciPalette::cellRect(2, 4, s).center());
        QTest::mouseMove(colorIndex->Image1, AciPalette::cellRect(15, 2, s).center());
        shot = shoot(colorIndex.get());
        colorIndex->reject();
    });
    w->Button11->click();
    ASSERT_FALSE(shot.isNull());
    const double s = colorIndex->scale();
    EXPECT_EQ(QColor(shot.pixel(AciPalette::cellRect(2, 4, s).center())), aciToRgb(30).toQColor());
    EXPECT_EQ(QColor(shot.pixel(AciPalette::cellRect(5, 11, s).center())), aciToRgb(255).toQColor());
    EXPECT_EQ(colorIndex->Edit1->text(), aciChoiceText(30));
    EXPECT_TRUE(shot.save(out + "/color-index-dialog.png"));
}

TEST_F(DialogScreenshots, TargetCad) {
    QFile list(dir.filePath("TargetCAD_APIVersion.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(toCp932(QStringLiteral("AutoCAD 2024\tAutoCAD.Application.24\r\nBricsCAD\tBricscadApp.AcadApplication\r\n"
                                      "DraftSight\tDraftSight.Application\r\nZWCAD 2024\tZWCAD.Application.2024\r\n")));
    list.close();
    QImage shot;
    whenShown(targetCad.get(), [&] {
        shot = shoot(targetCad.get());
        targetCad->Button2->click();
    });
    w->Button4->click();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(targetCad->ListBox1->currentRow(), 1);
    EXPECT_EQ(targetCad->Edit2->text(), "BricscadApp.AcadApplication");
    // Dark theme: the dialog's ground is dark, the selected row in the accent colour.
    EXPECT_LT(qGray(shot.pixel(shot.width() - 3, shot.height() - 3)), 80);
    const QRect selected = targetCad->ListBox1->visualItemRect(targetCad->ListBox1->item(1))
                               .translated(targetCad->ListBox1->viewport()->mapTo(targetCad.get(), QPoint(0, 0)));
    const QColor highlight(shot.pixel(selected.right() - 5, selected.center().y()));
    EXPECT_GT(highlight.blue(), 180);
    EXPECT_LT(highlight.red(), 60);
    EXPECT_TRUE(shot.save(out + "/target-cad-dialog.png"));
}

TEST_F(DialogScreenshots, ImageMenu) {
    const QPoint corner = w->Button8->mapToGlobal(QPoint(0, w->Button8->height()));
    w->Button8->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w->PopupMenu1));
    QTest::qWait(200);
    EXPECT_EQ(w->PopupMenu1->geometry().topLeft(), corner);
    const QImage shot = w->PopupMenu1->grab().toImage();
    w->PopupMenu1->close();
    EXPECT_TRUE(shot.save(out + "/image-menu.png"));
}
