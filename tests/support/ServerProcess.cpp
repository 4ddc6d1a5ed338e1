#include "tests/support/ServerProcess.h"

#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QDir>
#include <QTcpServer>
#include <csignal>

#ifndef ORVA_SERVER_BINARY
#define ORVA_SERVER_BINARY ""
#endif

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4, 0);
    return probe.serverPort();
}

QHostAddress TerminalAddress(int n)
{
    return QHostAddress(quint32((127u << 24) | quint32(2 + n)));
}

ServerProcess::ServerProcess()
{
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { ReadOutput(); });
}

ServerProcess::~ServerProcess()
{
    // A clean stop also removes the server's single-instance lock file.
    if (m_process.state() != QProcess::NotRunning && Stop(SIGTERM) < 0) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

void ServerProcess::WriteDataFile(const QString &name, const QByteArray &bytes)
{
    WriteFileBytes(DataFile(name), bytes);
}

QString ServerProcess::DataFile(const QString &name) const
{
    return m_home.path() + QStringLiteral("/Documents/ORVA RS Server/") + name;
}

bool ServerProcess::Start(const QStringList &arguments, const QString &workingDir)
{
    if (!Launch(FreePort(), arguments, workingDir))
        return false;
    return WaitForLog(QStringLiteral("MelodeckServer started port"), 10000);
}

bool ServerProcess::Launch(quint16 port, const QStringList &arguments, const QString &workingDir)
{
    m_port = port;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.remove(QStringLiteral("XDG_DOCUMENTS_DIR"));
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ORVA_RS_PORT"), QString::number(m_port));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(workingDir.isEmpty() ? m_home.path() : workingDir);
    m_process.start(QStringLiteral(ORVA_SERVER_BINARY), arguments);
    return m_process.waitForStarted(5000);
}

int ServerProcess::Stop(int signalNumber)
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitCode();
    ::kill(pid_t(m_process.processId()), signalNumber);
    if (!WaitUntil([this] { return m_process.state() == QProcess::NotRunning; }, 10000))
        return -1;
    ReadOutput();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void ServerProcess::ReadOutput()
{
    m_partial += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        m_lines.append(QString::fromUtf8(m_partial.left(end)));
        m_partial.remove(0, end + 1);
    }
}

bool ServerProcess::WaitForLog(const QString &text, int timeoutMs)
{
    return WaitUntil([&] { return CountLog(text) > 0; }, timeoutMs);
}

int ServerProcess::CountLog(const QString &text)
{
    ReadOutput();
    int count = 0;
    for (const QString &line : std::as_const(m_lines))
        if (line.contains(text))
            ++count;
    return count;
}

QStringList ServerProcess::LogLines()
{
    ReadOutput();
    return m_lines;
}

QByteArray ServerProcess::StandardError()
{
    m_stderr += m_process.readAllStandardError();
    return m_stderr;
}
