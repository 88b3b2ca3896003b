// Showing a result row in the drawing, end to end: the real main window, a
// real CAD host on the private bus, real clicks on the grid. The view is read
// back through the automation variables, the arrow from the screen pixels of
// the host's drawing window, the zoom calls from the host's log.
#include "CadHostProcess.h"
#include "HostView.h"
#include "tests/support/QtTestSupport.h"
#include "app/AppPaths.h"
#include "app/Application.h"
#include "app/Form102.h"
#include "cad/CadConnection.h"
#include "cad/CadObject.h"
#include "cad/RowDisplay.h"
#include "platform/WindowSystem.h"
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString uniqueProgId(const char* what) {
    return QStringLiteral("MirtexRowE2E.%1%2").arg(QLatin1String(what)).arg(QCoreApplication::applicationPid());
}

const QRgb kArrow = qRgb(255, 100, 100);

class RowDisplayE2E : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<MirtexApplication>();
        ASSERT_TRUE(m_dir.isValid());
        AppPaths::setExecutableForTesting(m_dir.path());
    }

    // A host for the ProgID and the main window aimed at it with three rows.
    void start(const char* what, bool centre, bool arrow) {
        m_progId = uniqueProgId(what);
        ASSERT_TRUE(m_host.start(QStringLiteral(MIRTEX_BIN_DIR "/cadhost"), m_progId)) << m_host.error().toStdString();
        ASSERT_TRUE(connectCad(m_progId, m_app, false));
        m_doc = m_app.getObject(QStringLiteral("ActiveDocument"));
        m_drawingWindow = m_doc.get(QStringLiteral("HWND")).toULongLong();
        m_form = std::make_unique<TForm102>();
        m_form->TargetProgID = m_progId;
        m_form->CheckBox1->setChecked(centre);
        m_form->CheckBox2->setChecked(arrow);
        TGridModel& g = m_form->Grid;
        g.setRowCount(4);
        const char* xs[] = {"123.5", "abc", "-40"};
        const char* ys[] = {"45.25", "10", " 7 "};
        for (int r = 1; r <= 3; ++r) {
            g.setCell(0, r, QString::number(r) + " ");
            g.setCell(1, r, QString("row %1").arg(r));
            g.setCell(2, r, "2.5");
            g.setCell(3, r, "0");
            g.setCell(4, r, xs[r - 1]);
            g.setCell(5, r, ys[r - 1]);
        }
        // Out of the way of the host's drawing area: the main window stays on top.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        m_form->move(screen.right() - m_form->frameGeometry().width(), screen.bottom() - m_form->frameGeometry().height());
        m_form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
        ASSERT_TRUE(waitForSettledDrawingArea()) << "the host's drawing area never settled";
    }

    // Two grabs of the drawing area in a row alike: the newly shown host has
    // painted, so no late first paint wipes out what is drawn over it.
    bool waitForSettledDrawingArea() {
        const QRect area(QPoint(0, 0), windowSize(m_drawingWindow));
        QImage last = grabWindowArea(m_drawingWindow, area);
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            QTest::qWait(150);
            const QImage next = grabWindowArea(m_drawingWindow, area);
            if (!next.isNull() && next == last) return true;
            last = next;
        }
        return false;
    }

    HostView view() { return HostView::of(m_doc); }
    int zoomCalls() { return int(m_host.commandLog().count(QStringLiteral("ZoomCenter:"))); }

    // A real click on the text cell of the data row.
    void clickRow(int row) {
        TStringGridView* grid = m_form->StringGrid1;
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // The host's drawing area as shown on the screen.
    QImage drawingArea(const HostView& v) { return grabWindowArea(m_drawingWindow, QRect(0, 0, v.w, v.h)); }

    // Whether every point of the arrow's outline is drawn in the arrow's colour
    // (within a pixel, the pen being 3 wide), and the area's far corner is not.
    void expectArrow(const QImage& shot, const HostView& v) {
        ASSERT_FALSE(shot.isNull());
        const QList<QPoint> t = arrowTriangle(v.w, v.h, 0.05, {});
        auto near = [&](QPoint p) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (shot.rect().contains(p + QPoint(dx, dy)) && shot.pixel(p + QPoint(dx, dy)) == kArrow) return true;
            return false;
        };
        EXPECT_EQ(t[0], QPoint(v.w / 2, v.h / 2)) << "the tip at the centre";
        for (int i = 0; i < 3; ++i)
            for (double f : {0.0, 0.25, 0.5, 0.75}) {
                const QPoint a = t[i], b = t[(i + 1) % 3];
                const QPoint p(a.x() + int(f * (b.x() - a.x())), a.y() + int(f * (b.y() - a.y())));
                EXPECT_TRUE(near(p)) << "edge " << i << " at " << p.x() << "," << p.y();
            }
        EXPECT_NE(shot.pixel(t[1].x() + 3, v.h / 2), kArrow) << "an outline, not a filled triangle";
        EXPECT_NE(shot.pixel(5, 5), kArrow);
    }

    QTemporaryDir m_dir;
    QString m_progId;
    CadHostProcess m_host;
    CadObject m_app, m_doc;
    quint64 m_drawingWindow = 0;
    std::unique_ptr<TForm102> m_form;
};

TEST_F(RowDisplayE2E, CentreTicked_ClickingARowCentresTheViewOnItsPoint) {
    start("Centre", true, false);
    const double size = view().size;
    const int before = zoomCalls();
    clickRow(1);
    HostView v = view();
    EXPECT_DOUBLE_EQ(v.centre.x(), 123.5);
    EXPECT_DOUBLE_EQ(v.centre.y(), 45.25);
    EXPECT_DOUBLE_EQ(v.size, size) << "the scale stays";
    EXPECT_EQ(m_form->Edit2->text(), "row 1");
    EXPECT_EQ(zoomCalls(), before + 1) << "a click that moves to the row shows it once";
    clickRow(2);
    v = view();
    EXPECT_EQ(v.centre, QPointF(0, 10)) << "an X that is not a number is 0";
    clickRow(2);
    EXPECT_EQ(zoomCalls(), before + 3) << "a click on the current cell shows the row again";

    QTest::keyClick(m_form->StringGrid1, Qt::Key_Return);
    EXPECT_EQ(view().centre, QPointF(-40, 7)) << "Enter shows the next row";

    m_form->CheckBox1->setChecked(false);
    const int calls = zoomCalls();
    clickRow(1);
    EXPECT_EQ(view().centre, QPointF(-40, 7));
    EXPECT_EQ(zoomCalls(), calls);
    EXPECT_EQ(m_form->Edit2->text(), "row 1");
}

TEST_F(RowDisplayE2E, ArrowTicked_TheTriangleIsDrawnOverTheDrawingWindowAtTheCentre) {
    start("Arrow", true, true);
    HostView v = view();
    ASSERT_GT(v.w, 100);
    const QImage before = drawingArea(v);
    ASSERT_NE(before.pixel(v.w / 2, v.h / 2), kArrow);
    clickRow(1);
    v = view();
    EXPECT_EQ(v.centre, QPointF(123.5, 45.25));
    expectArrow(drawingArea(v), v);
}

TEST_F(RowDisplayE2E, ArrowOnTheScreenForAutoAndPCAD_AfterTheWaitsOfAutoAndZWCAD) {
    struct Case {
        const char* word;
        int minimumMs;
    };
    for (const Case& c : {Case{"AutoCAD", 600}, Case{"PCAD", 0}, Case{"ZWCAD", 700}}) {
        SCOPED_TRACE(c.word);
        start(c.word, true, true);
        m_form->AcadSleep = 600;
        m_form->ZcadSleep = 700;
        QElapsedTimer clock;
        clock.start();
        clickRow(1);
        const qint64 took = clock.elapsed();
        EXPECT_GE(took, c.minimumMs);
        if (c.minimumMs == 0) EXPECT_LT(took, 600);
        const HostView v = view();
        expectArrow(drawingArea(v), v);
        m_form.reset();
        m_host.stop();
    }
}

TEST_F(RowDisplayE2E, GcadZoomsTwiceAndWithoutTheArrowNoWait) {
    start("Gcad", true, false);
    const int before = zoomCalls();
    clickRow(3);
    EXPECT_EQ(zoomCalls(), before + 2);
    EXPECT_EQ(view().centre, QPointF(-40, 7));
    const QStringList log = m_host.commandLog().split('\n');
    EXPECT_EQ(log.at(log.size() - 1), log.at(log.size() - 2)) << "the same arguments twice";
}

TEST_F(RowDisplayE2E, PreviewIsCutFromSourcePngOnlyWhileACadRuns) {
    start("Preview", false, false);
    QImage source(200, 100, QImage::Format_RGB32);
    source.fill(Qt::gray);
    ASSERT_TRUE(source.save(AppPaths::inExeFolder(QStringLiteral("source.png"))));
    m_form->Grid.setCell(7, 1, "30,20,70,20,70,35,30,35");
    m_form->Grid.setCell(7, 2, "30,20,70,20,70,35");
    clickRow(1);
    const QImage shown = m_form->Image1->picture();
    EXPECT_EQ(shown.size(), QSize(80, 55));
    EXPECT_EQ(shown.pixelColor(20, 20), m_form->LineColor);
    clickRow(2);
    EXPECT_EQ(m_form->Image1->picture(), shown) << "seven fields keep the old picture";
    m_host.stop();
    m_form->Grid.setCell(7, 1, "0,0,10,0,10,10,0,10");
    clickRow(1);
    EXPECT_EQ(m_form->Image1->picture(), shown) << "no CAD: no preview either";
    EXPECT_EQ(m_form->Edit2->text(), "row 1") << "but the row editor follows";
}

}  // namespace
