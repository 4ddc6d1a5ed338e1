#include "ui/CMainFrame.h"

#include "app/RARAZAdi.h"
#include "queue/FavoriteStore.h"
#include "queue/ReservationQueue.h"
#include "ui/RowTableModel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTabWidget>
#include <QTableView>

CMainFrame::CMainFrame(RARAZAdi &app, QWidget *parent) : QMainWindow(parent), m_app(app)
{
    setWindowTitle(QStringLiteral("ORVA Reservation System Server"));
    auto *central = new QWidget(this);
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 2, 0);
    layout->setSpacing(2);

    m_tabs = new QTabWidget(central);
    m_tabs->addTab(MakeList(m_app.queue().rows(), m_tabs), QStringLiteral("Queue"));
    m_tabs->addTab(MakeList(m_app.favorites().rows(), m_tabs), QStringLiteral("Favorite List"));
    m_tabs->addTab(MakeList(m_app.logRows(), m_tabs), QStringLiteral("Log"));
    layout->addWidget(m_tabs, 1);

    QTableView *clients = MakeList(m_app.clientRows(), central);
    clients->setFixedWidth(226);
    layout->addWidget(clients);

    setCentralWidget(central);
    resize(1000, 600);
}

QTableView *CMainFrame::MakeList(RowTable &rows, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setModel(new RowTableModel(rows, view));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->setShowGrid(true);
    return view;
}

void CMainFrame::AppendAddressToCaption(const QString &address)
{
    if (!address.isEmpty())
        setWindowTitle(windowTitle() + u' ' + address);
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    m_app.Shutdown();
    event->accept();
}
