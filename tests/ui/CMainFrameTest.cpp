#include "tests/ui/WindowTest.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QToolBar>

using MainFrameTest = WindowTest;

TEST_F(MainFrameTest, MenusListTheirItemsWithTheSongListItemsGreyed)
{
    QStringList items; // "menu/item", with " (greyed)" for a disabled item
    for (const QAction *menu : frame->menuBar()->actions())
        for (const QAction *item : menu->menu()->actions())
            items.append(menu->text() + u'/' + item->text() +
                         (item->isEnabled() ? u""_qs : u" (greyed)"_qs));
    EXPECT_EQ(items,
              (QStringList{u"&File/E&xit"_qs, u"&View/&Status Bar"_qs,
                           u"&Tools/Generate Song List (greyed)"_qs,
                           u"&Tools/Refresh Song List (greyed)"_qs, u"&Tools/Send Message"_qs,
                           u"&Tools/Queue Settings"_qs, u"&Tools/Guest Web..."_qs,
                           u"&Help/&About ORVA RS Server"_qs}));
    QStringList buttons;
    for (const QAction *button : frame->standardToolBar().actions())
        if (!button->isSeparator())
            buttons.append(button->text() + (button->isEnabled() ? u""_qs : u" (greyed)"_qs));
    EXPECT_EQ(buttons, (QStringList{u"New"_qs, u"Cut (greyed)"_qs, u"Copy (greyed)"_qs,
                                    u"Paste (greyed)"_qs, u"About"_qs, u"Customize..."_qs}));
}

TEST_F(MainFrameTest, DeleteOnTheQueueRemovesTheFirstEntryWithThatNumberAndPushesTheQueue)
{
    Reserve(1, 1001);
    Reserve(2, 1002);
    Reserve(3, 1001);
    auto local = Connect(QHostAddress::LocalHost);
    view().queueView().selectRow(2);
    ASSERT_TRUE(ChooseFromPopupMenu(u"QueueView"_qs));
    ASSERT_EQ(app->queue().count(), 2);
    EXPECT_EQ(app->queue().entry(0).number, 1002u);
    EXPECT_EQ(app->queue().entry(1).station, 3u); // the first 1001 went, not the selected one
    EXPECT_EQ(app->queue().rows().cell(0, ReservationQueue::NumberColumn), u"1002");
    const auto pushed = local->ReadPacket();
    ASSERT_TRUE(pushed.has_value());
    EXPECT_EQ(At(*pushed, 4), Cmd::QueueList);
    EXPECT_EQ(At(*pushed, 12), 0x10002u);

    view().queueView().clearSelection();
    frame->OnDelete();
    EXPECT_EQ(app->queue().count(), 2);
    EXPECT_TRUE(local->Drain(50).isEmpty());
}

TEST_F(MainFrameTest, DeleteActsOnTheFavouritesUnlessTheQueueTabIsCurrent)
{
    FavoriteStore &favorites = app->favorites();
    for (const int tab : {CChildView::FavoriteTab, CChildView::LogTab, CChildView::QueueTab}) {
        SCOPED_TRACE("tab " + std::to_string(tab));
        ASSERT_TRUE(favorites.CreateFavoriteList(u"Keep"_qs));
        ASSERT_TRUE(favorites.CreateFavoriteList(u"Doomed"_qs));
        Reserve(1, 1004);
        view().favoriteView().selectRow(1);
        view().queueView().selectRow(0);
        ClickTab(tab);
        frame->OnDelete();
        const bool onQueue = tab == CChildView::QueueTab;
        EXPECT_EQ(favorites.FindFavoriteList(u"Doomed"_qs, nullptr), onQueue);
        EXPECT_TRUE(favorites.FindFavoriteList(u"Keep"_qs, nullptr));
        EXPECT_EQ(favorites.rows().rowCount(), favorites.listCount());
        EXPECT_EQ(app->queue().count(), onQueue ? 0 : 1);
        favorites.DeleteFavoriteList(u"Keep"_qs);
        favorites.DeleteFavoriteList(u"Doomed"_qs);
        app->queue().DeleteByNumber(0);
    }
}

TEST_F(MainFrameTest, StatusSwitchesExactlyTheTerminalShownOnTheRow)
{
    auto a = Terminal(0);
    auto b = Terminal(1);
    auto c = Terminal(2);
    auto d = Terminal(3);
    ASSERT_TRUE(WaitForClientRows(4));
    a->Disconnect();
    b->Disconnect();
    ASSERT_TRUE(WaitForClientRows(2));
    auto e = Terminal(4); // takes station 0, the lowest free slot
    ASSERT_TRUE(WaitForClientRows(3));
    const auto blocked = [this] {
        QStringList addresses;
        for (const CClientSocket *channel : app->channels().channels())
            if (channel && channel->blocked)
                addresses.append(channel->addressText);
        return addresses;
    };
    // Row 0 is station 0; row 1 station 2 (slot 1 is empty); row 2 station 3 (slot 2 is c).
    const QString shown[] = {u"127.0.0.6"_qs, u"127.0.0.4"_qs, u"127.0.0.5"_qs};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        view().clientView().selectRow(row);
        ASSERT_TRUE(ChooseFromPopupMenu(u"ClientView"_qs));
        EXPECT_EQ(app->clientRows().cell(row, 2), u"Off");
        EXPECT_EQ(blocked(), QStringList{shown[row]});
        ASSERT_TRUE(ChooseFromPopupMenu(u"ClientView"_qs));
        EXPECT_EQ(app->clientRows().cell(row, 2), u"On");
        EXPECT_TRUE(blocked().isEmpty());
    }

    // A rebuild lists every connected terminal as "On", even one switched off.
    view().clientView().selectRow(1);
    frame->OnStatus();
    auto f = Terminal(5);
    ASSERT_TRUE(WaitForClientRows(4));
    EXPECT_EQ(app->clientRows().cell(1, 2), u"On");
    EXPECT_EQ(blocked(), QStringList{u"127.0.0.4"_qs});
}

TEST_F(MainFrameTest, AltXClosesAfterStoppingTheServerAndThenSavesTheFavourites)
{
    ASSERT_TRUE(app->favorites().CreateFavoriteList(u"Mine"_qs));
    auto terminal = Terminal(0);
    const QString file = app->favorites().filePath();
    ASSERT_FALSE(QFile::exists(file));
    bool savedBeforeStop = true;
    QObject::connect(&app->logRows(), &RowTable::rowInserted, [&](int row) {
        if (app->logRows().cell(row, 1) == u"MelodeckServer stopped.")
            savedBeforeStop = QFile::exists(file);
    });
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(frame.get(), Qt::Key_X, Qt::AltModifier);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(CountLog(u"MelodeckServer stopped."_qs), 1);
    EXPECT_FALSE(savedBeforeStop);
    EXPECT_TRUE(terminal->WaitForClose());
    EXPECT_TRUE(ReadFileBytes(file).contains(QByteArray("M\0i\0n\0e\0|\0", 10)));
}

TEST_F(MainFrameTest, LookIsStoredAndDefaultsTo214)
{
    EXPECT_EQ(frame->applicationLook(), 214);
    frame->SetApplicationLook(216);
    EXPECT_EQ(CMainFrame(*app).applicationLook(), 216);
    frame->SetApplicationLook(300); // unknown: the office colours chosen last stay
    EXPECT_EQ(ApplicationLook::Stored(), 300);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window),
              ApplicationLook::Palette(216).color(QPalette::Window));
}

TEST_F(MainFrameTest, UserImagesAreSixteenPixelTilesOfASmallEnoughBitmap)
{
    const auto bitmap = [](int width, int height) {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(Qt::darkCyan);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
        return bytes;
    };
    const QString path = home.file(u"UserImages.bmp"_qs);
    const std::pair<QByteArray, int> cases[] = {
        {{}, 0}, // no file
        {bitmap(48, 16), 3},
        {bitmap(40, 20), 2}, // a partial tile is left out
        {bitmap(64, 8), 0},
        {QByteArray("BM not a bitmap"), 0},
        {bitmap(700, 400), 0}}; // 840,054 bytes: over 819,200
    for (const auto &[bytes, images] : cases) {
        SCOPED_TRACE(std::to_string(bytes.size()) + " bytes");
        QFile::remove(path);
        if (!bytes.isEmpty())
            WriteFileBytes(path, bytes);
        EXPECT_EQ(CMainFrame::LoadUserImages(path).size(), images);
    }
}
