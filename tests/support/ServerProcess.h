#pragma once

#include "tests/support/Program.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QHostAddress>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <csignal>

// A port on which nothing listens right now.
inline quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4, 0);
    return probe.serverPort();
}

// A loopback address other than 127.0.0.1 for terminal `n` (127.0.0.2 for n = 0, ...).
inline QHostAddress TerminalAddress(int n)
{
    return QHostAddress(quint32((127u << 24) | quint32(2 + n)));
}

// The real server binary, started offscreen with its own HOME and port; its
// standard output is the event log, read line by line.
class ServerProcess
{
public:
    ~ServerProcess()
    {
        // A clean stop also removes the server's single-instance lock file.
        if (m_process.state() != QProcess::NotRunning && Stop(SIGTERM) < 0) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    // Prepares a file in the data folder before start, e.g. "Moxi.ini".
    void WriteDataFile(const QString &name, const QByteArray &bytes)
    {
        WriteFileBytes(DataFile(name), bytes);
    }
    QString DataFile(const QString &name) const
    {
        return m_home.path() + QStringLiteral("/Documents/ORVA RS Server/") + name;
    }
    QString home() const { return m_home.path(); }
    quint16 port() const { return m_port; }
    QProcess &process() { return m_process; }

    // Starts the server and waits for its start line; false when it did not start.
    bool Start(const QStringList &arguments = {})
    {
        return Launch(FreePort(), arguments) &&
               WaitForLog(u"MelodeckServer started port"_qs, 10000);
    }
    // Starts the server on a given port, in HOME, without waiting for anything;
    // the log of an earlier run in the same HOME is forgotten.
    bool Launch(quint16 port, const QStringList &arguments = {})
    {
        m_port = port;
        m_lines.clear();
        m_partial.clear();
        m_process.setProcessEnvironment(
            Environment({{u"HOME"_qs, m_home.path()},
                         {u"XDG_DOCUMENTS_DIR"_qs, {}},
                         {u"XDG_CONFIG_HOME"_qs, {}},
                         {u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs},
                         {u"ORVA_RS_PORT"_qs, QString::number(m_port)}}));
        m_process.setWorkingDirectory(m_home.path());
        m_process.start(QStringLiteral(ORVA_SERVER_BINARY), arguments);
        return m_process.waitForStarted(5000);
    }
    // Sends a signal and waits for the exit; the exit code, or -1.
    int Stop(int signalNumber)
    {
        if (m_process.state() != QProcess::NotRunning)
            ::kill(pid_t(m_process.processId()), signalNumber);
        if (!WaitUntil([this] { return m_process.state() == QProcess::NotRunning; }, 10000))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    // Waits until a log line containing `text` has been seen (since the start).
    bool WaitForLog(const QString &text, int timeoutMs = 5000)
    {
        return WaitUntil([&] { return CountLog(text) > 0; }, timeoutMs);
    }
    int CountLog(const QString &text) { return int(LogLines().filter(text).size()); }
    QStringList LogLines()
    {
        m_partial += m_process.readAllStandardOutput();
        for (qsizetype end; (end = m_partial.indexOf('\n')) >= 0; m_partial.remove(0, end + 1))
            m_lines.append(QString::fromUtf8(m_partial.left(end)));
        return m_lines;
    }
    // Everything the server wrote to standard error so far.
    QByteArray StandardError() { return m_stderr += m_process.readAllStandardError(); }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    quint16 m_port = 0;
    QStringList m_lines;
    QByteArray m_partial;
    QByteArray m_stderr;
};
