#pragma once

#include <QHostAddress>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The real server binary, started offscreen with its own HOME and port; its
// standard output is the event log, read line by line.
class ServerProcess
{
public:
    ServerProcess();
    ~ServerProcess();

    // Prepares a file in the data folder before start, e.g. "Moxi.ini".
    void WriteDataFile(const QString &name, const QByteArray &bytes);
    QString DataFile(const QString &name) const;
    QString home() const { return m_home.path(); }
    quint16 port() const { return m_port; }

    // Starts the server and waits for its start line; false when it did not start.
    bool Start(const QStringList &arguments = {}, const QString &workingDir = QString());
    // Starts the server on a given port without waiting for anything.
    bool Launch(quint16 port, const QStringList &arguments = {},
                const QString &workingDir = QString());
    // Sends a signal and waits for the exit; the exit code, or -1.
    int Stop(int signalNumber = 15);

    // Waits until a log line containing `text` has been seen (since the start).
    bool WaitForLog(const QString &text, int timeoutMs = 5000);
    // The number of log lines seen so far containing `text`.
    int CountLog(const QString &text);
    QStringList LogLines();
    // Everything the server wrote to standard error so far.
    QByteArray StandardError();

    QProcess &process() { return m_process; }

private:
    void ReadOutput();

    QTemporaryDir m_home;
    QProcess m_process;
    quint16 m_port = 0;
    QStringList m_lines;
    QByteArray m_partial;
    QByteArray m_stderr;
};

// A port on which nothing listens right now.
quint16 FreePort();
// A loopback address other than 127.0.0.1 for terminal `n` (127.0.0.2 for n = 0, ...).
QHostAddress TerminalAddress(int n);
