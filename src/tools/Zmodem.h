#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "tools/FileTransfer.h"

namespace vx {

// What a board sends to start a ZMODEM download: the opening of ZRQINIT's hex header. A terminal
// that sees it in the board's bytes begins receiving without being asked.
inline constexpr std::string_view kZmodemStart =
    "**\x18"
    "B00";
// What a receiver waiting for files sends: the opening of ZRINIT's hex header.
inline constexpr std::string_view kZmodemReceiverStart =
    "**\x18"
    "B01";
// What a sender started on a shell sends ahead of the start, for a receiver that is a shell.
inline constexpr std::string_view kZmodemShellCommand = "rz\r";

// CRC-32 as ZMODEM's 32-bit frames use it (reflected polynomial 0xEDB88320, all ones in and out).
std::uint32_t crc32Zmodem(std::string_view bytes, std::uint32_t crc = 0);

// ZMODEM in both directions, streaming: frames with hex and binary (CRC-16 and CRC-32) headers,
// data subpackets ended by ZCRCE/ZCRCG/ZCRCQ/ZCRCW, batches, a resumed file (ZRPOS from a kept
// partial file), ZSKIP for a file the sink declines, five CANs to abort either way. Every wait is
// a timer; the parser takes the line's bytes split anywhere.
class ZmodemTransfer {
public:
    ZmodemTransfer(TimerFactory& timers, const Clock& clock, std::function<void(std::string_view)> sendToLine,
                   FileTransfer::Events& events, const TransferTiming& timing);
    ~ZmodemTransfer();
    ZmodemTransfer(const ZmodemTransfer&) = delete;
    ZmodemTransfer& operator=(const ZmodemTransfer&) = delete;

    void startDownload(DownloadSink& sink);
    void startUpload(UploadSource& source);
    std::size_t receive(std::string_view bytes);
    void cancel();
    bool active() const;
    const TransferProgress& progress() const;

private:
    struct Job;
    std::unique_ptr<Job> m_job;
};

}  // namespace vx
