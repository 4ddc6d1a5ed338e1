// Fuzzes the text song list loader ("orvabook.txt" and other .txt files).
// Input: byte 0 picks the ANSI code page the reader falls back to, the rest is
// the file; its own first bytes pick UTF-16LE, UTF-8 or the code page.
#include "tests/fuzz/CatalogueChecks.h"
#include "tests/fuzz/FuzzSupport.h"

#include <iterator>

namespace {

// Unset (Windows-1252), then a few single- and multi-byte code pages.
const char *const kCodePages[] = {nullptr, "1252", "65001", "51932", "54936", "51949", "20866"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static SongCatalogue catalogue;
    const char *codePage = kCodePages[data[0] % std::size(kCodePages)];
    codePage ? void(qputenv("ORVA_RS_CODEPAGE", codePage)) : void(qunsetenv("ORVA_RS_CODEPAGE"));
    const QString path = FuzzSupport::Folder(QStringLiteral("orvabook.txt"));
    FuzzSupport::WriteFile(path, reinterpret_cast<const char *>(data) + 1, size - 1);
    catalogue.LoadSongDatabase(path);
    CheckCatalogue(catalogue);
    // A text list never holds number 0: such lines are dropped.
    for (int i = 0; i < int(catalogue.songCount()); ++i)
        FUZZ_CHECK(catalogue.Record(i).number != 0);
    return 0;
}
