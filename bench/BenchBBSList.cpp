// The BBS list at its largest: 255 records. Targets: LoadBBSList + FillBBSList under 50 ms,
// LoadBBSRecord under 5 ms, SaveBBSRecord under 20 ms.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "config/SettingsStore.h"
#include "directory/BBSList.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

namespace {

class BenchClock : public vx::Clock {
public:
    vx::LocalDateTime now() const override { return {2026, 12, 7, 9, 30, 0}; }
    std::int64_t steadyMs() const override { return 0; }
};

class SilentPrompter : public vx::Prompter {
public:
    void message(const std::string&, const std::string&, vx::MessageIcon, std::function<void()> done) override {
        if (done) done();
    }
    void askYesNo(const std::string&, const std::string&, vx::MessageIcon, std::function<void(bool)> answer) override {
        answer(true);
    }
    void askYesNoCancel(const std::string&, const std::string&, vx::MessageIcon,
                        std::function<void(Answer)> answer) override {
        answer(Answer::Yes);
    }
    void askText(const std::string&, const std::string&, const std::string&,
                 std::function<void(std::optional<std::string>)> answer) override {
        answer(std::string());
    }
};

// A list file with 255 records in a private temporary folder, made once.
struct FullList {
    std::filesystem::path folder;
    std::string path;
    BenchClock clock;
    SilentPrompter prompter;

    FullList() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vexterm-bench-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        path = (folder / "VX3_BBS.INI").string();
        vx::SettingsStore store;
        vx::BBSList list(store, prompter, clock, path);
        list.CreateBBSListFile();
        list.LoadBBSList();
        while (list.addRecord()) {
            list.record().Comment = "A board with a comment of some length, as users write them.";
            list.record().Sysop = "Sysop " + list.recordId();
            list.SaveBBSRecord(list.recordId(), list.record(), false);
        }
    }
    ~FullList() { std::filesystem::remove_all(folder); }
};

FullList& fullList() {
    static FullList list;
    return list;
}

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

}  // namespace

BENCHMARK(LoadAndFillList)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadRecordFromUnreadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveRecord)->Unit(benchmark::kMillisecond);
