#pragma once

#include "tools/CatalogueSong.h"

#include <QList>
#include <QRandomGenerator>

// Makes a synthetic catalogue for tests and benchmarks: the same songs for the
// same seed on every run. Songs come in runs of one language (English, Korean,
// Japanese, Spanish, French, Russian) as real song lists do; titles mix
// upper, lower and title case, some begin with "The" or "A", and a few are
// longer than a record holds.
class SongGenerator
{
public:
    static constexpr quint32 kDefaultSeed = 20240601;

    explicit SongGenerator(quint32 seed = kDefaultSeed);

    // `count` songs in load order with distinct numbers from 10000 on, shuffled.
    // With `withExtra` the extra column holds a genre (text lists have none).
    QList<CatalogueSong> Generate(int count, bool withExtra);

private:
    struct Pool;
    static const QList<Pool> &Pools();

    QString MakeTitle(const Pool &pool);
    QString MakeArtist(const Pool &pool);
    const QString &Pick(const QStringList &words);
    bool Chance(int percent);

    QRandomGenerator m_random;
};
