#include "config/ConfigSettings.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/Formats.h"
#include "base/SystemPaths.h"

namespace vx {
namespace {

using K = ConfigKey::Kind;
using S = ConfigSettings;

const std::array<ConfigKey, 46> kKeys = {{
    {"Config", "StayAliveChar", K::StayAliveField, &S::StayAliveChar, ".", "."},
    {"Capture", "ClrB4Vu", K::Boolean, &S::ClrB4Vu, "False", "True"},
    {"Config", "SData", K::Text, &S::SData, "", ""},
    {"Config", "QuotePrefix", K::Text, &S::QuotePrefix, "->", "->"},
    {"Config", "SysFolder", K::Text, &S::SysFolder, "{SYSFOLDER}", "{SYSFOLDER}"},
    {"Config", "BaudSimVal", K::Number, &S::BaudSimVal, "0", "0"},
    {"Config", "VXESendDelay", K::Number, &S::VXESendDelay, "50", "0"},
    {"Config", "Buzzer", K::Boolean, &S::Buzzer, "False", "False"},
    {"Config", "SpeedCheck", K::Boolean, &S::SpeedCheck, "False", "False"},
    {"Config", "DispCharCnt", K::Boolean, &S::DispCharCnt, "False", "False", false},
    {"Config", "Scroll2BoxClrBox", K::Boolean, &S::Scroll2BoxClrBox, "True", "False"},
    {"Config", "ScrollBack", K::Boolean, &S::ScrollBack, "False", "True"},
    {"Config", "AutoLoadStatus", K::Boolean, &S::AutoLoadStatus, "True", "True"},
    {"Config", "SysLog", K::Boolean, &S::SysLog, "True", "True"},
    {"Config", "AllONOFF", K::NumberWithBlank, &S::AllONOFF, "1", "0"},
    {"Config", "DiscPopup", K::Boolean, &S::DiscPopup, "False", "False"},
    {"Config", "UseTW", K::Boolean, &S::UseTW, "False", "True"},
    {"Config", "TextWindow", K::Boolean, &S::TextWindow, "True", "True", false},
    {"Capture", "DTScreenDumpName", K::Boolean, &S::DTScreenDumpName, "False", "False"},
    {"Config", "ClrAftConnect", K::Boolean, &S::ClrAftConnect, "False", "True"},
    {"Config", "TitleBarMsg", K::Boolean, &S::TitleBarMsg, "True", "True"},
    {"Config", "EnableRawEdits", K::Boolean, &S::EnableRawEdits, "True", "False"},
    {"Config", "AutoVXE", K::Boolean, &S::AutoVXE, "True", "True"},
    {"Config", "BeepOnConnect", K::Boolean, &S::BeepOnConnect, "True", "False"},
    {"Config", "AtariClick", K::Boolean, &S::AtariClick, "False", "False"},
    {"Config", "AutoNext", K::Boolean, &S::AutoNext, "False", "False"},
    {"Config", "KeyPressDelay", K::Boolean, &S::KeyPressDelay, "True", "True"},
    {"Config", "SBbufferSize", K::NumberWithBlank, &S::SBbufferSize, "500", "500"},
    // Rows kept after they scroll off the screen, for looking back with the wheel or Shift+PgUp.
    {"Config", "HistoryLines", K::NumberWithBlank, &S::HistoryLines, "5000", "5000"},
    {"Capture", "CaptureFolder", K::Text, &S::CaptureFolder, "{SYS}Captures", "{SYS}Captures"},
    {"Capture", "CaptureFileName", K::Text, &S::CaptureFileName, "VX3_Capture.txt", "VX3_capture.txt"},
    {"Capture", "DefaultBMPName", K::Text, &S::DefaultBMPName, "screen.bmp", ""},
    // The folder a first run creates is "Screens"; a missing key means the same folder (file
    // names are case-sensitive here).
    {"Capture", "ScreenDumpPath", K::Text, &S::ScreenDumpPath, "{SYS}Screens", "{SYS}Screens"},
    {"Capture", "MojisDumpPath", K::Text, &S::MojisDumpPath, "{SYS}Mojis", "{SYS}Mojis"},
    // Where file transfers put what they receive; made on the first download.
    {"Capture", "DownloadsPath", K::Text, &S::DownloadsPath, "{SYS}Downloads", "{SYS}Downloads"},
    {"Config", "WebBrowser", K::Text, &S::WebBrowser, "", ""},
    {"Config", "DisconnectMsg", K::Text, &S::DisconnectMsg, "", "NO CARRIER..."},
    {"Config", "ConnectMsg", K::Text, &S::ConnectMsg, "", "CONNECT..."},
    {"Config", "KeyDelayValue", K::Number, &S::KeyDelayValue, "65", "65"},
    {"Config", "DetectURLs", K::Boolean, &S::DetectURLs, "True", "True"},
    {"Config", "UseBBSEditor", K::Boolean, &S::UseBBSEditor, "True", "True"},
    {"Config", "OnlineTimer", K::Boolean, &S::OnlineTimer, "True", "True"},
    // The board's screen: Atari pixels shown as blocks of 1 to 4 pixels, or 0 for the largest that
    // fits; files written before the key existed show it as always, at 2.
    {"Config", "ScreenZoom", K::Number, &S::ScreenZoom, "2", "2"},
    // The screen's colours (kScreenColourSchemes), and whether dumps and prints use them too.
    {"Config", "ScreenColours", K::Number, &S::ScreenColours, "0", "0"},
    {"Capture", "DumpAsShown", K::Boolean, &S::DumpAsShown, "False", "False"},
    // A board's ZMODEM start opens a download by itself; files from before the key have it on.
    {"Config", "ZmodemAutoStart", K::Boolean, &S::ZmodemAutoStart, "True", "True"},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string ConfigSettings::capturePath() const { return AddBackslash(CaptureFolder) + CaptureFileName; }

std::string ConfigSettings::stayAliveText() const {
    const auto first = StayAliveChar.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return StayAliveChar.substr(first, StayAliveChar.find_last_not_of(' ') - first + 1);
}

void ConfigSettings::setStayAliveChar(std::string_view text) {
    StayAliveChar = std::string(text.substr(0, kStayAliveWidth));
    StayAliveChar.resize(kStayAliveWidth, ' ');
}

bool TextToBoolean(std::string_view text) {
    std::string_view trimmed = text;
    while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t')) trimmed.remove_prefix(1);
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.remove_suffix(1);
    if (equalsIgnoringCase(trimmed, "False")) return false;
    // A number is zero exactly when it has no digit other than 0 ("0", "00", "-0", "0.0").
    if (isWholeNumberText(trimmed)) return trimmed.find_first_of("123456789") != std::string_view::npos;
    return true;
}

std::span<const ConfigKey> configKeys() { return kKeys; }

const ConfigKey* findConfigKey(std::string_view key) {
    for (const ConfigKey& row : kKeys)
        if (equalsIgnoringCase(row.key, key)) return &row;
    return nullptr;
}

std::string resolveConfigDefault(std::string_view value, const std::string& systemFolder) {
    if (value == "{SYSFOLDER}") return systemFolder;
    if (value.substr(0, 5) == "{SYS}") return AddBackslash(systemFolder) + std::string(value.substr(5));
    return std::string(value);
}

ConfigSettings firstRunSettings(const std::string& systemFolder) {
    ConfigSettings settings;
    for (const ConfigKey& row : kKeys) {
        const std::string value = resolveConfigDefault(row.firstRun, systemFolder);
        std::visit(
            [&](auto member) {
                using T = std::remove_reference_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<T, bool>)
                    settings.*member = TextToBoolean(value);
                else if constexpr (std::is_same_v<T, std::int16_t>)
                    settings.*member = clampToInt16(parseLeadingNumber(value));
                else
                    settings.*member = value;
            },
            row.field);
    }
    settings.setStayAliveChar(".");
    return settings;
}

}  // namespace vx
