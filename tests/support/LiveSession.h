#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "config/ConfigSettings.h"
#include "directory/BBSList.h"
#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenInterpreter.h"
#include "session/TerminalSession.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "ui/platform/QtSocketPort.h"
#include "ui/platform/QtTimers.h"

namespace vx::test {

// A terminal session on the real socket adapter, Qt timers and clock, with a fresh BBS list
// whose first record dials 127.0.0.1 at `port` without the baud-rate simulator. Dialogs, sound,
// The Box and VXEditor are test doubles. Needs a running Qt event loop to make progress.
struct LiveSession {
    TempDir temp;
    SettingsStore store;
    ConfigSettings config = firstRunSettings(temp.path().string());
    FakePrompter prompter;
    FakeSound sound;
    FakeStatusSink statusSink;
    FakeBox box;
    FakeMojiSink moji;
    FakeClipboard clipboard;
    QtClock clock;
    QtTimerFactory timers;
    QtSocketPort socket;
    Framebuffer surface;
    ScreenInterpreter screen{surface};
    GlyphIndex glyphs;
    BBSList list{store, prompter, clock, (temp / "VX3_BBS.INI").string()};
    SystemLog log{clock, temp.path().string()};
    StatusReporter status{statusSink, log};
    std::unique_ptr<TerminalSession> session;

    explicit LiveSession(int port) {
        config.KeyPressDelay = false;
        config.BeepOnConnect = false;
        if (!list.CreateBBSListFile() || !list.LoadBBSList() || !list.LoadBBSRecord("1"))
            throw std::runtime_error("cannot make the BBS list");
        BBSRecord record = list.record();
        record.Port = port;
        record.BaudSim = false;
        list.SaveBBSRecord("1", record, false, [] {});
        if (!list.LoadBBSRecord("1") || list.record().Port != port)
            throw std::runtime_error("cannot point the record at the board");
        list.FillBBSList();
        session = std::make_unique<TerminalSession>(
            TerminalSession::Ports{socket, timers, clock, prompter, sound, box, clipboard}, status, config, list, screen);
        socket.setEvents(&session->connection());
        session->start();
    }

    Connection& connection() { return session->connection(); }

    // Dials the first record.
    void dial() {
        connection().selectBBS(0);
        connection().connectButton();
    }

    // Keys as typed on the keyboard.
    void type(const std::string& keys) {
        for (char k : keys) session->keyboard().characterKey(static_cast<std::uint8_t>(k));
    }

    // The screen read back as text: printable codes as themselves, everything else (the block
    // cursor, graphics) as a blank; one line per row.
    std::string screenText() const {
        std::string text;
        for (int row = 0; row < ScreenInterpreter::kRows; ++row) {
            for (int col = 0; col < screen.state().ColumnCount; ++col) {
                const auto code = glyphs.codeAt(surface, col, row);
                text += code && *code >= 32 && *code < 127 ? static_cast<char>(*code) : ' ';
            }
            text += '\n';
        }
        return text;
    }
    bool shows(const std::string& text) const { return screenText().find(text) != std::string::npos; }
};

}  // namespace vx::test
