#include "ui/RepaintThrottle.h"

#include "tests/support/Wait.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct CountingWidget : QWidget
{
    int paints = 0;
    void paintEvent(QPaintEvent *) override { ++paints; }
};

} // namespace

// Changes in a burst share repaints, and the last change is still painted
// once the frame is over: nothing the operator should see is left out.
TEST(RepaintThrottleTest, BurstsShareRepaintsAndTheLastChangeIsPainted)
{
    CountingWidget window;
    new RepaintThrottle(&window);
    window.resize(100, 100);
    window.show();
    ASSERT_TRUE(WaitUntil([&] { return window.paints > 0; }));
    window.paints = 0;
    for (int change = 0; change < 200; ++change) {
        window.update();
        QCoreApplication::processEvents();
    }
    EXPECT_LT(window.paints, 50) << "one repaint a change";
    const int beforeLast = window.paints;
    window.update();
    EXPECT_TRUE(WaitUntil([&] { return window.paints > beforeLast; }, 1000));
}
