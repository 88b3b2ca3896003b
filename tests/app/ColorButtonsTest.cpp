#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/Form102.h"
#include "app/IniFile.h"
#include "imaging/ColorPalette.h"
#include "tests/app/DialogTestSupport.h"
#include "tests/support/QtTestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class ColorButtons : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<MirtexApplication>();
        AppPaths::setExecutableForTesting(dir.path());
        w = std::make_unique<TForm102>();
        palette = std::make_unique<TColorIndexForm>(w.get(), 1.0);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override {
        palette.reset();
        w.reset();
    }
    // Clicks the button; in the dialog, clicks the palette cell (if any), types
    // the text (if any) and presses OK. Returns what the dialog showed on opening.
    QString pick(QPushButton* button, QPoint cell, const QString& typed, bool ok = true) {
        QString shown;
        whenShown(palette.get(), [&] {
            shown = palette->Edit1->text();
            onTop = palette->parentWidget() == w.get() && palette->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            outline = palette->Shape1->penColor;
            if (cell.x() >= 0) QTest::mouseClick(palette->Image1, Qt::LeftButton, {}, AciPalette::cellRect(cell.x(), cell.y(), 1.0).center());
            if (!typed.isNull()) palette->Edit1->setText(typed);
            ok ? palette->Button1->click() : palette->reject();
        });
        button->click();
        return shown;
    }
    static QColor swatch(QFrame* shape) { return shape->palette().color(QPalette::Window); }

    QTemporaryDir dir;
    std::unique_ptr<TForm102> w;
    std::unique_ptr<TColorIndexForm> palette;
    bool onTop = false;
    QColor outline;
};
}

TEST_F(ColorButtons, FrameColourTakesTheClickedCell) {
    EXPECT_EQ(pick(w->Button6, {2, 4}, QString()), aciChoiceText(3));
    EXPECT_TRUE(onTop);
    EXPECT_EQ(outline, contrastColor(aciToRgb(3)).toQColor());
    EXPECT_EQ(w->LineAci, 30);
    EXPECT_EQ(w->LineColor, QColor(255, 127, 0));
    EXPECT_EQ(swatch(w->Shape1), QColor(255, 127, 0));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(w->isVisible());
}

TEST_F(ColorButtons, TypedTextNeedsABracket) {
    pick(w->Button6, {-1, -1}, "5");
    EXPECT_EQ(w->LineAci, 3);  // no "(": no change
    pick(w->Button6, {-1, -1}, "5 (");
    EXPECT_EQ(w->LineAci, 5);
    EXPECT_EQ(swatch(w->Shape1), QColor(0, 0, 255));
    pick(w->Button6, {-1, -1}, "five (");
    EXPECT_EQ(w->LineAci, 3);  // the fallback
    pick(w->Button6, {0, 0}, QString(), false);
    EXPECT_EQ(w->LineAci, 3);  // cancel
}

TEST_F(ColorButtons, LayerAndAttentionButtonsShareOneHandler) {
    EXPECT_EQ(pick(w->Button11, {-1, -1}, " 256 (x"), aciChoiceText(30));
    EXPECT_EQ(w->TextAci, 256);
    EXPECT_EQ(swatch(w->Shape3), QColor(Qt::white));
    EXPECT_EQ(w->AttnAci, 1);
    EXPECT_EQ(pick(w->Button16, {1, 4}, QString()), aciChoiceText(1));
    EXPECT_EQ(w->AttnAci, 20);
    EXPECT_EQ(swatch(w->Shape4), QColor(255, 63, 0));
    EXPECT_EQ(w->TextAci, 256);
    pick(w->Button16, {-1, -1}, "? (");
    EXPECT_EQ(w->AttnAci, 1);
    pick(w->Button11, {-1, -1}, "(");
    EXPECT_EQ(w->TextAci, 30);
}

TEST_F(ColorButtons, NewNumbersAreWrittenAtExit) {
    pick(w->Button6, {-1, -1}, "-7 (");
    pick(w->Button11, {-1, -1}, "250 (");
    pick(w->Button16, {-1, -1}, "6 (");
    EXPECT_EQ(swatch(w->Shape1), QColor(Qt::white));  // -7 is shown as 7
    palette.reset();
    w.reset();
    const IniFile ini(AppPaths::exePathWith(".ini"));
    EXPECT_EQ(ini.readString("Color", "LineAci", ""), "-7");
    EXPECT_EQ(ini.readString("Color", "TextAci", ""), "250");
    EXPECT_EQ(ini.readString("Color", "AttnAci", ""), "6");
}
