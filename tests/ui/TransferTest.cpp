// File transfers through the window against the real lrzsz programs: the program dials a
// loopback board whose far end is `sb` (sending) or `rb` (receiving), the transfer is started
// from the capture menu and the transfer window, and the files are compared byte for byte.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/TransferWindow.h"

using namespace vx;
using namespace vx::test;
namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 30000;

// A board on 127.0.0.1 whose caller talks straight to a program's standard input and output.
class PeerBoard : public QTcpServer {
public:
    PeerBoard(std::vector<std::string> argv, fs::path workDir) : m_argv(std::move(argv)), m_dir(std::move(workDir)) {}
    ~PeerBoard() override {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    // The program's exit status once it ended, -1 while it runs.
    int exitStatus() {
        if (m_pid > 0 && m_status < 0) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
                m_pid = -1;
            }
        }
        return m_status;
    }

protected:
    void incomingConnection(qintptr socket) override {
        const int fd = static_cast<int>(socket);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(fd, 0);
            ::dup2(fd, 1);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 2);
            if (::chdir(m_dir.c_str()) != 0) ::_exit(126);
            std::vector<char*> args;
            for (std::string& arg : m_argv) args.push_back(arg.data());
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(fd);
    }

private:
    std::vector<std::string> m_argv;
    fs::path m_dir;
    pid_t m_pid = -1;
    int m_status = -1;
};

std::string randomBytes(std::size_t size) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

bool installed(const char* program) {
    return QProcess::execute("sh", {"-c", QString("command -v %1 > /dev/null").arg(program)}) == 0;
}

// The capture menu's entry, as the right mouse button offers it.
void chooseFromCaptureMenu(DesktopApp& app, const char* entry) {
    QAction* action = app.screenWindow().captureMenu()->findChild<QAction*>(entry);
    QVERIFY2(action, entry);
    action->trigger();
}

}  // namespace

class TransferTest : public QObject {
    Q_OBJECT

private:
    TempDir m_temp;

    // The program in a call to `board`, the transfer window open for `upload`, YMODEM chosen.
    std::unique_ptr<Run> callAndOpen(PeerBoard& board, bool upload, TransferWindow*& window) {
        auto run = std::make_unique<Run>("127.0.0.1", board.serverPort());
        run->app->start();
        if (!QTest::qWaitFor([&] { return run->app->session().connection().connected(); }, kWaitMs)) return nullptr;
        chooseFromCaptureMenu(*run->app, upload ? "mnuUpload" : "mnuDownload");
        window = run->app->transferWindow();
        if (!window || !window->isVisible()) return nullptr;
        auto* protocol = child<QComboBox>(window, "cboTransferProtocol");
        QTest::keyClick(protocol, Qt::Key_Down);
        QTest::keyClick(protocol, Qt::Key_Down);
        return run;
    }

private slots:
    void init() {
        failOnUnexpectedWarnings();
        if (!installed("sb") || !installed("rb")) QSKIP("lrzsz (sb, rb) is not installed");
    }

    // A mebibyte from sb: the bar moves through the transfer and ends full; the file arrives
    // whole under its own name; Close then holds the keys.
    void aDownloadFromSbArrivesWholeWithTheBarMoving() {
        const fs::path outbox = m_temp / "outbox";
        fs::create_directories(outbox);
        const std::string data = randomBytes(1 << 20);
        QVERIFY(writeFileAtomically((outbox / "GAME.XEX").string(), data) == 0);
        PeerBoard board({"sb", "-k", "GAME.XEX"}, outbox);
        QVERIFY(board.listen(QHostAddress::LocalHost));
        TransferWindow* window = nullptr;
        auto run = callAndOpen(board, false, window);
        QVERIFY(run);
        QCOMPARE(child<QComboBox>(window, "cboTransferProtocol")->currentText(), QString("YMODEM batch"));
        QVERIFY(!child<QLineEdit>(window, "txtTransferFile")->isEnabled());

        QProgressBar* bar = child<QProgressBar>(window, "pbTransfer");
        std::vector<int> shown;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) { shown.push_back(value); });
        click(window, "cmdTransferStart");
        QCOMPARE(window->focusWidget(), child<QPushButton>(window, "cmdTransferCancel"));
        QTRY_VERIFY_WITH_TIMEOUT(run->app->session().transfers().state().finished, kWaitMs);
        QVERIFY2(run->app->session().transfers().state().ok, run->app->session().transfers().state().message.c_str());

        const fs::path downloads = run->folder() / "Downloads";
        QCOMPARE(fileText(downloads / "GAME.XEX"), data);
        QVERIFY(!fs::exists(downloads / "GAME.XEX.part"));
        const auto between = std::count_if(shown.begin(), shown.end(), [](int v) { return v > 0 && v < 100; });
        QVERIFY2(between >= 10, qPrintable(QString("the bar showed %1 values on the way").arg(between)));
        QCOMPARE(bar->value(), 100);
        QCOMPARE(child<QLabel>(window, "lblTransferFile")->text(), QString("GAME.XEX"));
        QVERIFY(child<QLabel>(window, "lblTransferStatus")->text().startsWith("Received 1 file into "));
        QCOMPARE(child<QPushButton>(window, "cmdTransferCancel")->text(), QString("Close"));
        QCOMPARE(window->focusWidget(), child<QPushButton>(window, "cmdTransferCancel"));
        QTRY_COMPARE_WITH_TIMEOUT(board.exitStatus(), 0, kWaitMs);

        click(window, "cmdTransferCancel");
        QVERIFY(!window->isVisible());
    }

    void anUploadToRbArrivesWhole() {
        const fs::path inbox = m_temp / "inbox";
        fs::create_directories(inbox);
        const std::string data = randomBytes((1 << 20) + 129);
        // rb writes an all-capitals name in small letters; a mixed name it keeps.
        const fs::path file = m_temp / "Upload.atr";
        QVERIFY(writeFileAtomically(file.string(), data) == 0);
        PeerBoard board({"rb"}, inbox);
        QVERIFY(board.listen(QHostAddress::LocalHost));
        TransferWindow* window = nullptr;
        auto run = callAndOpen(board, true, window);
        QVERIFY(run);
        QVERIFY(child<QPushButton>(window, "cmdTransferBrowse")->isVisible());
        QTest::keyClicks(child<QLineEdit>(window, "txtTransferFile"), QString::fromStdString(file.string()));
        QProgressBar* bar = child<QProgressBar>(window, "pbTransfer");
        int between = 0;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) { between += value > 0 && value < 100; });
        click(window, "cmdTransferStart");
        QTRY_VERIFY_WITH_TIMEOUT(run->app->session().transfers().state().finished, kWaitMs);
        QVERIFY2(run->app->session().transfers().state().ok, run->app->session().transfers().state().message.c_str());
        QTRY_COMPARE_WITH_TIMEOUT(board.exitStatus(), 0, kWaitMs);
        const std::string arrived = fileText(inbox / "Upload.atr");
        const auto differ = std::mismatch(arrived.begin(), arrived.end(), data.begin(), data.end());
        QVERIFY2(arrived == data, qPrintable(QString("%1 of %2 bytes arrived, the first difference at %3")
                                                  .arg(arrived.size())
                                                  .arg(data.size())
                                                  .arg(differ.first - arrived.begin())));
        QVERIFY(between >= 10);
        QCOMPARE(child<QLabel>(window, "lblTransferStatus")->text(), QString("Sent 1 file."));

        // Opened again, the window starts clean: nothing of the transfer that ended.
        click(window, "cmdTransferCancel");
        chooseFromCaptureMenu(*run->app, "mnuDownload");
        QVERIFY(window->isVisible());
        for (const char* name :
             {"lblTransferFile", "lblTransferBytes", "lblTransferSpeed", "lblTransferErrors", "lblTransferStatus"})
            QCOMPARE(child<QLabel>(window, name)->text(), QString("-"));
        QCOMPARE(bar->value(), 0);
    }

    // Cancel clicked when the bar is about a third of the way: no file under the final name,
    // no partial file, and the line is the screen's again.
    void aDownloadCancelledHalfwayLeavesNothing() {
        const fs::path outbox = m_temp / "outbox2";
        fs::create_directories(outbox);
        QVERIFY(writeFileAtomically((outbox / "BIG.BIN").string(), randomBytes(4 << 20)) == 0);
        PeerBoard board({"sb", "-k", "BIG.BIN"}, outbox);
        QVERIFY(board.listen(QHostAddress::LocalHost));
        TransferWindow* window = nullptr;
        auto run = callAndOpen(board, false, window);
        QVERIFY(run);
        QProgressBar* bar = child<QProgressBar>(window, "pbTransfer");
        bool clicked = false;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            if (value < 30 || std::exchange(clicked, true)) return;
            // As a user does: the click comes after the window has drawn the value.
            QTimer::singleShot(0, this, [window] { click(window, "cmdTransferCancel"); });
        });
        click(window, "cmdTransferStart");
        QTRY_VERIFY_WITH_TIMEOUT(run->app->session().transfers().state().finished, kWaitMs);
        QVERIFY(clicked);
        QCOMPARE(run->app->session().transfers().state().message, std::string("Cancelled"));
        QVERIFY(bar->value() < 100);
        const fs::path downloads = run->folder() / "Downloads";
        QVERIFY(fs::is_empty(downloads));
        QVERIFY(!run->app->session().line().diverted());
        QTRY_VERIFY_WITH_TIMEOUT(board.exitStatus() >= 0, kWaitMs);
    }
};

QTEST_MAIN(TransferTest)
#include "TransferTest.moc"
