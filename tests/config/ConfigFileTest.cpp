#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "config/ConfigFile.h"
#include "config/IniFile.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using vx::ConfigFile;
using vx::ConfigKey;
using vx::ConfigSettings;

namespace {

using vx::test::readFile;

class ConfigFileTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    std::string systemFolder = (temp / "Vexterm").string();
    std::string path = systemFolder + "/VX3_Cfg.ini";
    vx::SettingsStore store;
    vx::test::FakePrompter prompter;
    vx::test::FakeRandom random;
    vx::Scrambler scrambler{random};
    vx::test::FakeClock clock;
    ConfigFile config{store, path};

    void SetUp() override {
        std::filesystem::create_directories(systemFolder + "/Screens");
        std::filesystem::create_directories(systemFolder + "/Mojis");
    }
    ConfigSettings loadWithQuestions() {
        ConfigSettings settings = config.LoadConfig(systemFolder, scrambler);
        bool done = false;
        config.checkDumpFolders(settings, prompter, [&] { done = true; });
        EXPECT_TRUE(done);
        return settings;
    }
    std::string stored(const std::string& section, const std::string& key) {
        return vx::IniFile::parse(readFile(path)).read(section, key, "<missing>");
    }
};

TEST_F(ConfigFileTest, HeaderHasEightLines) {
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    EXPECT_EQ(readFile(path),
              "; Vexterm Configuration File\r\n"
              ";\r\n"
              ";    Version 3.14  Build: 717\r\n"
              ";    File created: 2026.12.06 - 10:51 AM\r\n"
              ";\r\n"
              "[Config]\r\n"
              "Version=3.14\r\n"
              "Build=717\r\n");
}

TEST_F(ConfigFileTest, FirstRunWritesTheTableInOrderWithItsEncodings) {
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    ASSERT_EQ(config.SaveConfig(vx::firstRunSettings(systemFolder)), ConfigFile::SaveResult::Saved);
    const std::string text = readFile(path);
    // Keys of each section appear in table order.
    std::size_t last = 0;
    for (const ConfigKey& row : vx::configKeys()) {
        if (std::string_view(row.section) != "Config") continue;
        const auto at = text.find(std::string("\r\n") + row.key + "=");
        ASSERT_NE(at, std::string::npos) << row.key;
        EXPECT_GT(at, last) << row.key;
        last = at;
    }
    EXPECT_NE(text.find("\r\nStayAliveChar=.\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nAllONOFF= 0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nSBbufferSize= 500\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nBaudSimVal=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nKeyDelayValue=65\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nTextWindow=True\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nDispCharCnt=False\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Capture]\r\nClrB4Vu=True\r\nDTScreenDumpName=False\r\nCaptureFolder=" + systemFolder +
                        "/Captures\r\nCaptureFileName=VX3_capture.txt\r\n"),
              std::string::npos);
    EXPECT_EQ(stored("Config", "SysFolder"), systemFolder);
    EXPECT_EQ(stored("Config", "ConnectMsg"), "CONNECT...");
}

// Every key survives a save and a load, whatever value it holds.
TEST_F(ConfigFileTest, EveryKeyRoundTrips) {
    ConfigSettings settings = vx::firstRunSettings(systemFolder);
    int n = 0;
    for (const ConfigKey& row : vx::configKeys()) {
        ++n;
        std::visit(
            [&](auto member) {
                using T = std::remove_reference_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<T, bool>)
                    settings.*member = !(settings.*member);
                else if constexpr (std::is_same_v<T, std::int16_t>)
                    settings.*member = static_cast<std::int16_t>(n * 7);
                else if (row.kind != ConfigKey::Kind::StayAliveField)
                    settings.*member = std::string("value ") + row.key + " \xE9\x9B";
            },
            row.field);
    }
    settings.setStayAliveChar("  ab");
    settings.ScreenDumpPath = systemFolder + "/Screens";
    settings.MojisDumpPath = systemFolder + "/Mojis";
    settings.SysFolder = systemFolder;
    settings.DispCharCnt = false;          // always written as False
    settings.TextWindow = settings.UseTW;  // written as a copy of UseTW
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    ASSERT_EQ(config.SaveConfig(settings), ConfigFile::SaveResult::Saved);
    const ConfigSettings loaded = loadWithQuestions();
    EXPECT_TRUE(prompter.questions.empty());
    ConfigSettings expected = settings;
    expected.setStayAliveChar("ab");  // values are trimmed when read
    for (const ConfigKey& row : vx::configKeys()) {
        std::visit([&](auto member) { EXPECT_EQ(loaded.*member, expected.*member) << row.key; }, row.field);
    }
}

TEST_F(ConfigFileTest, HeaderOnlyFileLoadsMissingValuesAndGetsAPasswordMarker) {
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    const ConfigSettings loaded = loadWithQuestions();
    EXPECT_EQ(loaded.stayAliveText(), ".");
    EXPECT_EQ(loaded.StayAliveChar.size(), 20u);
    EXPECT_FALSE(loaded.ClrB4Vu);
    EXPECT_EQ(loaded.VXESendDelay, 50);
    EXPECT_TRUE(loaded.Scroll2BoxClrBox);
    EXPECT_EQ(loaded.AllONOFF, 1);
    EXPECT_EQ(loaded.SBbufferSize, 500);
    EXPECT_EQ(loaded.KeyDelayValue, 65);
    EXPECT_EQ(loaded.CaptureFileName, "VX3_Capture.txt");
    EXPECT_EQ(loaded.DefaultBMPName, "screen.bmp");
    EXPECT_EQ(loaded.CaptureFolder, systemFolder + "/Captures");
    EXPECT_EQ(loaded.capturePath(), systemFolder + "/Captures/VX3_Capture.txt");
    EXPECT_EQ(loaded.ScreenDumpPath, systemFolder + "/Screens");
    EXPECT_EQ(loaded.ConnectMsg, "");
    EXPECT_TRUE(loaded.EnableRawEdits);
    EXPECT_FALSE(loaded.DATAwritten);
    EXPECT_EQ(loaded.TotalIncoming, 0);
    const std::string marker = stored("Config", "Password");
    EXPECT_EQ(vx::Scrambler::UnscrambleText(marker), vx::Scrambler::kKey);
    // The marker is written once.
    loadWithQuestions();
    EXPECT_EQ(stored("Config", "Password"), marker);
}

TEST_F(ConfigFileTest, NumbersWithOrWithoutLeadingBlankAndBooleanSpellings) {
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    const std::vector<std::pair<std::string, std::string>> values = {{"AllONOFF", "1"},
                                                                     {"SBbufferSize", " 500"},
                                                                     {"Buzzer", "FALSE"},
                                                                     {"SpeedCheck", "0"},
                                                                     {"DiscPopup", "yes"},
                                                                     {"AtariClick", "false"},
                                                                     {"StayAliveChar", "123456789012345678901234"}};
    for (const auto& [key, value] : values) store.WriteSettingValue(path, "Config", key, "S", value);
    const ConfigSettings loaded = loadWithQuestions();
    EXPECT_EQ(loaded.AllONOFF, 1);
    EXPECT_EQ(loaded.SBbufferSize, 500);
    EXPECT_FALSE(loaded.Buzzer);
    EXPECT_FALSE(loaded.SpeedCheck);
    EXPECT_TRUE(loaded.DiscPopup);
    EXPECT_FALSE(loaded.AtariClick);
    EXPECT_EQ(loaded.StayAliveChar, "12345678901234567890");
}

TEST_F(ConfigFileTest, MissingDumpFoldersAreOfferedForCreation) {
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    const std::string dumps = (temp / "elsewhere" / "dumps").string();
    const std::string mojis = (temp / "elsewhere" / "mojis").string();
    store.WriteSettingValue(path, "Capture", "ScreenDumpPath", "S", dumps);
    store.WriteSettingValue(path, "Capture", "MojisDumpPath", "S", mojis);
    prompter.yesNoAnswers = {false, true};
    const ConfigSettings loaded = loadWithQuestions();
    ASSERT_EQ(prompter.questions.size(), 2u);
    EXPECT_EQ(prompter.questions[0].text,
              "Screen Dump Path: \r" + dumps + "\rDoes not exist! Do you want to create it?");
    EXPECT_EQ(prompter.questions[0].icon, vx::MessageIcon::Question);
    EXPECT_EQ(prompter.questions[1].text, "Mojis Path: \r" + mojis + "\rDoes not exist! Do you want to create it?");
    EXPECT_EQ(loaded.ScreenDumpPath, "");  // No: empty for this run, the file keeps its value
    EXPECT_EQ(stored("Capture", "ScreenDumpPath"), dumps);
    EXPECT_FALSE(std::filesystem::exists(dumps));
    EXPECT_EQ(loaded.MojisDumpPath, mojis);  // Yes: created and written back
    EXPECT_TRUE(std::filesystem::is_directory(mojis));
}

TEST_F(ConfigFileTest, SavingWithoutAFileReportsIt) {
    EXPECT_EQ(config.SaveConfig(vx::firstRunSettings(systemFolder)), ConfigFile::SaveResult::NoFile);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ConfigFileTest, TotalsAreWrittenWithALeadingBlank) {
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    ASSERT_EQ(config.saveTotals(1234, 2), 0);
    EXPECT_NE(readFile(path).find("[Totals]\r\nTotalIncoming= 1234\r\nSessionNum= 2\r\n"), std::string::npos);
    const ConfigSettings loaded = loadWithQuestions();
    EXPECT_EQ(loaded.TotalIncoming, 1234);
    EXPECT_EQ(loaded.SessionNum, 2);
}

// A configuration written on Windows by an earlier installation: CR LF, keys in any letter case,
// quoted values, comments and keys the program does not know.
TEST_F(ConfigFileTest, WindowsWrittenFileLoadsUnchanged) {
    std::filesystem::copy_file(std::string(VX_TEST_DATA_DIR) + "/config/windows/VX3_Cfg.ini", path);
    const std::string original = readFile(path);
    prompter.yesNoAnswers = {false, false};
    const ConfigSettings loaded = loadWithQuestions();
    EXPECT_EQ(loaded.stayAliveText(), "..");
    EXPECT_EQ(vx::Scrambler::UnscrambleText(loaded.SData), "letmein");
    EXPECT_EQ(loaded.QuotePrefix, ">>");
    EXPECT_EQ(loaded.SysFolder, "C:\\Users\\Marta\\Documents\\Vexterm");
    EXPECT_EQ(loaded.BaudSimVal, 12);
    EXPECT_EQ(loaded.VXESendDelay, 75);
    EXPECT_FALSE(loaded.Buzzer);
    EXPECT_FALSE(loaded.SpeedCheck);
    EXPECT_FALSE(loaded.Scroll2BoxClrBox);
    EXPECT_TRUE(loaded.DiscPopup);
    EXPECT_FALSE(loaded.TitleBarMsg);
    EXPECT_TRUE(loaded.EnableRawEdits);
    EXPECT_FALSE(loaded.AutoVXE);
    EXPECT_TRUE(loaded.BeepOnConnect);
    EXPECT_TRUE(loaded.AutoNext);
    EXPECT_EQ(loaded.SBbufferSize, 1500);
    EXPECT_EQ(loaded.WebBrowser, "C:\\Program Files\\Browser\\browser.exe");
    EXPECT_EQ(loaded.ConnectMsg, "CONNECT 2400");
    EXPECT_EQ(loaded.KeyDelayValue, 40);
    EXPECT_FALSE(loaded.UseBBSEditor);
    EXPECT_TRUE(loaded.ClrB4Vu);
    EXPECT_TRUE(loaded.DTScreenDumpName);
    EXPECT_EQ(loaded.CaptureFileName, "session.txt");
    EXPECT_EQ(loaded.capturePath(), "C:\\Users\\Marta\\Documents\\Vexterm\\Captures/session.txt");
    EXPECT_EQ(loaded.DefaultBMPName, "board.bmp");
    EXPECT_EQ(loaded.TotalIncoming, 123456789);
    EXPECT_EQ(loaded.SessionNum, 41);
    EXPECT_TRUE(loaded.DATAwritten);
    // Written before the screen's zoom and colours were kept: the screen as it always was.
    EXPECT_EQ(loaded.ScreenZoom, 2);
    EXPECT_EQ(loaded.ScreenColours, 0);
    EXPECT_FALSE(loaded.DumpAsShown);
    EXPECT_EQ(prompter.questions.size(), 2u);  // the Windows dump folders do not exist here
    EXPECT_EQ(readFile(path), original);       // the marker existed; No changes nothing

    // Saving keeps the comment, the unknown key and the marker, and changes only what changed.
    ConfigSettings changed = loaded;
    changed.ScreenDumpPath = "C:\\Users\\Marta\\Documents\\Vexterm\\Screens";
    changed.MojisDumpPath = "C:\\Users\\Marta\\Documents\\Vexterm\\Mojis";
    changed.KeyDelayValue = 41;
    ASSERT_EQ(config.SaveConfig(changed), ConfigFile::SaveResult::Saved);
    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("; kept by hand\r\nPassword=4F1A22\r\nUnknownKey=stays\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nKeyDelayValue=41\r\n"), std::string::npos);
    // The key as the file spells it; the value trimmed inside its quotes, as every text value.
    EXPECT_NE(saved.find("\r\nstayalivechar=..\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nEnableRAWedits=True\r\n"), std::string::npos);
}

// Quotes keep blanks from the profile read's trimming; the text inside is then trimmed like any
// text value. Only the scrambled password is taken exactly.
TEST_F(ConfigFileTest, QuotedTextValuesAreTrimmedInsideTheirQuotes) {
    struct Row {
        const char* section;
        const char* key;
        std::string stored;
        std::string ConfigSettings::*field;
        std::string loaded;
    };
    const Row rows[] = {
        {"Config", "QuotePrefix", "\" -> \"", &ConfigSettings::QuotePrefix, "->"},
        {"Config", "ConnectMsg", "'  CONNECT 2400 '", &ConfigSettings::ConnectMsg, "CONNECT 2400"},
        {"Config", "DisconnectMsg", "\"\tNO CARRIER\t\"", &ConfigSettings::DisconnectMsg, "NO CARRIER"},
        {"Config", "WebBrowser", "\" /usr/bin/browser \"", &ConfigSettings::WebBrowser, "/usr/bin/browser"},
        {"Capture", "CaptureFileName", "' session.txt'", &ConfigSettings::CaptureFileName, "session.txt"},
        {"Capture", "DefaultBMPName", "\"board.bmp \"", &ConfigSettings::DefaultBMPName, "board.bmp"},
        {"Config", "SysFolder", "\" " + systemFolder + " \"", &ConfigSettings::SysFolder, systemFolder},
        {"Config", "SData", "\" 01AB \"", &ConfigSettings::SData, " 01AB "},
    };
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    // The quotes are typed into the file as a user edits it: a write would keep them as part of
    // the value, so each key is written with a mark that the quoted text then replaces.
    for (std::size_t i = 0; i < std::size(rows); ++i)
        store.WriteSettingValue(path, rows[i].section, rows[i].key, "S", "@" + std::to_string(i) + "@");
    store.WriteSettingValue(path, "Config", "StayAliveChar", "S", "@stay@");
    std::string text = readFile(path);
    const auto typeIn = [&](const std::string& mark, const std::string& quoted) {
        text.replace(text.find(mark), mark.size(), quoted);
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) typeIn("@" + std::to_string(i) + "@", rows[i].stored);
    typeIn("@stay@", "\" .. \"");
    ASSERT_EQ(store.replaceFile(path, text), vx::SettingsStore::kOk);
    const ConfigSettings loaded = loadWithQuestions();
    for (const Row& row : rows) EXPECT_EQ(loaded.*row.field, row.loaded) << row.key;
    EXPECT_EQ(loaded.StayAliveChar, ".." + std::string(18, ' '));
}

// A configuration carried over from Windows (or edited by hand) holds folders that cannot exist
// here; they are rebuilt from the real system folder and written back, and nothing else is.
TEST_F(ConfigFileTest, ForeignFoldersAreResetToTheSystemFolder) {
    const std::string sys = systemFolder + "/";
    const std::vector<ConfigFile::FolderReset> rows = {
        {"SysFolder", "C:\\Users\\Marta\\Documents\\Vexterm", systemFolder},
        {"CaptureFolder", "D:/Captures", sys + "Captures"},
        {"ScreenDumpPath", "Screens", sys + "Screens"},
        {"MojisDumpPath", "/srv/vexterm/Mojis\\old", sys + "Mojis"},
        {"DownloadsPath", "C:\\Users\\Marta\\Documents\\Vexterm/Downloads", sys + "Downloads"},
    };
    ASSERT_EQ(config.WriteConfigHeader(clock.now()), 0);
    for (const auto& row : rows)
        store.WriteSettingValue(path, vx::findConfigKey(row.key)->section, row.key, "S", row.oldValue);
    ConfigSettings settings = config.LoadConfig(systemFolder, scrambler);
    EXPECT_EQ(config.resetForeignFolders(settings, systemFolder), rows);
    for (const auto& row : rows) EXPECT_EQ(stored(vx::findConfigKey(row.key)->section, row.key), row.newValue);
    EXPECT_EQ(settings.capturePath(), sys + "Captures/VX3_Capture.txt");
    EXPECT_EQ(settings.MojisDumpPath, sys + "Mojis");

    // Folders that are real paths here, and empty ones, are left alone.
    const std::string before = readFile(path);
    settings.ScreenDumpPath.clear();
    settings.MojisDumpPath = (temp / "elsewhere").string();
    EXPECT_TRUE(config.resetForeignFolders(settings, systemFolder).empty());
    EXPECT_EQ(settings.MojisDumpPath, (temp / "elsewhere").string());
    EXPECT_EQ(readFile(path), before);
}

}  // namespace
