#pragma once

#include "config/ConfigSettings.h"
#include "directory/BBSList.h"
#include "log/StatusReporter.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "platform/SocketPort.h"
#include "platform/Sound.h"
#include "platform/Timer.h"
#include "screen/ScreenInterpreter.h"
#include "session/BaudSimulator.h"
#include "session/CallStatus.h"
#include "session/Connection.h"
#include "session/FileTransfers.h"
#include "session/KeyboardInput.h"
#include "session/MacroSender.h"
#include "session/MojiEditor.h"
#include "session/SendPath.h"
#include "session/StayAlive.h"
#include "session/TelnetSocket.h"
#include "session/TheBox.h"
#include "tools/Capture.h"
#include "tools/Scrollback.h"
#include "tools/TextSinks.h"
#include "tools/UrlDetector.h"

namespace vx {

// The terminal as a whole: the connection and receive path, the keys, the send path, the
// baud-rate simulator, stay-alive, the macros, and the tools that see every received chunk
// (capture, scrollback, URL detection), wired to each other and to the ports.
class TerminalSession {
public:
    struct Ports {
        SocketPort& socket;
        TimerFactory& timers;
        const Clock& clock;
        Prompter& prompter;
        Sound& sound;
        BoxText& box;  // The Box's text (the editor of the terminal window)
        Clipboard& clipboard;
    };

    TerminalSession(Ports ports, StatusReporter& status, ConfigSettings& config, BBSList& bbsList,
                    ScreenInterpreter& screen);

    // Starts the timers that run from start-up on (stay-alive, online clock).
    void start();

    Connection& connection() { return m_connection; }
    KeyboardInput& keyboard() { return m_keyboard; }
    SendPath& sendPath() { return m_send; }
    TelnetSocket& line() { return m_line; }
    BaudSimulator& baudSim() { return m_baudSim; }
    StayAlive& stayAlive() { return m_stayAlive; }
    MacroSender& macros() { return m_macros; }
    UrlDetector& urls() { return m_urls; }
    Scrollback& scrollback() { return m_scrollback; }
    CaptureFile& capture() { return m_capture; }
    TheBox& box() { return m_box; }
    // VXEditor: offline typing and the capture export write into it.
    MojiEditor& moji() { return m_moji; }
    // The status window's counts, speed and switches.
    CallStatus& callStatus() { return m_callStatus; }
    // XMODEM and YMODEM downloads and uploads over the call.
    FileTransfers& transfers() { return m_transfers; }
    // Set by Ctrl-C while connected; the next chunk (or the rest of a drain) is thrown away.
    bool abortFlag() const { return m_abort; }

    // The toolbar toggles tbBAUDSIM and tbSTAYALIVE.
    void toggleBaudSim() { m_baudSim.toggle(); }
    void toggleStayAlive() { m_stayAlive.toggle(); }
    // A macro button (cmdMAC i).
    void macroButton(int digit);

private:
    bool connected() const { return m_connection.connected(); }
    // Replays draw through the interpreter like received data.
    void replayToScreen(std::uint8_t b);

    BBSList& m_bbsList;
    ScreenInterpreter& m_screen;
    TelnetSocket m_line;  // the socket, speaking telnet to boards that do
    bool m_abort = false;
    UrlDetector m_urls;
    MojiEditor m_moji;
    Scrollback m_scrollback;
    CaptureFile m_capture;
    SendPath m_send;
    StayAlive m_stayAlive;
    BaudSimulator m_baudSim;
    MacroSender m_macros;
    Connection m_connection;
    KeyboardInput m_keyboard;
    TheBox m_box;
    CallStatus m_callStatus;
    FileTransfers m_transfers;
};

}  // namespace vx
