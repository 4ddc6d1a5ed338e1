// Fuzzes the text song list loader ("orvabook.txt" and other .txt files).
// Input: byte 0 picks the ANSI code page the reader falls back to (low four
// bits) and, when its high four bits are all set, repeats the file's text up
// to 1 MiB so a list can pass the catalogue's 200,000 songs (slow, hence
// rare); the rest is the file, whose own first bytes pick UTF-16LE, UTF-8 or
// the code page.
#include "fuzz/CatalogueChecks.h"
#include "fuzz/FuzzSupport.h"

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
    const char *codePage = kCodePages[(data[0] & 0x0F) % std::size(kCodePages)];
    codePage ? void(qputenv("ORVA_RS_CODEPAGE", codePage)) : void(qunsetenv("ORVA_RS_CODEPAGE"));
    const QString path = FuzzSupport::Folder(QStringLiteral("orvabook.txt"));
    QByteArray text(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    if ((data[0] & 0xF0) == 0xF0 && !text.isEmpty())
        text = text.repeated(qsizetype(1 << 20) / text.size() + 1);
    FuzzSupport::WriteFile(path, text);
    catalogue.LoadSongDatabase(path);
    CheckCatalogue(catalogue);
    // A text list never holds number 0: such lines are dropped.
    for (int i = 0; i < int(catalogue.songCount()); ++i)
        FUZZ_CHECK(catalogue.Record(i).number != 0);
    return 0;
}
