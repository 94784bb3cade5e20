#include "base/Formats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <limits>

namespace vx {
namespace {

int hour12(int hour) {
    const int h = hour % 12;
    return h == 0 ? 12 : h;
}
const char* amPm(int hour) { return hour < 12 ? "AM" : "PM"; }

std::string printf2(const char* format, auto... values) {
    char text[64];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
    return days[month - 1];
}

// A small cursor over a text for the date parser.
struct Reader {
    std::string_view text;
    std::size_t at = 0;

    void skipBlanks() {
        while (at < text.size() && isBlank(text[at])) ++at;
    }
    bool done() const { return at == text.size(); }
    std::optional<int> number(int maxDigits) {
        int value = 0, digits = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) && digits < maxDigits) {
            value = value * 10 + (text[at++] - '0');
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        return value;
    }
    bool take(char c) {
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
};

bool setDate(LocalDateTime& t, int year, int month, int day) {
    if (month < 1 || month > 12 || year < 100 || day < 1 || day > daysInMonth(year, month)) return false;
    t.year = year;
    t.month = month;
    t.day = day;
    return true;
}

// Three numbers with one separator between them, or nothing (and the reader where it was).
std::optional<std::array<int, 3>> readTriple(Reader& in, char separator, std::array<int, 3> maxDigits) {
    const std::size_t start = in.at;
    std::array<int, 3> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto part = in.number(maxDigits[i]);
        if (!part || (i < 2 && !in.take(separator))) {
            in.at = start;
            return std::nullopt;
        }
        parts[i] = *part;
    }
    return parts;
}

// month/day/year as this program writes it; year-month-day (ISO) and day.month.year as Windows
// writes dates under other regional settings.
bool readDate(Reader& in, LocalDateTime& t) {
    const std::size_t start = in.at;
    if (const auto us = readTriple(in, '/', {2, 2, 4}); us && setDate(t, (*us)[2], (*us)[0], (*us)[1])) return true;
    in.at = start;
    if (const auto iso = readTriple(in, '-', {4, 2, 2}); iso && setDate(t, (*iso)[0], (*iso)[1], (*iso)[2])) {
        in.take('T');  // 2024-11-30T23:02:00
        return true;
    }
    in.at = start;
    if (const auto dotted = readTriple(in, '.', {2, 2, 4});
        dotted && setDate(t, (*dotted)[2], (*dotted)[1], (*dotted)[0]))
        return true;
    in.at = start;
    return false;
}

bool readTime(Reader& in, LocalDateTime& t) {
    const auto hour = in.number(2);
    if (!hour || !in.take(':')) return false;
    const auto minute = in.number(2);
    if (!minute || *minute > 59) return false;
    int second = 0;
    if (in.take(':')) {
        const auto s = in.number(2);
        if (!s || *s > 59) return false;
        second = *s;
    }
    in.skipBlanks();
    int h = *hour;
    const std::string_view rest = in.text.substr(in.at);
    const auto startsWith = [&](const char* marker) {
        return rest.size() >= 2 && std::toupper(static_cast<unsigned char>(rest[0])) == marker[0] &&
               std::toupper(static_cast<unsigned char>(rest[1])) == marker[1];
    };
    if (startsWith("AM") || startsWith("PM")) {
        if (h < 1 || h > 12) return false;
        const bool pm = startsWith("PM");
        h = (h % 12) + (pm ? 12 : 0);
        in.at += 2;
    } else if (h > 23) {
        return false;
    }
    t.hour = h;
    t.minute = *minute;
    t.second = second;
    return true;
}

}  // namespace

std::string formatStampDateTime(const LocalDateTime& t) {
    return printf2("%04d.%02d.%02d - %02d:%02d %s", t.year, t.month, t.day, hour12(t.hour), t.minute, amPm(t.hour));
}

std::string formatLastCall(const LocalDateTime& t) {
    return printf2("%02d/%02d/%04d %02d:%02d%s", t.month, t.day, t.year, hour12(t.hour), t.minute, amPm(t.hour));
}

std::string formatEditStamp(const LocalDateTime& t) {
    return printf2("%02d/%02d/%04d %02d:%02d %s", t.month, t.day, t.year, hour12(t.hour), t.minute, amPm(t.hour));
}

std::string formatLogStamp(const LocalDateTime& t) {
    return printf2("%02d%02d-%02d:%02d:%02d ", t.month, t.day, t.hour, t.minute, t.second);
}

std::string formatSessionStamp(const LocalDateTime& t) {
    return printf2("%02d%02d%02d-%02d:%02d", t.year % 100, t.month, t.day, t.hour, t.minute);
}

std::string formatFileStamp(const LocalDateTime& t) {
    return printf2("%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string formatGeneralDateTime(const LocalDateTime& t) {
    const bool zeroDate = t.year == 1899 && t.month == 12 && t.day == 30;
    const bool midnight = t.hour == 0 && t.minute == 0 && t.second == 0;
    const std::string date = printf2("%d/%d/%04d", t.month, t.day, t.year);
    const std::string time = printf2("%d:%02d:%02d %s", hour12(t.hour), t.minute, t.second, amPm(t.hour));
    if (zeroDate) return time;
    if (midnight) return date;
    return date + " " + time;
}

std::optional<LocalDateTime> parseGeneralDateTime(std::string_view text) {
    Reader in{text};
    in.skipBlanks();
    LocalDateTime t;
    const bool hasDate = readDate(in, t);
    in.skipBlanks();
    bool hasTime = false;
    if (!in.done()) {
        if (!readTime(in, t)) return std::nullopt;
        hasTime = true;
    }
    in.skipBlanks();
    if (!in.done() || (!hasDate && !hasTime)) return std::nullopt;
    return t;
}

std::string formatThousands(std::int64_t value) {
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    std::string out = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string formatLeadingBlank(std::int64_t value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string formatClockDuration(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    return printf2("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                   static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}

std::string FormatOnlineTime(std::int64_t seconds, bool forceHours, bool withSeconds) {
    if (seconds < 0) seconds = 0;
    const std::int64_t hours = seconds / 3600;
    std::string text = printf2("%02lld", static_cast<long long>(seconds / 60 % 60));
    if (withSeconds) text += printf2(":%02lld", static_cast<long long>(seconds % 60));
    if (hours > 0 || forceHours) text = std::to_string(hours) + ":" + text;
    return text;
}

std::int64_t parseLeadingNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10 - 1;
    std::int64_t value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        if (value < limit) value = value * 10 + (text[at] - '0');
        ++at;
    }
    if (at + 1 < text.size() && text[at] == '.' && std::isdigit(static_cast<unsigned char>(text[at + 1]))) {
        const int first = text[at + 1] - '0';
        bool restNonZero = false;
        for (std::size_t i = at + 2; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            restNonZero |= text[i] != '0';
        if (first > 5 || (first == 5 && (restNonZero || value % 2 == 1))) ++value;
    }
    return negative ? -value : value;
}

bool isWholeNumberText(std::string_view text) {
    std::size_t at = 0, end = text.size();
    while (at < end && isBlank(text[at])) ++at;
    while (end > at && isBlank(text[end - 1])) --end;
    if (at < end && (text[at] == '-' || text[at] == '+')) ++at;
    bool digits = false, point = false;
    for (; at < end; ++at) {
        if (std::isdigit(static_cast<unsigned char>(text[at])))
            digits = true;
        else if (text[at] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

std::int16_t clampToInt16(std::int64_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int16_t>::min(),
                                                              std::numeric_limits<std::int16_t>::max()));
}

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace vx
