#include "base/VenueConfig.h"

#include "base/DataPath.h"
#include "base/PrivateProfile.h"

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("Venue");

int ReadInt(const PrivateProfile &ini, const char *key)
{
    return ini.GetInt(kSection, QString::fromLatin1(key), 0);
}

void WriteInt(const PrivateProfile &ini, const char *key, int value)
{
    ini.WriteInt(kSection, QString::fromLatin1(key), value);
}

} // namespace

void LoadVenueSettings(VenueConfig &config)
{
    const PrivateProfile ini(DataPath(QStringLiteral("Moxi.ini")));
    config.KeepQueue = ReadInt(ini, "KeepQueue") != 0;
    config.Rotation = ReadInt(ini, "Rotation") != 0;
    config.NoDuplicates = ReadInt(ini, "NoDuplicates") != 0;
    // A negative limit reads as none.
    config.MaxPerStation = std::max(ReadInt(ini, "MaxPerStation"), 0);
}

void SaveVenueSettings(const VenueConfig &config)
{
    const PrivateProfile ini(DataPath(QStringLiteral("Moxi.ini")));
    WriteInt(ini, "KeepQueue", config.KeepQueue ? 1 : 0);
    WriteInt(ini, "Rotation", config.Rotation ? 1 : 0);
    WriteInt(ini, "NoDuplicates", config.NoDuplicates ? 1 : 0);
    WriteInt(ini, "MaxPerStation", config.MaxPerStation);
}
