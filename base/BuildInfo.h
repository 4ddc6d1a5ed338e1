#pragma once

#include <QString>

// When and as what this program was built, for the start line of the log.
namespace BuildInfo {
QString Date(); // "Aug 29 2011"
QString Time(); // "18:59:22"
QString Version();
} // namespace BuildInfo
