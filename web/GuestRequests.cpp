#include "web/GuestRequests.h"

#include "base/EventLog.h"
#include "base/GuestWebConfig.h"
#include "base/QueConfig.h"
#include "base/VenueConfig.h"
#include "catalogue/SongCatalogue.h"
#include "net/LocalClientRelay.h"
#include "queue/QueueJournal.h"
#include "queue/ReservationQueue.h"

#include <QMultiHash>
#include <QSet>
#include <algorithm>

namespace {

QString Songs(int n)
{
    return n == 1 ? QStringLiteral("1 song") : QStringLiteral("%1 songs").arg(n);
}

} // namespace

GuestRequests::GuestRequests(const SongCatalogue &catalogue, ReservationQueue &queue,
                             LocalClientRelay &relay, const QueConfig &queConfig,
                             const VenueConfig &venue, const GuestWebConfig &web)
    : m_catalogue(catalogue), m_queue(queue), m_relay(relay), m_queConfig(queConfig),
      m_venue(venue), m_web(web)
{
}

GuestRequests::Outcome GuestRequests::Add(const Ask &ask)
{
    const QString name = ask.name.trimmed().left(kMaxNameUnits);
    // Controls the terminals are not offered are not offered to phones either.
    const int key = m_queConfig.Pitch ? std::clamp(ask.key, -kMaxShift, kMaxShift) : 0;
    const int tempo = m_queConfig.Tempo ? std::clamp(ask.tempo, -kMaxShift, kMaxShift) : 0;
    WriteLog("Web request number %d, pitch %d, tempo %d, name %s from %s.", int(ask.number), key,
             tempo, qUtf8Printable(name), qUtf8Printable(ask.address));
    if (!m_web.Requests)
        return Refuse(ask, 403, QStringLiteral("requests from phones are off tonight"));
    if (!m_catalogue.FindSongByNumber(ask.number))
        return Refuse(ask, 404, QStringLiteral("song %1 is not in the song book").arg(ask.number));
    if (m_queConfig.Uname && name.isEmpty())
        return Refuse(ask, 400, QStringLiteral("please give your name"));
    Prune();
    const auto station = quint32(m_web.Station);
    VenueConfig rules = m_venue;
    rules.NoDuplicates = true; // a phone never queues a song twice
    const auto refusal = m_queue.CheckRules(rules, station, ask.number);
    if (refusal == ReservationQueue::Refusal::Duplicate)
        return Refuse(ask, 409, QStringLiteral("that song is already queued"));
    if (refusal == ReservationQueue::Refusal::StationFull)
        return Refuse(ask, 409, QStringLiteral("the queue takes no more songs from phones now"));
    const int max = m_web.MaxPerGuest;
    if (max > 0 && QueuedByGuest(ask.guest) >= max)
        return Refuse(ask, 409, QStringLiteral("you already have %1 in the queue").arg(Songs(max)));
    if (max > 0 && QueuedByAddress(ask.address) >= max * kGuestsPerAddress)
        return Refuse(ask, 409,
                      QStringLiteral("this address already has %1 in the queue")
                          .arg(Songs(max * kGuestsPerAddress)));
    if (m_queue.count() >= ReservationQueue::kCapacity ||
        !m_queue.AddByRules(m_venue, station, 0, ask.number, key, tempo, name))
        return Refuse(ask, 503, QStringLiteral("the queue is full"));
    // Kept before the guest hears it is queued, as a terminal's add is.
    if (m_journal)
        m_journal->Commit();
    m_relay.PushQueueToLocal();
    // Duplicates were refused, so the number now names exactly one entry.
    for (int i = 0; i < m_queue.count(); ++i) {
        const QueueEntry &e = m_queue.entry(i);
        if (e.number == ask.number) {
            m_requests.push_back(
                {++m_lastId, ask.guest, ask.address, station, e.number, e.reservedAt});
            return {200, QString(), m_lastId, i + 1};
        }
    }
    return {200, QString(), 0, 0};
}

GuestRequests::Outcome GuestRequests::Cancel(const QString &guest, const QString &address, int id)
{
    Prune();
    const auto it = std::find_if(m_requests.begin(), m_requests.end(),
                                 [&](const Request &r) { return r.id == id && r.guest == guest; });
    if (it == m_requests.end())
        return {404, QStringLiteral("that request is not in the queue any more")};
    const int position = PositionOf(*it);
    if (m_queue.entry(position).acceptedAt.isValid())
        return {409, QStringLiteral("the host has already accepted that song")};
    const quint32 number = it->number;
    if (!m_queue.DeleteReservation(number, position, m_queue.count()))
        return {404, QStringLiteral("that request is not in the queue any more")};
    WriteLog("Web cancel number %d from %s.", int(number), qUtf8Printable(address));
    m_requests.erase(it);
    if (m_journal)
        m_journal->Commit();
    m_relay.PushQueueToLocal();
    return {200, QString(), id, 0};
}

std::vector<int> GuestRequests::IdsInQueue() const
{
    QMultiHash<quint64, const Request *> byEntry;
    for (const Request &r : m_requests)
        byEntry.insert(quint64(r.station) << 32 | r.number, &r);
    std::vector<int> ids(size_t(m_queue.count()), 0);
    for (int i = 0; i < m_queue.count() && !byEntry.isEmpty(); ++i) {
        const QueueEntry &e = m_queue.entry(i);
        const auto [first, last] = byEntry.equal_range(quint64(e.station) << 32 | e.number);
        for (auto it = first; it != last; ++it)
            if ((*it)->reservedAt == e.reservedAt)
                ids[size_t(i)] = (*it)->id;
    }
    return ids;
}

QSet<int> GuestRequests::GuestIds(const QString &guest) const
{
    QSet<int> ids;
    for (const Request &r : m_requests)
        if (r.guest == guest)
            ids.insert(r.id);
    return ids;
}

int GuestRequests::QueuedByGuest(const QString &guest) const
{
    return int(std::count_if(m_requests.begin(), m_requests.end(),
                             [&](const Request &r) { return r.guest == guest; }));
}

int GuestRequests::QueuedByAddress(const QString &address) const
{
    return int(std::count_if(m_requests.begin(), m_requests.end(),
                             [&](const Request &r) { return r.address == address; }));
}

void GuestRequests::Prune()
{
    const std::vector<int> ids = IdsInQueue();
    const QSet<int> queued(ids.begin(), ids.end());
    std::erase_if(m_requests, [&](const Request &r) { return !queued.contains(r.id); });
}

int GuestRequests::PositionOf(const Request &request) const
{
    for (int i = 0; i < m_queue.count(); ++i) {
        const QueueEntry &e = m_queue.entry(i);
        if (e.station == request.station && e.number == request.number &&
            e.reservedAt == request.reservedAt)
            return i;
    }
    return -1;
}

GuestRequests::Outcome GuestRequests::Refuse(const Ask &ask, int status,
                                             const QString &reason) const
{
    WriteLog("Web request refused number %d from %s: %s.", int(ask.number),
             qUtf8Printable(ask.address), qUtf8Printable(reason));
    return {status, reason};
}
