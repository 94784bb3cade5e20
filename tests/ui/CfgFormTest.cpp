// The configuration editor against a real configuration file in a temporary folder.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "config/ConfigFile.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "ui/config/CfgForm.h"
#include "support/UiTestSupport.h"

using namespace vx;

namespace {

// The check boxes and the keys they edit, as the window's users know them.
const std::pair<const char*, const char*> kCheckBoxes[] = {
    {"Check3", "ClrB4Vu"},
    {"chkBuzzer", "Buzzer"},
    {"chkS2BClearBox", "Scroll2BoxClrBox"},
    {"chkTitleBarMsg", "TitleBarMsg"},
    {"chkEnableRAWEdits", "EnableRawEdits"},
    {"chkAutoLoadStatus", "AutoLoadStatus"},
    {"chk_UseBBSEditor", "UseBBSEditor"},
    {"chkTmrOnline", "OnlineTimer"},
    {"chkScrollBack", "ScrollBack"},
    {"chkSpeedChk", "SpeedCheck"},
    {"chkSystemLog", "SysLog"},
    {"chkDiscPopup", "DiscPopup"},
    {"chkVXE", "AutoVXE"},
    {"chkBeep", "BeepOnConnect"},
    {"chkAutoNext", "AutoNext"},
    {"chkTxtWindow", "UseTW"},
    {"chkDetectURLs", "DetectURLs"},
    {"chkUseDTSDname", "DTScreenDumpName"},
    {"Check5", "ClrAftConnect"},
    {"chkKeyDelay", "KeyPressDelay"},
    {"chkAtariClick", "AtariClick"},
    {"chkDumpAsShown", "DumpAsShown"},
    {"chkZmodemAutoStart", "ZmodemAutoStart"},
};
const char* const kAllOnOffBoxes[] = {"chk_UseBBSEditor", "chkTmrOnline", "chkSystemLog",     "chkTxtWindow",
                                      "chkDetectURLs",    "chkVXE",       "chkAutoLoadStatus"};

bool& flag(ConfigSettings& settings, const char* key) {
    return settings.*std::get<bool ConfigSettings::*>(findConfigKey(key)->field);
}

std::string fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The keys whose values differ, for failure messages.
QString differences(const ConfigSettings& a, const ConfigSettings& b) {
    QStringList keys;
    for (const ConfigKey& row : configKeys())
        std::visit(
            [&](auto member) {
                if (!(a.*member == b.*member)) keys << row.key;
            },
            row.field);
    if (a.TotalIncoming != b.TotalIncoming || a.SessionNum != b.SessionNum || a.DATAwritten != b.DATAwritten)
        keys << "(totals)";
    return keys.join(", ");
}

// A key's value as the editor shows it.
QString valueOf(const ConfigSettings& settings, const char* key) {
    return std::visit(
        [&](auto member) {
            const auto& value = settings.*member;
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>)
                return QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())).trimmed();
            else
                return QString::number(value);
        },
        findConfigKey(key)->field);
}

// A system folder with a saved configuration, the settings as loaded from it, and the editor.
struct Rig {
    test::TempDir temp;
    std::string system = (temp / "Vexterm").string();
    std::string path = system + "/VX3_Cfg.ini";
    SettingsStore store;
    test::FakeRandom random;
    Scrambler scrambler{random};
    test::FakePrompter prompter;
    ConfigSettings config;
    int recreated = 0;
    int fatal = 0;
    std::vector<CfgSaved> saved;
    std::unique_ptr<CfgForm> form;

    explicit Rig(const std::function<void(ConfigSettings&)>& adjust = {}) {
        for (const char* folder : {"", "/Screens", "/Mojis", "/Captures"})
            std::filesystem::create_directories(system + folder);
        ConfigFile file(store, path);
        file.WriteConfigHeader(test::FakeClock().now());
        ConfigSettings first = firstRunSettings(system);
        if (adjust) adjust(first);
        file.SaveConfig(first);
        config = reload();
        form = std::make_unique<CfgForm>(
            CfgForm::Services{config, store, path, scrambler, prompter, [this] { ++recreated; },
                              [this](const CfgSaved& outcome) { saved.push_back(outcome); }, [this] { ++fatal; }});
    }
    ConfigSettings reload() { return ConfigFile(store, path).LoadConfig(system, scrambler); }
    template <typename T = QWidget>
    T* find(const char* name) const {
        T* widget = form->findChild<T*>(name);
        if (!widget) qWarning("no control %s", name);
        return widget;
    }
    QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
    QCheckBox* check(const char* name) const { return find<QCheckBox>(name); }
    void click(const char* name) const { find<QPushButton>(name)->click(); }
    // Typed key by key where a user could type it.
    void type(const char* name, const QString& text) const {
        edit(name)->clear();
        const bool typeable = !edit(name)->isReadOnly() &&
                              std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
        if (typeable)
            QTest::keyClicks(edit(name), text);
        else
            edit(name)->setText(text);
    }
    QFileDialog* chooser() const {
        for (QFileDialog* dialog : form->findChildren<QFileDialog*>())
            if (dialog->isVisible()) return dialog;
        return nullptr;
    }
};

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

}  // namespace

class CfgFormTest : public QObject {
    Q_OBJECT

private slots:
    void init() { vx::test::failOnUnexpectedWarnings(); }

    void eachCheckBoxEditsItsOwnKey_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("key");
        for (const auto& [control, key] : kCheckBoxes) QTest::newRow(control) << QString(control) << QString(key);
    }
    void eachCheckBoxEditsItsOwnKey() {
        QFETCH(QString, control);
        QFETCH(QString, key);
        Rig rig([](ConfigSettings& s) {
            for (const auto& [name, k] : kCheckBoxes) flag(s, k) = false;
        });
        rig.form->open();
        for (const auto& [name, k] : kCheckBoxes) QVERIFY2(rig.check(name) && !rig.check(name)->isChecked(), name);

        rig.check(qPrintable(control))->setChecked(true);
        rig.click("Command1");
        QVERIFY(!rig.form->isVisible());
        ConfigSettings expected = rig.reload();
        QVERIFY(flag(expected, qPrintable(key)));
        for (const auto& [name, k] : kCheckBoxes)
            if (k != key) QVERIFY2(!flag(expected, k), k);
        QVERIFY2(rig.config == expected, qPrintable(differences(rig.config, expected)));
        QCOMPARE(expected.TextWindow, expected.UseTW);

        // Opening again shows the stored value on that box alone.
        rig.form->open();
        for (const auto& [name, k] : kCheckBoxes) QCOMPARE(rig.check(name)->isChecked(), control == name);
        QVERIFY(rig.prompter.questions.empty());
    }

    void textAndNumberFieldsRoundTrip() {
        Rig rig;
        const QString shots = QString::fromStdString((rig.temp / "shots").string());
        const QString art = QString::fromStdString((rig.temp / "art").string());
        QDir().mkpath(shots);
        QDir().mkpath(art);
        const struct {
            const char* control;
            const char* key;
            QString text;
        } fields[] = {
            {"Text1", "StayAliveChar", "ka"},
            {"Text2", "CaptureFileName", "cap.txt"},
            {"Text3", "DefaultBMPName", "dump.bmp"},
            {"Text4", "ScreenDumpPath", shots},
            {"Text6", "MojisDumpPath", art},
            {"Text8", "CaptureFolder", "/var/captures"},  // read-only: as its chooser would set it
            {"txtQuotePrefix", "QuotePrefix", ">>"},
            {"txtConnectMsg", "ConnectMsg", QString::fromLatin1("HI \xC4\xFE")},  // bytes above 127
            {"txtDisconnectMsg", "DisconnectMsg", "BYE"},
            {"txtBrowser", "WebBrowser", "/opt/web/browse"},
            {"TxtBSvalue", "BaudSimVal", "7"},
            {"txtVXEDelay", "VXESendDelay", "12"},
            {"txtSBbufferSize", "SBbufferSize", "750"},
            {"txtKeyDelay", "KeyDelayValue", "33"},
        };
        rig.form->open();
        QCOMPARE(rig.edit("Text7")->text(), QString::fromStdString(rig.system));
        QVERIFY(rig.edit("Text7")->isReadOnly());
        for (const auto& f : fields) rig.type(f.control, f.text);
        rig.click("Command1");

        const ConfigSettings loaded = rig.reload();
        for (const auto& f : fields) QCOMPARE(valueOf(loaded, f.key), f.text);
        QVERIFY2(loaded == rig.config, qPrintable(differences(loaded, rig.config)));
        // A new opening shows the stored values again.
        rig.form->open();
        for (const auto& f : fields) QCOMPARE(rig.edit(f.control)->text(), f.text);
    }

    // The screen's colours and zoom are picked by name; a zoom no entry has (a file edited by
    // hand) shows as the 2x it is taken as.
    void theScreenChoicesRoundTrip() {
        Rig rig([](ConfigSettings& s) { s.ScreenZoom = 9; });
        rig.form->open();
        auto* colours = rig.form->findChild<QComboBox*>("cboScreenColours");
        auto* zoom = rig.form->findChild<QComboBox*>("cboScreenZoom");
        QCOMPARE(zoom->currentText(), QString("2x"));
        colours->setCurrentText("Green");
        zoom->setCurrentText("Fit the screen");
        rig.click("Command1");
        const ConfigSettings loaded = rig.reload();
        QCOMPARE(loaded.ScreenColours, 3);
        QCOMPARE(loaded.ScreenZoom, 0);
    }

    void theSimulatorSettingIsClamped_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("saved");
        QTest::newRow("above 9") << 12 << "9"
                                 << "12" << 0;
        QTest::newRow("below 0") << -3 << "0"
                                 << "-1" << 0;
        QTest::newRow("in range") << 4 << "4"
                                  << "9" << 9;
        QTest::newRow("not a number") << 0 << "0"
                                      << "fast" << 0;
    }
    void theSimulatorSettingIsClamped() {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(int, saved);
        Rig rig([&](ConfigSettings& s) { s.BaudSimVal = static_cast<std::int16_t>(stored); });
        QCOMPARE(int(rig.config.BaudSimVal), stored);
        rig.form->open();
        QCOMPARE(rig.edit("TxtBSvalue")->text(), shown);
        rig.type("TxtBSvalue", typed);
        rig.click("Command1");
        QCOMPARE(int(rig.reload().BaudSimVal), saved);
    }

    void withoutAPasswordTheNewOneIsTypedTwiceAndStoredScrambled() {
        Rig rig;
        rig.form->open();
        QVERIFY(!rig.edit("TxtOLDPW")->isEnabled() && !rig.find<QPushButton>("cmdCheck")->isEnabled());
        QVERIFY(rig.find<QGroupBox>("fraNewPW")->isEnabled() && rig.edit("Text5_0")->isEnabled());
        QVERIFY(!rig.edit("Text5_1")->isEnabled());
        auto* save = rig.find<QPushButton>("cmdSavePW");
        QVERIFY(!save->isEnabled());

        QTest::keyClicks(rig.edit("Text5_0"), "abc  ");
        QVERIFY(rig.edit("Text5_1")->isEnabled());
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(rig.edit("Text5_1"), "abd  ");
        QVERIFY(!save->isEnabled());
        rig.type("Text5_1", "abc  ");
        QVERIFY(save->isEnabled());
        save->click();

        // Stored at once, scrambled, without the trailing blanks.
        const std::string stored = rig.reload().SData;
        QCOMPARE(stored, rig.config.SData);
        QCOMPARE(stored.size(), std::size_t(8));
        QVERIFY(stored.find_first_not_of("0123456789ABCDEF") == std::string::npos);
        QCOMPARE(Scrambler::UnscrambleText(stored), std::string("abc"));
        QCOMPARE(rig.prompter.messages.size(), std::size_t(1));
        QCOMPARE(rig.prompter.messages[0].text, std::string("The Vexterm password is set."));
        QVERIFY(rig.saved.empty());
        // A further change needs the password just set.
        QVERIFY(rig.edit("TxtOLDPW")->isEnabled() && !rig.find<QGroupBox>("fraNewPW")->isEnabled());
        QVERIFY(rig.edit("Text5_0")->text().isEmpty() && rig.edit("Text5_1")->text().isEmpty());
    }

    void aSetPasswordMustBeConfirmedFirst() {
        test::FakeRandom random;
        Scrambler scrambler(random);
        const std::string secret = scrambler.ScrambleText("Secret");
        Rig rig([&](ConfigSettings& s) { s.SData = secret; });
        rig.form->open();
        QVERIFY(rig.edit("TxtOLDPW")->isEnabled() && !rig.find<QGroupBox>("fraNewPW")->isEnabled());

        QTest::keyClicks(rig.edit("TxtOLDPW"), "secret");
        rig.click("cmdCheck");
        QCOMPARE(rig.prompter.messages.size(), std::size_t(1));
        QCOMPARE(rig.prompter.messages[0].text, std::string("Wrong Password!"));
        QCOMPARE(rig.prompter.messages[0].title, std::string("OLD PASSWORD"));
        QVERIFY(rig.edit("TxtOLDPW")->text().isEmpty());
        QCOMPARE(rig.form->focusWidget(), rig.edit("TxtOLDPW"));
        QVERIFY(!rig.find<QGroupBox>("fraNewPW")->isEnabled());

        QTest::keyClicks(rig.edit("TxtOLDPW"), "Secret");
        rig.click("cmdCheck");
        QCOMPARE(rig.prompter.messages.size(), std::size_t(1));
        QVERIFY(rig.find<QGroupBox>("fraNewPW")->isEnabled() && rig.edit("Text5_0")->isEnabled());
        QVERIFY(!rig.edit("TxtOLDPW")->isEnabled() && !rig.find<QPushButton>("cmdCheck")->isEnabled());
    }

    void thePasswordSaveStandsAloneWhateverTheEditorDoes_data() {
        QTest::addColumn<QString>("leaveWith");
        QTest::newRow("cancel") << "Command2";
        QTest::newRow("save") << "Command1";
    }
    void thePasswordSaveStandsAloneWhateverTheEditorDoes() {
        QFETCH(QString, leaveWith);
        Rig rig;
        rig.form->open();
        rig.check("chkBuzzer")->setChecked(true);
        rig.type("Text5_0", "pw");
        rig.type("Text5_1", "pw");
        rig.click("cmdSavePW");
        QVERIFY2(!rig.reload().Buzzer, "the password save wrote the other edits");
        QCOMPARE(Scrambler::UnscrambleText(rig.reload().SData), std::string("pw"));

        rig.click(qPrintable(leaveWith));
        const ConfigSettings loaded = rig.reload();
        QCOMPARE(Scrambler::UnscrambleText(loaded.SData), std::string("pw"));
        QCOMPARE(loaded.Buzzer, leaveWith == "Command1");
    }

    // A password in a script the Windows-1252 file cannot hold was stored as "??????", which
    // any six such letters matched: its letters are refused as typed, and named.
    void aPasswordOutsideTheCodePageIsRefusedAsTyped() {
        Rig rig;
        rig.form->open();
        test::typeCharacters(rig.edit("Text5_0"), QString::fromUtf8("\u043F\u0430\u0440\u043E\u043B\u044C"));
        QVERIFY(rig.edit("Text5_0")->text().isEmpty() && !rig.edit("Text5_1")->isEnabled());
        QVERIFY(QToolTip::isVisible() && QToolTip::text().contains(QString::fromUtf8("\u044C")));
    }

    // The VXEditor delay is a pause per character sent: it stops at 1000 ms.
    void theVXEditorDelayStopsAt1000() {
        Rig rig;
        rig.form->open();
        rig.type("txtVXEDelay", "32767");
        QCOMPARE(rig.edit("txtVXEDelay")->text(), QString("1000"));
        rig.click("Command1");
        QCOMPARE(int(rig.reload().VXESendDelay), 1000);
    }

    // A typed capture folder is taken; a missing one is offered for creation as the chooser does.
    void aTypedCaptureFolderIsTakenAndCheckedLikeTheChooser() {
        Rig rig;
        rig.form->open();
        const QString folder = QString::fromStdString((rig.temp / "typed" / "captures").string());
        rig.edit("Text8")->clear();
        QTest::keyClicks(rig.edit("Text8"), folder);
        QTest::keyClick(rig.edit("Text8"), Qt::Key_Return);
        QCOMPARE(rig.prompter.questions.at(0).title, std::string("CREATE FOLDER"));
        QVERIFY(QFileInfo(folder).isDir());
        rig.click("Command1");
        QCOMPARE(rig.reload().CaptureFolder, folder.toStdString());
    }

    void allOnOffFlipsTheSevenFeatures() {
        Rig rig([](ConfigSettings& s) {
            s.AllONOFF = 0;
            s.Buzzer = true;
        });
        rig.form->open();
        for (const char* name : kAllOnOffBoxes) rig.check(name)->setChecked(false);
        rig.click("cmdAllONOFF");
        for (const char* name : kAllOnOffBoxes) QVERIFY2(rig.check(name)->isChecked(), name);
        QVERIFY(rig.check("chkBuzzer")->isChecked() && !rig.check("chkBeep")->isChecked());
        QCOMPARE(rig.prompter.messages.back(),
                 (test::FakePrompter::Shown{"Please shut down and re-run Vexterm after changing the mode.", "",
                                            MessageIcon::Exclamation}));
        rig.click("Command1");
        QVERIFY(fileBytes(rig.path).find("\r\nAllONOFF= 1\r\n") != std::string::npos);
        QVERIFY(rig.reload().UseBBSEditor && rig.reload().AutoLoadStatus);

        rig.form->open();
        rig.click("cmdAllONOFF");
        for (const char* name : kAllOnOffBoxes) QVERIFY2(!rig.check(name)->isChecked(), name);
        rig.click("Command1");
        const ConfigSettings loaded = rig.reload();
        QCOMPARE(loaded.AllONOFF, std::int16_t(0));
        QVERIFY(!loaded.SysLog && !loaded.UseTW && !loaded.DetectURLs && loaded.Buzzer);
    }

    void cancelWritesNothing() {
        Rig rig;
        const std::string before = fileBytes(rig.path);
        const ConfigSettings settings = rig.config;
        rig.form->open();
        rig.check("chkBuzzer")->setChecked(true);
        rig.type("txtConnectMsg", "CHANGED");
        rig.click("cmdAllONOFF");
        rig.click("Command2");
        QVERIFY(!rig.form->isVisible());
        QCOMPARE(fileBytes(rig.path), before);
        QVERIFY2(rig.config == settings, qPrintable(differences(rig.config, settings)));
        QVERIFY(rig.saved.empty());
        // The edits are gone when the window opens again.
        rig.form->open();
        QVERIFY(!rig.check("chkBuzzer")->isChecked());
        QCOMPARE(rig.edit("txtConnectMsg")->text(), QString("CONNECT..."));
    }

    void closingTheWindowSavesAndReportsTheLogSwitch_data() {
        QTest::addColumn<bool>("logAtOpening");
        QTest::addColumn<bool>("logAtClosing");
        QTest::addColumn<bool>("switchedOn");
        QTest::newRow("off to on") << false << true << true;
        QTest::newRow("on stays on") << true << true << false;
        QTest::newRow("on to off") << true << false << false;
    }
    void closingTheWindowSavesAndReportsTheLogSwitch() {
        QFETCH(bool, logAtOpening);
        QFETCH(bool, logAtClosing);
        QFETCH(bool, switchedOn);
        Rig rig([&](ConfigSettings& s) { s.SysLog = logAtOpening; });
        rig.form->open();
        rig.check("chkSystemLog")->setChecked(logAtClosing);
        rig.form->close();
        QVERIFY(!rig.form->isVisible());
        QCOMPARE(rig.reload().SysLog, logAtClosing);
        QCOMPARE(rig.saved.size(), std::size_t(1));
        QCOMPARE(rig.saved[0].result, ConfigFile::SaveResult::Saved);
        QCOMPARE(rig.saved[0].sysLogSwitchedOn, switchedOn);
    }

    void aMissingScreenDumpFolderIsOfferedForCreation_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void aMissingScreenDumpFolderIsOfferedForCreation() {
        QFETCH(bool, yes);
        Rig rig;
        const std::string folder = (rig.temp / "new-shots").string();
        rig.prompter.yesNoAnswers = {yes};
        rig.form->open();
        rig.type("Text4", QString::fromStdString(folder));
        rig.click("Command1");
        QCOMPARE(rig.prompter.questions.size(), std::size_t(1));
        QCOMPARE(rig.prompter.questions[0].text,
                 "Screen Dump Path: \r" + folder + "\rDoes not exist! Do you want to create it?");
        QCOMPARE(rig.prompter.questions[0].icon, MessageIcon::Question);
        QCOMPARE(std::filesystem::is_directory(folder), yes);
        QCOMPARE(rig.reload().ScreenDumpPath, folder);
        QCOMPARE(rig.saved.size(), std::size_t(1));
    }

    void recreatingTheSystemMojisNeedsAYes() {
        Rig rig;
        rig.prompter.yesNoAnswers = {false, true};
        rig.form->open();
        rig.click("Command3");
        QCOMPARE(rig.recreated, 0);
        rig.click("Command3");
        QCOMPARE(rig.recreated, 1);
        QCOMPARE(rig.prompter.questions[0].text,
                 std::string("This will re-create the 'Mojis generated by the system...\r"
                             "such as the '_chX1', '_chX2', and '_chX3' files used by\r"
                             "the chXbox system as well as any other system 'Mojis.\r"
                             "If you have made any changes to these files, your changes\r"
                             "will be overwritten.\r"
                             "\r"
                             "Are you sure you want to do this?"));
        QCOMPARE(rig.prompter.questions[0].icon, MessageIcon::Question);
    }

    void aVanishedConfigFileEndsTheProgram() {
        Rig rig;
        rig.form->open();
        std::filesystem::remove(rig.path);
        rig.click("Command1");
        QCOMPARE(rig.prompter.messages.size(), std::size_t(1));
        QCOMPARE(rig.prompter.messages[0].text, std::string("Unable to create Config file!"));
        QCOMPARE(rig.prompter.messages[0].icon, MessageIcon::Critical);
        QCOMPARE(rig.fatal, 1);
        QVERIFY(rig.saved.empty());
    }

    void folderChoosersStartAtTheValueAndReplaceIt_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("screen dumps") << "cmdBrowse1"
                                      << "Text4"
                                      << "Choose Screen Dump Path:" << true;
        QTest::newRow("mojis") << "cmdBrowse3"
                               << "Text6"
                               << "Choose Mojis Path:" << true;
        QTest::newRow("capture") << "cmdBrowse4"
                                 << "Text8"
                                 << "" << true;
        QTest::newRow("cancelled") << "cmdBrowse1"
                                   << "Text4"
                                   << "Choose Screen Dump Path:" << false;
    }
    void folderChoosersStartAtTheValueAndReplaceIt() {
        QFETCH(QString, button);
        QFETCH(QString, field);
        QFETCH(QString, title);
        QFETCH(bool, confirm);
        Rig rig;
        const QString start = QString::fromStdString(rig.system + "/Captures");
        const QString other = QString::fromStdString((rig.temp / "elsewhere").string());
        QDir().mkpath(other);
        rig.form->open();
        rig.edit(qPrintable(field))->setText(start);
        rig.click(qPrintable(button));
        QFileDialog* dialog = rig.chooser();
        QVERIFY(dialog);
        if (title.isEmpty())
            QVERIFY2(!dialog->windowTitle().startsWith("Choose"), qPrintable(dialog->windowTitle()));
        else
            QCOMPARE(dialog->windowTitle(), title);
        QCOMPARE(dialog->labelText(QFileDialog::Accept), QString("Save + Exit"));
        QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
        QCOMPARE(canonical(dialog->directory().absolutePath()), canonical(start));
        dialog->setDirectory(other);
        if (confirm)
            static_cast<QDialog*>(dialog)->accept();  // the file dialog's own accept() is protected
        else
            dialog->reject();
        QCOMPARE(canonical(rig.edit(qPrintable(field))->text()), canonical(confirm ? other : start));
    }

    void theBrowserChooserPicksAFileStartingInItsFolder() {
        Rig rig;
        const std::filesystem::path bin = rig.temp / "bin";
        std::filesystem::create_directories(bin);
        std::ofstream(bin / "old-browser") << "x";
        std::ofstream(bin / "new-browser") << "x";
        rig.form->open();
        rig.edit("txtBrowser")->setText(QString::fromStdString((bin / "old-browser").string()));
        rig.click("cmdBrowse2");
        QFileDialog* dialog = rig.chooser();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Choose Web Browser Path:"));
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(canonical(dialog->directory().absolutePath()), canonical(QString::fromStdString(bin.string())));
        dialog->selectFile(QString::fromStdString((bin / "new-browser").string()));
        static_cast<QDialog*>(dialog)->accept();
        rig.click("Command1");
        QCOMPARE(rig.reload().WebBrowser, (bin / "new-browser").string());
    }

    void foldersOfWindowsAndUnixPaths() {
        QCOMPARE(cfgedit::folderOfPath("C:\\Program Files\\Web\\web.exe"), std::string("C:\\Program Files\\Web\\"));
        QCOMPARE(cfgedit::folderOfPath("/usr/bin/web"), std::string("/usr/bin/"));
        QCOMPARE(cfgedit::folderOfPath("browser"), std::string());
        QCOMPARE(cfgedit::fileOfPath("C:\\Web\\web.exe"), std::string("web.exe"));
    }
};

QTEST_MAIN(CfgFormTest)
#include "CfgFormTest.moc"
