#pragma once

#include "tests/net/InProcessServer.h"
#include "ui/ApplicationLook.h"
#include "ui/CChildView.h"
#include "ui/CListCtrlEx.h"
#include "ui/CMainFrame.h"
#include "ui/CTabCtrlExt.h"

#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <functional>

// Runs `act` on the dialog of type T as soon as it is shown, e.g. inside the
// modal loop that a frame command is about to start.
template <typename T> void WhenShown(std::function<void(T &)> act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<T *>(widget); dialog && dialog->isVisible())
                return act(*dialog);
        WhenShown<T>(act); // not shown yet
    });
}

// A whole server in this process with its window, drawn offscreen. The
// catalogue holds songs 1001 to 1005, and questions are answered with
// `answer` and remembered as "caption|question"; `whileAsked` runs while a
// question is open, as the event loop would serve terminals then.
class WindowTest : public InProcessServer
{
protected:
    void PrepareDataFolder() override
    {
        WriteFileBytes(home.dataFolder() + QStringLiteral("/orvabook.txt"),
                       "1001|Amazing Grace|Traditional\n"
                       "1002|Danny Boy|Frederic Weatherly\n"
                       "1003|Auld Lang Syne|Robert Burns\n"
                       "1004|Greensleeves|Traditional\n"
                       "1005|Arirang|Traditional\n");
    }
    void SetUp() override
    {
        QSettings().remove(QString::fromLatin1(ApplicationLook::kSettingsKey));
        InProcessServer::SetUp();
        if (HasFatalFailure())
            return;
        frame = std::make_unique<CMainFrame>(*app);
        frame->view().setAsker([this](const QString &caption, const QString &question) {
            questions.append(caption + u'|' + question);
            if (whileAsked)
                whileAsked();
            return answer;
        });
        frame->show();
    }
    void TearDown() override
    {
        frame.reset();
        InProcessServer::TearDown();
    }

    CChildView &view() { return frame->view(); }
    CTabCtrlExt &tabs() { return frame->view().tabControl(); }
    void Reserve(quint32 station, quint32 number, const QString &customer = QString())
    {
        ASSERT_TRUE(app->queue().AddReservation(station, 0, number, 0, 0, customer));
    }
    void ClickTab(int index)
    {
        QTest::mouseClick(&tabs(), Qt::LeftButton, {}, tabs().tabRect(index).center());
    }
    // Picks the first item of `viewName`'s popup menu; false when it shows none.
    bool ChooseFromPopupMenu(const QString &viewName)
    {
        const std::unique_ptr<QMenu> menu = view().MakeRowPopupMenu(viewName);
        if (!menu || menu->actions().isEmpty())
            return false;
        menu->actions().first()->trigger();
        return true;
    }
    bool WaitForClientRows(int rows)
    {
        return WaitUntil([&] { return app->clientRows().rowCount() == rows; });
    }

    std::unique_ptr<CMainFrame> frame;
    QStringList questions;
    bool answer = true;
    std::function<void()> whileAsked;
};
