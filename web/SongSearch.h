#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

class SongCatalogue;

// Finds songs by number, title or artist: a case-insensitive substring match.
// The catalogue's load stays as fast as it is: the text searched here is built
// on the first search after a load (the catalogue's song count and time stamp
// tell a new load): the whole book in number order, one line per song,
// case-folded and in UTF-8, where a substring of characters is a substring of
// bytes, so a search is one pass that compares sixteen places at a time.
class SongSearch
{
public:
    static constexpr int kMaxPageSize = 100;
    // Matches counted at most: past that a query is too broad to page through.
    static constexpr int kMaxCounted = 1000;

    struct Page
    {
        int total = 0;        // songs that match, at most kMaxCounted
        bool more = false;    // more songs match than were counted
        QList<int> positions; // load positions of the page's songs, in number order
    };

    explicit SongSearch(const SongCatalogue &catalogue);

    // Page `page` (0-based) of `size` songs (1..100) matching `query`; an
    // empty query matches every song.
    Page Find(const QString &query, int page, int size);

    // Builds the search text now unless it is current (Find does it anyway).
    void PrepareIfStale();

private:
    const SongCatalogue &m_catalogue;
    bool m_prepared = false;
    quint64 m_preparedStamp = 0;
    quint32 m_preparedCount = 0;
    QByteArray m_text;             // "number\ttitle\tartist\n" per song, case-folded
    std::vector<int> m_starts;     // where each song's line starts in m_text
    std::vector<int> m_positions;  // the load position of each line's song
    qint64 m_byteCounts[256] = {}; // how often each byte occurs in m_text
};
