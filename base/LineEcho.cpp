#include "base/LineEcho.h"

#include "base/LocalClock.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

LineEcho::LineEcho(int fd) : m_fd(fd)
{
    // A file takes every write whole and at once; only a pipe or terminal
    // can have a reader that stops taking lines.
    struct stat status = {};
    m_regularFile = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
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
        if (m_regularFile)
            Flush();
        else
            DropOldest();
    }
    if (!QCoreApplication::instance())
        Flush();
    else
        Schedule(0);
}

bool LineEcho::Flush()
{
    while (!m_waiting.isEmpty()) {
        if (!m_regularFile) {
            pollfd out = {m_fd, POLLOUT, 0};
            if (::poll(&out, 1, 0) != 1)
                break; // not writable now: tried again later
            if (out.revents & (POLLERR | POLLHUP | POLLNVAL)) {
                m_droppedLines += m_waiting.count('\n') - (m_noticeBytes > 0 ? 1 : 0);
                m_waiting.clear();
                m_noticeBytes = 0; // nobody reads any more, nobody to tell
                break;
            }
            if (!(out.revents & POLLOUT))
                break;
        }
        // A pipe or terminal that says it is writable takes at least PIPE_BUF
        // bytes without blocking; a file takes everything.
        const qsizetype chunk = m_regularFile ? m_waiting.size() : qsizetype(PIPE_BUF);
        const ssize_t written =
            ::write(m_fd, m_waiting.constData(), size_t(std::min(m_waiting.size(), chunk)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN)
            break;
        if (written <= 0) {
            m_droppedLines += m_waiting.count('\n') - (m_noticeBytes > 0 ? 1 : 0);
            m_waiting.clear();
            m_noticeBytes = 0;
            break;
        }
        m_waiting.remove(0, written);
        // The notice has begun to reach the reader: later drops get their own.
        m_noticeBytes = 0;
        m_unreported = 0;
    }
    if (!m_waiting.isEmpty())
        Schedule(kRetryMs);
    return m_waiting.isEmpty();
}

// Keeps the newest half of what waits, from the start of a line, behind one
// line that counts every line dropped since the reader last took any.
void LineEcho::DropOldest()
{
    m_waiting.remove(0, m_noticeBytes); // replaced by one with the new count
    const qsizetype cut = m_waiting.indexOf('\n', m_waiting.size() - kMaxWaiting / 2) + 1;
    const qint64 dropped = QByteArrayView(m_waiting).first(cut).count('\n');
    m_waiting.remove(0, cut);
    m_droppedLines += dropped;
    m_unreported += dropped;
    const QByteArray notice = LocalClock::Stamp().toUtf8() + '\t' +
                              QByteArray::number(m_unreported) +
                              " log lines dropped: the reader of standard output was not "
                              "reading.\n";
    m_waiting.prepend(notice);
    m_noticeBytes = notice.size();
}

void LineEcho::Schedule(int delayMs)
{
    // Without an event loop to come back to, lines are written at once instead.
    if (QCoreApplication::instance() && !m_flush.isActive())
        m_flush.start(delayMs);
}
