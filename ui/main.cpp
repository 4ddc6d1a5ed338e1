#include "app/RARAZAdi.h"
#include "app/SignalWatcher.h"
#include "app/SingleInstance.h"
#include "net/MelodeckServer.h"
#include "ui/CMainFrame.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace {

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

// "-minimize" asks for a minimised window, "--minimize" takes it back; any
// case, the last one wins.
bool WantsMinimized(const QStringList &arguments)
{
    bool minimize = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].compare(QLatin1String("-minimize"), Qt::CaseInsensitive) == 0)
            minimize = true;
        else if (arguments[i].compare(QLatin1String("--minimize"), Qt::CaseInsensitive) == 0)
            minimize = false;
    }
    return minimize;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ORVA Multimedia Inc."));
    QApplication::setApplicationName(QStringLiteral("ORVA Reservation System Server"));

    SingleInstance instance(RARAZAdi::InstanceName());
    if (!instance.TryAcquire()) {
        ShowStartupMessage(QStringLiteral("The program already is in the process of executing."));
        return 1;
    }

    RARAZAdi app;
    CMainFrame frame(app);
    SignalWatcher signals;
    QObject::connect(&signals, &SignalWatcher::terminationRequested, &frame, &QWidget::close);

    if (app.InitInstance()) {
        frame.AppendAddressToCaption(MelodeckServer::HostAddressText());
    } else {
        std::fprintf(stderr, "orva-rs-server: cannot listen on port %d: %s\n",
                     int(app.server().port()), qUtf8Printable(app.server().startError()));
    }
    frame.show();
    if (WantsMinimized(QApplication::arguments()))
        frame.showMinimized();
    return QApplication::exec();
}
