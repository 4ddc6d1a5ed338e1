#include "tests/ui/WindowTest.h"

#include <QHeaderView>
#include <QImage>
#include <QSet>

using ScreenshotTest = WindowTest;

// Draws the real window with a few reservations (one accepted), two terminals
// and some log lines into screenshot.png in the build folder, as the README shows it.
TEST_F(ScreenshotTest, MainWindowIsDrawnWithItsListsFilled)
{
    auto first = Terminal(0);
    auto second = Terminal(1);
    ASSERT_TRUE(WaitForClientRows(2));
    Reserve(0, 1001, u"Mina"_qs);
    Reserve(1, 1003, u"Joon"_qs);
    Reserve(0, 1005, u"Hana"_qs);
    Reserve(1, 1002);
    WriteLog("Requested add number %d, pitch %d, tempo %d, name %s.", 1001, 0, 0, "Mina");
    view().queueView().selectRow(0);
    view().AcceptSelectedReservation();
    // The operator widens the "Status" column to see the acceptance.
    view().queueView().horizontalHeader()->resizeSection(ReservationQueue::StatusColumn, 120);
    view().queueView().selectRow(1);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    view().queueView().setFocus(); // the focused row shows its focus rectangle
    frame->resize(1000, 420);
    Pump(50);

    const QImage shot = frame->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(1000, 420));
    ASSERT_TRUE(shot.save(QStringLiteral(ORVA_SCREENSHOT_FILE)));
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 20); // text, tabs, bars and lists, not one flat colour
}
