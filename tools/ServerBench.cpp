#include "tools/ServerBench.h"

#include "protocol/PacketHeader.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "tools/ConsoleText.h"
#include "tools/EchoResponder.h"
#include "tools/PacketPrinter.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <unistd.h>

namespace {

// The song book's title order, the order a terminal starts in.
constexpr qint32 kTitleOrder = 1;

// Download requests kept outstanding, as `melodeck download` keeps them.
constexpr int kDownloadInFlight = 64;

// The user plus system time of a process in milliseconds; -1 when unknown.
qint64 CpuMs(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // The fields after the command name, which may hold spaces: state first,
    // so utime and stime (fields 14 and 15) are the 12th and 13th.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toLongLong() + fields[12].toLongLong()) * 1000 / sysconf(_SC_CLK_TCK);
}

// The value at quantile `q` of `values` (nearest rank), in microseconds.
double QuantileUs(QList<qint64> values, double q)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype rank = qsizetype(std::ceil(q * double(values.size())));
    return double(values[qBound<qsizetype>(1, rank, values.size()) - 1]) / 1000.0;
}

// Cells padded to their column widths: the first left-aligned, the rest right.
QString Row(const QStringList &cells, const QList<int> &widths)
{
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i)
        line += i == 0 ? cells[i].leftJustified(widths[i]) : cells[i].rightJustified(widths[i] + 2);
    return line + u'\n';
}

const QList<int> kRoundTripWidths = {13, 9, 13, 8, 11, 8, 12, 5, 11};
const QList<int> kDownloadWidths = {13, 9, 7, 6, 10, 11};

// Prints the one error line; false.
bool Failed(const QString &message)
{
    Fail(message);
    return false;
}

QString Fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

ServerBench::ServerBench(const BenchOptions &options) : m_options(options)
{
}

int ServerBench::Run()
{
    if (!Probe())
        return kExitFailed;
    Print(stdout, QStringLiteral("server %1:%2, %3 songs; %4 round trips of each kind a terminal, "
                                 "terminals from %5\n\n")
                      .arg(m_options.session.host)
                      .arg(m_options.session.port)
                      .arg(m_songCount)
                      .arg(m_options.requests)
                      .arg(m_options.session.source.toString()));
    Print(stdout, Row({"round trip", "terminals", "server median", "p99 us", "echo median",
                       "p99 us", "ratio median", "p99", "CPU ms/1000"},
                      kRoundTripWidths));
    QList<int> counts = {1};
    if (m_options.terminals > 1)
        counts.append(m_options.terminals);
    for (int terminals : counts)
        if (!RoundTrips(terminals))
            return kExitFailed;
    Print(stdout,
          u"\n"_qs + Row({"download", "terminals", "songs", "wall s", "requests/s", "CPU ms/1000"},
                         kDownloadWidths));
    for (int terminals : counts)
        if (!Downloads(terminals))
            return kExitFailed;
    Print(stdout, QStringLiteral("\nTimes in microseconds; echo: a bare responder in this process "
                                 "answering with packets of the same sizes. CPU: the server's user "
                                 "and system time per 1,000 requests of the run (adds and "
                                 "deletions alternate and share one figure).\n"));
    return kExitOk;
}

bool ServerBench::Probe()
{
    TerminalSession session(m_options.session);
    if (!session.Open())
        return Failed(session.error());
    const auto info =
        session.Ask(Packet::EncodeHeaderOnly(Cmd::RequestServerInfo), Cmd::ServerInfo);
    if (!info)
        return Failed(session.error());
    m_songCount = Packet::ServerInfo::Decode(*info).songCount;
    if (m_songCount == 0 || m_songCount > quint32(std::numeric_limits<qint32>::max()))
        return Failed(
            QStringLiteral("the server holds %1 songs; a bench needs some").arg(m_songCount));
    const auto middle =
        session.Ask(Packet::MultiDownload{qint32(m_songCount / 2), qint32(m_songCount)}.Encode(),
                    Cmd::MultiDownloadData);
    if (!middle)
        return Failed(session.error());
    const Packet::MultiDownloadData data = Packet::MultiDownloadData::Decode(*middle);
    m_song = data.items.isEmpty() ? 0 : data.items.first().number.toUInt();
    return true;
}

bool ServerBench::RoundTrips(int terminals)
{
    const QByteArray page = Packet::RequestPage{Packet::RequestPage::kNext, kTitleOrder}.Encode();
    const QByteArray add = Packet::RequestAdd{0, m_song, 0, 0, QStringLiteral("Bench")}.Encode();
    const QByteArray del = Packet::RequestDel{m_song, -1, -1}.Encode();
    EchoResponder echo({
        {Cmd::RequestPage,
         MelodeckClient::Request(Cmd::PageData, 0,
                                 QByteArray(Packet::PageData::kSize - PacketHeader::kSize, 0))},
        {Cmd::RequestAdd, Packet::NumberResult{m_song}.Encode(Cmd::AddResult)},
        {Cmd::RequestDel, Packet::NumberResult{m_song}.Encode(Cmd::DelResult)},
    });
    if (echo.port() == 0)
        return Failed(QStringLiteral("the echo responder cannot listen on 127.0.0.1"));
    LoadDriver server(m_options.session.host, m_options.session.port, m_options.session.source,
                      m_options.session.timeoutMs);
    LoadDriver bare(QStringLiteral("127.0.0.1"), echo.port(), m_options.session.source,
                    m_options.session.timeoutMs);
    if (!server.Open(terminals))
        return Failed(server.error());
    if (!bare.Open(terminals))
        return Failed(bare.error());
    const LoadDriver::Plan pages{
        Packet::SetBookView{kTitleOrder, Packet::PageData::kSlots, 0, {}}.Encode(),
        [page](int) { return page; }, m_options.requests};
    // Each add is undone by the next request, so the queue stays short.
    const LoadDriver::Plan changes{
        {}, [add, del](int step) { return step % 2 == 0 ? add : del; }, 2 * m_options.requests};
    return Compare(server, bare, pages, {Cmd::RequestPage}, terminals) &&
           Compare(server, bare, changes, {Cmd::RequestAdd, Cmd::RequestDel}, terminals);
}

bool ServerBench::Compare(LoadDriver &server, LoadDriver &echo, const LoadDriver::Plan &plan,
                          const QList<quint32> &kinds, int terminals)
{
    const qint64 cpuBefore = CpuMs(m_options.serverPid);
    const LoadDriver::Result measured = server.Run(plan);
    const QString cpu = CpuPerThousand(cpuBefore, measured.replies);
    const LoadDriver::Result floor = echo.Run(plan);
    if (!measured.error.isEmpty())
        return Failed(QStringLiteral("server: ") + measured.error);
    if (!floor.error.isEmpty())
        return Failed(QStringLiteral("echo responder: ") + floor.error);
    for (quint32 kind : kinds) {
        const QList<qint64> &times = measured.roundTrips[kind];
        const QList<qint64> &echoTimes = floor.roundTrips[kind];
        const double median = QuantileUs(times, 0.5), p99 = QuantileUs(times, 0.99);
        const double echoMedian = QuantileUs(echoTimes, 0.5), echoP99 = QuantileUs(echoTimes, 0.99);
        Print(stdout, Row({PacketPrinter::Name(kind), QString::number(terminals), Fixed(median, 1),
                           Fixed(p99, 1), Fixed(echoMedian, 1), Fixed(echoP99, 1),
                           Fixed(median / echoMedian, 2), Fixed(p99 / echoP99, 2), cpu},
                          kRoundTripWidths));
    }
    return true;
}

bool ServerBench::Downloads(int terminals)
{
    LoadDriver server(m_options.session.host, m_options.session.port, m_options.session.source,
                      m_options.session.timeoutMs);
    if (!server.Open(terminals))
        return Failed(server.error());
    const int total = int(m_songCount);
    const LoadDriver::Plan download{
        {},
        [total](int step) {
            return Packet::MultiDownload{step * Packet::MultiDownloadData::kMaxItems, total}
                .Encode();
        },
        (total + Packet::MultiDownloadData::kMaxItems - 1) / Packet::MultiDownloadData::kMaxItems,
        kDownloadInFlight};
    const qint64 cpuBefore = CpuMs(m_options.serverPid);
    const LoadDriver::Result result = server.Run(download);
    if (!result.error.isEmpty())
        return Failed(QStringLiteral("server: ") + result.error);
    const double seconds = double(result.wallNs) / 1e9;
    Print(stdout, Row({QStringLiteral("MultiDownload"), QString::number(terminals),
                       QString::number(m_songCount), Fixed(seconds, 2),
                       Fixed(double(result.replies) / seconds, 0),
                       CpuPerThousand(cpuBefore, result.replies)},
                      kDownloadWidths));
    return true;
}

QString ServerBench::CpuPerThousand(qint64 cpuBefore, qint64 requests) const
{
    const qint64 cpuAfter = CpuMs(m_options.serverPid);
    if (cpuBefore < 0 || cpuAfter < 0 || requests == 0)
        return QStringLiteral("-");
    return Fixed(double(cpuAfter - cpuBefore) * 1000.0 / double(requests), 1);
}
