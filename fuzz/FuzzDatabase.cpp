// Fuzzes the .dat/.idx catalogue loader. Input: a 4-byte little-endian length
// (taken modulo what follows) of the .dat bytes, then the .dat, then the .idx.
#include "fuzz/CatalogueChecks.h"
#include "fuzz/FuzzSupport.h"

#include <QtEndian>
#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    static SongCatalogue catalogue;
    const size_t rest = size - 4;
    const size_t datSize = qFromLittleEndian<quint32>(data) % (rest + 1);
    const char *dat = reinterpret_cast<const char *>(data) + 4;
    FuzzSupport::WriteFile(FuzzSupport::Folder(QStringLiteral("moxiinfo.dat")), dat, datSize);
    FuzzSupport::WriteFile(FuzzSupport::Folder(QStringLiteral("moxiinfo.idx")), dat + datSize,
                           rest - datSize);
    catalogue.LoadSongDatabase(FuzzSupport::Folder(QStringLiteral("moxiinfo.dat")));
    CheckCatalogue(catalogue);
    // Every record of a valid file is taken, a short last one included; any other file gives none.
    const bool valid = datSize >= 4 && qFromLittleEndian<quint32>(dat) == SongCatalogue::kFileMagic;
    const size_t records =
        datSize > 8 ? (datSize - 8 + SongRecord::kSize - 1) / SongRecord::kSize : 0;
    FUZZ_CHECK(catalogue.songCount() ==
               (valid ? std::min(records, size_t(SongCatalogue::kCapacity)) : 0));
    return 0;
}
