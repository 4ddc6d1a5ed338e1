// The check that decides whether a text file without a mark is UTF-8: it
// reads the whole file when the file is valid UTF-8. Run: build/orva_text_file_bench

#include "base/CStdioFileEx.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr qsizetype kFileBytes = 50 * 1000 * 1000;

// 50 MB of mark-less UTF-8, with and without line feeds, written once.
struct BenchFiles
{
    QTemporaryDir dir;
    QString oneLine = dir.filePath(QStringLiteral("one-line.txt"));
    QString lines = dir.filePath(QStringLiteral("lines.txt"));

    BenchFiles()
    {
        // Written a megabyte at a time, so making them leaves the peak memory low.
        const QByteArray word = QStringLiteral(u"Café ノート ").toUtf8();
        QByteArray block = word.repeated(1000 * 1000 / word.size());
        Write(oneLine, block);
        for (qsizetype at = 0; at < block.size(); at += word.size() * 4)
            block[at] = '\n'; // the first byte of a word, always ASCII
        Write(lines, block);
    }
    static void Write(const QString &path, const QByteArray &block)
    {
        QFile file(path);
        bool written = file.open(QIODevice::WriteOnly);
        for (qsizetype size = 0; written && size < kFileBytes; size += block.size())
            written = file.write(block) == block.size();
        if (!written)
            qFatal("cannot write %s", qPrintable(path));
    }
};

const BenchFiles &Files()
{
    static const BenchFiles files;
    return files;
}

long PeakKilobytes()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Opening a file for reading runs the check. The process's peak memory is
// reported: making the files keeps it low, so a check that holds the file shows.
void Check(benchmark::State &state, const QString &path)
{
    for (auto _ : state) {
        CStdioFileEx file;
        if (!file.Open(path, CStdioFileEx::modeRead) ||
            file.CodePage() != CStdioFileEx::kUtf8CodePage)
            state.SkipWithError("the file was not found to be UTF-8");
    }
    state.counters["process_peak_MB"] = double(PeakKilobytes()) / 1000;
}

void BM_MarklessUtf8CheckWithoutLineFeeds(benchmark::State &state)
{
    Check(state, Files().oneLine);
}

void BM_MarklessUtf8CheckWithLineFeeds(benchmark::State &state)
{
    Check(state, Files().lines);
}

BENCHMARK(BM_MarklessUtf8CheckWithoutLineFeeds)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_MarklessUtf8CheckWithLineFeeds)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
