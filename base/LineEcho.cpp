#include "base/LineEcho.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <limits>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

LineEcho::LineEcho(int fd) : m_fd(fd)
{
    // A file takes any write at once; a pipe or terminal that says it is
    // writable takes at least PIPE_BUF bytes without blocking.
    struct stat status = {};
    const bool file = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    m_chunk = file ? std::numeric_limits<qsizetype>::max() : qsizetype(PIPE_BUF);
    m_flush.setSingleShot(true);
    QObject::connect(&m_flush, &QTimer::timeout, [this] { Flush(); });
}

LineEcho::~LineEcho()
{
    Flush();
}

void LineEcho::Append(QByteArrayView lines)
{
    m_waiting.append(lines.data(), lines.size());
    if (m_waiting.size() > kMaxWaiting) {
        // Keep the newest half, from the start of a line.
        const qsizetype cut = m_waiting.indexOf('\n', m_waiting.size() - kMaxWaiting / 2) + 1;
        m_droppedLines += QByteArrayView(m_waiting).first(cut).count('\n');
        m_waiting.remove(0, cut);
    }
    if (!QCoreApplication::instance())
        Flush();
    else
        Schedule(0);
}

bool LineEcho::Flush()
{
    while (!m_waiting.isEmpty()) {
        pollfd out = {m_fd, POLLOUT, 0};
        if (::poll(&out, 1, 0) != 1)
            break; // not writable now: tried again later
        if (out.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            m_droppedLines += m_waiting.count('\n'); // nobody reads any more
            m_waiting.clear();
            break;
        }
        if (!(out.revents & POLLOUT))
            break;
        const ssize_t written =
            ::write(m_fd, m_waiting.constData(), size_t(std::min(m_waiting.size(), m_chunk)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN)
            break;
        if (written <= 0) {
            m_droppedLines += m_waiting.count('\n');
            m_waiting.clear();
            break;
        }
        m_waiting.remove(0, written);
    }
    if (!m_waiting.isEmpty())
        Schedule(kRetryMs);
    return m_waiting.isEmpty();
}

void LineEcho::Schedule(int delayMs)
{
    // Without an event loop to come back to, lines are written at once instead.
    if (QCoreApplication::instance() && !m_flush.isActive())
        m_flush.start(delayMs);
}
