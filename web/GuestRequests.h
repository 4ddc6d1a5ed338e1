#pragma once

#include "base/LocalTime.h"

#include <QSet>
#include <QString>
#include <vector>

struct GuestWebConfig;
struct QueConfig;
struct VenueConfig;
class LocalClientRelay;
class QueueJournal;
class ReservationQueue;
class SongCatalogue;

// Songs requested from phones: added to the queue through the same operation
// as a terminal's add, under the web's own station number, and remembered by
// who asked (guest id and address) so that limits count and a guest can take
// a request back. A request is known by the entry it made (station, number,
// reservation time), so it stays right whatever else moves in the queue.
class GuestRequests
{
public:
    // How many guests may share one address before its limit bites: phones
    // behind one router still get their own allowance.
    static constexpr int kGuestsPerAddress = 3;
    static constexpr int kMaxNameUnits = 39; // as much as a queue entry holds
    static constexpr int kMaxShift = 12;     // key and tempo steps either way

    struct Ask
    {
        QString guest;   // the guest's cookie id
        QString address; // the peer's IP address, for the log and the second limit
        quint32 number = 0;
        QString name;
        int key = 0;
        int tempo = 0;
    };
    // An HTTP status with a reason a person can read; on success the request's
    // id and the entry's 1-based place in the queue.
    struct Outcome
    {
        int status = 200;
        QString reason;
        int id = 0;
        int position = 0;
    };

    GuestRequests(const SongCatalogue &catalogue, ReservationQueue &queue, LocalClientRelay &relay,
                  const QueConfig &queConfig, const VenueConfig &venue, const GuestWebConfig &web);

    // The journal a change commits to before the guest is answered; none by default.
    void SetJournal(QueueJournal *journal) { m_journal = journal; }

    // Checks the settings, the song, the venue rules and the guest's limits,
    // then queues the song; one log line either way.
    Outcome Add(const Ask &ask);
    // Deletes the guest's own request `id` while the operator has not accepted it.
    Outcome Cancel(const QString &guest, const QString &address, int id);

    // For each queue entry, the id of the web request that made it, or 0;
    // one pass over the queue, however many requests are known.
    std::vector<int> IdsInQueue() const;
    // The ids of the guest's requests.
    QSet<int> GuestIds(const QString &guest) const;

private:
    struct Request
    {
        int id = 0;
        QString guest;
        QString address;
        quint32 station = 0;
        quint32 number = 0;
        LocalTime reservedAt;
    };
    // Forgets requests whose entries have left the queue.
    void Prune();
    // Songs of the guest, and of the address, queued as of the last Prune.
    int QueuedByGuest(const QString &guest) const;
    int QueuedByAddress(const QString &address) const;
    // The queue position of the request's entry, or -1.
    int PositionOf(const Request &request) const;
    Outcome Refuse(const Ask &ask, int status, const QString &reason) const;

    const SongCatalogue &m_catalogue;
    ReservationQueue &m_queue;
    LocalClientRelay &m_relay;
    QueueJournal *m_journal = nullptr;
    const QueConfig &m_queConfig;
    const VenueConfig &m_venue;
    const GuestWebConfig &m_web;
    std::vector<Request> m_requests;
    int m_lastId = 0;
};
