#pragma once

// The desktop program in a fresh folder with dialogs answered by the test, and a board on
// 127.0.0.1 that records what it receives.
#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/AtomicFile.h"
#include "screen/GlyphIndex.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "ui/frame/DesktopApp.h"

namespace vx::test {

inline std::string fileText(const std::filesystem::path& path) {
    std::string bytes;
    readWholeFile(path.string(), bytes);
    return bytes;
}

struct Run {
    TempDir temp;
    FakePrompter prompter;
    bool quit = false;
    std::unique_ptr<DesktopApp> app;

    explicit Run(std::optional<std::string> host = std::nullopt, int port = 23) {
        prompter.yesNoAnswers = {false};  // no help page
        DesktopApp::Options options;
        options.systemFolder = (temp / "Vexterm").string();
        options.programFolder = temp.path().string();
        options.host = std::move(host);
        options.port = port;
        options.showWelcome = false;
        options.prompter = &prompter;
        options.quit = [this] { quit = true; };
        app = std::make_unique<DesktopApp>(options);
    }
    std::filesystem::path folder() const { return temp / "Vexterm"; }
    // The program started again on the same folder (after this run's shutdown), answering its
    // dialogs with `answers`.
    std::unique_ptr<DesktopApp> restarted(FakePrompter& answers) const {
        DesktopApp::Options options;
        options.systemFolder = folder().string();
        options.showWelcome = false;
        options.prompter = &answers;
        options.quit = [] {};
        auto again = std::make_unique<DesktopApp>(options);
        again->start();
        return again;
    }
    // A row of the screen as text; cells that are not printable characters read as blanks.
    std::string row(int r) const {
        const GlyphIndex glyphs;
        std::string text;
        for (int col = 0; col < app->screen().state().ColumnCount; ++col) {
            const auto code = glyphs.codeAt(app->surface(), col, r);
            text += code && *code >= 32 && *code < 127 ? static_cast<char>(*code) : ' ';
        }
        return text;
    }
    // Points the sample board of the BBS list (record 1, listed first) at a port on 127.0.0.1.
    void pointSampleBoardAt(quint16 port) {
        BBSList& list = app->bbsList();
        if (!list.LoadBBSRecord("1")) return;
        list.record().Port = port;
        list.SaveBBSRecord("1", list.record(), false);
        app->session().connection().selectBBS(0);
    }
};

// A board on 127.0.0.1 that keeps every byte it receives; optionally it echoes them. send()
// writes to the latest caller.
class LoopbackBoard {
public:
    explicit LoopbackBoard(bool echo = false) : m_echo(echo) {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            QTcpSocket* caller = m_server.nextPendingConnection();
            m_caller = caller;
            ++m_calls;
            QObject::connect(caller, &QTcpSocket::readyRead, caller, [this, caller] {
                const QByteArray bytes = caller->readAll();
                m_received += bytes;
                if (m_echo) caller->write(bytes);
            });
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    const QByteArray& received() const { return m_received; }
    void clear() { m_received.clear(); }
    int calls() const { return m_calls; }
    void send(const QByteArray& bytes) {
        if (m_caller) m_caller->write(bytes);
    }
    // The board hangs up on the latest caller.
    void dropCaller() {
        if (m_caller) m_caller->disconnectFromHost();
    }

private:
    QTcpServer m_server;
    bool m_echo;
    QByteArray m_received;
    QTcpSocket* m_caller = nullptr;  // owned by the server
    int m_calls = 0;
};

}  // namespace vx::test
