// Loads one catalogue file as the server does and prints the process's peak
// resident memory. Run: build/orva_catalogue_memory FILE.dat|FILE.txt

#include "catalogue/SongCatalogue.h"

#include <QString>
#include <cstdio>
#include <sys/resource.h>

namespace {

long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: orva_catalogue_memory FILE.dat|FILE.txt\n", stderr);
        return 2;
    }
    const long before = PeakKiB();
    SongCatalogue catalogue;
    catalogue.LoadSongDatabase(QString::fromLocal8Bit(argv[1]));
    std::printf("songs %u, peak RSS %ld KiB (%ld KiB before the catalogue)\n",
                catalogue.songCount(), PeakKiB(), before);
    return catalogue.songCount() > 0 ? 0 : 1;
}
