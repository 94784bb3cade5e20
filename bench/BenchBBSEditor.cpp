// The BBS editor on a list of 255 records, window and all, on the offscreen platform. Targets:
// the editor opens (core and window: record shown, directory listed) in under 100 ms; a step to
// the next record, shown in the window, under 10 ms.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "FullBBSList.h"
#include "config/ConfigSettings.h"
#include "config/Scrambler.h"
#include "directory/BBSEditor.h"
#include "ui/directory/BBSEditorWindow.h"

namespace {

using vx::bench::fullList;

class FixedRandom : public vx::Random {
public:
    void seedFromClock() override {}
    double next() override { return 0.5; }
};

struct EditorRig {
    vx::SettingsStore store;
    vx::bench::BenchClock clock;
    vx::bench::SilentPrompter prompter;
    FixedRandom random;
    vx::Scrambler scrambler{random};
    vx::ConfigSettings config;
    bool loggedIn = false;
    vx::BBSList list{store, prompter, clock, fullList().path};
    std::unique_ptr<vx::BBSEditor> editor;
    std::unique_ptr<vx::BBSEditorWindow> window;

    EditorRig() { list.LoadBBSList(); }
    void open() {
        vx::BBSEditor::Hooks hooks;
        hooks.changed = [this] {
            if (window) window->refresh();
        };
        editor = std::make_unique<vx::BBSEditor>(list, prompter, clock, config, scrambler, loggedIn, hooks);
        window = std::make_unique<vx::BBSEditorWindow>(*editor);
        editor->open("1");
        window->refresh();
        window->refreshDirectory();
        window->show();
    }
};

void OpenEditor(benchmark::State& state) {
    for (auto _ : state) {
        EditorRig rig;
        rig.open();
        benchmark::DoNotOptimize(rig.window.get());
        state.PauseTiming();
        rig.window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenEditor)->Unit(benchmark::kMillisecond);

void StepToTheNextRecord(benchmark::State& state) {
    EditorRig rig;
    rig.open();
    for (auto _ : state) rig.editor->next();
}
BENCHMARK(StepToTheNextRecord)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fullList();  // the 255 records are written before any timing starts
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
