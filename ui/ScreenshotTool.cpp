// orva_screenshot FILE: draws the real window offscreen, with a few
// reservations (one accepted), two terminals and a log line, into FILE (the
// picture the README shows). Built beside the server;
// scripts/test runs it after the tests.
#include "app/RARAZAdi.h"
#include "base/DataPath.h"
#include "base/EventLog.h"
#include "net/MelodeckServer.h"
#include "queue/ReservationQueue.h"
#include "ui/CChildView.h"
#include "ui/CListCtrlEx.h"
#include "ui/CMainFrame.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QHeaderView>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <functional>

// Serves events until `done` holds or three seconds have passed.
static void ServeUntil(const std::function<bool()> &done, int timeoutMs = 3000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orva_screenshot FILE.png\n");
        return 2;
    }
    // A home, settings and port of its own, so nothing of the user's is read or changed.
    const QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_DOCUMENTS_DIR");
    ResetDataPath();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    // A port free a moment ago may be taken meanwhile (an outgoing connection
    // can pick it), so a few are tried.
    const auto pickPort = [] {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        qputenv("ORVA_RS_PORT", QByteArray::number(probe.serverPort()));
    };
    pickPort();
    QDir().mkpath(DataPath(QString()));
    QFile book(DataPath(QStringLiteral("orvabook.txt")));
    if (!book.open(QIODevice::WriteOnly) ||
        book.write("1001|Amazing Grace|Traditional\n1002|Danny Boy|Frederic Weatherly\n"
                   "1003|Auld Lang Syne|Robert Burns\n1005|Arirang|Traditional\n") < 0)
        return 1;
    book.close();

    RARAZAdi app;
    bool listening = app.InitInstance();
    for (int attempt = 0; !listening && attempt < 5; ++attempt) {
        pickPort();
        listening = app.server().StartServer();
    }
    if (!listening) {
        std::fprintf(stderr, "orva_screenshot: cannot listen: %s\n",
                     qUtf8Printable(app.server().startError()));
        return 1;
    }
    EventLog::SetEchoToStdout(false);
    CMainFrame frame(app);
    frame.view().setAsker([](const QString &, const QString &) { return true; });
    frame.show();
    // Two terminals, from 127.0.0.2 and 127.0.0.3; being connected is enough to be listed.
    QTcpSocket terminals[2];
    for (int n = 0; n < 2; ++n) {
        terminals[n].bind(QHostAddress(quint32((127u << 24) | quint32(2 + n))), 0);
        terminals[n].connectToHost(QHostAddress::LocalHost, app.server().port());
    }
    ServeUntil([&] { return app.clientRows().rowCount() == 2; });
    ReservationQueue &queue = app.queue();
    queue.AddReservation(0, 0, 1001, 0, 0, QStringLiteral("Mina"));
    queue.AddReservation(1, 0, 1003, 0, 0, QStringLiteral("Joon"));
    queue.AddReservation(0, 0, 1005, 0, 0, QStringLiteral("Hana"));
    queue.AddReservation(1, 0, 1002, 0, 0, QString());
    WriteLog("Requested add number %d, pitch %d, tempo %d, name %s.", 1001, 0, 0, "Mina");
    CListCtrlEx &list = frame.view().queueView();
    list.selectRow(0);
    frame.view().AcceptSelectedReservation();
    // The operator widens the "Status" column to see the acceptance.
    list.horizontalHeader()->resizeSection(ReservationQueue::StatusColumn, 120);
    list.selectRow(1);
    frame.activateWindow();
    list.setFocus(); // the focused row shows its focus rectangle
    frame.resize(1000, 420);
    ServeUntil([] { return false; }, 50);
    if (!frame.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "orva_screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
