#include "ui/CChildView.h"

#include "app/RARAZAdi.h"
#include "base/EventLog.h"
#include "queue/FavoriteStore.h"
#include "queue/ReservationQueue.h"
#include "ui/CListCtrlEx.h"
#include "ui/CTabCtrlExt.h"

#include <QDateTime>
#include <QMenu>
#include <QMessageBox>

namespace {

using Column = CListCtrlEx::Column;

const QList<Column> kClientColumns{
    {54, Qt::AlignHCenter}, {90, Qt::AlignLeft}, {60, Qt::AlignHCenter}};
const QList<Column> kLogColumns{{120, Qt::AlignHCenter}, {1024, Qt::AlignLeft}};
const QList<Column> kFavoriteColumns{{120, Qt::AlignHCenter}, {1024, Qt::AlignLeft}};
// "Status" starts 0 pixels wide: hidden until the operator widens it.
const QList<Column> kQueueColumns{{40, Qt::AlignRight}, {0, Qt::AlignHCenter}, {100, Qt::AlignLeft},
                                  {54, Qt::AlignRight}, {70, Qt::AlignRight},  {200, Qt::AlignLeft},
                                  {110, Qt::AlignLeft}, {45, Qt::AlignRight},  {52, Qt::AlignRight},
                                  {120, Qt::AlignLeft}};

const QString kClientViewName = QStringLiteral("ClientView");
const QString kLogViewName = QStringLiteral("LogView");
const QString kFavoriteViewName = QStringLiteral("FavoriteView");
const QString kQueueViewName = QStringLiteral("QueueView");
// The terminal list's "Status" column.
constexpr int kClientStatusColumn = 2;

// A list named `name` showing `rows`, with these columns and column 0 aligned so.
CListCtrlEx *MakeList(QWidget *parent, const QString &name, int firstColumnAlign, RowTable &rows,
                      const QList<Column> &columns)
{
    auto *list = new CListCtrlEx(parent);
    list->setViewName(name);
    list->setFirstColumnAlign(firstColumnAlign);
    list->ShowRows(rows, columns);
    return list;
}

// A Yes/No question in a message box without icon.
bool AskInMessageBox(QWidget *parent, const QString &caption, const QString &question)
{
    QMessageBox box(QMessageBox::NoIcon, caption, question, QMessageBox::Yes | QMessageBox::No,
                    parent);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

CChildView::CChildView(RARAZAdi &app, QWidget *parent) : QWidget(parent), m_app(app)
{
    m_asker = [this](const QString &caption, const QString &question) {
        return AskInMessageBox(this, caption, question);
    };

    m_tabs = new CTabCtrlExt(this);
    m_tabs->addTab(QStringLiteral("Queue"));
    m_tabs->setTabData(0, QueueTab);
    m_tabs->addTab(QStringLiteral("Favorite List"));
    m_tabs->setTabData(1, FavoriteTab);
    m_tabs->addTab(QStringLiteral("Log"));
    m_tabs->setTabData(2, LogTab);
    m_tabs->setCurrentIndex(0);

    m_clientView = MakeList(this, kClientViewName, CListCtrlEx::FirstColumnCentre,
                            m_app.clientRows(), kClientColumns);
    m_logView =
        MakeList(m_tabs, kLogViewName, CListCtrlEx::FirstColumnLeft, m_app.logRows(), kLogColumns);
    m_logView->hide();
    m_favoriteView = MakeList(m_tabs, kFavoriteViewName, CListCtrlEx::FirstColumnLeft,
                              m_app.favorites().rows(), kFavoriteColumns);
    m_favoriteView->hide();
    m_queueView = MakeList(m_tabs, kQueueViewName, CListCtrlEx::FirstColumnLeft,
                           m_app.queue().rows(), kQueueColumns);
    m_tabs->setFont(m_queueView->font());

    connect(m_tabs, &CTabCtrlExt::clicked, this, &CChildView::ShowListOfCurrentTab);
    connect(m_tabs, &CTabCtrlExt::doubleClicked, this,
            [this] { DebugTrace("dblclick %d", m_tabs->currentIndex()); });
    connect(m_queueView, &QAbstractItemView::doubleClicked, this,
            &CChildView::AcceptSelectedReservation);
    for (CListCtrlEx *list : {m_clientView, m_logView, m_favoriteView, m_queueView})
        connect(list, &CListCtrlEx::rowMenuRequested, this, &CChildView::RowPopupMenu);
}

std::unique_ptr<QMenu> CChildView::MakeRowPopupMenu(const QString &viewName)
{
    CListCtrlEx *list = ListNamed(viewName);
    if (!list || list == m_logView || list->model()->rowCount() == 0)
        return nullptr;
    const int row = list->FirstSelectedRow();
    if (row < 0)
        return nullptr;

    auto menu = std::make_unique<QMenu>();
    if (list == m_clientView) {
        const bool isOn = m_app.clientRows().cell(row, kClientStatusColumn) == u"On";
        menu->addAction(isOn ? QStringLiteral("Off") : QStringLiteral("On"), this,
                        &CChildView::statusCommand);
    } else {
        menu->addAction(QStringLiteral("Delete"), this, &CChildView::deleteCommand);
    }
    return menu;
}

void CChildView::AcceptSelectedReservation()
{
    const int row = m_queueView->FirstSelectedRow();
    if (row < 0)
        return;
    ReservationQueue &queue = m_app.queue();
    // Terminals are served while the question is open and may move the rows,
    // so the entry itself is remembered, not its row.
    const QueueEntry entry = queue.entry(row);
    const QString question = QStringLiteral("Accept [ %1 %2 ]?")
                                 .arg(queue.rows().cell(row, ReservationQueue::StationColumn),
                                      queue.rows().cell(row, ReservationQueue::NumberColumn));
    if (!m_asker(QStringLiteral("Accept Song"), question))
        return;
    const int now = queue.FindEntry(entry.station, entry.number, entry.reservedAt);
    if (now < 0)
        return; // deleted meanwhile: nothing to stamp
    queue.AcceptEntry(now, QDateTime::currentDateTime());
    update();
}

void CChildView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int cx = width();
    const int cy = height();
    m_tabs->setGeometry(0, 0, cx - kClientPaneWidth, cy);
    m_clientView->setGeometry(cx - kClientPaneWidth + 2, 0, kClientPaneWidth - 4, cy);
    for (CListCtrlEx *list : {m_queueView, m_favoriteView, m_logView})
        list->setGeometry(2, kListTop, cx - kClientPaneWidth - 4, cy - kListTop);
}

void CChildView::ShowListOfCurrentTab()
{
    const int current = m_tabs->currentIndex();
    if (current < 0)
        return;
    const int tab = m_tabs->tabData(current).toInt();
    m_queueView->setVisible(tab == QueueTab);
    m_favoriteView->setVisible(tab == FavoriteTab);
    m_logView->setVisible(tab == LogTab);
}

void CChildView::RowPopupMenu(const QString &viewName, const QPoint &globalPos)
{
    const std::unique_ptr<QMenu> menu = MakeRowPopupMenu(viewName);
    if (menu)
        menu->exec(globalPos);
}

CListCtrlEx *CChildView::ListNamed(const QString &viewName) const
{
    for (CListCtrlEx *list : {m_clientView, m_logView, m_favoriteView, m_queueView})
        if (list->viewName() == viewName)
            return list;
    return nullptr;
}
