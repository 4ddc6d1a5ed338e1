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
        std::vector<bool> seen(count);
        for (int i = 0; i < int(count); ++i) {
            const int position = catalogue.SongAt(mode, i);
            FUZZ_CHECK(position >= 0 && quint32(position) < count && !seen[size_t(position)]);
            seen[size_t(position)] = true;
            if (mode == SongCatalogue::ByNumber && i > 0)
                FUZZ_CHECK(catalogue.Record(catalogue.SongAt(mode, i - 1)).number <=
                           catalogue.Record(position).number);
        }
    }
}
