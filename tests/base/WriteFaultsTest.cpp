// Every file the program writes, written by the code that writes it while the C library's write,
// flush, fsync, close and rename calls fail on cue (support/WriteFaults.h), and while the disk
// fills up after n bytes: for each kind of failure, the first call fails, then the second, and
// so on until a save meets no failure at all. After every failure
//   (a) each file holds its old bytes or its new bytes, whole (a record appended to a file is
//       there whole or not at all),
//   (b) nothing else is left in the folder (no temporary or .part file),
//   (c) the user was told, unless the file came out complete after all,
//   (d) the next save without failures succeeds and gives the file it should.
// What a save should give is what the same save gives on a copy of the folder with no failures.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "base/AtomicFile.h"
#include "config/ConfigFile.h"
#include "directory/BBSCsv.h"
#include "directory/BBSList.h"
#include "directory/TimeOnlineReport.h"
#include "log/LogViewer.h"
#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "screen/Framebuffer.h"
#include "screen/ScreenInterpreter.h"
#include "session/Startup.h"
#include "session/TerminalSession.h"
#include "support/FakeTimeline.h"
#include "support/Fakes.h"
#include "support/SessionParts.h"
#include "support/TempDir.h"
#include "support/WriteFaults.h"
#include "tools/Capture.h"
#include "tools/FileTransfer.h"
#include "tools/MojiFiles.h"
#include "tools/ScreenDump.h"
#include "tools/TransferFiles.h"
#include "tools/UrlDetector.h"

namespace {

namespace fs = std::filesystem;
using vx::test::FakeClock;
using vx::test::FakePrompter;
using vx::test::FakeStatusSink;
using vx::test::TempDir;
using vx::test::WriteFaults;
using Operation = WriteFaults::Operation;

// The files of a folder: name -> bytes.
using Snapshot = std::map<std::string, std::string>;

Snapshot snapshotOf(const fs::path& folder) {
    Snapshot files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string bytes = "(not a file)";
        if (entry.is_regular_file()) vx::readWholeFile(entry.path().string(), bytes);
        files[entry.path().filename().string()] = bytes;
    }
    return files;
}

void restore(const fs::path& folder, const Snapshot& files) {
    for (const auto& [name, bytes] : files) std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::optional<std::string> fileIn(const Snapshot& files, const std::string& name) {
    const auto found = files.find(name);
    return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::string describe(const std::optional<std::string>& file) {
    return file ? std::to_string(file->size()) + " bytes" : "no file";
}

// "" when the two are the same, else where they differ (without dumping binary files).
std::string difference(const Snapshot& found, const Snapshot& wanted) {
    std::set<std::string> names;
    for (const auto& [name, bytes] : found) names.insert(name);
    for (const auto& [name, bytes] : wanted) names.insert(name);
    std::string text;
    for (const std::string& name : names) {
        const auto a = fileIn(found, name), b = fileIn(wanted, name);
        if (a != b) text += name + ": " + describe(a) + " where " + describe(b) + " was wanted; ";
    }
    return text;
}

// (a) and (b): each file as before or as complete, and nothing else.
std::string brokenFiles(const Snapshot& before, const Snapshot& complete, const Snapshot& after) {
    std::set<std::string> names;
    for (const Snapshot* files : {&before, &complete, &after})
        for (const auto& [name, bytes] : *files) names.insert(name);
    std::string text;
    for (const std::string& name : names) {
        const auto old = fileIn(before, name), whole = fileIn(complete, name), now = fileIn(after, name);
        if (now == old || now == whole) continue;
        if (!old && !whole)
            text += "left behind: " + name + "; ";
        else
            text += name + " holds " + describe(now) + ", neither the old " + describe(old) + " nor the new " +
                    describe(whole) + "; ";
    }
    return text;
}

// A kind of file, written the way the program writes it.
class Writer {
public:
    virtual ~Writer() = default;
    // Before each save, outside what is checked (a first run starts without its files).
    virtual void prepare() {}
    // Saves version `round`; true when the user was told that it failed.
    virtual bool save(int round) = 0;
};

struct Kind {
    const char* name;
    // A writer of files in `folder`; `home` holds what it needs besides (a list, a log).
    std::function<std::unique_ptr<Writer>(const fs::path& folder, const fs::path& home)> make;
};

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

}  // namespace

namespace vx::test {
void PrintTo(WriteFaults::Operation operation, std::ostream* out) { *out << WriteFaults::name(operation); }
}  // namespace vx::test

namespace {

template <typename W>
Kind kindOf(const char* name) {
    return {name, [](const fs::path& folder, const fs::path& home) { return std::make_unique<W>(folder, home); }};
}

std::string roundText(int round, char fill) {
    return "round " + std::to_string(round) + " " + std::string(static_cast<std::size_t>(round * 37 % 90), fill);
}

bool grew(const FakePrompter& prompter, std::size_t before) { return prompter.messages.size() > before; }

// ---- The writers --------------------------------------------------------------------------------

// Configuration: the editor's save (CfgForm tells the user when SaveConfig reports WriteFailed).
class ConfigWriter : public Writer {
public:
    ConfigWriter(const fs::path& folder, const fs::path&) : m_config(m_store, (folder / "VX3_Cfg.ini").string()) {
        if (!fs::exists(m_config.path())) m_config.WriteConfigHeader(m_clock.now());
    }
    bool save(int round) override {
        vx::ConfigSettings settings = vx::firstRunSettings("/srv/vexterm");
        settings.QuotePrefix = std::string(static_cast<std::size_t>(round % 4 + 1), '>');
        settings.CaptureFileName = roundText(round, 'c') + ".txt";
        settings.VXESendDelay = static_cast<std::int16_t>(round);
        return m_config.SaveConfig(settings) != vx::ConfigFile::SaveResult::Saved;
    }

private:
    vx::SettingsStore m_store;
    FakeClock m_clock;
    vx::ConfigFile m_config;
};

// Configuration: the run's totals written at shutdown (the user is told when they were not).
class SessionTotalsWriter : public Writer {
public:
    SessionTotalsWriter(const fs::path& folder, const fs::path& home)
        : m_paths{folder.string()},
          m_log(m_clock, home.string()),
          m_list(m_store, m_prompter, m_clock, (home / "VX3_BBS.INI").string()) {
        if (!fs::exists(m_paths.configFile()))
            vx::ConfigFile(m_store, m_paths.configFile()).WriteConfigHeader(m_clock.now());
    }
    bool save(int round) override {
        m_config.TotalIncoming = round * 1000;
        m_config.SessionNum = round;
        const std::size_t before = m_prompter.messages.size();
        bool done = false;
        vx::Startup({m_paths, m_store, m_prompter, m_clock, m_scrambler, m_status, m_config, m_list, {}})
            .shutdown(round, [&done] { done = true; });
        EXPECT_TRUE(done) << "the shutdown did not finish";
        return grew(m_prompter, before);
    }

private:
    vx::SystemPaths m_paths;
    FakeClock m_clock;
    vx::test::FakeRandom m_random;
    vx::Scrambler m_scrambler{m_random};
    vx::SettingsStore m_store;
    FakePrompter m_prompter;
    FakeStatusSink m_sink;
    vx::SystemLog m_log;
    vx::StatusReporter m_status{m_sink, m_log};
    vx::ConfigSettings m_config;
    vx::BBSList m_list;
};

// A board of the list with the BBS list in `folder`, made there on first use.
struct ListParts {
    explicit ListParts(const fs::path& folder) : list(store, prompter, clock, (folder / "VX3_BBS.INI").string()) {
        if (!fs::exists(list.path())) list.CreateBBSListFile();
        list.LoadBBSList();
    }
    // Board 1 as version `round`; false when the list said it could not be written.
    bool saveBoard(int round) {
        vx::BBSRecord record = list.recordOf("1");
        record.BBSname = "Board of round " + std::to_string(round);
        record.Comment = roundText(round, 'x');
        record.Connects = round;
        record.MaxBaud = 1200 * round;
        return list.SaveBBSRecord("1", record, false);
    }
    vx::SettingsStore store;
    FakePrompter prompter;
    FakeClock clock;
    vx::BBSList list;
};

// BBS list: the editor's save of a record (the list tells the user itself).
class BBSListWriter : public Writer {
public:
    BBSListWriter(const fs::path& folder, const fs::path&) : m_parts(folder) {}
    bool save(int round) override {
        const std::size_t before = m_parts.prompter.messages.size();
        m_parts.saveBoard(round);
        return grew(m_parts.prompter, before);
    }

private:
    ListParts m_parts;
};

// Capture: on, one received chunk, off (capture tells the user itself).
class CaptureWriter : public Writer {
public:
    CaptureWriter(const fs::path& folder, const fs::path& home)
        : m_log(m_timeline, home.string()), m_config(configFor(folder)) {
        m_capture = std::make_unique<vx::CaptureFile>(
            m_config, vx::CapturePorts{m_timeline, m_status, m_prompter, m_sound, m_moji, m_urls, [](std::uint8_t) {}});
    }
    bool save(int round) override {
        const std::size_t before = m_prompter.messages.size();
        if (!m_capture->captureOn()) m_capture->toggleCapture();
        m_capture->WriteCaptureRecord(roundText(round, static_cast<char>(155)) + "\"quoted\"");
        if (m_capture->captureOn()) m_capture->toggleCapture();
        return grew(m_prompter, before);
    }

private:
    static vx::ConfigSettings configFor(const fs::path& folder) {
        vx::ConfigSettings config;
        config.CaptureFolder = folder.string();
        config.CaptureFileName = "VX3_Capture.txt";
        return config;
    }
    vx::test::FakeTimeline m_timeline;
    FakeStatusSink m_sink;
    vx::SystemLog m_log;
    vx::StatusReporter m_status{m_sink, m_log};
    FakePrompter m_prompter;
    vx::test::FakeSound m_sound;
    vx::test::FakeMojiSink m_moji;
    vx::UrlDetector m_urls;
    vx::ConfigSettings m_config;
    std::unique_ptr<vx::CaptureFile> m_capture;
};

// System log: one line (the failure hook is where the user is told).
class SystemLogWriter : public Writer {
public:
    SystemLogWriter(const fs::path& folder, const fs::path&) : m_log(m_clock, folder.string()) {
        m_log.setOnWriteFailed([this](const std::string&) { m_told = true; });
    }
    bool save(int round) override {
        m_told = false;
        const bool written = m_log.WriteLogLine(roundText(round, '.'), round % 3 == 0);
        EXPECT_EQ(written, !m_told);
        return m_told;
    }

private:
    FakeClock m_clock;
    vx::SystemLog m_log;
    bool m_told = false;
};

// Time-online report, as text or CSV: the log window writes it; told is what the user reads.
template <bool Csv>
class ReportWriter : public Writer {
public:
    ReportWriter(const fs::path& folder, const fs::path& home) : m_folder(folder), m_parts(home) {}
    bool save(int round) override {
        m_parts.saveBoard(round);
        const auto rows = vx::report::build(m_parts.list, true);
        const std::string path = (m_folder / (Csv ? "TPSreports.csv" : "TPSreports.txt")).string();
        m_prompter.messages.clear();
        vx::report::saveFile(path, Csv ? vx::report::csv(rows) : vx::report::fileText(rows), m_prompter, Csv);
        if (m_prompter.messages.empty()) {
            EXPECT_FALSE(Csv) << "a CSV report was saved without a word";
            return false;
        }
        const auto& shown = m_prompter.messages.back();
        const bool told = shown.text.starts_with("Could not write " + path + "\r(");
        EXPECT_EQ(shown.icon, told ? vx::MessageIcon::Exclamation : vx::MessageIcon::Information);
        if (!told) EXPECT_EQ(shown.text, "Report saved to:\r" + path);
        return told;
    }

private:
    fs::path m_folder;
    ListParts m_parts;
    FakePrompter m_prompter;
};

// BBS list as CSV: --export-bbs prints the problem and fails.
class BBSCsvWriter : public Writer {
public:
    BBSCsvWriter(const fs::path& folder, const fs::path& home) : m_folder(folder), m_parts(home) {}
    bool save(int round) override {
        m_parts.saveBoard(round);
        return !vx::bbscsv::exportFile(m_parts.list, (m_folder / "boards.csv").string()).empty();
    }

private:
    fs::path m_folder;
    ListParts m_parts;
};

// A whole session whose 'Mojis folder and capture folder are `folder`.
struct EditorSession : vx::test::SessionParts {
    explicit EditorSession(const fs::path& folder) {
        config.MojisDumpPath = folder.string();
        config.CaptureFolder = folder.string();
        config.VXESendDelay = 0;
        bbsList.CreateBBSListFile();
        bbsList.LoadBBSList();
        session = std::make_unique<vx::TerminalSession>(
            vx::TerminalSession::Ports{socket, timeline, timeline, prompter, sound, box, clipboard}, status, config,
            bbsList, screen);
        session->start();
    }
    vx::MojiEditor& editor() { return session->moji(); }
};

std::string codesOf(int round) { return vx::Cvt2ASCII(roundText(round, 'm')); }

// VXEditor's Save into the 'Mojis folder (it tells the user itself).
class MojiSaveWriter : public Writer {
public:
    MojiSaveWriter(const fs::path& folder, const fs::path&) : m_session(folder) {}
    bool save(int round) override {
        m_session.editor().setCodes(codesOf(round));
        m_session.prompter.textAnswers = {std::string("art")};
        const std::size_t before = m_session.prompter.messages.size();
        m_session.editor().save("");
        return grew(m_session.prompter, before);
    }

private:
    EditorSession m_session;
};

// VXEditor's Send to Main with Create File: the bytes also go to a file in the capture folder.
class MojiCreateFileWriter : public Writer {
public:
    MojiCreateFileWriter(const fs::path& folder, const fs::path&) : m_session(folder) {
        m_session.editor().createFile = true;
    }
    bool save(int round) override {
        const std::string codes = codesOf(round);
        m_session.prompter.textAnswers = {std::string("made.txt")};
        const std::size_t before = m_session.prompter.messages.size();
        m_session.editor().ConvertASCIItoATASCII(codes, static_cast<std::int64_t>(codes.size()) + 1, false);
        return grew(m_session.prompter, before);
    }

private:
    EditorSession m_session;
};

// The system 'Mojis of the first run (the status line names those not written).
class SystemMojisWriter : public Writer {
public:
    SystemMojisWriter(const fs::path& folder, const fs::path& home) : m_folder(folder), m_log(m_clock, home.string()) {}
    void prepare() override {
        for (const auto& entry : fs::directory_iterator(m_folder)) fs::remove(entry.path());
    }
    bool save(int) override {
        const std::size_t before = m_sink.history.size();
        const bool written = vx::CreateSystemMojis(m_folder.string(), m_status);
        bool told = false;
        for (std::size_t i = before; i < m_sink.history.size(); ++i)
            told |= m_sink.history[i].find("not written") != std::string::npos;
        EXPECT_EQ(written, !told);
        return told;
    }

private:
    fs::path m_folder;
    FakeClock m_clock;
    FakeStatusSink m_sink;
    vx::SystemLog m_log;
    vx::StatusReporter m_status{m_sink, m_log};
};

// Save Screen As, in each format (it tells the user itself).
template <vx::DumpFormat Format>
class ScreenDumpWriter : public Writer {
public:
    ScreenDumpWriter(const fs::path& folder, const fs::path&) {
        m_config.ScreenDumpPath = folder.string();
        m_config.DTScreenDumpName = false;
        m_config.DefaultBMPName = "shot.bmp";
    }
    bool save(int round) override {
        m_screen.ScreenHandler(vx::ScreenInterpreter::kClearScreen);
        for (char c : roundText(round, '*')) m_screen.ScreenHandler(static_cast<std::uint8_t>(c));
        m_prompter.textAnswers = {std::string("shot")};
        const std::size_t before = m_prompter.messages.size();
        m_dump.save(Format);
        for (std::size_t i = before; i < m_prompter.messages.size(); ++i)
            if (m_prompter.messages[i].title == "Save Screen") return true;
        return false;
    }

private:
    FakePrompter m_prompter;
    FakeClock m_clock;
    vx::ConfigSettings m_config;
    vx::Framebuffer m_surface;
    vx::ScreenInterpreter m_screen{m_surface};
    vx::ScreenDump m_dump{m_prompter, m_clock, m_config, m_surface, [] { return 40; }};
};

// A download by XMODEM-CRC into the folder; a file that is there already is replaced, as on the
// user's Yes. The engine's failure message is what the transfer window and status line show.
class DownloadWriter : public Writer {
public:
    DownloadWriter(const fs::path& folder, const fs::path&) : m_folder(folder) {}
    bool save(int round) override {
        std::string content;
        for (int i = 0; i < 300 + round * 53 % 200; ++i) content += static_cast<char>((i * 7 + round) & 0xFF);
        content += "end";
        bool finished = false, ok = false;
        vx::DownloadFolderSink sink(m_folder.string(), "board.bin");
        vx::FileTransfer engine(m_timeline, m_timeline, [](std::string_view) {},
                                {nullptr, [&](bool success, const std::string&) {
                                     finished = true;
                                     ok = success;
                                 }});
        engine.startDownload(vx::TransferProtocol::XmodemCrc, sink);
        for (std::size_t at = 0, block = 1; at < content.size(); at += 128, ++block)
            engine.receive(vx::frameBlock(static_cast<int>(block), std::string_view(content).substr(at, 128), true));
        engine.receive("\x04\x04");  // the first EOT is refused, the sender repeats it
        if (!finished || !ok) return true;
        std::string error;
        for (std::size_t i = 0; i < sink.received().size(); ++i)
            if (sink.received()[i].outcome == vx::DownloadFolderSink::Outcome::Exists &&
                !sink.replaceExisting(i, error))
                return true;
        return false;
    }

private:
    fs::path m_folder;
    vx::test::FakeTimeline m_timeline;
};

// The detected addresses exported to a file in the system folder (it tells the user itself).
class UrlExportWriter : public Writer {
public:
    UrlExportWriter(const fs::path& folder, const fs::path& home) : m_folder(folder), m_log(m_clock, home.string()) {}
    bool save(int round) override {
        m_urls.clearUrls();
        const std::string seen = "see http://example.org/r" + std::to_string(round) + " and www.round" +
                                 std::to_string(round) + ".test/" +
                                 std::string(static_cast<std::size_t>(round % 30), 'p') + " ";
        for (char c : seen) m_urls.DetectURLChar(static_cast<std::uint8_t>(c));
        m_prompter.textAnswers = {std::string("urls")};
        const std::size_t before = m_prompter.messages.size();
        m_urls.exportUrls(m_prompter, m_status, m_clock, m_folder.string());
        for (std::size_t i = before; i < m_prompter.messages.size(); ++i)
            if (m_prompter.messages[i].text.starts_with("Could not write")) return true;
        return false;
    }

private:
    fs::path m_folder;
    FakeClock m_clock;
    FakePrompter m_prompter;
    FakeStatusSink m_sink;
    vx::SystemLog m_log;
    vx::StatusReporter m_status{m_sink, m_log};
    vx::UrlDetector m_urls;
};

const Kind kKinds[] = {
    kindOf<ConfigWriter>("configuration"),
    kindOf<SessionTotalsWriter>("session_totals"),
    kindOf<BBSListWriter>("bbs_list"),
    kindOf<CaptureWriter>("capture"),
    kindOf<SystemLogWriter>("system_log"),
    kindOf<ReportWriter<false>>("report_text"),
    kindOf<ReportWriter<true>>("report_csv"),
    kindOf<MojiSaveWriter>("moji_save"),
    kindOf<MojiCreateFileWriter>("moji_create_file"),
    kindOf<SystemMojisWriter>("system_mojis"),
    kindOf<ScreenDumpWriter<vx::DumpFormat::Bmp>>("screen_dump_bmp"),
    kindOf<ScreenDumpWriter<vx::DumpFormat::Png>>("screen_dump_png"),
    kindOf<ScreenDumpWriter<vx::DumpFormat::Atascii>>("screen_dump_atascii"),
    kindOf<ScreenDumpWriter<vx::DumpFormat::Text>>("screen_dump_text"),
    kindOf<DownloadWriter>("download"),
    kindOf<UrlExportWriter>("url_export"),
    kindOf<BBSCsvWriter>("bbs_csv_export"),
};

// A save is synced twice: the new file before its rename, then its folder so that the rename
// itself survives a power cut. The folder's sync failing leaves the new file in place.
TEST(WriteFaults, ASaveSyncsTheFileAndThenItsFolder) {
    TempDir temp;
    fs::create_directories(temp / "files");
    const std::string path = (temp / "files" / "list.ini").string();
    WriteFaults::arm(Operation::Fsync, 1000, temp.path().string());
    EXPECT_EQ(vx::writeFileAtomically(path, "first"), vx::FileStatus::kOk);
    EXPECT_EQ(WriteFaults::seen(Operation::Fsync), 2);
    WriteFaults::arm(Operation::Fsync, 2, temp.path().string());
    EXPECT_EQ(vx::writeFileAtomically(path, "second"), vx::FileStatus::kOk);
    EXPECT_TRUE(WriteFaults::fired());
    WriteFaults::disarm();
    std::string bytes;
    vx::readWholeFile(path, bytes);
    EXPECT_EQ(bytes, "second");
}

// Clearing or deleting a log the system will not remove is told as a failure with the reason,
// and the log keeps its lines, with no line saying it started again.
TEST(WriteFaults, ALogThatCannotBeRemovedIsToldAndKept) {
    struct Row {
        const char* name;
        void (vx::LogViewer::*action)();
        std::deque<bool> answers;  // the action's question, then "disable the log?"
        const char* said;
    };
    const Row rows[] = {{"clear", &vx::LogViewer::clearLog, {true}, "ERROR: Log File Not Cleared!"},
                        {"delete", &vx::LogViewer::deleteLog, {true, false}, "ERROR: Log File Not Deleted!"}};
    for (const Row& row : rows) {
        TempDir temp;
        FakeClock clock;
        FakePrompter prompter;
        FakeStatusSink sink;
        vx::SystemLog log{clock, temp.path().string()};
        vx::StatusReporter status{sink, log};
        status.setSysLog(true);
        log.WriteLogLine("kept", false);
        std::string before, after;
        vx::readWholeFile(log.path(), before);
        vx::LogViewer viewer{log, status, prompter, {}};
        prompter.yesNoAnswers = row.answers;
        WriteFaults::arm(Operation::Remove, 1, temp.path().string());
        (viewer.*row.action)();
        const bool fired = WriteFaults::fired();
        WriteFaults::disarm();
        ASSERT_TRUE(fired) << row.name;
        ASSERT_FALSE(prompter.messages.empty()) << row.name;
        EXPECT_TRUE(prompter.messages[0].text.starts_with(std::string(row.said) + "\r\r" + log.path() + "\r("))
            << row.name << ": " << prompter.messages[0].text;
        EXPECT_EQ(prompter.messages[0].icon, vx::MessageIcon::Critical) << row.name;
        vx::readWholeFile(log.path(), after);
        EXPECT_TRUE(after.starts_with(before)) << row.name;
        EXPECT_EQ(after.find("Re-started"), std::string::npos) << row.name;
    }
}

const Operation kOperations[] = {Operation::Write, Operation::Flush,  Operation::Fsync,
                                 Operation::Close, Operation::Rename, Operation::DiskFull};

// The fault injection itself, against what the kernel does with the calls.
TEST(WriteFaults, CountsCallsInTheArmedFolderOnlyAndFailsTheNth) {
    TempDir temp;
    fs::create_directories(temp / "a");
    fs::create_directories(temp / "ab");  // shares the folder's name as a prefix, but is outside
    const auto open = [&](const char* name) {
        return ::open((temp / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    };
    const int inside = open("a/file"), outside = open("ab/file");
    ASSERT_GE(inside, 0);
    ASSERT_GE(outside, 0);

    WriteFaults::arm(Operation::Write, 2, (temp / "a").string());
    EXPECT_EQ(::write(outside, "x", 1), 1);
    EXPECT_EQ(::write(inside, "1", 1), 1);
    errno = 0;
    EXPECT_EQ(::write(inside, "2", 1), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(::write(inside, "3", 1), 1);
    EXPECT_TRUE(WriteFaults::fired());
    EXPECT_EQ(WriteFaults::seen(Operation::Write), 3);

    WriteFaults::arm(Operation::DiskFull, 4, (temp / "a").string());
    std::FILE* file = std::fopen((temp / "a" / "stream").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::fwrite("abc", 1, 3, file), 3u);
    errno = 0;
    EXPECT_EQ(std::fwrite("defg", 1, 4, file), 1u);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(std::fputc('h', file), EOF);
    EXPECT_EQ(std::fclose(file), 0);
    EXPECT_EQ(::rename((temp / "a" / "stream").c_str(), (temp / "a" / "renamed").c_str()), 0);
    EXPECT_EQ(WriteFaults::seen(Operation::Rename), 1);
    EXPECT_EQ(WriteFaults::seen(Operation::Close), 1);
    WriteFaults::disarm();

    EXPECT_EQ(::close(inside), 0);
    EXPECT_EQ(::close(outside), 0);
    std::string bytes;
    vx::readWholeFile((temp / "a" / "file").string(), bytes);
    EXPECT_EQ(bytes, "13");
    vx::readWholeFile((temp / "a" / "renamed").string(), bytes);
    EXPECT_EQ(bytes, "abcd");
}

// What the save of `round` gives on a copy of the files, with nothing failing.
Snapshot completed(const Kind& kind, const Snapshot& before, int round) {
    TempDir folder, home;
    restore(folder.path(), before);
    const auto writer = kind.make(folder.path(), home.path());
    EXPECT_FALSE(writer->save(round)) << "the save of round " << round << " failed with nothing failing";
    return snapshotOf(folder.path());
}

// The n to try after `n`: every call in turn; byte budgets of the full disk in growing steps.
int nextN(Operation operation, int n) { return operation != Operation::DiskFull || n < 8 ? n + 1 : n + n / 4; }

constexpr int kMaxAttempts = 400;

class WriteFaultTable : public ::testing::TestWithParam<std::tuple<Kind, Operation>> {};

TEST_P(WriteFaultTable, EveryFailureLeavesWholeFilesAndIsTold) {
    const auto& [kind, operation] = GetParam();
    TempDir temp;
    const fs::path folder = temp / "files", home = temp / "home";
    fs::create_directories(folder);
    fs::create_directories(home);
    const auto writer = kind.make(folder, home);
    writer->prepare();
    ASSERT_FALSE(writer->save(0)) << "the first save failed with nothing failing";

    int round = 1, faults = 0, lastFired = -1;
    bool lastByteTried = false, completedUntouched = false;
    int n = operation == Operation::DiskFull ? 0 : 1;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const std::string context = std::string(WriteFaults::name(operation)) + " n=" + std::to_string(n);
        writer->prepare();
        const Snapshot before = snapshotOf(folder);
        const Snapshot complete = completed(kind, before, round);
        WriteFaults::arm(operation, n, folder.string());
        const bool told = writer->save(round);
        const bool fired = WriteFaults::fired();
        const int bytes = WriteFaults::seen(Operation::DiskFull);
        WriteFaults::disarm();
        const Snapshot after = snapshotOf(folder);
        ++round;

        if (!fired) {
            EXPECT_FALSE(told) << context << ": told of a failure that did not happen";
            EXPECT_EQ(difference(after, complete), "") << context;
            // A full disk is tried once more one byte short of what the whole save wrote.
            if (operation == Operation::DiskFull && !lastByteTried && bytes - 1 > lastFired) {
                lastByteTried = true;
                n = bytes - 1;
                continue;
            }
            completedUntouched = true;
            break;
        }
        ++faults;
        lastFired = n;
        EXPECT_EQ(brokenFiles(before, complete, after), "") << context;
        if (after != complete) {
            EXPECT_TRUE(told) << context << ": the save failed without a word";
        }

        const Snapshot next = completed(kind, after, round);
        EXPECT_FALSE(writer->save(round)) << context << ": the next save failed";
        EXPECT_EQ(difference(snapshotOf(folder), next), "") << context << ": the next save";
        ++round;
        if (HasFailure()) break;
        n = nextN(operation, n);
    }
    if (!HasFailure()) {
        EXPECT_TRUE(completedUntouched) << "the save never got past the failures";
    }
    std::printf("[ faults   ] %s %s: %d injected\n", kind.name, WriteFaults::name(operation), faults);
}

std::string rowName(const ::testing::TestParamInfo<std::tuple<Kind, Operation>>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + WriteFaults::name(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Files, WriteFaultTable,
                         ::testing::Combine(::testing::ValuesIn(kKinds), ::testing::ValuesIn(kOperations)), rowName);

}  // namespace
