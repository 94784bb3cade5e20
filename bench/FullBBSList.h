#pragma once

// A BBS list at its largest, 255 records, in a private temporary folder; made once per program.
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "config/SettingsStore.h"
#include "directory/BBSList.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

namespace vx::bench {

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

inline FullList& fullList() {
    static FullList list;
    return list;
}

}  // namespace vx::bench
