#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/ConfigSettings.h"
#include "log/StatusReporter.h"
#include "platform/Prompter.h"
#include "platform/Timer.h"
#include "screen/ScreenInterpreter.h"
#include "tools/TextSinks.h"
#include "tools/UrlDetector.h"

namespace vx {

class SendPath;

// VXEditor's core: the number text (a code list such as "65;66;"), its 'Moji files, the ChXbox
// steps, and sending a code list to the board, or drawing it on the screen when offline. Typing
// on the screen offline, The Box and the capture file feed it through MojiCodeSink.
class MojiEditor : public MojiCodeSink {
public:
    static constexpr int kMaxDelayMs = 1000;
    static constexpr const char* kWarning =
        "Make sure you have enabled 'graphics' (/g in PRO) in the msg base before sending to Main.";

    enum class BoxKind { None, Ticked, Empty };
    // The ChXbox step buttons (the control array CmdStartCheck) and their captions.
    enum class CheckStep { StartTicked = 0, Finish = 1, StartEmpty = 2 };

    struct Hooks {
        std::function<bool()> connected{};
        std::function<void()> changed{};        // the window reads the state back
        std::function<void()> showEditor{};     // bring the window up
        std::function<void()> refocusScreen{};
        std::function<void()> screenChanged{};  // something was drawn offline
        std::function<void()> filesChanged{};   // the 'Mojis folder's list
        std::function<void(char)> toSignature{};  // "Copy from VXE": the BBS editor's signature box
        std::function<bool()> inverseTyping{};
        std::function<void(bool)> setInverseTyping{};
        std::function<bool()> boxHoldsUnsentText{};  // The Box has text not sent as it is
    };

    MojiEditor(ConfigSettings& config, Prompter& prompter, StatusReporter& status, TimerFactory& timers,
               SendPath& send, ScreenInterpreter& screen, UrlDetector& urls, BoxText& box, Hooks hooks);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    Hooks& hooks() { return m_hooks; }

    // MojiCodeSink
    void appendCodes(std::string_view codes) override;
    void clearCodes() override;
    void showEditor() override;

    // The number text; an edit in the window sets the edited flag.
    const std::string& codes() const { return m_codes; }
    // Counts the changes that were not appends, so a window showing the codes can add only what
    // was appended since it last looked (a capture export appends thousands of records).
    std::uint64_t replacements() const { return m_replacements; }
    void setCodes(std::string codes);
    bool edited() const { return m_edited; }
    bool editingEnabled() const { return m_editingEnabled; }
    void toggleEditing();

    // The 'Mojis folder and its files (names, sorted).
    std::string folder() const { return m_config.MojisDumpPath; }
    std::vector<std::string> fileNames() const;
    // "File:  name" after a load, else empty.
    const std::string& fileLabel() const { return m_fileLabel; }

    // The buttons.
    void load(const std::string& name);            // a file picked in the list
    void loadPath(const std::string& path);        // a file from elsewhere ('Moji or screen dump)
    void save(const std::string& selectedName);    // "Save"
    void deleteFile(const std::string& name);      // "Delete"
    void clear();                                  // "Clear"
    void clearScreenAndCodes();                    // cmdClearLocal
    void sendToMain();                             // "Send to Main"
    void hideWarning();                            // a click on the warning
    // "1) Start" (two), "3) Finish". The ticked start and the finish empty The Box; text in it
    // that was never sent is emptied only when the user says so (the step goes on either way).
    void checkStep(CheckStep step);
    void insertLabel(const std::string& label);    // "2) Insert Label"
    void copyToSignature();                        // the BBS editor's "Copy from VXE"
    void setInverse(bool on);                      // "Inverse Characters"
    void closed();                                 // the window was closed

    // From the terminal window.
    void boxToEditor();                            // "Box to VXE"
    void setEcho(bool on);                         // the screen window's echo entry
    bool echo() const { return m_echo; }
    void boxChanged();                             // after every change of The Box's text

    // The options.
    bool createFile = false;                       // "Create File"
    bool clearScreenFirst = false;                 // "Clear Main Screen before Send"
    bool clearAfterSend = false;                   // "Clear After Send"
    int delayMs() const { return m_config.VXESendDelay; }
    // The delay box: a number (above 1000 becomes 1000); anything else is refused (false).
    bool setDelayText(const std::string& text);

    // What the window shows.
    bool warningShown() const { return m_warningShown; }
    const std::string& hint() const { return m_hint; }
    BoxKind boxKind() const { return m_boxKind; }
    bool sending() const { return m_drawIndex < m_drawing.size(); }
    int lastSkipped() const { return m_lastSkipped; }

    // ConvertASCIItoATASCII: the codes as characters, to the signature, to the board or drawn.
    // False when the board's line refused them (a file transfer owns it).
    bool ConvertASCIItoATASCII(const std::string& list, std::int64_t count, bool toSignature);

private:
    void changed() const {
        if (m_hooks.changed) m_hooks.changed();
    }
    bool connected() const { return m_hooks.connected && m_hooks.connected(); }
    void replaceCodes(std::string codes);
    void appendSystemMoji(const char* name);
    void doCheckStep(CheckStep step, bool emptyBox);
    // An offline drawing under way: finished at once (a new send follows it) or stopped.
    void finishDrawing();
    void stopDrawing();
    void setCodesLoaded(std::string codes, const std::string& label);
    bool deliver(const std::string& bytes, const std::string& filePath);
    void drawNext();
    void afterSend();

    ConfigSettings& m_config;
    Prompter& m_prompter;
    StatusReporter& m_status;
    SendPath& m_send;
    ScreenInterpreter& m_screen;
    UrlDetector& m_urls;
    BoxText& m_box;
    Hooks m_hooks;
    std::unique_ptr<Timer> m_drawTimer;

    std::string m_codes;
    std::uint64_t m_replacements = 0;
    bool m_edited = false;
    bool m_editingEnabled = false;
    bool m_echo = false;
    bool m_warningShown = false;
    std::string m_hint = "ChXboxes";
    std::string m_fileLabel;
    BoxKind m_boxKind = BoxKind::None;
    int m_lastSkipped = 0;
    std::string m_drawing;
    std::size_t m_drawIndex = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace vx
