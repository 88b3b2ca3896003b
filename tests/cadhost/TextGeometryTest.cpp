#include "tests/support/QtTestSupport.h"
#include "cadhost/DrawingExtents.h"
#include "cadhost/TextGeometry.h"
#include "cadhost/ViewTransform.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// Fonts need a GUI application (the offscreen platform under ctest).
class TextGeometry : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testApplication<QGuiApplication>();
    }
};

// Capitals without descenders, 10 high: the outline spans the cap height.
Entity capitals(int alignment, double rotation = 0, double widthFactor = 1)
{
    Entity e;
    e.type = EntityType::Text;
    e.text = "HEH";
    e.height = 10;
    e.rotation = rotation;
    e.widthFactor = widthFactor;
    e.insertion = {100, 200};
    e.alignmentPoint = {300, 400};
    justFromAlignment(alignment, e.hJust, e.vJust);
    return e;
}

// Glyphs sit a little inside their advance (side bearings): allowed slack.
constexpr double kBearing = 1.5;
constexpr double kEdge = 0.3;

}  // namespace

TEST_F(TextGeometry, JustificationPlacesTheTextOnItsPoint)
{
    const double width = textBounds(capitals(0)).width();
    ASSERT_GT(width, 15);  // three capitals of height 10
    struct Case {
        int alignment;
        double anchorX;  // where the anchor lies along the text: 0 left, 0.5 centre, 1 right
        double anchorY;  // and across it: 0 baseline, 0.5 middle, 1 top
        QPointF point;
    };
    const Case cases[] = {
        {0, 0, 0, {100, 200}},   // left: the insertion point
        {1, 0.5, 0, {300, 400}}, // centre
        {2, 1, 0, {300, 400}},   // right
        {4, 0.5, 0.5, {300, 400}},
        {6, 0, 1, {300, 400}},   // top left
        {9, 0, 0.5, {300, 400}}, // middle left
        {10, 0.5, 0.5, {300, 400}},
        {11, 1, 0.5, {300, 400}},
        {8, 1, 1, {300, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alignment);
        const QRectF box = textBounds(capitals(c.alignment));
        EXPECT_NEAR(box.width(), width, 1e-6);
        EXPECT_NEAR(box.height(), 10, kEdge * 2);
        EXPECT_NEAR(box.left() + c.anchorX * box.width(), c.point.x(), kBearing);
        EXPECT_NEAR(box.top() + c.anchorY * box.height(), c.point.y(), kEdge);  // top(): lowest y
    }
}

TEST_F(TextGeometry, BottomAlignmentLeavesRoomForDescenders)
{
    const QRectF box = textBounds(capitals(12));
    EXPECT_GT(box.top(), 400 + 0.5);
    EXPECT_LT(box.top(), 400 + 10);
    EXPECT_NEAR(box.left(), 300, kBearing);
}

TEST_F(TextGeometry, WidthFactorStretchesAndRotationTurnsAboutTheAnchor)
{
    const double width = textBounds(capitals(0)).width();
    EXPECT_NEAR(textBounds(capitals(0, 0, 2)).width(), 2 * width, 0.02 * width);
    EXPECT_NEAR(textBounds(capitals(0, 0, 2)).height(), 10, 2 * kEdge);

    // 90 degrees: the text runs upwards, its baseline on the insertion point's vertical.
    const QRectF up = textBounds(capitals(0, M_PI / 2));
    EXPECT_NEAR(up.height(), width, 1e-6);
    EXPECT_NEAR(up.right(), 100, kEdge);
    EXPECT_NEAR(up.left(), 90, kEdge);
    EXPECT_NEAR(up.top(), 200, kBearing);

    // Middle left at 90 degrees: the vertical middle lies on the alignment point.
    const QRectF upMiddle = textBounds(capitals(9, M_PI / 2));
    EXPECT_NEAR(upMiddle.center().x(), 300, kEdge);
    EXPECT_NEAR(upMiddle.top(), 400, kBearing);
}

TEST_F(TextGeometry, AlignedAndFitSpanTheirTwoPoints)
{
    for (const int alignment : {3, 5}) {
        SCOPED_TRACE(alignment);
        Entity e = capitals(alignment);
        e.insertion = {0, 0};
        e.alignmentPoint = {0, 100};  // upwards, 100 long
        const QRectF box = textBounds(e);
        EXPECT_NEAR(box.bottom(), 100, kBearing * 4);
        EXPECT_NEAR(box.top(), 0, kBearing * 4);
        EXPECT_NEAR(box.right(), 0, kEdge);
        // Fit keeps the height, aligned scales it with the width.
        if (alignment == 5) EXPECT_NEAR(box.width(), 10, 2 * kEdge);
        else EXPECT_GT(box.width(), 30);
    }
}

TEST_F(TextGeometry, BlankTextHasAnEmptyBoxAtItsOrigin)
{
    for (const QString& blank : {QString(), QString("   ")}) {
        Entity e = capitals(0);
        e.text = blank;
        EXPECT_EQ(textBounds(e), QRectF(QPointF(100, 200), QSizeF(0, 0)));
        e = capitals(9);
        e.text = blank;
        const QRectF middle = textBounds(e);
        EXPECT_TRUE(middle.size().isNull());
        EXPECT_NEAR(middle.left(), 300, 1e-9);
        EXPECT_NEAR(middle.top(), 395, 1e-9);  // the baseline, half the height below
    }
}

TEST_F(TextGeometry, ExtentsCoverEveryVisibleEntityExactly)
{
    auto entity = [](EntityType type, QList<Vertex> points) {
        Entity e;
        e.type = type;
        e.points = points;
        return e;
    };
    struct Case {
        const char* what;
        Entity e;
        QRectF box;  // x, y of the lowest corner, width, height
    };
    Entity quarter = entity(EntityType::Arc, {{0, 0, 0}});
    quarter.radius = 10;
    quarter.endAngle = M_PI / 2;
    Entity acrossZero = quarter;
    acrossZero.startAngle = -M_PI / 4;
    acrossZero.endAngle = M_PI / 4;
    Entity circle = entity(EntityType::Circle, {{5, 5, 0}});
    circle.radius = 2;
    const double r = 10 * std::sqrt(0.5);
    // Bulge tan(22.5 deg): a quarter circle about (5, 5), sagging to y = 5 - r below the chord.
    const double bulge = std::tan(M_PI / 8);
    Entity arcPolyline = entity(EntityType::Polyline, {{0, 0, bulge}, {10, 0, 0}});
    Entity closedBulge = entity(EntityType::Polyline, {{0, 0, 0}, {10, 0, -bulge}});
    closedBulge.closed = true;  // the closing segment runs back clockwise: the same arc
    const Case cases[] = {
        {"line", entity(EntityType::Line, {{1, 2, 0}, {-3, 7, 0}}), {-3, 2, 4, 5}},
        {"circle", circle, {3, 3, 4, 4}},
        {"quarter arc", quarter, {0, 0, 10, 10}},
        {"arc across 0", acrossZero, {r, -r, 10 - r, 2 * r}},
        {"bulged polyline", arcPolyline, {0, 5 - r, 10, r - 5}},
        {"closed bulged polyline", closedBulge, {0, 5 - r, 10, r - 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Drawing d;
        d.addEntity(c.e);
        Entity hidden = entity(EntityType::Line, {{-100, -100, 0}, {100, 100, 0}});
        hidden.visible = false;
        d.addEntity(hidden);
        const auto box = drawingExtents(d);
        ASSERT_TRUE(box.has_value());
        EXPECT_NEAR(box->left(), c.box.left(), 1e-9);
        EXPECT_NEAR(box->top(), c.box.top(), 1e-9);
        EXPECT_NEAR(box->width(), c.box.width(), 1e-9);
        EXPECT_NEAR(box->height(), c.box.height(), 1e-9);
    }
    EXPECT_FALSE(drawingExtents(Drawing()).has_value());
}

TEST_F(TextGeometry, ExtentsIncludeTextAsDrawn)
{
    Drawing d;
    d.addEntity(capitals(9, M_PI / 2));
    const auto box = drawingExtents(d);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(*box, textBounds(capitals(9, M_PI / 2)));
}

TEST(ViewExtents, ZoomExtentsShowsTheWholeBoxCentredWithAMargin)
{
    const QRectF boxes[] = {{0, 0, 100, 50}, {-10, 30, 20, 200}, {5, 5, 0, 0}};
    for (const QRectF& box : boxes) {
        ViewTransform v;
        v.screen = {400, 300};
        v.viewSize = 7;
        v.zoomExtents(box);
        EXPECT_EQ(v.center, box.center());
        if (box.isEmpty()) {
            EXPECT_EQ(v.viewSize, 7);  // a single point keeps the scale
            continue;
        }
        const QPointF a = v.toPixel(box.topLeft()), b = v.toPixel(box.bottomRight());
        const double marginX = std::min(a.x(), 400 - b.x()), marginY = std::min(b.y(), 300 - a.y());
        EXPECT_GE(std::min(marginX / 400, marginY / 300), 0.05 - 1e-9);
        EXPECT_NEAR(std::min(marginX / 400, marginY / 300), 0.05, 1e-9);  // tight on the fitting side
    }
}
