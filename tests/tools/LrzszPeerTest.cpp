// The transfer engine against the independent XMODEM/YMODEM programs of Debian's lrzsz (sx, sb,
// rx, rb), each on the far end of a loopback TCP connection, in real time.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <utime.h>
#include <csignal>

#include "base/AtomicFile.h"
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
constexpr char kSub = 0x1A;

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    ASSERT_EQ(writeFileAtomically(path.string(), bytes), FileStatus::kOk) << path;
}

std::int64_t modifiedTime(const std::filesystem::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<std::int64_t>(status.st_mtime) : -1;
}

std::string readFile(const std::filesystem::path& path) {
    std::string bytes;
    EXPECT_TRUE(readWholeFile(path.string(), bytes)) << path;
    return bytes;
}

struct Result {
    bool finished = false;
    bool ok = false;
    std::string message;
    TransferProgress progress;
    int peerStatus = -1;
    std::size_t fromPeer = 0;  // bytes the peer sent
    std::size_t notTaken = 0;  // of those, what the engine left for the board's screen
};

// Flips one byte at each given offset of a stream as it passes, like a noisy line would.
class NoisyLine {
public:
    explicit NoisyLine(std::vector<std::size_t> offsets) : m_offsets(std::move(offsets)) {}
    std::string pass(std::string_view bytes) {
        std::string out(bytes);
        for (std::size_t at : m_offsets)
            if (at >= m_seen && at < m_seen + out.size()) out[at - m_seen] = static_cast<char>(out[at - m_seen] ^ 0x5A);
        m_seen += out.size();
        return out;
    }

private:
    std::vector<std::size_t> m_offsets;
    std::size_t m_seen = 0;
};

struct PeerRun {
    std::vector<std::size_t> noiseIn;   // offsets flipped in what the peer sends
    std::vector<std::size_t> noiseOut;  // offsets flipped in what the engine sends
    TransferTiming timing{};
    std::size_t stopPeerAfter = 0;      // bytes from the peer, then SIGSTOP (0: never)
    std::size_t killPeerAfter = 0;      // bytes from the peer, then SIGKILL and the line cut (0: never)
    std::size_t cancelAfter = 0;        // bytes from the peer, then the engine cancels (0: never)
    int limitMs = kLimitMs;
    int exitWaitMs = 5000;
};

std::string program(const std::string& name) { return test::findProgram(name); }

bool peersInstalled() {
    return !program("sx").empty() && !program("sb").empty() && !program("rx").empty() && !program("rb").empty();
}

Result drive(std::vector<std::string> argv, const TempDir& dir, const PeerRun& run,
             const std::function<void(FileTransfer&)>& start) {
    RealTimeline timeline;
    argv[0] = program(argv[0]);
    std::filesystem::create_directories(dir / "peer");
    LoopbackPeer peer(argv, (dir / "peer").string(), (dir / "peer.log").string());
    NoisyLine noiseIn(run.noiseIn);
    NoisyLine noiseOut(run.noiseOut);
    Result result;
    FileTransfer engine(timeline, timeline, [&](std::string_view bytes) { peer.send(noiseOut.pass(bytes)); },
                        {nullptr,
                         [&](bool ok, const std::string& message) {
                             result.finished = true;
                             result.ok = ok;
                             result.message = message;
                         }},
                        run.timing);
    start(engine);
    std::size_t fromPeer = 0;
    bool stopped = false;
    bool cut = false;
    peer.pump(
        timeline,
        [&](std::string_view bytes) {
            // A killed peer's bytes still in the socket are lost with the line, however fast
            // it wrote them.
            if (cut) return;
            fromPeer += bytes.size();
            const std::string passed = noiseIn.pass(bytes);
            result.notTaken += passed.size() - engine.receive(passed);
            if (run.stopPeerAfter > 0 && fromPeer >= run.stopPeerAfter && !stopped) {
                peer.stop();
                stopped = true;
            }
            if (run.killPeerAfter > 0 && fromPeer >= run.killPeerAfter && !stopped) {
                ::kill(peer.pid(), SIGKILL);
                stopped = true;
                cut = true;
            }
            if (run.cancelAfter > 0 && fromPeer >= run.cancelAfter && engine.active()) engine.cancel();
        },
        [&] { return result.finished; }, run.limitMs);
    result.progress = engine.progress();
    result.fromPeer = fromPeer;
    if (stopped) {
        peer.resume();
        return result;  // the destructor kills it
    }
    result.peerStatus = peer.waitForExit(run.exitWaitMs);
    return result;
}

std::string peerLog(const TempDir& dir) {
    std::string log;
    readWholeFile((dir / "peer.log").string(), log);
    return log;
}

// ---- Every protocol, both directions, the sizes around the block boundaries ---------------------

struct PeerSetup {
    const char* label;
    bool download;
    TransferProtocol protocol;
    std::vector<std::string> peer;  // program and options; the file names follow
    std::size_t block;              // upload: rx pads to this (XMODEM)
};

void PrintTo(const PeerSetup& setup, std::ostream* out) { *out << setup.label; }

const PeerSetup kSetups[] = {
    {"sx_checksum", true, TransferProtocol::Xmodem, {"sx", "-q"}, 0},
    {"sx_crc", true, TransferProtocol::XmodemCrc, {"sx", "-q"}, 0},
    {"sx_1k", true, TransferProtocol::Xmodem1K, {"sx", "-q", "-k"}, 0},
    {"sb_128", true, TransferProtocol::Ymodem, {"sb", "-q"}, 0},
    {"sb_1k", true, TransferProtocol::Ymodem, {"sb", "-q", "-k"}, 0},
    {"rx_checksum", false, TransferProtocol::Xmodem, {"rx", "-q", "-b"}, 128},
    {"rx_crc", false, TransferProtocol::XmodemCrc, {"rx", "-q", "-b", "-c"}, 128},
    {"rx_1k", false, TransferProtocol::Xmodem1K, {"rx", "-q", "-b", "-c"}, 1024},
    {"rb", false, TransferProtocol::Ymodem, {"rb", "-q", "-b"}, 0},
};

class LrzszPeerTest : public ::testing::TestWithParam<std::tuple<PeerSetup, std::size_t>> {
protected:
    void SetUp() override {
        if (!peersInstalled()) GTEST_SKIP() << "lrzsz (sx, sb, rx, rb) is not installed: apt-get install lrzsz";
    }
};

bool isYmodem(const PeerSetup& setup) { return setup.protocol == TransferProtocol::Ymodem; }

TEST_P(LrzszPeerTest, FileArrivesByteForByte) {
    const auto& [setup, size] = GetParam();
    TempDir dir;
    std::string content = randomBytes(size, static_cast<unsigned>(size) * 7 + 1);
    // An XMODEM file has no size: its trailing SUBs are taken as padding. YMODEM keeps them.
    if (size > 0) content.back() = isYmodem(setup) ? kSub : 'x';

    if (setup.download) {
        writeFile(dir / "peer-src.bin", content);
        std::filesystem::create_directories(dir / "in");
        DownloadFolderSink sink((dir / "in").string(), "xmodem.bin");
        std::vector<std::string> argv = setup.peer;
        argv.push_back((dir / "peer-src.bin").string());
        const Result result =
            drive(argv, dir, {}, [&](FileTransfer& engine) { engine.startDownload(setup.protocol, sink); });
        // sx sends an empty file as a lone EOT.
        ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
        EXPECT_EQ(result.peerStatus, 0) << peerLog(dir);
        const std::string saved = isYmodem(setup) ? "peer-src.bin" : "xmodem.bin";
        ASSERT_EQ(sink.received().size(), 1u);
        EXPECT_EQ(sink.received()[0].outcome, DownloadFolderSink::Outcome::Saved);
        EXPECT_TRUE(readFile(dir / "in" / saved) == content) << "size " << size;
        EXPECT_FALSE(std::filesystem::exists(dir / "in" / (saved + ".part")));
        EXPECT_EQ(result.progress.errors, 0);
    } else {
        writeFile(dir / "upload.bin", content);
        FileListSource source({(dir / "upload.bin").string()});
        std::vector<std::string> argv = setup.peer;
        if (!isYmodem(setup)) argv.push_back("received.bin");
        const Result result =
            drive(argv, dir, {}, [&](FileTransfer& engine) { engine.startUpload(setup.protocol, source); });
        ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
        EXPECT_EQ(result.peerStatus, 0) << peerLog(dir);
        if (isYmodem(setup)) {
            EXPECT_TRUE(readFile(dir / "peer" / "upload.bin") == content) << "size " << size;
        } else {
            // rx keeps the last block's padding as it came.
            const std::string got = readFile(dir / "peer" / "received.bin");
            ASSERT_GE(got.size(), content.size());
            EXPECT_TRUE(got.substr(0, content.size()) == content) << "size " << size;
            EXPECT_EQ(got.find_first_not_of(kSub, content.size()), std::string::npos);
            EXPECT_LT(got.size() - content.size(), std::max<std::size_t>(setup.block, 128));
        }
        EXPECT_EQ(result.progress.errors, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LrzszPeerTest,
                         ::testing::Combine(::testing::ValuesIn(kSetups),
                                            ::testing::Values(0, 1, 127, 128, 129, 1024, 1 << 20)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).label) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

// ---- Batches, noise, stalls ---------------------------------------------------------------------

class LrzszPeerScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!peersInstalled()) GTEST_SKIP() << "lrzsz (sx, sb, rx, rb) is not installed: apt-get install lrzsz";
    }
    TempDir dir;
};

const std::vector<std::pair<std::string, std::size_t>> kBatch = {
    {"first.txt", 3000}, {"empty.bin", 0}, {"third.dat", 128}, {"fourth.bin", 70000}};

TEST_F(LrzszPeerScenarioTest, BatchFromSbArrivesWhole) {
    std::vector<std::string> argv = {"sb", "-q", "-k"};
    const auto timeOf = [](std::size_t size) { return static_cast<std::int64_t>(1'000'000'000 + size); };
    for (const auto& [name, size] : kBatch) {
        writeFile(dir / name, randomBytes(size, static_cast<unsigned>(size)));
        const struct utimbuf times { timeOf(size), timeOf(size) };
        ASSERT_EQ(::utime((dir / name).c_str(), &times), 0);
        argv.push_back((dir / name).string());
    }
    std::filesystem::create_directories(dir / "in");
    DownloadFolderSink sink((dir / "in").string());
    const Result result = drive(argv, dir, {}, [&](FileTransfer& e) { e.startDownload(TransferProtocol::Ymodem, sink); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(result.progress.filesDone, 4);
    for (const auto& [name, size] : kBatch) {
        EXPECT_TRUE(readFile(dir / "in" / name) == randomBytes(size, static_cast<unsigned>(size))) << name;
        EXPECT_EQ(modifiedTime(dir / "in" / name), timeOf(size)) << name;  // the date sb put in the header
    }
}

// lrzsz's receivers answer an EOT only after a second of silence behind it, and rb waits as long
// again before asking for the next header: about two seconds a file, so its batch is kept to three.
TEST_F(LrzszPeerScenarioTest, BatchToRbArrivesWhole) {
    const std::vector<std::pair<std::string, std::size_t>> batch = {kBatch[0], kBatch[1], kBatch[3]};
    std::vector<std::string> paths;
    for (const auto& [name, size] : batch) {
        writeFile(dir / name, randomBytes(size, static_cast<unsigned>(size)));
        paths.push_back((dir / name).string());
    }
    FileListSource source(paths);
    const Result result =
        drive({"rb", "-q", "-b"}, dir, {}, [&](FileTransfer& e) { e.startUpload(TransferProtocol::Ymodem, source); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(result.peerStatus, 0);
    EXPECT_EQ(result.progress.filesDone, 3);
    for (const auto& [name, size] : batch)
        EXPECT_TRUE(readFile(dir / "peer" / name) == randomBytes(size, static_cast<unsigned>(size))) << name;
}

// Offsets inside the data of the 2nd, 5th and 9th blocks of a 1K stream (1029 bytes a block);
// each is flipped once, and the block's second sending passes clean.
const std::vector<std::size_t> kNoise1K = {1029 + 300, 4 * 1029 + 17, 8 * 1029 + 900};

TEST_F(LrzszPeerScenarioTest, NoisyDownloadRecoversAndCountsErrors) {
    const std::string content = randomBytes(20000, 3) + "end";
    writeFile(dir / "noisy.bin", content);
    std::filesystem::create_directories(dir / "in");
    DownloadFolderSink sink((dir / "in").string(), "noisy.bin");
    PeerRun run;
    run.noiseIn = kNoise1K;
    const Result result = drive({"sx", "-q", "-k", (dir / "noisy.bin").string()}, dir, run,
                                [&](FileTransfer& e) { e.startDownload(TransferProtocol::Xmodem1K, sink); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(result.progress.errors, 3);
    EXPECT_TRUE(readFile(dir / "in" / "noisy.bin") == content);
}

TEST_F(LrzszPeerScenarioTest, NoisyUploadIsResentUntilRbTakesIt) {
    const std::string content = randomBytes(20000, 4);
    writeFile(dir / "noisy.bin", content);
    FileListSource source({(dir / "noisy.bin").string()});
    PeerRun run;
    // The header block (133 bytes with CRC) goes first, then 1K blocks.
    run.noiseOut = {133 + 1029 + 200, 133 + 5 * 1029 + 600};
    const Result result = drive({"rb", "-q", "-b"}, dir, run,
                                [&](FileTransfer& e) { e.startUpload(TransferProtocol::Ymodem, source); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(result.progress.errors, 2);
    EXPECT_TRUE(readFile(dir / "peer" / "noisy.bin") == content);
}

TEST_F(LrzszPeerScenarioTest, StalledSenderEndsWithTimeoutAndNoFileLeft) {
    writeFile(dir / "big.bin", randomBytes(1 << 20, 5));
    std::filesystem::create_directories(dir / "in");
    DownloadFolderSink sink((dir / "in").string(), "big.bin");
    PeerRun run;
    run.timing.blockTimeoutMs = 200;
    run.timing.retries = 3;
    run.stopPeerAfter = 50000;
    const Result result = drive({"sx", "-q", "-k", (dir / "big.bin").string()}, dir, run,
                                [&](FileTransfer& e) { e.startDownload(TransferProtocol::Xmodem1K, sink); });
    ASSERT_TRUE(result.finished) << "the engine hung on a silent sender";
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "No data from the sender: gave up after 3 tries");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "in"));
}

TEST_F(LrzszPeerScenarioTest, StalledReceiverEndsWithTimeout) {
    writeFile(dir / "big.bin", randomBytes(1 << 20, 6));
    FileListSource source({(dir / "big.bin").string()});
    PeerRun run;
    run.timing.blockTimeoutMs = 200;
    run.timing.retries = 3;
    run.stopPeerAfter = 10;  // rb's 'C', a few ACKs, then silence
    const Result result = drive({"rb", "-q", "-b"}, dir, run,
                                [&](FileTransfer& e) { e.startUpload(TransferProtocol::Ymodem, source); });
    ASSERT_TRUE(result.finished) << "the engine hung on a silent receiver";
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "No answer from the receiver: gave up after 3 tries");
}

TEST_F(LrzszPeerScenarioTest, ReceiverThatNeverAsksEndsTheUpload) {
    writeFile(dir / "a.bin", "abc");
    FileListSource source({(dir / "a.bin").string()});
    PeerRun run;
    run.timing.senderStartMs = 300;
    // sx is a sender too: it never asks for anything, so nobody starts.
    const Result result = drive({"sx", "-q", (dir / "a.bin").string()}, dir, run,
                                [&](FileTransfer& e) { e.startUpload(TransferProtocol::XmodemCrc, source); });
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.message, "The receiver did not ask for the file");
}

// A cancel reaches sb while it waits for the ACK of a block. (rb, in the other direction, was
// seen to miss CANs that arrive right behind a block, so it is not the peer used here.)
TEST_F(LrzszPeerScenarioTest, CancelStopsSbAndLeavesNoPartialFile) {
    writeFile(dir / "big.bin", randomBytes(1 << 20, 8));
    std::filesystem::create_directories(dir / "in");
    DownloadFolderSink sink((dir / "in").string());
    RealTimeline timeline;
    std::filesystem::create_directories(dir / "peer");
    LoopbackPeer peer({program("sb"), "-vv", (dir / "big.bin").string()}, (dir / "peer").string(),
                      (dir / "peer.log").string());
    std::optional<std::string> finished;
    FileTransfer engine(timeline, timeline, [&](std::string_view bytes) { peer.send(bytes); },
                        {nullptr, [&](bool, const std::string& message) { finished = message; }});
    engine.startDownload(TransferProtocol::Ymodem, sink);
    peer.pump(
        timeline, [&](std::string_view bytes) { engine.receive(bytes); },
        [&] { return engine.progress().bytesDone >= 100000; }, kLimitMs);
    ASSERT_TRUE(std::filesystem::exists(dir / "in" / "big.bin.part"));
    engine.cancel();
    EXPECT_EQ(finished, std::optional<std::string>("Cancelled"));
    EXPECT_FALSE(engine.active());
    EXPECT_TRUE(std::filesystem::is_empty(dir / "in"));
    const int status = peer.waitForExit(5000);
    EXPECT_NE(status, -1) << "sb did not stop on CAN\n" << peerLog(dir);
    EXPECT_NE(status, 0);
}

// ---- ZMODEM against sz and rz ---------------------------------------------------------------------

// Random bytes, every third one of those a ZMODEM line treats specially: ZDLE (CAN), XON, XOFF,
// DEL, IAC and their high-bit forms, DLE, CR after '@'.
std::string zmodemAwkward(std::size_t size, unsigned seed) {
    static constexpr unsigned char kSpecial[] = {0x18, 0x11, 0x13, 0x7F, 0xFF, 0x98, 0x91, 0x93, 0x10, 0x90, '@', '\r'};
    std::string bytes = randomBytes(size, seed);
    for (std::size_t i = 0; i < size; i += 3)
        bytes[i] = static_cast<char>(kSpecial[(i / 3 + seed) % std::size(kSpecial)]);
    return bytes;
}

bool zmodemPeersInstalled() { return !program("sz").empty() && !program("rz").empty(); }

struct ZmodemSetup {
    const char* label;
    bool download;
    std::vector<std::string> peer;
};

void PrintTo(const ZmodemSetup& setup, std::ostream* out) { *out << setup.label; }

const ZmodemSetup kZmodemSetups[] = {
    {"sz", true, {"sz", "-q"}},
    {"sz_escaped", true, {"sz", "-q", "-e"}},  // every control character escaped
    {"sz_crc16", true, {"sz", "-q", "-o"}},
    {"rz", false, {"rz", "-q"}},
    {"rz_escaped", false, {"rz", "-q", "-e"}},  // asks the sender (ZRINIT's ESCCTL) to escape them
};

class ZmodemPeerTest : public ::testing::TestWithParam<std::tuple<ZmodemSetup, std::size_t>> {
protected:
    void SetUp() override {
        if (!zmodemPeersInstalled()) GTEST_SKIP() << "lrzsz (sz, rz) is not installed: apt-get install lrzsz";
    }
};

TEST_P(ZmodemPeerTest, FileArrivesByteForByte) {
    const auto& [setup, size] = GetParam();
    TempDir dir;
    const std::string content = zmodemAwkward(size, static_cast<unsigned>(size) + 11);
    writeFile(dir / "file.bin", content);
    std::filesystem::create_directories(dir / "in");
    DownloadFolderSink sink((dir / "in").string());
    FileListSource source({(dir / "file.bin").string()});
    std::vector<std::string> argv = setup.peer;
    if (setup.download) argv.push_back((dir / "file.bin").string());
    PeerRun run;
    run.limitMs = 60000;
    const Result result = drive(argv, dir, run, [&](FileTransfer& engine) {
        if (setup.download)
            engine.startDownload(TransferProtocol::Zmodem, sink);
        else
            engine.startUpload(TransferProtocol::Zmodem, source);
    });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(result.peerStatus, 0) << peerLog(dir);
    EXPECT_TRUE(readFile(dir / (setup.download ? "in" : "peer") / "file.bin") == content) << "size " << size;
    EXPECT_EQ(result.notTaken, 0u) << "the end of the session (\"OO\") would reach the screen";
    EXPECT_EQ(result.progress.errors, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ZmodemPeerTest,
                         ::testing::Combine(::testing::ValuesIn(kZmodemSetups),
                                            ::testing::Values(0, 1, 1023, 1024, (1 << 20) + 1)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).label) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });
INSTANTIATE_TEST_SUITE_P(Large, ZmodemPeerTest,
                         ::testing::Combine(::testing::Values(kZmodemSetups[0], kZmodemSetups[3]),
                                            ::testing::Values(20u << 20)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).label) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

class ZmodemScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!zmodemPeersInstalled()) GTEST_SKIP() << "lrzsz (sz, rz) is not installed: apt-get install lrzsz";
        std::filesystem::create_directories(dir / "in");
    }
    std::vector<std::string> writeBatch() {
        std::vector<std::string> paths;
        for (const auto& [name, size] : {kBatch[0], kBatch[1], kBatch[3]}) {
            writeFile(dir / name, zmodemAwkward(size, static_cast<unsigned>(size)));
            paths.push_back((dir / name).string());
        }
        return paths;
    }
    TempDir dir;
};

TEST_F(ZmodemScenarioTest, BatchOfThreeBothWays) {
    const std::vector<std::string> paths = writeBatch();
    DownloadFolderSink sink((dir / "in").string());
    std::vector<std::string> argv = {"sz", "-q"};
    argv.insert(argv.end(), paths.begin(), paths.end());
    Result result = drive(argv, dir, {}, [&](FileTransfer& e) { e.startDownload(TransferProtocol::Zmodem, sink); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(result.progress.filesDone, 3);
    FileListSource source(paths);
    result = drive({"rz", "-q"}, dir, {}, [&](FileTransfer& e) { e.startUpload(TransferProtocol::Zmodem, source); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(result.progress.filesDone, 3);
    for (const auto& [name, size] : {kBatch[0], kBatch[1], kBatch[3]}) {
        const std::string content = zmodemAwkward(size, static_cast<unsigned>(size));
        EXPECT_TRUE(readFile(dir / "in" / name) == content) << name;
        EXPECT_TRUE(readFile(dir / "peer" / name) == content) << name;
    }
}

// A file already in the folder is asked about when offered; declined, it is skipped (ZSKIP) and
// stays as it was, and the batch goes on.
TEST_F(ZmodemScenarioTest, DeclinedFileIsSkippedAndTheRestArrives) {
    const std::vector<std::string> paths = writeBatch();
    writeFile(dir / "in" / "first.txt", "mine");
    DownloadFolderSink sink((dir / "in").string());
    std::vector<std::string> asked;
    sink.setExistingQuestion(
        [&](const std::string& path, std::function<void(DownloadFolderSink::ExistingChoice)> answer) {
            asked.push_back(std::filesystem::path(path).filename().string());
            answer(DownloadFolderSink::ExistingChoice::Skip);
        });
    std::vector<std::string> argv = {"sz", "-q"};
    argv.insert(argv.end(), paths.begin(), paths.end());
    const Result result =
        drive(argv, dir, {}, [&](FileTransfer& e) { e.startDownload(TransferProtocol::Zmodem, sink); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(asked, std::vector<std::string>{"first.txt"});
    EXPECT_EQ(result.progress.filesSkipped, 1);
    EXPECT_EQ(readFile(dir / "in" / "first.txt"), "mine");
    EXPECT_TRUE(readFile(dir / "in" / "fourth.bin") == zmodemAwkward(70000, 70000));
    EXPECT_FALSE(std::filesystem::exists(dir / "in" / "first.txt.part"));
}

// sz killed halfway leaves a .part; offered again (sz -r), only the rest crosses the line.
TEST_F(ZmodemScenarioTest, BrokenDownloadResumesWhereItStopped) {
    // Plain random bytes: few need escaping, so the bytes on the line measure the data sent.
    const std::string content = randomBytes(1 << 20, 21);
    writeFile(dir / "big.bin", content);
    PeerRun broken;
    broken.killPeerAfter = 400000;
    broken.timing.blockTimeoutMs = 200;
    broken.timing.retries = 2;
    {
        DownloadFolderSink sink((dir / "in").string());
        const Result result = drive({"sz", "-q", (dir / "big.bin").string()}, dir, broken,
                                    [&](FileTransfer& e) { e.startDownload(TransferProtocol::Zmodem, sink); });
        ASSERT_TRUE(result.finished);
        EXPECT_FALSE(result.ok);
    }
    ASSERT_TRUE(std::filesystem::exists(dir / "in" / "big.bin.part"));
    const auto kept = static_cast<std::int64_t>(std::filesystem::file_size(dir / "in" / "big.bin.part"));
    ASSERT_GT(kept, 100000);
    ASSERT_EQ(readFile(dir / "in" / "big.bin.part"), content.substr(0, static_cast<std::size_t>(kept)));

    DownloadFolderSink sink((dir / "in").string());
    const Result result = drive({"sz", "-q", "-r", (dir / "big.bin").string()}, dir, {},
                                [&](FileTransfer& e) { e.startDownload(TransferProtocol::Zmodem, sink); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_EQ(result.progress.resumedFrom, kept);
    EXPECT_LT(result.fromPeer, (content.size() - static_cast<std::size_t>(kept)) * 21 / 20)
        << "more than the rest was sent";
    EXPECT_TRUE(readFile(dir / "in" / "big.bin") == content);
    EXPECT_FALSE(std::filesystem::exists(dir / "in" / "big.bin.part"));
}

// Bytes flipped on the line both ways: refused data is asked for again (ZRPOS), a spoilt header
// is sent again, and the file arrives whole.
TEST_F(ZmodemScenarioTest, NoiseBothWaysIsRecovered) {
    const std::string content = zmodemAwkward(300000, 5);
    writeFile(dir / "noisy.bin", content);
    DownloadFolderSink sink((dir / "in").string());
    PeerRun run;
    run.noiseIn = {2000, 90000, 200000};
    run.noiseOut = {5};  // our ZRINIT
    Result result = drive({"sz", "-q", (dir / "noisy.bin").string()}, dir, run,
                          [&](FileTransfer& e) { e.startDownload(TransferProtocol::Zmodem, sink); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_GE(result.progress.errors, 1);
    EXPECT_TRUE(readFile(dir / "in" / "noisy.bin") == content);

    FileListSource source({(dir / "noisy.bin").string()});
    run.noiseIn = {10};  // rz's ZRINIT
    run.noiseOut = {3000, 100000, 250000};
    result = drive({"rz", "-q"}, dir, run, [&](FileTransfer& e) { e.startUpload(TransferProtocol::Zmodem, source); });
    ASSERT_TRUE(result.ok) << result.message << "\npeer: " << peerLog(dir);
    EXPECT_GE(result.progress.errors, 1);
    EXPECT_TRUE(readFile(dir / "peer" / "noisy.bin") == content);
}

// Our cancel stops sz; sz's own (it is interrupted) stops us; either way the line's CANs do it.
TEST_F(ZmodemScenarioTest, FiveCansAbortBothWays) {
    writeFile(dir / "big.bin", zmodemAwkward(4 << 20, 8));
    DownloadFolderSink sink((dir / "in").string());
    PeerRun run;
    run.cancelAfter = 200000;
    Result result = drive({"sz", "-q", (dir / "big.bin").string()}, dir, run,
                          [&](FileTransfer& e) { e.startDownload(TransferProtocol::Zmodem, sink); });
    EXPECT_EQ(result.message, "Cancelled");
    EXPECT_NE(result.peerStatus, -1) << "sz did not stop on CAN\n" << peerLog(dir);
    EXPECT_NE(result.peerStatus, 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "in")) << "the user's cancel keeps nothing";

    FileListSource source({(dir / "big.bin").string()});
    run = {};
    run.exitWaitMs = 0;  // rz is left waiting: the destructor ends it
    result = drive({"rz", "-q"}, dir, run, [&](FileTransfer& e) {
        e.startUpload(TransferProtocol::Zmodem, source);
        e.receive("\x18\x18\x18\x18\x18");  // what a receiver that gives up sends
    });
    EXPECT_EQ(result.message, "Cancelled by the receiver");
}

}  // namespace
}  // namespace vx
