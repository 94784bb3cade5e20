#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/ConfigSettings.h"
#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "tools/BrowserLauncher.h"
#include "tools/UrlDetector.h"

namespace {

using vx::MessageIcon;
using vx::UrlDetector;

using vx::test::readFile;

void feed(UrlDetector& detector, std::string_view bytes) {
    for (const char c : bytes) detector.DetectURLChar(static_cast<std::uint8_t>(c));
}

std::vector<std::string> listed(const UrlDetector& detector) {
    std::vector<std::string> urls;
    for (int slot = 0; slot < UrlDetector::kSlots; ++slot)
        if (!detector.url(slot).empty()) urls.push_back(detector.url(slot));
    return urls;
}

struct Stream {
    const char* name;
    std::string received;
    std::vector<std::string> expected;
};
void PrintTo(const Stream& c, std::ostream* out) { *out << c.name; }

class DetectedUrls : public ::testing::TestWithParam<Stream> {};

TEST_P(DetectedUrls, FromTheReceivedStream) {
    UrlDetector detector;
    feed(detector, GetParam().received);
    EXPECT_EQ(listed(detector), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, DetectedUrls,
    ::testing::Values(
        Stream{"EndsAtTheSecondBlank", " http://x/y ", {"http://x/y"}},
        Stream{"WwwPrefixIsLowerCaseRestAsReceived", "WWW.Ab\x9b", {"http://www.Ab"}},
        Stream{"CapitalHttps", "HTTPS://Ab ", {"https://Ab"}}, Stream{"ResettingHIsNoNewStart", "hhttp://x ", {}},
        Stream{"UnexpectedCharacterAfterHttpWaits", "httpx://y ", {"http://y"}},
        Stream{"StrayCharactersBetweenTheSlashesWait", "https:/x/y ", {"https://y"}},
        Stream{"DoubledColonNeverMatches", "http:://x ", {}}, Stream{"FourthWResets", "wwww.x ", {}},
        Stream{"StartsAfterOtherUrlCharacters", "xhttp://y ", {"http://y"}},
        Stream{"BlankInsideThePrefixResets", "htt p://x ", {}}, Stream{"CutByPercent", "http://a%b ", {"http://a"}},
        Stream{"CutByLessThan", "http://a<b ", {"http://a"}}, Stream{"CutByHash", "http://a#b ", {"http://a"}},
        Stream{"CutByBlank", "http://a b", {"http://a"}},
        Stream{"CutByInverseVideo",
               "http://ab\xE1"
               "c ",
               {"http://ab"}},
        Stream{"KeepsQueryCharacters", "www.A.b/c?d=e&f_~\x7f ", {"http://www.A.b/c?d=e&f_~\x7f"}},
        Stream{"PrefixAloneIsListed", "http://\x9b", {"http://"}},
        Stream{"TwoInARow", "http://a https://b ", {"http://a", "https://b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UrlDetector, UrlCharactersAreThirtySixToOneHundredTwentySevenLessEight) {
    int count = 0;
    for (int c = 0; c < 256; ++c) count += UrlDetector::isUrlCharacter(static_cast<std::uint8_t>(c));
    EXPECT_EQ(count, 92 - 8);
    for (int c : {35, 37, 60, 62, 91, 92, 93, 124, 125, 128, 155, 32, 33, 34})
        EXPECT_FALSE(UrlDetector::isUrlCharacter(static_cast<std::uint8_t>(c))) << c;
    for (int c : {36, 38, 47, 58, 65, 122, 123, 126, 127})
        EXPECT_TRUE(UrlDetector::isUrlCharacter(static_cast<std::uint8_t>(c))) << c;
}

TEST(UrlDetector, AnAddressStaysPendingUntilANonUrlCharacter) {
    UrlDetector detector;
    feed(detector, "http://pending");
    EXPECT_TRUE(detector.collecting());
    EXPECT_EQ(detector.pendingUrl(), "http://pending");
    EXPECT_TRUE(listed(detector).empty());
    EXPECT_FALSE(detector.lastCopyLabelVisible());
    feed(detector, "\x9b");
    EXPECT_EQ(listed(detector), std::vector<std::string>{"http://pending"});
    EXPECT_FALSE(detector.collecting());
    EXPECT_EQ(detector.matchedText(), "");
}

TEST(UrlDetector, AnEndlessRunOfUrlCharactersKeepsOnlyItsStart) {
    UrlDetector detector;
    feed(detector, "http://");
    feed(detector, std::string(1 << 20, 'a'));  // a hostile board: a megabyte with no end
    EXPECT_EQ(detector.pendingUrl().size(), UrlDetector::kMaxUrlLength);
    feed(detector, " ");
    const auto urls = listed(detector);
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0], "http://" + std::string(UrlDetector::kMaxUrlLength - 7, 'a'));
}

TEST(UrlDetector, TheEleventhReplacesSlotZeroAndTheMarkerFollows) {
    UrlDetector detector;
    int changes = 0;
    detector.setOnChanged([&] { ++changes; });
    for (int i = 0; i < 10; ++i) feed(detector, "http://" + std::to_string(i) + " ");
    EXPECT_EQ(changes, 10);
    EXPECT_EQ(detector.newestSlot(), 9);
    EXPECT_EQ(detector.nextSlot(), 0);
    EXPECT_TRUE(detector.lastCopyLabelVisible());
    feed(detector, "http://ten ");
    EXPECT_EQ(detector.url(0), "http://ten");
    EXPECT_EQ(detector.url(1), "http://1");
    EXPECT_EQ(detector.newestSlot(), 0);
    EXPECT_EQ(detector.nextSlot(), 1);
    EXPECT_TRUE(detector.copyButtonVisible(9));
    EXPECT_EQ(detector.url(-1), "");
    EXPECT_EQ(detector.url(10), "");

    detector.clearUrls();
    EXPECT_TRUE(listed(detector).empty());
    EXPECT_EQ(detector.newestSlot(), -1);
    EXPECT_FALSE(detector.lastCopyLabelVisible());
    EXPECT_FALSE(detector.copyButtonVisible(0));
    feed(detector, "www.again ");
    EXPECT_EQ(detector.url(0), "http://www.again");
    EXPECT_EQ(changes, 13);
}

TEST(UrlDetector, CopyClearsTheClipboardThenSetsIt) {
    UrlDetector detector;
    vx::test::FakeClipboard clipboard;
    clipboard.contents = "old";
    feed(detector, "http://a http://b ");
    detector.copyUrl(1, clipboard);
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(clipboard.contents, "http://b");
}

// The browser rules of the list and of the help page, with a probe page in a private folder.
class WebAccess : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::test::TempDir probeFolder;
    vx::test::FakeClock clock;
    vx::test::FakePrompter prompter;
    vx::test::FakeStatusSink sink;
    vx::SystemLog log{clock, temp.path().string()};
    vx::StatusReporter status{sink, log};
    vx::ConfigSettings config;
    // Notes what the probe page held while the association was looked up.
    class ProbingShell : public vx::test::FakeShell {
    public:
        std::vector<std::string> probeContents;
        std::string associatedProgram(const std::string& file) override {
            probeContents.push_back(readFile(file));
            return FakeShell::associatedProgram(file);
        }
    } shell;
    vx::BrowserLauncher browser{config, shell, prompter, status, probeFolder.path().string()};
    UrlDetector detector;

    void SetUp() override {
        status.setSysLog(true);
        feed(detector, "http://example.org/x ");
    }
    bool probeFolderEmpty() const { return std::filesystem::is_empty(probeFolder.path()); }
};

struct BrowserCase {
    const char* name;
    std::string webBrowser;
    std::string association;
    bool startSucceeds;
    std::string program;  // expected to be started; "" = nothing started
    std::string message;  // expected message; "" = none
    std::string title;
};
void PrintTo(const BrowserCase& c, std::ostream* out) { *out << c.name; }

class ListBrowser : public WebAccess, public ::testing::WithParamInterface<BrowserCase> {};

TEST_P(ListBrowser, OpensTheAddress) {
    const BrowserCase& c = GetParam();
    config.WebBrowser = c.webBrowser;
    shell.association = c.association;
    shell.startSucceeds = c.startSucceeds;
    const bool opened = detector.openUrl(0, browser);

    EXPECT_EQ(opened, c.message.empty());
    if (c.program.empty()) {
        EXPECT_TRUE(shell.started.empty());
    } else {
        ASSERT_EQ(shell.started.size(), 1u);
        EXPECT_EQ(shell.started[0], std::make_pair(c.program, std::string("http://example.org/x")));
        EXPECT_EQ(sink.panels["pnlSTAT"], "http://example.org/x");
        EXPECT_NE(readFile(log.path()).find(" http://example.org/x\r\n"), std::string::npos);
    }
    if (c.message.empty()) {
        EXPECT_TRUE(prompter.messages.empty());
    } else {
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages[0], (vx::test::FakePrompter::Shown{c.message, c.title, MessageIcon::Exclamation}));
    }
    // A configured browser is used as it is; only without one is the desktop asked, about the probe.
    if (c.webBrowser.find_first_not_of(' ') != std::string::npos) {
        EXPECT_TRUE(shell.askedAbout.empty());
    } else {
        ASSERT_EQ(shell.askedAbout.size(), 1u);
        EXPECT_EQ(std::filesystem::path(shell.askedAbout[0]).parent_path(), probeFolder.path());
        EXPECT_EQ(std::filesystem::path(shell.askedAbout[0]).extension(), ".HTM");
        EXPECT_EQ(shell.probeContents[0], "\"<HTML> <\\HTML>\"\r\n");
    }
    EXPECT_TRUE(probeFolderEmpty());
}

INSTANTIATE_TEST_SUITE_P(Rules, ListBrowser,
                         ::testing::Values(BrowserCase{"ConfiguredBrowserTrimmed", "  /opt/web/browser ",
                                                       "/usr/bin/assoc", true, "/opt/web/browser", "", ""},
                                           BrowserCase{"Association", "", "/usr/bin/assoc", true, "/usr/bin/assoc", "",
                                                       ""},
                                           BrowserCase{"BlankSettingMeansAssociation", "   ", "/usr/bin/assoc", true,
                                                       "/usr/bin/assoc", "", ""},
                                           BrowserCase{"NoBrowser", "", "", true, "",
                                                       "Could not find associated Browser", "Browser Not Found"},
                                           BrowserCase{"StartRefused", "", "/usr/bin/assoc", false, "/usr/bin/assoc",
                                                       "Web Page not Opened", "URL Failed"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebAccess, AnEmptyLabelOpensNothing) {
    shell.association = "/usr/bin/assoc";
    EXPECT_FALSE(detector.openUrl(5, browser));
    EXPECT_TRUE(shell.started.empty());
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(WebAccess, HelpPageUsesTheAssociationOfTheHelpFile) {
    const std::string help = (temp / "help" / "vx3_help.htm").string();
    std::filesystem::create_directories(temp / "help");
    std::ofstream(help) << "<html></html>";
    shell.association = "/usr/bin/assoc";
    EXPECT_EQ(vx::BrowserLauncher::helpFilePath(temp.path().string() + "/"), help);

    EXPECT_TRUE(browser.OpenHelpPage(temp.path().string()));
    EXPECT_EQ(shell.askedAbout, std::vector<std::string>{help});
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0], std::make_pair(std::string("/usr/bin/assoc"), help));
    EXPECT_EQ(sink.panels["pnlSTAT"], "Opening: vx3_help.htm");
    EXPECT_FALSE(log.exists());  // shown, not logged
    EXPECT_TRUE(probeFolderEmpty());

    shell.startSucceeds = false;
    EXPECT_FALSE(browser.OpenHelpPage(temp.path().string()));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0],
              (vx::test::FakePrompter::Shown{"Web Page not Opened", "URL Failed", MessageIcon::Exclamation}));
}

TEST_F(WebAccess, MissingHelpFileHasNoBrowserUnlessOneIsConfigured) {
    shell.association = "/usr/bin/assoc";
    EXPECT_FALSE(browser.OpenHelpPage(temp.path().string()));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0],
              (vx::test::FakePrompter::Shown{"Could not find associated Browser or file\r\r" +
                                                 vx::BrowserLauncher::helpFilePath(temp.path().string()),
                                             "Browser Not Found", MessageIcon::Exclamation}));
    EXPECT_TRUE(shell.started.empty());

    config.WebBrowser = "/opt/web/browser";
    EXPECT_TRUE(browser.OpenHelpPage(temp.path().string()));
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0].first, "/opt/web/browser");
    EXPECT_TRUE(probeFolderEmpty());
}

class UrlExport : public WebAccess {
protected:
    std::string result = "not called";
    void exportNow() {
        detector.exportUrls(prompter, status, clock, temp.path().string(),
                            [this](const std::string& path) { result = path; });
    }
};

TEST_F(UrlExport, WritesTheListedUrlsUnderTheDefaultName) {
    feed(detector, "www.second ");
    prompter.textAnswers = {"URL-20261206-105121.txt"};
    exportNow();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text, "Enter a Filename: |URL-20261206-105121.txt");
    EXPECT_EQ(prompter.questions[0].title, "URL Export Filename");
    const auto file = temp / "URL-20261206-105121.txt";
    EXPECT_EQ(result, file.string());
    EXPECT_EQ(readFile(file), "http://example.org/x\r\nhttp://www.second\r\n");
    EXPECT_EQ(sink.panels["pnlSTAT"], "Exported: URL-20261206-105121.txt");
    EXPECT_NE(readFile(log.path()).find(" Exported: URL-20261206-105121.txt\r\n"), std::string::npos);
}

TEST_F(UrlExport, TxtIsAddedUnlessPresentInAnyCase) {
    prompter.textAnswers = {"list"};
    exportNow();
    EXPECT_TRUE(std::filesystem::exists(temp / "list.txt"));
    prompter.textAnswers = {"LIST2.TXT"};
    exportNow();
    EXPECT_TRUE(std::filesystem::exists(temp / "LIST2.TXT"));
    prompter.textAnswers = {"a.txt.bak"};
    exportNow();
    EXPECT_TRUE(std::filesystem::exists(temp / "a.txt.bak.txt"));
}

TEST_F(UrlExport, EmptyOrCancelledNameCancels) {
    for (const std::optional<std::string>& answer : {std::optional<std::string>(""), std::optional<std::string>()}) {
        prompter.messages.clear();
        prompter.textAnswers = {answer};
        exportNow();
        EXPECT_EQ(result, "");
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_EQ(prompter.messages[0].text, "Action cancelled!");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 0);
}

TEST_F(UrlExport, AnExistingFileIsOverwrittenOnlyOnYes) {
    std::ofstream(temp / "keep.txt") << "mine";
    std::ofstream(temp / "over.txt") << "old";
    prompter.textAnswers = {"keep", "over"};
    prompter.yesNoAnswers = {false, true};
    exportNow();
    ASSERT_EQ(prompter.questions.size(), 4u);
    EXPECT_EQ(prompter.questions[1], (vx::test::FakePrompter::Shown{"File Exists!\rWant to overwrite it?", "Export URL",
                                                                    MessageIcon::Question}));
    // No goes back to the name, proposing the default again.
    EXPECT_EQ(prompter.questions[2].text, "Enter a Filename: |URL-20261206-105121.txt");
    EXPECT_EQ(readFile(temp / "keep.txt"), "mine");
    EXPECT_EQ(readFile(temp / "over.txt"), "http://example.org/x\r\n");
    EXPECT_EQ(result, (temp / "over.txt").string());
}

TEST_F(UrlExport, AnEmptyListWritesAnEmptyFileWithoutStatus) {
    detector.clearUrls();
    prompter.textAnswers = {"empty"};
    exportNow();
    EXPECT_EQ(readFile(temp / "empty.txt"), "");
    EXPECT_EQ(sink.panels.count("pnlSTAT"), 0u);
}

TEST_F(UrlExport, AnUnwritableFolderReportsNothingWritten) {
    prompter.textAnswers = {"x"};
    detector.exportUrls(prompter, status, clock, (temp / "missing").string(),
                        [this](const std::string& path) { result = path; });
    EXPECT_EQ(result, "");
    EXPECT_EQ(sink.panels.count("pnlSTAT"), 0u);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], (vx::test::FakePrompter::Shown{"Could not write " + (temp / "missing" / "x.txt").string(),
                                                                   "Export URL", MessageIcon::Exclamation}));
}

}  // namespace
