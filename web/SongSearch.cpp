#include "web/SongSearch.h"

#include "catalogue/SongCatalogue.h"

#include <QStringMatcher>
#include <algorithm>

SongSearch::SongSearch(const SongCatalogue &catalogue) : m_catalogue(catalogue)
{
}

SongSearch::Page SongSearch::Find(const QString &query, int page, int size)
{
    size = std::clamp(size, 1, kMaxPageSize);
    page = std::max(page, 0);
    const qint64 first = qint64(page) * size;
    Page result;
    const QString needle = query.trimmed().toCaseFolded();
    if (needle.isEmpty()) {
        // Every song, straight from the number index.
        result.total = int(m_catalogue.songCount());
        for (qint64 rank = first; rank < result.total && rank < first + size; ++rank)
            result.positions.append(m_catalogue.SongAt(SongCatalogue::ByNumber, int(rank)));
        return result;
    }
    // The searched text separates fields with tabs and songs with line ends.
    if (needle.contains(u'\n') || needle.contains(u'\t'))
        return result;
    PrepareIfStale();
    const QStringMatcher matcher(needle, Qt::CaseSensitive);
    int lastLine = -1;
    for (qsizetype at = matcher.indexIn(m_text, 0); at >= 0; at = matcher.indexIn(m_text, at + 1)) {
        const int line =
            int(std::upper_bound(m_starts.begin(), m_starts.end(), int(at)) - m_starts.begin()) - 1;
        if (line == lastLine)
            continue;
        lastLine = line;
        if (result.total >= first && result.total < first + size)
            result.positions.append(m_positions[size_t(line)]);
        ++result.total;
        // The rest of this line cannot count again.
        at = (size_t(line) + 1 < m_starts.size() ? m_starts[size_t(line) + 1] : m_text.size()) - 1;
    }
    return result;
}

void SongSearch::PrepareIfStale()
{
    if (m_prepared && m_preparedStamp == m_catalogue.timestamp() &&
        m_preparedCount == m_catalogue.songCount())
        return;
    const int count = int(m_catalogue.songCount());
    m_text.clear();
    m_text.reserve(qsizetype(count) * 48);
    m_starts.assign(size_t(count), 0);
    m_positions.assign(size_t(count), 0);
    for (int rank = 0; rank < count; ++rank) {
        const int position = m_catalogue.SongAt(SongCatalogue::ByNumber, rank);
        const SongRecord &song = m_catalogue.Record(position);
        m_starts[size_t(rank)] = int(m_text.size());
        m_positions[size_t(rank)] = position;
        m_text += QString::number(song.number);
        m_text += u'\t';
        m_text += song.TitleText().toCaseFolded();
        m_text += u'\t';
        m_text += song.ArtistText().toCaseFolded();
        m_text += u'\n';
    }
    m_text.squeeze();
    m_prepared = true;
    m_preparedStamp = m_catalogue.timestamp();
    m_preparedCount = m_catalogue.songCount();
}
