#include "net/CClientSocket.h"
#include "tests/support/Requests.h"
#include "tests/ui/WindowTest.h"
#include "ui/CCustomizeDlg.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>

using MainFrameTest = WindowTest;

namespace {

struct MenuItem
{
    QString menu;
    QString item;
    bool enabled;
};

struct DeleteCase
{
    const char *what;
    int currentTab;
    bool favoriteGone;
    bool queueEntryGone;
};

struct StatusCase
{
    int row;
    QString address;
};

struct LookStep
{
    int set;
    int paletteOf; // the look whose colours show afterwards
};

struct ImagesCase
{
    const char *what;
    QByteArray bytes; // nothing: no file
    int images;
};

QByteArray Bitmap(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// Every item of every menu of the menu bar, in order.
QList<MenuItem> MenuItems(const QMenuBar &bar)
{
    QList<MenuItem> items;
    for (const QAction *menu : bar.actions())
        for (const QAction *item : menu->menu()->actions())
            items.append({menu->text(), item->text(), item->isEnabled()});
    return items;
}

QAction *MenuAction(const QMenuBar &bar, const QString &text)
{
    for (const QAction *menu : bar.actions())
        for (QAction *item : menu->menu()->actions())
            if (item->text() == text)
                return item;
    return nullptr;
}

} // namespace

TEST_F(MainFrameTest, MenusListTheirItemsWithTheSongListItemsGreyed)
{
    const QList<MenuItem> expected{
        {u"&File"_qs, u"E&xit"_qs, true},
        {u"&View"_qs, u"&Status Bar"_qs, true},
        {u"&Tools"_qs, u"Generate Song List"_qs, false},
        {u"&Tools"_qs, u"Refresh Song List"_qs, false},
        {u"&Tools"_qs, u"Send Message"_qs, true},
        {u"&Tools"_qs, u"Queue Settings"_qs, true},
        {u"&Help"_qs, u"&About ORVA RS Server"_qs, true},
    };
    const QList<MenuItem> items = MenuItems(*frame->menuBar());
    ASSERT_EQ(items.size(), expected.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(expected[i].item.toStdString());
        EXPECT_EQ(items[i].menu, expected[i].menu);
        EXPECT_EQ(items[i].item, expected[i].item);
        EXPECT_EQ(items[i].enabled, expected[i].enabled);
    }
    QStringList enabledButtons;
    for (const QAction *button : frame->standardToolBar().actions())
        if (!button->isSeparator() && button->isEnabled())
            enabledButtons.append(button->text());
    EXPECT_EQ(enabledButtons, (QStringList{u"New"_qs, u"About"_qs, u"Customize..."_qs}));
}

TEST_F(MainFrameTest, ToolsAndHelpCommandsAnnounceTheirDialogs)
{
    QSignalSpy sendMessage(frame.get(), &CMainFrame::sendMessageRequested);
    QSignalSpy queueSettings(frame.get(), &CMainFrame::queueSettingsRequested);
    QSignalSpy about(frame.get(), &CMainFrame::aboutRequested);
    MenuAction(*frame->menuBar(), u"Send Message"_qs)->trigger();
    MenuAction(*frame->menuBar(), u"Queue Settings"_qs)->trigger();
    MenuAction(*frame->menuBar(), u"&About ORVA RS Server"_qs)->trigger();
    for (QAction *button : frame->standardToolBar().actions())
        if (button->text() == u"About")
            button->trigger();
    EXPECT_EQ(sendMessage.count(), 1);
    EXPECT_EQ(queueSettings.count(), 1);
    EXPECT_EQ(about.count(), 2);

    QAction *statusBar = MenuAction(*frame->menuBar(), u"&Status Bar"_qs);
    statusBar->trigger();
    EXPECT_TRUE(frame->statusBar()->isHidden());
    statusBar->trigger();
    EXPECT_FALSE(frame->statusBar()->isHidden());
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
    const DeleteCase cases[] = {
        {"favourites tab", CChildView::FavoriteTab, true, false},
        {"log tab", CChildView::LogTab, true, false},
        {"queue tab", CChildView::QueueTab, false, true},
    };
    for (const DeleteCase &c : cases) {
        SCOPED_TRACE(c.what);
        FavoriteStore &favorites = app->favorites();
        ASSERT_TRUE(favorites.CreateFavoriteList(u"Keep"_qs));
        ASSERT_TRUE(favorites.CreateFavoriteList(u"Doomed"_qs));
        Reserve(1, 1004);
        view().favoriteView().selectRow(favorites.listCount() - 1);
        view().queueView().selectRow(0);
        ClickTab(c.currentTab);

        frame->OnDelete();
        EXPECT_EQ(favorites.FindFavoriteList(u"Doomed"_qs, nullptr), !c.favoriteGone);
        EXPECT_TRUE(favorites.FindFavoriteList(u"Keep"_qs, nullptr));
        EXPECT_EQ(favorites.rows().rowCount(), favorites.listCount());
        EXPECT_EQ(app->queue().count(), c.queueEntryGone ? 0 : 1);

        favorites.DeleteFavoriteList(u"Keep"_qs);
        favorites.DeleteFavoriteList(u"Doomed"_qs);
        while (app->queue().count() > 0)
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
    ASSERT_EQ(app->channels().Find(u"127.0.0.6"_qs)->station, 0);

    const StatusCase cases[] = {
        {0, u"127.0.0.6"_qs}, // row 0, station 0
        {1, u"127.0.0.4"_qs}, // row 1, station 2: slot 1 is empty
        {2, u"127.0.0.5"_qs}, // row 2, station 3: slot 2 is another terminal
    };
    const auto blocked = [this] {
        QStringList addresses;
        for (const CClientSocket *channel : app->channels().channels())
            if (channel && channel->blocked)
                addresses.append(channel->addressText);
        return addresses;
    };
    for (const StatusCase &s : cases) {
        SCOPED_TRACE("row " + std::to_string(s.row));
        view().clientView().selectRow(s.row);
        ASSERT_TRUE(ChooseFromPopupMenu(u"ClientView"_qs));
        EXPECT_EQ(app->clientRows().cell(s.row, 2), u"Off");
        EXPECT_EQ(blocked(), QStringList{s.address});
        ASSERT_TRUE(ChooseFromPopupMenu(u"ClientView"_qs));
        EXPECT_EQ(app->clientRows().cell(s.row, 2), u"On");
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
    ASSERT_TRUE(app->favorites().AddSongToFavoriteList(u"Mine"_qs, 1003));
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
    EXPECT_FALSE(app->server().serverRunning());
    EXPECT_TRUE(terminal->WaitForClose());
    const QByteArray saved = ReadFileBytes(file);
    EXPECT_TRUE(QString::fromUtf16(reinterpret_cast<const char16_t *>(saved.constData() + 2),
                                   (saved.size() - 2) / 2)
                    .startsWith(u"Mine|1003"));
}

TEST_F(MainFrameTest, LookIsReadStoredAndKeepsTheOfficeColoursForUnknownValues)
{
    EXPECT_EQ(frame->applicationLook(), ApplicationLook::kDefault);
    EXPECT_EQ(ApplicationLook::Stored(), ApplicationLook::kDefault);
    const LookStep steps[] = {
        {216, 216}, {300, 216}, {211, 211}, {999, 216}, {218, 218}, {-1, 218}, {214, 214},
    };
    for (const LookStep &step : steps) {
        SCOPED_TRACE("look " + std::to_string(step.set));
        frame->SetApplicationLook(step.set);
        EXPECT_EQ(ApplicationLook::Stored(), step.set);
        EXPECT_EQ(QApplication::palette().color(QPalette::Window),
                  ApplicationLook::Palette(step.paletteOf).color(QPalette::Window));
    }
    frame->SetApplicationLook(217);
    EXPECT_EQ(CMainFrame(*app).applicationLook(), 217);
}

TEST_F(MainFrameTest, UserImagesAreSixteenPixelTilesOfASmallEnoughBitmap)
{
    QByteArray tooLarge = Bitmap(700, 400);
    ASSERT_GT(tooLarge.size(), CMainFrame::kMaxUserImagesBytes);
    const ImagesCase cases[] = {
        {"missing", {}, 0},
        {"three tiles", Bitmap(48, 16), 3},
        {"a partial tile is left out", Bitmap(40, 20), 2},
        {"too low", Bitmap(64, 8), 0},
        {"not an image", QByteArray("BM this is not a bitmap"), 0},
        {"over 819,200 bytes", tooLarge, 0},
    };
    const QString path = home.file(u"UserImages.bmp"_qs);
    for (const ImagesCase &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path);
        if (!c.bytes.isEmpty())
            WriteFileBytes(path, c.bytes);
        const QList<QPixmap> images = CMainFrame::LoadUserImages(path);
        EXPECT_EQ(images.size(), c.images);
        for (const QPixmap &image : images)
            EXPECT_EQ(image.size(), QSize(16, 16));
    }

    // The window looks for them in the current folder.
    WriteFileBytes(path, Bitmap(32, 16));
    const QString before = QDir::currentPath();
    QDir::setCurrent(home.path());
    const CMainFrame another(*app);
    QDir::setCurrent(before);
    EXPECT_EQ(another.userImages().size(), 2);
}

TEST_F(MainFrameTest, BarsMenuOffersCustomizingWhichHidesAToolbarButtonOnly)
{
    const std::unique_ptr<QMenu> menu(frame->createPopupMenu());
    QStringList items;
    for (const QAction *action : menu->actions())
        if (!action->isSeparator())
            items.append(action->text());
    EXPECT_EQ(items, (QStringList{u"Standard"_qs, u"Customize..."_qs}));

    frame->OnCustomize();
    auto *dialog = frame->findChild<CCustomizeDlg *>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isModal());
    QListWidget &buttons = dialog->buttonList();
    QStringList names;
    for (int i = 0; i < buttons.count(); ++i)
        names.append(buttons.item(i)->text());
    ASSERT_EQ(names, (QStringList{u"New"_qs, u"Cut"_qs, u"Copy"_qs, u"Paste"_qs, u"About"_qs}));
    buttons.item(4)->setCheckState(Qt::Unchecked);
    Pump(10);

    QAction *toolbarAbout = frame->standardToolBar().actions().at(6);
    ASSERT_EQ(toolbarAbout->text(), u"About");
    EXPECT_FALSE(frame->standardToolBar().widgetForAction(toolbarAbout)->isVisible());
    EXPECT_TRUE(MenuAction(*frame->menuBar(), u"&About ORVA RS Server"_qs)->isVisible());
}
