#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QTimer>

// Copies log lines to a file descriptor (standard output) without ever making
// the event loop wait for its reader. The lines of one batch of events leave
// in one write once the loop is back. A regular file gets every line: writes
// to it do not wait for anyone, and past kMaxWaiting bytes they are written at
// once. What a reader that stopped reading (a paused pager, a terminal held
// with Ctrl-S) does not take waits and is tried again; past kMaxWaiting bytes
// the oldest lines are dropped, and a line saying how many takes their place.
// Lines for a reader that went away are dropped.
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
    void DropOldest();
    void Schedule(int delayMs);

    int m_fd;
    bool m_regularFile;
    QByteArray m_waiting;
    QTimer m_flush;
    qint64 m_droppedLines = 0;
    qint64 m_unreported = 0;     // dropped lines the reader has not been told of
    qsizetype m_noticeBytes = 0; // the unwritten line at the front that tells them
};
