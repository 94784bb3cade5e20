// "3) Format Edited Box" on a 64 KiB message. Target: under 50 ms from the Box's text to the
// quoted text shown in the Box (the editor read, the quoting, the editor refilled), on the
// offscreen platform; the quoting alone and FormatMsg for comparison.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <random>

#include "tools/BoxFormat.h"
#include "ui/terminal/BoxEditor.h"

namespace {

// A long message as a board sends it: words of 1 to 9 letters, ATASCII ends of line about every
// 38 characters, now and then an empty line.
const std::string& message64k() {
    static const std::string text = [] {
        std::mt19937 random(6502);
        std::string t;
        std::size_t lineStart = 0;
        while (t.size() < 64 * 1024) {
            const int letters = 1 + static_cast<int>(random() % 9);
            for (int i = 0; i < letters; ++i) t += static_cast<char>('a' + random() % 26);
            if (t.size() - lineStart > 38 - 10) {
                t += vx::box::kEndOfLine;
                if (random() % 8 == 0) t += vx::box::kEndOfLine;
                lineStart = t.size();
            } else {
                t += ' ';
            }
        }
        t.resize(64 * 1024);
        return t;
    }();
    return text;
}

vx::box::QuoteSettings settings(bool noWrap) {
    vx::box::QuoteSettings s;
    s.prefix = vx::box::quotePrefix("", "->");
    s.noWrap = noWrap;
    s.width = 40;
    return s;
}

void QuoteOnly(benchmark::State& state) {
    const bool noWrap = state.range(0) != 0;
    for (auto _ : state) benchmark::DoNotOptimize(vx::box::formatQuote(message64k(), settings(noWrap)));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 64 * 1024);
}
BENCHMARK(QuoteOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void FormatMessageForSending(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(vx::box::FormatMsg(message64k()));
}
BENCHMARK(FormatMessageForSending)->Unit(benchmark::kMillisecond);

// What the button does with the editor: read its text, quote it, show the result in its place.
void FormatEditedBox(benchmark::State& state) {
    const bool noWrap = state.range(0) != 0;
    vx::BoxEditor editor;
    editor.resize(700, 300);
    editor.show();
    for (auto _ : state) {
        state.PauseTiming();
        editor.clearText();
        editor.appendText(message64k());
        QApplication::processEvents();
        state.ResumeTiming();
        const vx::box::QuoteResult quoted = vx::box::formatQuote(editor.text(), settings(noWrap));
        std::string formatted;
        for (const std::string& line : quoted.lines) formatted += line;
        editor.clearText();
        editor.appendText(formatted);
        QApplication::processEvents();  // laid out and painted
    }
}
BENCHMARK(FormatEditedBox)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    message64k();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
