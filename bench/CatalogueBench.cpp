// Load times of a full catalogue (200,000 songs) from each kind of file, and
// the cost of a number lookup. Run: build/orva_catalogue_bench

#include "catalogue/SongCatalogue.h"
#include "tools/SongGenerator.h"
#include "tools/SongListWriter.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The benchmark's catalogue files, generated once into a temporary folder.
struct BenchFiles
{
    QTemporaryDir dir;
    QString dat = dir.filePath(QStringLiteral("full.dat"));
    QString utf8 = dir.filePath(QStringLiteral("full-utf8.txt"));
    QString utf8NoMark = dir.filePath(QStringLiteral("full-utf8-nomark.txt"));
    QString utf16 = dir.filePath(QStringLiteral("full-utf16.txt"));
    QString ansi = dir.filePath(QStringLiteral("full-ansi.txt"));

    BenchFiles()
    {
        const int count = SongCatalogue::kCapacity;
        const QList<CatalogueSong> withExtra = SongGenerator().Generate(count, true);
        const QList<CatalogueSong> plain = SongGenerator().Generate(count, false);
        const QString errors =
            SongListWriter::WriteRecordFiles(dat, withExtra, 0x5EED0001) +
            SongListWriter::WriteTextList(utf8, plain, SongListWriter::Encoding::Utf8WithMark) +
            SongListWriter::WriteTextList(utf8NoMark, plain, SongListWriter::Encoding::Utf8) +
            SongListWriter::WriteTextList(utf16, plain, SongListWriter::Encoding::Utf16Le) +
            SongListWriter::WriteTextList(ansi, plain, SongListWriter::Encoding::Ansi);
        if (!errors.isEmpty())
            qFatal("cannot write benchmark files: %s", qPrintable(errors));
    }
};

const BenchFiles &Files()
{
    static const BenchFiles files;
    return files;
}

// One catalogue for the whole run, as the server has.
SongCatalogue &Catalogue()
{
    static SongCatalogue catalogue;
    return catalogue;
}

void Load(benchmark::State &state, const QString &path)
{
    SongCatalogue &catalogue = Catalogue();
    for (auto _ : state)
        catalogue.LoadSongDatabase(path);
    if (catalogue.songCount() != quint32(SongCatalogue::kCapacity))
        state.SkipWithError("the catalogue is not full");
}

void BM_LoadRecordFile(benchmark::State &state)
{
    Load(state, Files().dat);
}

void BM_LoadTextUtf8(benchmark::State &state)
{
    Load(state, Files().utf8);
}

void BM_LoadTextUtf8WithoutMark(benchmark::State &state)
{
    Load(state, Files().utf8NoMark);
}

void BM_LoadTextUtf16(benchmark::State &state)
{
    Load(state, Files().utf16);
}

void BM_LoadTextAnsi(benchmark::State &state)
{
    Load(state, Files().ansi);
}

// A number that no song has: the lookup's longest path.
void BM_FindMissingNumber(benchmark::State &state)
{
    SongCatalogue &catalogue = Catalogue();
    catalogue.LoadSongDatabase(Files().dat);
    for (auto _ : state)
        benchmark::DoNotOptimize(catalogue.FindSongByNumber(5));
}

// The song loaded last.
void BM_FindLastLoadedNumber(benchmark::State &state)
{
    SongCatalogue &catalogue = Catalogue();
    catalogue.LoadSongDatabase(Files().dat);
    const quint32 number = catalogue.Record(int(catalogue.songCount()) - 1).number;
    for (auto _ : state)
        benchmark::DoNotOptimize(catalogue.FindSongByNumber(number));
}

// Each repetition is one load; the median over the repetitions is the figure.
#define ORVA_LOAD_BENCHMARK(name)                                                                  \
    BENCHMARK(name)                                                                                \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(1)                                                                            \
        ->Repetitions(15)                                                                          \
        ->ReportAggregatesOnly(true)

ORVA_LOAD_BENCHMARK(BM_LoadRecordFile);
ORVA_LOAD_BENCHMARK(BM_LoadTextUtf8);
ORVA_LOAD_BENCHMARK(BM_LoadTextUtf8WithoutMark);
ORVA_LOAD_BENCHMARK(BM_LoadTextUtf16);
ORVA_LOAD_BENCHMARK(BM_LoadTextAnsi);
BENCHMARK(BM_FindMissingNumber);
BENCHMARK(BM_FindLastLoadedNumber);

} // namespace

BENCHMARK_MAIN();
