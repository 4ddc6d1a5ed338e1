#pragma once

#include "base/ZeroFilledTable.h"
#include "catalogue/SongRecord.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

class QFile;

// The whole song catalogue in memory: records in load order, a language code
// per song and four sorted indexes. All storage is allocated once, at full
// capacity, and refilled in place by every load; room no song uses costs no
// memory.
class SongCatalogue
{
public:
    static constexpr int kCapacity = 200000;
    // First four bytes of both the .dat and the .idx file: 57 61 31 47.
    static constexpr quint32 kFileMagic = 0x47316157;
    enum SortMode
    {
        ByNumber = 0,
        ByTitle = 1,
        ByArtist = 2,
        ByExtra = 3
    };

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
    // The load position of the song at `rank` (0..songCount-1) in a sort order
    // (any other value: number order).
    int SongAt(int sortMode, int rank) const;

    // The text that title order compares: one leading "A " or "The " (any case)
    // dropped, then the ASCII letters a to z upper-cased.
    static QString TitleKey(QStringView title);
    // Hundredths of a second from 1 January 00:00:00 of the year to `when`, to
    // the second; the timestamp of a catalogue loaded from a text song list.
    // 0 for an invalid date or time.
    static quint32 YearTimestamp(const QDateTime &when);

private:
    // A song's language code: up to three characters, zero-padded.
    struct LanguageCode
    {
        char16_t units[4];
    };
    static constexpr LanguageCode kDefaultLanguage = {{u'e', u'n', u'g', 0}};
    // Languages a load can tell apart; songs in any further one read as "eng".
    static constexpr int kMaxLanguages = 65536;
    // One entry of a sorted index: a load position in three bytes,
    // little-endian; a quarter less memory than four for 800,000 entries.
    struct IndexEntry
    {
        quint8 bytes[3];
    };
    static_assert(kCapacity < (1 << 24), "load positions must fit three bytes");
    // One sort entry: the first six units of a key and the song's load
    // position, packed so that comparing two integers orders entries by key
    // and equal keys by load order: units 0-3 in `head`; units 4-5 in the
    // upper half of `tail`, the position in its lower half.
    struct SortEntry
    {
        quint64 head;
        quint64 tail;

        quint32 position() const { return quint32(tail); }
        quint32 next() const { return quint32(tail >> 32); }
    };

    void Clear();
    bool LoadRecordFile(const QString &path);
    qint64 ReadRecords(QFile &file, const QString &path, qint64 bytes);
    void LoadLanguageFile(const QString &path);
    bool LoadTextList(const QString &path);
    void AddTextSong(QStringView line, quint16 languageId);
    // The languages of an empty catalogue: only the default, id 0.
    void ResetLanguages();
    // The id of a language code, added to the catalogue's languages when new.
    quint16 LanguageId(const LanguageCode &code);
    // Sorts the four indexes, two at a time on two threads.
    void SortIndexes();
    void SortIndex(int sortMode, ZeroFilledTable<SortEntry> &scratch);

    ZeroFilledTable<SongRecord> m_records{kCapacity};
    // Each song's language as an id into m_languageNames: a catalogue holds a
    // handful of languages, so two bytes a song stand in for eight.
    ZeroFilledTable<quint16> m_languageIds{kCapacity};
    QList<QString> m_languageNames;         // by id; id 0 is the default, "eng"
    QHash<quint64, quint16> m_languageIdOf; // a code's four units packed, to its id
    bool m_languagesFull = false;           // a load met more than kMaxLanguages
    ZeroFilledTable<IndexEntry> m_indexes[4] = {
        ZeroFilledTable<IndexEntry>(kCapacity), ZeroFilledTable<IndexEntry>(kCapacity),
        ZeroFilledTable<IndexEntry>(kCapacity), ZeroFilledTable<IndexEntry>(kCapacity)};
    // Scratch space for the two sorts that run at once; given back after a load.
    ZeroFilledTable<SortEntry> m_scratch[2] = {ZeroFilledTable<SortEntry>(kCapacity),
                                               ZeroFilledTable<SortEntry>(kCapacity)};
    quint32 m_songCount = 0;
    quint64 m_timestamp = 0;
};
