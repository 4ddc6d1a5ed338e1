#include "tools/TerminalSession.h"

#include "protocol/PacketHeader.h"
#include "protocol/Requests.h"
#include "tools/ConsoleText.h"
#include "tools/PacketPrinter.h"

#include <QDeadlineTimer>
#include <QHostInfo>

namespace {

// The address of a host given as an address or a name; null when unknown.
QHostAddress Resolve(const QString &host)
{
    const QHostAddress address(host);
    if (!address.isNull())
        return address;
    const QList<QHostAddress> found = QHostInfo::fromName(host).addresses();
    for (const QHostAddress &candidate : found)
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol)
            return candidate;
    return found.value(0);
}

} // namespace

TerminalSession::TerminalSession(const SessionOptions &options) : m_options(options)
{
}

bool TerminalSession::Open()
{
    const QString where = QStringLiteral("%1:%2").arg(m_options.host).arg(m_options.port);
    const QHostAddress address = Resolve(m_options.host);
    if (address.isNull()) {
        m_error = QStringLiteral("cannot connect to %1: unknown host").arg(where);
        return false;
    }
    if (m_client.Connect(address, m_options.port, m_options.source, m_options.timeoutMs))
        return true;
    const QString from = m_options.source.isNull()
                             ? QString()
                             : QStringLiteral(" from ") + m_options.source.toString();
    // A connect that neither succeeds nor fails in time leaves no socket error.
    const QString why = m_client.error() == QAbstractSocket::UnknownSocketError
                            ? QStringLiteral("no answer within %1 ms").arg(m_options.timeoutMs)
                            : m_client.errorString();
    m_error = QStringLiteral("cannot connect to %1%2: %3").arg(where, from, why);
    m_broken = true;
    return false;
}

bool TerminalSession::Send(const QByteArray &request)
{
    Dump('>', request);
    if (m_client.Send(request))
        return true;
    m_error =
        QStringLiteral("cannot send %1: %2")
            .arg(PacketPrinter::Name(PacketPrinter::Command(request)), m_client.errorString());
    m_broken = true;
    return false;
}

std::optional<QByteArray> TerminalSession::Await(quint32 reply)
{
    const QDeadlineTimer deadline(m_options.timeoutMs);
    for (;;) {
        std::optional<QByteArray> packet = m_client.ReadPacket(int(deadline.remainingTime()));
        if (!packet) {
            NoteReadFailure(PacketPrinter::Name(reply));
            return std::nullopt;
        }
        Dump('<', *packet);
        const quint32 command = PacketPrinter::Command(*packet);
        if (command == reply)
            return packet;
        if (!Cmd::IsPush(command)) {
            m_error = QStringLiteral("expected %1 but the server sent %2")
                          .arg(PacketPrinter::Name(reply), PacketPrinter::Name(command));
            return std::nullopt;
        }
    }
}

std::optional<QByteArray> TerminalSession::Ask(const QByteArray &request, quint32 reply)
{
    if (!Send(request))
        return std::nullopt;
    return Await(reply);
}

bool TerminalSession::Tell(const QByteArray &request)
{
    return Send(request) &&
           Ask(Packet::EncodeHeaderOnly(Cmd::RequestServerInfo), Cmd::ServerInfo).has_value();
}

std::optional<QByteArray> TerminalSession::Next(int timeoutMs)
{
    std::optional<QByteArray> packet = m_client.ReadPacket(timeoutMs);
    if (packet)
        Dump('<', *packet);
    else if (!m_client.IsConnected() || m_client.OutOfStep())
        NoteReadFailure(QStringLiteral("a packet"));
    return packet;
}

void TerminalSession::NoteReadFailure(const QString &awaited)
{
    if (m_client.OutOfStep()) {
        m_error = QStringLiteral("the server sent bytes that are not a packet");
        m_broken = true;
    } else if (!m_client.IsConnected()) {
        m_error = QStringLiteral("the server closed the connection before sending %1").arg(awaited);
        m_broken = true;
    } else {
        m_error = QStringLiteral("no %1 within %2 ms").arg(awaited).arg(m_options.timeoutMs);
    }
}

// Shows a packet in hexadecimal on standard error: '>' sent, '<' received.
void TerminalSession::Dump(char direction, const QByteArray &packet) const
{
    if (m_options.raw)
        Print(stderr, PacketPrinter::Hex(direction, packet));
}
