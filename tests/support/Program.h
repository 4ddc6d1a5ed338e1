#pragma once

#include <QProcess>
#include <QStringDecoder>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>

// Changes to the environment: name and value, a null value removing the variable.
using EnvChanges = QList<std::pair<QString, QString>>;

// This process's environment with `changes` made.
inline QProcessEnvironment Environment(const EnvChanges &changes)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : changes)
        value.isNull() ? environment.remove(name) : environment.insert(name, value);
    return environment;
}

// A program's output as text; anything but UTF-8 fails the test, so that
// comparing the text is as strict as comparing the bytes.
inline QString Utf8Output(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    EXPECT_FALSE(decoder.hasError()) << "not UTF-8: " << bytes.toHex(' ').toStdString();
    return text;
}

// How a command-line program ended (-1: not normally, or not within two
// minutes) and what it printed.
struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
    bool operator==(const ToolRun &) const = default;
};

// Shows a run in a failed comparison.
inline void PrintTo(const ToolRun &run, std::ostream *out)
{
    *out << "exit " << run.exitCode << ", out \"" << run.out.toStdString() << "\", err \""
         << run.err.toStdString() << '"';
}

inline ToolRun RunProgram(const QString &program, const QStringList &arguments,
                          const EnvChanges &environment = {})
{
    QProcess process;
    process.setProcessEnvironment(Environment(environment));
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), Utf8Output(process.readAllStandardOutput()),
            Utf8Output(process.readAllStandardError())};
}
