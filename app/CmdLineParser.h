#pragma once

#include <QString>
#include <QStringList>

// Splits a command line into arguments, argument 0 being the program path.
// Only the blank separates arguments; a double quote opens an argument that
// runs to the next double quote (or to the end of the line), tabs and quotes
// inside an unquoted argument are ordinary characters, and nothing is escaped.
class CmdLineParser
{
public:
    // Splits `commandLine`, replacing any earlier result.
    void Parse(const QString &commandLine);

    int count() const { return int(m_arguments.size()); }
    QString at(int index) const { return m_arguments.value(index); }
    const QStringList &arguments() const { return m_arguments; }

    // The line the parser reads back as `arguments`: each argument as it is,
    // or in double quotes when it is empty or holds a blank.
    static QString Join(const QStringList &arguments);

    // Whether the window should start minimised: "-minimize" sets it,
    // "--minimize" clears it, in any case; the last of them wins.
    bool minimizeRequested() const;

private:
    QStringList m_arguments;
};
