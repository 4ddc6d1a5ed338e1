#include "tests/ui/WindowTest.h"

using ChildViewTest = WindowTest;

namespace {

struct TabStep
{
    const char *what;
    std::function<void()> act;
    int current;
    CChildView::Tab shown;
};

struct MenuCase
{
    const char *viewName;
    int selectedRow;      // -1: none
    QString clientStatus; // written into the terminal row first, when not null
    QStringList items;    // empty: no menu
};

struct AcceptCase
{
    bool answer;
    int selectedRow;
    QStringList questions;
    bool stamped;
};

} // namespace

TEST_F(ChildViewTest, FullLogKeepsItsRowsAndShowsTheNewestLineLast)
{
    const QAbstractItemModel &log = *view().logView().model();
    int line = 0;
    while (log.rowCount() < EventLog::kMaxRows)
        WriteLog("line %d", line++);
    const QString first = log.index(0, 1).data().toString();
    const QString beforeLast = log.index(EventLog::kMaxRows - 2, 1).data().toString();

    WriteLog("newest");
    ASSERT_EQ(log.rowCount(), EventLog::kMaxRows);
    EXPECT_EQ(log.index(EventLog::kMaxRows - 1, 1).data().toString(), u"newest");
    WriteLog("%s", ""); // an empty action is a line too
    ASSERT_EQ(log.rowCount(), EventLog::kMaxRows);
    EXPECT_EQ(log.index(0, 1).data().toString(), first);
    EXPECT_EQ(log.index(EventLog::kMaxRows - 2, 1).data().toString(), beforeLast);
    EXPECT_EQ(log.index(EventLog::kMaxRows - 1, 1).data().toString(), QString());
    EXPECT_FALSE(log.index(EventLog::kMaxRows - 1, 0).data().toString().isEmpty());
}

TEST_F(ChildViewTest, OnlyAMouseClickChangesTheShownList)
{
    const auto shown = [this] {
        if (!view().queueView().isHidden())
            return CChildView::QueueTab;
        if (!view().favoriteView().isHidden())
            return CChildView::FavoriteTab;
        return CChildView::LogTab;
    };
    const auto key = [this](Qt::Key k) { return [this, k] { QTest::keyClick(&tabs(), k); }; };
    const auto click = [this](int tab) { return [this, tab] { ClickTab(tab); }; };
    const TabStep steps[] = {
        {"right arrow", key(Qt::Key_Right), 1, CChildView::QueueTab},
        {"right arrow again", key(Qt::Key_Right), 2, CChildView::QueueTab},
        {"click on the favourites", click(1), 1, CChildView::FavoriteTab},
        {"left arrow", key(Qt::Key_Left), 0, CChildView::FavoriteTab},
        {"click on the log", click(2), 2, CChildView::LogTab},
        {"click on the current tab", click(2), 2, CChildView::LogTab},
        {"click on the queue", click(0), 0, CChildView::QueueTab},
    };
    tabs().setFocus();
    ASSERT_EQ(shown(), CChildView::QueueTab);
    for (const TabStep &step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(tabs().currentIndex(), step.current);
        EXPECT_EQ(shown(), step.shown);
        EXPECT_EQ(int(view().queueView().isHidden()) + int(view().favoriteView().isHidden()) +
                      int(view().logView().isHidden()),
                  2);
    }
}

TEST_F(ChildViewTest, PopupMenuDependsOnTheListAndItsSelection)
{
    EXPECT_EQ(view().MakeRowPopupMenu(u"QueueView"_qs), nullptr); // no rows at all
    Reserve(1, 1001);
    Reserve(2, 1002);
    ASSERT_TRUE(app->favorites().CreateFavoriteList(u"Mine"_qs));
    auto terminal = Terminal(0);
    ASSERT_TRUE(WaitForClientRows(1));

    const MenuCase cases[] = {
        {"LogView", 0, {}, {}},
        {"QueueView", -1, {}, {}},
        {"QueueView", 1, {}, {u"Delete"_qs}},
        {"FavoriteView", 0, {}, {u"Delete"_qs}},
        {"ClientView", 0, u"On"_qs, {u"Off"_qs}},
        {"ClientView", 0, u"Off"_qs, {u"On"_qs}},
        {"ClientView", 0, u"busy"_qs, {u"On"_qs}},
        {"ClientView", -1, {}, {}},
        {"NoSuchView", 0, {}, {}},
    };
    for (const MenuCase &c : cases) {
        SCOPED_TRACE(std::string(c.viewName) + " row " + std::to_string(c.selectedRow));
        for (CListCtrlEx *list : {&view().logView(), &view().queueView(), &view().favoriteView(),
                                  &view().clientView()}) {
            list->clearSelection();
            if (c.selectedRow >= 0 && list->viewName() == QLatin1String(c.viewName))
                list->selectRow(c.selectedRow);
        }
        if (!c.clientStatus.isNull())
            app->clientRows().setCell(0, 2, c.clientStatus);
        const std::unique_ptr<QMenu> menu =
            view().MakeRowPopupMenu(QString::fromLatin1(c.viewName));
        QStringList items;
        if (menu)
            for (const QAction *action : menu->actions())
                items.append(action->text());
        EXPECT_EQ(items, c.items);
    }
}

TEST_F(ChildViewTest, AcceptingAsksAndStampsOnlyOnYes)
{
    Reserve(1, 1001);
    Reserve(3, 1002);
    const AcceptCase cases[] = {
        {true, -1, {}, false},
        {false, 1, {u"Accept Song|Accept [ 3 1002 ]?"_qs}, false},
        {true, 1, {u"Accept Song|Accept [ 3 1002 ]?"_qs}, true},
    };
    for (const AcceptCase &c : cases) {
        SCOPED_TRACE("answer " + std::to_string(c.answer) + " row " +
                     std::to_string(c.selectedRow));
        questions.clear();
        answer = c.answer;
        view().queueView().clearSelection();
        if (c.selectedRow >= 0)
            view().queueView().selectRow(c.selectedRow);
        view().AcceptSelectedReservation();
        EXPECT_EQ(questions, c.questions);
        const QDateTime accepted = app->queue().entry(1).acceptedAt;
        EXPECT_EQ(accepted.isValid(), c.stamped);
        EXPECT_EQ(app->queue().rows().cell(1, ReservationQueue::StatusColumn),
                  c.stamped ? FormatTimeStamp(accepted) : QString());
    }
    EXPECT_FALSE(app->queue().entry(0).acceptedAt.isValid());
    EXPECT_EQ(app->queue().count(), 2);
}

TEST_F(ChildViewTest, DoubleClickOnAReservationAsksAboutThatRow)
{
    Reserve(4, 1003);
    Reserve(5, 1005);
    CListCtrlEx &queue = view().queueView();
    const QPoint row1 = queue.visualRect(queue.model()->index(1, 4)).center();
    // A double click is the second press of two; the first one is a click of its own.
    QTest::mouseClick(queue.viewport(), Qt::LeftButton, {}, row1);
    QTest::mouseDClick(queue.viewport(), Qt::LeftButton, {}, row1);
    EXPECT_EQ(questions, QStringList{u"Accept Song|Accept [ 5 1005 ]?"_qs});
    EXPECT_TRUE(app->queue().entry(1).acceptedAt.isValid());
}
