#include "imaging/ColorIndexUnit.h"

#include "imaging/ColorPalette.h"
#include "tests/app/DialogTestSupport.h"
#include "tests/support/QtTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class ColorIndexDialog : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override { testApplication<QApplication>(); }
    // The middle of a palette cell at the dialog's scale.
    static QPoint cellCentre(int column, int row, double scale) {
        return AciPalette::cellRect(column, row, scale).center();
    }
};
}

TEST_P(ColorIndexDialog, LayoutAtTheScale) {
    const double s = GetParam();
    TColorIndexForm form(nullptr, s);
    const auto r = [s](int v) { return AciPalette::roundHalfEven(v * s); };
    EXPECT_EQ(form.windowTitle(), QString("■ ColorIndex"));
    EXPECT_EQ(form.Image1->size(), AciPalette::imageSize(s));
    EXPECT_EQ(form.size(), QSize(AciPalette::imageSize(s).width() + r(13), r(225)));
    EXPECT_EQ(form.Edit1->geometry(), QRect(r(164), r(174), r(123), r(22)));
    EXPECT_EQ(form.Shape1->geometry(), QRect(r(164), r(194), r(123), r(19)));
    EXPECT_EQ(form.Button1->geometry(), QRect(r(293), r(174), r(75), r(39)));
    EXPECT_EQ(form.Button1->text(), QString("OK"));
    EXPECT_EQ(form.font().family(), QString("Tahoma"));
}

TEST_P(ColorIndexDialog, ClickingACellChoosesItsNumber) {
    const double s = GetParam();
    TColorIndexForm form(nullptr, s);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Shape1->setColors(Qt::white, QColor(0, 0, 76));
    struct Case { int column, row, aci; Qt::MouseButton button; };
    const Case cases[] = {{2, 4, 30, Qt::LeftButton}, {0, 0, 18, Qt::RightButton}, {23, 9, 249, Qt::MiddleButton},
                          {8, 10, 9, Qt::LeftButton}, {5, 11, 255, Qt::LeftButton}, {0, 10, 1, Qt::LeftButton}};
    for (const Case& c : cases) {
        QTest::mouseClick(form.Image1, c.button, {}, cellCentre(c.column, c.row, s));
        EXPECT_EQ(form.Edit1->text(), aciChoiceText(c.aci)) << c.column << "," << c.row;
        EXPECT_EQ(form.Shape1->brushColor, aciToRgb(c.aci).toQColor());
        EXPECT_EQ(form.Shape1->penColor, QColor(0, 0, 76));  // the outline is the caller's
    }
    // The empty cells of rows 10 and 11 change nothing.
    for (QPoint empty : {cellCentre(9, 10, s), cellCentre(23, 10, s), cellCentre(6, 11, s), cellCentre(9, 11, s)}) {
        QTest::mouseClick(form.Image1, Qt::LeftButton, {}, empty);
        EXPECT_EQ(form.Edit1->text(), aciChoiceText(1));
        EXPECT_EQ(form.Shape1->brushColor, aciToRgb(1).toQColor());
    }
}

TEST_P(ColorIndexDialog, HoverShowsTheNumberInTheCaption) {
    const double s = GetParam();
    TColorIndexForm form(nullptr, s);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.Image1, Qt::LeftButton, {}, cellCentre(0, 10, s));  // ACI 1 chosen
    QTest::mouseMove(form.Image1, cellCentre(2, 4, s));
    EXPECT_TRUE(waitUntil([&] { return form.windowTitle() == "■ ColorIndex = 30 (255, 127, 0)"; }, 2000))
        << form.windowTitle().toStdString();
    EXPECT_EQ(form.Edit1->text(), aciChoiceText(1));
    QTest::mouseMove(form.Image1, cellCentre(7, 11, s));  // empty, left of Edit1
    EXPECT_TRUE(waitUntil([&] { return form.windowTitle() == "■ ColorIndex"; }, 2000)) << form.windowTitle().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Scales, ColorIndexDialog, ::testing::Values(1.0, 1.5));

TEST(ColorIndexMouse, SamePositionLeavesTheCaption) {
    testApplication<QApplication>();
    TColorIndexForm form(nullptr, 1.0);
    form.Image1MouseMove(40, 70);
    EXPECT_EQ(form.windowTitle(), "■ ColorIndex = 30 (255, 127, 0)");
    EXPECT_EQ(form.mvx, 40);
    EXPECT_EQ(form.mvy, 70);
    form.setWindowTitle("kept");
    form.Image1MouseMove(40, 70);
    EXPECT_EQ(form.windowTitle(), "kept");
    form.Image1MouseMove(0, 0);  // ACI 18
    EXPECT_EQ(form.windowTitle(), "■ ColorIndex = 18 (76, 0, 0)");
}

TEST(ColorIndexChoice, OkTakesTheTextCancelChangesNothing) {
    testApplication<QApplication>();
    TColorIndexForm form(nullptr, 1.0);
    struct Case { const char* typed; bool ok; std::optional<int> want; };
    const Case cases[] = {{"5", true, std::nullopt}, {"5 (", true, 5}, {"x (", true, 30}, {" 7 (1,2,3)", false, std::nullopt}};
    for (const Case& c : cases) {
        bool shownWithCurrent = false;
        QTimer::singleShot(0, &form, [&] {
            shownWithCurrent = form.isVisible() && form.Edit1->text() == aciChoiceText(12) &&
                               form.Shape1->brushColor == aciToRgb(12).toQColor() &&
                               form.Shape1->penColor == contrastColor(aciToRgb(12)).toQColor();
            form.Edit1->setText(QString::fromUtf8(c.typed));
            c.ok ? form.Button1->click() : form.reject();
        });
        EXPECT_EQ(chooseColorIndex(form, 12, 30), c.want) << c.typed;
        EXPECT_TRUE(shownWithCurrent) << c.typed;
    }
}
