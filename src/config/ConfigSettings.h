#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace vx {

// Every setting of the configuration file, in memory for the whole run.
struct ConfigSettings {
    static constexpr std::size_t kStayAliveWidth = 20;

    std::string StayAliveChar = std::string(kStayAliveWidth, ' ');  // fixed field, blank-padded
    bool ClrB4Vu = false;
    std::string SData;  // the password, scrambled; empty when none is set
    std::string QuotePrefix;
    std::string SysFolder;
    std::int16_t BaudSimVal = 0;
    std::int16_t VXESendDelay = 0;
    bool Buzzer = false;
    bool SpeedCheck = false;
    bool DispCharCnt = false;
    bool Scroll2BoxClrBox = false;
    bool ScrollBack = false;
    bool AutoLoadStatus = false;
    bool SysLog = false;
    std::int16_t AllONOFF = 0;
    bool DiscPopup = false;
    bool UseTW = false;
    bool TextWindow = false;
    bool DTScreenDumpName = false;
    bool ClrAftConnect = false;
    bool TitleBarMsg = false;
    bool EnableRawEdits = false;
    bool AutoVXE = false;
    bool BeepOnConnect = false;
    bool AtariClick = false;
    bool AutoNext = false;
    bool KeyPressDelay = false;
    std::int16_t SBbufferSize = 0;
    std::int16_t HistoryLines = 0;
    std::string CaptureFolder;
    std::string CaptureFileName;
    std::string DefaultBMPName;
    std::string ScreenDumpPath;
    std::string MojisDumpPath;
    std::string DownloadsPath;
    std::string WebBrowser;
    std::string DisconnectMsg;
    std::string ConnectMsg;
    std::int16_t KeyDelayValue = 0;
    bool DetectURLs = false;
    bool UseBBSEditor = false;
    bool OnlineTimer = false;
    std::int16_t ScreenZoom = 2;
    std::int16_t ScreenColours = 0;
    bool DumpAsShown = false;
    bool ZmodemAutoStart = true;  // a board's ZMODEM start (ZRQINIT) begins a download

    std::int32_t TotalIncoming = 0;
    std::int32_t SessionNum = 0;
    bool DATAwritten = false;

    // The capture folder with a separator added, followed by the capture file name.
    std::string capturePath() const;
    // The stay-alive text as sent: the field with blanks trimmed at both ends.
    std::string stayAliveText() const;
    // Stores a text left-justified in the 20-character field (longer texts keep their first 20).
    void setStayAliveChar(std::string_view text);

    friend bool operator==(const ConfigSettings&, const ConfigSettings&) = default;
};

// "False" in any letter case, or a number equal to 0, is false; everything else is true.
bool TextToBoolean(std::string_view text);

// One row of the key table, in the order SaveConfig writes the keys.
struct ConfigKey {
    enum class Kind {
        Boolean,          // "True" / "False"
        Number,           // decimal, 16-bit
        NumberWithBlank,  // decimal with a sign position: " 500"
        Text,
        StayAliveField,  // the 20-character field, written without trailing blanks
    };
    using Field = std::variant<bool ConfigSettings::*, std::int16_t ConfigSettings::*, std::string ConfigSettings::*>;

    const char* section;
    const char* key;
    Kind kind;
    Field field;
    // Values as stored in the file. "{SYS}" stands for the system folder with a separator added,
    // "{SYSFOLDER}" for the system folder itself.
    const char* missing;
    const char* firstRun;
    bool loaded = true;  // false for keys that are written but never read back
};

std::span<const ConfigKey> configKeys();
const ConfigKey* findConfigKey(std::string_view key);

// The settings a first run starts with, for the given system folder.
ConfigSettings firstRunSettings(const std::string& systemFolder);

// A table value with the system-folder placeholders filled in.
std::string resolveConfigDefault(std::string_view value, const std::string& systemFolder);

}  // namespace vx
