#pragma once

#include "app/RARAZAdi.h"
#include "base/EventLog.h"
#include "catalogue/SongCatalogue.h"
#include "client/MelodeckClient.h"
#include "net/CClientSocket.h"
#include "net/ChannelList.h"
#include "net/MelodeckServer.h"
#include "protocol/QueueWire.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "queue/FavoriteStore.h"
#include "queue/ReservationQueue.h"
#include "tests/support/LogCapture.h"
#include "tests/support/Requests.h"
#include "tests/support/ServerProcess.h"

#include <memory>

// A whole server in this process, listening on a free port, with terminals
// connecting from distinct loopback addresses. Its catalogue holds songs 12
// and 7 unless PrepareDataFolder says otherwise. It brings the server's parts
// and packets along, which its tests look into.
class InProcessServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_port =
            std::make_unique<EnvScope>("ORVA_RS_PORT", QByteArray::number(FreePort()).constData());
        PrepareDataFolder();
        app = std::make_unique<RARAZAdi>();
        ASSERT_TRUE(app->InitInstance());
        EventLog::SetEchoToStdout(false);
    }
    void TearDown() override
    {
        app.reset();
        m_port.reset();
        Pump(10);
    }

    // Files the server should find at start, written before it starts.
    virtual void PrepareDataFolder()
    {
        WriteFileBytes(home.dataFolder() + QStringLiteral("/orvabook.txt"),
                       "12|Love Song|Singer\n7|Seven|Sailors\n");
    }

    // The log's lines containing `text`, oldest first.
    QStringList LogLines(const QString &text = QString()) const
    {
        return LogCapture::Messages(app->logRows()).filter(text);
    }
    int CountLog(const QString &text) const { return int(LogLines(text).size()); }
    QString LastLog() const { return app->logRows().cell(app->logRows().rowCount() - 1, 1); }
    // Waits until `count` lines contain `text`.
    bool WaitForLog(const QString &text, int count = 1) const
    {
        return WaitUntil([&] { return CountLog(text) == count; });
    }

    // Connects from `source` and waits until the server has admitted or refused it.
    std::unique_ptr<MelodeckClient> Connect(const QHostAddress &source)
    {
        const auto decided = [&] {
            return CountLog(QStringLiteral("Accepted ch")) + CountLog(QStringLiteral("refused"));
        };
        const int before = decided();
        auto client = std::make_unique<MelodeckClient>();
        EXPECT_TRUE(client->Connect(QHostAddress::LocalHost, app->server().port(), source));
        WaitUntil([&] { return decided() > before || !client->IsConnected(); });
        return client;
    }
    std::unique_ptr<MelodeckClient> Terminal(int n) { return Connect(TerminalAddress(n)); }

    static QByteArray ServerInfoRequest()
    {
        return Packet::EncodeHeaderOnly(Cmd::RequestServerInfo);
    }
    // Reserves song `number`, appended (or first for position 1), with no key, tempo or name.
    static QByteArray Reserve(quint32 number, quint32 position = 0)
    {
        return Packet::RequestAdd{position, number, 0, 0, QString()}.Encode();
    }
    // Sends a request and returns the reply, empty when none came.
    static QByteArray Ask(MelodeckClient &client, const QByteArray &request)
    {
        client.Send(request);
        return client.ReadPacket().value_or(QByteArray());
    }
    static QList<quint32> QueuedNumbers(const QByteArray &queueList)
    {
        QList<quint32> numbers;
        for (const QueueItem &item : Packet::QueueWire::Decode(queueList).items)
            numbers.append(item.number);
        return numbers;
    }
    // The song numbers of the next packet the local client receives, a QueueList.
    static QList<quint32> Pushed(MelodeckClient &local)
    {
        const QByteArray packet = local.ReadPacket(10000).value_or(QByteArray());
        EXPECT_EQ(At(packet, 4), Cmd::QueueList);
        return QueuedNumbers(packet);
    }

    TempHome home;
    std::unique_ptr<RARAZAdi> app;

private:
    std::unique_ptr<EnvScope> m_port;
};
