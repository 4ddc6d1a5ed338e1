// Fuzzes the "Favorite.txt" loader. The input is the file; what loads must be
// within bounds and must come back unchanged after a save and a second load.
#include "fuzz/FuzzSupport.h"
#include "queue/FavoriteStore.h"

namespace {

void CheckStore(const FavoriteStore &store)
{
    FUZZ_CHECK(store.listCount() >= 0 && store.listCount() <= FavoriteStore::kCapacity);
    FUZZ_CHECK(store.rows().rowCount() == store.listCount());
    for (int i = 0; i < store.listCount(); ++i)
        FUZZ_CHECK(store.list(i).NameView().size() <= FavoriteStore::kMaxNameChars);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Setup();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::Folder(QStringLiteral("Favorite.txt"));
    FuzzSupport::WriteFile(path, reinterpret_cast<const char *>(data), size);
    FavoriteStore store(path);
    store.LoadFavoriteLists();
    CheckStore(store);

    FuzzSupport::WriteFile(path, store.FileBytes());
    FavoriteStore again(path);
    again.LoadFavoriteLists();
    CheckStore(again);
    FUZZ_CHECK(again.FileBytes() == store.FileBytes());
    return 0;
}
