// The BBS editor's rules, on a list of five records in a fresh folder, with the questions
// answered by the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/IniFile.h"
#include "config/Scrambler.h"
#include "directory/BBSEditor.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using vx::BBSEditor;
using vx::BBSEditorFields;
using Answer = vx::Prompter::Answer;

namespace {

using vx::test::readFile;

class BBSEditorTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    std::string path = (temp / "VX3_BBS.INI").string();
    vx::SettingsStore store;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    vx::test::FakeRandom random;
    vx::Scrambler scrambler{random};
    vx::ConfigSettings config;
    vx::BBSList list{store, prompter, clock, path};
    bool loggedIn = false;
    std::deque<bool> loginAnswers;
    int logins = 0;
    std::optional<std::optional<std::string>> closedWith;
    std::string signatureSent;
    std::optional<std::string> portPicked;
    std::vector<std::string> portsOffered;
    int portSelected = -1;
    std::unique_ptr<BBSEditor> editor;

    void SetUp() override {
        ASSERT_TRUE(list.CreateBBSListFile());
        ASSERT_TRUE(list.LoadBBSList());
        for (int id = 2; id <= 5; ++id) ASSERT_EQ(list.addRecord(), id);
        BBSEditor::Hooks hooks;
        hooks.login = [this](std::function<void(bool)> done) {
            ++logins;
            bool ok = false;
            if (!loginAnswers.empty()) {
                ok = loginAnswers.front();
                loginAnswers.pop_front();
            }
            done(ok);
        };
        hooks.sendSignature = [this](const std::string& text) { signatureSent = text; };
        hooks.closed = [this](std::optional<std::string> id) { closedWith = id; };
        hooks.choosePort = [this](std::vector<std::string> ports, int selected,
                                  std::function<void(std::optional<std::string>)> done) {
            portsOffered = ports;
            portSelected = selected;
            done(portPicked);
        };
        editor = std::make_unique<BBSEditor>(list, prompter, clock, config, scrambler, loggedIn, std::move(hooks));
    }
    std::string stored(const std::string& section, const std::string& key) {
        return vx::IniFile::parse(readFile(path)).read(section, key, "<missing>");
    }
    void setPassword(const std::string& password) { config.SData = scrambler.ScrambleText(password); }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& m : prompter.messages) texts.push_back(m.text);
        return texts;
    }
};

TEST_F(BBSEditorTest, OpensOnRecordOneWhenNoneIsGiven) {
    editor->open("");
    EXPECT_EQ(editor->fields().id, "1");
    EXPECT_EQ(editor->fields().name, "Vexterm Demo BBS");
    EXPECT_EQ(editor->fields().address, "127.0.0.1");
    EXPECT_EQ(editor->fields().port, "6502");
    EXPECT_FALSE(editor->changed());
    EXPECT_EQ(editor->caption(), "BBS Editor - Last Edit: 2026.12.06 - 10:51 AM by v3.14  Build: 717");
}

// Stepping goes through the IDs in use, past the ends to the other end; a deleted ID is skipped.
struct StepCase {
    const char* name;
    std::string from;
    int direction;
    std::string shown;
};
void PrintTo(const StepCase& c, std::ostream* out) { *out << c.name; }

class Stepping : public BBSEditorTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(Stepping, LandsOnTheNeighbourInUse) {
    ASSERT_TRUE(list.DeleteBBSRecord("3"));
    editor->open(GetParam().from);
    GetParam().direction > 0 ? editor->next() : editor->previous();
    EXPECT_EQ(editor->fields().id, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Records, Stepping,
                         ::testing::Values(StepCase{"NextSkipsTheDeleted", "2", +1, "4"},
                                           StepCase{"PreviousSkipsTheDeleted", "4", -1, "2"},
                                           StepCase{"NextWrapsToTheFirst", "5", +1, "1"},
                                           StepCase{"PreviousWrapsToTheLast", "1", -1, "5"},
                                           StepCase{"FromTheDefaultNextIsTheFirst", "Default", +1, "1"},
                                           StepCase{"FromTheDefaultPreviousIsTheLast", "Default", -1, "5"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BBSEditorTest, AddReusesTheLowestFreeIdAndTheCountStaysRight) {
    editor->open("2");
    ASSERT_TRUE(list.DeleteBBSRecord("3"));
    editor->addBBS();
    EXPECT_EQ(editor->fields().id, "3");
    EXPECT_EQ(editor->fields().name, "New BBS - 3");
    EXPECT_EQ(messages().back(), "BBS added - ID: 3");
    EXPECT_EQ(stored("Config", "NumBBS"), "5");
    editor->fixList();
    EXPECT_EQ(messages().back(), "List OK!");
}

TEST_F(BBSEditorTest, FixListAsksThenRepairsTheCount) {
    ASSERT_TRUE(store.WriteSettingValue(path, "Config", "NumBBS", "S", "9") == vx::SettingsStore::kOk);
    ASSERT_TRUE(list.LoadBBSList());
    editor->open("1");
    prompter.yesNoAnswers = {true};
    editor->fixList();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text, "Discrepancy in Number of BBSes!\r\nWant to fix it?");
    EXPECT_EQ(prompter.questions[0].title, "List Problem");
    EXPECT_EQ(messages().back(), "Fixed!");
    EXPECT_EQ(stored("Config", "NumBBS"), "5");
}

// The Permanent mark that counts is the one loaded, not an unsaved tick.
TEST_F(BBSEditorTest, PermanentRefusesDeleteByTheRecordAsLoaded) {
    editor->open("1");  // the sample record is permanent
    editor->edit([](BBSEditorFields& f) { f.permanent = false; });
    editor->deleteBBS();
    EXPECT_EQ(messages().back(), "Cannot delete this BBS record... it is marked as Permanent!");
    EXPECT_TRUE(prompter.questions.empty());

    ASSERT_EQ(store.WriteSettingValue(path, "2", "Permanent", "S", "False"), vx::SettingsStore::kOk);
    editor->open("2");
    editor->edit([](BBSEditorFields& f) { f.permanent = true; });
    prompter.yesNoAnswers = {true};
    editor->deleteBBS();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].title, "BBS ID: 2 - New BBS - 2");
    EXPECT_TRUE(editor->fields().deleted);
    EXPECT_EQ(editor->recId(), "0");
    EXPECT_EQ(list.map()[1], '0');
    // A deleted record is not written back: no section "0" appears, the old one stays blank.
    editor->edit([](BBSEditorFields& f) { f.name = "ghost"; });
    editor->saveAndClose();
    EXPECT_EQ(stored("0", "BBSname"), "<missing>");
    EXPECT_EQ(stored("2", "BBSname"), "");
}

TEST_F(BBSEditorTest, HiddenMacrosAreScrambledInTheFileAndLockedUntilLogin) {
    setPassword("open sesame");
    editor->open("2");
    loginAnswers = {true};
    editor->hiddenBoxClicked(3, true);  // asks for the password first
    EXPECT_EQ(logins, 1);
    editor->edit([](BBSEditorFields& f) { f.macros[3] = "secret<cr>"; });
    editor->saveButton();
    const std::string inFile = stored("2", "Macro3");
    EXPECT_NE(inFile, "secret<cr>");
    EXPECT_EQ(vx::Scrambler::UnscrambleText(inFile), "secret<cr>");
    EXPECT_EQ(stored("2", "MacVisible3"), "1");

    // Shown again: the macro is masked and locked, the others open.
    editor->open("2");
    EXPECT_FALSE(loggedIn);
    EXPECT_TRUE(editor->macroMasked(3));
    EXPECT_FALSE(editor->macroEnabled(3));
    EXPECT_TRUE(editor->macroEnabled(0));
    EXPECT_EQ(editor->fields().macros[3], "secret<cr>");
    loginAnswers = {false};
    editor->hiddenButton();
    EXPECT_FALSE(editor->macroEnabled(3));
    loginAnswers = {true};
    editor->hiddenButton();
    EXPECT_TRUE(editor->macroEnabled(3));
    editor->hiddenButton();  // logs out
    EXPECT_FALSE(editor->macroEnabled(3));
    EXPECT_FALSE(editor->changed());
}

TEST_F(BBSEditorTest, AFailedLoginPutsTheHiddenBoxBack) {
    setPassword("pw");
    editor->open("2");
    loginAnswers = {false};
    editor->hiddenBoxClicked(1, true);
    EXPECT_FALSE(editor->fields().hidden[1]);
    EXPECT_FALSE(editor->changed());
}

TEST_F(BBSEditorTest, WithoutAPasswordNothingCanBeHidden) {
    editor->open("2");
    editor->hiddenButton();
    editor->hiddenBoxClicked(1, true);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "You have not set the Vexterm password yet.  You may do this in configuration Tab #1.",
                              "You have not set a Vexterm password yet.  You may do this in configuration Tab #1."}));
    EXPECT_EQ(prompter.messages[0].title, "OOPS");
    EXPECT_EQ(logins, 0);
    EXPECT_FALSE(editor->fields().hidden[1]);
}

TEST_F(BBSEditorTest, CopyKeepsTimeOnlineAndMaxSpeedWithNoConnects) {
    ASSERT_EQ(store.WriteSettingValue(path, "2", "TotalTime", "S", "3725"), vx::SettingsStore::kOk);
    ASSERT_EQ(store.WriteSettingValue(path, "2", "MaxBaud", "S", "2400"), vx::SettingsStore::kOk);
    ASSERT_EQ(store.WriteSettingValue(path, "2", "Connects", "S", "7"), vx::SettingsStore::kOk);
    ASSERT_EQ(store.WriteSettingValue(path, "2", "LastCall", "S", "12/01/2026 09:00PM"), vx::SettingsStore::kOk);
    editor->open("2");
    prompter.yesNoAnswers = {true};  // Copy Macros?
    editor->copyBBS();
    EXPECT_EQ(prompter.questions.back().text, "Copy Macros?");
    EXPECT_EQ(editor->fields().id, "6");
    EXPECT_EQ(editor->fields().connects, "0");
    EXPECT_EQ(editor->fields().totalOnline, "1:02:05");
    EXPECT_EQ(editor->fields().maxBps, "2400");
    EXPECT_EQ(editor->fields().lastCall, "");
    EXPECT_EQ(stored("6", "TotalTime"), "3725");
}

// Leaving a changed record asks first; Cancel stays, No drops the edits, Yes saves them. Add,
// Copy and Edit Default ask too, so no edit is lost without a word.
struct LeaveCase {
    const char* name;
    std::function<void(BBSEditor&)> leave;
    Answer answer;
    std::string savedName;  // the name in the file afterwards
    std::string shownId;
};
void PrintTo(const LeaveCase& c, std::ostream* out) { *out << c.name; }

class LeavingChanges : public BBSEditorTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeavingChanges, AsksAndActsOnTheAnswer) {
    editor->open("2");
    editor->edit([](BBSEditorFields& f) { f.name = "Edited Board"; });
    prompter.yesNoCancelAnswers = {GetParam().answer};
    prompter.yesNoAnswers = {false};  // "Copy Macros?" for the copy
    GetParam().leave(*editor);
    ASSERT_FALSE(prompter.questions.empty());
    EXPECT_EQ(prompter.questions[0].text, "Data has Changed. Save?");
    EXPECT_EQ(stored("2", "BBSname"), GetParam().savedName);
    EXPECT_EQ(editor->fields().id, GetParam().shownId);
}

const auto kNext = [](BBSEditor& e) { e.next(); };
const auto kAdd = [](BBSEditor& e) { e.addBBS(); };
const auto kCopy = [](BBSEditor& e) { e.copyBBS(); };
const auto kDefault = [](BBSEditor& e) { e.editDefault(); };
INSTANTIATE_TEST_SUITE_P(
    Actions, LeavingChanges,
    ::testing::Values(LeaveCase{"NextCancelled", kNext, Answer::Cancel, "New BBS - 2", "2"},
                      LeaveCase{"NextDropping", kNext, Answer::No, "New BBS - 2", "3"},
                      LeaveCase{"NextSaving", kNext, Answer::Yes, "Edited Board", "3"},
                      LeaveCase{"AddSaving", kAdd, Answer::Yes, "Edited Board", "6"},
                      LeaveCase{"AddCancelled", kAdd, Answer::Cancel, "New BBS - 2", "2"},
                      LeaveCase{"CopySaving", kCopy, Answer::Yes, "Edited Board", "6"},
                      LeaveCase{"DefaultDropping", kDefault, Answer::No, "New BBS - 2", "Default"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BBSEditorTest, CancelAnsweredNoStillSaves) {
    editor->open("2");
    editor->edit([](BBSEditorFields& f) { f.sysop = "Kept"; });
    prompter.yesNoAnswers = {false};
    editor->cancel();
    EXPECT_EQ(prompter.questions[0].text, "Lose Changes to BBS entry?");
    EXPECT_EQ(stored("2", "Sysop"), "Kept");
    ASSERT_TRUE(closedWith.has_value());
    EXPECT_FALSE(closedWith->has_value());  // closed, with no call asked for

    editor->open("3");
    editor->edit([](BBSEditorFields& f) { f.sysop = "Dropped"; });
    prompter.yesNoAnswers = {true};
    editor->cancel();
    EXPECT_EQ(stored("3", "Sysop"), "{BBS Sysop name}");
}

TEST_F(BBSEditorTest, SaveStampsLastEditedAndSplitsHostAndPort) {
    editor->open("2");
    editor->edit([](BBSEditorFields& f) { f.address = "[2001:db8::7]:6400"; });
    editor->saveButton();
    EXPECT_EQ(stored("2", "URL"), "2001:db8::7");
    EXPECT_EQ(stored("2", "Port"), "6400");
    EXPECT_EQ(stored("2", "LastEdited"), "12/06/2026 10:51 AM");
    EXPECT_EQ(editor->fields().port, "6400");
    editor->edit([](BBSEditorFields& f) { f.address = "bbs.example.org:8888"; });
    editor->saveButton();
    EXPECT_EQ(stored("2", "URL"), "bbs.example.org");
    EXPECT_EQ(stored("2", "Port"), "8888");
}

TEST_F(BBSEditorTest, SaveCloseConnectHandsTheRecordToTheTerminal) {
    editor->open("4");
    editor->edit([](BBSEditorFields& f) { f.name = "Dial Me"; });
    editor->saveCloseConnect();
    ASSERT_TRUE(closedWith.has_value());
    EXPECT_EQ(*closedWith, std::optional<std::string>("4"));
    EXPECT_EQ(stored("4", "BBSname"), "Dial Me");
    EXPECT_FALSE(editor->isOpen());
}

// Editing another board leaves the board selected for calling alone; saving that very board
// updates it at once.
TEST_F(BBSEditorTest, TheCurrentRecordChangesOnlyWhenItIsTheOneSaved) {
    ASSERT_TRUE(list.LoadBBSRecord("1"));
    editor->open("2");
    editor->edit([](BBSEditorFields& f) { f.name = "Other"; });
    editor->saveButton();
    editor->addBBS();
    EXPECT_EQ(list.recordId(), "1");
    EXPECT_EQ(list.record().BBSname, "Vexterm Demo BBS");
    editor->open("1");
    editor->edit([](BBSEditorFields& f) { f.macros[5] = "hello<cr>"; });
    editor->saveButton();
    EXPECT_EQ(list.activeMacros()[5], "hello\x9b");
}

// The statistics belong to the calls. An editor opened before a call saves during it and after
// it without taking back what the call counted (the live top speed included). The figures shown
// follow each call in the desktop test of three calls.
TEST_F(BBSEditorTest, SavesNeverTakeBackTheCallStatistics) {
    ASSERT_TRUE(list.LoadBBSRecord("2"));
    editor->open("2");
    editor->edit([](BBSEditorFields& f) { f.comment = "typed before the call"; });
    ASSERT_TRUE(list.UpdateBBSStats("2", false, ""));
    list.record().MaxBaud = 12000;
    editor->saveButton();
    EXPECT_EQ(std::stoi(stored("2", "Connects")), 1);
    EXPECT_EQ(std::stoi(stored("2", "MaxBaud")), 12000);

    list.record().TotalTime += 600;
    ASSERT_TRUE(list.UpdateBBSStats("2", true, "0:10:00"));
    editor->edit([](BBSEditorFields& f) { f.comment = "typed after the call"; });
    editor->saveAndClose();
    EXPECT_EQ(stored("2", "Comment"), "typed after the call");
    EXPECT_EQ(std::stoi(stored("2", "Connects")), 1);
    EXPECT_EQ(std::stoi(stored("2", "MaxBaud")), 12000);
    EXPECT_EQ(std::stoi(stored("2", "TotalTime")), 600);
    EXPECT_EQ(stored("2", "LastTimeOnline"), "0:10:00");
}

TEST_F(BBSEditorTest, ChoosePortOffersTheListAndTheCurrentPort) {
    editor->open("1");  // ports "6502 23 8889", port 6502
    editor->edit([](BBSEditorFields& f) { f.port = "7000"; });
    portPicked = "8889";
    editor->choosePort();
    EXPECT_EQ(portsOffered, (std::vector<std::string>{"6502", "23", "8889", "7000"}));
    EXPECT_EQ(portSelected, 3);
    EXPECT_EQ(editor->fields().port, "8889");
}

TEST_F(BBSEditorTest, SignSendsTheSignatureBox) {
    editor->open("1");
    editor->edit([](BBSEditorFields& f) { f.signature = "-- joe"; });
    editor->sign();
    EXPECT_EQ(signatureSent, "-- joe");
    editor->clearSignature();
    EXPECT_EQ(editor->fields().signature, "");
}

TEST_F(BBSEditorTest, TheDirectoryFiltersByNameAddressOrSysop) {
    editor->open("1");
    const auto ids = [&](const std::string& filter) {
        std::vector<int> found;
        for (const auto& line : editor->directory(filter)) found.push_back(line.id);
        return found;
    };
    EXPECT_EQ(ids(""), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ids("demo"), (std::vector<int>{1}));
    EXPECT_EQ(ids("127.0.0"), (std::vector<int>{1}));
    EXPECT_EQ(ids("VEXTERM DEVELOPERS"), (std::vector<int>{1}));
    EXPECT_EQ(ids("new bbs - 4"), (std::vector<int>{4}));
    EXPECT_TRUE(ids("nowhere").empty());
}

// A list written by the Windows program: an edit of one field changes that field and the edit
// stamps; every comment, section, key (in its letter case), value and order stays, and keys the
// record lacked are only added at the end of its section.
TEST(BBSEditorWindowsList, AnEditChangesOnlyWhatWasEdited) {
    vx::test::TempDir temp;
    const std::string path = (temp / "VX3_BBS.INI").string();
    std::filesystem::copy_file(std::filesystem::path(VX_TEST_DATA_DIR) / "config/windows/VX3_BBS.INI", path);
    const std::string before = readFile(path);
    vx::SettingsStore store;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    vx::test::FakeRandom random;
    vx::Scrambler scrambler{random};
    vx::ConfigSettings config;
    bool loggedIn = false;
    vx::BBSList list{store, prompter, clock, path};
    ASSERT_TRUE(list.LoadBBSList());
    BBSEditor editor(list, prompter, clock, config, scrambler, loggedIn, {});
    editor.open("1");
    editor.edit([](BBSEditorFields& f) { f.sysop = "Marta"; });
    editor.saveButton();
    const std::string after = readFile(path);

    const auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        std::size_t at = 0;
        while (at < text.size()) {
            const auto end = text.find("\r\n", at);
            out.push_back(text.substr(at, end - at));
            at = end == std::string::npos ? text.size() : end + 2;
        }
        return out;
    };
    const auto keyOf = [](const std::string& line) { return line.substr(0, line.find('=')); };
    const vx::IniFile old = vx::IniFile::parse(before), now = vx::IniFile::parse(after);
    // Each old line is found again, in order: comments and headers as they were, key lines with
    // the same key text and (unless edited) the same value as the program reads it.
    const std::vector<std::string> newLines = lines(after);
    std::size_t cursor = 0;
    std::string section;
    for (const std::string& line : lines(before)) {
        if (line.starts_with('[')) section = line.substr(1, line.find(']') - 1);
        const bool keyLine = line.find('=') != std::string::npos && !line.starts_with(';');
        while (cursor < newLines.size() &&
               (keyLine ? keyOf(newLines[cursor]) != keyOf(line) : newLines[cursor] != line))
            ++cursor;
        ASSERT_LT(cursor, newLines.size()) << "lost or moved: " << line;
        if (keyLine) {
            const std::string key = keyOf(line);
            const bool edited = section == "1" && (key == "Sysop" || key == "LastEdited");
            const bool stamp = section == "System";
            if (!edited && !stamp) {
                EXPECT_EQ(now.read(section, key, "?"), old.read(section, key, "?")) << section << " " << key;
            }
        }
        ++cursor;
    }
    EXPECT_EQ(now.read("1", "Sysop", ""), "Marta");
    EXPECT_EQ(now.read("1", "Macro1", ""), "11F51EF7127684F020AB82");  // the hidden macro, untouched
    EXPECT_EQ(now.read("1", "Macro2", ""), "hi<cr>");
}

TEST_F(BBSEditorTest, SteppingIsOffDuringACall) {
    editor->open("2");
    editor->setConnected(true);
    EXPECT_FALSE(editor->steppingEnabled());
    editor->next();
    editor->editDefault();
    EXPECT_EQ(editor->fields().id, "2");
}

}  // namespace
