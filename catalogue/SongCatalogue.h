#pragma once

#include "catalogue/SongRecord.h"

#include <QString>
#include <memory>

// The whole song catalogue in memory: records in load order, a language code
// per song and four sorted indexes. All storage is allocated once, at full
// capacity, and refilled in place by every load.
class SongCatalogue
{
public:
    static constexpr int kCapacity = 200000;
    enum SortMode { ByNumber = 0, ByTitle = 1, ByArtist = 2, ByExtra = 3 };

    SongCatalogue();
    ~SongCatalogue();
    SongCatalogue(const SongCatalogue &) = delete;
    SongCatalogue &operator=(const SongCatalogue &) = delete;

    // Replaces the catalogue with the songs of a .dat/.idx pair or a .txt song
    // list; a null path empties it. Every outcome is reported in the event log.
    void LoadSongDatabase(const QString &path);

    quint32 songCount() const { return m_songCount; }
    quint64 timestamp() const { return m_timestamp; }

    // The first song in load order with this number, or nullptr.
    const SongRecord *FindSongByNumber(quint32 number) const;
    // Song `position` in load order (0..songCount-1).
    const SongRecord &Record(int position) const;
    // The language code of song `position`, up to three characters.
    QString Language(int position) const;
    // The sorted index for a sort mode (any other value: number order);
    // entries 0..songCount-1 are valid.
    const SongRecord *const *IndexFor(int sortMode) const;

private:
    std::unique_ptr<SongRecord[]> m_records;
    std::unique_ptr<char16_t[]> m_languages; // 4 units per song
    std::unique_ptr<const SongRecord *[]> m_indexes[4];
    quint32 m_songCount = 0;
    quint64 m_timestamp = 0;
};
