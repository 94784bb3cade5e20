// The telnet line and the transfer engine behind real, independent telnet servers: busybox telnetd
// (which ignores every option, so the line stays in plain text) and inetutils telnetd (which agrees
// to binary). Each server runs in inetd mode on the far end of a loopback connection and starts a
// small board program on its pseudo-terminal: a screen, a window-size reporter, or lrzsz.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/AtomicFile.h"
#include "platform/SocketPort.h"
#include "session/TelnetSocket.h"
#include "support/LoopbackPeer.h"
#include "support/TempDir.h"
#include "tools/FileTransfer.h"
#include "tools/TransferFiles.h"

namespace vx {
namespace {

using test::LoopbackPeer;
using test::RealTimeline;
using test::TempDir;

constexpr int kLimitMs = 20000;
constexpr int kTransferLimitMs = 30000;

// The peer's end of the connection as the session's socket: what the peer sent waits in `pending`
// until the line reads it.
class PeerSocket : public SocketPort {
public:
    explicit PeerSocket(LoopbackPeer& peer) : m_peer(peer) {}
    std::string pending;
    void setEvents(SocketEvents*) override {}
    void connectTo(const std::string&, int) override {}
    void close() override {}
    std::string readAll() override { return std::exchange(pending, {}); }
    bool send(std::string_view bytes, SendError&) override {
        m_peer.send(bytes);
        return true;
    }

private:
    LoopbackPeer& m_peer;
};

struct Server {
    const char* name;
    // The server's command line in inetd mode, running `board` (a script without arguments).
    std::vector<std::string> (*argv)(const std::string& board);
    bool (*installed)();
};

bool busyboxHasTelnetd() {
    if (test::findProgram("busybox").empty()) return false;
    FILE* list = ::popen((test::findProgram("busybox") + " --list").c_str(), "r");
    if (!list) return false;
    std::string names;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, list)) > 0;) names.append(buffer, got);
    ::pclose(list);
    return names.find("\ntelnetd\n") != std::string::npos || names.starts_with("telnetd\n");
}

const char* const kInetutilsTelnetd = "/usr/sbin/telnetd";

bool inetutilsInstalled() {
    // busybox-static's applet links are not installed as /usr/sbin/telnetd; inetutils' is.
    return ::access(kInetutilsTelnetd, X_OK) == 0 && std::filesystem::is_regular_file(kInetutilsTelnetd) &&
           !std::filesystem::is_symlink(kInetutilsTelnetd);
}

const Server kServers[] = {
    {"busybox",
     [](const std::string& board) {
         return std::vector<std::string>{test::findProgram("busybox"), "telnetd", "-i", "-f", "/dev/null", "-l", board};
     },
     busyboxHasTelnetd},
    {"inetutils",
     [](const std::string& board) {
         return std::vector<std::string>{kInetutilsTelnetd, "--no-hostinfo", "--exec-login=" + board};
     },
     inetutilsInstalled},
};

void PrintTo(const Server& server, std::ostream* out) { *out << server.name; }

// Writes an executable board script into `dir`; the terminal is made raw first, as a board's
// serial line would be.
std::string writeBoard(const TempDir& dir, const std::string& name, const std::string& body) {
    const std::string path = (dir / name).string();
    EXPECT_EQ(writeFileAtomically(path, "#!/bin/sh\nstty raw -echo\n" + body + "\n"), FileStatus::kOk);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// A call through the server: the session's telnet line on our side.
struct Call {
    RealTimeline timeline;
    LoopbackPeer peer;
    PeerSocket socket{peer};
    TelnetSocket line{socket, timeline};
    std::string shown;

    Call(const Server& server, const std::string& board, const TempDir& dir)
        : peer(server.argv(board), dir.path().string(), (dir / "server.log").string()) {
        line.beginCall(TelnetSocket::Mode::Telnet);
    }
    void read(std::string_view bytes) {
        socket.pending += bytes;
        shown += line.readAll();
    }
    // Reads until `text` was shown; returns what was shown up to and including it, and keeps the rest.
    std::string until(const std::string& text) {
        peer.pump(
            timeline, [&](std::string_view bytes) { read(bytes); },
            [&] { return shown.find(text) != std::string::npos; }, kLimitMs);
        const std::size_t at = shown.find(text);
        if (at == std::string::npos) return std::exchange(shown, {});
        std::string upTo = shown.substr(0, at + text.size());
        shown.erase(0, at + text.size());
        return upTo;
    }
    void type(std::string_view keys) {
        SocketPort::SendError ignored;
        line.send(keys, ignored);
    }
};

class TelnetServerPeer : public ::testing::TestWithParam<Server> {
protected:
    void SetUp() override {
        if (!GetParam().installed())
            GTEST_SKIP() << GetParam().name << " telnetd is not installed (scripts/setup.sh installs it)";
    }
    TempDir dir;
};

// The board's bytes arrive exactly: no NUL after its CRs unless it sent one, 255 and EOL intact.
TEST_P(TelnetServerPeer, TheScreenGetsTheBoardsBytesExactly) {
    const std::string board = writeBoard(dir, "screen.sh", "printf '<<A B\\rC\\r\\nD\\r\\000E\\377F\\233>>'\nread x");
    Call call(GetParam(), board, dir);
    const std::string shown = call.until(">>");
    ASSERT_NE(shown.find("<<"), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(shown.find("<<")), std::string("<<A B\rC\r\nD\r\0E\xff"
                                                          "F\x9b>>",
                                                          18));
}

// The window size reaches the board whole at the start of every call and after each 40/80 switch.
TEST_P(TelnetServerPeer, TheBoardSeesTheWindowSize) {
    // For every byte typed: the byte in hex and the terminal's "rows columns".
    const std::string board =
        writeBoard(dir, "size.sh",
                   "printf 'READY\\233'\nwhile :; do\n  b=$(dd bs=1 count=1 2>/dev/null | od -An -tx1 | tr -d ' \\n')\n"
                   "  [ -n \"$b\" ] || exit 0\n  printf '%s:%s\\233' \"$b\" \"$(stty size)\"\ndone");
    const int calls = std::string(GetParam().name) == "busybox" ? 10 : 2;
    for (int i = 0; i < calls; ++i) {
        Call call(GetParam(), board, dir);
        call.until("READY\x9b");
        call.type("?");
        EXPECT_EQ(call.until("\x9b"), "3f:24 40\x9b") << "call " << i;
        call.line.setWindowSize(80, 24);
        call.type("?");
        EXPECT_EQ(call.until("\x9b"), "3f:24 80\x9b") << "call " << i;
        call.line.setWindowSize(40, 24);
        call.type("?");
        EXPECT_EQ(call.until("\x9b"), "3f:24 40\x9b") << "call " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, TelnetServerPeer, ::testing::ValuesIn(kServers),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Transfers of files full of what a telnet line changes -------------------------------------

// CR, CR LF, CR NUL, 255 (telnet's IAC) and 24 (CAN, which aborts a transfer) in every mix, then
// the rest of the bytes; not ending in SUB, which XMODEM takes as padding.
std::string awkwardFile() {
    const std::string pieces[] = {"\r",       "\r\n",   std::string("\r\0", 2),     "\xff", "\xff\xff", "\x18",
                                  "\x18\x18", "\r\xff", std::string("\r\r\0\n", 4), "AB"};
    std::string file;
    for (unsigned i = 0; file.size() < 5000; ++i) {
        file += pieces[i % std::size(pieces)];
        file += pieces[(i * 7 + 3) % std::size(pieces)];
        file += static_cast<char>(i % 256);
    }
    file += "END";
    return file;
}

struct Transfer {
    const char* name;
    bool download;
    TransferProtocol protocol;
    const char* peer;  // lrzsz on the board's side; the file name follows for a sender or an XMODEM receiver
};

const Transfer kTransfers[] = {
    {"DownloadXmodemCrc", true, TransferProtocol::XmodemCrc, "sx -q"},
    {"DownloadXmodem1K", true, TransferProtocol::Xmodem1K, "sx -q -k"},
    {"DownloadYmodem", true, TransferProtocol::Ymodem, "sb -q -k"},
    {"UploadXmodemCrc", false, TransferProtocol::XmodemCrc, "rx -q -b -c"},
    {"UploadXmodem1K", false, TransferProtocol::Xmodem1K, "rx -q -b -c"},
    {"UploadYmodem", false, TransferProtocol::Ymodem, "rb -q -b"},
    {"DownloadZmodem", true, TransferProtocol::Zmodem, "sz -q"},
    {"DownloadZmodemEscaped", true, TransferProtocol::Zmodem, "sz -q -e"},
    {"UploadZmodem", false, TransferProtocol::Zmodem, "rz -q"},
};

class TelnetServerTransfer : public ::testing::TestWithParam<std::tuple<Server, Transfer>> {
protected:
    void SetUp() override {
        const auto& [server, transfer] = GetParam();
        if (!server.installed()) GTEST_SKIP() << server.name << " telnetd is not installed";
        if (test::findProgram("sx").empty() || test::findProgram("rb").empty())
            GTEST_SKIP() << "lrzsz is not installed";
    }
};

TEST_P(TelnetServerTransfer, TheFileArrivesByteForByte) {
    const auto& [server, transfer] = GetParam();
    TempDir dir;
    const std::string content = awkwardFile();
    std::filesystem::create_directories(dir / "board");
    std::filesystem::create_directories(dir / "in");
    const std::string boardFile = transfer.download ? "sent.bin" : "upload.bin";
    if (transfer.download)
        ASSERT_EQ(writeFileAtomically((dir / "board" / "sent.bin").string(), content), FileStatus::kOk);
    ASSERT_EQ(writeFileAtomically((dir / "upload.bin").string(), content), FileStatus::kOk);
    const bool batch = transfer.protocol == TransferProtocol::Ymodem || transfer.protocol == TransferProtocol::Zmodem;
    const bool names = transfer.download || !batch;
    // lrzsz flushes its terminal's input each time it answers a block, which on a pseudo-terminal
    // behind a fast line throws away the next block (serial lines are slower than its answer);
    // fed through a pipe it reads what the line brought. After it ends the board stays a second,
    // as a board does, so its last answer leaves before the call ends.
    const std::string board =
        writeBoard(dir, "transfer.sh",
                   "cd '" + (dir / "board").string() + "' || exit 1\ncat | { " + transfer.peer +
                       (names ? " " + boardFile : std::string()) + " 2>>../board.log; sleep 1; kill 0; }");
    Call call(server, board, dir);

    bool finished = false;
    bool ok = false;
    std::string message;
    FileTransfer engine(call.timeline, call.timeline, [&](std::string_view bytes) { call.line.sendOwn(bytes); },
                        {nullptr, [&](bool success, const std::string& text) {
                             finished = true;
                             ok = success;
                             message = text;
                         }});
    call.line.divert([&](std::string_view bytes) { engine.receive(bytes); });
    DownloadFolderSink sink((dir / "in").string(), "xmodem.bin");
    FileListSource source({(dir / "upload.bin").string()});
    if (transfer.download)
        engine.startDownload(transfer.protocol, sink);
    else
        engine.startUpload(transfer.protocol, source);
    call.peer.pump(
        call.timeline, [&](std::string_view bytes) { call.read(bytes); }, [&] { return finished; }, kTransferLimitMs);
    std::string boardLog;
    readWholeFile((dir / "board.log").string(), boardLog);
    ASSERT_TRUE(ok) << (finished ? message : "no end within the limit") << "\nboard: " << boardLog;

    std::string got;
    if (transfer.download) {
        const std::string saved = batch ? "sent.bin" : "xmodem.bin";
        ASSERT_TRUE(readWholeFile((dir / "in" / saved).string(), got));
        EXPECT_TRUE(got == content) << "got " << got.size() << " of " << content.size() << " bytes";
    } else {
        // The board's call ends when lrzsz does; wait for the file it wrote.
        call.peer.waitForExit(5000);
        ASSERT_TRUE(readWholeFile((dir / "board" / "upload.bin").string(), got));
        // rx keeps the last XMODEM block's padding as it came.
        if (!batch && got.size() > content.size() && got.find_first_not_of('\x1a', content.size()) == std::string::npos)
            got.resize(content.size());
        EXPECT_TRUE(got == content) << "got " << got.size() << " of " << content.size() << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Matrix, TelnetServerTransfer,
                         ::testing::Combine(::testing::ValuesIn(kServers), ::testing::ValuesIn(kTransfers)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

}  // namespace
}  // namespace vx
