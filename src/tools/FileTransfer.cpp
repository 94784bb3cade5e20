#include "tools/FileTransfer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "base/Formats.h"
#include "tools/Zmodem.h"

namespace vx {
namespace {

constexpr char kSoh = 0x01;
constexpr char kStx = 0x02;
constexpr char kEot = 0x04;
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;
constexpr char kCan = 0x18;
constexpr char kSub = 0x1A;
constexpr char kCrcStart = 'C';

// A header date from after this (2100-01-01) is noise, not a date.
constexpr std::int64_t kLatestPlausibleTime = 4'102'444'800;

constexpr std::size_t kShortBlock = 128;
constexpr std::size_t kLongBlock = 1024;
// A peer gives up on two CANs in a row; five survive one being lost, and the backspaces rub out
// what a peer that is not transferring (a board's prompt) would otherwise show.
constexpr std::string_view kCancelSequence = "\x18\x18\x18\x18\x18\x08\x08\x08\x08\x08";

constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        table[i] = crc;
    }
    return table;
}
constexpr auto kCrcTable = makeCrcTable();

bool isCrcMode(TransferProtocol protocol) { return protocol != TransferProtocol::Xmodem; }
bool usesLongBlocks(TransferProtocol protocol) {
    return protocol == TransferProtocol::Xmodem1K || protocol == TransferProtocol::Ymodem;
}

}  // namespace

std::uint16_t crc16Xmodem(std::string_view bytes) {
    std::uint16_t crc = 0;
    for (unsigned char byte : bytes)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ byte) & 0xFF]);
    return crc;
}

std::uint8_t checksum8(std::string_view bytes) {
    unsigned sum = 0;
    for (unsigned char byte : bytes) sum += byte;
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string frameBlock(int number, std::string_view data, bool crc) {
    const std::size_t size = data.size() <= kShortBlock ? kShortBlock : kLongBlock;
    std::string block;
    block.reserve(3 + size + 2);
    block += size == kShortBlock ? kSoh : kStx;
    block += static_cast<char>(number & 0xFF);
    block += static_cast<char>(~number & 0xFF);
    block.append(data.substr(0, size));
    block.append(size - std::min(size, data.size()), kSub);
    const std::string_view payload = std::string_view(block).substr(3, size);
    if (crc) {
        const std::uint16_t value = crc16Xmodem(payload);
        block += static_cast<char>(value >> 8);
        block += static_cast<char>(value & 0xFF);
    } else {
        block += static_cast<char>(checksum8(payload));
    }
    return block;
}

struct FileTransfer::Job {
    enum class Mode { Idle, Receiving, Sending };
    // Receiver: which block comes next. Sender: what the receiver is expected to say.
    enum class Phase { Header, Data, Ack, EotAck, BatchEndAck };

    Job(FileTransfer::Events events, TransferTiming timing, const Clock& clock, std::function<void(std::string_view)> send)
        : events(std::move(events)), timing(timing), clock(clock), send(std::move(send)) {}

    FileTransfer::Events events;
    TransferTiming timing;
    const Clock& clock;
    std::function<void(std::string_view)> send;
    std::unique_ptr<Timer> timer;

    Mode mode = Mode::Idle;
    TransferProtocol protocol = TransferProtocol::Xmodem;
    Phase phase = Phase::Data;
    TransferProgress progress;
    std::int64_t startedMs = 0;
    std::int64_t fileStartedMs = 0;
    bool crc = false;
    int retries = 0;
    int canRun = 0;  // CANs in a row between blocks

    // Receiving.
    DownloadSink* sink = nullptr;
    bool fileOpen = false;
    bool askingStart = false;  // no block yet since the last 'C'/NAK that asked for one
    int startSent = 0;
    int lastBlock = -1;        // number of the block accepted last (YMODEM header: 0), -1 before any
    bool gotData = false;      // a data block arrived since the download started
    bool fileHasData = false;  // ... since the current file's header
    bool eotRefused = false;
    std::int64_t remaining = -1;  // bytes still to write, -1 when the size is unknown
    std::string heldBack;         // last block of unknown-size data: its padding goes at EOT
    std::string block;            // the block being collected
    std::size_t blockLength = 0;  // 0: between blocks

    // Sending.
    UploadSource* source = nullptr;
    std::size_t fileIndex = 0;
    std::int64_t offset = 0;      // of the file, up to the block in flight
    std::size_t inFlight = 0;     // data bytes of the block in flight
    std::string framed;           // the block in flight, for resending
    int blockNumber = 0;
    bool headerInFlight = false;  // block 0 of YMODEM, not the 256th data block

    void restartTimer(int ms) { timer->start(ms, false); }

    void timeProgress() {
        progress.elapsedMs = clock.steadyMs() - startedMs;
        progress.fileElapsedMs = clock.steadyMs() - fileStartedMs;
    }

    void notify() {
        timeProgress();
        if (events.progress) events.progress(progress);
    }

    void begin(Mode newMode, TransferProtocol newProtocol) {
        mode = newMode;
        protocol = newProtocol;
        progress = {};
        startedMs = clock.steadyMs();
        fileStartedMs = startedMs;
        retries = 0;
        canRun = 0;
        crc = isCrcMode(newProtocol);
        fileOpen = false;
        startSent = 0;
        lastBlock = -1;
        gotData = false;
        fileHasData = false;
        eotRefused = false;
        remaining = -1;
        heldBack.clear();
        block.clear();
        blockLength = 0;
        fileIndex = 0;
        offset = 0;
        inFlight = 0;
        framed.clear();
    }

    // The last act of every transfer: nothing of the job is touched after the event.
    void end(bool ok, const std::string& message) {
        timer->stop();
        if (!ok && mode == Mode::Receiving && fileOpen) sink->abandon();
        fileOpen = false;
        mode = Mode::Idle;
        if (!ok) progress.lastError = message;
        timeProgress();
        if (events.finished) events.finished(ok, message);
    }

    void fail(const std::string& message, bool tellPeer = true) {
        if (tellPeer) send(kCancelSequence);
        end(false, message);
    }

    // ---- Receiving ----------------------------------------------------------------------------

    void startDownload(TransferProtocol newProtocol, DownloadSink& newSink) {
        begin(Mode::Receiving, newProtocol);
        sink = &newSink;
        if (protocol == TransferProtocol::Ymodem) {
            phase = Phase::Header;
        } else {
            phase = Phase::Data;
            lastBlock = 0;  // XMODEM numbers its first block 1
            std::string error;
            if (!sink->beginFile(std::string(), -1, error)) return fail(error);
            fileOpen = true;
        }
        askForStart();
    }

    void askForStart() {
        askingStart = true;
        // XMODEM-CRC falls back to the checksum when the sender never answers 'C': it may be an
        // old sender that knows only NAK, and it gives up after about a minute of asking, so the
        // 'C' tries must leave it time to hear enough NAKs. YMODEM has no such fallback.
        if (crc && protocol != TransferProtocol::Ymodem && !gotData && startSent >= timing.crcTries) {
            crc = false;
            startSent = 0;
        }
        ++startSent;
        send(std::string_view(crc ? &kCrcStart : &kNak, 1));
        restartTimer(timing.startIntervalMs);
    }

    void receiverTimeout() {
        block.clear();
        blockLength = 0;
        canRun = 0;
        if (askingStart) {
            const bool mayFallBack = isCrcMode(protocol) && protocol != TransferProtocol::Ymodem && !gotData;
            const int allowed = mayFallBack ? timing.crcTries + timing.startTries : timing.startTries;
            if (++retries >= allowed) return fail("The sender did not start");
            return askForStart();
        }
        if (++retries > timing.retries)
            return fail("No data from the sender: gave up after " + std::to_string(timing.retries) + " tries");
        progress.lastError = "Timeout waiting for block " + std::to_string((lastBlock + 1) & 0xFF);
        send(std::string_view(&kNak, 1));
        restartTimer(timing.blockTimeoutMs);
    }

    std::size_t receiveBytes(std::string_view in) {
        std::size_t i = 0;
        bool collected = false;
        while (i < in.size() && mode == Mode::Receiving) {
            if (blockLength == 0) {
                const char c = in[i++];
                if (c == kSoh || c == kStx) {
                    canRun = 0;
                    blockLength = 3 + (c == kSoh ? kShortBlock : kLongBlock) + (crc ? 2 : 1);
                    block.assign(1, c);
                    collected = true;
                } else if (c == kEot) {
                    canRun = 0;
                    onEot();
                } else if (c == kCan) {
                    if (++canRun >= 2) {
                        fail("Cancelled by the sender", false);
                        return i;
                    }
                } else {
                    canRun = 0;  // noise between blocks
                }
                continue;
            }
            const std::size_t take = std::min(blockLength - block.size(), in.size() - i);
            block.append(in.substr(i, take));
            i += take;
            collected = true;
            if (block.size() < blockLength) continue;
            blockLength = 0;
            collected = false;
            // The sender waits for our answer after a block, so whatever else is already here is
            // noise that could fake the start of a block: drop it.
            if (!onBlock()) i = in.size();
        }
        // Part of a block arrived: the line is alive, however slow.
        if (collected && mode == Mode::Receiving) restartTimer(askingStart ? timing.startIntervalMs : timing.blockTimeoutMs);
        return i;
    }

    void refuseBlock(const std::string& why) {
        ++progress.errors;
        progress.lastError = why;
        if (++retries > timing.retries) return fail("Too many errors: " + why);
        send(std::string_view(&kNak, 1));
        restartTimer(askingStart ? timing.startIntervalMs : timing.blockTimeoutMs);
        notify();
    }

    void ack() {
        send(std::string_view(&kAck, 1));
    }

    // False when the block was refused.
    bool onBlock() {
        const auto number = static_cast<unsigned char>(block[1]);
        const auto complement = static_cast<unsigned char>(block[2]);
        const std::size_t size = block[0] == kSoh ? kShortBlock : kLongBlock;
        if ((number ^ complement) != 0xFF) {
            refuseBlock("Bad block number");
            return false;
        }
        const std::string_view data = std::string_view(block).substr(3, size);
        const std::string_view check = std::string_view(block).substr(3 + size);
        const bool intact = crc ? crc16Xmodem(data) == ((static_cast<unsigned char>(check[0]) << 8) |
                                                         static_cast<unsigned char>(check[1]))
                                : checksum8(data) == static_cast<unsigned char>(check[0]);
        if (!intact) {
            refuseBlock(std::string(crc ? "CRC" : "Checksum") + " error in block " + std::to_string(number));
            return false;
        }
        if (phase == Phase::Header) {
            if (number == 0) return onHeader(data);
            if (lastBlock >= 0 && number == lastBlock) {  // our ACK of the previous file's last block was lost
                ack();
                return true;
            }
        } else {
            const int expected = (lastBlock + 1) & 0xFF;
            if (number == expected) return onData(data, static_cast<int>(number));
            if (number == lastBlock) {
                // Our ACK was lost and the sender repeated the block: it is already written.
                ++progress.errors;
                ack();
                // A repeated header: the sender also missed the 'C' that asked for the data. After
                // the number wraps, block 0 is data and the sender waits for nothing more.
                if (protocol == TransferProtocol::Ymodem && number == 0 && !fileHasData)
                    send(std::string_view(&kCrcStart, 1));
                return true;
            }
        }
        fail("Block " + std::to_string(number) + " out of sequence (expected " +
             std::to_string(phase == Phase::Header ? 0 : (lastBlock + 1) & 0xFF) + ")");
        return false;
    }

    bool onHeader(std::string_view data) {
        const std::size_t nul = data.find('\0');
        const std::string name(data.substr(0, nul));
        if (name.empty()) {  // an empty header ends the batch
            ack();
            end(true, std::to_string(progress.filesDone) + (progress.filesDone == 1 ? " file" : " files") + " received");
            return true;
        }
        std::int64_t size = -1;
        std::int64_t modified = 0;
        if (nul != std::string_view::npos) {
            const std::string_view info = data.substr(nul + 1);
            std::size_t digits = 0;
            while (digits < info.size() && info[digits] >= '0' && info[digits] <= '9' && digits < 18) ++digits;
            if (digits > 0) size = std::strtoll(std::string(info.substr(0, digits)).c_str(), nullptr, 10);
            // Behind the size, the modification time in octal seconds since 1970.
            std::size_t at = digits;
            while (digits > 0 && at < info.size() && info[at] == ' ') ++at;
            bool plausible = at > digits;
            std::int64_t seconds = 0;
            for (; plausible && at < info.size() && info[at] >= '0' && info[at] <= '7'; ++at) {
                seconds = seconds * 8 + (info[at] - '0');
                plausible = seconds <= kLatestPlausibleTime;
            }
            if (plausible && seconds > 0) modified = seconds;
        }
        std::string error;
        if (!sink->beginFile(name, size, error)) {
            fail(error);
            return false;
        }
        if (modified > 0) sink->setModifiedTime(modified);
        fileOpen = true;
        fileStartedMs = clock.steadyMs();
        progress.fileName = name;
        progress.bytesDone = 0;
        progress.bytesTotal = size;
        remaining = size;
        heldBack.clear();
        eotRefused = false;
        fileHasData = false;
        lastBlock = 0;
        retries = 0;
        phase = Phase::Data;
        ack();
        notify();
        startSent = 0;
        askForStart();
        return true;
    }

    bool onData(std::string_view data, int number) {
        std::string error;
        bool written = true;
        if (remaining >= 0) {
            const auto take = static_cast<std::size_t>(std::min<std::int64_t>(remaining, static_cast<std::int64_t>(data.size())));
            if (take > 0) written = sink->write(data.substr(0, take), error);
            remaining -= static_cast<std::int64_t>(take);
            progress.bytesDone += static_cast<std::int64_t>(take);
        } else {
            // Without a size only EOT tells which block was the last, and only its padding goes.
            if (!heldBack.empty()) written = sink->write(heldBack, error);
            heldBack.assign(data);
            progress.bytesDone += static_cast<std::int64_t>(data.size());
        }
        if (!written) {
            fail(error);
            return false;
        }
        lastBlock = number;
        gotData = true;
        fileHasData = true;
        askingStart = false;
        retries = 0;
        eotRefused = false;
        ack();
        restartTimer(timing.blockTimeoutMs);
        notify();
        return true;
    }

    void onEot() {
        if (phase == Phase::Header) {  // a repeated EOT: the sender missed our ACK
            if (lastBlock >= 0) ack();
            return;
        }
        // The first EOT is refused so that a stray 0x04 (line noise) cannot end a file early; a
        // sender that meant it repeats it.
        if (!eotRefused) {
            eotRefused = true;
            send(std::string_view(&kNak, 1));
            restartTimer(timing.blockTimeoutMs);
            return;
        }
        if (remaining > 0) {
            return fail(progress.fileName + " ended after " + formatThousands(progress.bytesDone) + " of " +
                        formatThousands(progress.bytesTotal) + " bytes");
        }
        std::string error;
        if (!heldBack.empty()) {
            const std::size_t last = heldBack.find_last_not_of(kSub);
            const std::size_t kept = last == std::string::npos ? 0 : last + 1;
            progress.bytesDone -= static_cast<std::int64_t>(heldBack.size() - kept);
            heldBack.resize(kept);
            if (!heldBack.empty() && !sink->write(heldBack, error)) return fail(error);
        }
        if (!sink->endFile(error)) return fail(error);
        fileOpen = false;
        ack();
        ++progress.filesDone;
        if (protocol != TransferProtocol::Ymodem) {
            progress.bytesTotal = progress.bytesDone;
            notify();
            return end(true, "1 file received");
        }
        notify();
        phase = Phase::Header;
        retries = 0;
        startSent = 0;
        askForStart();
    }

    // ---- Sending ------------------------------------------------------------------------------

    void startUpload(TransferProtocol newProtocol, UploadSource& newSource) {
        begin(Mode::Sending, newProtocol);
        source = &newSource;
        if (source->fileCount() == 0) return end(false, "No file to send");
        phase = protocol == TransferProtocol::Ymodem ? Phase::Header : Phase::Data;
        selectFile();
        askingStart = true;
        restartTimer(timing.senderStartMs);
    }

    void selectFile() {
        offset = 0;
        inFlight = 0;
        fileStartedMs = clock.steadyMs();
        progress.fileName = source->fileName(fileIndex);
        progress.bytesTotal = source->fileSize(fileIndex);
        progress.bytesDone = 0;
    }

    bool batchDone() const { return fileIndex >= source->fileCount(); }

    void senderTimeout() {
        if (askingStart) return fail("The receiver did not ask for the file");
        if (++retries > timing.retries)
            return fail("No answer from the receiver: gave up after " + std::to_string(timing.retries) + " tries");
        ++progress.errors;
        progress.lastError = "Timeout waiting for the receiver";
        resend();
    }

    void resend() {
        if (phase == Phase::EotAck)
            send(std::string_view(&kEot, 1));
        else if (phase == Phase::Data || phase == Phase::Header)
            return restartTimer(timing.blockTimeoutMs);  // nothing in flight: keep waiting for 'C'
        else
            send(framed);
        restartTimer(timing.blockTimeoutMs);
    }

    void sendFramed(std::string frame) {
        framed = std::move(frame);
        send(framed);
        restartTimer(timing.blockTimeoutMs);
    }

    void sendHeader() {
        std::string info;
        if (!batchDone()) {
            info = source->fileName(fileIndex);
            info += '\0';
            info += std::to_string(std::max<std::int64_t>(0, source->fileSize(fileIndex)));
            const std::int64_t mtime = source->modifiedTime(fileIndex);
            if (mtime > 0) {
                char octal[32];
                std::snprintf(octal, sizeof octal, " %llo", static_cast<unsigned long long>(mtime));
                info += octal;
            }
            if (info.size() > kLongBlock - 1) info.resize(kLongBlock - 1);
        }
        // The header is padded with NULs, not SUB: the receiver reads the fields up to them.
        const std::size_t size = info.size() < kShortBlock ? kShortBlock : kLongBlock;
        info.resize(size, '\0');
        phase = batchDone() ? Phase::BatchEndAck : Phase::Ack;
        blockNumber = 0;
        headerInFlight = true;
        sendFramed(frameBlock(0, info, true));
    }

    void sendNextData() {
        const std::int64_t size = source->fileSize(fileIndex);
        offset += static_cast<std::int64_t>(inFlight);
        inFlight = 0;
        progress.bytesDone = offset;
        if (offset >= size) {
            phase = Phase::EotAck;
            retries = 0;
            send(std::string_view(&kEot, 1));
            return restartTimer(timing.blockTimeoutMs);
        }
        // The tail goes in short blocks once a long one would be mostly padding. A receiver that
        // asked with NAK knows only checksum blocks of 128 bytes.
        const std::int64_t left = size - offset;
        const std::size_t want =
            usesLongBlocks(protocol) && crc && left > static_cast<std::int64_t>(kLongBlock - kShortBlock) ? kLongBlock
                                                                                                          : kShortBlock;
        std::string data;
        std::string error;
        if (!source->read(fileIndex, offset, want, data, error)) return fail(error);
        if (data.empty()) return fail("The file " + progress.fileName + " ended early");
        if (data.size() > want) data.resize(want);
        inFlight = data.size();
        blockNumber = (blockNumber + 1) & 0xFF;
        data.resize(want, kSub);  // keeps the block the size chosen even after a short read
        phase = Phase::Ack;
        retries = 0;
        sendFramed(frameBlock(blockNumber, data, crc));
    }

    void senderByte(char c) {
        if (c == kCan) {
            if (++canRun >= 2) fail("Cancelled by the receiver", false);
            return;
        }
        canRun = 0;
        switch (phase) {
            case Phase::Header:
            case Phase::Data:
                if (c != kCrcStart && c != kNak) return;
                askingStart = false;
                retries = 0;
                if (phase == Phase::Header) return sendHeader();
                crc = c == kCrcStart;
                return sendNextData();
            case Phase::Ack:
                if (c == kAck) {
                    if (headerInFlight) {
                        headerInFlight = false;
                        phase = Phase::Data;
                        notify();
                        return restartTimer(timing.blockTimeoutMs);
                    }
                    const std::int64_t done = offset + static_cast<std::int64_t>(inFlight);
                    progress.bytesDone = done;
                    notify();
                    return sendNextData();
                }
                if (c == kNak) {
                    ++progress.errors;
                    progress.lastError = "Block " + std::to_string(blockNumber) + " refused";
                    if (++retries > timing.retries) return fail("Too many errors: block refused " + std::to_string(retries - 1) + " times");
                    send(framed);
                    return restartTimer(timing.blockTimeoutMs);
                }
                return;
            case Phase::EotAck:
                if (c == kAck) {
                    ++progress.filesDone;
                    notify();
                    if (protocol != TransferProtocol::Ymodem) return end(true, "1 file sent");
                    ++fileIndex;
                    if (!batchDone()) selectFile();
                    phase = Phase::Header;
                    retries = 0;
                    return restartTimer(timing.blockTimeoutMs);
                }
                if (c == kNak) {
                    if (++retries > timing.retries) return fail("The receiver does not take the end of the file");
                    send(std::string_view(&kEot, 1));
                    return restartTimer(timing.blockTimeoutMs);
                }
                return;
            case Phase::BatchEndAck:
                if (c == kAck)
                    return end(true, std::to_string(progress.filesDone) + (progress.filesDone == 1 ? " file" : " files") + " sent");
                if (c == kNak) {
                    if (++retries > timing.retries) return fail("The receiver does not take the end of the batch");
                    send(framed);
                    return restartTimer(timing.blockTimeoutMs);
                }
                return;
        }
    }
};

FileTransfer::FileTransfer(TimerFactory& timers, const Clock& clock, std::function<void(std::string_view)> sendToLine,
                           Events events, TransferTiming timing)
    : m_job(std::make_unique<Job>(std::move(events), timing, clock, std::move(sendToLine))) {
    m_zmodem = std::make_unique<ZmodemTransfer>(timers, clock, m_job->send, m_job->events, m_job->timing);
    Job* job = m_job.get();
    m_job->timer = timers.createTimer([job] {
        if (job->mode == Job::Mode::Receiving) job->receiverTimeout();
        else if (job->mode == Job::Mode::Sending) job->senderTimeout();
    });
}

FileTransfer::~FileTransfer() = default;

void FileTransfer::startDownload(TransferProtocol protocol, DownloadSink& sink) {
    if (active()) return;
    m_zmodemActive = protocol == TransferProtocol::Zmodem;
    if (m_zmodemActive) return m_zmodem->startDownload(sink);
    m_job->startDownload(protocol, sink);
}

void FileTransfer::startUpload(TransferProtocol protocol, UploadSource& source) {
    if (active()) return;
    m_zmodemActive = protocol == TransferProtocol::Zmodem;
    if (m_zmodemActive) return m_zmodem->startUpload(source);
    m_job->startUpload(protocol, source);
}

std::size_t FileTransfer::receive(std::string_view bytesFromLine) {
    if (m_zmodemActive) return m_zmodem->receive(bytesFromLine);
    Job& job = *m_job;
    if (job.mode == Job::Mode::Receiving) return job.receiveBytes(bytesFromLine);
    std::size_t taken = 0;
    while (taken < bytesFromLine.size() && job.mode == Job::Mode::Sending) job.senderByte(bytesFromLine[taken++]);
    return taken;
}

void FileTransfer::cancel() {
    if (m_zmodemActive) return m_zmodem->cancel();
    if (m_job->mode == Job::Mode::Idle) return;
    m_job->fail(kCancelledMessage);
}

bool FileTransfer::active() const { return m_job->mode != Job::Mode::Idle || m_zmodem->active(); }

const TransferProgress& FileTransfer::progress() const {
    return m_zmodemActive ? m_zmodem->progress() : m_job->progress;
}

std::string transferSpeedText(const TransferProgress& progress) {
    // Below a tenth of a second one millisecond more or less moves the figure by 1 % or more.
    constexpr std::int64_t kShortestTimedMs = 100;
    if (progress.fileElapsedMs < kShortestTimedMs) return "-";
    const double bytesPerSecond =
        static_cast<double>(progress.bytesDone) * 1000.0 / static_cast<double>(progress.fileElapsedMs);
    char text[48];
    std::snprintf(text, sizeof text, "%.1f KB/s", bytesPerSecond / 1024.0);
    return text;
}

}  // namespace vx
