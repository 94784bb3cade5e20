// The BBS editor window through its real controls: a board added and every field typed, saved,
// and found again byte for byte in the file and in the editor of the next run; the login window;
// Save + Close + Connect calling the board.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <QtTest>

#include "config/IniFile.h"
#include "config/Scrambler.h"
#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/directory/LoginWindow.h"
#include "ui/terminal/TerminalWindow.h"

using namespace vx;
using namespace vx::test;

namespace {

constexpr int kWaitMs = 5000;

// What is typed into each text box, and how the file keeps it.
struct Typed {
    const char* control;
    const char* text;
    const char* key;
    const char* stored;
};
constexpr Typed kTyped[] = {
    {"txtBBSname", "Night Owl BBS", "BBSname", "Night Owl BBS"},
    {"txtBBSurl", "owl.example.org", "URL", "owl.example.org"},
    {"txtPORT", "6400", "Port", " 6400"},
    {"txtPORTLIST", "6400 23", "PortList", "6400 23"},
    {"txtBBSsysop", "Owl", "Sysop", "Owl"},
    {"txtBBScomments", "late nights, files", "Comment", "late nights, files"},
    {"txtBBSwebsite", "https://owl.example.org/", "Website", "https://owl.example.org/"},
    {"txtSig", "-- owl", "Signature", "-- owl"},
    {"txtBBSXDelay", "450", "BBSXDelay", " 450"},
    {"txtAlarmColumn", "38", "AlarmColValue", " 38"},
    {"txtSendDelay", "20", "SendDelayValue", " 20"},
};

// Each check box, and its key.
struct Ticked {
    const char* control;
    const char* key;
};
constexpr Ticked kTicked[] = {
    {"chkBBSstayalive", "StayAlive"}, {"chkBBSbaudSim", "BaudSim"},     {"chkBBSpermanent", "Permanent"},
    {"chkLANtronix", "LANtronix"},    {"chkHideFromList", "HideFromList"}, {"chkKillBuffer", "ClrBufferOnDisc"},
    {"chkNoWrap", "NoWrap"},          {"chkBBSXv1", "BBSXv1"},       {"chkOneAtaTime", "OneAtaTime"},
    {"chkAlarmColumn", "AlarmColEnabled"},
};

template <typename T>
T* control(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(name);
    if (!found) QTest::qFail(qPrintable(QString("no control ") + name), __FILE__, __LINE__);
    return found;
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

std::string section(const std::string& file, const std::string& name) {
    const auto start = file.find("[" + name + "]\r\n");
    if (start == std::string::npos) return {};
    const auto end = file.find("\r\n[", start + 1);
    return file.substr(start, end == std::string::npos ? std::string::npos : end - start + 2);
}

}  // namespace

class BBSEditorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    void aBoardAddedAndEditedIsThereAfterARestart() {
        Run run;
        run.app->start();  // the first run opens the editor
        BBSEditorWindow* window = run.app->bbsEditorWindow();
        QVERIFY(window && window->isVisible());
        FakeRandom random;
        Scrambler scrambler(random);
        run.app->config().SData = scrambler.ScrambleText("pw");

        QTest::mouseClick(control<QPushButton>(window, "cmdAddBBS"), Qt::LeftButton);
        QCOMPARE(run.prompter.messages.back().text, std::string("BBS added - ID: 2"));
        QCOMPARE(control<QLineEdit>(window, "txtID")->text(), QString("2"));

        for (const Typed& t : kTyped) typeInto(control<QLineEdit>(window, t.control), t.text);
        std::map<std::string, bool> ticks;
        for (const Ticked& t : kTicked) {
            QCheckBox* box = control<QCheckBox>(window, t.control);
            QTest::mouseClick(box, Qt::LeftButton);
            ticks[t.key] = box->isChecked();
        }
        QTest::mouseClick(control<QRadioButton>(window, "optSW_0"), Qt::LeftButton);
        // Raw, Telnet, Auto: two steps down by keyboard.
        QComboBox* protocol = control<QComboBox>(window, "cboProtocol");
        QCOMPARE(protocol->currentText(), QString("Raw"));
        QTest::keyClick(protocol, Qt::Key_Down);
        QTest::keyClick(protocol, Qt::Key_Down);
        for (int i = 0; i < 10; ++i)
            typeInto(control<QLineEdit>(window, qPrintable("txtMacro_" + QString::number(i))), "m" + QString::number(i));
        QVERIFY(control<QLabel>(window, "lblNotify")->isVisible());

        // Hiding macro 3 asks for the program password first.
        QTest::mouseClick(control<QCheckBox>(window, "chkHide_3"), Qt::LeftButton);
        LoginWindow* login = window->findChild<LoginWindow*>("frmLogin");
        QVERIFY(login && login->isVisible());
        typeInto(control<QLineEdit>(login, "txtPassword"), "pw");
        QTest::mouseClick(control<QPushButton>(login, "cmdOK"), Qt::LeftButton);
        QTRY_VERIFY(control<QCheckBox>(window, "chkHide_3")->isChecked());
        QVERIFY(run.app->loggedIn());

        QTest::mouseClick(control<QPushButton>(window, "cmdRefresh"), Qt::LeftButton);
        QVERIFY(!control<QLabel>(window, "lblNotify")->isVisible());

        const std::string record = section(fileText(run.folder() / "VX3_BBS.INI"), "2");
        for (const Typed& t : kTyped)
            QVERIFY2(record.find(std::string("\r\n") + t.key + "=" + t.stored + "\r\n") != std::string::npos, t.key);
        for (const auto& [key, on] : ticks)
            QVERIFY2(record.find("\r\n" + key + "=" + (on ? "True" : "False") + "\r\n") != std::string::npos,
                     key.c_str());
        QVERIFY(record.find("\r\nMode80Col=True\r\n") != std::string::npos);
        QVERIFY(record.find("\r\nProtocol=Auto\r\n") != std::string::npos);
        QVERIFY(record.find("\r\nLastEdited=") != std::string::npos);
        for (int i = 0; i < 10; ++i) {
            if (i == 3) continue;
            const std::string line = "\r\nMacro" + std::to_string(i) + "=m" + std::to_string(i) + "\r\n";
            QVERIFY2(record.find(line) != std::string::npos, line.c_str());
        }
        const IniFile file = IniFile::parse(fileText(run.folder() / "VX3_BBS.INI"));
        QCOMPARE(file.read("2", "MacVisible3", ""), std::string("1"));
        QVERIFY(file.read("2", "Macro3", "") != "m3");
        QCOMPARE(Scrambler::UnscrambleText(file.read("2", "Macro3", "")), std::string("m3"));
        QCOMPARE(file.read("BBS", "2", ""), std::string("Night Owl BBS"));

        // The next run finds every value again; the hidden macro is masked and locked.
        run.app->shutdown();
        FakePrompter prompter;
        const auto nextRun = run.restarted(prompter);
        DesktopApp& again = *nextRun;
        again.openBBSEditor();
        BBSEditorWindow* next = again.bbsEditorWindow();
        again.bbsEditor().show(2);
        for (const Typed& t : kTyped) QCOMPARE(control<QLineEdit>(next, t.control)->text(), QString(t.text));
        for (const Ticked& t : kTicked) QCOMPARE(control<QCheckBox>(next, t.control)->isChecked(), ticks[t.key]);
        QVERIFY(control<QRadioButton>(next, "optSW_0")->isChecked());
        QCOMPARE(control<QComboBox>(next, "cboProtocol")->currentText(), QString("Auto"));
        QLineEdit* hidden = control<QLineEdit>(next, "txtMacro_3");
        QCOMPARE(hidden->echoMode(), QLineEdit::Password);
        QVERIFY(!hidden->isEnabled());
        QCOMPARE(control<QLineEdit>(next, "txtMacro_4")->text(), QString("m4"));
        again.shutdown();
    }

    // Deleting the selected board moves the selection to a board that exists, so opening the
    // editor again never shows (and Save+Close never writes) a record the map no longer lists.
    void aDeletedBoardIsNeverShownOrSavedAgain() {
        Run run;
        run.app->start();
        BBSEditorWindow* window = run.app->bbsEditorWindow();
        for (const char* name : {"Second", "Third"}) {
            QTest::mouseClick(control<QPushButton>(window, "cmdAddBBS"), Qt::LeftButton);
            typeInto(control<QLineEdit>(window, "txtBBSname"), name);
            QCheckBox* permanent = control<QCheckBox>(window, "chkBBSpermanent");
            if (permanent->isChecked()) QTest::mouseClick(permanent, Qt::LeftButton);  // else it cannot go
        }
        click(window, "cmdExit");
        QWidget* terminal = &run.app->terminalWindow();
        QComboBox* boards = control<QComboBox>(terminal, "Combo1");
        boards->setFocus();
        QTest::keyClick(boards, Qt::Key_Home);
        QTest::keyClick(boards, Qt::Key_Down);
        QCOMPARE(boards->currentText(), QString("Second"));

        QPushButton* editBBS = control<QPushButton>(terminal, "cmdEditBBS");
        QTest::mouseClick(editBBS, Qt::LeftButton);
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(control<QLineEdit>(window, "txtID")->text(), QString("2"));
        click(window, "cmdDelete");  // answered Yes
        click(window, "cmdCancel");
        QCOMPARE(boards->currentText(), QString("Third"));

        QTest::mouseClick(editBBS, Qt::LeftButton);
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(control<QLineEdit>(window, "txtID")->text(), QString("3"));
        typeInto(control<QLineEdit>(window, "txtBBSname"), "Renamed");
        QTest::mouseClick(control<QPushButton>(window, "cmdExit"), Qt::LeftButton);
        const IniFile list = IniFile::parse(fileText(run.folder() / "VX3_BBS.INI"));
        QCOMPARE(list.read("2", "BBSname", ""), std::string());  // the deleted section stays blank
        QCOMPARE(list.read("BBS", "2", ""), std::string());
        QCOMPARE(list.read("BBS", "3", ""), std::string("Renamed"));
    }

    // Boxes take only what the file can keep: a letter outside Windows-1252 is refused as typed
    // and named at the box (the euro sign is byte 0x80), letters in the Port box are refused, and
    // an empty Port box is not saved as port 0.
    void boxesRefuseWhatTheListCannotHold() {
        Run run;
        run.app->start();
        BBSEditorWindow* window = run.app->bbsEditorWindow();
        for (const char* name : {"txtBBSname", "txtMacro_0"}) {
            QLineEdit* edit = control<QLineEdit>(window, name);
            edit->clear();
            typeCharacters(edit, QString::fromUtf8("\u0141\u00F3d\u017A 5 \u20AC"));
            QCOMPARE(edit->text(), QString::fromUtf8("\u00F3d 5 \u20AC"));
            QVERIFY2(QToolTip::isVisible() && QToolTip::text().contains(QString::fromUtf8("\u017A")), name);
        }
        QLineEdit* port = control<QLineEdit>(window, "txtPORT");
        typeInto(port, "64x0y0");
        QCOMPARE(port->text(), QString("6400"));
        QTest::mouseClick(control<QPushButton>(window, "cmdRefresh"), Qt::LeftButton);
        const IniFile file = IniFile::parse(fileText(run.folder() / "VX3_BBS.INI"));
        for (const char* key : {"BBSname", "Macro0"}) QCOMPARE(file.read("1", key, ""), std::string("\xF3\x64 5 \x80"));
        QCOMPARE(file.read("1", "Port", ""), std::string("6400"));

        typeInto(port, "");
        QTest::mouseClick(control<QPushButton>(window, "cmdRefresh"), Qt::LeftButton);
        QCOMPARE(run.prompter.messages.back().text, std::string("The port must be a number from 1 to 65535."));
        QCOMPARE(IniFile::parse(fileText(run.folder() / "VX3_BBS.INI")).read("1", "Port", ""), std::string("6400"));
    }

    void aWrongPasswordKeepsTheLoginOpen() {
        FakePrompter prompter;
        FakeRandom random;
        Scrambler scrambler(random);
        LoginWindow login(scrambler.ScrambleText("Secret"), prompter);
        std::optional<bool> result;
        login.ask([&](bool ok) { result = ok; });
        QVERIFY(login.isVisible());
        QCOMPARE(login.windowTitle(), QString("  Secure Area"));
        typeInto(control<QLineEdit>(&login, "txtPassword"), "secret");  // the case counts
        QTest::mouseClick(control<QPushButton>(&login, "cmdOK"), Qt::LeftButton);
        QCOMPARE(prompter.messages.back().text, std::string("Invalid Password, try again!"));
        QCOMPARE(prompter.messages.back().title, std::string("Login"));
        QVERIFY(login.isVisible());
        QVERIFY(!result);
        QTest::mouseClick(control<QPushButton>(&login, "cmdCancel"), Qt::LeftButton);
        QCOMPARE(result, std::optional<bool>(false));
    }

    void saveCloseConnectCallsTheBoardShown() {
        LoopbackBoard board;
        Run run;
        run.app->start();
        BBSEditorWindow* window = run.app->bbsEditorWindow();
        QTest::mouseClick(control<QPushButton>(window, "cmdAddBBS"), Qt::LeftButton);
        typeInto(control<QLineEdit>(window, "txtBBSurl"), "127.0.0.1:" + QString::number(board.port()));
        QTest::mouseClick(control<QPushButton>(window, "cmdConnect"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected(), kWaitMs);
        QCOMPARE(run.app->session().connection().recordId(), std::string("2"));
        QCOMPARE(board.calls(), 1);
        const IniFile file = IniFile::parse(fileText(run.folder() / "VX3_BBS.INI"));
        QCOMPARE(file.read("2", "Port", ""), std::to_string(board.port()));
        QCOMPARE(file.read("2", "Connects", ""), std::string("1"));
    }
};

QTEST_MAIN(BBSEditorWindowTest)
#include "BBSEditorWindowTest.moc"
