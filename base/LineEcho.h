#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QTimer>

// Copies log lines to a file descriptor (standard output) without ever making
// the event loop wait for its reader. The lines of one batch of events leave
// in one write once the loop is back. What a reader that stopped reading (a
// paused pager, a terminal held with Ctrl-S) does not take waits and is tried
// again; past kMaxWaiting bytes the oldest lines are dropped. Lines for a
// reader that went away are dropped.
class LineEcho
{
public:
    static constexpr qsizetype kMaxWaiting = 1 << 20;
    static constexpr int kRetryMs = 100;

    explicit LineEcho(int fd);
    // Writes what still waits, as far as the reader takes it now.
    ~LineEcho();
    LineEcho(const LineEcho &) = delete;
    LineEcho &operator=(const LineEcho &) = delete;

    // Queues one or more whole lines, each ending in a newline.
    void Append(QByteArrayView lines);
    // Writes what the descriptor takes without waiting; true when nothing is left.
    bool Flush();

    qsizetype waiting() const { return m_waiting.size(); }
    qint64 droppedLines() const { return m_droppedLines; }

private:
    void Schedule(int delayMs);

    int m_fd;
    qsizetype m_chunk; // the most one write may carry without blocking
    QByteArray m_waiting;
    QTimer m_flush;
    qint64 m_droppedLines = 0;
};
