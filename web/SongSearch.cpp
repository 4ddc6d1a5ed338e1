#include "web/SongSearch.h"

#include "catalogue/SongCatalogue.h"

#include <algorithm>
#include <bit>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// The first place from `from` where `needle` starts: candidates are the
// places where its bytes at `i` and `j` both match, sixteen at a time with
// SSE2, each then compared whole.
const char *FindPair(const char *from, const char *end, const QByteArray &needle, int i, int j)
{
    const qsizetype n = needle.size();
    if (n == 1) {
        const auto *hit = std::memchr(from, needle[0], size_t(std::max<qsizetype>(end - from, 0)));
        return static_cast<const char *>(hit);
    }
#ifdef __SSE2__
    const __m128i a = _mm_set1_epi8(needle[i]);
    const __m128i b = _mm_set1_epi8(needle[j]);
    // Both loads of a block stay inside the text: i and j are below n.
    for (; end - from >= n + 15; from += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + j));
        for (auto mask =
                 uint(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(y, b))));
             mask != 0; mask &= mask - 1) {
            const char *candidate = from + std::countr_zero(mask);
            if (std::memcmp(candidate, needle.constData(), size_t(n)) == 0)
                return candidate;
        }
    }
#endif
    for (; end - from >= n; ++from)
        if (from[i] == needle[i] && std::memcmp(from, needle.constData(), size_t(n)) == 0)
            return from;
    return nullptr;
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
    // The needle's two rarest bytes (by how often each occurs in the text)
    // pick the places worth comparing whole.
    int rare = 0;
    for (int i = 1; i < needle.size(); ++i)
        if (m_byteCounts[uchar(needle[i])] < m_byteCounts[uchar(needle[rare])])
            rare = i;
    int second = rare == 0 ? needle.size() - 1 : 0;
    for (int i = 0; i < needle.size(); ++i)
        if (i != rare && m_byteCounts[uchar(needle[i])] < m_byteCounts[uchar(needle[second])])
            second = i;
    const char *text = m_text.constData();
    const char *end = text + m_text.size();
    const auto find = [&](const char *from) { return FindPair(from, end, needle, rare, second); };
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
