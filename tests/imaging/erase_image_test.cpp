#include "imaging/EraseImage.h"

#include <QPolygonF>
#include <gtest/gtest.h>

#include <random>

namespace {
Quad quad(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    return {QPoint(x1, y1), QPoint(x2, y2), QPoint(x3, y3), QPoint(x4, y4)};
}

QImage blank(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor(100, 150, 200));
    return img;
}

// Whether the pixel centre lies exactly on an edge (where QPolygonF has its own tie rule).
bool centreOnEdge(const Quad& q, int x, int y) {
    const qint64 px = 2LL * x + 1, py = 2LL * y + 1;
    for (int i = 0; i < 4; ++i) {
        const qint64 ax = 2LL * q[i].x(), ay = 2LL * q[i].y();
        const qint64 bx = 2LL * q[(i + 1) % 4].x(), by = 2LL * q[(i + 1) % 4].y();
        const qint64 cross = (bx - ax) * (py - ay) - (by - ay) * (px - ax);
        if (cross == 0 && std::min(ax, bx) <= px && px <= std::max(ax, bx) && std::min(ay, by) <= py &&
            py <= std::max(ay, by))
            return true;
    }
    return false;
}
}

TEST(CornerTail, Lines) {
    struct Case { const char* line; std::optional<Quad> want; };
    const Case cases[] = {
        {"0: 文字: (1,2),(3,4),(5,6),(7,8)", quad(1, 2, 3, 4, 5, 6, 7, 8)},
        {"3: f(x) = (a) + (b): (10,20),(30,20),(30,40),(10,40)", quad(10, 20, 30, 20, 30, 40, 10, 40)},
        {"1: x: ( 1 , 2 ),( 3, 4),(5 ,6) , (7,8)", quad(1, 2, 3, 4, 5, 6, 7, 8)},
        {"2: t: (-5,-0),(3,x4),(5,6),(7,8.5)", quad(-5, 0, 3, 0, 5, 6, 7, 0)},  // not integers count 0
        {"4: t: (1,2),(3,4),(5,6)", std::nullopt},                               // three "("
        {"5: ((((: no corners", std::nullopt},                                   // empty fields
        {"6: t: (1,2),(3,4),(5,6),(7,8,9)", std::nullopt},                       // nine fields
        {"7: t: (1,2),(3,4),(5,6),(7)", std::nullopt},                           // seven fields
        {"8: t: (1,2),(3,4),(5,6),(7,8),", std::nullopt},                        // an empty ninth
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parseCornerTail(QString::fromUtf8(c.line)), c.want) << c.line;
}

TEST(QuadFill, AxisRectangleCoversItsCornersUpToTheFarEdges) {
    QImage img = blank(40, 30);
    fillQuad(img, quad(10, 10, 20, 10, 20, 15, 10, 15), Qt::black);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 20 && y >= 10 && y < 15;
            ASSERT_EQ(img.pixelColor(x, y), inside ? QColor(Qt::black) : QColor(100, 150, 200)) << x << "," << y;
        }
}

TEST(QuadFill, ZeroAreaPaintsNothing) {
    for (const Quad& q : {quad(5, 5, 5, 5, 5, 5, 5, 5), quad(2, 2, 30, 20, 30, 20, 2, 2), quad(0, 7, 30, 7, 30, 7, 0, 7)}) {
        QImage img = blank(40, 30);
        fillQuad(img, q, Qt::black);
        EXPECT_EQ(img, blank(40, 30));
    }
}

TEST(QuadFill, BowTieFollowsTheWindingRule) {
    // Corners crossing in the middle: two triangles meeting at (10, 10).
    QImage img = blank(21, 21);
    const Quad q = quad(0, 0, 20, 20, 20, 0, 0, 20);
    fillQuad(img, q, Qt::black);
    EXPECT_EQ(img.pixelColor(2, 10), QColor(Qt::black));    // left triangle
    EXPECT_EQ(img.pixelColor(18, 10), QColor(Qt::black));   // right triangle
    EXPECT_NE(img.pixelColor(10, 2), QColor(Qt::black));    // above the crossing
    EXPECT_NE(img.pixelColor(10, 18), QColor(Qt::black));
}

TEST(QuadFill, InsideTestAgreesWithQtsWindingFillOffTheEdges) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-5, 45);
    int compared = 0;
    for (int n = 0; n < 300; ++n) {
        Quad q;
        for (QPoint& p : q) p = QPoint(coord(rng), coord(rng));
        QPolygonF poly;
        for (const QPoint& p : q) poly << QPointF(p);
        for (int y = -2; y < 42; ++y)
            for (int x = -2; x < 42; ++x) {
                if (centreOnEdge(q, x, y)) continue;
                ++compared;
                ASSERT_EQ(quadContainsPixel(q, x, y), poly.containsPoint(QPointF(x + 0.5, y + 0.5), Qt::WindingFill))
                    << "quad " << n << " pixel " << x << "," << y;
            }
    }
    EXPECT_GT(compared, 500000);
}

TEST(QuadFill, ScanlineFillGivesThePerPixelResult) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(-20, 70);
    for (int n = 0; n < 2000; ++n) {
        Quad q;
        for (QPoint& p : q) p = QPoint(coord(rng), coord(rng));
        QImage fast = blank(50, 40), plain = blank(50, 40);
        fillQuad(fast, q, Qt::white);
        fillQuadPerPixel(plain, q, Qt::white);
        ASSERT_EQ(fast, plain) << "quad " << n << ": " << q[0].x() << "," << q[0].y() << " " << q[1].x() << ","
                               << q[1].y() << " " << q[2].x() << "," << q[2].y() << " " << q[3].x() << "," << q[3].y();
    }
    // Corners far outside any image and at the 32-bit limits.
    const Quad huge = quad(-2147483647, -5, 2147483647, -5, 2147483647, 2147483647, -2147483647, 20);
    QImage fast = blank(30, 30), plain = blank(30, 30);
    fillQuad(fast, huge, Qt::white);
    fillQuadPerPixel(plain, huge, Qt::white);
    EXPECT_EQ(fast, plain);
    EXPECT_EQ(fast.pixelColor(15, 10), QColor(Qt::white));
}

TEST(QuadFill, NeverWritesOutsideTheImage) {
    // The image lies in a larger buffer: padding after each row and rows after it must stay.
    const int w = 20, h = 10, stride = 80, guardRows = 3;
    std::vector<uchar> buffer(stride * (h + guardRows), 0xAB);
    QImage img(buffer.data(), w, h, stride, QImage::Format_RGB888);
    for (const Quad& q : {quad(0, 0, w, 0, w, h, 0, h), quad(-10, -10, 40, -3, 35, 25, -8, 30),
                          quad(5, 2, w, 2, w, h, 5, h)}) {
        fillQuad(img, q, Qt::white);
        for (int y = 0; y < h + guardRows; ++y)
            for (int x = (y < h ? w * 3 : 0); x < stride; ++x) ASSERT_EQ(buffer[y * stride + x], 0xAB) << x << "," << y;
    }
    EXPECT_EQ(img.pixelColor(w - 1, h - 1), QColor(Qt::white));
}

TEST(FilledImageSize, LongerSideBecomes2048) {
    struct Case { QSize in, out; };
    const Case cases[] = {{{3000, 1000}, {2048, 682}}, {{1000, 3000}, {682, 2048}}, {{2048, 2048}, {2048, 2048}},
                          {{2049, 10}, {2048, 9}},     {{500, 300}, {500, 300}},    {{100000, 1}, {2048, 1}}};
    for (const Case& c : cases) EXPECT_EQ(limitedSize(c.in), c.out) << c.in.width() << "x" << c.in.height();
}
