// The BBS list and the configuration survive the program being killed at any moment of a save:
// a loop that saves them in turn as two known versions is killed 200 times after random delays,
// and after every kill both files load as one version or the other, whole, and at most the one
// temporary file of the save that was cut short is left (the next save clears it).
#include <fcntl.h>
#include <sys/file.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/AtomicFile.h"
#include "support/SavedVersions.h"
#include "support/TempDir.h"

namespace {

namespace saved = vx::test::saved;

// VX_KILLS sets fewer: CI's run kills 20 times, the 200 run under the label long.
constexpr int kKills = 200;
constexpr int kMaxDelayUs = 25000;

struct LoopRun {
    bool ready = false;
    int rounds = 0;  // rounds in which both files were saved
    std::string output;
};

// Starts the loop on `folder`, waits until it has loaded the files, lets it save for `delayUs`,
// then kills it.
LoopRun runAndKill(const std::string& folder, int delayUs) {
    LoopRun run;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return run;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::execl(VX_SAVE_LOOP, VX_SAVE_LOOP, folder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    if (child < 0) {
        ::close(out[0]);
        return run;
    }
    const auto readSome = [&](int timeoutMs) {
        pollfd wait{out[0], POLLIN, 0};
        if (::poll(&wait, 1, timeoutMs) <= 0) return false;
        char buffer[4096];
        const ssize_t n = ::read(out[0], buffer, sizeof(buffer));
        if (n <= 0) return false;
        run.output.append(buffer, static_cast<std::size_t>(n));
        return true;
    };
    while (run.output.find('\n') == std::string::npos && readSome(10000)) {
    }
    run.ready = run.output.starts_with("ready\n");
    if (run.ready) std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    while (readSome(0)) {
    }
    ::close(out[0]);
    for (char c : run.output) run.rounds += c == '+';
    return run;
}

// The temporary files of each target left in the folder.
std::map<std::string, int> temporaries(const std::filesystem::path& folder) {
    std::map<std::string, int> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        for (const char* target : {saved::kListName, saved::kConfigName})
            if (name.starts_with("." + std::string(target) + ".tmp-")) ++found[target];
    }
    return found;
}

int killsOfThisRun() {
    if (const char* given = std::getenv("VX_KILLS")) return std::max(1, std::atoi(given));
    return kKills;
}

unsigned seedOfThisRun() {
    if (const char* given = std::getenv("VX_KILL_SEED")) return static_cast<unsigned>(std::strtoul(given, nullptr, 10));
    return std::random_device{}();
}

TEST(KillDuringSave, FilesStayWholeAndTemporaryFilesDoNotPileUp) {
    vx::test::TempDir temp;
    const std::string folder = temp.path().string();
    ASSERT_EQ(saved::createFiles(folder), "");

    const unsigned seed = seedOfThisRun();
    std::printf("[ kill     ] seed %u (VX_KILL_SEED=%u repeats this run)\n", seed, seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, kMaxDelayUs);

    const int kills = killsOfThisRun();
    int rounds = 0, cutShort = 0, versions[2][2] = {};
    for (int kill = 1; kill <= kills; ++kill) {
        const int delayUs = delay(random);
        const LoopRun run = runAndKill(folder, delayUs);
        ASSERT_TRUE(run.ready) << "kill " << kill << ": the loop did not start: " << run.output;
        rounds += run.rounds;

        std::string problem;
        const int list = saved::listVersionOnDisk(folder, problem);
        ASSERT_GE(list, 0) << "kill " << kill << " after " << delayUs << " us: " << problem;
        const int config = saved::configVersionOnDisk(folder, problem);
        ASSERT_GE(config, 0) << "kill " << kill << " after " << delayUs << " us: " << problem;
        ++versions[0][list];
        ++versions[1][config];

        // A save that was cut short leaves its temporary file; the next save of the same file
        // removes it before it makes its own. So at most one is ever left for each file.
        const std::map<std::string, int> left = temporaries(folder);
        int total = 0;
        for (const auto& [target, count] : left) {
            total += count;
            EXPECT_LE(count, 1) << "kill " << kill << ": " << target;
        }
        cutShort += total > 0;
        if (HasFailure()) break;
    }
    std::printf("[ kill     ] %d kills, %d rounds saved in all, %d kills left a save cut short; "
                "list at version 0/1: %d/%d, configuration: %d/%d\n",
                kills, rounds, cutShort, versions[0][0], versions[0][1], versions[1][0], versions[1][1]);
    // The delays reach into the saves, or the test proves little.
    EXPECT_GT(cutShort, 0);
    EXPECT_GT(versions[0][1], 0);
}

// What a save clears beside its file: the temporary files of earlier saves of that file which
// nobody holds any more. One still locked belongs to a save under way (another program on the
// same folder) and stays, as does everything that is not a temporary file of this file.
TEST(AbandonedTemporaries, OnlyUnheldOnesOfTheSameFileGo) {
    vx::test::TempDir temp;
    const auto put = [&](const std::string& name) { std::ofstream(temp / name, std::ios::binary) << "partial"; };
    const std::vector<std::string> abandoned = {".list.ini.tmp-a1B2c3", ".list.ini.tmp-XXXXXX"};
    const std::vector<std::string> others = {".list.ini.tmp-short", ".list.ini.tmp-1234567", ".other.ini.tmp-a1B2c3",
                                             "list.ini.tmp-a1B2c3", ".list.ini.tmp-held00"};
    for (const auto& name : abandoned) put(name);
    for (const auto& name : others) put(name);
    const int held = ::open((temp / ".list.ini.tmp-held00").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    ASSERT_EQ(vx::writeFileAtomically((temp / "list.ini").string(), "saved"), vx::FileStatus::kOk);
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path())) names.insert(entry.path().filename());
    std::set<std::string> wanted(others.begin(), others.end());
    wanted.insert("list.ini");
    EXPECT_EQ(names, wanted);

    ::close(held);
    ASSERT_EQ(vx::writeFileAtomically((temp / "list.ini").string(), "again"), vx::FileStatus::kOk);
    EXPECT_FALSE(std::filesystem::exists(temp / ".list.ini.tmp-held00"));
}

}  // namespace
