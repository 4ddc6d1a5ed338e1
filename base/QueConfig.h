#pragma once

// The queue options the terminals are told, and the terminal limit.
// The defaults are the values before "Moxi.ini" is read.
struct QueConfig
{
    bool Tempo = false;
    bool Pitch = false;
    bool Sync = false;
    bool Confirm = false;
    bool Delete = false;
    bool Uname = false;
    int Remocon = 2; // 2 reserve + remote, 1 reserve only, 0 neither
    int Users = 3;   // "Maximum Melodecks", at most 30

    static constexpr int kMaxUsers = 30;

    bool operator==(const QueConfig &) const = default;
};

// Reads section "QueConfig" of DataPath("Moxi.ini"); missing keys take the
// loading defaults (flags on, Remocon 2, Users 3). Never creates the file.
void LoadSettings(QueConfig &config);
// Writes the eight keys in order; write failures are ignored.
void SaveSettings(const QueConfig &config);
