#include "base/EventLog.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The window's tests need a widget application, drawn offscreen unless told
// otherwise (test discovery runs without a display too). Its settings go to a
// temporary folder, so no test reads or changes the user's own.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The guest web on a free port, so parallel tests never compete for 3880.
    if (!qEnvironmentVariableIsSet("ORVA_RS_WEB_PORT"))
        qputenv("ORVA_RS_WEB_PORT", "0");
    QApplication::setOrganizationName(QStringLiteral("ORVA Multimedia Inc."));
    QApplication::setApplicationName(QStringLiteral("ORVA Reservation System Server"));
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    EventLog::SetEchoToStdout(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
