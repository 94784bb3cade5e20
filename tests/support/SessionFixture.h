#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/SessionParts.h"

namespace vx::test {

// A whole terminal session on fakes and virtual time, with a BBS list of three boards in a
// fresh folder: 1 "Vexterm Demo BBS" (127.0.0.1:6502), 2 and 3 "New BBS - n".
class SessionFixture : public ::testing::Test, protected SessionParts {
protected:
    void SetUp() override {
        config.BeepOnConnect = false;
        config.KeyPressDelay = false;
        status.setSysLog(true);
        ASSERT_TRUE(bbsList.CreateBBSListFile());
        ASSERT_TRUE(bbsList.LoadBBSList());
        ASSERT_EQ(bbsList.addRecord(), 2);
        ASSERT_EQ(bbsList.addRecord(), 3);
        bbsList.FillBBSList();
        session = std::make_unique<TerminalSession>(
            TerminalSession::Ports{socket, timeline, timeline, prompter, sound, box, clipboard}, status, config, bbsList,
            screen);
        session->start();
    }

    Connection& connection() { return session->connection(); }

    // Selects list entry `index`, presses Connect and brings the connection up.
    void connectTo(int index) {
        connection().selectBBS(index);
        connection().connectButton();
        socket.connectionUp();
    }

    // The same, with the baud-rate simulator off so received data is drawn at once.
    void connectDirect(int index) {
        connectTo(index);
        session->baudSim().setActive(false);
    }

    // The visible cells of a row as codes, and as text for printable rows.
    std::string rowText(int row) const {
        std::string text;
        for (int col = 0; col < screen.state().ColumnCount; ++col) {
            const auto code = glyphs.codeAt(surface, col, row);
            text += code ? static_cast<char>(*code) : '?';
        }
        return text;
    }
    std::string logText() const {
        std::string bytes;
        readWholeFileInto(log.path(), bytes);
        return bytes;
    }
    static void readWholeFileInto(const std::string& path, std::string& bytes);
    std::string stored(const std::string& section, const std::string& key);
};

}  // namespace vx::test
