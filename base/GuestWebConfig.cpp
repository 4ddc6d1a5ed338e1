#include "base/GuestWebConfig.h"

#include "base/DataPath.h"
#include "base/NumberText.h"
#include "base/PrivateProfile.h"

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("GuestWeb");

int ReadInt(const PrivateProfile &ini, const char *key, int fallback)
{
    const QString text =
        ini.GetString(kSection, QString::fromLatin1(key), QString::number(fallback));
    return ParseLeadingInt(QStringView(text).left(259));
}

void WriteInt(const PrivateProfile &ini, const char *key, int value)
{
    ini.WriteString(kSection, QString::fromLatin1(key), QString::number(value));
}

} // namespace

void LoadGuestWebSettings(GuestWebConfig &config)
{
    const PrivateProfile ini(DataPath(QStringLiteral("Moxi.ini")));
    const GuestWebConfig defaults;
    config.Enabled = ReadInt(ini, "Enabled", 1) != 0;
    const int port = ReadInt(ini, "Port", defaults.Port);
    config.Port = port > 0 && port <= 65535 ? port : defaults.Port;
    config.Requests = ReadInt(ini, "Requests", 1) != 0;
    config.Station = ReadInt(ini, "Station", defaults.Station);
    config.MaxPerGuest = std::max(ReadInt(ini, "MaxPerGuest", defaults.MaxPerGuest), 0);
    config.Pin = ini.GetString(kSection, QStringLiteral("Pin"), QString()).left(32);
}

void SaveGuestWebSettings(const GuestWebConfig &config)
{
    const PrivateProfile ini(DataPath(QStringLiteral("Moxi.ini")));
    WriteInt(ini, "Enabled", config.Enabled ? 1 : 0);
    WriteInt(ini, "Port", config.Port);
    WriteInt(ini, "Requests", config.Requests ? 1 : 0);
    WriteInt(ini, "Station", config.Station);
    WriteInt(ini, "MaxPerGuest", config.MaxPerGuest);
    ini.WriteString(kSection, QStringLiteral("Pin"), config.Pin);
}
