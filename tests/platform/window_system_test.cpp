// Window operations on real top-level windows of this process on the test
// X server (Xvfb with openbox).
#include "tests/support/QtTestSupport.h"
#include "platform/WindowSystem.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

class KeyRecorder : public QWidget {
public:
    std::vector<std::pair<QEvent::Type, int>> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override { keys.emplace_back(e->type(), e->key()); }
    void keyReleaseEvent(QKeyEvent* e) override { keys.emplace_back(e->type(), e->key()); }
};

class WindowSystemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testApplication<QApplication>();
    }
    void TearDown() override { m_windows.clear(); }

    template <class W = QWidget>
    W* window(QColor color, QRect geometry)
    {
        auto w = std::make_unique<W>();
        w->setWindowTitle(QStringLiteral("mirtex window test"));
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, color);
        w->setPalette(palette);
        w->setAutoFillBackground(true);
        w->setGeometry(geometry);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QTest::qWait(150);
        W* raw = w.get();
        m_windows.push_back(std::move(w));
        return raw;
    }

    std::vector<std::unique_ptr<QWidget>> m_windows;
};

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

TEST_F(WindowSystemTest, TheWindowBroughtToFrontIsTheForegroundWindow)
{
    QWidget* a = window(Qt::red, {60, 60, 200, 150});
    QWidget* b = window(Qt::blue, {320, 60, 200, 150});
    auto* child = new QWidget(a);
    child->setAttribute(Qt::WA_NativeWindow);
    child->setGeometry(10, 10, 40, 40);
    child->show();
    QTest::qWait(50);
    for (QWidget* target : {a, b, a, b}) {
        EXPECT_TRUE(bringToFront(target->winId()));
        EXPECT_EQ(foregroundWindow(), target->winId());
    }
    EXPECT_EQ(topLevelWindow(child->winId()), a->winId());
    EXPECT_EQ(topLevelWindow(a->winId()), a->winId());
    // A native child is activated through its top level.
    EXPECT_TRUE(bringToFront(child->winId()));
    EXPECT_EQ(foregroundWindow(), a->winId());
}

TEST_F(WindowSystemTest, AMinimisedWindowComesBack)
{
    QWidget* a = window(Qt::green, {100, 100, 200, 150});
    QWidget* other = window(Qt::gray, {400, 100, 100, 100});
    a->showMinimized();
    ASSERT_TRUE(waitUntil([&] { return a->isMinimized(); }, 2000));
    bringToFront(other->winId());
    EXPECT_TRUE(bringToFront(a->winId()));
    EXPECT_EQ(foregroundWindow(), a->winId());
    // Shown again: its pixels are on the screen.
    EXPECT_TRUE(waitUntil([&] {
        const QImage shot = grabWindowArea(a->winId(), {10, 10, 1, 1});
        return !shot.isNull() && shot.pixelColor(0, 0) == QColor(Qt::green);
    }, 2000));
}

TEST_F(WindowSystemTest, UnknownWindowsFailQuietly)
{
    const quint64 unknown = 0x3fffff01;
    EXPECT_FALSE(bringToFront(unknown));
    EXPECT_FALSE(bringToFront(0));
    EXPECT_EQ(topLevelWindow(unknown), 0u);
    EXPECT_TRUE(grabWindowArea(unknown, {0, 0, 5, 5}).isNull());
    EXPECT_EQ(windowScreenPos(unknown), QPoint());
    EXPECT_EQ(firstChildWindow(unknown), 0u);
    EXPECT_FALSE(windowSize(unknown).isValid());
    EXPECT_FALSE(drawPolygon(unknown, {{0, 0}, {3, 3}}, Qt::red, 1));
    EXPECT_NE(rootWindow(), 0u);
}

TEST_F(WindowSystemTest, ChildWindowsAndGeometry)
{
    QWidget* parent = window(Qt::white, {120, 140, 300, 200});
    auto* child = new QWidget(parent);
    child->setAttribute(Qt::WA_NativeWindow);
    child->setGeometry(30, 40, 50, 60);
    child->show();
    QTest::qWait(100);
    EXPECT_EQ(firstChildWindow(parent->winId()), child->winId());
    EXPECT_EQ(firstChildWindow(child->winId()), 0u);
    EXPECT_EQ(windowSize(parent->winId()), QSize(300, 200));
    EXPECT_EQ(windowSize(child->winId()), QSize(50, 60));
    EXPECT_EQ(windowScreenPos(parent->winId()), parent->mapToGlobal(QPoint(0, 0)));
    EXPECT_EQ(windowScreenPos(child->winId()), windowScreenPos(parent->winId()) + QPoint(30, 40));
}

TEST_F(WindowSystemTest, GrabShowsWhatIsOnScreenAndBlackBeyondIt)
{
    QWidget* below = window(QColor(200, 0, 0), {100, 100, 240, 180});
    QWidget* above = window(QColor(0, 0, 200), {250, 200, 200, 200});
    bringToFront(above->winId());
    QTest::qWait(100);
    const QPoint belowPos = windowScreenPos(below->winId());
    const QPoint overlap = windowScreenPos(above->winId()) - belowPos; // in below's coordinates
    ASSERT_GT(overlap.x(), 20);
    ASSERT_GT(overlap.y(), 20);
    ASSERT_LT(overlap.x(), 220);
    ASSERT_LT(overlap.y(), 160);

    const QImage shot = grabWindowArea(below->winId(), {0, 0, 240, 180});
    ASSERT_EQ(shot.size(), QSize(240, 180));
    EXPECT_EQ(pixel(shot, 5, 5), QColor(200, 0, 0));
    // Clear of the window manager's frame around the upper window.
    EXPECT_EQ(pixel(shot, overlap.x() - 15, overlap.y() + 5), QColor(200, 0, 0));
    EXPECT_EQ(pixel(shot, overlap.x() + 5, overlap.y() + 5), QColor(0, 0, 200));
    EXPECT_EQ(pixel(shot, 239, 179), QColor(0, 0, 200));

    // Reaching left of the screen's edge: that part is black.
    const int beyond = belowPos.x() + 30;
    const QImage left = grabWindowArea(below->winId(), {-beyond, 10, beyond + 20, 10});
    ASSERT_EQ(left.size(), QSize(beyond + 20, 10));
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(pixel(left, x, 5), QColor(Qt::black)) << x;
    EXPECT_EQ(pixel(left, beyond + 10, 5), QColor(200, 0, 0));
    EXPECT_TRUE(grabWindowArea(below->winId(), {0, 0, 0, 10}).isNull());
}

TEST_F(WindowSystemTest, PolygonsAreDrawnOnTheWindowAndOnTheScreen)
{
    QWidget* w = window(Qt::white, {150, 150, 200, 200});
    bringToFront(w->winId());
    QTest::qWait(100);
    const QColor pen(255, 100, 100);
    ASSERT_TRUE(drawPolygon(w->winId(), {{20, 20}, {180, 20}, {180, 180}, {20, 180}}, pen, 3));
    QImage shot = grabWindowArea(w->winId(), {0, 0, 200, 200});
    for (const QPoint p : {QPoint(100, 20), QPoint(100, 21), QPoint(100, 19), QPoint(20, 100), QPoint(180, 100),
                           QPoint(100, 180)})
        EXPECT_EQ(pixel(shot, p.x(), p.y()), pen) << p.x() << "," << p.y();
    for (const QPoint p : {QPoint(100, 100), QPoint(100, 17), QPoint(100, 23), QPoint(10, 10)})
        EXPECT_EQ(pixel(shot, p.x(), p.y()), QColor(Qt::white)) << p.x() << "," << p.y();

    // On the whole screen: a triangle in screen coordinates lands on the window.
    const QPoint o = windowScreenPos(w->winId());
    const QColor green(0, 160, 0);
    ASSERT_TRUE(drawPolygon(rootWindow(), {o + QPoint(60, 60), o + QPoint(140, 60), o + QPoint(100, 140)}, green, 1));
    shot = grabWindowArea(w->winId(), {0, 0, 200, 200});
    EXPECT_EQ(pixel(shot, 100, 60), green);
    EXPECT_EQ(pixel(shot, 100, 100), QColor(Qt::white));
    EXPECT_FALSE(drawPolygon(w->winId(), {{1, 1}}, pen, 3));
}

TEST_F(WindowSystemTest, EscapeReachesTheFocusedWindow)
{
    auto* w = window<KeyRecorder>(Qt::white, {200, 200, 150, 100});
    ASSERT_TRUE(bringToFront(w->winId()));
    ASSERT_TRUE(waitUntil([&] { return w->isActiveWindow(); }, 1000));
    ASSERT_TRUE(injectEscape());
    ASSERT_TRUE(waitUntil([&] { return w->keys.size() >= 2; }, 2000));
    ASSERT_EQ(w->keys.size(), 2u);
    EXPECT_EQ(w->keys[0], std::make_pair(QEvent::KeyPress, int(Qt::Key_Escape)));
    EXPECT_EQ(w->keys[1], std::make_pair(QEvent::KeyRelease, int(Qt::Key_Escape)));
}

} // namespace
