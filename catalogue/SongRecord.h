#pragma once

#include <QString>
#include <QtGlobal>

// One song as it is held in memory, stored in the .dat file and sent in song
// pages: 196 bytes, little-endian, no gaps. Text fields are fixed-width UTF-16
// and end at their first zero unit or at their full width.
struct SongRecord
{
    static constexpr int kTitleUnits = 48;
    static constexpr int kArtistUnits = 24;
    static constexpr int kExtraUnits = 24;
    static constexpr int kSize = 196;

    quint32 number = 0;
    char16_t title[kTitleUnits] = {};
    char16_t artist[kArtistUnits] = {};
    char16_t extra[kExtraUnits] = {};

    QString TitleText() const { return FieldText(title, kTitleUnits); }
    QString ArtistText() const { return FieldText(artist, kArtistUnits); }
    QString ExtraText() const { return FieldText(extra, kExtraUnits); }

    // Reads a record from `available` bytes (fewer than 196 leave the rest zero).
    static SongRecord Decode(const uchar *bytes, qsizetype available);
    // Writes the 196 bytes of the record.
    void Encode(uchar *out) const;

    static QString FieldText(const char16_t *field, int width);
};

static_assert(sizeof(SongRecord) == SongRecord::kSize, "SongRecord must stay 196 bytes");
