#include <QDir>
#include <QFile>
#include <cstdint>
#include <gtest/gtest.h>
#include <ostream>

// Every fuzz target's entry points, renamed for this program.
#define ORVA_FUZZ_ENTRY(name)                                                                      \
    extern "C" int FuzzInitialize_##name(int *, char ***);                                         \
    extern "C" int FuzzOneInput_##name(const uint8_t *, size_t);
ORVA_FUZZ_ENTRY(channel)
ORVA_FUZZ_ENTRY(songlist)
ORVA_FUZZ_ENTRY(database)
ORVA_FUZZ_ENTRY(favorites)
ORVA_FUZZ_ENTRY(settings)

namespace {

struct Target
{
    const char *name;
    int (*initialize)(int *, char ***);
    int (*oneInput)(const uint8_t *, size_t);
};

// Test names and failures show the target's name.
void PrintTo(const Target &target, std::ostream *out)
{
    *out << target.name;
}

#define ORVA_FUZZ_TARGET(name) Target(#name, FuzzInitialize_##name, FuzzOneInput_##name)

class FuzzReplay : public ::testing::TestWithParam<Target>
{
};

// Seeds and kept findings of a target run through it again: a broken
// invariant or a sanitizer report ends the program, failing the test.
TEST_P(FuzzReplay, ReplaysCorpusAndRegressions)
{
    const Target target = GetParam();
    ASSERT_EQ(target.initialize(nullptr, nullptr), 0);
    int replayed = 0;
    for (const char *kind : {"corpus", "regressions"}) {
        const QDir dir(QStringLiteral(ORVA_FUZZ_DIR "/%1/%2").arg(kind, target.name));
        for (const QString &file : dir.entryList(QDir::Files, QDir::Name)) {
            QFile input(dir.filePath(file));
            ASSERT_TRUE(input.open(QIODevice::ReadOnly)) << file.toStdString();
            const QByteArray bytes = input.readAll();
            SCOPED_TRACE(file.toStdString());
            EXPECT_EQ(target.oneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                      size_t(bytes.size())),
                      0);
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no seeds for " << target.name;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::Values(ORVA_FUZZ_TARGET(channel), ORVA_FUZZ_TARGET(songlist),
                                           ORVA_FUZZ_TARGET(database), ORVA_FUZZ_TARGET(favorites),
                                           ORVA_FUZZ_TARGET(settings)),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
