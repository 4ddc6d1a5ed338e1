#pragma once

#include "client/MelodeckClient.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <optional>

// Where and how a session connects, and what it shows besides its output.
struct SessionOptions
{
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 3838;
    QHostAddress source; // null: the system picks (127.0.0.1 towards a local server)
    bool raw = false;    // dump every packet in hexadecimal on standard error
    int timeoutMs = 5000;
};

// One terminal's connection to the server: connect, send requests whole,
// await their replies. Pushes meant for the local client or for any station
// (QueueList, relayed keys, station messages) that arrive while a reply is
// awaited are passed over. Every failure leaves one line in error().
class TerminalSession
{
public:
    explicit TerminalSession(const SessionOptions &options);

    // Connects from the chosen source; false when that fails.
    bool Open();
    // Writes one request whole.
    bool Send(const QByteArray &request);
    // Waits for the next packet whose command is `reply`.
    std::optional<QByteArray> Await(quint32 reply);
    // Sends a request and waits for its reply.
    std::optional<QByteArray> Ask(const QByteArray &request, quint32 reply);
    // Sends a request that has no reply, then asks for the server info: the
    // server handles a connection's packets in order, so that answer shows the
    // request has been handled.
    bool Tell(const QByteArray &request);
    // The next packet of any kind; nothing when none arrived within
    // `timeoutMs`, and nothing with broken() set when none can arrive.
    std::optional<QByteArray> Next(int timeoutMs);

    bool broken() const { return m_broken; }
    const QString &error() const { return m_error; }
    const SessionOptions &options() const { return m_options; }

private:
    // Why no packet was read: closed, out of step, or nothing in time.
    void NoteReadFailure(const QString &awaited);
    void Dump(char direction, const QByteArray &packet) const;

    SessionOptions m_options;
    MelodeckClient m_client;
    bool m_broken = false;
    QString m_error;
};
