#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/ConfigSettings.h"
#include "log/StatusReporter.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/Timer.h"
#include "session/TelnetSocket.h"
#include "tools/FileTransfer.h"
#include "tools/TransferFiles.h"

namespace vx {

// File transfers on the live call: while one runs it owns the line (the screen, capture and
// scrollback see none of its bytes, keys and stay-alive are held off), downloads land in the
// downloads folder, and a received file never replaces one already there without asking.
class FileTransfers {
public:
    struct State {
        bool active = false;
        bool upload = false;
        TransferProtocol protocol = TransferProtocol::Xmodem1K;
        TransferProgress progress;
        // After the end: how it went, in the user's words.
        bool finished = false;
        bool ok = false;
        std::string message;
        bool startedByBoard = false;  // a ZMODEM download the board began
    };

    FileTransfers(TelnetSocket& line, TimerFactory& timers, const Clock& clock, Prompter& prompter,
                  StatusReporter& status, const ConfigSettings& config, std::function<bool()> connected);
    ~FileTransfers();

    // A download into the downloads folder; `xmodemName` names the file for the XMODEM kinds,
    // whose sender sends no name. False (with a message shown) when no transfer can start.
    bool startDownload(TransferProtocol protocol, const std::string& xmodemName);
    bool startUpload(TransferProtocol protocol, const std::vector<std::string>& paths);
    // The board began a ZMODEM download (its start in `startBytes`, which the engine reads first).
    bool startFromBoard(std::string_view startBytes);
    void cancel();
    // The call ended under a running transfer.
    void callEnded();

    const State& state() const { return m_state; }
    bool active() const { return m_state.active; }
    void setOnChange(std::function<void()> changed) { m_changed = std::move(changed); }
    // A download the board began (ZMODEM's start) is under way: the window shows it.
    void setOnBoardStart(std::function<void()> shown) { m_boardStarted = std::move(shown); }
    // Where the board's bytes go that arrive in the same chunk as the end of a transfer.
    void setReceivePath(std::function<void(std::string_view)> receive) { m_receivePath = std::move(receive); }

    static const char* protocolName(TransferProtocol protocol);

private:
    bool canStart();
    void begin(bool upload, TransferProtocol protocol);
    void finished(bool ok, const std::string& message);
    void askAboutExisting(std::size_t index);
    void notify();
    void fromLine(std::string_view bytes);
    DownloadFolderSink::ExistingQuestion existingQuestion();

    TelnetSocket& m_line;
    TimerFactory& m_timers;
    const Clock& m_clock;
    Prompter& m_prompter;
    StatusReporter& m_status;
    const ConfigSettings& m_config;
    std::function<bool()> m_connected;
    std::function<void()> m_changed;
    std::function<void()> m_boardStarted;
    std::function<void(std::string_view)> m_receivePath;
    State m_state;
    bool m_callEnded = false;
    int m_generation = 0;  // counts transfers, so an answer never acts on a later one's files
    std::unique_ptr<FileTransfer> m_engine;
    std::unique_ptr<DownloadFolderSink> m_sink;
    std::unique_ptr<FileListSource> m_source;
    // The engine is not destroyed from inside its own finished event: this timer does it.
    std::unique_ptr<Timer> m_cleanup;
};

}  // namespace vx
