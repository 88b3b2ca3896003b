// The reference CAD host as a CAD: what it shows on screen follows its view
// variables, picks come from real clicks, texts are drawn where their bounding
// box says, undo marks group changes. MIRTEX's client against the host process.
#include "tests/support/QtTestSupport.h"
#include "../e2e/CadHostProcess.h"
#include "../e2e/HostView.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "imaging/Aci.h"
#include "platform/WindowSystem.h"
#include <QApplication>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <cmath>
#include <thread>

namespace {

// Lines in four colours, one of them by layer ("壁", colour 2).
const char kLines[] = "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n2\n"
                      "0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n"
                      "0\nLAYER\n2\nWALL\n70\n0\n62\n2\n6\nCONTINUOUS\n"
                      "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
                      "0\nLINE\n8\n0\n62\n1\n10\n10.3\n20\n20.7\n30\n0\n11\n60.1\n21\n20.7\n31\n0\n"
                      "0\nLINE\n8\n0\n62\n3\n10\n30.25\n20\n-15.5\n30\n0\n11\n30.25\n21\n45.9\n31\n0\n"
                      "0\nLINE\n8\n0\n62\n5\n10\n-40.2\n20\n-30.6\n30\n0\n11\n-5.3\n21\n10.1\n31\n0\n"
                      "0\nLINE\n8\nWALL\n62\n256\n10\n-50\n20\n40\n30\n0\n11\n-20\n21\n40.4\n31\n0\n"
                      // A quarter circle bulging down from the chord (0, -40)-(20, -40).
                      "0\nPOLYLINE\n8\n0\n62\n6\n66\n1\n10\n0\n20\n0\n30\n0\n70\n0\n"
                      "0\nVERTEX\n8\n0\n10\n0\n20\n-40\n30\n0\n42\n0.41421356237309503\n"
                      "0\nVERTEX\n8\n0\n10\n20\n20\n-40\n30\n0\n0\nSEQEND\n8\n0\n"
                      "0\nENDSEC\n0\nEOF\n";

struct Line {
    QPointF a, b;
    int aci;
};
const Line kLineList[] = {
    {{10.3, 20.7}, {60.1, 20.7}, 1},
    {{30.25, -15.5}, {30.25, 45.9}, 3},
    {{-40.2, -30.6}, {-5.3, 10.1}, 5},
    {{-50, 40}, {-20, 40.4}, 2},
};

QRgb rgbOf(int aci)
{
    const Rgb c = aciToRgb(aci);
    return qRgb(c.r, c.g, c.b);
}

// Columns and rows of the ink of one colour: its bounding box in pixels.
QRect inkBox(const QImage& image, QRgb colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
    return box;
}

class CadHostDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testApplication<QApplication>();
    }
    void TearDown() override { m_host.stop(); }

    void start(const QString& dxf = {})
    {
        m_progId = QStringLiteral("MirtexHostDrawing.Cad%1").arg(++s_counter);
        ASSERT_TRUE(m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), m_progId, dxf)) << qPrintable(m_host.error());
        ASSERT_TRUE(connectCad(m_progId, m_app, false));
        m_doc = m_app.getObject(QStringLiteral("ActiveDocument"));
        m_area = m_doc.get(QStringLiteral("HWND")).toULongLong();
        ASSERT_TRUE(bringToFront(m_app.get(QStringLiteral("HWND")).toULongLong()));
        QThread::msleep(300);  // first paint
    }
    QString writeDxf(const QByteArray& content)
    {
        EXPECT_TRUE(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("drawing%1.dxf").arg(s_counter));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return path;
    }

    HostView view() { return HostView::of(m_doc); }
    // The drawing area once the host has repainted: two grabs in a row alike
    // and `ready` true of them (a busy machine may paint late).
    QImage grabArea(const std::function<bool(const QImage&)>& ready = [](const QImage&) { return true; })
    {
        const QRect area(QPoint(0, 0), windowSize(m_area));
        QImage last = grabWindowArea(m_area, area);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            QThread::msleep(150);
            const QImage next = grabWindowArea(m_area, area);
            if (next == last && ready(next))
                return next;
            last = next;
        }
        return last;
    }
    CadObject textObject(const QVariant& value) { return m_doc.object(value); }

    // Runs `pick` (a blocking GetPoint or GetCorner) while another thread waits
    // for its prompt on the command line and then acts like the user.
    QList<double> pickWith(const std::function<QVariantList()>& pick, const std::function<void()>& user)
    {
        const int before = int(m_host.commandLog().count(QStringLiteral("pick here")));
        std::atomic<bool> done{false};
        std::thread actor([&] {
            for (int waited = 0; waited < 200 && !done; ++waited) {
                if (m_host.commandLog().count(QStringLiteral("pick here")) > before) {
                    QThread::msleep(150);
                    user();
                    break;
                }
                QThread::msleep(50);
            }
            for (int waited = 0; waited < 100 && !done; ++waited)
                QThread::msleep(50);
            if (!done)
                injectEscape();  // nobody answered: end the pick so the test cannot hang
        });
        QList<double> result;
        try {
            result = toPoint(pick().value(0));
        } catch (const CadError& e) {
            ADD_FAILURE() << "pick failed: " << e.name().toStdString();
        }
        done = true;
        actor.join();
        return result;
    }
    void moveTo(QPoint px, bool click)
    {
        const QPoint at = windowScreenPos(m_area) + px;
        QStringList args{QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())};
        if (click)
            args << QStringLiteral("click") << QStringLiteral("1");
        QProcess::execute(QStringLiteral("xdotool"), args);
    }

    static int s_counter;
    QTemporaryDir m_dir;
    QString m_progId;
    CadHostProcess m_host;
    CadObject m_app, m_doc;
    quint64 m_area = 0;
};
int CadHostDrawing::s_counter = 0;

}  // namespace

TEST_F(CadHostDrawing, LinesAppearAtThePixelsTheViewVariablesGive)
{
    start(writeDxf(kLines));
    for (const bool zoomed : {false, true}) {
        SCOPED_TRACE(zoomed ? "after ZoomCenter" : "as opened");
        if (zoomed)
            m_app.invoke(QStringLiteral("ZoomCenter"), {point(3.17, 5.41, 0), 123.7});
        const HostView v = view();
        EXPECT_EQ(QSize(v.w, v.h), windowSize(m_area));
        const QImage shown = grabArea([](const QImage& i) { return !inkBox(i, rgbOf(1)).isEmpty(); });
        ASSERT_EQ(shown.size(), QSize(v.w, v.h));
        for (const Line& l : kLineList) {
            SCOPED_TRACE(l.aci);
            // The ends exactly at their pixels.
            for (const QPointF& p : {l.a, l.b}) {
                const QPoint px = v.pixelOf(p);
                ASSERT_TRUE(shown.rect().contains(px));
                EXPECT_EQ(shown.pixel(px) & 0xFFFFFF, rgbOf(l.aci) & 0xFFFFFF)
                    << "drawing point " << p.x() << "," << p.y() << " at pixel " << px.x() << "," << px.y();
            }
            // In between, an aliased diagonal steps: the middle within a pixel.
            const QPoint middle = v.pixelOf((l.a + l.b) / 2);
            int lit = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    lit += (shown.pixel(middle + QPoint(dx, dy)) & 0xFFFFFF) == (rgbOf(l.aci) & 0xFFFFFF);
            EXPECT_GE(lit, 1);
            // Four pixels beside the line's middle, across it, there is nothing.
            const QPointF along = v.toPixel(l.b) - v.toPixel(l.a);
            const QPointF across = QPointF(-along.y(), along.x()) / std::hypot(along.x(), along.y());
            const QPointF beside = v.toPixel((l.a + l.b) / 2) + 4 * across;
            EXPECT_EQ(shown.pixel(int(std::floor(beside.x())), int(std::floor(beside.y()))) & 0xFFFFFF, 0u);
        }
        // The bulged segment is drawn as its arc, not as the chord.
        const QPoint sag = v.pixelOf({10, -30 - 20 * std::sqrt(0.5)});
        int lit = 0;
        for (int dy = -1; dy <= 1; ++dy)
            lit += (shown.pixel(sag + QPoint(0, dy)) & 0xFFFFFF) == (rgbOf(6) & 0xFFFFFF);
        EXPECT_GE(lit, 1);
        EXPECT_EQ(shown.pixel(v.pixelOf({10, -40})) & 0xFFFFFF, 0u);
    }
}

TEST_F(CadHostDrawing, AClickPicksTheCentreOfThePixelUnderTheCursor)
{
    start();
    m_app.invoke(QStringLiteral("ZoomCenter"), {point(-12.5, 7.25, 0), 333.3});
    const HostView v = view();
    const CadObject utility = m_doc.getObject(QStringLiteral("Utility"));
    const QPoint pixels[] = {{0, 0}, {v.w - 1, v.h - 1}, {v.w / 2, v.h / 2}, {123, 45}, {v.w - 7, 3}};
    for (const QPoint& px : pixels) {
        SCOPED_TRACE(testing::Message() << px.x() << "," << px.y());
        const QList<double> p = pickWith([&] { return utility.invoke(QStringLiteral("GetPoint"), {QStringLiteral("pick here")}); },
                                         [&] { moveTo(px, true); });
        ASSERT_EQ(p.size(), 3);
        const QPointF expected = v.pixelCentre(px);
        EXPECT_NEAR(p[0], expected.x(), 1e-9);
        EXPECT_NEAR(p[1], expected.y(), 1e-9);
        EXPECT_EQ(p[2], 0);
    }
}

TEST_F(CadHostDrawing, GetCornerShowsARubberBandFromTheBaseToTheCursor)
{
    start();
    const HostView v = view();
    const QPoint basePx(100, 80), cornerPx(300, 200);
    const QPointF base = v.pixelCentre(basePx);
    const CadObject utility = m_doc.getObject(QStringLiteral("Utility"));
    QImage during;
    const QList<double> p = pickWith(
        [&] { return utility.invoke(QStringLiteral("GetCorner"), {point(base.x(), base.y(), 0), QStringLiteral("pick here")}); },
        [&] {
            moveTo(cornerPx, false);
            during = grabArea([](const QImage& i) { return !inkBox(i, qRgb(255, 255, 255)).isEmpty(); });
            moveTo(cornerPx, true);
        });
    ASSERT_EQ(p.size(), 3);
    const QPointF expected = v.pixelCentre(cornerPx);
    EXPECT_NEAR(p[0], expected.x(), 1e-9);
    EXPECT_NEAR(p[1], expected.y(), 1e-9);

    // Band: dashes along the four edges (within a pixel), nothing inside or outside.
    auto lit = [](const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) > 128; };
    auto litAlongRow = [&](const QImage& image, int row) {
        int n = 0;
        for (int x = basePx.x() + 5; x < cornerPx.x() - 5; ++x)
            n += lit(image, x, row - 1) || lit(image, x, row) || lit(image, x, row + 1);
        return n / double(cornerPx.x() - basePx.x() - 10);
    };
    auto litAlongColumn = [&](const QImage& image, int column) {
        int n = 0;
        for (int y = basePx.y() + 5; y < cornerPx.y() - 5; ++y)
            n += lit(image, column - 1, y) || lit(image, column, y) || lit(image, column + 1, y);
        return n / double(cornerPx.y() - basePx.y() - 10);
    };
    ASSERT_FALSE(during.isNull());
    for (const double share : {litAlongRow(during, basePx.y()), litAlongRow(during, cornerPx.y()),
                               litAlongColumn(during, basePx.x()), litAlongColumn(during, cornerPx.x())}) {
        EXPECT_GT(share, 0.3);
        EXPECT_LT(share, 0.95);  // dashed
    }
    int stray = 0;
    for (int y = 0; y < during.height(); ++y)
        for (int x = 0; x < during.width(); ++x) {
            const bool nearEdge = x >= basePx.x() - 1 && x <= cornerPx.x() + 1 && y >= basePx.y() - 1 && y <= cornerPx.y() + 1
                && !(x > basePx.x() + 1 && x < cornerPx.x() - 1 && y > basePx.y() + 1 && y < cornerPx.y() - 1);
            if (!nearEdge && lit(during, x, y))
                ++stray;
        }
    EXPECT_LT(stray, 40);  // the cursor itself may be in the picture

    // The band goes with the answer.
    const QImage after = grabArea();
    EXPECT_LT(litAlongRow(after, basePx.y()), 0.05);
    EXPECT_LT(litAlongColumn(after, basePx.x()), 0.05);
}

TEST_F(CadHostDrawing, TextIsDrawnWhereItsBoundingBoxSays)
{
    start();
    m_app.invoke(QStringLiteral("ZoomCenter"), {point(0, 0, 0), 200.0});
    const CadObject modelSpace = m_doc.getObject(QStringLiteral("ModelSpace"));
    struct Case {
        const char* what;
        QString text;
        int alignment;
        double rotation, widthFactor;
    };
    const Case cases[] = {
        {"left baseline", QStringLiteral("MIRTEX 100"), 0, 0, 1},
        {"middle left", QStringLiteral("W900×H2100"), 9, 0, 1},
        {"middle left at 90 degrees", QStringLiteral("居間 台所"), 9, M_PI / 2, 1},
        {"right at 30 degrees, wide", QStringLiteral("GL+1,200"), 2, M_PI / 6, 1.5},
        {"centre, narrow", QStringLiteral("鉄筋コンクリート造"), 1, 0, 0.7},
    };
    const QPointF anchor(-20.3, 10.6);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CadObject text = textObject(
            modelSpace.invoke(QStringLiteral("AddText"), {c.text, point(anchor.x(), anchor.y(), 0), 12.0}).value(0));
        text.put(QStringLiteral("Color"), 1);
        text.put(QStringLiteral("ScaleFactor"), c.widthFactor);
        text.put(QStringLiteral("Rotation"), c.rotation);
        text.put(QStringLiteral("Alignment"), c.alignment);
        if (c.alignment != 0)
            text.put(QStringLiteral("TextAlignmentPoint"), point(anchor.x(), anchor.y(), 0));
        const QVariantList box = text.invoke(QStringLiteral("GetBoundingBox"));
        const HostView v = view();
        const QPointF low = v.toPixel({toPoint(box.value(0))[0], toPoint(box.value(0))[1]});
        const QPointF high = v.toPixel({toPoint(box.value(1))[0], toPoint(box.value(1))[1]});
        const QRectF expected = QRectF(low, high).normalized();

        const QRect ink = inkBox(grabArea([](const QImage& i) { return !inkBox(i, rgbOf(1)).isEmpty(); }), rgbOf(1));
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.left(), expected.left(), 1.5);
        EXPECT_NEAR(ink.right() + 1, expected.right(), 1.5);
        EXPECT_NEAR(ink.top(), expected.top(), 1.5);
        EXPECT_NEAR(ink.bottom() + 1, expected.bottom(), 1.5);
        const QPointF a = v.toPixel(anchor);
        if (c.alignment == 9 && c.rotation == 0) {
            EXPECT_NEAR(ink.left(), a.x(), 2.5);  // left end of the vertical middle
            EXPECT_NEAR((ink.top() + ink.bottom() + 1) / 2.0, a.y(), 1.5);
        }
        if (c.alignment == 9 && c.rotation != 0) {  // runs upwards from the point, centred on it
            EXPECT_NEAR(ink.bottom() + 1, a.y(), 2.5);
            EXPECT_NEAR((ink.left() + ink.right() + 1) / 2.0, a.x(), 1.5);
        }
        if (c.alignment == 0)  // capitals and digits stand on the baseline, 12 units high
            EXPECT_NEAR(ink.bottom() + 1, a.y(), 1.0);
        if (c.alignment == 0)
            EXPECT_NEAR(ink.height(), 12 / (v.size / v.h), 1.5);
        text.put(QStringLiteral("Visible"), false);
        EXPECT_TRUE(inkBox(grabArea([](const QImage& i) { return inkBox(i, rgbOf(1)).isEmpty(); }), rgbOf(1)).isEmpty());
    }
}

TEST_F(CadHostDrawing, AnUndoMarkMakesThreeTextsOneStep)
{
    start();
    const CadObject modelSpace = m_doc.getObject(QStringLiteral("ModelSpace"));
    auto add = [&](const QString& s) { modelSpace.invoke(QStringLiteral("AddText"), {s, point(0, 0, 0), 2.5}); };
    auto texts = [&] {
        QStringList out;
        for (const QJsonObject& e : m_host.entities())
            out << e.value("text").toString();
        return out;
    };
    auto undoAndWait = [&](qsizetype expectedCount) {
        m_doc.invoke(QStringLiteral("SendCommand"), {QStringLiteral("U\r")});
        QElapsedTimer clock;
        clock.start();
        while (texts().size() != expectedCount && clock.elapsed() < 5000)
            QThread::msleep(50);
    };
    add("before");
    m_doc.invoke(QStringLiteral("StartUndoMark"));
    add("one");
    add("two");
    add("three");
    m_doc.invoke(QStringLiteral("EndUndoMark"));
    add("after");
    ASSERT_EQ(texts(), QStringList({"before", "one", "two", "three", "after"}));
    undoAndWait(4);
    EXPECT_EQ(texts(), QStringList({"before", "one", "two", "three"}));
    undoAndWait(1);
    EXPECT_EQ(texts(), QStringList({"before"}));
    undoAndWait(0);
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(m_host.commandLog().count(QStringLiteral("コマンド: U")), 3);
}

TEST_F(CadHostDrawing, TheSampleDrawingIsShownWholeWithReadableLettering)
{
    start(QStringLiteral(MIRTEX_SOURCE_DIR "/samples/plan.dxf"));
    const HostView v = view();
    const double pixel = v.size / v.h;
    const QImage shown = grabArea([](const QImage& i) { return !inkBox(i, rgbOf(7)).isEmpty(); });
    int texts = 0;
    for (const QJsonObject& e : m_host.entities()) {
        if (e.value("type").toString() != "TEXT")
            continue;
        ++texts;
        SCOPED_TRACE(e.value("text").toString().toStdString());
        const double height = e.value("height").toDouble() / pixel;
        EXPECT_GE(height, 14);
        EXPECT_LE(height, 40);
        const CadObject text = textObject(QVariant::fromValue(
            QDBusObjectPath(QStringLiteral("/Documents/1/Entities/") + e.value("handle").toString())));
        const QVariantList box = text.invoke(QStringLiteral("GetBoundingBox"));
        const QRectF px = QRectF(v.toPixel({toPoint(box.value(0))[0], toPoint(box.value(0))[1]}),
                                 v.toPixel({toPoint(box.value(1))[0], toPoint(box.value(1))[1]})).normalized();
        EXPECT_TRUE(QRectF(0, 0, v.w, v.h).contains(px));
        int ink = 0;
        for (int y = int(px.top()); y < int(px.bottom()); ++y)
            for (int x = int(px.left()); x < int(px.right()); ++x)
                ink += (shown.pixel(x, y) & 0xFFFFFF) != 0;
        EXPECT_GT(ink, px.width() * px.height() * 0.05);
    }
    EXPECT_GE(texts, 8);
}
