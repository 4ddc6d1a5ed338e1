// Fuzzes the "Moxi.ini" reader. The input is the file; the settings read from
// it must be within bounds, and saving them must not change what is read back.
#include "base/DataPath.h"
#include "base/QueConfig.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::WriteFile(DataPath(QStringLiteral("Moxi.ini")),
                           reinterpret_cast<const char *>(data), size);
    QueConfig read;
    LoadSettings(read);
    FUZZ_CHECK(read.Users <= QueConfig::kMaxUsers);
    SaveSettings(read);
    QueConfig again;
    LoadSettings(again);
    FUZZ_CHECK(read == again);
    return 0;
}
