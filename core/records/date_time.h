#pragma once
// FDataTime: a file's last-write time as stored in the tables, in local time: whole days since
// 1899-12-30 plus the elapsed fraction of the day, to the millisecond. Local time is taken with the
// offset in force at the file's own instant, so a daylight-saving change does not make every file
// look changed.

#include "platform/directory.h"

namespace tarvela {

inline constexpr double kUnixEpochDays = 25569.0; // 1970-01-01 as a date-time number

double fileTimeToDateTime(platform::FileTime t);

// The instant that a date-time number names, at millisecond precision.
platform::FileTime dateTimeToFileTime(double dateTime);

} // namespace tarvela
