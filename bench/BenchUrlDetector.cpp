// URL detector throughput: bytes per second through DetectURLChar, which sees every received
// byte. The receive path as a whole must manage 20 MB/s.
#include <benchmark/benchmark.h>

#include <random>

#include "BenchStreams.h"
#include "tools/UrlDetector.h"

namespace {

constexpr std::size_t kStreamBytes = 20 * 1024 * 1024;

// Board text with an address in about every third line, in all three forms and letter cases.
std::string textWithUrls(std::size_t bytes) {
    static const char* const addresses[] = {"http://www.atari-bbs.example/files/index.html ",
                                            "HTTPS://Example.org/a?b=c&d=e ", "www.Vexterm.example/help ",
                                            "http://10.0.0.1:6502/ "};
    std::mt19937 random(3);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string out;
    out.reserve(bytes + 128);
    const std::string lines = vx::bench::textLines(bytes);
    for (std::size_t at = 0; out.size() < bytes; at += 40) {
        out.append(lines, at % (lines.size() - 40), 40);
        if (percent(random) < 33) out += addresses[percent(random) % 4];
    }
    out.resize(bytes);
    return out;
}

void runStream(benchmark::State& state, const std::string& stream) {
    vx::UrlDetector detector;
    for (auto _ : state) {
        for (const char c : stream) detector.DetectURLChar(static_cast<std::uint8_t>(c));
        benchmark::DoNotOptimize(detector.nextSlot());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void TextLines(benchmark::State& state) {
    static const std::string stream = vx::bench::textLines(kStreamBytes);
    runStream(state, stream);
}
void TextWithUrls(benchmark::State& state) {
    static const std::string stream = textWithUrls(kStreamBytes);
    runStream(state, stream);
}
void ArtStream(benchmark::State& state) {
    static const std::string stream = vx::bench::artStream(kStreamBytes);
    runStream(state, stream);
}

}  // namespace

BENCHMARK(TextLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(TextWithUrls)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ArtStream)->Unit(benchmark::kMillisecond)->MinTime(2.0);
