#include "base/QueConfig.h"

#include "base/DataPath.h"
#include "base/PrivateProfile.h"

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("QueConfig");

int ReadInt(const PrivateProfile &ini, const char *key, int fallback)
{
    return ini.GetInt(kSection, QString::fromLatin1(key), fallback);
}

void WriteInt(const PrivateProfile &ini, const char *key, int value)
{
    ini.WriteInt(kSection, QString::fromLatin1(key), value);
}

} // namespace

void LoadSettings(QueConfig &config)
{
    const PrivateProfile ini(DataPath(QStringLiteral("Moxi.ini")));
    config.Tempo = ReadInt(ini, "Tempo", 1) != 0;
    config.Pitch = ReadInt(ini, "Pitch", 1) != 0;
    config.Sync = ReadInt(ini, "Sync", 1) != 0;
    config.Confirm = ReadInt(ini, "Confirm", 1) != 0;
    config.Delete = ReadInt(ini, "Delete", 1) != 0;
    config.Uname = ReadInt(ini, "Uname", 1) != 0;
    config.Remocon = ReadInt(ini, "Remocon", 2);
    config.Users = std::min(ReadInt(ini, "Users", 3), QueConfig::kMaxUsers);
}

void SaveSettings(const QueConfig &config)
{
    const PrivateProfile ini(DataPath(QStringLiteral("Moxi.ini")));
    WriteInt(ini, "Tempo", config.Tempo ? 1 : 0);
    WriteInt(ini, "Pitch", config.Pitch ? 1 : 0);
    WriteInt(ini, "Sync", config.Sync ? 1 : 0);
    WriteInt(ini, "Confirm", config.Confirm ? 1 : 0);
    WriteInt(ini, "Delete", config.Delete ? 1 : 0);
    WriteInt(ini, "Uname", config.Uname ? 1 : 0);
    WriteInt(ini, "Remocon", config.Remocon);
    WriteInt(ini, "Users", config.Users);
}
