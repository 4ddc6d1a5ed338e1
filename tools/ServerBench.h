#pragma once

#include "tools/LoadDriver.h"
#include "tools/TerminalSession.h"

#include <QList>

// What `melodeck bench` runs, and against which server.
struct BenchOptions
{
    SessionOptions session; // the server; `source` is the first terminal's address
    int terminals = 31;     // the busy case; one terminal is always measured too
    int requests = 2000;    // round trips of each kind per terminal
    qint64 serverPid = 0;   // when set, the server's CPU time is read from /proc
};

// melodeck bench: times a running server's round trips (pages, adds,
// deletions) with one terminal and with many at once, each beside an echo
// responder that answers with packets of the same sizes in the same run, then
// times whole-catalogue downloads; prints the figures as tables.
class ServerBench
{
public:
    explicit ServerBench(const BenchOptions &options);

    // Runs every measurement; the exit status.
    int Run();

private:
    // Asks the server for its song count and the number of the song halfway
    // through the catalogue (an add then looks up half the catalogue).
    bool Probe();
    bool RoundTrips(int terminals);
    bool Downloads(int terminals);
    // Runs a plan on the server and on the echo responder; prints a row per request kind.
    bool Compare(LoadDriver &server, LoadDriver &echo, const LoadDriver::Plan &plan,
                 const QList<quint32> &kinds, int terminals);
    // Server CPU milliseconds per 1,000 requests since `cpuBefore`, or "-".
    QString CpuPerThousand(qint64 cpuBefore, qint64 requests) const;

    BenchOptions m_options;
    quint32 m_songCount = 0;
    quint32 m_song = 0;
};
