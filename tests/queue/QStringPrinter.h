#pragma once

#include <QString>
#include <ostream>

// Lets test failures show QString values (and lists of them) as readable text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
