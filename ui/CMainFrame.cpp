#include "ui/CMainFrame.h"

#include "app/RARAZAdi.h"
#include "net/CClientSocket.h"
#include "net/ChannelList.h"
#include "net/LocalClientRelay.h"
#include "net/MelodeckServer.h"
#include "queue/FavoriteStore.h"
#include "queue/QueueJournal.h"
#include "queue/ReservationQueue.h"
#include "ui/ApplicationLook.h"
#include "ui/CAboutDlg.h"
#include "ui/CChildView.h"
#include "ui/CCustomizeDlg.h"
#include "ui/CGuestWebDlg.h"
#include "ui/CListCtrlEx.h"
#include "ui/CQueSetDlg.h"
#include "ui/CSendMsgDlg.h"
#include "ui/CTabCtrlExt.h"
#include "ui/CVenueRulesDlg.h"
#include "ui/RepaintThrottle.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

const QString kCaption = QStringLiteral("ORVA Reservation System Server");
// The terminal list's "Status" column.
constexpr int kClientStatusColumn = 2;

// An action with the prompt the status bar shows while it is highlighted.
QAction *MakeAction(QObject *parent, const QString &text, const QString &prompt,
                    const QString &icon = QString())
{
    auto *action = new QAction(text, parent);
    action->setStatusTip(prompt);
    if (!icon.isEmpty())
        action->setIcon(QIcon(icon));
    return action;
}

} // namespace

CMainFrame::CMainFrame(RARAZAdi &app, QWidget *parent)
    : QMainWindow(parent), m_app(app), m_officeLook(ApplicationLook::kFirstOffice)
{
    Q_INIT_RESOURCE(toolbar);
    setWindowTitle(kCaption);
    SetApplicationLook(ApplicationLook::Stored());

    CreateMenus();
    m_view = new CChildView(m_app, this);
    setCentralWidget(m_view);
    CreateToolBar();
    CreateStatusBar();
    new RepaintThrottle(this); // owned by the frame
    m_userImages = LoadUserImages(QString::fromLatin1(kUserImagesFile));

    connect(m_view, &CChildView::deleteCommand, this, &CMainFrame::OnDelete);
    connect(m_view, &CChildView::statusCommand, this, &CMainFrame::OnStatus);
    connect(this, &CMainFrame::sendMessageRequested, this, &CMainFrame::OnSendMessage);
    connect(this, &CMainFrame::queueSettingsRequested, this, &CMainFrame::OnQueueSettings);
    connect(this, &CMainFrame::venueRulesRequested, this, &CMainFrame::OnVenueRules);
    connect(this, &CMainFrame::aboutRequested, this, &CMainFrame::OnAbout);
    resize(1000, 600);
}

void CMainFrame::AppendAddressToCaption(const QString &address)
{
    if (!address.isEmpty())
        setWindowTitle(windowTitle() + u' ' + address);
}

void CMainFrame::SetApplicationLook(int look)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_look = look;
    if (look >= ApplicationLook::kFirstOffice && look <= ApplicationLook::kLast)
        m_officeLook = look;
    ApplicationLook::Install(ApplicationLook::IsKnown(look) ? look : m_officeLook);
    update();
    ApplicationLook::Store(look);
    QApplication::restoreOverrideCursor();
}

QList<QPixmap> CMainFrame::LoadUserImages(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile() || file.size() > kMaxUserImagesBytes)
        return {};
    const QImage strip(path);
    if (strip.isNull() || strip.height() < kImageSize)
        return {};
    QList<QPixmap> images;
    for (int x = 0; x + kImageSize <= strip.width(); x += kImageSize)
        images.append(QPixmap::fromImage(strip.copy(x, 0, kImageSize, kImageSize)));
    return images;
}

void CMainFrame::OnDelete()
{
    // The current tab decides, even one reached by keyboard whose list is not shown.
    if (m_view->tabControl().currentIndex() != CChildView::QueueTab) {
        const int row = m_view->favoriteView().FirstSelectedRow();
        if (row < 0)
            return;
        FavoriteStore &favorites = m_app.favorites();
        favorites.DeleteFavoriteList(favorites.rows().cell(row, FavoriteStore::NameColumn));
        return;
    }
    const int row = m_view->queueView().FirstSelectedRow();
    if (row < 0)
        return;
    if (m_app.queue().DeleteByNumber(row))
        m_app.relay().PushQueueToLocal();
}

void CMainFrame::OnStatus()
{
    ClientTable &clients = m_app.clientRows();
    const int row = m_view->clientView().FirstSelectedRow();
    if (row < 0 || row >= clients.rowCount())
        return;
    const bool block = clients.cell(row, kClientStatusColumn) == u"On";
    clients.setCell(row, kClientStatusColumn, block ? QStringLiteral("Off") : QStringLiteral("On"));
    // Only the terminal shown on the row, and only while it still holds its
    // slot: a slot emptied and reused since the last rebuild is another terminal.
    CClientSocket *channel = clients.channel(row);
    if (channel && m_app.channels().at(channel->station) == channel)
        m_app.server().SetChannelBlocked(channel->station, block);
}

void CMainFrame::OnCustomize()
{
    if (!m_customizeDlg) {
        m_customizeDlg = new CCustomizeDlg(m_toolButtons, m_userImages, this);
        m_customizeDlg->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_customizeDlg->show();
    m_customizeDlg->raise();
    m_customizeDlg->activateWindow();
}

void CMainFrame::OnSendMessage()
{
    CSendMsgDlg dialog(m_app.server(), m_app.channels(), this);
    dialog.exec();
}

void CMainFrame::OnQueueSettings()
{
    CQueSetDlg::Open(m_app.config(), this);
}

void CMainFrame::OnVenueRules()
{
    CVenueRulesDlg dialog(m_app, this);
    dialog.exec();
}

QString CMainFrame::queueKeptText() const
{
    return m_queueKept->text();
}

void CMainFrame::OnGuestWeb()
{
    CGuestWebDlg::Open(m_app.guestWebConfig(), m_app.guestWeb(), this);
}

void CMainFrame::OnAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    m_app.Shutdown();
    event->accept();
}

QMenu *CMainFrame::createPopupMenu()
{
    QMenu *menu = QMainWindow::createPopupMenu();
    if (!menu)
        menu = new QMenu(this);
    menu->addSeparator();
    menu->addAction(m_customizeAction);
    return menu;
}

void CMainFrame::CreateMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *exit = MakeAction(this, QStringLiteral("E&xit"), QStringLiteral("Quit the server"));
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    file->addAction(exit);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    QAction *statusBarAction = MakeAction(this, QStringLiteral("&Status Bar"),
                                          QStringLiteral("Show or hide the status bar"));
    statusBarAction->setCheckable(true);
    statusBarAction->setChecked(true);
    connect(statusBarAction, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
    view->addAction(statusBarAction);

    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    // Listed for the operator's orientation; the server offers neither.
    for (const QString &text :
         {QStringLiteral("Generate Song List"), QStringLiteral("Refresh Song List")}) {
        QAction *unavailable = MakeAction(this, text, QStringLiteral("Not available"));
        unavailable->setEnabled(false);
        tools->addAction(unavailable);
    }
    QAction *sendMessage = MakeAction(this, QStringLiteral("Send Message"),
                                      QStringLiteral("Send a text message to stations"));
    connect(sendMessage, &QAction::triggered, this, &CMainFrame::sendMessageRequested);
    tools->addAction(sendMessage);
    QAction *queueSettings =
        MakeAction(this, QStringLiteral("Queue Settings"),
                   QStringLiteral("Set the queue options and the number of terminals"));
    connect(queueSettings, &QAction::triggered, this, &CMainFrame::queueSettingsRequested);
    tools->addAction(queueSettings);
    QAction *venueRules =
        MakeAction(this, QStringLiteral("Venue Rules..."),
                   QStringLiteral("Keep the queue, fair turns, and guards against duplicates"));
    connect(venueRules, &QAction::triggered, this, &CMainFrame::venueRulesRequested);
    tools->addAction(venueRules);
    QAction *guestWeb = MakeAction(this, QStringLiteral("Guest Web..."),
                                   QStringLiteral("Set up the song request pages for phones"));
    connect(guestWeb, &QAction::triggered, this, &CMainFrame::OnGuestWeb);
    tools->addAction(guestWeb);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction *about = MakeAction(this, QStringLiteral("&About ORVA RS Server"),
                                QStringLiteral("Show the program's version"));
    connect(about, &QAction::triggered, this, &CMainFrame::aboutRequested);
    help->addAction(about);
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Standard"));
    m_toolBar->setObjectName(QStringLiteral("Standard"));
    m_toolBar->setIconSize({kImageSize, kImageSize});

    // The server keeps no document, so New has nothing to reset.
    QAction *fileNew = MakeAction(this, QStringLiteral("New"), QStringLiteral("New"),
                                  QStringLiteral(":/toolbar/new.png"));
    QAction *cut = MakeAction(this, QStringLiteral("Cut"), QStringLiteral("Cut"),
                              QStringLiteral(":/toolbar/cut.png"));
    QAction *copy = MakeAction(this, QStringLiteral("Copy"), QStringLiteral("Copy"),
                               QStringLiteral(":/toolbar/copy.png"));
    QAction *paste = MakeAction(this, QStringLiteral("Paste"), QStringLiteral("Paste"),
                                QStringLiteral(":/toolbar/paste.png"));
    // Nothing in the window takes text from or gives it to the clipboard.
    for (QAction *clipboard : {cut, copy, paste})
        clipboard->setEnabled(false);
    QAction *about =
        MakeAction(this, QStringLiteral("About"), QStringLiteral("Show the program's version"),
                   QStringLiteral(":/toolbar/about.png"));
    connect(about, &QAction::triggered, this, &CMainFrame::aboutRequested);
    m_toolButtons = {fileNew, cut, copy, paste, about};

    m_toolBar->addAction(fileNew);
    m_toolBar->addSeparator();
    m_toolBar->addActions({cut, copy, paste});
    m_toolBar->addSeparator();
    m_toolBar->addAction(about);

    m_customizeAction =
        MakeAction(this, QStringLiteral("Customize..."),
                   QStringLiteral("Show or hide toolbar buttons and give them images"),
                   QStringLiteral(":/toolbar/customize.png"));
    connect(m_customizeAction, &QAction::triggered, this, &CMainFrame::OnCustomize);
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_customizeAction);
}

void CMainFrame::CreateStatusBar()
{
    statusBar()->addWidget(new QLabel(QStringLiteral("Ready"), this), 1);
    // Says so while the queue cannot be kept, and why; hidden otherwise.
    m_queueKept = new QLabel(this);
    statusBar()->addWidget(m_queueKept);
    const auto showProblem = [this](const QString &problem) {
        m_queueKept->setText(problem.isEmpty() ? QString()
                                               : QStringLiteral("Queue not kept: ") + problem);
        m_queueKept->setVisible(!problem.isEmpty());
    };
    connect(&m_app.journal(), &QueueJournal::problemChanged, this, showProblem);
    showProblem(m_app.journal().problem());
    // Qt cannot read the lock keys portably, so the indicators show greyed, as a lock that is off.
    for (const QString &key :
         {QStringLiteral("CAP"), QStringLiteral("NUM"), QStringLiteral("SCRL")}) {
        auto *pane = new QLabel(key, this);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        pane->setEnabled(false);
        statusBar()->addPermanentWidget(pane);
    }
}
