// The BBS list at its largest: 255 records. Targets: LoadBBSList + FillBBSList under 50 ms,
// LoadBBSRecord under 5 ms, SaveBBSRecord under 20 ms, the time-online report of every board
// (its text included) under 20 ms.
#include <benchmark/benchmark.h>

#include <memory>

#include "FullBBSList.h"
#include "directory/TimeOnlineReport.h"

namespace {

using vx::bench::FullList;
using vx::bench::fullList;

void LoadAndFillList(benchmark::State& state) {
    FullList& full = fullList();
    for (auto _ : state) {
        vx::SettingsStore store;  // nothing cached: the file is read and parsed
        vx::BBSList list(store, full.prompter, full.clock, full.path);
        if (!list.LoadBBSList() || list.entries().size() != 255) state.SkipWithError("list not loaded");
    }
}

void LoadRecord(benchmark::State& state) {
    FullList& full = fullList();
    vx::SettingsStore store;
    vx::BBSList list(store, full.prompter, full.clock, full.path);
    list.LoadBBSList();
    int id = 1;
    for (auto _ : state) {
        if (!list.LoadBBSRecord(std::to_string(id))) state.SkipWithError("record not loaded");
        id = id % 255 + 1;
    }
}

void LoadRecordFromUnreadFile(benchmark::State& state) {
    FullList& full = fullList();
    for (auto _ : state) {
        vx::SettingsStore store;
        vx::BBSList list(store, full.prompter, full.clock, full.path);
        if (!list.LoadBBSRecord("200")) state.SkipWithError("record not loaded");
    }
}

void SaveRecord(benchmark::State& state) {
    FullList& full = fullList();
    vx::SettingsStore store;
    vx::BBSList list(store, full.prompter, full.clock, full.path);
    list.LoadBBSList();
    list.LoadBBSRecord("128");
    int n = 0;
    for (auto _ : state) {
        list.record().Comment = "Saved " + std::to_string(++n);
        list.SaveBBSRecord("128", list.record(), false);
    }
}

// As the report window builds it: every record read, every line made.
void TimeOnlineReport(benchmark::State& state) {
    FullList& full = fullList();
    vx::SettingsStore store;
    vx::BBSList list(store, full.prompter, full.clock, full.path);
    list.LoadBBSList();
    for (auto _ : state) {
        const auto rows = vx::report::build(list, true);
        if (rows.size() != 255) state.SkipWithError("not every board listed");
        benchmark::DoNotOptimize(vx::report::text(rows));
    }
}

}  // namespace

BENCHMARK(LoadAndFillList)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadRecordFromUnreadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(TimeOnlineReport)->Unit(benchmark::kMillisecond);
