// The transfer engine on virtual time, against hand-built block streams and scripted peers.
#include "tools/FileTransfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/AtomicFile.h"
#include "support/FakeTimeline.h"
#include "support/TempDir.h"
#include "tools/TransferFiles.h"

namespace vx {
namespace {

using test::FakeTimeline;

const std::string kAck = "\x06";
const std::string kNak = "\x15";
const std::string kEot = "\x04";
const std::string kCan = "\x18";
const std::string kCancelSequence = "\x18\x18\x18\x18\x18\x08\x08\x08\x08\x08";

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::string bytesOf(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

// ---- Framing, against values worked out by hand ------------------------------------------------

TEST(TransferFraming, CrcAndChecksumOfTheCheckString) {
    EXPECT_EQ(crc16Xmodem("123456789"), 0x31C3);
    EXPECT_EQ(crc16Xmodem(""), 0x0000);
    EXPECT_EQ(checksum8("123456789"), 0xDD);
    EXPECT_EQ(checksum8(std::string(128, 'x')), 0x00);
}

struct FrameCase {
    const char* label;
    int number;
    std::string data;
    bool crc;
    std::string head;  // lead byte, number, complement
    std::size_t length;
    std::string tail;  // the check bytes
};

void PrintTo(const FrameCase& c, std::ostream* out) { *out << c.label; }

class TransferFramingTable : public ::testing::TestWithParam<FrameCase> {};

TEST_P(TransferFramingTable, BlockOnTheLine) {
    const FrameCase& c = GetParam();
    const std::string block = frameBlock(c.number, c.data, c.crc);
    ASSERT_EQ(block.size(), c.length);
    EXPECT_EQ(block.substr(0, 3), c.head);
    EXPECT_EQ(block.substr(3, c.data.size()), c.data);
    const std::size_t payload = c.length - 3 - c.tail.size();
    EXPECT_EQ(block.substr(3 + c.data.size(), payload - c.data.size()), std::string(payload - c.data.size(), '\x1A'));
    EXPECT_EQ(block.substr(c.length - c.tail.size()), c.tail);
}

std::string firstBytes(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += static_cast<char>(i);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, TransferFramingTable,
    ::testing::Values(FrameCase{"checksum_padded", 1, "A", false, bytesOf({0x01, 0x01, 0xFE}), 132, bytesOf({0x27})},
                      FrameCase{"crc_padded", 1, "A", true, bytesOf({0x01, 0x01, 0xFE}), 133, bytesOf({0xF2, 0xDD})},
                      FrameCase{"full_short", 2, std::string(128, 'x'), true, bytesOf({0x01, 0x02, 0xFD}), 133,
                                bytesOf({0x81, 0xD7})},
                      FrameCase{"long_wraps_number", 256 + 255, firstBytes(200),
                                true, bytesOf({0x02, 0xFF, 0x00}), 1029, bytesOf({0xD0, 0xE9})}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Test doubles --------------------------------------------------------------------------------

class MemorySink : public DownloadSink {
public:
    bool beginFile(const std::string& name, std::int64_t size, std::string&) override {
        files.push_back({name, size, {}, false});
        return true;
    }
    void setModifiedTime(std::int64_t seconds) override { files.back().time = seconds; }
    bool write(std::string_view bytes, std::string& error) override {
        if (failWrites) {
            error = "Disk full";
            return false;
        }
        files.back().bytes.append(bytes);
        return true;
    }
    bool endFile(std::string&) override {
        files.back().complete = true;
        return true;
    }
    void abandon() override { ++abandoned; }

    struct File {
        std::string name;
        std::int64_t size;
        std::string bytes;
        bool complete;
        std::int64_t time = 0;
    };
    std::vector<File> files;
    int abandoned = 0;
    bool failWrites = false;
};

class MemorySource : public UploadSource {
public:
    std::vector<std::pair<std::string, std::string>> files;
    std::size_t fileCount() const override { return files.size(); }
    std::string fileName(std::size_t i) const override { return files[i].first; }
    std::int64_t fileSize(std::size_t i) const override { return static_cast<std::int64_t>(files[i].second.size()); }
    bool read(std::size_t i, std::int64_t offset, std::size_t max, std::string& out, std::string&) override {
        out = files[i].second.substr(static_cast<std::size_t>(offset), max);
        return true;
    }
};

struct Bench {
    FakeTimeline timeline;
    std::string sent;  // everything the engine put on the line
    bool finished = false;
    bool ok = false;
    std::string message;
    FileTransfer engine;

    explicit Bench(TransferTiming timing = {})
        : engine(timeline, timeline, [this](std::string_view bytes) { sent.append(bytes); },
                 {nullptr,
                  [this](bool success, const std::string& text) {
                      finished = true;
                      ok = success;
                      message = text;
                  }},
                 timing) {}

    std::string takeSent() { return std::exchange(sent, {}); }
    // Delivers `bytes` in pieces of `chunk` (0: all at once).
    void deliver(const std::string& bytes, std::size_t chunk = 0) {
        if (chunk == 0) chunk = bytes.size();
        for (std::size_t at = 0; at < bytes.size(); at += chunk) engine.receive(std::string_view(bytes).substr(at, chunk));
    }
};

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

std::string yHeader(const std::string& info, bool longBlock = false) {
    std::string data = info;
    data.resize(longBlock ? 1024 : 128, '\0');
    return frameBlock(0, data, true);
}

// ---- Receiving -----------------------------------------------------------------------------------

struct SplitCase {
    TransferProtocol protocol;
    std::size_t chunk;
};

class TransferSplitDelivery : public ::testing::TestWithParam<SplitCase> {};

// The same stream, cut anywhere, gives the same file and the same answers; garbage between blocks
// (none of it SOH, STX, EOT or CAN) is skipped.
TEST_P(TransferSplitDelivery, SameFileWhereverTheStreamIsCut) {
    const auto [protocol, chunk] = GetParam();
    const bool crc = protocol != TransferProtocol::Xmodem;
    const std::size_t block = protocol == TransferProtocol::Xmodem1K ? 1024 : 128;
    const std::string content = randomBytes(3 * block - 5, 11) + "end";
    std::string stream = "noise\r\n";
    for (int n = 1; n <= 3; ++n) {
        stream += frameBlock(n, std::string_view(content).substr((n - 1) * block, block), crc);
        stream += "+++";
    }
    stream += kEot + kEot;

    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(protocol, sink);
    EXPECT_EQ(bench.takeSent(), crc ? "C" : kNak);
    bench.deliver(stream, chunk);
    ASSERT_TRUE(bench.finished);
    EXPECT_TRUE(bench.ok) << bench.message;
    EXPECT_EQ(bench.takeSent(), repeat(kAck, 3) + kNak + kAck);
    ASSERT_EQ(sink.files.size(), 1u);
    EXPECT_TRUE(sink.files[0].bytes == content);
    EXPECT_TRUE(sink.files[0].complete);
    EXPECT_EQ(bench.engine.progress().bytesDone, static_cast<std::int64_t>(content.size()));
}

INSTANTIATE_TEST_SUITE_P(Cuts, TransferSplitDelivery,
                         ::testing::Values(SplitCase{TransferProtocol::Xmodem, 1}, SplitCase{TransferProtocol::Xmodem, 131},
                                           SplitCase{TransferProtocol::XmodemCrc, 1}, SplitCase{TransferProtocol::XmodemCrc, 7},
                                           SplitCase{TransferProtocol::XmodemCrc, 0},
                                           SplitCase{TransferProtocol::Xmodem1K, 3}, SplitCase{TransferProtocol::Xmodem1K, 0}));

// What the engine answers to a sequence of blocks: one row per rule of the receiving side.
struct ReceiveCase {
    const char* label;
    std::vector<std::string> steps;  // delivered one after another
    std::string answers;             // everything sent after the opening 'C'
    bool finished;
    bool ok;
    std::string message;
    std::string file;
    int errors;
};

void PrintTo(const ReceiveCase& c, std::ostream* out) { *out << c.label; }

class TransferReceiveRules : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(TransferReceiveRules, AnswersAndFile) {
    const ReceiveCase& c = GetParam();
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(TransferProtocol::XmodemCrc, sink);
    bench.takeSent();
    for (const std::string& step : c.steps) bench.deliver(step);
    EXPECT_EQ(bench.takeSent(), c.answers);
    EXPECT_EQ(bench.finished, c.finished);
    EXPECT_EQ(bench.ok, c.ok);
    EXPECT_EQ(bench.message, c.message);
    EXPECT_EQ(bench.engine.progress().errors, c.errors);
    if (c.finished && !c.ok) {
        EXPECT_EQ(sink.abandoned, 1);
    }
    if (c.ok) {
        EXPECT_EQ(sink.files.at(0).bytes, c.file);
    }
}

std::string corrupt(std::string block, std::size_t at) {
    block[at] = static_cast<char>(block[at] ^ 0x01);
    return block;
}

const std::string kA = std::string(128, 'a');
const std::string kB = std::string(100, 'b') + std::string(28, 'B');
const std::string kC = "cc";
const std::string kEnd = kEot + kEot;
const std::string kEndAnswers = kNak + kAck;

INSTANTIATE_TEST_SUITE_P(
    Rules, TransferReceiveRules,
    ::testing::Values(
        ReceiveCase{"bad_crc_is_refused_then_taken",
                    {corrupt(frameBlock(1, kA, true), 40), frameBlock(1, kA, true), kEnd},
                    kNak + kAck + kEndAnswers,
                    true,
                    true,
                    "1 file received",
                    kA,
                    1},
        ReceiveCase{"bad_complement_is_refused",
                    {corrupt(frameBlock(1, kA, true), 2), frameBlock(1, kA, true), kEnd},
                    kNak + kAck + kEndAnswers,
                    true,
                    true,
                    "1 file received",
                    kA,
                    1},
        ReceiveCase{"duplicate_is_acked_and_dropped",
                    {frameBlock(1, kA, true), frameBlock(1, kA, true), frameBlock(2, kB, true), kEnd},
                    repeat(kAck, 3) + kEndAnswers,
                    true,
                    true,
                    "1 file received",
                    kA + kB,
                    1},
        ReceiveCase{"only_the_last_blocks_padding_goes",
                    {frameBlock(1, std::string(128, '\x1A'), true), frameBlock(2, kC, true), kEnd},
                    repeat(kAck, 2) + kEndAnswers,
                    true,
                    true,
                    "1 file received",
                    std::string(128, '\x1A') + kC,
                    0},
        ReceiveCase{"out_of_sequence_aborts",
                    {frameBlock(1, kA, true), frameBlock(3, kB, true)},
                    kAck + kCancelSequence,
                    true,
                    false,
                    "Block 3 out of sequence (expected 2)",
                    "",
                    0},
        ReceiveCase{"two_cans_from_the_sender_abort",
                    {frameBlock(1, kA, true), kCan + kCan},
                    kAck,
                    true,
                    false,
                    "Cancelled by the sender",
                    "",
                    0},
        ReceiveCase{"cans_split_across_chunks_abort", {kCan, kCan}, "", true, false, "Cancelled by the sender", "", 0},
        ReceiveCase{"a_lone_can_is_noise",
                    {kCan + "x", frameBlock(1, kA, true), kEnd},
                    kAck + kEndAnswers,
                    true,
                    true,
                    "1 file received",
                    kA,
                    0},
        ReceiveCase{"bytes_behind_a_bad_block_are_dropped",
                    {corrupt(frameBlock(1, kA, true), 9) + frameBlock(1, kA, true), frameBlock(1, kA, true), kEnd},
                    kNak + kAck + kEndAnswers,
                    true,
                    true,
                    "1 file received",
                    kA,
                    1},
        // A stray EOT (line noise) must not end the file: only one that the sender repeats does.
        ReceiveCase{"a_single_eot_is_refused", {frameBlock(1, kA, true), kEot}, kAck + kNak, false, false, "", "", 0},
        ReceiveCase{"blocks_after_a_stray_eot_are_taken",
                    {frameBlock(1, kA, true), kEot, frameBlock(2, kB, true), kEnd},
                    kAck + kNak + kAck + kEndAnswers,
                    true,
                    true,
                    "1 file received",
                    kA + kB,
                    0}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(TransferReceive, TooManyBadBlocksFail) {
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(TransferProtocol::XmodemCrc, sink);
    for (int i = 0; i < 11; ++i) bench.deliver(corrupt(frameBlock(1, kA, true), 50));
    EXPECT_TRUE(bench.finished);
    EXPECT_EQ(bench.message, "Too many errors: CRC error in block 1");
    EXPECT_EQ(sink.abandoned, 1);
}

TEST(TransferReceive, SinkRefusalCancelsTheSender) {
    Bench bench;
    MemorySink sink;
    sink.failWrites = true;
    bench.engine.startDownload(TransferProtocol::XmodemCrc, sink);
    bench.takeSent();
    bench.deliver(frameBlock(1, kA, true) + frameBlock(2, kB, true) + kEot);  // held-back data written at block 2
    EXPECT_EQ(bench.message, "Disk full");
    EXPECT_EQ(bench.takeSent(), kAck + kCancelSequence);
}

// Waiting for the sender to start: what goes out, and when the engine gives up.
struct StartCase {
    TransferProtocol protocol;
    std::string sent;
    std::int64_t givesUpAtMs;
};

class TransferStartRetries : public ::testing::TestWithParam<StartCase> {};

TEST_P(TransferStartRetries, AsksThenFallsBackThenGivesUp) {
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(GetParam().protocol, sink);
    bench.timeline.advance(GetParam().givesUpAtMs - 1);
    EXPECT_FALSE(bench.finished);
    bench.timeline.runUntilIdle();
    EXPECT_EQ(bench.takeSent(), GetParam().sent + kCancelSequence);
    EXPECT_EQ(bench.message, "The sender did not start");
    EXPECT_FALSE(bench.engine.active());
}

INSTANTIATE_TEST_SUITE_P(
    Protocols, TransferStartRetries,
    ::testing::Values(StartCase{TransferProtocol::Xmodem, repeat(kNak, 10), 30000},
                      StartCase{TransferProtocol::XmodemCrc, repeat("C", 3) + repeat(kNak, 10), 39000},
                      StartCase{TransferProtocol::Xmodem1K, repeat("C", 3) + repeat(kNak, 10), 39000},
                      StartCase{TransferProtocol::Ymodem, repeat("C", 10), 30000}));

TEST(TransferReceive, StartTimingIsThreeSeconds) {
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(TransferProtocol::Xmodem1K, sink);
    bench.timeline.advance(2999);
    EXPECT_EQ(bench.takeSent(), "C");
    bench.timeline.advance(1);
    EXPECT_EQ(bench.takeSent(), "C");
}

TEST(TransferReceive, CrcFallbackTakesChecksumBlocks) {
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(TransferProtocol::XmodemCrc, sink);
    bench.timeline.advance(9000);  // the third 'C' went unanswered: NAK now
    EXPECT_EQ(bench.takeSent(), repeat("C", 3) + kNak);
    bench.deliver(frameBlock(1, kA, false) + kEnd);
    EXPECT_TRUE(bench.ok) << bench.message;
    EXPECT_EQ(sink.files.at(0).bytes, kA);
}

TEST(TransferReceive, SilenceAfterABlockNaksEveryTenSecondsThenFails) {
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(TransferProtocol::XmodemCrc, sink);
    bench.deliver(frameBlock(1, kA, true));
    bench.takeSent();
    bench.timeline.advance(9999);
    EXPECT_EQ(bench.takeSent(), "");
    bench.timeline.advance(1);
    EXPECT_EQ(bench.takeSent(), kNak);
    bench.timeline.advance(90000);
    EXPECT_EQ(bench.takeSent(), repeat(kNak, 9));
    EXPECT_FALSE(bench.finished);
    bench.timeline.advance(10000);
    EXPECT_EQ(bench.message, "No data from the sender: gave up after 10 tries");
    EXPECT_EQ(bench.takeSent(), kCancelSequence);
    EXPECT_EQ(sink.abandoned, 1);
}

// A slow line delivering a block over more than the block timeout is not a lost block.
TEST(TransferReceive, SlowBlockIsNotATimeout) {
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(TransferProtocol::XmodemCrc, sink);
    bench.deliver(frameBlock(1, kA, true));
    bench.takeSent();
    const std::string block = frameBlock(2, kB, true);
    for (char byte : block) {
        bench.timeline.advance(500);
        bench.engine.receive(std::string_view(&byte, 1));
    }
    EXPECT_EQ(bench.takeSent(), kAck);
}

// Whatever the line delivers, the engine ends within its retry budget: no hang, no crash.
TEST(TransferReceive, RandomLineNoiseAlwaysEnds) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Bench bench;
        MemorySink sink;
        const auto protocol = static_cast<TransferProtocol>(seed % 4);
        bench.engine.startDownload(protocol, sink);
        std::mt19937 generator(seed);
        for (int burst = 0; burst < 200 && !bench.finished; ++burst) {
            std::string noise = randomBytes(generator() % 300, seed * 1000 + burst);
            if (burst % 7 == 0) noise += frameBlock(static_cast<int>(generator() % 3), randomBytes(128, seed), true);
            bench.deliver(noise, 1 + generator() % 50);
            bench.timeline.advance(generator() % 4000);
        }
        bench.timeline.runUntilIdle(10 * 60 * 1000);
        EXPECT_TRUE(bench.finished) << "seed " << seed;
        EXPECT_FALSE(bench.engine.active());
    }
}

TEST(TransferReceive, YmodemBatchTrimsToTheHeaderSize) {
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(TransferProtocol::Ymodem, sink);
    const std::string first = randomBytes(1030, 5) + std::string(3, '\x1A');  // its own SUBs stay
    std::string stream = yHeader(std::string("first.bin\0", 10) + "1033 14723052153 100644");
    stream += frameBlock(1, first.substr(0, 1024), true) + frameBlock(2, first.substr(1024), true) + kEot + kEot;
    stream += yHeader(std::string("second\0", 7) + "0") + kEot + kEot;
    stream += yHeader("");
    bench.deliver(stream, 5);
    EXPECT_TRUE(bench.ok) << bench.message;
    EXPECT_EQ(bench.message, "2 files received");
    ASSERT_EQ(sink.files.size(), 2u);
    EXPECT_EQ(sink.files[0].name, "first.bin");
    EXPECT_EQ(sink.files[0].size, 1033);
    EXPECT_TRUE(sink.files[0].bytes == first);
    EXPECT_EQ(sink.files[1].name, "second");
    EXPECT_EQ(sink.files[1].bytes, "");
    // C, header ACK, C, 2 block ACKs, NAK and ACK for the EOTs, C; the same for the empty file;
    // the batch's end ACK.
    EXPECT_EQ(bench.takeSent(), "C" + kAck + "C" + kAck + kAck + kNak + kAck + "C" + kAck + "C" + kNak + kAck + "C" + kAck);
}

// After the number wraps, block 0 is data: its repeat gets an ACK and nothing more. Only a
// repeated header also lost the 'C' that followed its ACK.
TEST(TransferReceive, RepeatedBlockZeroIsAskedAgainOnlyWhenItIsTheHeader) {
    const std::string header = yHeader(std::string("w.bin\0", 6) + "33000");
    std::string wrapped = header;
    for (int n = 1; n <= 256; ++n) wrapped += frameBlock(n, kA, true);
    for (const auto& [before, again, answer] :
         {std::tuple{header, header, kAck + "C"}, std::tuple{wrapped, frameBlock(0, kA, true), kAck}}) {
        Bench bench;
        MemorySink sink;
        bench.engine.startDownload(TransferProtocol::Ymodem, sink);
        bench.deliver(before);
        bench.takeSent();
        bench.deliver(again);
        EXPECT_EQ(bench.takeSent(), answer);
    }
}

// The header's date (octal seconds since 1970, behind the size) is passed on when plausible.
TEST(TransferReceive, YmodemHeaderDateIsPassedOn) {
    const std::pair<std::string, std::int64_t> rows[] = {
        {"1 14723052153 100644", 1733055595}, {"1  14723052153", 1733055595}, {"1", 0}, {"1 0", 0}, {"1 9999", 0},
        {"1 777777777777777777", 0}};
    for (const auto& [fields, time] : rows) {
        Bench bench;
        MemorySink sink;
        bench.engine.startDownload(TransferProtocol::Ymodem, sink);
        bench.deliver(yHeader(std::string("d.bin\0", 6) + fields));
        EXPECT_EQ(sink.files.at(0).time, time) << fields;
    }
}

TEST(TransferReceive, CancelAbandonsAndTellsThePeer) {
    Bench bench;
    MemorySink sink;
    bench.engine.startDownload(TransferProtocol::Xmodem1K, sink);
    bench.deliver(frameBlock(1, kA, true));
    bench.takeSent();
    bench.engine.cancel();
    EXPECT_EQ(bench.takeSent(), kCancelSequence);
    EXPECT_EQ(bench.message, "Cancelled");
    EXPECT_EQ(sink.abandoned, 1);
    bench.deliver(frameBlock(2, kA, true));  // the line keeps talking: nobody listens
    EXPECT_EQ(bench.takeSent(), "");
}

// ---- Sending -------------------------------------------------------------------------------------

TEST(TransferSend, XmodemAnswersDriveTheBlocks) {
    Bench bench;
    MemorySource source;
    source.files = {{"up.bin", kA + kC}};
    bench.engine.startUpload(TransferProtocol::XmodemCrc, source);
    EXPECT_EQ(bench.takeSent(), "");
    bench.deliver("C");
    EXPECT_EQ(bench.takeSent(), frameBlock(1, kA, true));
    bench.deliver("CC");  // late start requests are not answers
    EXPECT_EQ(bench.takeSent(), "");
    bench.deliver(kNak);
    EXPECT_EQ(bench.takeSent(), frameBlock(1, kA, true));
    bench.deliver(kAck);
    EXPECT_EQ(bench.takeSent(), frameBlock(2, kC, true));
    bench.deliver(kAck);
    EXPECT_EQ(bench.takeSent(), kEot);
    bench.deliver(kNak);
    EXPECT_EQ(bench.takeSent(), kEot);
    bench.deliver(kAck);
    EXPECT_TRUE(bench.ok);
    EXPECT_EQ(bench.engine.progress().errors, 1);
    EXPECT_EQ(bench.engine.progress().bytesDone, 130);
}

// A receiver that asked with NAK knows only 128-byte checksum blocks; one that asked with 'C'
// gets long blocks until a long one would be mostly padding.
TEST(TransferSend, XmodemOneKBlocksFollowWhatTheReceiverAskedFor) {
    const std::string content = randomBytes(1024 + 200, 9);
    for (const auto& [start, crc, sizes] : {std::tuple{std::string("C"), true, std::vector<std::size_t>{1024, 128, 72}},
                                            std::tuple{kNak, false, std::vector<std::size_t>(9, 128)}}) {
        Bench bench;
        MemorySource source;
        source.files = {{"up.bin", content}};
        bench.engine.startUpload(TransferProtocol::Xmodem1K, source);
        bench.deliver(start);
        for (std::size_t i = 0, at = 0; i < sizes.size(); at += sizes[i++], bench.deliver(kAck))
            EXPECT_TRUE(bench.takeSent() == frameBlock(static_cast<int>(i + 1), content.substr(at, sizes[i]), crc))
                << i;
    }
}

TEST(TransferSend, YmodemHeadersAndTheEmptyEnd) {
    Bench bench;
    MemorySource source;
    source.files = {{"a.txt", "hello"}, {"b.txt", ""}};
    bench.engine.startUpload(TransferProtocol::Ymodem, source);
    bench.deliver("C");
    EXPECT_EQ(bench.takeSent(), yHeader(std::string("a.txt\0", 6) + "5"));
    bench.deliver(kAck + "C");
    EXPECT_EQ(bench.takeSent(), frameBlock(1, "hello", true));
    bench.deliver(kAck);
    EXPECT_EQ(bench.takeSent(), kEot);
    bench.deliver(kNak);
    EXPECT_EQ(bench.takeSent(), kEot);
    bench.deliver(kAck + "C");
    EXPECT_EQ(bench.takeSent(), yHeader(std::string("b.txt\0", 6) + "0"));
    bench.deliver(kAck + "C");
    EXPECT_EQ(bench.takeSent(), kEot);
    bench.deliver(kAck + "C");
    EXPECT_EQ(bench.takeSent(), yHeader(""));
    bench.deliver(kAck);
    EXPECT_TRUE(bench.ok);
    EXPECT_EQ(bench.message, "2 files sent");
}

// The speed shown is each file's own: its bytes over the time since it began, and no figure
// until the file has run long enough for the clock's milliseconds to give one.
TEST(TransferSend, TheSpeedIsEachFilesOwn) {
    Bench bench;
    MemorySource source;
    source.files = {{"a.txt", std::string(2048, 'a')}, {"b.txt", std::string(1024, 'b')}};
    bench.engine.startUpload(TransferProtocol::Ymodem, source);
    bench.deliver("C");
    bench.deliver(kAck + "C");
    EXPECT_EQ(transferSpeedText(bench.engine.progress()), "-");
    bench.timeline.advance(1'000);
    bench.deliver(kAck);
    bench.timeline.advance(1'000);
    bench.deliver(kAck);
    EXPECT_EQ(bench.engine.progress().bytesDone, 2048);
    EXPECT_EQ(transferSpeedText(bench.engine.progress()), "1.0 KB/s");  // 2 KB in 2 s

    bench.deliver(kNak);        // the EOT once more
    bench.deliver(kAck + "C");  // then the second file's header
    bench.deliver(kAck + "C");
    bench.timeline.advance(40);
    bench.deliver(kAck);
    EXPECT_EQ(bench.engine.progress().fileName, "b.txt");
    EXPECT_EQ(bench.engine.progress().bytesDone, 1024);
    EXPECT_EQ(transferSpeedText(bench.engine.progress()), "-");  // 40 ms: too short to tell
}

// Each figure from the bytes and milliseconds of one file.
TEST(TransferSpeed, BytesOverTheFilesOwnTime) {
    const struct {
        std::int64_t bytes, ms;
        const char* shown;
    } rows[] = {{0, 0, "-"},
                {10'240, 1, "-"},
                {10'240, 99, "-"},
                {10'240, 100, "100.0 KB/s"},
                {1'024, 250, "4.0 KB/s"},
                {3'000'000, 1'500, "1953.1 KB/s"}};
    for (const auto& row : rows) {
        TransferProgress progress;
        progress.bytesDone = row.bytes;
        progress.fileElapsedMs = row.ms;
        progress.elapsedMs = row.ms + 60'000;  // the transfer began long before this file
        EXPECT_EQ(transferSpeedText(progress), row.shown) << row.bytes << " bytes in " << row.ms << " ms";
    }
}

struct SendFailCase {
    const char* label;
    std::string answers;
    std::int64_t waitMs;
    std::string message;
};

void PrintTo(const SendFailCase& c, std::ostream* out) { *out << c.label; }

class TransferSendFailures : public ::testing::TestWithParam<SendFailCase> {};

TEST_P(TransferSendFailures, EndsWithMessage) {
    const SendFailCase& c = GetParam();
    Bench bench;
    MemorySource source;
    source.files = {{"up.bin", kA}};
    bench.engine.startUpload(TransferProtocol::XmodemCrc, source);
    bench.deliver(c.answers);
    if (c.waitMs > 0) {
        bench.timeline.advance(c.waitMs - 1);
        EXPECT_FALSE(bench.finished);
        bench.timeline.advance(1);
    }
    EXPECT_TRUE(bench.finished);
    EXPECT_EQ(bench.message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, TransferSendFailures,
    ::testing::Values(SendFailCase{"receiver_never_asks", "", 60000, "The receiver did not ask for the file"},
                      SendFailCase{"no_ack_ever", "C", 11 * 10000, "No answer from the receiver: gave up after 10 tries"},
                      SendFailCase{"receiver_cancels", "C" + kCan + kCan, 0, "Cancelled by the receiver"},
                      SendFailCase{"too_many_naks", "C" + repeat(kNak, 11), 0,
                                   "Too many errors: block refused 10 times"}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- Files ---------------------------------------------------------------------------------------

struct NameCase {
    std::string fromSender;
    std::string saved;
};

class TransferNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(TransferNames, SafeInTheFolder) { EXPECT_EQ(sanitizeDownloadName(GetParam().fromSender), GetParam().saved); }

INSTANTIATE_TEST_SUITE_P(
    Names, TransferNames,
    ::testing::Values(NameCase{"game.xex", "game.xex"}, NameCase{"../../etc/passwd", "passwd"},
                      NameCase{"/abs/path/file.atr", "file.atr"}, NameCase{"C:\\DOS\\GAME.COM", "GAME.COM"},
                      NameCase{"..", "download.bin"}, NameCase{"", "download.bin"}, NameCase{"dir/", "download.bin"},
                      NameCase{"...hidden", "hidden"}, NameCase{"bell\x07\x1b[2Jname.txt", "bell[2Jname.txt"},
                      NameCase{"  spaced name.txt  ", "spaced name.txt"}, NameCase{"a\x7f" "b", "ab"},
                      NameCase{std::string(300, 'n'), std::string(200, 'n')}));

struct NumberedCase {
    std::string name;
    int number;
    std::string numbered;
};

class TransferNumberedNames : public ::testing::TestWithParam<NumberedCase> {};

TEST_P(TransferNumberedNames, SecondCopy) {
    EXPECT_EQ(numberedName(GetParam().name, GetParam().number), GetParam().numbered);
}

INSTANTIATE_TEST_SUITE_P(Names, TransferNumberedNames,
                         ::testing::Values(NumberedCase{"game.xex", 2, "game (2).xex"}, NumberedCase{"README", 3, "README (3)"},
                                           NumberedCase{"a.tar.gz", 2, "a.tar (2).gz"},
                                           NumberedCase{".profile", 2, ".profile (2)"}));

class TransferFolderTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string contents(const std::string& name) const {
        std::string bytes;
        readWholeFile(path(name), bytes);
        return bytes;
    }
    void receive(DownloadFolderSink& sink, const std::string& name, const std::string& bytes) {
        std::string error;
        ASSERT_TRUE(sink.beginFile(name, static_cast<std::int64_t>(bytes.size()), error)) << error;
        ASSERT_TRUE(sink.write(bytes, error)) << error;
        ASSERT_TRUE(sink.endFile(error)) << error;
    }
};

TEST_F(TransferFolderTest, PartFileUntilCompleteAndGoneOnAbandon) {
    DownloadFolderSink sink(dir.path().string());
    std::string error;
    ASSERT_TRUE(sink.beginFile("../x.bin", 10, error));
    ASSERT_TRUE(sink.write("12345", error));
    EXPECT_TRUE(std::filesystem::exists(dir / "x.bin.part"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.bin"));
    sink.abandon();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "x.bin"));
}

TEST_F(TransferFolderTest, ExistingFileIsNeverOverwritten) {
    ASSERT_EQ(writeFileAtomically(path("game.xex"), "old"), FileStatus::kOk);
    DownloadFolderSink sink(dir.path().string());
    receive(sink, "game.xex", "new");
    ASSERT_EQ(sink.received().size(), 1u);
    EXPECT_EQ(sink.received()[0].outcome, DownloadFolderSink::Outcome::Exists);
    EXPECT_EQ(contents("game.xex"), "old");
    EXPECT_EQ(contents("game.xex.part"), "new");
}

TEST_F(TransferFolderTest, AnswersForAnExistingFile) {
    ASSERT_EQ(writeFileAtomically(path("a.txt"), "old"), FileStatus::kOk);
    ASSERT_EQ(writeFileAtomically(path("a (2).txt"), "older"), FileStatus::kOk);
    DownloadFolderSink sink(dir.path().string());
    receive(sink, "a.txt", "one");
    receive(sink, "a.txt", "two");  // the first copy's .part still waits: another one is taken
    receive(sink, "a.txt", "three");
    std::string error;
    ASSERT_TRUE(sink.keepBoth(0, error)) << error;
    EXPECT_EQ(sink.received()[0].path, path("a (3).txt"));
    EXPECT_EQ(contents("a (3).txt"), "one");
    EXPECT_EQ(contents("a (2).txt"), "older");
    ASSERT_TRUE(sink.replaceExisting(1, error)) << error;
    EXPECT_EQ(contents("a.txt"), "two");
    sink.discard(2);
    EXPECT_FALSE(sink.replaceExisting(2, error));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a (2).txt", "a (3).txt", "a.txt"}));
}

// A YMODEM file that ends before the size its header gave is a failure, and nothing of it stays.
TEST_F(TransferFolderTest, ShortYmodemFileFailsAndLeavesNoPart) {
    Bench bench;
    DownloadFolderSink sink(dir.path().string());
    bench.engine.startDownload(TransferProtocol::Ymodem, sink);
    bench.deliver(yHeader(std::string("short.bin\0", 10) + "5000") + frameBlock(1, std::string(1024, 'x'), true) +
                  kEot + kEot);
    EXPECT_TRUE(bench.finished);
    EXPECT_FALSE(bench.ok);
    EXPECT_EQ(bench.message, "short.bin ended after 1,024 of 5,000 bytes");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_NE(bench.takeSent().find(kCancelSequence), std::string::npos);
}

TEST_F(TransferFolderTest, EngineDownloadThroughTheFolder) {
    Bench bench;
    DownloadFolderSink sink(dir.path().string(), "board.bin");
    bench.engine.startDownload(TransferProtocol::XmodemCrc, sink);
    bench.deliver(frameBlock(1, kA, true));
    EXPECT_EQ(contents("board.bin.part").size(), 0u);  // the block is held back until EOT
    bench.engine.cancel();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace vx
