#pragma once

#include "base/RowTable.h"
#include "base/ZeroFilledTable.h"
#include "queue/QueueEntry.h"
#include "queue/QueueItem.h"

#include <QDateTime>
#include <QList>
#include <functional>
#include <memory>
#include <vector>

struct SongRecord;
struct VenueConfig;
class SongCatalogue;

// The one reservation queue shared by all stations: up to 5,000 entries in
// order, entry 0 first, each mirrored by the row of the same position in the
// queue view's rows. It lives in memory only. Sending the queue to the local
// client is the caller's job.
class ReservationQueue
{
public:
    static constexpr int kCapacity = 5000;

    // The queue view's columns, in order.
    enum Column
    {
        IndexColumn,
        StatusColumn,
        TimeColumn,
        StationColumn,
        NumberColumn,
        TitleColumn,
        ArtistColumn,
        KeyColumn,
        TempoColumn,
        CustomerColumn,
        ColumnCount
    };

    // How the queue just changed, told to observers after the change: enough
    // for one that keeps a copy (the journal) or shows it elsewhere.
    struct Change
    {
        enum Kind
        {
            Inserted, // a new entry at `position`, the ones behind moved back
            Removed,  // the entry at `position` went, the ones behind moved up
            Updated,  // the entry at `position` was edited or accepted in place
            Reset     // the whole queue was replaced
        };
        Kind kind = Reset;
        int position = 0;
    };
    using ChangeObserver = std::function<void(const Change &)>;

    // Finds a song of the current catalogue by number: nullptr when it is not
    // there (and always when the catalogue is empty).
    using SongLookup = std::function<const SongRecord *(quint32 number)>;
    // Gives the current local date and time.
    using Clock = std::function<QDateTime()>;

    // An empty clock stands for LocalClock::Now.
    explicit ReservationQueue(SongLookup findSong, Clock clock = {});
    ~ReservationQueue();
    ReservationQueue(const ReservationQueue &) = delete;
    ReservationQueue &operator=(const ReservationQueue &) = delete;

    // A song lookup into `catalogue`, which must outlive the queue; reloads of
    // the catalogue are seen at once.
    static SongLookup LookupIn(const SongCatalogue &catalogue);

    // --- State ---
    int count() const { return m_count; }
    // Entry i (0..count-1); any other i gives an empty entry.
    const QueueEntry &entry(int i) const;
    // The queue view's rows ("Index" .. "Customer"); row i shows entry i.
    RowTable &rows() { return m_rows; }
    const RowTable &rows() const { return m_rows; }

    // Observers are told of every change, in order, after it is made.
    void AddChangeObserver(ChangeObserver observer);

    // --- Operations ---
    // Queues a song of the catalogue at the end, or at the head when
    // positionFlag is 1. False (nothing changes) for a song not in the
    // catalogue, and for a full queue.
    bool AddReservation(quint32 station, int positionFlag, quint32 number, qint32 pitch,
                        qint32 tempo, const QString &customer);
    // Why the venue's rules refuse an add, if they do.
    enum class Refusal
    {
        None,
        Duplicate,  // NoDuplicates: the number is already queued
        StationFull // MaxPerStation: the station holds that many entries
    };
    Refusal CheckRules(const VenueConfig &rules, quint32 station, quint32 number) const;
    // Queues a song of the catalogue where the rules place it: at the head for
    // positionFlag 1; else, with Rotation on, at RotationSlot; else at the end.
    // False (nothing changes) as AddReservation.
    bool AddByRules(const VenueConfig &rules, quint32 station, int positionFlag, quint32 number,
                    qint32 pitch, qint32 tempo, const QString &customer);
    // Where fair turns put a new entry of `station`: before the first entry
    // behind the head whose ordinal within its station (1 + its station's
    // entries ahead of it) exceeds the station's queued entries + 1; else the end.
    int RotationSlot(quint32 station) const;
    // Entries of `station` in the queue.
    int StationCount(quint32 station) const;
    // Deletes the first entry with `number` when index or expectedCount is -1;
    // otherwise entry `index`, whatever its number, provided the queue still
    // holds expectedCount entries. False (nothing changes) for an empty queue,
    // a number not queued, a stale count or an index outside the queue.
    bool DeleteReservation(quint32 number, qint32 index, qint32 expectedCount);
    // The operator's Delete on view row `row`: deletes the first entry with the
    // row's song number (none when it reads as 0). True when `row` is a row of
    // the view: the caller then sends the queue to the local client.
    bool DeleteByNumber(int row);
    // Takes back a queue from `station` (in practice the local client). Editing
    // changes key, tempo and name of the entries each item names, where that
    // entry is the station's own and still holds the item's song. Replacing
    // writes every item into the position it names and makes the queue as long
    // as the list; items beyond 5,000 or naming a position outside 0..4,999 are
    // left out.
    void ApplyQueueSet(quint32 station, bool replace, const QList<QueueItem> &items);
    // The operator's accept of view row `row`: stamps the entry's acceptedAt
    // and shows it in the row's "Status" cell. Rows without an entry are ignored.
    void AcceptEntry(int row, const QDateTime &now);

    // Puts back a kept queue as it was, times and stations included, without
    // telling the observers (the keeper already holds it). Beyond 5,000
    // entries the rest is left out.
    void Restore(const QList<QueueEntry> &entries);

    // --- Readers ---
    // The song numbers of the first `max` entries, in queue order (BookList).
    QList<quint32> Numbers(int max) const;
    // Position of the first entry reserved by `station` for `number` at
    // `reservedAt`, or -1: finds an entry again after the queue may have moved.
    int FindEntry(quint32 station, quint32 number, const LocalTime &reservedAt) const;

private:
    // Position of the first entry with `number`, or -1.
    int FindNumber(quint32 number) const;
    // Moves the entries from `slot` on one place back and writes the new one there.
    bool InsertReservation(int slot, quint32 station, quint32 number, qint32 pitch, qint32 tempo,
                           const QString &customer);
    // Fills slot `slot` as a new reservation stamped now, not accepted.
    void WriteEntry(int slot, quint32 station, quint32 number, qint32 pitch, qint32 tempo,
                    QStringView customer);
    // Takes entry `position` out of the queue together with its view row.
    void RemoveEntry(int position);
    // Inserts the view row of entry i at row i.
    void InsertQueueRow(int i);
    // Rewrites "Key", "Tempo" and "Customer" of row i from its entry.
    void UpdateQueueRow(int i);

    void Notify(Change::Kind kind, int position = 0) const;

    SongLookup m_findSong;
    std::vector<ChangeObserver> m_observers;
    Clock m_clock;
    ZeroFilledTable<QueueEntry> m_entries;
    int m_count = 0;
    RowTable m_rows;
};
