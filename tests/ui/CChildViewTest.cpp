#include "tests/ui/WindowTest.h"

using ChildViewTest = WindowTest;

TEST_F(ChildViewTest, OnlyAMouseClickChangesTheShownList)
{
    // The tab clicked (-1: the right arrow key, -2: the left one), the current tab, the list shown.
    const std::tuple<int, int, CListCtrlEx *> steps[] = {
        {-1, 1, &view().queueView()},   {-1, 2, &view().queueView()},
        {1, 1, &view().favoriteView()}, {-2, 0, &view().favoriteView()},
        {2, 2, &view().logView()},      {2, 2, &view().logView()},
        {0, 0, &view().queueView()},
    };
    tabs().setFocus();
    for (const auto &step : steps) {
        SCOPED_TRACE("step " + std::to_string(&step - steps));
        const auto &[click, current, shown] = step;
        if (click >= 0)
            ClickTab(click);
        else
            QTest::keyClick(&tabs(), click == -1 ? Qt::Key_Right : Qt::Key_Left);
        EXPECT_EQ(tabs().currentIndex(), current);
        for (CListCtrlEx *list : {&view().queueView(), &view().favoriteView(), &view().logView()})
            EXPECT_EQ(list->isHidden(), list != shown) << list->viewName().toStdString();
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

    // The list, its selected row (-1: none), a status written into the terminal's row first
    // when not null, and the menu's items (none: no menu).
    const std::tuple<QString, int, QString, QStringList> cases[] = {
        {u"LogView"_qs, 0, {}, {}},
        {u"QueueView"_qs, -1, {}, {}},
        {u"QueueView"_qs, 1, {}, {u"Delete"_qs}},
        {u"FavoriteView"_qs, 0, {}, {u"Delete"_qs}},
        {u"ClientView"_qs, 0, u"On"_qs, {u"Off"_qs}},
        {u"ClientView"_qs, 0, u"Off"_qs, {u"On"_qs}},
        {u"ClientView"_qs, 0, u"busy"_qs, {u"On"_qs}},
        {u"ClientView"_qs, -1, {}, {}},
    };
    for (const auto &[viewName, selectedRow, clientStatus, items] : cases) {
        SCOPED_TRACE(viewName.toStdString() + " row " + std::to_string(selectedRow));
        for (CListCtrlEx *list : {&view().logView(), &view().queueView(), &view().favoriteView(),
                                  &view().clientView()}) {
            list->clearSelection();
            if (selectedRow >= 0 && list->viewName() == viewName)
                list->selectRow(selectedRow);
        }
        if (!clientStatus.isNull())
            app->clientRows().setCell(0, 2, clientStatus);
        const std::unique_ptr<QMenu> menu = view().MakeRowPopupMenu(viewName);
        QStringList shown;
        for (const QAction *action : menu ? menu->actions() : QList<QAction *>())
            shown.append(action->text());
        EXPECT_EQ(shown, items);
    }
}

TEST_F(ChildViewTest, AcceptingStampsTheEntryAskedAboutOnlyOnYes)
{
    ReservationQueue &queue = app->queue();
    const QString question = u"Accept Song|Accept [ 3 1002 ]?"_qs;
    // While the question is open a terminal reserves at the head, or deletes the
    // entry asked about and reserves another that lands on its row.
    const std::function<void()> headAdd = [&] { queue.AddReservation(5, 1, 1003, 0, 0, {}); };
    const std::function<void()> replace = [&] {
        queue.DeleteReservation(1002, -1, -1);
        Reserve(3, 1004);
    };
    // The answer, the selected row, what happens meanwhile; whether it was asked
    // and the entry asked about (station 3, song 1002) stamped.
    const std::tuple<bool, int, std::function<void()>, bool, bool> cases[] = {
        {true, -1, {}, false, false},
        {false, 1, {}, true, false},
        {true, 1, {}, true, true},
        {true, 1, headAdd, true, true},
        {true, 1, replace, true, false}};
    for (size_t n = 0; n < std::size(cases); ++n) {
        SCOPED_TRACE("case " + std::to_string(n));
        const auto &[reply, selectedRow, meanwhile, asked, stamped] = cases[n];
        queue.ApplyQueueSet(0, true, {});
        Reserve(1, 1001);
        Reserve(3, 1002);
        questions.clear();
        answer = reply;
        whileAsked = meanwhile;
        view().queueView().clearSelection();
        if (selectedRow >= 0)
            view().queueView().selectRow(selectedRow);
        view().AcceptSelectedReservation();
        EXPECT_EQ(questions, asked ? QStringList{question} : QStringList());
        for (int i = 0; i < queue.count(); ++i) {
            const QDateTime accepted = queue.entry(i).acceptedAt.ToDateTime();
            EXPECT_EQ(accepted.isValid(), stamped && queue.entry(i).number == 1002) << i;
            EXPECT_EQ(queue.rows().cell(i, ReservationQueue::StatusColumn),
                      accepted.isValid() ? FormatTimeStamp(accepted) : QString());
        }
    }
    whileAsked = {};

    // A double click on a row asks about that row. In Qt it is the second
    // press of two; the first one is a click of its own.
    questions.clear();
    CListCtrlEx &list = view().queueView();
    const QPoint row0 = list.visualRect(list.model()->index(0, 4)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row0);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row0);
    EXPECT_EQ(questions, QStringList{u"Accept Song|Accept [ 1 1001 ]?"_qs});
}
