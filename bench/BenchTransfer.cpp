// Downloads from lrzsz over loopback TCP (XMODEM-1K from sx, ZMODEM from sz): the engine, its
// timers and the socket loop in real time, the bytes counted but not written to disk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

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

void downloadFrom(benchmark::State& state, const char* program, std::vector<std::string> options,
                  vx::TransferProtocol protocol) {
    const std::string sx = vx::test::findProgram(program);
    if (sx.empty()) {
        state.SkipWithError("lrzsz is not installed");
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
        std::vector<std::string> argv = {sx};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back((dir / "source.bin").string());
        vx::test::LoopbackPeer peer(argv, dir.path().string(), (dir / "peer.log").string());
        CountingSink sink;
        bool ok = false;
        bool finished = false;
        vx::FileTransfer engine(timeline, timeline, [&](std::string_view bytes) { peer.send(bytes); },
                                {nullptr, [&](bool success, const std::string&) {
                                     ok = success;
                                     finished = true;
                                 }});
        engine.startDownload(protocol, sink);
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

void BM_Xmodem1KDownloadFromSx(benchmark::State& state) {
    downloadFrom(state, "sx", {"-q", "-k"}, vx::TransferProtocol::Xmodem1K);
}
BENCHMARK(BM_Xmodem1KDownloadFromSx)->Arg(4 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

// Target: 20 MB/s or more.
void BM_ZmodemDownloadFromSz(benchmark::State& state) {
    downloadFrom(state, "sz", {"-q"}, vx::TransferProtocol::Zmodem);
}
BENCHMARK(BM_ZmodemDownloadFromSz)->Arg(20 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
