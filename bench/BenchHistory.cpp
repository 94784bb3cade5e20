// Looking back through the history: one page (24 rows of 80 cells) drawn from a full ring of
// 5,000 rows. Target: under 2 ms a page.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "screen/ScreenHistory.h"
#include "screen/ScreenInterpreter.h"

namespace {

void BM_HistoryPage(benchmark::State& state) {
    vx::Framebuffer surface;
    vx::ScreenInterpreter screen(surface);
    screen.setColumnMode(true);
    vx::ScreenHistory history;
    screen.setHistory(&history);
    std::mt19937 random(7);
    std::string flood;
    // Printable characters only (no clear screen): the screen fills and scrolls.
    for (std::size_t i = 0; i < 80 * 5200; ++i) flood += static_cast<char>(32 + random() % 90);
    screen.SendToScreen(flood);
    vx::Framebuffer page;
    std::size_t first = 0;
    for (auto _ : state) {
        vx::paintHistoryPage(history, screen.codes(), 80, first, page);
        benchmark::DoNotOptimize(page.data());
        first = (first + 997) % (history.size() - 24);
    }
    state.counters["rows_kept"] = static_cast<double>(history.size());
}
BENCHMARK(BM_HistoryPage)->Unit(benchmark::kMillisecond);

}  // namespace
