#pragma once

#include "queue/QueueItem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace Packet {

// RequestSet (from the local client) and QueueList (to it) share one layout:
// mode and entry count in param, then one 52-byte entry per queued song.
struct QueueWire
{
    static constexpr int kModeOffset = 12;  // 16 bits
    static constexpr int kCountOffset = 14; // 16 bits
    static constexpr int kEntrySize = 52;
    static constexpr int kNumberAt = 0;  // within an entry
    static constexpr int kPitchAt = 4;   // 16 bits, signed
    static constexpr int kTempoAt = 6;   // 16 bits, signed
    static constexpr int kStationAt = 8; // 16 bits
    static constexpr int kIndexAt = 10;  // 16 bits, signed
    static constexpr int kNameAt = 12;
    // QueueList always says mode 1 (the whole queue).
    static constexpr quint16 kQueueListMode = 1;

    quint16 mode = 0; // RequestSet: 0 edits entries in place, anything else replaces
    QList<QueueItem> items;

    QByteArray Encode(quint32 command) const;
    // The entries the count field names, as far as the payload holds them.
    static QueueWire Decode(QByteArrayView packet);
};

} // namespace Packet
