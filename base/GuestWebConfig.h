#pragma once

#include <QString>

// The guest web front: song book and requests from phones, and the venue
// screen; kept in section "GuestWeb" of "Moxi.ini".
struct GuestWebConfig
{
    static constexpr int kDefaultPort = 3880;
    static constexpr int kDefaultStation = 99;

    bool Enabled = true;           // serve the pages at all
    int Port = kDefaultPort;       // ORVA_RS_WEB_PORT overrides it
    bool Requests = true;          // guests may request songs (else they only browse)
    int Station = kDefaultStation; // the station number web requests are queued under
    int MaxPerGuest = 3;           // songs one guest may have queued; 0 = no limit
    QString Pin;                   // empty = none

    bool operator==(const GuestWebConfig &) const = default;
};

// Reads section "GuestWeb" of DataPath("Moxi.ini"); missing keys keep the
// defaults; a port outside 1..65535 reads as the default, a negative limit as none.
void LoadGuestWebSettings(GuestWebConfig &config);
// Writes the six keys; other sections and comments stay. Failures are ignored.
void SaveGuestWebSettings(const GuestWebConfig &config);
