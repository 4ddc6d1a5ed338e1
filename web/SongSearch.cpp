#include "web/SongSearch.h"

#include "catalogue/SongCatalogue.h"

#include <algorithm>
#include <cstring>

namespace {

// Appends a fixed-width text field case-folded as UTF-8: ASCII (most of a
// catalogue) byte by byte, anything else through QString's folding.
void AppendFolded(QByteArray &out, const char16_t *field, int width)
{
    int length = 0;
    bool ascii = true;
    for (; length < width && field[length] != 0; ++length)
        ascii = ascii && field[length] < 0x80;
    if (!ascii) {
        out += QStringView(field, length).toString().toCaseFolded().toUtf8();
        return;
    }
    for (int i = 0; i < length; ++i) {
        const char c = char(field[i]);
        out += c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
}

} // namespace

SongSearch::SongSearch(const SongCatalogue &catalogue) : m_catalogue(catalogue)
{
}

SongSearch::Page SongSearch::Find(const QString &query, int page, int size)
{
    size = std::clamp(size, 1, kMaxPageSize);
    page = std::max(page, 0);
    const qint64 first = qint64(page) * size;
    Page result;
    const QByteArray needle = query.trimmed().toCaseFolded().toUtf8();
    if (needle.isEmpty()) {
        // Every song, straight from the number index.
        result.total = int(m_catalogue.songCount());
        for (qint64 rank = first; rank < result.total && rank < first + size; ++rank)
            result.positions.append(m_catalogue.SongAt(SongCatalogue::ByNumber, int(rank)));
        return result;
    }
    // The searched text separates fields with tabs and songs with line ends.
    if (needle.contains('\n') || needle.contains('\t'))
        return result;
    PrepareIfStale();
    // The needle's rarest byte is looked for with memchr, the fastest scan
    // there is; each place it occurs is then compared whole.
    int rare = 0;
    for (int i = 1; i < needle.size(); ++i)
        if (m_byteCounts[uchar(needle[i])] < m_byteCounts[uchar(needle[rare])])
            rare = i;
    const char *text = m_text.constData();
    const char *end = text + m_text.size();
    const auto find = [&](const char *from) -> const char * {
        while (end - from >= needle.size()) {
            const auto *byte = static_cast<const char *>(
                std::memchr(from + rare, needle[rare], size_t(end - from - rare)));
            if (!byte || end - (byte - rare) < needle.size())
                return nullptr;
            if (std::memcmp(byte - rare, needle.constData(), size_t(needle.size())) == 0)
                return byte - rare;
            from = byte - rare + 1;
        }
        return nullptr;
    };
    for (const char *at = text; at < end;) {
        const char *hit = find(at);
        if (!hit)
            break;
        if (result.total == kMaxCounted) {
            result.more = true;
            break;
        }
        if (result.total >= first && result.total < first + size) {
            const auto line = std::upper_bound(m_starts.begin(), m_starts.end(), int(hit - text)) -
                              m_starts.begin() - 1;
            result.positions.append(m_positions[size_t(line)]);
        }
        ++result.total;
        // The rest of the song's line cannot count again.
        const auto *lineEnd = static_cast<const char *>(std::memchr(hit, '\n', size_t(end - hit)));
        at = lineEnd ? lineEnd + 1 : end;
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
    m_text.reserve(qsizetype(count) * 40);
    m_starts.assign(size_t(count), 0);
    m_positions.assign(size_t(count), 0);
    for (int rank = 0; rank < count; ++rank) {
        const int position = m_catalogue.SongAt(SongCatalogue::ByNumber, rank);
        const SongRecord &song = m_catalogue.Record(position);
        m_starts[size_t(rank)] = int(m_text.size());
        m_positions[size_t(rank)] = position;
        m_text += QByteArray::number(song.number);
        m_text += '\t';
        AppendFolded(m_text, song.title, SongRecord::kTitleUnits);
        m_text += '\t';
        AppendFolded(m_text, song.artist, SongRecord::kArtistUnits);
        m_text += '\n';
    }
    m_text.squeeze();
    std::fill(std::begin(m_byteCounts), std::end(m_byteCounts), 0);
    for (const char c : std::as_const(m_text))
        ++m_byteCounts[uchar(c)];
    m_prepared = true;
    m_preparedStamp = m_catalogue.timestamp();
    m_preparedCount = m_catalogue.songCount();
}
