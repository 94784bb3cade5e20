// Interpreter throughput: bytes per second through ScreenHandler, surface included.
#include <benchmark/benchmark.h>

#include "BenchStreams.h"
#include "screen/Framebuffer.h"
#include "screen/ScreenInterpreter.h"

namespace {

constexpr std::size_t kStreamBytes = 20 * 1024 * 1024;

void runStream(benchmark::State& state, const std::string& stream, bool mode80) {
    vx::Framebuffer surface;
    vx::ScreenInterpreter interpreter(surface);
    interpreter.setColumnMode(mode80);
    for (auto _ : state) {
        interpreter.SendToScreen(stream);
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void TextLines40(benchmark::State& state) {
    static const std::string stream = vx::bench::textLines(kStreamBytes);
    runStream(state, stream, false);
}
void TextLines80(benchmark::State& state) {
    static const std::string stream = vx::bench::textLines(kStreamBytes);
    runStream(state, stream, true);
}
void ArtStream40(benchmark::State& state) {
    static const std::string stream = vx::bench::artStream(kStreamBytes);
    runStream(state, stream, false);
}
void ArtStream80(benchmark::State& state) {
    static const std::string stream = vx::bench::artStream(kStreamBytes);
    runStream(state, stream, true);
}

}  // namespace

BENCHMARK(TextLines40)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(TextLines80)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ArtStream40)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ArtStream80)->Unit(benchmark::kMillisecond)->MinTime(2.0);
