#pragma once

#include <QList>
#include <QString>
#include <vector>

class SongCatalogue;

// Finds songs by number, title or artist: a case-insensitive substring match.
// The catalogue's load stays as fast as it is: the folded text searched here
// is built on the first search after a load (the catalogue's song count and
// time stamp tell a new load), one string for the whole book in number
// order, so a search is one pass of a string matcher.
class SongSearch
{
public:
    static constexpr int kMaxPageSize = 100;

    struct Page
    {
        int total = 0;        // songs that match
        QList<int> positions; // load positions of the page's songs, in number order
    };

    explicit SongSearch(const SongCatalogue &catalogue);

    // Page `page` (0-based) of `size` songs (1..100) matching `query`; an
    // empty query matches every song.
    Page Find(const QString &query, int page, int size);

private:
    void PrepareIfStale();

    const SongCatalogue &m_catalogue;
    bool m_prepared = false;
    quint64 m_preparedStamp = 0;
    quint32 m_preparedCount = 0;
    QString m_text;               // "number\ttitle\tartist\n" per song, case-folded
    std::vector<int> m_starts;    // where each song's line starts in m_text
    std::vector<int> m_positions; // the load position of each line's song
};
