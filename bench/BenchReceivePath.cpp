// The whole receive path per chunk: counting, the capture record (written and flushed), the
// scrollback ring, the interpreter and URL detection, as a connected session runs it.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchStreams.h"
#include "support/SessionParts.h"

namespace {

constexpr std::size_t kStreamBytes = 20 * 1024 * 1024;
// What one read of a busy socket brings.
constexpr std::size_t kChunkBytes = 4096;

using namespace vx;
using namespace vx::test;

// A session connected to the first board, with every tool of the receive path switched on.
struct ConnectedSession : SessionParts {
    ConnectedSession() {
        config.ScrollBack = true;
        config.DetectURLs = true;
        config.CaptureFolder = temp.path().string();
        bbsList.CreateBBSListFile();
        bbsList.LoadBBSList();
        bbsList.FillBBSList();
        session = std::make_unique<TerminalSession>(
            TerminalSession::Ports{socket, timeline, timeline, prompter, sound, box, clipboard}, status, config, bbsList,
            screen);
        session->start();
        session->capture().reloadSettings();
        session->capture().toggleCapture();
        session->connection().selectBBS(0);
        session->connection().connectButton();
        socket.connectionUp();
        session->baudSim().setActive(false);
    }
};

void receiveStream(benchmark::State& state, const std::string& stream) {
    ConnectedSession s;
    if (!s.session->capture().captureOn() || !s.session->connection().connected()) {
        state.SkipWithError("the session did not come up with capture on");
        return;
    }
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += kChunkBytes)
            s.socket.receive(std::string_view(stream).substr(at, kChunkBytes));
        // The capture file would grow by the whole stream each round; keep the disk use flat.
        state.PauseTiming();
        s.session->capture().toggleCapture();
        s.session->capture().toggleMode();
        s.session->capture().toggleCapture();
        s.session->capture().toggleMode();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void ArtStream(benchmark::State& state) {
    static const std::string stream = vx::bench::artStream(kStreamBytes);
    receiveStream(state, stream);
}

void TextLines(benchmark::State& state) {
    static const std::string stream = vx::bench::textLines(kStreamBytes);
    receiveStream(state, stream);
}

}  // namespace

BENCHMARK(ArtStream)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(TextLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);
