#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Timer.h"

namespace vx {

enum class TransferProtocol {
    Xmodem,     // 128-byte blocks, one-byte checksum
    XmodemCrc,  // 128-byte blocks, CRC-16
    Xmodem1K,   // 1024-byte blocks, CRC-16
    Ymodem,     // batch: a header block (name, size) before each file, 1024-byte blocks, CRC-16
    Zmodem,     // batch, streaming, CRC-32 (or 16), resumes a broken file
};

struct TransferProgress {
    std::string fileName;        // as the sender named it (empty for XMODEM downloads)
    std::int64_t bytesDone = 0;  // of the current file
    std::int64_t bytesTotal = -1;  // -1: unknown
    int filesDone = 0;
    int errors = 0;              // blocks refused or repeated, over the whole transfer
    std::string lastError;
    std::int64_t elapsedMs = 0;  // since the transfer started
    std::int64_t fileElapsedMs = 0;  // since the current file began
    std::int64_t resumedFrom = 0;    // ZMODEM: the current file continues a broken download from this byte
    int filesSkipped = 0;            // ZMODEM: files declined (ZSKIP)
};

// The current file's speed as the transfer window shows it, "12.3 KB/s": its bytes over its own
// time. "-" until it has run long enough for a figure in whole milliseconds to mean anything.
std::string transferSpeedText(const TransferProgress& progress);

// Where a download's bytes go. The engine never writes past a size the sender announced, so a
// finished file is already trimmed; an XMODEM file (no size) has the SUB (0x1A) padding of its
// last block removed. Any call may refuse with a message, which ends the transfer.
class DownloadSink {
public:
    virtual ~DownloadSink() = default;
    // `nameFromSender` is untrusted and empty for XMODEM; `size` is -1 when unknown.
    virtual bool beginFile(const std::string& nameFromSender, std::int64_t size, std::string& error) = 0;
    // The sender's modification time of the file begun last, in seconds since 1970; only called
    // with a plausible one.
    virtual void setModifiedTime(std::int64_t) {}
    virtual bool write(std::string_view bytes, std::string& error) = 0;
    virtual bool endFile(std::string& error) = 0;
    // The transfer failed or was cancelled: the partial file goes away.
    virtual void abandon() = 0;

    // ZMODEM offers each file before sending it: answer(true) takes it, answer(false) declines it
    // (ZSKIP). The answer may come later, from a question to the user.
    virtual void offerFile(const std::string& /*nameFromSender*/, std::int64_t /*size*/,
                           std::function<void(bool)> answer) {
        answer(true);
    }
    // ZMODEM: beginFile, except that a partial file kept from an earlier, broken download of the
    // same file is continued; `offset` is what it holds already (0: a new file).
    virtual bool resumeFile(const std::string& nameFromSender, std::int64_t size, std::int64_t& offset,
                            std::string& error) {
        offset = 0;
        return beginFile(nameFromSender, size, error);
    }
    // The line broke or the sender gave up (not the user's cancel): a sink that can resume keeps
    // the partial file for the next try.
    virtual void interrupt() { abandon(); }
};

// The files of an upload. XMODEM sends only the first.
class UploadSource {
public:
    virtual ~UploadSource() = default;
    virtual std::size_t fileCount() const = 0;
    virtual std::string fileName(std::size_t index) const = 0;  // without folders
    virtual std::int64_t fileSize(std::size_t index) const = 0;
    // Seconds since 1970, 0 when unknown (sent in the YMODEM header).
    virtual std::int64_t modifiedTime(std::size_t) const { return 0; }
    // Up to `maxBytes` from `offset` into `out`; fewer only at the end of the file.
    virtual bool read(std::size_t index, std::int64_t offset, std::size_t maxBytes, std::string& out,
                      std::string& error) = 0;
};

// CRC-16 as XMODEM uses it (polynomial 0x1021, initial value 0, no reflection).
std::uint16_t crc16Xmodem(std::string_view bytes);
// The XMODEM checksum: the sum of the bytes, modulo 256.
std::uint8_t checksum8(std::string_view bytes);
// One block on the line: SOH (128 bytes of data) or STX (1024), number, its complement, the data
// padded with SUB, then the CRC (high byte first) or the checksum.
std::string frameBlock(int number, std::string_view data, bool crc);

// How patient a transfer is. The defaults are the customary ones.
struct TransferTiming {
    int startIntervalMs = 3000;  // receiver: between two 'C' (or NAK) asking the sender to start
    int startTries = 10;         // receiver: requests before giving up (YMODEM's 'C', the NAKs of XMODEM)
    int crcTries = 3;            // receiver: XMODEM's 'C' before falling back to NAK and the checksum
    int blockTimeoutMs = 10000;  // silence before a block (or its answer) counts as lost
    int retries = 10;            // tries of one block before the transfer fails
    int senderStartMs = 60000;   // sender: how long the receiver may take to ask for the first block
};

// XMODEM and YMODEM in both directions, as a job on the program's one thread: bytes from the line
// come in through receive(), answers go out through `sendToLine`, and every wait is a timer.
// The parser takes the line's bytes split anywhere; bytes that fit no block are skipped, and no
// more than one block is ever buffered.
class FileTransfer {
public:
    struct Events {
        std::function<void(const TransferProgress&)> progress;
        // Called once at the end of every transfer, as the engine's last act; the engine must not
        // be destroyed from inside it (post the destruction).
        std::function<void(bool ok, const std::string& message)> finished;
    };

    static constexpr const char* kCancelledMessage = "Cancelled";

    FileTransfer(TimerFactory& timers, const Clock& clock, std::function<void(std::string_view)> sendToLine,
                 Events events, TransferTiming timing = {});
    ~FileTransfer();
    FileTransfer(const FileTransfer&) = delete;
    FileTransfer& operator=(const FileTransfer&) = delete;

    // The sink and source must outlive the transfer.
    void startDownload(TransferProtocol protocol, DownloadSink& sink);
    void startUpload(TransferProtocol protocol, UploadSource& source);
    // Everything the line delivers while a transfer is active. `sendToLine` must not call back
    // into receive() directly (queue the bytes instead). Returns how many bytes the transfer
    // took: when it ends inside the chunk, the rest is the board's again (its next screen).
    std::size_t receive(std::string_view bytesFromLine);
    // Stops at once: CAN x5 and backspaces to the peer, the partial download removed,
    // finished(false, "Cancelled").
    void cancel();
    bool active() const;
    const TransferProgress& progress() const;

private:
    struct Job;
    std::unique_ptr<Job> m_job;
    std::unique_ptr<class ZmodemTransfer> m_zmodem;
    bool m_zmodemActive = false;  // the transfer running (or run last) is ZMODEM's
};

}  // namespace vx
