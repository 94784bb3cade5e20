#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/AtomicFile.h"
#include "session/Startup.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace {

std::string readFile(const std::string& path) {
    std::string bytes;
    vx::readWholeFile(path, bytes);
    return bytes;
}

class StartupTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::SystemPaths paths{(temp / "Documents" / "Vexterm").string()};
    vx::test::FakeClock clock;
    vx::test::FakeRandom random;
    vx::test::FakePrompter prompter;
    vx::test::FakeStatusSink sink;
    vx::Scrambler scrambler{random};
    vx::SettingsStore store;
    vx::SystemLog log{clock, paths.systemFolder};
    vx::StatusReporter status{sink, log};
    vx::ConfigSettings config;
    vx::BBSList bbsList{store, prompter, clock, paths.bbsListFile()};
    int helpOpened = 0;

    bool runStartup(bool* firstRun = nullptr) {
        vx::Startup startup({paths, store, prompter, clock, scrambler, status, config, bbsList, [this] { ++helpOpened; }});
        std::optional<bool> result;
        startup.run([&](bool ok) { result = ok; });
        EXPECT_TRUE(result.has_value());  // the fakes answer at once
        if (firstRun) *firstRun = startup.firstRun();
        return result.value_or(false);
    }
    std::vector<std::string> shownTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : prompter.messages) texts.push_back(m.text);
        return texts;
    }
};

TEST_F(StartupTest, FirstRunCreatesTheSystemFolderAndTellsTheUserInOrder) {
    bool firstRun = false;
    ASSERT_TRUE(runStartup(&firstRun));
    EXPECT_TRUE(firstRun);
    for (const char* folder : {"Captures", "Screens", "Mojis"})
        EXPECT_TRUE(std::filesystem::is_directory(paths.inFolder(folder))) << folder;
    EXPECT_EQ(readFile(paths.inFolder("Mojis") + "/_chX1"), "\"32;17;18;5;155;32;124;88;124;32;\"\r\n");
    EXPECT_EQ(readFile(paths.inFolder("Mojis") + "/_chX2"), "\"32;17;18;5;155;32;124;32;124;32;\"\r\n");
    EXPECT_EQ(readFile(paths.inFolder("Mojis") + "/_chX3"), "\"155;32;26;18;3;155;\"\r\n");
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"System Folders Created! ",
                                                      "Config File created: \r" + paths.configFile(),
                                                      "BBS List created: \r" + paths.bbsListFile()}));
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text, "Would you like to view the help file?");
    EXPECT_EQ(helpOpened, 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(paths.configFile()));
    EXPECT_EQ(bbsList.entries().size(), 1u);
    EXPECT_TRUE(config.ScrollBack);
    EXPECT_EQ(config.ConnectMsg, "CONNECT...");
    EXPECT_EQ(readFile(paths.logFile()),
              "==== Session:0 - 261206-10:51\r\nVXC3-1206-10:51:21 v3.14.717 - System Started...\r\n");
    const std::vector<std::string> expectedStatus = {"pnlSTAT=Creating System...", "pnlSTAT=Creating Capture Folder...",
                                                     "pnlSTAT=Creating Screen Folder...",
                                                     "pnlSTAT=Creating 'Mojis Folder...",
                                                     "pnlSTAT=Creating 3 System Mojis...",
                                                     "pnlSTAT=Creating Config File...", "pnlSTAT=Creating BBS List..."};
    EXPECT_EQ(sink.history, expectedStatus);
}

TEST_F(StartupTest, AnExistingFolderIsNotAnnounced) {
    std::filesystem::create_directories(paths.systemFolder);
    prompter.yesNoAnswers = {false};
    ASSERT_TRUE(runStartup());
    EXPECT_EQ(shownTexts().front(), "Config File created: \r" + paths.configFile());
    EXPECT_EQ(helpOpened, 0);
}

TEST_F(StartupTest, LaterRunsLoadTheConfigurationAndRecreateOnlyTheMissingList) {
    ASSERT_TRUE(runStartup());
    std::filesystem::remove(paths.bbsListFile());
    prompter.messages.clear();
    prompter.questions.clear();
    config = {};
    bool firstRun = true;
    ASSERT_TRUE(runStartup(&firstRun));
    EXPECT_FALSE(firstRun);
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"BBS List created: \r" + paths.bbsListFile()}));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(config.ConnectMsg, "CONNECT...");
}

TEST_F(StartupTest, AMissingCaptureFolderIsCreatedAndTold) {
    ASSERT_TRUE(runStartup());
    std::filesystem::remove_all(paths.inFolder("Captures"));
    prompter.messages.clear();
    ASSERT_TRUE(runStartup());
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"Capture Folder Created: " + paths.inFolder("Captures")}));
    EXPECT_TRUE(std::filesystem::is_directory(paths.inFolder("Captures")));
}

TEST_F(StartupTest, AnInvalidListEndsTheProgram) {
    ASSERT_TRUE(runStartup());
    std::ofstream(paths.bbsListFile(), std::ios::trunc) << "[Config]\r\nNumBBS=0\r\n";
    prompter.messages.clear();
    EXPECT_FALSE(runStartup());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].icon, vx::MessageIcon::Critical);
}

TEST_F(StartupTest, AConfigurationThatCannotBeWrittenEndsTheProgram) {
    std::ofstream(temp / "Documents") << "a file where the folder should be";
    EXPECT_FALSE(runStartup());
    ASSERT_FALSE(prompter.messages.empty());
    EXPECT_EQ(prompter.messages.back().text, "Unable to create Config file!");
    EXPECT_EQ(prompter.messages.back().icon, vx::MessageIcon::Critical);
}

TEST_F(StartupTest, WithTheLogOffNothingIsLogged) {
    ASSERT_TRUE(runStartup());
    std::filesystem::remove(paths.logFile());
    store.WriteSettingValue(paths.configFile(), "Config", "SysLog", "S", "False");
    ASSERT_TRUE(runStartup());
    EXPECT_FALSE(std::filesystem::exists(paths.logFile()));
}

TEST_F(StartupTest, EachShutdownAddsTheRunToTheTotals) {
    ASSERT_TRUE(runStartup());
    vx::Startup first({paths, store, prompter, clock, scrambler, status, config, bbsList, {}});
    first.shutdown(1234);
    ASSERT_TRUE(runStartup());
    EXPECT_EQ(config.SessionNum, 1);
    EXPECT_EQ(config.TotalIncoming, 1234);
    vx::Startup second({paths, store, prompter, clock, scrambler, status, config, bbsList, {}});
    second.shutdown(0);
    ASSERT_TRUE(runStartup());
    EXPECT_EQ(config.SessionNum, 2);
    EXPECT_EQ(config.TotalIncoming, 1234);
    const std::string logText = readFile(paths.logFile());
    EXPECT_NE(logText.find(" System Unloaded\r\nVXC3-1206-10:51:21  : Chars session ..: 1,234\r\nVXC3-1206-10:51:21  : "
                           "Total Chars ....: 1,234\r\n"),
              std::string::npos);
    EXPECT_NE(logText.find("==== Session:1 - "), std::string::npos);
    EXPECT_EQ(logText.find(" : Chars session ..: 0"), std::string::npos);  // a run without characters
    EXPECT_EQ(vx::Startup::appInfoText(), " Vexterm v3.14  Build: 717 ");
}

// A configuration brought over from a Windows installation: its folders are reset to the real
// system folder before any folder is checked or created, and the user is told once.
TEST_F(StartupTest, WindowsFoldersAreResetBeforeAnyFolderIsMade) {
    ASSERT_TRUE(runStartup());
    std::filesystem::copy_file(std::string(VX_TEST_DATA_DIR) + "/config/windows/VX3_Cfg.ini", paths.configFile(),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove_all(paths.inFolder("Captures"));
    prompter.messages.clear();
    prompter.questions.clear();
    // Relative paths would land in the working folder: make that one we can look into.
    const auto work = temp / "work";
    std::filesystem::create_directories(work);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(work);
    const bool ok = runStartup();
    std::filesystem::current_path(previous);
    ASSERT_TRUE(ok);

    EXPECT_TRUE(std::filesystem::is_empty(work));
    EXPECT_TRUE(prompter.questions.empty());  // Screens and Mojis exist in the real system folder
    const std::string windows = "C:\\Users\\Marta\\Documents\\Vexterm";
    ASSERT_EQ(prompter.messages.size(), 2u);
    for (const char* key : {"SysFolder", "CaptureFolder", "ScreenDumpPath", "MojisDumpPath"})
        EXPECT_NE(prompter.messages[0].text.find(std::string("\r") + key + "=" + windows), std::string::npos) << key;
    EXPECT_EQ(prompter.messages[1].text, "Capture Folder Created: " + paths.inFolder("Captures"));
    EXPECT_EQ(config.capturePath(), paths.inFolder("Captures") + "/session.txt");
    EXPECT_NE(readFile(paths.logFile())
                  .find(" Config: CaptureFolder reset from " + windows + "\\Captures to " + paths.inFolder("Captures") +
                        "\r\n"),
              std::string::npos);

    // Told once: the next start finds real folders.
    prompter.messages.clear();
    ASSERT_TRUE(runStartup());
    EXPECT_TRUE(prompter.messages.empty());
}

// Deleting the last board must not lock the user out: the empty directory starts.
TEST_F(StartupTest, AnEmptyDirectoryStarts) {
    ASSERT_TRUE(runStartup());
    ASSERT_TRUE(bbsList.DeleteBBSRecord("1"));
    prompter.messages.clear();
    ASSERT_TRUE(runStartup());
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_TRUE(bbsList.entries().empty());
    EXPECT_EQ(bbsList.addRecord(), 1);
}

// A configuration that cannot be read is reported, not replaced by defaults.
TEST_F(StartupTest, AnUnreadableConfigurationIsReportedAndKept) {
    ASSERT_TRUE(runStartup());
    const std::string huge(vx::SettingsStore::kMaxFileSize + 1, '\xFF');
    std::ofstream(paths.configFile(), std::ios::binary | std::ios::trunc) << huge;
    prompter.messages.clear();
    EXPECT_FALSE(runStartup());
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Unable to read Config file!\r" + paths.configFile() + "\r(file too large)");
    EXPECT_EQ(prompter.messages[0].icon, vx::MessageIcon::Critical);
    EXPECT_EQ(std::filesystem::file_size(paths.configFile()), huge.size());
}

}  // namespace
