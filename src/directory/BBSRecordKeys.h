#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <variant>

#include "directory/BBSRecord.h"

namespace vx {

// One key of a record section of the BBS list file. The table runs in the order a save writes
// the keys and a delete blanks them, the macros last; files written by earlier versions keep
// that order, so a row never moves.
struct BBSRecordKey {
    enum class Kind {
        Text,         // trimmed when read, written as held
        TrimmedText,  // trimmed when read and when written
        Flag,         // "True" / "False"; read as TextToBoolean
        Number,       // clamped to [low, high] when read, written with a sign position: " 23"
        NumberText,   // held as the trimmed text, written as its leading number: "12abc" -> " 12"
        Date,         // trimmed text, "0" when empty; a form the date reader does not know is kept
        Protocol,     // "Raw", "Telnet" or "Auto" from any letter case; anything else is Raw
        Macro,        // taken as the file gives it (a quoted value keeps its blanks), written as held
        MacroHidden,  // taken as the file gives it, written trimmed
    };
    enum class Written {
        Always,          // by every save of the record
        UnlessMissing,   // only when not the missing value, or when the section already holds the key
        Statistics,      // never by a save: the call statistics write it
        StatisticsCopy,  // as Statistics, and a copy writes it first, keeping its source's value
        WithMacros,      // with the macros: a save that copies them, an add, an import
        WithTextMacro,   // with the macros, when the text of its macro is not blank
    };
    // A part of one of the ten macros.
    struct MacroPart {
        std::size_t index;
        std::string StoredMacro::*part;
        friend bool operator==(const MacroPart&, const MacroPart&) = default;
    };
    using Field = std::variant<std::string BBSRecord::*, bool BBSRecord::*, std::int16_t BBSRecord::*,
                               std::int32_t BBSRecord::*, MacroPart>;
    struct Range {
        std::int64_t low = 0;
        std::int64_t high = 0;
    };

    const char* key;
    Field field;
    Kind kind;
    const char* missing;  // the value read when the section has no such key
    Written written;
    bool inNewFile;                   // written for the two records a new list starts with
    Range clamp{};                    // of a Number, when read
    const char* csvColumn = nullptr;  // the column of the CSV exchange file, if any
    bool loaded = true;               // false: written, but never read back into the record
};

std::span<const BBSRecordKey> bbsRecordKeys();
// The row of a member (every member has one).
const BBSRecordKey& bbsRecordKey(const BBSRecordKey::Field& field);

// Sets the row's member from a value as the file holds it.
void loadRecordValue(const BBSRecordKey& row, const std::string& value, BBSRecord& record);
// The row's member as a save writes it.
std::string savedRecordValue(const BBSRecordKey& row, const BBSRecord& record);
// The row's member as it stands: numbers without the sign position, flags "True" / "False".
std::string plainRecordValue(const BBSRecordKey& row, const BBSRecord& record);
// Whether the row belongs to the macros, which are written apart from the other keys.
bool isMacroKey(const BBSRecordKey& row);
// Whether a save writes the row among the record's fields, or (with `macros`) among its macros,
// which a save may leave for the user's answer. `held` tells whether the section already holds a
// value for the key; it is asked only about a key written unless missing.
bool writtenBySave(const BBSRecordKey& row, const BBSRecord& record, bool macros, const std::function<bool()>& held);

}  // namespace vx
