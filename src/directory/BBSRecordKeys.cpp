#include "directory/BBSRecordKeys.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <type_traits>

#include "base/Formats.h"
#include "config/ConfigSettings.h"

namespace vx {
namespace {

using K = BBSRecordKey::Kind;
using W = BBSRecordKey::Written;
using M = BBSRecordKey::MacroPart;
using R = BBSRecord;

constexpr BBSRecordKey::Range kPort{0, 65535};
constexpr BBSRecordKey::Range kInt16{std::numeric_limits<std::int16_t>::min(),
                                     std::numeric_limits<std::int16_t>::max()};
constexpr BBSRecordKey::Range kInt32{std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()};

constexpr auto kText = &StoredMacro::text;
constexpr auto kHidden = &StoredMacro::hidden;

// key, member, kind, value when missing, written, in a new list, clamp, CSV column, read back
const std::array<BBSRecordKey, 51> kKeys = {{
    {"BBSname", &R::BBSname, K::Text, "{Enter BBS Name}", W::Always, true, {}, "Name"},
    {"URL", &R::URL, K::Text, "{Enter URL}", W::Always, true, {}, "Address"},
    {"Port", &R::Port, K::Number, "{Enter Port}", W::Always, true, kPort, "Port"},
    {"PortList", &R::PortList, K::Text, "8888 9000 23", W::Always, true},
    {"Sysop", &R::Sysop, K::Text, "", W::Always, true, {}, "Sysop"},
    // Written at every save, but a record is never loaded as deleted.
    {"Deleted", &R::Deleted, K::Flag, "0", W::Always, true, {}, nullptr, false},
    {"Created", &R::Created, K::Date, "0", W::Always, true},
    {"LastCall", &R::LastCall, K::Date, "0", W::Statistics, true},
    {"LastEdited", &R::LastEdited, K::Date, "0", W::Always, true},
    {"LastTimeOnline", &R::LastTimeOnline, K::Text, "", W::Always, false},
    {"LANtronix", &R::LANtronix, K::Flag, "0", W::Always, false},
    {"HideFromList", &R::HideFromList, K::Flag, "0", W::Always, false},
    {"ClrBufferOnDisc", &R::ClrBufferOnDisc, K::Flag, "0", W::Always, false},
    {"AlarmColEnabled", &R::AlarmColEnabled, K::Flag, "0", W::Always, false},
    {"NoWrap", &R::NoWrap, K::Flag, "0", W::Always, false},
    {"BBSXv1", &R::BBSXv1, K::Flag, "0", W::Always, false},
    {"BBSXDelay", &R::BBSXDelay, K::NumberText, "300", W::Always, false},
    {"OneAtaTime", &R::OneAtaTime, K::Flag, "0", W::Always, false},
    {"MaxBaud", &R::MaxBaud, K::Number, "0", W::Always, false, kInt32},
    {"Website", &R::Website, K::Text, "", W::Always, true, {}, "Website"},
    {"Comment", &R::Comment, K::Text, "", W::Always, true, {}, "Comment"},
    {"StayAlive", &R::StayAlive, K::Flag, "0", W::Always, true},
    {"Mode80Col", &R::Mode80Col, K::Flag, "0", W::Always, true},
    {"BaudSim", &R::BaudSim, K::Flag, "0", W::Always, true},
    {"Permanent", &R::Permanent, K::Flag, "0", W::Always, true},
    {"Connects", &R::Connects, K::Number, "0", W::Always, false, kInt32},
    {"TotalTime", &R::TotalTime, K::Number, "0", W::StatisticsCopy, false, kInt32},
    {"AlarmColValue", &R::AlarmColValue, K::Number, "30", W::Always, false, kInt16},
    {"SendDelayValue", &R::SendDelayValue, K::Number, "0", W::Always, false, kInt16},
    {"Signature", &R::Signature, K::TrimmedText, " ", W::Always, true},
    // A board spoken to as it always was keeps its section as it was, so lists of other
    // programs keep their keys.
    {"Protocol", &R::Protocol, K::Protocol, "Raw", W::UnlessMissing, false, {}, "Protocol"},
    {"Macro0", M{0, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible0", M{0, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro1", M{1, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible1", M{1, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro2", M{2, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible2", M{2, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro3", M{3, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible3", M{3, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro4", M{4, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible4", M{4, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro5", M{5, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible5", M{5, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro6", M{6, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible6", M{6, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro7", M{7, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible7", M{7, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro8", M{8, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible8", M{8, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
    {"Macro9", M{9, kText}, K::Macro, "", W::WithMacros, true},
    {"MacVisible9", M{9, kHidden}, K::MacroHidden, "", W::WithTextMacro, false},
}};

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

template <typename T>
T& memberOf(BBSRecord& record, T BBSRecord::*member) {
    return record.*member;
}
template <typename T>
const T& memberOf(const BBSRecord& record, T BBSRecord::*member) {
    return record.*member;
}
std::string& memberOf(BBSRecord& record, M macro) { return record.macros[macro.index].*macro.part; }
const std::string& memberOf(const BBSRecord& record, M macro) { return record.macros[macro.index].*macro.part; }

std::string textAsRead(K kind, const std::string& value) {
    switch (kind) {
        case K::Macro:
        case K::MacroHidden:
            return value;
        // A stored date as the record holds it: "0" when there is none. A text the date reader
        // does not know (Windows writes dates in the user's regional form) is kept as it stands,
        // so that loading and saving a record never destroys a date.
        case K::Date: {
            std::string date = trim(value);
            return date.empty() ? "0" : date;
        }
        case K::Protocol:
            return protocolName(trim(value));
        default:
            return trim(value);
    }
}

}  // namespace

std::span<const BBSRecordKey> bbsRecordKeys() { return kKeys; }

const BBSRecordKey& bbsRecordKey(const BBSRecordKey::Field& field) {
    for (const BBSRecordKey& row : kKeys)
        if (row.field == field) return row;
    // Every member has a row (the key table's test sees to it).
    std::abort();
}

bool isMacroKey(const BBSRecordKey& row) { return std::holds_alternative<M>(row.field); }

bool writtenBySave(const BBSRecordKey& row, const BBSRecord& record, bool macros, const std::function<bool()>& held) {
    switch (row.written) {
        case W::Always:
            return !macros;
        case W::UnlessMissing:
            return !macros && (savedRecordValue(row, record) != row.missing || held());
        case W::WithMacros:
            return macros;
        case W::WithTextMacro:
            return macros && !trim(record.macros[std::get<M>(row.field).index].text).empty();
        case W::Statistics:
        case W::StatisticsCopy:
            return false;
    }
    return false;
}

void loadRecordValue(const BBSRecordKey& row, const std::string& value, BBSRecord& record) {
    std::visit(
        [&](auto field) {
            auto& member = memberOf(record, field);
            using T = std::remove_reference_t<decltype(member)>;
            if constexpr (std::is_same_v<T, bool>)
                member = TextToBoolean(value);
            else if constexpr (std::is_same_v<T, std::string>)
                member = textAsRead(row.kind, value);
            else
                member = static_cast<T>(std::clamp(parseLeadingNumber(value), row.clamp.low, row.clamp.high));
        },
        row.field);
}

std::string plainRecordValue(const BBSRecordKey& row, const BBSRecord& record) {
    return std::visit(
        [&](auto field) -> std::string {
            const auto& member = memberOf(record, field);
            using T = std::remove_cvref_t<decltype(member)>;
            if constexpr (std::is_same_v<T, bool>)
                return member ? "True" : "False";
            else if constexpr (std::is_same_v<T, std::string>)
                return member;
            else
                return std::to_string(member);
        },
        row.field);
}

std::string savedRecordValue(const BBSRecordKey& row, const BBSRecord& record) {
    switch (row.kind) {
        case K::Number:
        case K::NumberText:
            return formatLeadingBlank(parseLeadingNumber(plainRecordValue(row, record)));
        case K::TrimmedText:
        case K::MacroHidden:
            return trim(plainRecordValue(row, record));
        default:
            return plainRecordValue(row, record);
    }
}

}  // namespace vx
