#pragma once

// The venue's own rules for the queue, all off unless the operator turns them
// on; kept in section "Venue" of "Moxi.ini".
struct VenueConfig
{
    bool KeepQueue = false;    // journal the queue so that it survives a crash
    bool Rotation = false;     // a station's n-th song goes after every other station's n-th
    bool NoDuplicates = false; // refuse a song number already queued
    int MaxPerStation = 0;     // refuse a station holding this many entries; 0 = no limit

    bool operator==(const VenueConfig &) const = default;
};

// Reads section "Venue" of DataPath("Moxi.ini"); missing keys leave a rule off.
void LoadVenueSettings(VenueConfig &config);
// Writes the four keys; other sections and comments stay. Failures are ignored.
void SaveVenueSettings(const VenueConfig &config);
