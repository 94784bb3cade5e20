#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "config/ConfigSettings.h"
#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "support/FakeTimeline.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "tools/Capture.h"
#include "tools/CaptureFields.h"
#include "tools/UrlDetector.h"

namespace {

using vx::CaptureFile;
using vx::MessageIcon;
using Shown = vx::test::FakePrompter::Shown;

constexpr char kEol = static_cast<char>(155);

using vx::test::readFile;

std::string record(std::string_view chunk) { return "\"" + std::string(chunk) + "\"\r\n"; }

class CaptureTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    vx::test::FakeTimeline timeline;
    vx::test::FakeStatusSink sink;
    vx::SystemLog log{timeline, temp.path().string()};
    vx::StatusReporter status{sink, log};
    vx::test::FakePrompter prompter;
    vx::test::FakeSound sound;
    vx::test::FakeMojiSink moji;
    vx::UrlDetector urls;
    vx::ConfigSettings config;
    std::string screen;
    int changes = 0;
    int viewerFinished = 0;
    std::unique_ptr<CaptureFile> capture;

    void SetUp() override {
        status.setSysLog(true);
        config.CaptureFolder = (temp / "Captures").string();
        config.CaptureFileName = "VX3_Capture.txt";
        capture = std::make_unique<CaptureFile>(
            config, vx::CapturePorts{timeline, status, prompter, sound, moji, urls,
                                     [this](std::uint8_t b) { screen += static_cast<char>(b); }});
        capture->setOnChanged([this] { ++changes; });
        capture->setOnViewerFinished([this] { ++viewerFinished; });
    }
    std::filesystem::path file() const { return temp / "Captures" / "VX3_Capture.txt"; }
    void writeCaptureFile(const std::string& bytes) {
        std::filesystem::create_directories(temp / "Captures");
        std::ofstream(file(), std::ios::binary) << bytes;
    }
    std::string logText() const { return readFile(log.path()); }
};

TEST_F(CaptureTest, RecordsAreTheChunksInQuotesWithCrLfFlushedAtOnce) {
    capture->toggleCapture();
    capture->WriteCaptureRecord("AB");
    capture->WriteCaptureRecord(std::string(1, kEol));
    // Read while capture is still on: nothing waits in a buffer.
    const std::string bytes = readFile(file());
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.end()),
              (std::vector<unsigned char>{34, 65, 66, 34, 13, 10, 34, 155, 34, 13, 10}));

    const std::string awkward("a\"b,c\r\n\0\xff", 9);
    capture->WriteCaptureRecord(awkward);
    EXPECT_EQ(readFile(file()), bytes + record(awkward));
    // Dropping the capture while on keeps every record.
    capture.reset();
    EXPECT_EQ(readFile(file()), bytes + record(awkward));
}

TEST_F(CaptureTest, NothingIsWrittenWhileCaptureIsOff) {
    capture->WriteCaptureRecord("lost");
    EXPECT_FALSE(std::filesystem::exists(file()));
    capture->toggleCapture();
    capture->toggleCapture();
    capture->WriteCaptureRecord("lost");
    EXPECT_EQ(readFile(file()), "");
}

class CaptureModes : public CaptureTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CaptureModes, OldRecordsStayOnlyInAppendMode) {
    const bool append = GetParam();
    writeCaptureFile(record("old"));
    if (!append) capture->toggleMode();
    EXPECT_EQ(capture->appendMode(), append);
    capture->toggleCapture();
    capture->WriteCaptureRecord("new");
    EXPECT_EQ(readFile(file()), (append ? record("old") : "") + record("new"));
}

INSTANTIATE_TEST_SUITE_P(AppendOrReplace, CaptureModes, ::testing::Bool());

TEST_F(CaptureTest, TogglingTheModeWhileOnDoesNotReopenTheFile) {
    EXPECT_EQ(capture->modeCaption(), "Capture Mode: APPEND");
    capture->toggleCapture();
    capture->WriteCaptureRecord("one");
    capture->toggleMode();
    EXPECT_EQ(capture->modeCaption(), "Capture &Mode: REPLACE");
    capture->WriteCaptureRecord("two");
    EXPECT_EQ(readFile(file()), record("one") + record("two"));
    capture->toggleMode();
    EXPECT_EQ(capture->modeCaption(), "Capture &Mode: APPEND");
}

TEST_F(CaptureTest, TurningOnAndOffSetsCaptionsPanelAndBar) {
    EXPECT_EQ(capture->captureCaption(), "Capture On");
    EXPECT_EQ(capture->filenameCaption(), "Change &Filename: VX3_Capture.txt");
    capture->toggleCapture();
    EXPECT_TRUE(capture->captureOn());
    EXPECT_EQ(capture->captureCaption(), "Capture OFF");
    EXPECT_FALSE(capture->deleteEnabled());
    EXPECT_EQ(sink.panels["pnlCAPTURE"], "Cap");
    EXPECT_TRUE(capture->captureBarVisible());
    EXPECT_TRUE(std::filesystem::exists(file()));  // the folder was made on the way

    capture->toggleCapture();
    EXPECT_EQ(capture->captureCaption(), "Capture ON");
    EXPECT_TRUE(capture->deleteEnabled());
    EXPECT_EQ(sink.panels["pnlCAPTURE"], "");
    EXPECT_FALSE(capture->captureBarVisible());
    EXPECT_EQ(changes, 2);
}

TEST_F(CaptureTest, TheBarFlashesEvery750MillisecondsWhileOn) {
    capture->toggleCapture();
    EXPECT_FALSE(capture->blinkState());
    timeline.advance(749);
    EXPECT_TRUE(capture->captureBarVisible());
    EXPECT_FALSE(capture->blinkState());
    timeline.advance(1);
    EXPECT_TRUE(capture->blinkState());
    EXPECT_TRUE(capture->captureBarVisible());
    timeline.advance(750);
    EXPECT_FALSE(capture->blinkState());
    EXPECT_FALSE(capture->captureBarVisible());
    const int ticks = changes;
    capture->toggleCapture();
    timeline.advance(5000);
    EXPECT_EQ(changes, ticks + 1);
    EXPECT_EQ(timeline.activeTimers(), 0);
}

TEST_F(CaptureTest, AnUnopenableFileLeavesCaptureOff) {
    std::ofstream(temp / "Captures") << "a file where the folder should be";
    capture->toggleCapture();
    EXPECT_FALSE(capture->captureOn());
    EXPECT_EQ(capture->captureCaption(), "Capture On");
    EXPECT_EQ(sound.beeps, 1);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(timeline.activeTimers(), 0);
}

// A record that cannot be written stops capture and says so once; the file keeps whole records
// only. /dev/full fails every write with "no space left".
TEST_F(CaptureTest, AFailedWriteStopsCaptureAndTellsTheUserOnce) {
    std::filesystem::create_directories(temp / "Captures");
    std::filesystem::create_symlink("/dev/full", file());
    capture->toggleCapture();
    ASSERT_TRUE(capture->captureOn());
    capture->WriteCaptureRecord("lost to a full disk");
    capture->WriteCaptureRecord("and this too");
    EXPECT_FALSE(capture->captureOn());
    EXPECT_EQ(capture->captureCaption(), "Capture ON");
    EXPECT_FALSE(capture->captureBarVisible());
    EXPECT_EQ(sink.panels["pnlCAPTURE"], "");
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].text.find("could not be written"), std::string::npos);
    EXPECT_NE(logText().find("Capture stopped: "), std::string::npos);
    timeline.advance(3000);
    EXPECT_FALSE(capture->captureBarVisible());  // the bar no longer flashes
}

TEST_F(CaptureTest, ARecordCutShortByTheFileSizeLimitIsTakenBackWhole) {
    capture->toggleCapture();
    capture->WriteCaptureRecord("first");
    const auto whole = std::filesystem::file_size(file());
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = whole + 5;  // room for the quote and four characters of the next record
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    capture->WriteCaptureRecord("second record, too long to fit");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(capture->captureOn());
    EXPECT_EQ(readFile(file()), record("first"));
}

// The name can change for this run while capture is on; a record that then fails is taken back
// from the file being written, and the file the new name points at is left alone.
TEST_F(CaptureTest, AFailedRecordAfterARenameIsTakenBackFromTheOpenFile) {
    capture->toggleCapture();
    capture->WriteCaptureRecord("first");
    const std::string other = "a file of the same folder, longer than one record";
    std::ofstream(temp / "Captures" / "other.txt", std::ios::binary) << other;
    prompter.textAnswers = {"other.txt"};
    capture->rename();
    ASSERT_TRUE(capture->captureOn());
    const auto whole = std::filesystem::file_size(file());
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = whole + 5;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    capture->WriteCaptureRecord("second record, too long to fit");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(capture->captureOn());
    EXPECT_EQ(readFile(file()), record("first"));
    EXPECT_EQ(readFile(temp / "Captures" / "other.txt"), other);
}

TEST_F(CaptureTest, RenameIsForThisRunOnly) {
    prompter.textAnswers = {"session.txt"};
    capture->rename();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text,
              "This will change the current capture filename for this session ONLY! To change it permanently, do it "
              "in configuration.\rEnter filename to be used for Screen Captures:|VX3_Capture.txt");
    EXPECT_EQ(prompter.questions[0].title, "Capture File");
    EXPECT_EQ(capture->fileName(), "session.txt");
    EXPECT_EQ(capture->path(), (temp / "Captures" / "session.txt").string());
    EXPECT_EQ(capture->filenameCaption(), "Change &Filename: session.txt");
    EXPECT_EQ(config.CaptureFileName, "VX3_Capture.txt");
    EXPECT_FALSE(std::filesystem::exists(temp / "VX3_Cfg.ini"));

    // The configuration editor's save brings the configured name back.
    config.CaptureFileName = "edited.txt";
    capture->reloadSettings();
    EXPECT_EQ(capture->filenameCaption(), "Change &Filename: edited.txt");
}

TEST_F(CaptureTest, AnEmptyOrCancelledRenameKeepsTheName) {
    prompter.textAnswers = {"", std::nullopt};
    const int before = changes;
    capture->rename();
    capture->rename();
    EXPECT_EQ(capture->fileName(), "VX3_Capture.txt");
    EXPECT_EQ(capture->filenameCaption(), "Change &Filename: VX3_Capture.txt");
    EXPECT_EQ(changes, before + 2);  // the caption is refreshed all the same
}

TEST_F(CaptureTest, DeleteAsksFirst) {
    writeCaptureFile(record("x"));
    prompter.yesNoAnswers = {false, true};
    capture->deleteFile();
    EXPECT_TRUE(std::filesystem::exists(file()));
    EXPECT_EQ(prompter.questions[0],
              (Shown{"Are you sure you want to delete VX3_Capture.txt?", "DELETE FILE", MessageIcon::Question}));
    capture->deleteFile();
    EXPECT_FALSE(std::filesystem::exists(file()));

    capture->deleteFile();
    EXPECT_EQ(sound.beeps, 2);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0].text, "Capture File: VX3_Capture.txt does not exist!");
}

TEST_F(CaptureTest, DeleteDoesNothingWhileCapturing) {
    capture->toggleCapture();
    capture->deleteFile();
    EXPECT_TRUE(std::filesystem::exists(file()));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(CaptureTest, ViewingIsRefusedWhileCapturingOrWithoutAFile) {
    EXPECT_FALSE(capture->ViewCaptureFile(false, 0));
    EXPECT_EQ(prompter.messages.back(),
              (Shown{"FILE: VX3_Capture.txt does not exist!", "NOTE", MessageIcon::Exclamation}));
    capture->toggleCapture();
    EXPECT_FALSE(capture->ViewCaptureFile(true, 2000));
    EXPECT_EQ(prompter.messages.back(), (Shown{"Turn Capture OFF before viewing.", "ERROR", MessageIcon::Information}));
    EXPECT_EQ(sound.beeps, 2);
    EXPECT_TRUE(prompter.questions.empty());  // no count asked for
    EXPECT_FALSE(capture->viewerActive());
}

TEST_F(CaptureTest, TheViewerReadsTheFileThenReplaysOneCharacterPerMillisecond) {
    writeCaptureFile(record("AB") + record(std::string(1, kEol)) + record("C,D"));
    ASSERT_TRUE(capture->ViewCaptureFile(false, 0));
    EXPECT_TRUE(capture->viewerActive());
    EXPECT_TRUE(capture->viewerButtonsVisible());
    EXPECT_FALSE(capture->ViewCaptureFile(false, 0));  // one viewer at a time
    timeline.advance(0);
    EXPECT_EQ(screen, "A");
    timeline.advance(1);
    EXPECT_EQ(screen, "AB");
    EXPECT_EQ(timeline.runUntilIdle(), 4);
    EXPECT_EQ(screen, std::string("AB") + kEol + "C,D");
    EXPECT_FALSE(capture->viewerActive());
    EXPECT_EQ(viewerFinished, 1);
    EXPECT_EQ(sink.history,
              (std::vector<std::string>{"pnlSTAT=Loading Capture File... 2", "pnlSTAT=Loading Capture File... 3",
                                        "pnlSTAT=Loading Capture File... 6", "pnlSTAT=Viewing Capture File 6 bytes",
                                        "pnlSTAT="}));
    EXPECT_NE(logText().find(" Viewing Capture File 6 bytes\r\n"), std::string::npos);
}

TEST_F(CaptureTest, ARecordWithAQuoteIsCutWhereTheQuoteIs) {
    writeCaptureFile(record("say \"hi\"") + record("ok"));
    capture->ViewCaptureFile(false, 0);
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "say hi\"\"ok");
}

TEST_F(CaptureTest, ClearBeforeViewAndUrlDetectionFollowTheSettings) {
    writeCaptureFile(record("see http://a.b now"));
    config.ClrB4Vu = true;
    config.DetectURLs = true;
    capture->ViewCaptureFile(false, 0);
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "\x7dsee http://a.b now");
    EXPECT_EQ(urls.url(0), "http://a.b");

    screen.clear();
    urls.clearUrls();
    config.ClrB4Vu = false;
    config.DetectURLs = false;
    capture->ViewCaptureFile(false, 0);
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "see http://a.b now");
    EXPECT_EQ(urls.url(0), "");
}

TEST_F(CaptureTest, PauseHoldsTheReplayAndAbortEndsIt) {
    writeCaptureFile(record("0123456789"));
    capture->ViewCaptureFile(false, 0);
    timeline.advance(2);
    capture->toggleViewerPause();
    EXPECT_TRUE(capture->viewerPaused());
    EXPECT_EQ(sink.panels["pnlSTAT"], "Paused...");
    timeline.advance(100);
    EXPECT_EQ(screen, "012");
    capture->toggleViewerPause();
    EXPECT_EQ(sink.panels["pnlSTAT"], "Viewing...");
    timeline.advance(2);
    EXPECT_EQ(screen, "01234");
    capture->toggleViewerPause();
    capture->abortViewer();
    timeline.advance(0);
    EXPECT_EQ(screen, "01234");
    EXPECT_FALSE(capture->viewerActive());
    EXPECT_FALSE(capture->viewerPaused());
    EXPECT_FALSE(capture->viewerStopRequested());
    EXPECT_EQ(sink.panels["pnlSTAT"], "");
    EXPECT_EQ(viewerFinished, 1);
    capture->abortViewer();  // idle: nothing to stop
    EXPECT_FALSE(capture->viewerStopRequested());
}

TEST_F(CaptureTest, AbortWhileReadingReplaysNothingButStillClears) {
    writeCaptureFile(record("never shown"));
    config.ClrB4Vu = true;
    capture->ViewCaptureFile(false, 0);
    capture->abortViewer();
    EXPECT_TRUE(capture->viewerStopRequested());
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "\x7d");
    EXPECT_FALSE(capture->viewerActive());
    EXPECT_EQ(sink.panels["pnlSTAT"], "");
    EXPECT_EQ(viewerFinished, 1);
}

TEST_F(CaptureTest, AReaderThatStopsAdvancingGivesUpAfterSixEmptyFields) {
    std::string bytes = record("XY");
    for (int i = 0; i < 6; ++i) bytes += record("");
    writeCaptureFile(bytes + record("AB"));
    capture->ViewCaptureFile(false, 0);
    timeline.advance(0);
    EXPECT_EQ(sink.panels["pnlSTAT"], "READFILE Aborted at last char");
    EXPECT_NE(logText().find(" READFILE Aborted at last char\r\n"), std::string::npos);
    timeline.advance(999);
    EXPECT_EQ(screen, "");
    timeline.advance(1);
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "XY");
    EXPECT_NE(logText().find(" Viewing Capture File 2 bytes\r\n"), std::string::npos);
}

TEST_F(CaptureTest, ExportWritesCodesAndStopsAfterTheRecordThatReachesTheCount) {
    writeCaptureFile(record(std::string(3000, 'A')) + record("B"));
    moji.codes = "old;";
    prompter.textAnswers = {"2000"};
    ASSERT_TRUE(capture->ViewCaptureFile(true, CaptureFile::kDefaultDumpCount));
    EXPECT_EQ(prompter.questions[0].text, "Enter # of Chars to Dump:|2000");
    timeline.runUntilIdle();
    std::string expected;
    for (int i = 0; i < 3000; ++i) expected += "65;";
    EXPECT_EQ(moji.codes, expected + "\r\n");
    EXPECT_EQ(moji.shows, 1);
    EXPECT_EQ(screen, std::string(3000, 'A'));  // the export is replayed too
}

TEST_F(CaptureTest, TheExportCountIsTheUsersNumber) {
    writeCaptureFile(record("AB") + record("CDE") + record("FG"));
    prompter.textAnswers = {" 5 chars"};
    capture->ViewCaptureFile(true, CaptureFile::kDefaultDumpCount);
    timeline.runUntilIdle();
    EXPECT_EQ(capture->dumpCount(), 5);
    EXPECT_EQ(moji.codes, "65;66;\r\n67;68;69;\r\n");
    EXPECT_EQ(screen, "ABCDE");
}

TEST_F(CaptureTest, AnEmptyFileShowsNothing) {
    writeCaptureFile("");
    capture->ViewCaptureFile(false, 0);
    timeline.runUntilIdle();
    EXPECT_EQ(screen, "");
    EXPECT_NE(logText().find(" Viewing Capture File 0 bytes\r\n"), std::string::npos);
    EXPECT_EQ(viewerFinished, 1);
}

struct FieldCase {
    const char* name;
    std::string data;
    std::size_t at;
    std::string field;
    std::size_t next;
};
void PrintTo(const FieldCase& c, std::ostream* out) { *out << c.name; }

class CaptureFieldSplit : public ::testing::TestWithParam<FieldCase> {};

TEST_P(CaptureFieldSplit, ReadsOneField) {
    const FieldCase& c = GetParam();
    const vx::CaptureField field = vx::readCaptureField(c.data, c.at);
    EXPECT_EQ(field.text, c.field);
    EXPECT_EQ(field.next, c.next);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CaptureFieldSplit,
    ::testing::Values(FieldCase{"QuotedThenCrLf", "\"AB\"\r\n\"C\"", 0, "AB", 6},
                      FieldCase{"CommaInsideQuotes", "\"a,b\"\r\n", 0, "a,b", 7},
                      FieldCase{"QuoteNotFollowedByADelimiter", "\"AB\"CD\"\r\n", 0, "AB", 4},
                      FieldCase{"UnquotedRunsToTheLineEnd", "\"AB\"CD\"\r\n", 4, "CD\"", 9},
                      FieldCase{"UnquotedRunsToTheComma", "A,B", 0, "A", 2},
                      FieldCase{"LastUnquoted", "A,B", 2, "B", 3}, FieldCase{"LoneComma", ",", 0, "", 1},
                      FieldCase{"LoneCrLf", "\r\n", 0, "", 2}, FieldCase{"LoneCr", "\rX", 0, "", 1},
                      FieldCase{"LoneLf", "\n", 0, "", 1}, FieldCase{"EmptyQuotes", "\"\"", 0, "", 2},
                      FieldCase{"Unterminated", "\"open", 0, "open", 5}, FieldCase{"AtTheEnd", "\"A\"", 3, "", 3},
                      FieldCase{"PastTheEnd", "ab", 7, "", 2},
                      FieldCase{"AllBytesKept", std::string("\"\0\x9b\xff\"", 5), 0, std::string("\0\x9b\xff", 3), 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CaptureReader, DoubleQuotesTypedThroughASessionDoNotStopTheReplay) {
    // Each echoed double quote is a chunk of its own; its record reads as empty fields. Spread
    // over a session they never come six in a row, so the whole file is replayed.
    std::string file;
    for (int i = 0; i < 6; ++i) file += record("line " + std::to_string(i) + "\x9b") + record("\"");
    file += record("THE END");
    vx::CaptureReader reader(file, false, 0);
    while (reader.readNext()) {
    }
    EXPECT_FALSE(reader.aborted());
    EXPECT_TRUE(reader.finished());
    // The quotes cut records where they stand, as they always did; the last record is reached.
    EXPECT_NE(reader.replayText().find("THE END"), std::string::npos);
}

TEST(CaptureReader, ChunksWithoutQuotesComeBackExactly) {
    std::string file, expected;
    for (int i = 0; i < 200; ++i) {
        std::string chunk;
        for (int j = 0; j <= i % 37; ++j) {
            const char c = static_cast<char>((i * 31 + j * 7) % 256);
            if (c != '"') chunk += c;
        }
        if (chunk.empty()) continue;
        file += record(chunk);
        expected += chunk;
    }
    vx::CaptureReader reader(file, false, 0);
    while (reader.readNext()) {
    }
    EXPECT_TRUE(reader.finished());
    EXPECT_FALSE(reader.aborted());
    EXPECT_EQ(reader.replayText(), expected);
    EXPECT_EQ(reader.count(), static_cast<std::int64_t>(expected.size()));
}

}  // namespace
