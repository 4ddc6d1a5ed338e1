#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class CListCtrlEx;
class CTabCtrlExt;
class QMenu;
class RARAZAdi;

// What fills the main window: on the left a tab bar with the queue, the
// favourite lists and the event log, on the right the connected terminals.
// The lists show the core's row tables. Accepting a reservation starts here;
// the row popup menu's commands are the frame's, announced by signal.
class CChildView : public QWidget
{
    Q_OBJECT
public:
    // Each tab's item data: the list it shows.
    enum Tab
    {
        QueueTab = 0,
        FavoriteTab = 1,
        LogTab = 2
    };
    // Width the terminal list takes at the right, with its 2-pixel margins.
    static constexpr int kClientPaneWidth = 230;
    // Where the tabbed lists start below the tabs.
    static constexpr int kListTop = 32;

    // Asks the operator a Yes/No question: true for Yes.
    using Asker = std::function<bool(const QString &caption, const QString &question)>;

    explicit CChildView(RARAZAdi &app, QWidget *parent = nullptr);

    CListCtrlEx &clientView() { return *m_clientView; }
    CListCtrlEx &logView() { return *m_logView; }
    CListCtrlEx &favoriteView() { return *m_favoriteView; }
    CListCtrlEx &queueView() { return *m_queueView; }
    CTabCtrlExt &tabControl() { return *m_tabs; }

    // Replaces the message box that asks questions (tests answer without one).
    void setAsker(Asker asker) { m_asker = std::move(asker); }

    // The popup menu for a right-click in the list named `viewName`: "Delete"
    // for the queue and the favourites, "On" or "Off" for a terminal; nullptr
    // when that list has no rows, no selection, or is the log.
    std::unique_ptr<QMenu> MakeRowPopupMenu(const QString &viewName);

Q_SIGNALS:
    // "Delete" was chosen in a row popup menu.
    void deleteCommand();
    // "On" or "Off" was chosen in the terminal list's popup menu.
    void statusCommand();

public Q_SLOTS:
    // Asks whether to accept the first selected reservation and stamps it on Yes.
    void AcceptSelectedReservation();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Shows the list of the current tab and hides the other two.
    void ShowListOfCurrentTab();
    // Shows the popup menu for `viewName` at `globalPos`, if it gets one.
    void RowPopupMenu(const QString &viewName, const QPoint &globalPos);
    CListCtrlEx *ListNamed(const QString &viewName) const;

    RARAZAdi &m_app;
    Asker m_asker;
    // Children, owned through Qt's parent chain.
    CListCtrlEx *m_clientView = nullptr;
    CListCtrlEx *m_logView = nullptr;
    CListCtrlEx *m_favoriteView = nullptr;
    CListCtrlEx *m_queueView = nullptr;
    CTabCtrlExt *m_tabs = nullptr;
};
