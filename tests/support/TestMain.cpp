#include "base/EventLog.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

// Every test program runs with an application object, so sockets, timers and
// the event loop work as they do in the server.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    EventLog::SetEchoToStdout(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
