#include "tools/CatalogueDownload.h"

#include "protocol/PacketHeader.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "tools/ConsoleText.h"
#include "tools/SongListText.h"
#include "tools/TerminalSession.h"

#include <QSaveFile>
#include <limits>
#include <unistd.h>

namespace {

// Requests sent ahead of their replies: the server answers a connection's
// requests in order, and keeping a few in flight spares a round trip per request.
constexpr int kInFlight = 64;
constexpr int kBarWidth = 30;

} // namespace

CatalogueDownload::CatalogueDownload(TerminalSession &session)
    : m_session(session), m_showProgress(isatty(STDERR_FILENO) != 0)
{
}

int CatalogueDownload::Run(const QString &path)
{
    const auto info =
        m_session.Ask(Packet::EncodeHeaderOnly(Cmd::RequestServerInfo), Cmd::ServerInfo);
    if (!info)
        return Fail(m_session.error());
    const quint32 songCount = Packet::ServerInfo::Decode(*info).songCount;
    if (songCount > quint32(std::numeric_limits<qint32>::max()))
        return Fail(
            QStringLiteral("the server announces %1 songs, more than a download can ask for")
                .arg(songCount));
    SongListText list;
    if (!Fetch(int(songCount), list))
        return kExitFailed;
    for (const QString &note : list.Notes())
        Print(stderr, QStringLiteral("melodeck: note: %1\n").arg(note));
    return Write(list, path);
}

bool CatalogueDownload::Fetch(int songCount, SongListText &list)
{
    int requested = 0; // the start of the next request
    int pending = 0;
    // The error line starts on a line of its own, below an unfinished bar.
    const auto failed = [this](const QString &message) {
        if (m_showProgress && m_shownPermille < 1000)
            Print(stderr, QStringLiteral("\n"));
        Fail(message);
        return false;
    };
    ShowProgress(0, songCount);
    while (list.songCount() < songCount) {
        for (; pending < kInFlight && requested < songCount; ++pending) {
            if (!m_session.Send(Packet::MultiDownload{requested, songCount}.Encode()))
                return failed(m_session.error());
            requested += Packet::MultiDownloadData::kMaxItems;
        }
        const auto reply = m_session.Await(Cmd::MultiDownloadData);
        if (!reply)
            return failed(m_session.error());
        --pending;
        const Packet::MultiDownloadData data = Packet::MultiDownloadData::Decode(*reply);
        if (data.endMark)
            break;
        // Replies come in request order, each continuing where the last one ended.
        if (data.start != list.songCount() || data.items.isEmpty()) {
            return failed(QStringLiteral("the server sent %1 songs from %2 where songs from %3 "
                                         "were due; its catalogue holds fewer than the %4 it "
                                         "announced")
                              .arg(data.items.size())
                              .arg(data.start)
                              .arg(list.songCount())
                              .arg(songCount));
        }
        for (const Packet::MultiDownloadData::Item &item : data.items)
            list.Append(item);
        ShowProgress(list.songCount(), songCount);
    }
    if (list.songCount() < songCount)
        return failed(QStringLiteral("the download ended after %1 of %2 songs")
                          .arg(list.songCount())
                          .arg(songCount));
    return true;
}

int CatalogueDownload::Write(const SongListText &list, const QString &path)
{
    if (path.isEmpty()) {
        Print(stdout, list.text());
        return kExitOk;
    }
    // In a file the UTF-8 mark tells the server's reader the encoding outright,
    // whatever code page it is set to.
    QSaveFile file(path);
    const QByteArray bytes = "\xEF\xBB\xBF" + list.text().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    Print(stdout, QStringLiteral("songs\t%1\n").arg(list.songCount()));
    return kExitOk;
}

// Redraws the bar when a tenth of a percent more is done; ends its line when all is.
void CatalogueDownload::ShowProgress(int done, int total)
{
    if (!m_showProgress)
        return;
    const int permille = total == 0 ? 1000 : int(qint64(done) * 1000 / total);
    if (permille == m_shownPermille)
        return;
    m_shownPermille = permille;
    const int filled = permille * kBarWidth / 1000;
    Print(stderr, QStringLiteral("\rdownload [%1%2] %3% %4/%5")
                          .arg(QString(filled, u'#'), QString(kBarWidth - filled, u' '))
                          .arg(permille / 10, 3)
                          .arg(done)
                          .arg(total) +
                      (done >= total ? QStringLiteral("\n") : QString()));
}
