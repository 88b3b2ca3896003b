// Without an X display every window operation fails quietly.
#include "platform/WindowSystem.h"
#include <QtGlobal>
#include <gtest/gtest.h>

namespace {

TEST(WindowSystemWithoutDisplay, EveryOperationFailsQuietly)
{
    qunsetenv("DISPLAY"); // before the first operation opens the connection
    const quint64 someWindow = 0x200001;
    EXPECT_EQ(rootWindow(), 0u);
    EXPECT_FALSE(bringToFront(someWindow));
    EXPECT_EQ(foregroundWindow(), 0u);
    EXPECT_EQ(topLevelWindow(someWindow), 0u);
    EXPECT_FALSE(injectEscape());
    EXPECT_TRUE(grabWindowArea(someWindow, QRect(0, 0, 10, 10)).isNull());
    EXPECT_EQ(windowScreenPos(someWindow), QPoint());
    EXPECT_EQ(firstChildWindow(someWindow), 0u);
    EXPECT_FALSE(windowSize(someWindow).isValid());
    EXPECT_FALSE(drawPolygon(someWindow, {{0, 0}, {5, 5}, {0, 5}}, Qt::red, 3));
}

} // namespace
