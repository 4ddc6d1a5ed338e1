#include "net/StoreToWire.h"

#include "catalogue/SongCatalogue.h"
#include "queue/ReservationQueue.h"

#include <algorithm>

std::span<const SongRecord> StoreToWire::Page(const SongCatalogue &catalogue, qint32 sortMode,
                                              qint32 size, qint32 page, PageSongs &songs)
{
    // A negative page (stored unchecked from SetBookView) never reaches the index.
    if (size > Packet::PageData::kSlots || size <= 0 || page < 0)
        return {};
    const qint64 first = qint64(size) * page;
    if (first >= SongCatalogue::kCapacity || first >= catalogue.songCount())
        return {};
    const int count = int(std::min<qint64>(size, catalogue.songCount() - first));
    for (int i = 0; i < count; ++i)
        songs[size_t(i)] = catalogue.Record(catalogue.SongAt(sortMode, int(first) + i));
    return std::span<const SongRecord>(songs.data(), size_t(count));
}

QList<Packet::MultiDownloadData::Item> StoreToWire::DownloadItems(const SongCatalogue &catalogue,
                                                                  qint32 start)
{
    const qint64 end = std::min<qint64>(qint64(start) + Packet::MultiDownloadData::kMaxItems,
                                        catalogue.songCount());
    QList<Packet::MultiDownloadData::Item> items;
    for (qint64 position = std::max<qint64>(start, 0); position < end; ++position) {
        const SongRecord &song = catalogue.Record(int(position));
        items.append({QString::number(song.number), song.TitleText(), song.ExtraText(),
                      song.ArtistText(), catalogue.Language(int(position))});
    }
    return items;
}

QList<QueueItem> StoreToWire::QueueItems(const ReservationQueue &queue)
{
    QList<QueueItem> items;
    items.reserve(queue.count());
    for (int i = 0; i < queue.count(); ++i) {
        const QueueEntry &entry = queue.entry(i);
        items.append(
            {entry.number, entry.pitch, entry.tempo, entry.station, i, entry.CustomerText()});
    }
    return items;
}
