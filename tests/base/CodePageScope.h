#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sets ORVA_RS_CODEPAGE (or removes it, for nullptr) for the scope's lifetime,
// so the ANSI code page a test relies on does not come from the environment.
class CodePageScope
{
public:
    explicit CodePageScope(const char *value)
        : m_had(qEnvironmentVariableIsSet("ORVA_RS_CODEPAGE")), m_old(qgetenv("ORVA_RS_CODEPAGE"))
    {
        if (value)
            qputenv("ORVA_RS_CODEPAGE", value);
        else
            qunsetenv("ORVA_RS_CODEPAGE");
    }
    ~CodePageScope()
    {
        if (m_had)
            qputenv("ORVA_RS_CODEPAGE", m_old);
        else
            qunsetenv("ORVA_RS_CODEPAGE");
    }
    CodePageScope(const CodePageScope &) = delete;
    CodePageScope &operator=(const CodePageScope &) = delete;

private:
    bool m_had;
    QByteArray m_old;
};
