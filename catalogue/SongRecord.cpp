#include "catalogue/SongRecord.h"

#include <QtEndian>
#include <cstring>

namespace {

void DecodeField(char16_t *field, int width, const uchar *bytes, qsizetype offset,
                 qsizetype available)
{
    for (int i = 0; i < width; ++i) {
        const qsizetype at = offset + 2 * i;
        field[i] = at + 2 <= available ? qFromLittleEndian<quint16>(bytes + at) : 0;
    }
}

void EncodeField(const char16_t *field, int width, uchar *out)
{
    for (int i = 0; i < width; ++i)
        qToLittleEndian<quint16>(field[i], out + 2 * i);
}

} // namespace

SongRecord SongRecord::Decode(const uchar *bytes, qsizetype available)
{
    SongRecord record;
    if (available >= 4) {
        record.number = qFromLittleEndian<quint32>(bytes);
    } else {
        uchar number[4] = {};
        std::memcpy(number, bytes, size_t(qMax<qsizetype>(available, 0)));
        record.number = qFromLittleEndian<quint32>(number);
    }
    DecodeField(record.title, kTitleUnits, bytes, 4, available);
    DecodeField(record.artist, kArtistUnits, bytes, 100, available);
    DecodeField(record.extra, kExtraUnits, bytes, 148, available);
    return record;
}

void SongRecord::Encode(uchar *out) const
{
    qToLittleEndian<quint32>(number, out);
    EncodeField(title, kTitleUnits, out + 4);
    EncodeField(artist, kArtistUnits, out + 100);
    EncodeField(extra, kExtraUnits, out + 148);
}

QString SongRecord::FieldText(const char16_t *field, int width)
{
    int length = 0;
    while (length < width && field[length] != 0)
        ++length;
    return QString(reinterpret_cast<const QChar *>(field), length);
}
