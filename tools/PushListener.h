#pragma once

class TerminalSession;

// `melodeck listen`: stays connected and prints every packet the server sends
// unasked (QueueList and relayed keys to the local client, station messages to
// any station) as a block, flushed at once, until SIGINT or SIGTERM.
class PushListener
{
public:
    explicit PushListener(TerminalSession &session) : m_session(session) {}

    // Listens on an open session; 0 when stopped by a signal, 1 when the
    // connection ends or goes out of step.
    int Run();

private:
    TerminalSession &m_session;
};
