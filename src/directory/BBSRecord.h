#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// One stored macro of a BBS record: its text as stored (scrambled when hidden) and its hidden
// flag text ("1" hidden, "0" or empty plain).
struct StoredMacro {
    std::string text;
    std::string hidden;

    friend bool operator==(const StoredMacro&, const StoredMacro&) = default;
};

// The BBS record being worked on: one section of the BBS list file.
struct BBSRecord {
    std::string BBSname;
    std::string URL;
    std::string Sysop;
    std::string Comment;
    std::string Website;
    std::string Signature;
    bool StayAlive = false;
    bool BaudSim = false;
    bool Permanent = false;
    bool Mode80Col = false;
    bool Deleted = false;
    bool LANtronix = false;
    bool HideFromList = false;
    bool ClrBufferOnDisc = false;
    bool AlarmColEnabled = false;
    bool NoWrap = false;
    bool BBSXv1 = false;
    bool OneAtaTime = false;
    std::string Created = "0";
    std::string LastCall = "0";
    std::string LastEdited = "0";
    std::int32_t Port = 0;  // TCP ports run to 65535: a 16-bit field would dial the wrong port
    std::string PortList;
    std::int16_t AlarmColValue = 0;
    std::int16_t SendDelayValue = 0;
    std::int32_t Connects = 0;
    std::int32_t TotalTime = 0;
    std::string LastTimeOnline;
    std::string BBSXDelay;
    std::int32_t MaxBaud = 0;
    // How the board's line is spoken: "Raw" (bytes as they are), "Telnet" (option negotiation,
    // 255 doubled) or "Auto" (telnet when the board opens with a negotiation). Written only when
    // not Raw, so lists of other programs keep their keys.
    std::string Protocol = "Raw";
    std::array<StoredMacro, 10> macros;

    friend bool operator==(const BBSRecord&, const BBSRecord&) = default;
};

// What the calls count on a board. Only the calls write these: an edit of the record, made from
// a copy loaded before a call, would otherwise take back what the call counted.
inline void copyCallStatistics(const BBSRecord& from, BBSRecord& to) {
    to.Connects = from.Connects;
    to.MaxBaud = from.MaxBaud;
    to.TotalTime = from.TotalTime;
    to.LastCall = from.LastCall;
    to.LastTimeOnline = from.LastTimeOnline;
}

// "Raw", "Telnet" or "Auto" from a stored or typed text in any letter case; anything else is Raw.
inline std::string protocolName(std::string_view text) {
    std::string lower;
    for (char c : text)
        if (c != ' ') lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "telnet") return "Telnet";
    if (lower == "auto") return "Auto";
    return "Raw";
}

}  // namespace vx
