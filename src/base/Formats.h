#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace vx {

// Every date, time and number text the program writes or shows, made from Clock values so
// that tests are exact. 12-hour clocks show AM or PM.

std::string formatStampDateTime(const LocalDateTime& t);  // "yyyy.mm.dd - hh:mm AMPM": 2026.12.06 - 10:51 AM
std::string formatLastCall(const LocalDateTime& t);       // "mm/dd/yyyy hh:mmAMPM":    12/06/2026 10:51AM
std::string formatEditStamp(const LocalDateTime& t);      // "mm/dd/yyyy hh:mm AMPM":   12/06/2026 10:51 AM
std::string formatLogStamp(const LocalDateTime& t);       // "mmdd-hh:mm:ss ":          1206-10:51:21 (24 h)
std::string formatSessionStamp(const LocalDateTime& t);   // "yymmdd-hh:mm":            261206-10:51
std::string formatFileStamp(const LocalDateTime& t);      // "yyyymmdd-hhmmss":         20261206-105121

// The general date-and-time text: month/day/year and a 12-hour time with seconds, as
// "12/6/2026 10:51:21 AM". The date is left out for the zero date (30 December 1899), so the
// zero date reads "12:00:00 AM"; the time is left out at exactly midnight of any other day.
std::string formatGeneralDateTime(const LocalDateTime& t);
// Reads the date and time texts the program writes (general, LastCall and edit-stamp forms,
// date only, time only), and the dates Windows writes under other regional settings:
// "2024-11-30 23:02:00" and "06.12.2019 21:15:02". Returns nothing for a text that is not a
// valid date or time.
std::optional<LocalDateTime> parseGeneralDateTime(std::string_view text);

// "#,##0": 1234567 -> "1,234,567".
std::string formatThousands(std::int64_t value);
// A number with a sign position: " 500" for non-negative values, "-5" for negative ones.
std::string formatLeadingBlank(std::int64_t value);
// "hh:mm:ss" of a duration in seconds (hours not limited to two digits).
std::string formatClockDuration(std::int64_t seconds);

// A duration: minutes as two digits, with ":ss" when withSeconds, prefixed by "h:" when there
// are hours or forceHours is set. 3725 s (false, true) -> "1:02:05"; 125 s (false, false) -> "02".
std::string FormatOnlineTime(std::int64_t seconds, bool forceHours, bool withSeconds);

// The leading number of a text: leading blanks skipped, an optional sign, digits, and a decimal
// fraction rounded to the nearest whole number (halves to even). 0 when there is no number.
std::int64_t parseLeadingNumber(std::string_view text);
// True when the whole text, blanks aside, is one number.
bool isWholeNumberText(std::string_view text);

std::int16_t clampToInt16(std::int64_t value);
std::int32_t clampToInt32(std::int64_t value);

}  // namespace vx
