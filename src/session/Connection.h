#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "config/ConfigSettings.h"
#include "directory/BBSList.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/SocketPort.h"
#include "platform/Sound.h"
#include "platform/Timer.h"
#include "screen/ScreenInterpreter.h"

namespace vx {

class BaudSimulator;
class StayAlive;
class StatusReporter;
class MacroSender;

// The connection to one board and the receive path: idle, connecting, connected; the socket's
// events; the messages drawn at connect and disconnect; the run's counters and the online clock.
class Connection : public SocketEvents {
public:
    // What the receive path hands each chunk to, besides the screen.
    struct ChunkTaps {
        std::function<void(std::string_view)> capture{};     // while capture is on
        std::function<void(std::string_view)> scrollback{};  // while ScrollBack is on
        std::function<void(std::string_view)> detectUrls{};  // the drawn chunk, while DetectURLs is on
        std::function<bool()> captureOn{};
    };
    // Things the windows do when the connection changes state.
    struct Hooks {
        std::function<void()> changed{};                   // captions, enabled controls, indicator, texts
        std::function<void()> screenChanged{};             // the screen was drawn on
        std::function<void(bool mode80)> columnMode{};     // the column switch (window widths)
        std::function<void(int index)> selectListEntry{};  // AutoNext moved the selection
        std::function<void()> recordLoaded{};              // a BBS record became the current one
        std::function<void()> statisticsChanged{};         // connects / time online of the record
    };

    struct Services {
        SocketPort& socket;
        TimerFactory& timers;
        const Clock& clock;
        Prompter& prompter;
        Sound& sound;
        StatusReporter& status;
        ConfigSettings& config;
        BBSList& bbsList;
        ScreenInterpreter& screen;
        BaudSimulator& baudSim;
        StayAlive& stayAlive;
        MacroSender& macros;
    };

    Connection(Services services, bool& abortFlag);
    ~Connection() override;

    void setTaps(ChunkTaps taps) { m_taps = std::move(taps); }
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    // What the line below the session learns: a record is about to be dialled (the telnet mode
    // is set here), the screen's width changed (a telnet server is told).
    struct LineHooks {
        std::function<void(const BBSRecord&)> dial;
        std::function<void(int columns)> columns;
        std::function<void()> ended;  // the call is over (either side, or an error)
        // The board sent the ZMODEM start (ZRQINIT): `fromStart` holds it and what followed it in
        // the read. True when a download began and took the bytes; false draws them.
        std::function<bool(std::string_view fromStart)> zmodemStart;
    };
    void setLineHooks(LineHooks hooks) { m_line = std::move(hooks); }
    // The status window's measurement: every tick of the online clock, and when a call comes up.
    void setMeasurementHooks(std::function<void()> tick, std::function<void()> callStarted) {
        m_tick = std::move(tick);
        m_callStarted = std::move(callStarted);
    }

    // The board's bytes that came behind the end of a file transfer, in the chunk that ended
    // it: they take the receive path as if just read.
    void receiveAfterTransfer(std::string_view chunk) { receive(chunk); }

    // Something other than received data drew on the screen (a replay): the window repaints.
    void screenDrawn() const {
        if (m_hooks.screenChanged) m_hooks.screenChanged();
    }

    // The online clock (Timer3, every second) runs from start-up on.
    void start();

    // The BBS selection list (Combo1): position -> record.
    void selectBBS(int listIndex);
    int selectedIndex() const { return m_selectedIndex; }
    // The list changed (a board added, deleted or hidden): the selection follows its board to
    // its new place or, when the board is gone, moves to the board now in its place. A call up
    // or being made keeps its board, whose statistics it still owes.
    void listChanged();

    // The connect button (Command1): connects to the selected BBS, or aborts an attempt.
    void connectButton();
    // The BBS editor's Save + Close + Connect: connects to that record (selecting it).
    void connectToRecord(const std::string& recordId);
    // Dials a board that is not in the list (`vexterm HOST:PORT`, or telnet://HOST:PORT with
    // `protocol` "Telnet"); its statistics are kept nowhere.
    void dialAddress(const std::string& host, int port, const std::string& protocol = "Raw");
    // The disconnect button (Command3, tbDISCONNECT); while dialling it ends the attempt.
    void disconnectButton();
    // The program ends during a call: the call is booked as a local hang-up (time online,
    // statistics, log), without the disconnect pop-up or AutoNext.
    void hangUpForShutdown();
    // The column switch (record at connect, tb80): 40 or 80 columns, reported in the status bar.
    void switchColumns(bool mode80);

    // SocketEvents
    void onConnected() override;
    void onDataArrival(std::size_t bytesAvailable) override;
    void onRemoteClose() override;
    void onSocketError(int number, const std::string& description, int code, const std::string& source) override;
    void onConnectionRequest() override;

    // State the windows show.
    bool connected() const { return m_connected; }
    bool connecting() const { return m_connecting; }
    bool online() const { return m_online; }
    const std::string& connectCaption() const { return m_connectCaption; }
    bool connectEnabled() const { return !m_connected; }
    bool disconnectEnabled() const { return m_connected || m_connecting; }
    bool pickingEnabled() const { return !m_connected; }
    // The connection indicator's colour: green (65280) while connected, else none.
    bool indicatorGreen() const { return m_connected; }
    // The main frame's caption when title-bar hints are off; empty when unchanged.
    const std::string& frameCaption() const { return m_frameCaption; }
    // txtOnline: the time since the connection came up, "hh:mm:ss".
    const std::string& onlineText() const { return m_onlineText; }
    const std::string& recordId() const { return m_recordId; }
    const std::string& website() const { return m_website; }
    const std::string& websiteTitle() const { return m_websiteTitle; }
    bool noWrapLabel() const { return m_noWrapLabel; }
    // For the status window: the board connected to.
    const std::string& connectedName() const { return m_connectedName; }
    const std::string& connectedHost() const { return m_connectedHost; }
    int connectedPort() const { return m_connectedPort; }

    // Characters received in this run (added to TotalIncoming at shutdown), and since the last
    // speed sample.
    std::int64_t sessionChars() const { return m_sessionChars; }
    void resetSessionChars() { m_sessionChars = 0; }
    std::int64_t intervalChars() const { return m_intervalChars; }
    std::int64_t takeIntervalChars() { return std::exchange(m_intervalChars, 0); }

    static constexpr const char* kProgramTitle = "Vexterm";

private:
    void abortAttempt();
    // The socket closed and the screen cleared, as every dial and abort starts.
    void clearForCall();
    // The board Connect calls: the one asked for, else the one selected in the list.
    std::optional<std::string> boardToCall();
    void startConnection(const std::string& recordId);
    void dialCurrentRecord();
    void closeDown(const std::string& statusText, bool local);
    void afterClose(bool wasOnline);
    void autoNext();
    void receive(std::string_view chunk);
    // The receive path proper: counters, capture, scrollback, the screen.
    void draw(std::string_view chunk);
    void drawHeldStart();
    // Drops what is left of a board's ZRINIT header from the front of `bytes`.
    std::string_view skipReceiverHeader(std::string_view bytes);
    void resumeReading();
    void onlineTick();
    std::int64_t secondsOnline() const;
    void notify() const;

    Services m_s;
    bool& m_abort;
    ChunkTaps m_taps;
    Hooks m_hooks;
    LineHooks m_line;
    std::function<void()> m_tick;
    std::function<void()> m_callStarted;
    std::unique_ptr<Timer> m_onlineTimer;
    // A read that ends in what may be the beginning of a ZMODEM start keeps it back until the
    // next read tells, or a moment passes (a board that echoes '*' for a password is not held up).
    std::string m_heldStart;
    std::unique_ptr<Timer> m_heldStartTimer;
    int m_receiverHeaderDigits = 0;  // of a board's ZRINIT header cut by the end of a read
    int m_receiverHeaderEnd = 0;

    bool m_connected = false;
    bool m_connecting = false;
    bool m_online = false;
    bool m_receiving = false;
    bool m_heldBack = false;  // a full baud-rate simulator left the board's bytes in the socket
    bool m_shuttingDown = false;
    std::string m_requestedRecord;  // set by the BBS editor's Save + Close + Connect
    std::int64_t m_connectedAtMs = 0;
    std::string m_connectCaption = "Connect";
    std::string m_frameCaption;
    std::string m_onlineText;
    std::string m_recordId;
    int m_selectedIndex = -1;
    std::string m_website;
    std::string m_websiteTitle;
    bool m_noWrapLabel = false;
    std::string m_connectedName;
    std::string m_connectedHost;
    int m_connectedPort = 0;
    std::int64_t m_sessionChars = 0;
    std::int64_t m_intervalChars = 0;
};

}  // namespace vx
