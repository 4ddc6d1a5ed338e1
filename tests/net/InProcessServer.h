#pragma once

#include "app/RARAZAdi.h"
#include "base/EventLog.h"
#include "client/MelodeckClient.h"
#include "net/CClientSocket.h"
#include "net/MelodeckServer.h"
#include "protocol/PacketHeader.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>
#include <memory>

// A whole server in this process, listening on a free port, with terminals
// connecting from distinct loopback addresses.
class InProcessServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("ORVA_RS_PORT", QByteArray::number(FreePort()));
        PrepareDataFolder();
        app = std::make_unique<RARAZAdi>();
        ASSERT_TRUE(app->InitInstance());
        EventLog::SetEchoToStdout(false);
    }
    void TearDown() override
    {
        app.reset();
        qunsetenv("ORVA_RS_PORT");
        Pump(10);
    }

    // Files the server should find at start, written before it starts.
    virtual void PrepareDataFolder() {}

    int CountLog(const QString &text) const
    {
        int count = 0;
        for (int i = 0; i < app->logRows().rowCount(); ++i)
            count += app->logRows().cell(i, 1).contains(text) ? 1 : 0;
        return count;
    }
    QString LastLog() const { return app->logRows().cell(app->logRows().rowCount() - 1, 1); }

    // Connects from `source` and waits until the server has admitted or refused it.
    std::unique_ptr<MelodeckClient> Connect(const QHostAddress &source)
    {
        const int before =
            CountLog(QStringLiteral("Accepted ch")) + CountLog(QStringLiteral("refused"));
        auto client = std::make_unique<MelodeckClient>();
        EXPECT_TRUE(client->Connect(QHostAddress::LocalHost, app->server().port(), source));
        WaitUntil([&] {
            return CountLog(QStringLiteral("Accepted ch")) + CountLog(QStringLiteral("refused")) >
                       before ||
                   !client->IsConnected();
        });
        return client;
    }
    std::unique_ptr<MelodeckClient> Terminal(int n) { return Connect(TerminalAddress(n)); }

    static QByteArray ServerInfoRequest()
    {
        return MelodeckClient::Request(Cmd::RequestServerInfo);
    }

    TempHome home;
    std::unique_ptr<RARAZAdi> app;
};
