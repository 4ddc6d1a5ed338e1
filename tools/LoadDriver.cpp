#include "tools/LoadDriver.h"

#include "protocol/PacketHeader.h"
#include "protocol/Replies.h"
#include "tools/PacketPrinter.h"

#include <QEventLoop>
#include <QTimer>
#include <cstring>

namespace {

// The reply each timed request is answered with.
quint32 ReplyTo(quint32 request)
{
    switch (request) {
    case Cmd::RequestPage:
        return Cmd::PageData;
    case Cmd::MultiDownload:
        return Cmd::MultiDownloadData;
    case Cmd::RequestAdd:
        return Cmd::AddResult;
    case Cmd::RequestDel:
        return Cmd::DelResult;
    }
    return Cmd::ServerInfo;
}

} // namespace

LoadDriver::LoadDriver(const QString &host, quint16 port, const QHostAddress &firstSource,
                       int timeoutMs)
    : m_host(host), m_port(port), m_firstSource(firstSource), m_timeoutMs(timeoutMs)
{
}

LoadDriver::~LoadDriver() = default;

bool LoadDriver::Open(int count)
{
    for (int i = 0; i < count; ++i) {
        Connection &connection = m_connections.emplace_back();
        connection.socket = std::make_unique<QTcpSocket>();
        QTcpSocket &socket = *connection.socket;
        const int index = int(m_connections.size()) - 1;
        if (!m_firstSource.isNull() &&
            !socket.bind(QHostAddress(m_firstSource.toIPv4Address() + quint32(index)))) {
            m_error = QStringLiteral("%1 cannot bind: %2").arg(Who(index), socket.errorString());
            return false;
        }
        socket.connectToHost(m_host, m_port);
        if (!socket.waitForConnected(m_timeoutMs)) {
            m_error = QStringLiteral("%1 cannot connect to %2:%3: %4")
                          .arg(Who(index), m_host)
                          .arg(m_port)
                          .arg(socket.errorString());
            return false;
        }
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }
    return true;
}

LoadDriver::Result LoadDriver::Run(const Plan &plan)
{
    Result result;
    QEventLoop loop;
    QTimer stall; // restarted by every reply
    stall.setSingleShot(true);
    QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
        result.error = QStringLiteral("no reply within %1 ms").arg(m_timeoutMs);
        loop.quit();
    });
    for (int i = 0; i < int(m_connections.size()); ++i) {
        if (m_connections[size_t(i)].socket->state() != QAbstractSocket::ConnectedState) {
            result.error = QStringLiteral("the server closed the connection of %1").arg(Who(i));
            return result;
        }
    }
    m_plan = &plan;
    m_result = &result;
    m_unfinished = 0;
    m_clock.start();
    for (int i = 0; i < int(m_connections.size()); ++i) {
        Connection &connection = m_connections[size_t(i)];
        QTcpSocket *socket = connection.socket.get();
        // Connected to the loop, these handlers go when the run ends.
        QObject::connect(socket, &QTcpSocket::readyRead, &loop, [&, i] {
            stall.start(m_timeoutMs);
            if (!TakeReplies(m_connections[size_t(i)], i) || m_unfinished == 0)
                loop.quit();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, &loop, [&, i] {
            result.error = QStringLiteral("the server closed the connection of %1").arg(Who(i));
            loop.quit();
        });
        connection.sent = 0;
        if (!plan.opening.isEmpty())
            socket->write(plan.opening);
        if (plan.steps > 0)
            ++m_unfinished;
        for (int n = 0; n < plan.inFlight; ++n)
            SendNext(connection);
    }
    if (m_unfinished > 0) {
        stall.start(m_timeoutMs);
        loop.exec();
    }
    result.wallNs = m_clock.nsecsElapsed();
    m_plan = nullptr;
    m_result = nullptr;
    return result;
}

void LoadDriver::SendNext(Connection &connection)
{
    if (connection.sent >= m_plan->steps)
        return;
    const QByteArray request = m_plan->request(connection.sent++);
    connection.waiting.emplace_back(PacketPrinter::Command(request), m_clock.nsecsElapsed());
    // Out at once, as a terminal sends it; the clock runs from here.
    if (connection.socket->write(request) == request.size())
        connection.socket->flush();
}

bool LoadDriver::TakeReplies(Connection &connection, int index)
{
    connection.held += connection.socket->readAll();
    const QByteArray &held = connection.held;
    qsizetype used = 0;
    for (;;) {
        const QByteArrayView rest = QByteArrayView(held).sliced(used);
        if (rest.size() < PacketHeader::kSize)
            break;
        if (std::memcmp(rest.data(), PacketHeader::kMagic, 4) != 0) {
            m_result->error =
                QStringLiteral("%1 received bytes that are not a packet").arg(Who(index));
            return false;
        }
        const quint32 command = PacketPrinter::Command(rest);
        // The download's end mark is told apart from an empty reply by its payload.
        if (command == Cmd::MultiDownloadData &&
            rest.size() < Packet::MultiDownloadData::kItemsOffset)
            break;
        const qsizetype size = Packet::WireSize(rest.first(qMin<qsizetype>(rest.size(), 20)));
        if (rest.size() < size)
            break;
        used += size;
        if (Cmd::IsPush(command))
            continue;
        if (connection.waiting.empty() || ReplyTo(connection.waiting.front().first) != command) {
            m_result->error = QStringLiteral("%1 received %2, which it did not ask for")
                                  .arg(Who(index), PacketPrinter::Name(command));
            return false;
        }
        const auto [request, sentAt] = connection.waiting.front();
        connection.waiting.pop_front();
        m_result->roundTrips[request].append(m_clock.nsecsElapsed() - sentAt);
        ++m_result->replies;
        SendNext(connection);
        if (connection.waiting.empty())
            --m_unfinished;
    }
    connection.held.remove(0, used);
    return true;
}

// "terminal 3 (127.0.0.4)": a connection as messages name it.
QString LoadDriver::Who(int index) const
{
    const QString who = QStringLiteral("terminal %1").arg(index + 1);
    if (m_firstSource.isNull())
        return who;
    return who + QStringLiteral(" (%1)").arg(
                     QHostAddress(m_firstSource.toIPv4Address() + quint32(index)).toString());
}
