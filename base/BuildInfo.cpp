#include "base/BuildInfo.h"

namespace BuildInfo {

QString Date()
{
    return QStringLiteral(__DATE__);
}

QString Time()
{
    return QStringLiteral(__TIME__);
}

QString Version()
{
    return QStringLiteral(ORVA_VERSION);
}

} // namespace BuildInfo
