#include "queue/ReservationQueue.h"

#include "base/EventLog.h"
#include "base/LocalClock.h"
#include "base/NumberText.h"
#include "base/VenueConfig.h"
#include "catalogue/SongCatalogue.h"
#include "catalogue/SongRecord.h"

#include <QHash>
#include <algorithm>

namespace {

QStringList QueueHeaders()
{
    return {QStringLiteral("Index"),       QStringLiteral("Status"),
            QStringLiteral("Time"),        QStringLiteral("Station"),
            QStringLiteral("Song Number"), QStringLiteral("Song Title"),
            QStringLiteral("Song Artist"), QStringLiteral("Key"),
            QStringLiteral("Tempo"),       QStringLiteral("Customer")};
}

// "%2d%2d %2d:%02d:%02d" with month, day, hour, minute and second; a time never
// stamped shows zeros.
QString ReservedText(const LocalTime &time)
{
    return QString::asprintf("%2d%2d %2d:%02d:%02d", time.month, time.day, time.hour, time.minute,
                             time.second);
}

} // namespace

// An empty queue with its empty view rows; all 5,000 slots are allocated here,
// once, costing memory only as they are written.
ReservationQueue::ReservationQueue(SongLookup findSong, Clock clock)
    : m_findSong(std::move(findSong)), m_clock(std::move(clock)), m_entries(kCapacity),
      m_rows(QueueHeaders())
{
    if (!m_clock)
        m_clock = &LocalClock::Now;
    if (!m_findSong)
        m_findSong = [](quint32) -> const SongRecord * { return nullptr; };
}

ReservationQueue::~ReservationQueue() = default;

// A lookup that asks the catalogue at each call, so reloads are seen at once.
ReservationQueue::SongLookup ReservationQueue::LookupIn(const SongCatalogue &catalogue)
{
    return [&catalogue](quint32 number) { return catalogue.FindSongByNumber(number); };
}

// Entry i, or an empty entry outside the queue.
const QueueEntry &ReservationQueue::entry(int i) const
{
    static const QueueEntry kNone;
    if (i < 0 || i >= m_count)
        return kNone;
    return m_entries[size_t(i)];
}

// Adds a song of the catalogue at the end or, for positionFlag 1, at the head.
bool ReservationQueue::AddReservation(quint32 station, int positionFlag, quint32 number,
                                      qint32 pitch, qint32 tempo, const QString &customer)
{
    return InsertReservation(positionFlag == 1 ? 0 : m_count, station, number, pitch, tempo,
                             customer);
}

bool ReservationQueue::AddByRules(const VenueConfig &rules, quint32 station, int positionFlag,
                                  quint32 number, qint32 pitch, qint32 tempo,
                                  const QString &customer)
{
    int slot = m_count;
    if (positionFlag == 1)
        slot = 0;
    else if (rules.Rotation)
        slot = RotationSlot(station);
    return InsertReservation(slot, station, number, pitch, tempo, customer);
}

bool ReservationQueue::InsertReservation(int slot, quint32 station, quint32 number, qint32 pitch,
                                         qint32 tempo, const QString &customer)
{
    // The dispatcher keeps the queue below capacity; this guard only protects the table.
    if (m_count >= kCapacity || slot < 0 || slot > m_count)
        return false;
    if (!m_findSong(number))
        return false;
    std::copy_backward(m_entries.data() + slot, m_entries.data() + m_count,
                       m_entries.data() + m_count + 1);
    WriteEntry(slot, station, number, pitch, tempo, customer);
    ++m_count;
    InsertQueueRow(slot);
    Notify(Change::Inserted, slot);
    return true;
}

void ReservationQueue::AddChangeObserver(ChangeObserver observer)
{
    m_observers.push_back(std::move(observer));
}

void ReservationQueue::Notify(Change::Kind kind, int position) const
{
    for (const ChangeObserver &observer : m_observers)
        observer({kind, position});
}

void ReservationQueue::Restore(const QList<QueueEntry> &entries)
{
    m_count = int(std::min<qsizetype>(entries.size(), kCapacity));
    std::copy_n(entries.constData(), m_count, m_entries.data());
    std::fill(m_entries.data() + m_count, m_entries.data() + kCapacity, QueueEntry());
    m_rows.clear();
    for (int i = 0; i < m_count; ++i) {
        InsertQueueRow(i);
        if (const LocalTime &accepted = m_entries[size_t(i)].acceptedAt; accepted.isValid())
            m_rows.setCell(i, StatusColumn, FormatTimeStamp(accepted.ToDateTime()));
    }
}

ReservationQueue::Refusal ReservationQueue::CheckRules(const VenueConfig &rules, quint32 station,
                                                       quint32 number) const
{
    if (rules.NoDuplicates && FindNumber(number) >= 0)
        return Refusal::Duplicate;
    if (rules.MaxPerStation > 0 && StationCount(station) >= rules.MaxPerStation)
        return Refusal::StationFull;
    return Refusal::None;
}

int ReservationQueue::RotationSlot(quint32 station) const
{
    const int turn = StationCount(station) + 1; // the new entry's ordinal
    // Stations are few (terminals, the local client, the web), so a small map.
    QHash<quint32, int> ahead;
    for (int i = 0; i < m_count; ++i) {
        int &seen = ahead[m_entries[size_t(i)].station];
        ++seen; // entry i's ordinal within its station
        if (i > 0 && seen > turn)
            return i;
    }
    return m_count;
}

int ReservationQueue::StationCount(quint32 station) const
{
    return int(std::count_if(m_entries.data(), m_entries.data() + m_count,
                             [station](const QueueEntry &e) { return e.station == station; }));
}

// Deletes by number (index or expectedCount -1) or by position with a count check.
bool ReservationQueue::DeleteReservation(quint32 number, qint32 index, qint32 expectedCount)
{
    if (m_count == 0)
        return false;
    if (index == -1 || expectedCount == -1) {
        index = FindNumber(number);
        if (index < 0)
            return false;
    } else if (expectedCount != m_count) {
        return false; // the terminal's view of the queue is stale
    } else if (index < 0 || index >= m_count) {
        return false;
    }
    RemoveEntry(index);
    return true;
}

// Deletes the first entry with the song number shown in view row `row`.
bool ReservationQueue::DeleteByNumber(int row)
{
    if (row < 0 || row >= m_rows.rowCount())
        return false;
    const quint32 number = quint32(ParseLeadingInt(m_rows.cell(row, NumberColumn)));
    if (number == 0)
        return true;
    const int position = FindNumber(number);
    if (position >= 0)
        RemoveEntry(position);
    return true;
}

// Edits or replaces the queue from the items the local client sent back.
void ReservationQueue::ApplyQueueSet(quint32 station, bool replace, const QList<QueueItem> &items)
{
    const int n = int(std::min<qsizetype>(items.size(), kCapacity));
    for (int i = 0; i < n; ++i) {
        const QueueItem &item = items[i];
        const int slot = item.index;
        if (slot < 0 || slot >= kCapacity)
            continue;
        if (replace) {
            WriteEntry(slot, station, item.number, item.pitch, item.tempo, item.customer);
            continue;
        }
        // Edit in place: only the requesting station's own entry, if it still holds that song.
        QueueEntry &entry = m_entries[size_t(slot)];
        if (entry.station != station || entry.number != item.number)
            continue;
        entry.pitch = item.pitch;
        entry.tempo = item.tempo;
        entry.SetCustomer(item.customer);
        UpdateQueueRow(slot);
        Notify(Change::Updated, slot);
    }
    if (!replace)
        return;
    m_count = n;
    m_rows.clear();
    for (int i = 0; i < m_count; ++i)
        InsertQueueRow(i);
    Notify(Change::Reset);
}

// Stamps the accept time of row `row`'s entry and shows it in "Status".
void ReservationQueue::AcceptEntry(int row, const QDateTime &now)
{
    if (row < 0 || row >= m_count)
        return;
    m_entries[size_t(row)].acceptedAt = LocalTime::From(now);
    m_rows.setCell(row, StatusColumn, FormatTimeStamp(now));
    Notify(Change::Updated, row);
}

// The first `max` song numbers in queue order.
QList<quint32> ReservationQueue::Numbers(int max) const
{
    QList<quint32> numbers;
    const int n = std::clamp(max, 0, m_count);
    numbers.reserve(n);
    for (int i = 0; i < n; ++i)
        numbers.append(m_entries[size_t(i)].number);
    return numbers;
}

// Number, station and reservation time together tell an entry apart.
int ReservationQueue::FindEntry(quint32 station, quint32 number, const LocalTime &reservedAt) const
{
    for (int i = 0; i < m_count; ++i) {
        const QueueEntry &entry = m_entries[size_t(i)];
        if (entry.station == station && entry.number == number && entry.reservedAt == reservedAt)
            return i;
    }
    return -1;
}

// Searches from the front, whatever the station.
int ReservationQueue::FindNumber(quint32 number) const
{
    for (int i = 0; i < m_count; ++i)
        if (m_entries[size_t(i)].number == number)
            return i;
    return -1;
}

// Writes a whole slot as a fresh reservation.
void ReservationQueue::WriteEntry(int slot, quint32 station, quint32 number, qint32 pitch,
                                  qint32 tempo, QStringView customer)
{
    QueueEntry &entry = m_entries[size_t(slot)];
    entry.station = station;
    entry.number = number;
    entry.pitch = pitch;
    entry.tempo = tempo;
    entry.SetCustomer(customer);
    entry.reservedAt = LocalTime::From(m_clock());
    entry.acceptedAt = LocalTime();
}

// Removes the row, closes the gap and empties the slot that fell free.
void ReservationQueue::RemoveEntry(int position)
{
    if (position < m_rows.rowCount())
        m_rows.removeRow(position);
    std::copy(m_entries.data() + position + 1, m_entries.data() + m_count,
              m_entries.data() + position);
    --m_count;
    m_entries[size_t(m_count)] = QueueEntry();
    Notify(Change::Removed, position);
}

// Inserts row i; its "Index" is fixed now and never renumbered.
void ReservationQueue::InsertQueueRow(int i)
{
    const QueueEntry &entry = m_entries[size_t(i)];
    QStringList cells(ColumnCount);
    cells[IndexColumn] = QString::number(i + 1);
    cells[TimeColumn] = ReservedText(entry.reservedAt);
    cells[StationColumn] = QString::number(entry.station);
    cells[NumberColumn] = QString::number(entry.number);
    if (const SongRecord *song = m_findSong(entry.number)) {
        cells[TitleColumn] = song->TitleText();
        cells[ArtistColumn] = song->ArtistText();
        cells[KeyColumn] = QString::number(entry.pitch);
        cells[TempoColumn] = QString::number(entry.tempo);
        cells[CustomerColumn] = entry.CustomerText();
    } else {
        cells[TitleColumn] = QStringLiteral("???");
        cells[ArtistColumn] = QStringLiteral("???");
    }
    m_rows.insertRow(i, cells);
}

// Rewrites the editable cells of row i, only for a song of the catalogue.
void ReservationQueue::UpdateQueueRow(int i)
{
    if (i >= m_rows.rowCount() || !m_findSong(m_entries[size_t(i)].number))
        return;
    const QueueEntry &entry = m_entries[size_t(i)];
    m_rows.setCell(i, KeyColumn, QString::number(entry.pitch));
    m_rows.setCell(i, TempoColumn, QString::number(entry.tempo));
    m_rows.setCell(i, CustomerColumn, entry.CustomerText());
}
