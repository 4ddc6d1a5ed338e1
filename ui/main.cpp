#include "app/CmdLineParser.h"
#include "app/RARAZAdi.h"
#include "app/SignalWatcher.h"
#include "app/SingleInstance.h"
#include "net/MelodeckServer.h"
#include "ui/CAboutDlg.h"
#include "ui/CMainFrame.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>

namespace {

const char kHelp[] =
    "usage: orva-rs-server [-minimize | --minimize]\n"
    "The song-reservation server of a karaoke venue: terminals connect over TCP\n"
    "port 3838; the operator works in one window.\n"
    "\n"
    "  -minimize     show the window, then minimise it (any case)\n"
    "  --minimize    take -minimize back (the last of the two wins)\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Other arguments are ignored.\n"
    "\n"
    "Environment: ORVA_RS_PORT (listening port), ORVA_RS_CODEPAGE (code page of\n"
    "text files without a byte-order mark), QT_QPA_PLATFORM=offscreen (no display).\n"
    "Data folder: \"ORVA RS Server\" in the Documents folder. See orva-rs-server(1).\n";

// Answers --help and --version on standard output, before any window or the
// single-instance check, so they work without a display and beside a running copy.
bool PrintedInformation(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("orva-rs-server " ORVA_VERSION "\n", stdout);
            return true;
        }
    }
    return false;
}

// A start-up message that ends the program. Offscreen nobody could answer a
// box, so the text goes to standard error instead.
void ShowStartupMessage(const QString &text)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        return;
    }
    QMessageBox::warning(nullptr, QStringLiteral("ORVA Reservation System Server"), text);
}

} // namespace

// Start-up: one copy only, the command line, the window, then the old data
// folder, options, catalogue, favourite lists and listener (InitInstance), and
// the window shown. Closing the window (or SIGTERM, SIGINT, SIGHUP) stops the
// server and saves the favourite lists; the exit status is then 0.
int main(int argc, char **argv)
{
    if (PrintedInformation(argc, argv))
        return 0;
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ORVA Multimedia Inc."));
    QApplication::setApplicationName(QStringLiteral("ORVA Reservation System Server"));
    QApplication::setWindowIcon(CAboutDlg::ApplicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("orva-rs-server"));

    SingleInstance instance(RARAZAdi::InstanceName());
    if (!instance.TryAcquire()) {
        ShowStartupMessage(QStringLiteral("The program already is in the process of executing."));
        return 1;
    }

    CmdLineParser commandLine;
    commandLine.Parse(CmdLineParser::Join(QApplication::arguments()));

    RARAZAdi app;
    CMainFrame frame(app); // before the loads, so their log lines are in its log
    SignalWatcher signals;
    QObject::connect(&signals, &SignalWatcher::terminationRequested, &frame, &QWidget::close);

    if (app.InitInstance()) {
        frame.AppendAddressToCaption(MelodeckServer::HostAddressText());
    } else {
        std::fprintf(stderr, "orva-rs-server: cannot listen on port %d: %s\n",
                     int(app.server().port()), qUtf8Printable(app.server().startError()));
    }
    frame.show();
    // Minimised once the event loop runs, after the window has been shown normally.
    if (commandLine.minimizeRequested())
        QMetaObject::invokeMethod(&frame, &QWidget::showMinimized, Qt::QueuedConnection);
    return QApplication::exec();
}
