#include "tools/SongGenerator.h"

#include <QStringList>
#include <numeric>
#include <vector>

// The words and names of one language.
struct SongGenerator::Pool
{
    QString language;
    int weight;        // share of the catalogue, in percent
    bool hasCase;      // letters have upper and lower case
    bool spacedWords;  // words are separated by spaces
    bool familyFirst;  // names read family name first
    QString nameJoin;  // between family and given name
    QStringList words; // lower case where the script has case
    QStringList given;
    QStringList family;
    QStringList genres;
};

namespace {

QStringList Split(const char *utf8)
{
    return QString::fromUtf8(utf8).split(u' ', Qt::SkipEmptyParts);
}

// Upper-cases the first letter of every word.
QString TitleCase(const QString &text)
{
    QString result = text;
    bool wordStart = true;
    for (QChar &c : result) {
        if (wordStart)
            c = c.toUpper();
        wordStart = c == u' ';
    }
    return result;
}

} // namespace

// The language pools; built once.
const QList<SongGenerator::Pool> &SongGenerator::Pools()
{
    static const QList<Pool> pools = {
        Pool{QStringLiteral("eng"), 40, true, true, false, QStringLiteral(" "),
             Split("love heart night dream river home road summer rain fire light moon star "
                   "girl boy blue time forever tonight baby kiss dance song world sky wild "
                   "heaven angel sweet lonely broken golden midnight morning shadow ocean "
                   "memory yesterday tomorrow little crazy hold me you my your never again "
                   "back together away only one last first train city wind letter"),
             Split("John Mary James Linda Robert Susan Michael Karen David Lisa Paul Nancy "
                   "Kevin Emma Olivia Noah Liam Grace Henry Chloe Oscar Ruby Jack Ella"),
             Split("Smith Johnson Williams Brown Jones Miller Davis Wilson Taylor Clark Lewis "
                   "Walker Hall Young King Wright Hill Green Baker Carter Turner Parker"),
             Split("Pop Rock Ballad Country Soul Jazz Folk Disco Blues R&B")},
        Pool{QStringLiteral("kor"), 25, false, true, true, QString(),
             Split("사랑 이별 눈물 그대 바람 하늘 추억 노래 밤 별 꿈 마음 봄날 비 기억 청춘 "
                   "우리 너 나 길 바다 꽃 첫사랑 안녕 다시 오늘 내일 그리움 약속 편지 "
                   "겨울 여름 가을 햇살 너에게 사랑해 고백 이야기"),
             Split("민수 지은 서연 현우 지훈 수빈 예린 도윤 하은 태양 보라 소연 준호 은비"),
             Split("김 이 박 최 정 강 조 윤 장 임 한 오 서 신"),
             Split("발라드 트로트 댄스 록 힙합 포크")},
        Pool{QStringLiteral("jpn"), 15, false, false, true, QStringLiteral(" "),
             Split("愛 桜 夢 涙 空 風 恋 君 僕 夜 星 花 海 さくら ありがとう さよなら 未来 "
                   "心 雨 約束 季節 光 永遠 ふたり 東京 港 雪 月 思い出 旅"),
             Split("太郎 花子 翔 美咲 健太 由美 大輔 明美 拓也 さくら 直樹 恵"),
             Split("山田 佐藤 鈴木 高橋 田中 渡辺 伊藤 中村 小林 加藤"),
             Split("演歌 J-POP アニメ ロック バラード")},
        Pool{QStringLiteral("spa"), 8, true, true, false, QStringLiteral(" "),
             Split("amor corazón noche vida canción sol mar besos sueño alma día cielo "
                   "luna te quiero mi tu siempre nunca corazones bailar ojos tierra "
                   "camino última vez contigo sin ti"),
             Split("María José Lucía Alejandro Sofía Carlos Valentina Andrés Camila Ángel"),
             Split("García Rodríguez Martínez López González Pérez Sánchez Ramírez Núñez"),
             Split("Salsa Bolero Bachata Ranchera Pop Tango")},
        Pool{QStringLiteral("fra"), 6, true, true, false, QStringLiteral(" "),
             Split("amour cœur nuit vie chanson soleil mer rêve été ciel étoile je tu "
                   "mon ma toujours jamais paris demain hier ensemble rose lune pluie "
                   "là-bas chérie à toi"),
             Split("Élodie Camille Léa Louis Hélène Théo Chloé Jérôme Zoé François"),
             Split("Martin Bernard Dubois Thomas Robert Petit Durand Lefèvre Moreau"),
             Split("Chanson Variété Pop Rock Jazz")},
        Pool{QStringLiteral("rus"), 6, true, true, false, QStringLiteral(" "),
             Split("любовь ночь сердце песня звезда небо мечта река город весна зима "
                   "ты я мой моя навсегда снова дорога море ветер белый тёплый калина"),
             Split("Анна Иван Мария Сергей Ольга Дмитрий Елена Алексей Татьяна Юрий"),
             Split("Иванова Петров Смирнова Соколов Попова Лебедев Козлова Новиков"),
             Split("Поп Рок Шансон Романс")},
    };
    return pools;
}

SongGenerator::SongGenerator(quint32 seed) : m_random(seed)
{
}

// Makes `count` songs in runs of one language with shuffled distinct numbers.
QList<CatalogueSong> SongGenerator::Generate(int count, bool withExtra)
{
    std::vector<quint32> numbers(size_t(qMax(count, 0)));
    std::iota(numbers.begin(), numbers.end(), 10000u);
    for (size_t i = numbers.size(); i > 1; --i)
        std::swap(numbers[i - 1], numbers[m_random.bounded(quint32(i))]);

    QList<CatalogueSong> songs;
    songs.reserve(count);
    const Pool *pool = nullptr;
    int runLeft = 0;
    for (int i = 0; i < count; ++i) {
        if (runLeft == 0) {
            int roll = m_random.bounded(100);
            for (const Pool &candidate : Pools()) {
                pool = &candidate;
                roll -= candidate.weight;
                if (roll < 0)
                    break;
            }
            runLeft = 20 + m_random.bounded(380);
        }
        --runLeft;
        CatalogueSong song;
        song.number = numbers[size_t(i)];
        song.title = MakeTitle(*pool);
        song.artist = MakeArtist(*pool);
        if (withExtra)
            song.extra = Pick(pool->genres);
        song.language = pool->language;
        songs.append(song);
    }
    return songs;
}

// A title of one to six words in one of the usual spellings.
QString SongGenerator::MakeTitle(const Pool &pool)
{
    QStringList words;
    const int wordCount = 1 + m_random.bounded(4) + (Chance(20) ? m_random.bounded(3) : 0);
    for (int i = 0; i < wordCount; ++i)
        words.append(Pick(pool.words));
    if (pool.language == u"eng") {
        if (Chance(12))
            words.prepend(QStringLiteral("the"));
        else if (Chance(7))
            words.prepend(QStringLiteral("a"));
    }
    // Now and then a title longer than the record's 48 units.
    if (Chance(2))
        while (words.join(u' ').size() <= 52)
            words.append(Pick(pool.words));
    QString title = words.join(pool.spacedWords ? QStringLiteral(" ") : QString());
    if (pool.hasCase) {
        const int style = m_random.bounded(100);
        if (style < 65)
            title = TitleCase(title);
        else if (style < 78)
            title = title.toUpper();
        else if (style < 90)
            title[0] = title[0].toUpper();
        // The rest stay all lower case.
    }
    if (Chance(4)) {
        static const QStringList suffixes = {QStringLiteral(" (Live)"), QStringLiteral(" (Remix)"),
                                             QStringLiteral(" (Acoustic Version)"),
                                             QStringLiteral(" - Remastered")};
        title += Pick(suffixes);
    }
    return title;
}

// A singer's name, or for English songs now and then a band.
QString SongGenerator::MakeArtist(const Pool &pool)
{
    if (pool.language == u"eng" && Chance(25)) {
        static const QStringList adjectives =
            Split("Silver Rolling Black Wild Midnight Electric Velvet Golden Lonely Crimson "
                  "Blue Iron Neon Broken Lucky");
        static const QStringList nouns =
            Split("Foxes Stones Keys Hearts Riders Birds Horses Roses Echoes Shadows Angels "
                  "Tigers Dreamers Strangers Rivers");
        return QStringLiteral("The ") + Pick(adjectives) + u' ' + Pick(nouns);
    }
    const QString &given = Pick(pool.given);
    const QString &family = Pick(pool.family);
    const QString name =
        pool.familyFirst ? family + pool.nameJoin + given : given + pool.nameJoin + family;
    return pool.hasCase && Chance(5) ? name.toUpper() : name;
}

const QString &SongGenerator::Pick(const QStringList &words)
{
    return words[m_random.bounded(int(words.size()))];
}

bool SongGenerator::Chance(int percent)
{
    return m_random.bounded(100) < percent;
}
