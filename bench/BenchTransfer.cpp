// XMODEM-1K download from lrzsz's sx over loopback TCP: the engine, its timers and the socket loop
// in real time, the bytes counted but not written to disk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "base/AtomicFile.h"
#include "support/LoopbackPeer.h"
#include "support/TempDir.h"
#include "tools/FileTransfer.h"

namespace {

class CountingSink : public vx::DownloadSink {
public:
    bool beginFile(const std::string&, std::int64_t, std::string&) override { return true; }
    bool write(std::string_view bytes, std::string&) override {
        bytesWritten += static_cast<std::int64_t>(bytes.size());
        return true;
    }
    bool endFile(std::string&) override { return true; }
    void abandon() override {}
    std::int64_t bytesWritten = 0;
};

void BM_Xmodem1KDownloadFromSx(benchmark::State& state) {
    const std::string sx = vx::test::findProgram("sx");
    if (sx.empty()) {
        state.SkipWithError("lrzsz (sx) is not installed");
        return;
    }
    const auto size = static_cast<std::size_t>(state.range(0));
    vx::test::TempDir dir;
    std::string content(size, '\0');
    std::mt19937 generator(1);
    for (char& byte : content) byte = static_cast<char>(generator() & 0xFF);
    content.back() = 'x';  // no trailing SUB: the whole size arrives
    vx::writeFileAtomically((dir / "source.bin").string(), content);

    for (auto _ : state) {
        vx::test::RealTimeline timeline;
        vx::test::LoopbackPeer peer({sx, "-q", "-k", (dir / "source.bin").string()}, dir.path().string(),
                                    (dir / "sx.log").string());
        CountingSink sink;
        bool ok = false;
        bool finished = false;
        vx::FileTransfer engine(timeline, timeline, [&](std::string_view bytes) { peer.send(bytes); },
                                {nullptr, [&](bool success, const std::string&) {
                                     ok = success;
                                     finished = true;
                                 }});
        engine.startDownload(vx::TransferProtocol::Xmodem1K, sink);
        peer.pump(
            timeline, [&](std::string_view bytes) { engine.receive(bytes); }, [&] { return finished; }, 60000);
        if (!ok || sink.bytesWritten != static_cast<std::int64_t>(size)) {
            state.SkipWithError("the transfer failed");
            return;
        }
        peer.waitForExit(5000);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_Xmodem1KDownloadFromSx)->Arg(4 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
