#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "config/ConfigSettings.h"
#include "directory/BBSRecord.h"
#include "platform/Clipboard.h"
#include "platform/Prompter.h"
#include "platform/Sound.h"
#include "platform/Timer.h"
#include "tools/Scrollback.h"
#include "tools/TextSinks.h"

namespace vx {

class SendPath;

// The Box: the message editor of the terminal window and what its buttons do. The text itself
// lives in the editor (the BoxText port); this holds the settings that go with the board (send
// delay, alarm column, no-wrap), the quoting steps, and the paced sends. Every send is skipped
// while not connected, without a word, and while the Box goes out in pieces: a send in one of
// the pauses between pieces would land in the middle of the message.
class TheBox {
public:
    static constexpr int kChunkPauseMs = 1000;

    struct Hooks {
        std::function<bool()> connected{};
        std::function<void()> changed{};           // markers, captions, settings shown
        std::function<void()> focusBox{};          // "2) Edit Box"
        std::function<void()> refocusScreen{};     // after a send
        std::function<std::string()> signature{};  // "Sign": the BBS editor's signature field
        std::function<void(const std::string&)> showStatus{};  // the status bar
    };

    TheBox(BoxText& text, SendPath& send, Scrollback& scrollback, TimerFactory& timers, Prompter& prompter,
           Sound& sound, Clipboard& clipboard, const ConfigSettings& config, Hooks hooks);

    // The window's part of the hooks, set once it exists.
    struct WindowHooks {
        std::function<void()> changed{};
        std::function<void()> focusBox{};
        std::function<void()> refocusScreen{};
    };
    void setWindowHooks(WindowHooks hooks) {
        m_hooks.changed = std::move(hooks.changed);
        m_hooks.focusBox = std::move(hooks.focusBox);
        m_hooks.refocusScreen = std::move(hooks.refocusScreen);
    }

    // The board's settings, whenever a BBS is selected: send delay, alarm column, no-wrap; the
    // quote prefix box is emptied.
    void boardSelected(const BBSRecord& record);

    // The buttons, by their captions.
    void scrollbackToBox(int count);  // "1) Scrollback to Box"
    void editBox();                   // "2) Edit Box"
    void formatBox();                 // "3) Format Edited Box"
    void sendFormatted();             // "4) Send Formatted Box"
    void send();                      // "Send"
    void sendAndClear();              // "Send/Clear"
    void clear();                     // "Clear"
    void clipboardToBox();            // "Clipboard to Box"
    void sendEndOfLine();             // cmdCR
    void sign();                      // "Sign"
    void keystroke(int index);        // cmdApS 0 "Again", 1 ". . .", 2 "! ! !"
    void pasteToScreen();             // "Paste Clipboard to Main Screen"
    void toggleOpen() { setOpen(!m_open); }
    void toggleWidth();  // cmd4080

    // After every change of the Box text: "Auto C/R" and the column alarm.
    void textChanged();

    // What the window shows and edits.
    bool open() const { return m_open; }
    void setOpen(bool open);
    int width() const { return m_width; }  // 40 or 80
    int quoteStep() const { return m_quoteStep; }
    const std::string& prefixBox() const { return m_prefixBox; }
    void setPrefixBox(std::string text) { m_prefixBox = std::move(text); }
    int sendDelay() const { return m_sendDelay; }
    // The delay box: a text that is no number is refused (false) and the box shows the delay again.
    bool setSendDelayText(std::string_view text);
    int alarmColumn() const { return m_alarmColumn; }
    void setAlarmColumn(int column);
    bool alarmEnabled() const { return m_alarmEnabled; }
    void setAlarmEnabled(bool on);
    bool autoCR() const { return m_autoCR; }
    void setAutoCR(bool on);
    bool noWrap() const { return m_noWrap; }
    // The Box holds text that has not gone to the board as it is now.
    bool holdsUnsentText() const;
    // From the press of "4) Send Formatted Box" that sends in pieces until its last pause.
    bool sending() const { return m_chunking; }
    // What the window says meanwhile ("Sending in pieces: 1 of 3 sent"); empty otherwise.
    std::string sendingStatus() const;

private:
    bool connected() const { return m_hooks.connected && m_hooks.connected(); }
    void setQuoteStep(int step);
    void changed() const {
        if (m_hooks.changed) m_hooks.changed();
    }
    void refocus() const {
        if (m_hooks.refocusScreen) m_hooks.refocusScreen();
    }
    void sendNextPiece();
    void finishFormattedSend();

    BoxText& m_text;
    SendPath& m_send;
    Scrollback& m_scrollback;
    Prompter& m_prompter;
    Sound& m_sound;
    Clipboard& m_clipboard;
    const ConfigSettings& m_config;
    Hooks m_hooks;
    std::unique_ptr<Timer> m_pause;
    std::unique_ptr<Timer> m_keystrokeWait;

    bool m_open = false;
    int m_width = 40;
    int m_quoteStep = 0;
    std::string m_prefixBox;
    int m_sendDelay = 0;
    int m_alarmColumn = 30;
    bool m_alarmEnabled = false;
    bool m_autoCR = false;
    bool m_noWrap = false;
    int m_autoPauseMs = 300;
    std::vector<std::string> m_pieces;
    std::size_t m_pieceIndex = 0;
    bool m_chunking = false;
    std::string m_sentText;  // the Box's text at its last send
};

}  // namespace vx
