#include "tests/ui/WindowTest.h"
#include "ui/CQueSetDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QToolBar>

using MainFrameTest = WindowTest;

namespace {

// How far the drawn pixel farthest from the area's commonest colour (the
// background) is from it, in grey levels: the strength of text drawn there.
int TextContrast(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    const QRgb background =
        std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
            return a.second < b.second;
        })->first;
    int contrast = 0;
    for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it)
        contrast = std::max(contrast, std::abs(qGray(*it) - qGray(background)));
    return contrast;
}

// The text strength of a widget drawn disabled and then enabled.
std::pair<int, int> DisabledAndEnabled(QWidget &widget, const QRect &textArea)
{
    const int disabled = TextContrast(widget.grab().toImage(), textArea);
    widget.setEnabled(true);
    const int enabled = TextContrast(widget.grab().toImage(), textArea);
    widget.setEnabled(false);
    return {disabled, enabled};
}

} // namespace

// In every look the greyed items are drawn greyed: the text of the "Enable
// Sync control" box, of the lock indicators and of the song-list menu items
// stands out from its background clearly less than the same text enabled.
// The window is made anew in each look, as at a start with that look stored
// (Qt leaves roles an earlier application palette set in existing widgets).
TEST_F(MainFrameTest, GreyedItemsLookGreyedInEveryLook)
{
    for (int look = ApplicationLook::kFirst; look <= ApplicationLook::kLast; ++look) {
        SCOPED_TRACE("look " + std::to_string(look));
        ApplicationLook::Store(look);
        ApplicationLook::Install(look); // before any widget, as at a start
        CMainFrame window(*app);
        CQueSetDlg dialog(app->config(), &window);
        window.show();
        dialog.show();
        QAbstractButton &sync = *dialog.button(CQueSetDlg::IdSyncControl);
        QStyleOptionButton option;
        option.initFrom(&sync);
        option.text = sync.text();
        std::vector<std::pair<int, int>> shown{DisabledAndEnabled(
            sync, sync.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &sync))};
        for (QLabel *label : window.statusBar()->findChildren<QLabel *>())
            if (!label->isEnabled()) // CAP, NUM and SCRL
                shown.push_back(DisabledAndEnabled(*label, label->rect()));
        QMenu &tools = *window.menuBar()->actions()[2]->menu();
        tools.popup({0, 0});
        const QImage menu = tools.grab().toImage(); // "Generate Song List" against "Send Message"
        const auto item = [&tools](int i) {         // inside the menu's frame
            return tools.actionGeometry(tools.actions()[i]).adjusted(3, 1, -3, -1);
        };
        shown.emplace_back(TextContrast(menu, item(0)), TextContrast(menu, item(2)));
        tools.close();
        ASSERT_EQ(shown.size(), 5u);
        for (size_t i = 0; i < shown.size(); ++i) // the box, CAP, NUM, SCRL, the menu
            EXPECT_LT(shown[i].first * 4, shown[i].second * 3)
                << "item " << i << ": " << shown[i].first << " against " << shown[i].second;
    }
}

TEST_F(MainFrameTest, DeleteOnTheQueueRemovesTheFirstEntryWithThatNumberAndPushesTheQueue)
{
    Reserve(1, 1001);
    Reserve(2, 1002);
    Reserve(3, 1001);
    auto local = Connect(QHostAddress::LocalHost);
    view().queueView().selectRow(2);
    ASSERT_TRUE(ChooseFromPopupMenu(u"QueueView"_qs));
    ASSERT_EQ(app->queue().Numbers(5), (QList<quint32>{1002, 1001}));
    EXPECT_EQ(app->queue().entry(1).station, 3u); // the first 1001 went, not the selected one
    EXPECT_EQ(app->queue().rows().cell(0, ReservationQueue::NumberColumn), u"1002");
    const QByteArray pushed = local->ReadPacket().value_or(QByteArray());
    EXPECT_TRUE(At(pushed, 4) == Cmd::QueueList && At(pushed, 12) == 0x10002u);

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
    std::vector<std::unique_ptr<MelodeckClient>> t;
    for (int n = 0; n < 4; ++n)
        t.push_back(Terminal(n));
    ASSERT_TRUE(WaitForClientRows(4));
    t[0]->Disconnect();
    t[1]->Disconnect();
    ASSERT_TRUE(WaitForClientRows(2));
    t.push_back(Terminal(4)); // takes station 0, the lowest free slot
    ASSERT_TRUE(WaitForClientRows(3));
    const auto blocked = [this] {
        QStringList addresses;
        for (const CClientSocket *channel : app->channels().channels())
            if (channel && channel->blocked)
                addresses.append(channel->addressText);
        return addresses;
    };
    // Row 0 is station 0; row 1 station 2 (slot 1 is empty); row 2 station 3 (t[2] holds slot 2).
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
    t.push_back(Terminal(5));
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
