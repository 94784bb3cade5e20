#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class SystemLogTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::test::FakeClock clock;
    vx::test::FakePrompter prompter;
    vx::test::FakeStatusSink sink;
    vx::SystemLog log{clock, temp.path().string()};
    vx::StatusReporter status{sink, log};
};

TEST_F(SystemLogTest, LinesAreStampedAndTheSessionHeaderComesFirst) {
    clock.time = {2026, 12, 6, 10, 36, 29};
    log.setSessionNumber(17);
    log.WriteLogLine("v3.14.717 - System Started...", true);
    log.WriteLogLine(" > Connecting...", false);
    EXPECT_EQ(readFile(log.path()),
              "==== Session:17 - 261206-10:36\r\n"
              "VXC3-1206-10:36:29 v3.14.717 - System Started...\r\n"
              "VXC3-1206-10:36:29  > Connecting...\r\n");
    EXPECT_EQ(log.path(), (temp / "VX3_log.txt").string());
}

TEST_F(SystemLogTest, ShowStatusLogsOnlyWhenAskedAndEnabled) {
    status.ShowStatus("Not Connected...", false, false);
    status.ShowStatus("Connection Aborted", true, false);
    EXPECT_FALSE(log.exists());
    status.setSysLog(true);
    status.ShowStatus("Closed (LOCAL)", true, true);
    status.ShowStatus("Viewing...", false, false);
    EXPECT_EQ(sink.panels["pnlSTAT"], "Viewing...");
    EXPECT_EQ(readFile(log.path()), "VXC3-1206-10:51:21 Closed (LOCAL)\r\n");
}

TEST_F(SystemLogTest, ArchivingCreatesTheFolderAndMovesTheLog) {
    status.setSysLog(true);
    log.WriteLogLine("before", false);
    clock.time = {2026, 12, 6, 10, 36, 29};
    const std::string archive = log.ArchiveLogFile(prompter, status);
    const std::string folder = (temp / "LOGS").string();
    EXPECT_EQ(archive, folder + "/LOG-20261206-103629.txt");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "LOGS Folder Created: " + folder);
    // The folder line went into the old log before it was moved.
    EXPECT_EQ(readFile(archive), "VXC3-1206-10:51:21 before\r\nVXC3-1206-10:36:29 Folder: " + folder + " created.\r\n");
    EXPECT_FALSE(log.exists());

    log.WriteLogLine("after", false);
    clock.time.second = 30;
    EXPECT_EQ(log.ArchiveLogFile(prompter, status), folder + "/LOG-20261206-103630.txt");
    EXPECT_EQ(prompter.messages.size(), 1u);  // the folder exists now
}

TEST_F(SystemLogTest, ArchivingWithoutALogRenamesNothing) {
    std::filesystem::create_directories(temp / "LOGS");
    EXPECT_EQ(log.ArchiveLogFile(prompter, status), "");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, log.path() + "\r\nLog File not found!");
}

// Archives made in the same second (or in the hour a clock change repeats) never replace one
// another: each takes the next free "-n".
TEST_F(SystemLogTest, ArchivingNeverReplacesAnEarlierArchive) {
    const std::string folder = (temp / "LOGS").string();
    std::filesystem::create_directories(folder);
    clock.time = {2026, 10, 25, 2, 30, 0};
    // Left by the first pass through the repeated hour.
    std::ofstream(folder + "/LOG-20261025-023000.txt", std::ios::binary) << "first pass";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"one", folder + "/LOG-20261025-023000-2.txt"},
        {"two", folder + "/LOG-20261025-023000-3.txt"},
        {"three", folder + "/LOG-20261025-023000-4.txt"},
    };
    for (const auto& [line, archive] : expected) {
        log.WriteLogLine(line, false);
        EXPECT_EQ(log.ArchiveLogFile(prompter, status), archive);
    }
    EXPECT_EQ(readFile(folder + "/LOG-20261025-023000.txt"), "first pass");
    for (const auto& [line, archive] : expected)
        EXPECT_EQ(readFile(archive), "VXC3-1025-02:30:00 " + line + "\r\n") << archive;
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(SystemLogTest, ALogsFolderThatCannotBeCreatedIsAFailure) {
    status.setSysLog(true);
    const std::string folder = (temp / "LOGS").string();
    std::ofstream(folder) << "a file where the folder should be";
    log.WriteLogLine("kept", false);
    EXPECT_EQ(log.ArchiveLogFile(prompter, status), "");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text.find("LOGS Folder Created"), std::string::npos);
    EXPECT_NE(prompter.messages[0].text.find("Unable to create the LOGS Folder: " + folder), std::string::npos);
    // The log stays where it was, and says what went wrong rather than that the folder was made.
    EXPECT_EQ(readFile(log.path()),
              "VXC3-1206-10:51:21 kept\r\nVXC3-1206-10:51:21 Folder: " + folder + " could not be created.\r\n");
}

// A full disk: each line fails whole and leaves nothing of itself; the user is told once, and
// again only after a line got through in between.
TEST_F(SystemLogTest, LinesThatCannotBeWrittenAreToldOncePerSpell) {
    log.WriteLogLine("kept", false);
    std::vector<std::string> told;
    // Showing it logs it too, which fails the same way without calling back again.
    log.setOnWriteFailed([&](const std::string& reason) {
        told.push_back(reason);
        log.WriteLogLine("Log not written: " + reason, false);
    });
    const auto logFile = std::filesystem::path(log.path());
    const auto kept = logFile.parent_path() / "kept.txt";
    std::filesystem::rename(logFile, kept);
    std::filesystem::create_symlink("/dev/full", logFile);
    EXPECT_FALSE(log.WriteLogLine("lost", false));
    EXPECT_FALSE(log.WriteLogLine("lost too", true));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], std::strerror(ENOSPC));

    std::filesystem::remove(logFile);
    std::filesystem::rename(kept, logFile);
    EXPECT_TRUE(log.WriteLogLine("back", false));
    EXPECT_EQ(readFile(log.path()), "VXC3-1206-10:51:21 kept\r\nVXC3-1206-10:51:21 back\r\n");
    std::filesystem::rename(logFile, kept);
    std::filesystem::create_symlink("/dev/full", logFile);
    EXPECT_FALSE(log.WriteLogLine("lost again", false));
    EXPECT_EQ(told.size(), 2u);
}

TEST_F(SystemLogTest, AnUnwritableLogLosesTheLineSilently) {
    vx::SystemLog nowhere(clock, (temp / "missing" / "folder").string());
    EXPECT_NO_THROW(nowhere.WriteLogLine("lost", true));
    EXPECT_FALSE(nowhere.exists());
}

}  // namespace
