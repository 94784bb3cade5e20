#include "tools/Zmodem.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "base/Formats.h"

namespace vx {
namespace {

constexpr char kZpad = '*';
constexpr unsigned char kZdle = 0x18;  // also CAN: five in a row abort
constexpr char kZbin = 'A';
constexpr char kZhex = 'B';
constexpr char kZbin32 = 'C';

enum FrameType : unsigned char {
    ZRQINIT = 0,
    ZRINIT = 1,
    ZSINIT = 2,
    ZACK = 3,
    ZFILE = 4,
    ZSKIP = 5,
    ZNAK = 6,
    ZABORT = 7,
    ZFIN = 8,
    ZRPOS = 9,
    ZDATA = 10,
    ZEOF = 11,
    ZFERR = 12,
    ZCRC = 13,
    ZCHALLENGE = 14,
    ZCOMPL = 15,
    ZCAN = 16,
    ZFREECNT = 17,
    ZCOMMAND = 18,
};

// How a data subpacket ends (the byte behind a ZDLE).
constexpr unsigned char kZcrce = 'h';  // end of frame, header follows
constexpr unsigned char kZcrcg = 'i';  // frame continues, no answer
constexpr unsigned char kZcrcq = 'j';  // frame continues, ZACK expected
constexpr unsigned char kZcrcw = 'k';  // end of frame, ZACK expected
constexpr unsigned char kZrub0 = 'l';  // 0x7F
constexpr unsigned char kZrub1 = 'm';  // 0xFF

// ZRINIT's capabilities (ZF0) and ZSINIT's requests.
constexpr unsigned char kCanFullDuplex = 0x01;
constexpr unsigned char kCanOverlapIo = 0x02;
constexpr unsigned char kCanCrc32 = 0x20;
constexpr unsigned char kEscapeControls = 0x40;

constexpr std::size_t kMaxSubpacket = 8192;  // more is noise, not data
constexpr std::size_t kSubpacket = 1024;
constexpr std::int64_t kAckEvery = 16 * 1024;  // ZCRCQ spacing while streaming
constexpr std::int64_t kWindow = 256 * 1024;   // sent ahead of the last ZACK at most
constexpr std::int64_t kNotifyEvery = 64 * 1024;
constexpr int kCanAbort = 5;
constexpr int kFinishWaitMs = 1000;                           // for the sender's "OO" after ZFIN
constexpr std::int64_t kLatestPlausibleTime = 4'102'444'800;  // 2100-01-01
constexpr std::string_view kCancelSequence = "\x18\x18\x18\x18\x18\x18\x18\x18\x08\x08\x08\x08\x08\x08\x08\x08";

constexpr std::array<std::uint32_t, 256> makeCrc32Table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        table[i] = crc;
    }
    return table;
}
constexpr auto kCrc32Table = makeCrc32Table();

std::uint32_t crc32Update(std::uint32_t crc, std::string_view bytes) {
    for (unsigned char byte : bytes) crc = kCrc32Table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc;
}

bool isFlowControl(unsigned char c) { return (c & 0x7F) == 0x11 || (c & 0x7F) == 0x13; }

// Bytes always escaped: ZDLE itself, DLE, XON and XOFF with their high-bit forms (a modem or a
// telnet server may act on them), 0xFF (telnet's IAC) and CR (a telnet line in text mode sends it
// as CR NUL). With `controls`, every control code.
struct EscapeTable {
    std::array<bool, 256> escape{};
    explicit EscapeTable(bool controls) {
        for (int c : {0x0D, 0x10, 0x11, 0x13, 0x18, 0x8D, 0x90, 0x91, 0x93, 0x98, 0xFF}) escape[c] = true;
        if (controls)
            for (int c = 0; c < 256; ++c)
                if ((c & 0x60) == 0) escape[c] = true;
    }
};
const EscapeTable kUsualEscapes(false);
const EscapeTable kAllControlEscapes(true);

void appendEscaped(std::string& out, std::string_view bytes, const EscapeTable& table) {
    for (unsigned char c : bytes) {
        if (!table.escape[c]) {
            out += static_cast<char>(c);
            continue;
        }
        out += static_cast<char>(kZdle);
        if (c == 0x7F)
            out += static_cast<char>(kZrub0);
        else if (c == 0xFF)
            out += static_cast<char>(kZrub1);
        else
            out += static_cast<char>(c ^ 0x40);
    }
}

std::array<unsigned char, 4> positionBytes(std::int64_t position) {
    const auto p = static_cast<std::uint32_t>(position);
    return {static_cast<unsigned char>(p), static_cast<unsigned char>(p >> 8), static_cast<unsigned char>(p >> 16),
            static_cast<unsigned char>(p >> 24)};
}

std::string hexHeader(unsigned char type, std::array<unsigned char, 4> args) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string raw(1, static_cast<char>(type));
    for (unsigned char a : args) raw += static_cast<char>(a);
    const std::uint16_t crc = crc16Xmodem(raw);
    raw += static_cast<char>(crc >> 8);
    raw += static_cast<char>(crc & 0xFF);
    std::string out =
        "**\x18"
        "B";
    for (unsigned char c : raw) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    out += "\r\x8a";
    if (type != ZFIN && type != ZACK) out += '\x11';  // XON: a receiver stopped by a stray XOFF goes on
    return out;
}

std::string binaryHeader(unsigned char type, std::array<unsigned char, 4> args, bool crc32, const EscapeTable& table) {
    std::string raw(1, static_cast<char>(type));
    for (unsigned char a : args) raw += static_cast<char>(a);
    std::string out = "*\x18";
    out += crc32 ? kZbin32 : kZbin;
    if (crc32) {
        const std::uint32_t crc = ~crc32Update(0xFFFFFFFFu, raw);
        for (int i = 0; i < 4; ++i) raw += static_cast<char>((crc >> (8 * i)) & 0xFF);
    } else {
        const std::uint16_t crc = crc16Xmodem(raw);
        raw += static_cast<char>(crc >> 8);
        raw += static_cast<char>(crc & 0xFF);
    }
    appendEscaped(out, raw, table);
    return out;
}

void appendSubpacket(std::string& out, std::string_view data, unsigned char end, bool crc32, const EscapeTable& table) {
    appendEscaped(out, data, table);
    out += static_cast<char>(kZdle);
    out += static_cast<char>(end);
    std::string check;
    if (crc32) {
        std::uint32_t crc = crc32Update(0xFFFFFFFFu, data);
        crc = ~crc32Update(crc, std::string_view(reinterpret_cast<const char*>(&end), 1));
        for (int i = 0; i < 4; ++i) check += static_cast<char>((crc >> (8 * i)) & 0xFF);
    } else {
        std::string covered(data);
        covered += static_cast<char>(end);
        const std::uint16_t crc = crc16Xmodem(covered);
        check += static_cast<char>(crc >> 8);
        check += static_cast<char>(crc & 0xFF);
    }
    appendEscaped(out, check, table);
}

int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string fileCount(int files) { return std::to_string(files) + (files == 1 ? " file" : " files"); }

}  // namespace

std::uint32_t crc32Zmodem(std::string_view bytes, std::uint32_t crc) { return ~crc32Update(~crc, bytes); }

struct ZmodemTransfer::Job {
    enum class Mode { Idle, Receiving, Sending };
    // What the parser is reading.
    enum class Read { Hunt, HexHeader, BinaryHeader, Subpacket, SubpacketCheck, Finish };
    // Receiver: what the next subpacket belongs to. Sender: what it waits for.
    enum class Step {
        None,
        SinitData,
        FileData,
        Data,  // receiving
        Start,
        FilePosition,
        Streaming,
        EofAnswer,
        FinAnswer,  // sending
        Decision,   // receiving: the sink decides
    };

    Job(TimerFactory& timers, const Clock& clock, std::function<void(std::string_view)> send,
        FileTransfer::Events& events, const TransferTiming& timing)
        : clock(clock), send(std::move(send)), events(events), timing(timing) {
        timer = timers.createTimer([this] { onTimeout(); });
    }

    const Clock& clock;
    std::function<void(std::string_view)> send;
    FileTransfer::Events& events;
    const TransferTiming& timing;
    std::unique_ptr<Timer> timer;
    std::shared_ptr<int> generation = std::make_shared<int>(0);  // an answer for an earlier transfer is ignored

    Mode mode = Mode::Idle;
    Step step = Step::None;
    TransferProgress progress;
    std::int64_t startedMs = 0;
    std::int64_t nextNotify = 0;
    int retries = 0;
    int canRun = 0;

    // Parser.
    Read read = Read::Hunt;
    bool sawPad = false;
    bool sawPadDle = false;
    bool escaped = false;
    bool headerCrc32 = false;
    bool dataCrc32 = false;  // subpackets follow their frame's header kind
    bool dataCrcEither = false;
    int hexTail = 0;  // line-end bytes of a hex header still to skip  // after a hex header: senders use the CRC they
                      // chose for the session
    std::string header;  // hex digits or decoded binary header bytes
    std::size_t headerLength = 0;
    std::string packet;  // the subpacket being read
    unsigned char packetEnd = 0;
    std::string check;
    int finishOs = 0;

    // Receiving.
    DownloadSink* sink = nullptr;
    bool fileOpen = false;
    std::int64_t offset = 0;  // of the open file: bytes written
    std::int64_t fileSize = -1;
    std::string lastRequest;  // ZRINIT or ZRPOS, sent again on a timeout
    std::string pendingName;

    // Sending.
    UploadSource* source = nullptr;
    std::size_t fileIndex = 0;
    std::int64_t sendPos = 0;
    std::int64_t ackedPos = 0;
    std::int64_t nextAckAt = 0;
    std::int64_t restartPos = -1;  // where the current ZDATA began
    bool senderCrc32 = false;
    bool escapeAll = false;
    std::int64_t receiverBuffer = 0;  // 0: the receiver takes a whole stream
    std::int64_t segmentStart = 0;
    std::string lastFrame;  // ZFILE, ZEOF or ZFIN, sent again on a timeout
    std::string readBuffer;

    const EscapeTable& escapes() const { return escapeAll ? kAllControlEscapes : kUsualEscapes; }

    void timeProgress() {
        progress.elapsedMs = clock.steadyMs() - startedMs;
        progress.fileElapsedMs = clock.steadyMs() - fileStartedMs;
    }
    std::int64_t fileStartedMs = 0;

    void notify() {
        timeProgress();
        nextNotify = progress.bytesDone + kNotifyEvery;
        if (events.progress) events.progress(progress);
    }
    void notifySometimes() {
        if (progress.bytesDone >= nextNotify) notify();
    }

    void begin(Mode newMode) {
        ++*generation;
        mode = newMode;
        progress = {};
        startedMs = fileStartedMs = clock.steadyMs();
        nextNotify = 0;
        retries = canRun = 0;
        resetParser();
        fileOpen = false;
        offset = 0;
        fileIndex = 0;
        escapeAll = false;
        receiverBuffer = 0;
    }

    void resetParser() {
        read = Read::Hunt;
        sawPad = sawPadDle = escaped = false;
    }

    void end(bool ok, const std::string& message, bool userCancel = false) {
        timer->stop();
        ++*generation;
        if (!ok && mode == Mode::Receiving && fileOpen) {
            if (userCancel)
                sink->abandon();
            else
                sink->interrupt();
        }
        fileOpen = false;
        mode = Mode::Idle;
        if (!ok) progress.lastError = message;
        timeProgress();
        if (events.finished) events.finished(ok, message);
    }

    void fail(const std::string& message, bool tellPeer = true, bool userCancel = false) {
        if (tellPeer) send(kCancelSequence);
        end(false, message, userCancel);
    }

    void restartTimer(int ms) { timer->start(ms, false); }

    // ---- Parser ---------------------------------------------------------------------------------

    std::size_t receive(std::string_view in) {
        std::size_t i = 0;
        while (i < in.size() && mode != Mode::Idle) {
            const auto c = static_cast<unsigned char>(in[i]);
            if (read == Read::Finish) {
                if (!finishByte(c)) break;
                ++i;
                continue;
            }
            ++i;
            if (c == kZdle) {
                if (++canRun >= kCanAbort) {
                    fail(mode == Mode::Receiving ? "Cancelled by the sender" : "Cancelled by the receiver", false);
                    break;
                }
            } else {
                canRun = 0;
            }
            parseByte(c);
        }
        return i;
    }

    // One byte of ZDLE-encoded text. Returns -1 while inside an escape, -2 for a frame end
    // (in packetEnd), -3 for a bad escape, else the byte.
    int decode(unsigned char c) {
        if (escaped) {
            escaped = false;
            if (c >= kZcrce && c <= kZcrcw) {
                packetEnd = c;
                return -2;
            }
            if (c == kZrub0) return 0x7F;
            if (c == kZrub1) return 0xFF;
            if ((c & 0x60) == 0x40) return c ^ 0x40;
            return -3;
        }
        if (c == kZdle) {
            escaped = true;
            return -1;
        }
        if (isFlowControl(c)) return -1;  // stray XON/XOFF: senders escape the real ones
        return c;
    }

    void parseByte(unsigned char c) {
        switch (read) {
            case Read::Hunt:
                if (c == kZpad) {
                    sawPad = true;
                    sawPadDle = false;
                } else if (c == kZdle && sawPad) {
                    sawPadDle = true;
                    sawPad = false;
                } else if (sawPadDle && (c == kZbin || c == kZhex || c == kZbin32)) {
                    sawPadDle = false;
                    header.clear();
                    escaped = false;
                    headerCrc32 = c == kZbin32;
                    headerLength = c == kZhex ? 14 : (headerCrc32 ? 9 : 7);
                    read = c == kZhex ? Read::HexHeader : Read::BinaryHeader;
                } else {
                    sawPad = sawPadDle = false;
                }
                return;
            case Read::HexHeader:
                if (hexValue(c) < 0) return badHeader();
                header += static_cast<char>(c);
                if (header.size() == headerLength) hexHeaderDone();
                return;
            case Read::BinaryHeader: {
                const int value = decode(c);
                if (value == -1) return;
                if (value < 0) return badHeader();
                header += static_cast<char>(value);
                if (header.size() == headerLength) binaryHeaderDone();
                return;
            }
            case Read::Subpacket: {
                // A hex header ends in CR LF (either may have its high bit set) before the data.
                if (hexTail > 0 && !escaped && ((c & 0x7F) == '\r' || (c & 0x7F) == '\n')) {
                    --hexTail;
                    return;
                }
                hexTail = 0;
                const int value = decode(c);
                if (value == -1) return;
                if (value == -2) {
                    check.clear();
                    read = Read::SubpacketCheck;
                    return;
                }
                if (value < 0 || packet.size() >= kMaxSubpacket) return badSubpacket("Garbled data");
                packet += static_cast<char>(value);
                return;
            }
            case Read::SubpacketCheck: {
                const int value = decode(c);
                if (value == -1) return;
                if (value < 0) return badSubpacket("Garbled data");
                check += static_cast<char>(value);
                if (dataCrcEither && check.size() == 2) {
                    dataCrc32 = !checkMatches(false);
                    if (!dataCrc32) return onSubpacket();
                }
                if (check.size() == (dataCrc32 ? 4u : 2u)) subpacketDone();
                return;
            }
            case Read::Finish:
                return;
        }
    }

    // The session's last bytes: the receiver takes the line end of the sender's ZFIN header and
    // its "OO"; the sender the line end of the receiver's ZFIN. False (the transfer over) for a
    // byte that is not theirs: it is the board's again.
    bool finishByte(unsigned char c) {
        const bool lineEnd = (c & 0x7F) == '\r' || (c & 0x7F) == '\n' || isFlowControl(c);
        const bool ours = mode == Mode::Receiving ? (finishOs == 0 && lineEnd) || c == 'O' : lineEnd;
        if (!ours) {
            finishSession();
            return false;
        }
        if ((mode == Mode::Receiving ? c == 'O' : lineEnd) && ++finishOs == 2) finishSession();
        return true;
    }

    void finishSession() {
        end(true, fileCount(progress.filesDone) + (mode == Mode::Receiving ? " received" : " sent"));
    }

    void badHeader() {
        resetParser();
        ++progress.errors;
        progress.lastError = "Bad header";
        // Inside a file the sender streams on past a spoilt ZDATA header: ask for our position at
        // once rather than at the timeout. Elsewhere the timer asks again (answering every piece
        // of noise would send more than the noise).
        if (mode == Mode::Receiving && fileOpen && step != Step::Decision) askPosition();
    }

    void hexHeaderDone() {
        std::string bytes;
        for (std::size_t i = 0; i < header.size(); i += 2)
            bytes += static_cast<char>(hexValue(header[i]) * 16 + hexValue(header[i + 1]));
        if (crc16Xmodem(bytes) != 0) return badHeader();  // the CRC over data and CRC leaves 0
        resetParser();
        dataCrc32 = false;
        dataCrcEither = true;
        hexTail = 2;
        onHeader(bytes);
    }

    void binaryHeaderDone() {
        const std::string_view bytes(header);
        bool good;
        if (headerCrc32) {
            const std::uint32_t crc = ~crc32Update(0xFFFFFFFFu, bytes.substr(0, 5));
            std::uint32_t got = 0;
            for (int i = 0; i < 4; ++i)
                got |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[5 + i])) << (8 * i);
            good = crc == got;
        } else {
            good = crc16Xmodem(bytes) == 0;
        }
        if (!good) return badHeader();
        resetParser();
        dataCrc32 = headerCrc32;
        dataCrcEither = false;
        hexTail = 0;
        onHeader(std::string(bytes.substr(0, 5)));
    }

    void expectSubpacket() {
        packet.clear();
        escaped = false;
        read = Read::Subpacket;
    }

    void subpacketDone() {
        if (!checkMatches(dataCrc32)) return badSubpacket("CRC error in the data");
        onSubpacket();
    }

    bool checkMatches(bool crc32) const {
        bool good;
        const std::string_view end(reinterpret_cast<const char*>(&packetEnd), 1);
        if (crc32) {
            const std::uint32_t crc = ~crc32Update(crc32Update(0xFFFFFFFFu, packet), end);
            std::uint32_t got = 0;
            for (int i = 0; i < 4; ++i)
                got |= static_cast<std::uint32_t>(static_cast<unsigned char>(check[i])) << (8 * i);
            good = crc == got;
        } else {
            std::string covered = packet;
            covered += static_cast<char>(packetEnd);
            good = crc16Xmodem(covered) ==
                   ((static_cast<unsigned char>(check[0]) << 8) | static_cast<unsigned char>(check[1]));
        }
        return good;
    }

    void badSubpacket(const std::string& why) {
        resetParser();
        ++progress.errors;
        progress.lastError = why;
        if (mode != Mode::Receiving) return;
        if (++retries > timing.retries) return fail("Too many errors: " + why);
        if (step == Step::Data) return askPosition();
        if (!lastRequest.empty()) send(lastRequest);
    }

    static std::int64_t positionOf(std::string_view h) {
        std::int64_t p = 0;
        for (int i = 3; i >= 0; --i) p = (p << 8) | static_cast<unsigned char>(h[1 + i]);
        return p;
    }

    void onHeader(const std::string& h) {
        const auto type = static_cast<unsigned char>(h[0]);
        if (type == ZCAN || type == ZABORT) return fail("Cancelled by the " + peerName(), false);
        if (type == ZFERR) return fail("The " + peerName() + " could not go on (file error)");
        if (mode == Mode::Receiving)
            receiverHeader(type, h);
        else
            senderHeader(type, h);
    }

    std::string peerName() const { return mode == Mode::Receiving ? "sender" : "receiver"; }

    // ---- Receiving ------------------------------------------------------------------------------

    void startDownload(DownloadSink& newSink) {
        begin(Mode::Receiving);
        sink = &newSink;
        step = Step::None;
        // The first ZRINIT goes out from the event loop: a board's ZRQINIT read meanwhile (the
        // start that opened this download) is answered by it, not by a second one.
        lastRequest = receiverInit();
        restartTimer(0);
    }

    // Buffer size 0: the whole stream is read while the disk is written.
    static std::string receiverInit() {
        return hexHeader(ZRINIT, {0, 0, 0, kCanFullDuplex | kCanOverlapIo | kCanCrc32});
    }

    void sendReceiverInit() {
        lastRequest = receiverInit();
        send(lastRequest);
        restartTimer(timing.startIntervalMs);
    }

    void askPosition() {
        resetParser();
        step = Step::None;
        lastRequest = hexHeader(ZRPOS, positionBytes(offset));
        send(lastRequest);
        restartTimer(timing.blockTimeoutMs);
    }

    void receiverHeader(unsigned char type, const std::string& h) {
        if (step == Step::Decision) return;  // the sender repeats itself while the user thinks
        switch (type) {
            case ZRQINIT:
                if (!fileOpen) sendReceiverInit();
                return;
            case ZSINIT:
                step = Step::SinitData;
                if (static_cast<unsigned char>(h[4]) & kEscapeControls) escapeAll = true;
                return expectSubpacket();
            case ZFILE:
                if (fileOpen) return askPosition();  // a repeated offer: our ZRPOS was lost
                step = Step::FileData;
                return expectSubpacket();
            case ZDATA: {
                if (!fileOpen) return;  // data of a file we skipped, still in flight
                const std::int64_t at = positionOf(h);
                if (at != offset) {
                    ++progress.errors;
                    progress.lastError =
                        "Data from byte " + std::to_string(at) + ", expected " + std::to_string(offset);
                    return askPosition();
                }
                step = Step::Data;
                restartTimer(timing.blockTimeoutMs);
                return expectSubpacket();
            }
            case ZEOF:
                if (!fileOpen) {
                    if (step != Step::Data) sendReceiverInit();
                    return;
                }
                if (positionOf(h) != offset) return;  // an old ZEOF: the data from our ZRPOS comes first
                return finishFile();
            case ZFIN:
                send(hexHeader(ZFIN, {0, 0, 0, 0}));
                read = Read::Finish;
                finishOs = 0;
                restartTimer(kFinishWaitMs);
                return;
            case ZCOMMAND:
                return fail("The sender asked to run a command: refused");
            case ZFREECNT:
                send(hexHeader(ZACK, {0, 0, 0, 0}));
                return;
            default:
                return;
        }
    }

    void onSubpacket() {
        if (mode == Mode::Sending) return resetParser();
        switch (step) {
            case Step::SinitData:
                resetParser();
                step = Step::None;
                send(hexHeader(ZACK, {1, 0, 0, 0}));
                return;
            case Step::FileData:
                resetParser();
                return offerFile();
            case Step::Data:
                return writeSubpacket();
            default:
                return resetParser();
        }
    }

    void offerFile() {
        // Name NUL, then "size mtime mode ..." in decimal and octal.
        const std::size_t nul = packet.find('\0');
        pendingName = packet.substr(0, nul);
        fileSize = -1;
        std::int64_t modified = 0;
        if (nul != std::string::npos) {
            const std::string info = packet.substr(nul + 1);
            char* rest = nullptr;
            const long long size = std::strtoll(info.c_str(), &rest, 10);
            if (rest != info.c_str() && size >= 0) fileSize = size;
            if (rest && *rest == ' ') {
                char* after = nullptr;
                const long long seconds = std::strtoll(rest, &after, 8);
                if (after != rest && seconds > 0 && seconds <= kLatestPlausibleTime) modified = seconds;
            }
        }
        if (pendingName.empty()) return fail("The sender offered a file without a name");
        step = Step::Decision;
        timer->stop();
        sink->offerFile(pendingName, fileSize,
                        [this, modified, token = std::weak_ptr<int>(generation), gen = *generation](bool take) {
                            const auto alive = token.lock();
                            if (!alive || *alive != gen || mode != Mode::Receiving) return;
                            decided(take, modified);
                        });
    }

    void decided(bool take, std::int64_t modified) {
        step = Step::None;
        progress.fileName = pendingName;
        progress.bytesTotal = fileSize;
        progress.bytesDone = 0;
        progress.resumedFrom = 0;
        if (!take) {
            ++progress.filesSkipped;
            lastRequest = hexHeader(ZSKIP, {0, 0, 0, 0});
            send(lastRequest);
            notify();
            return restartTimer(timing.blockTimeoutMs);
        }
        std::string error;
        std::int64_t kept = 0;
        if (!sink->resumeFile(pendingName, fileSize, kept, error)) return fail(error);
        if (modified > 0) sink->setModifiedTime(modified);
        fileOpen = true;
        fileStartedMs = clock.steadyMs();
        offset = kept;
        progress.bytesDone = kept;
        progress.resumedFrom = kept;
        retries = 0;
        notify();
        askPosition();
    }

    void writeSubpacket() {
        std::string error;
        if (fileSize >= 0 && offset + static_cast<std::int64_t>(packet.size()) > fileSize)
            return fail(progress.fileName + ": more data than the " + formatThousands(fileSize) + " bytes announced");
        if (!packet.empty() && !sink->write(packet, error)) return fail(error);
        offset += static_cast<std::int64_t>(packet.size());
        progress.bytesDone = offset;
        retries = 0;
        const unsigned char how = packetEnd;
        if (how == kZcrcq || how == kZcrcw) send(hexHeader(ZACK, positionBytes(offset)));
        if (how == kZcrce || how == kZcrcw) {
            resetParser();
            step = Step::None;
        } else {
            expectSubpacket();
        }
        restartTimer(timing.blockTimeoutMs);
        notifySometimes();
    }

    void finishFile() {
        if (fileSize >= 0 && offset < fileSize)
            return fail(progress.fileName + " ended after " + formatThousands(offset) + " of " +
                        formatThousands(fileSize) + " bytes");
        std::string error;
        fileOpen = false;
        if (!sink->endFile(error)) return fail(error);
        ++progress.filesDone;
        notify();
        step = Step::None;
        retries = 0;
        sendReceiverInit();
        restartTimer(timing.blockTimeoutMs);
    }

    void receiverTimeout() {
        if (read == Read::Finish) return finishSession();
        if (step == Step::Decision) return;
        resetParser();
        const bool starting = progress.filesDone == 0 && !fileOpen && progress.filesSkipped == 0;
        if (++retries > (starting ? timing.startTries : timing.retries))
            return fail(starting
                            ? "The sender did not start"
                            : "No data from the sender: gave up after " + std::to_string(timing.retries) + " tries");
        progress.lastError = "Timeout";
        if (fileOpen) return askPosition();
        send(lastRequest);
        restartTimer(starting ? timing.startIntervalMs : timing.blockTimeoutMs);
    }

    // ---- Sending --------------------------------------------------------------------------------

    void startUpload(UploadSource& newSource) {
        begin(Mode::Sending);
        source = &newSource;
        if (source->fileCount() == 0) return end(false, "No file to send");
        step = Step::Start;
        // "rz\r" starts a receiver on a shell; ZRQINIT asks one that runs already.
        lastFrame = "rz\r" + hexHeader(ZRQINIT, {0, 0, 0, 0});
        send(lastFrame);
        restartTimer(std::min(timing.startIntervalMs, timing.senderStartMs));
    }

    void senderHeader(unsigned char type, const std::string& h) {
        switch (type) {
            case ZRINIT:
                if (step == Step::Start) {
                    const auto flags = static_cast<unsigned char>(h[4]);
                    senderCrc32 = flags & kCanCrc32;
                    escapeAll = flags & kEscapeControls;
                    receiverBuffer = static_cast<unsigned char>(h[1]) | (static_cast<unsigned char>(h[2]) << 8);
                    if (!(flags & kCanOverlapIo) && receiverBuffer == 0) receiverBuffer = kSubpacket * 8;
                    return sendFileOffer();
                }
                if (step == Step::EofAnswer) return nextFile();
                // At FilePosition it is a second answer to our ZRQINIT; a lost ZFILE is sent again
                // by the timer.
                return;
            case ZRPOS:
                if (step == Step::FilePosition || step == Step::Streaming || step == Step::EofAnswer) {
                    if (step != Step::FilePosition) {
                        // The receiver asks again for every stretch of our stale stream it reads
                        // while it waits for the new start: that start is on its way already (a
                        // lost one is sent again when no ZACK comes).
                        if (positionOf(h) == restartPos) return;
                        ++progress.errors;
                        progress.lastError = "The receiver asked for byte " + std::to_string(positionOf(h)) + " again";
                        if (++retries > timing.retries) return fail("Too many errors: data refused");
                    } else {
                        progress.resumedFrom = positionOf(h);
                    }
                    return startData(positionOf(h));
                }
                return;
            case ZACK:
                if (step == Step::Streaming) {
                    const std::int64_t at = positionOf(h);
                    if (at > ackedPos && at <= sendPos) ackedPos = at;
                    retries = 0;
                    if (needHeader && ackedPos == sendPos) {
                        needHeader = false;
                        send(binaryHeader(ZDATA, positionBytes(sendPos), senderCrc32, escapes()));
                    }
                    return pump();
                }
                return;
            case ZSKIP:
                if (step == Step::FilePosition || step == Step::Streaming || step == Step::EofAnswer) {
                    ++progress.filesSkipped;
                    return nextFile(false);
                }
                return;
            case ZFIN:
                if (step == Step::FinAnswer) {
                    send("OO");
                    read = Read::Finish;
                    finishOs = 0;
                    return restartTimer(kFinishWaitMs);
                }
                return;
            case ZNAK:
                if (!lastFrame.empty() && step != Step::Streaming) send(lastFrame);
                return;
            default:
                return;
        }
    }

    void sendFileOffer() {
        if (fileIndex >= source->fileCount()) {
            step = Step::FinAnswer;
            lastFrame = hexHeader(ZFIN, {0, 0, 0, 0});
            send(lastFrame);
            return restartTimer(timing.blockTimeoutMs);
        }
        progress.fileName = source->fileName(fileIndex);
        progress.bytesTotal = source->fileSize(fileIndex);
        progress.bytesDone = 0;
        progress.resumedFrom = 0;
        fileStartedMs = clock.steadyMs();
        std::int64_t bytesLeft = 0;
        for (std::size_t i = fileIndex; i < source->fileCount(); ++i)
            bytesLeft += std::max<std::int64_t>(0, source->fileSize(i));
        char info[160];
        std::snprintf(info, sizeof info, "%lld %llo 100644 0 %zu %lld",
                      static_cast<long long>(std::max<std::int64_t>(0, progress.bytesTotal)),
                      static_cast<unsigned long long>(std::max<std::int64_t>(0, source->modifiedTime(fileIndex))),
                      source->fileCount() - fileIndex, static_cast<long long>(bytesLeft));
        std::string data = progress.fileName;
        data += '\0';
        data += info;
        data += '\0';
        // ZF0 = 1: binary, sent as it is.
        lastFrame = binaryHeader(ZFILE, {0, 0, 0, 1}, senderCrc32, escapes());
        appendSubpacket(lastFrame, data, kZcrcw, senderCrc32, escapes());
        step = Step::FilePosition;
        retries = 0;
        send(lastFrame);
        notify();
        restartTimer(timing.blockTimeoutMs);
    }

    void startData(std::int64_t position) {
        const std::int64_t size = std::max<std::int64_t>(0, source->fileSize(fileIndex));
        sendPos = ackedPos = segmentStart = restartPos = std::clamp<std::int64_t>(position, 0, size);
        needHeader = false;
        nextAckAt = sendPos + kAckEvery;
        progress.bytesDone = sendPos;
        step = Step::Streaming;
        send(binaryHeader(ZDATA, positionBytes(sendPos), senderCrc32, escapes()));
        pump();
    }

    // Sends the file's data up to the window, then its end.
    void pump() {
        if (step != Step::Streaming || needHeader) return;
        const std::int64_t size = std::max<std::int64_t>(0, source->fileSize(fileIndex));
        const std::int64_t window = receiverBuffer > 0 ? receiverBuffer : kWindow;
        std::string out;
        while (step == Step::Streaming && sendPos - ackedPos < window) {
            const std::int64_t left = size - sendPos;
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(kSubpacket)));
            std::string error;
            readBuffer.clear();
            if (want > 0 && !source->read(fileIndex, sendPos, want, readBuffer, error)) return fail(error);
            if (readBuffer.size() < want) return fail("The file " + progress.fileName + " ended early");
            sendPos += static_cast<std::int64_t>(want);
            unsigned char how = kZcrcg;
            if (sendPos >= size) {
                how = kZcrce;
            } else if (receiverBuffer > 0 && sendPos - segmentStart >= receiverBuffer) {
                how = kZcrcw;  // the receiver writes its buffer out before it reads on
            } else if (sendPos >= nextAckAt) {
                how = kZcrcq;
                nextAckAt = sendPos + kAckEvery;
            }
            appendSubpacket(out, readBuffer, how, senderCrc32, escapes());
            progress.bytesDone = sendPos;
            if (how == kZcrce) {
                lastFrame = hexHeader(ZEOF, positionBytes(size));
                out += lastFrame;
                step = Step::EofAnswer;
            } else if (how == kZcrcw) {
                segmentStart = sendPos;
                // The next ZDATA follows the ZACK: sent when the window opens again.
                send(out);
                out.clear();
                ackedPos = std::min(ackedPos, sendPos);
                needHeader = true;
                break;
            }
        }
        if (!out.empty()) send(out);
        notifySometimes();
        restartTimer(timing.blockTimeoutMs);
    }
    bool needHeader = false;

    void nextFile(bool sent = true) {
        if (sent) ++progress.filesDone;
        ++fileIndex;
        retries = 0;
        notify();
        sendFileOffer();
    }

    void senderTimeout() {
        if (read == Read::Finish) return finishSession();
        if (step == Step::Start) {
            if (clock.steadyMs() - startedMs >= timing.senderStartMs)
                return fail("The receiver did not ask for the file");
            send(lastFrame);
            return restartTimer(std::min(timing.startIntervalMs, timing.senderStartMs));
        }
        if (++retries > timing.retries)
            return fail("No answer from the receiver: gave up after " + std::to_string(timing.retries) + " tries");
        ++progress.errors;
        progress.lastError = "Timeout waiting for the receiver";
        if (step == Step::Streaming) return startData(ackedPos);
        send(lastFrame);
        restartTimer(timing.blockTimeoutMs);
    }

    void onTimeout() {
        if (mode == Mode::Receiving)
            receiverTimeout();
        else if (mode == Mode::Sending)
            senderTimeout();
    }
};

ZmodemTransfer::ZmodemTransfer(TimerFactory& timers, const Clock& clock,
                               std::function<void(std::string_view)> sendToLine, FileTransfer::Events& events,
                               const TransferTiming& timing)
    : m_job(std::make_unique<Job>(timers, clock, std::move(sendToLine), events, timing)) {}

ZmodemTransfer::~ZmodemTransfer() = default;

void ZmodemTransfer::startDownload(DownloadSink& sink) {
    if (m_job->mode == Job::Mode::Idle) m_job->startDownload(sink);
}

void ZmodemTransfer::startUpload(UploadSource& source) {
    if (m_job->mode == Job::Mode::Idle) m_job->startUpload(source);
}

std::size_t ZmodemTransfer::receive(std::string_view bytes) { return m_job->receive(bytes); }

void ZmodemTransfer::cancel() {
    if (m_job->mode != Job::Mode::Idle) m_job->fail(FileTransfer::kCancelledMessage, true, true);
}

bool ZmodemTransfer::active() const { return m_job->mode != Job::Mode::Idle; }

const TransferProgress& ZmodemTransfer::progress() const { return m_job->progress; }

}  // namespace vx
