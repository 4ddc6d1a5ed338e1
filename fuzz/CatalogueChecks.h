#pragma once

#include "catalogue/SongCatalogue.h"
#include "fuzz/FuzzSupport.h"

#include <vector>

// What every loaded catalogue must satisfy: within capacity, and each of the
// four indexes a permutation of the songs, number order ascending.
inline void CheckCatalogue(const SongCatalogue &catalogue)
{
    const quint32 count = catalogue.songCount();
    FUZZ_CHECK(count <= quint32(SongCatalogue::kCapacity));
    for (int mode = SongCatalogue::ByNumber; mode <= SongCatalogue::ByExtra; ++mode) {
        const quint32 *index = catalogue.IndexFor(mode);
        std::vector<bool> seen(count);
        for (quint32 i = 0; i < count; ++i) {
            FUZZ_CHECK(index[i] < count && !seen[index[i]]);
            seen[index[i]] = true;
            if (mode == SongCatalogue::ByNumber && i > 0)
                FUZZ_CHECK(catalogue.Record(int(index[i - 1])).number <=
                           catalogue.Record(int(index[i])).number);
        }
    }
}
