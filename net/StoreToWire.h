#pragma once

#include "catalogue/SongRecord.h"
#include "protocol/Replies.h"
#include "queue/QueueItem.h"

#include <QList>
#include <array>
#include <span>

class ReservationQueue;
class SongCatalogue;

// The step from the stores to the values the packet encoders take: the wire
// format knows records and items, never the catalogue or the queue.
class StoreToWire
{
public:
    // Room for one song-book page.
    using PageSongs = std::array<SongRecord, Packet::PageData::kSlots>;

    // The songs of page `page` (`size` songs a page, `sortMode` order) copied
    // into `songs`; a page outside the catalogue, a size above 20 or a
    // negative page gives none.
    static std::span<const SongRecord> Page(const SongCatalogue &catalogue, qint32 sortMode,
                                            qint32 size, qint32 page, PageSongs &songs);
    // Up to eight songs in load order from `start`, as far as the catalogue goes.
    static QList<Packet::MultiDownloadData::Item> DownloadItems(const SongCatalogue &catalogue,
                                                                qint32 start);
    // Every entry of the queue in order, each carrying its position as its index.
    static QList<QueueItem> QueueItems(const ReservationQueue &queue);
};
