#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QTcpSocket>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// Drives several terminal connections at once from this thread's event loop
// and times every round trip: each connection keeps a set number of requests
// outstanding and sends the next as soon as a reply arrives. Replies are cut
// by their header as a terminal cuts them and must answer their request.
class LoadDriver
{
public:
    // What a run sends on every connection.
    struct Plan
    {
        QByteArray opening;                          // sent first, no reply awaited
        std::function<QByteArray(int step)> request; // the request of each step
        int steps = 0;                               // requests a connection sends
        int inFlight = 1;                            // requests outstanding at once
    };
    // What a run measured.
    struct Result
    {
        QHash<quint32, QList<qint64>> roundTrips; // nanoseconds, by request command
        qint64 replies = 0;
        qint64 wallNs = 0;
        QString error; // empty when every reply arrived
    };

    // Connections go to host:port, the i-th from `firstSource` + i (the
    // server tells terminals apart by address); a null source lets the system pick.
    LoadDriver(const QString &host, quint16 port, const QHostAddress &firstSource, int timeoutMs);
    ~LoadDriver();
    LoadDriver(const LoadDriver &) = delete;
    LoadDriver &operator=(const LoadDriver &) = delete;

    // Connects `count` connections; false with error() set when one fails.
    bool Open(int count);
    Result Run(const Plan &plan);
    const QString &error() const { return m_error; }

private:
    struct Connection
    {
        std::unique_ptr<QTcpSocket> socket;
        QByteArray held;
        std::deque<std::pair<quint32, qint64>> waiting; // request command, time sent
        int sent = 0;
    };

    void SendNext(Connection &connection);
    // Takes the whole replies held on a connection; false on a wrong reply.
    bool TakeReplies(Connection &connection, int index);
    QString Who(int index) const;

    QString m_host;
    quint16 m_port;
    QHostAddress m_firstSource;
    int m_timeoutMs;
    std::vector<Connection> m_connections;
    QString m_error;
    // While a run lasts:
    const Plan *m_plan = nullptr;
    Result *m_result = nullptr;
    QElapsedTimer m_clock;
    int m_unfinished = 0;
};
