#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// The decisions of the configuration editor that do not depend on widgets.
namespace cfgedit {

inline constexpr const char* kWrongPassword = "Wrong Password!";
inline constexpr const char* kOldPasswordTitle = "OLD PASSWORD";
inline constexpr const char* kRestartAfterMode = "Please shut down and re-run Vexterm after changing the mode.";
inline constexpr const char* kSysLogEnabled = "System Log File Enabled";
// The old file stays when a save cannot replace it; the user must hear of it.
inline constexpr const char* kUnableToSave = "Unable to save the Config file!";
inline constexpr const char* kScreenDumpLabel = "Screen Dump Path: ";
inline constexpr const char* kSaveAndExit = "Save + Exit";
inline constexpr const char* kPasswordTab = "VXC Password";
inline constexpr const char* kPasswordSet = "The Vexterm password is set.";
// VXEditor's pause after each character it sends, in ms; a longer one would look like a hang.
inline constexpr int kMaxVXESendDelay = 1000;

// The warning before the system 'Mojis are written again, lines joined by carriage returns.
std::string recreateMojisQuestion();
// The question asked when a dump folder is missing, as loading asks it.
std::string missingFolderQuestion(std::string_view label, std::string_view folder);

// The simulator setting as the editor shows it: a stored value outside 0-9 is pulled to the
// nearer end.
std::int16_t baudSimShown(std::int16_t stored);
// The simulator setting typed by the user: its leading number when that lies in 0-9, else 0.
std::int16_t baudSimTyped(std::string_view text);
// Any other number field: the leading number, kept within the 16-bit range of the record.
std::int16_t numberTyped(std::string_view text);

// The all-features switch flipped. Only 0 and 1 are meaningful; any other stored value counts as
// on, so a hand-edited file still toggles into a valid state.
std::int16_t toggledAllOnOff(std::int16_t current);

// The path up to and including its last folder separator ("" when it has none). Both separators
// are accepted, since a file written on Windows may hold either.
std::string folderOfPath(std::string_view path);
// What follows the last folder separator.
std::string fileOfPath(std::string_view path);

// Which parts of the password tab may be used. The user proves the old password before a new one
// can be typed, and the new one must be typed twice alike before it can be saved.
class PasswordSteps {
public:
    struct Enabled {
        bool oldEntry = false;  // TxtOLDPW and cmdCheck
        bool newFrame = false;
        bool firstEntry = false;
        bool secondEntry = false;
        bool save = false;  // cmdSavePW
        friend bool operator==(const Enabled&, const Enabled&) = default;
    };

    // The tab as the window opens: a password already set must be confirmed first.
    void start(bool passwordSet);
    // Compares the typed text with the stored (scrambled) password. On a match the new-password
    // entries open and the old entry closes; on a mismatch nothing changes.
    bool check(std::string_view typed, std::string_view storedScrambled);
    // Either new entry changed. The second entry opens once something is typed into the first;
    // saving needs both to hold the same, non-empty text.
    void entriesChanged(std::string_view first, std::string_view second);

    const Enabled& enabled() const { return m_enabled; }

private:
    Enabled m_enabled;
};

}  // namespace cfgedit
}  // namespace vx
