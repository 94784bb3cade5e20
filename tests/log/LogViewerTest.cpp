// The log viewer's actions on the log file: what the window reads, clearing, deleting with the
// offer to stop logging, and archiving (twice in one second keeps both archives).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/AtomicFile.h"
#include "log/LogViewer.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace {

class LogViewerTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::test::FakeClock clock;
    vx::test::FakePrompter prompter;
    vx::test::FakeStatusSink sink;
    vx::SystemLog log{clock, temp.path().string()};
    vx::StatusReporter status{sink, log};
    int closed = 0;
    int disabled = 0;
    vx::LogViewer viewer{log, status, prompter, {[this] { ++closed; }, [this] { ++disabled; }}};

    void SetUp() override {
        status.setSysLog(true);
        log.WriteLogLine("first", false);
    }
    std::string file() const {
        std::string bytes;
        vx::readWholeFile(log.path(), bytes);
        return bytes;
    }
};

TEST_F(LogViewerTest, TheWindowReadsUpToTheFirstEmptyLine) {
    std::ofstream(log.path(), std::ios::binary | std::ios::app) << "\r\nnot the log's\r\n";
    const auto text = vx::LogViewer::loadText(log.path());
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "VXC3-1206-10:51:21 first\r\n\r\n");
    EXPECT_FALSE(vx::LogViewer::loadText((temp / "none.txt").string()));
}

TEST_F(LogViewerTest, ClearingRestartsTheLogOrLeavesNoneWhenItIsOff) {
    prompter.yesNoAnswers = {true};
    viewer.clearLog();
    EXPECT_EQ(file(), "VXC3-1206-10:51:21 Log File Re-started!\r\n");
    EXPECT_EQ(closed, 1);

    status.setSysLog(false);
    prompter.yesNoAnswers = {true};
    viewer.clearLog();
    EXPECT_FALSE(log.exists());

    prompter.yesNoAnswers = {false};  // No: the viewer just closes
    viewer.clearLog();
    EXPECT_EQ(closed, 3);
}

TEST_F(LogViewerTest, NoToDeletingStillOffersToStopTheLog) {
    prompter.yesNoAnswers = {false, true};
    viewer.deleteLog();
    EXPECT_TRUE(log.exists());
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(prompter.questions[1].text, "Do you want to disable the system log?");
    EXPECT_FALSE(status.sysLog());
    EXPECT_EQ(disabled, 1);
    EXPECT_EQ(prompter.messages.back().text, "LogFile disabled for this session!");
    EXPECT_EQ(closed, 1);

    prompter.yesNoAnswers = {true};
    viewer.deleteLog();
    EXPECT_FALSE(log.exists());
    EXPECT_EQ(prompter.questions.size(), 3u);  // the log is off: no second question
}

TEST_F(LogViewerTest, RenamingTwiceInOneSecondKeepsBothArchives) {
    prompter.yesNoAnswers = {true};
    viewer.renameLog();
    const std::string firstArchive = (temp / "LOGS" / "LOG-20261206-105121.txt").string();
    EXPECT_TRUE(std::filesystem::exists(firstArchive));
    EXPECT_EQ(file(), "VXC3-1206-10:51:21 LOG file renamed\r\nVXC3-1206-10:51:21 " + firstArchive + "\r\n");
    prompter.yesNoAnswers = {true};
    viewer.renameLog();
    EXPECT_TRUE(std::filesystem::exists(firstArchive));
    EXPECT_TRUE(std::filesystem::exists((temp / "LOGS" / "LOG-20261206-105121-2.txt").string()));
    EXPECT_EQ(closed, 2);

    std::filesystem::remove(log.path());
    prompter.yesNoAnswers = {true};
    viewer.renameLog();
    EXPECT_EQ(prompter.messages.back().text, "ERROR: Log File Not Renamed!");
}

}  // namespace
