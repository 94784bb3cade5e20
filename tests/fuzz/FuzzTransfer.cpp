// Any bytes on the line during a download (every protocol, ZMODEM too), cut anywhere and with
// timeouts between the reads: the engine never writes more than it was given, never keeps a file
// it did not finish, and Cancel always ends it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/FakeTimeline.h"
#include "tools/FileTransfer.h"

namespace {

class CountingSink : public vx::DownloadSink {
public:
    bool beginFile(const std::string&, std::int64_t, std::string&) override {
        open = true;
        return true;
    }
    bool write(std::string_view bytes, std::string&) override {
        if (!open) std::abort();
        written += bytes.size();
        return true;
    }
    bool endFile(std::string&) override {
        if (!open) std::abort();
        open = false;
        return true;
    }
    void abandon() override { open = false; }

    bool open = false;
    std::size_t written = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const auto protocol = static_cast<vx::TransferProtocol>(data[0] % 5);  // ZMODEM included
    const std::size_t chunk = 1 + data[1] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    vx::test::FakeTimeline timeline;
    CountingSink sink;
    std::size_t sent = 0;
    bool finished = false;
    vx::FileTransfer engine(timeline, timeline, [&](std::string_view out) { sent += out.size(); },
                            vx::FileTransfer::Events{{}, [&](bool, const std::string&) { finished = true; }});
    engine.startDownload(protocol, sink);
    for (std::size_t at = 0; at < bytes.size() && engine.active(); at += chunk) {
        engine.receive(bytes.substr(at, chunk));
        // Every few reads the line goes quiet long enough for a timeout.
        if ((at / chunk) % 5 == 4) timeline.advance(11000);
    }
    if (sink.written > bytes.size()) std::abort();
    engine.cancel();
    if (engine.active() || !finished || sink.open) std::abort();
    if (sent > 64 + 16 * bytes.size()) std::abort();
    return 0;
}
