#include "base/EventLog.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// Every test program runs with an application object, so sockets, timers and
// the event loop work as they do in the server.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Servers started by tests (in process or as the real binary) put their
    // guest web on a free port, so parallel tests never compete for 3880.
    if (!qEnvironmentVariableIsSet("ORVA_RS_WEB_PORT"))
        qputenv("ORVA_RS_WEB_PORT", "0");
    EventLog::SetEchoToStdout(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
