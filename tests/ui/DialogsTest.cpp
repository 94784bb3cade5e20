// The small windows: the folder chooser's create question, the About box, the website window's
// link, and the window-position window saving the places of the frame and the tool windows.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <map>

#include "config/IniFile.h"
#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "ui/config/MoveWindows.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/BrowseDir.h"
#include "ui/dialogs/WebsiteWindow.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/frame/ToolWindows.h"

using namespace vx;
using namespace vx::test;

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    // A folder typed that does not exist is created only when the user agrees; either way the
    // chooser returns it.
    void theChooserCreatesAFolderOnlyWhenAsked_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void theChooserCreatesAFolderOnlyWhenAsked() {
        QFETCH(bool, yes);
        TempDir temp;
        FakePrompter prompter;
        prompter.yesNoAnswers = {yes};
        QWidget parent;
        BrowseRequest request;
        request.fFldr = QString::fromStdString(temp.path().string());
        request.fTitle = "Choose Screen Dump Path:";
        std::optional<BrowseRequest> chosen;
        QPointer<QFileDialog> dialog =
            openBrowseDir(&parent, request, prompter, [&](const BrowseRequest& r) { chosen = r; });
        QCOMPARE(dialog->objectName(), QString("frmBrowseDir"));
        QCOMPARE(dialog->windowTitle(), QString("Choose Screen Dump Path:"));
        QCOMPARE(dialog->labelText(QFileDialog::Accept), QString("Save + Exit"));
        const QString wanted = QString::fromStdString((temp / "new dumps").string());
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(name);
        QTest::keyClicks(name, "new dumps");
        // Qt greys its confirm button for a folder that does not exist: it must stay usable.
        auto* accept = dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open);
        QVERIFY(accept->isEnabled());
        if (yes)
            QTest::mouseClick(accept, Qt::LeftButton);
        else
            QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(chosen);
        QVERIFY(!chosen->cCancel);
        QCOMPARE(chosen->fFldr, wanted);
        QCOMPARE(prompter.questions.at(0).text, std::string("Folder does not exist!\rDo you want to create it?"));
        QCOMPARE(prompter.questions.at(0).title, std::string("CREATE FOLDER"));
        QCOMPARE(std::filesystem::is_directory(temp / "new dumps"), yes);
        QVERIFY(!dialog || !dialog->isVisible());
    }

    void theAboutBoxNamesTheBuild() {
        AboutBox about;
        QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QString("Version 3.14  Build: 717"));
        QVERIFY(about.findChild<QLabel*>("lblVersionDate")->text().startsWith("Version Date: "));
        QVERIFY(about.findChild<QLabel*>("lblVersionDate")->text().size() > QString("Version Date: ").size());
        about.show();
        QVERIFY(about.isVisible());
        QTest::mouseClick(about.findChild<QLabel*>("lblTitle"), Qt::LeftButton);  // a click closes it
        QVERIFY(!about.isVisible());
    }

    void theWebsiteLinkOpensTheAddress() {
        std::string opened;
        WebsiteWindow window([&](const std::string& url) { opened = url; });
        window.setBoard("Night Owl BBS", "https://owl.example.org/");
        window.show();
        QCOMPARE(window.findChild<QLabel*>("lblBBSName")->text(), QString("Website: Night Owl BBS"));
        emit window.findChild<QLabel*>("lblBBSwebsite")->linkActivated("#");
        QCOMPARE(opened, std::string("https://owl.example.org/"));
    }

    // A configuration marked read-only: the places and the zoom are not written, and the user is
    // told so instead of "Window positions saved".
    void settingsThatCannotBeWrittenAreSaidNotCalledSaved() {
        Run run;
        run.app->start();
        run.prompter.messages.clear();
        const auto config = run.folder() / "VX3_Cfg.ini";
        const std::string before = fileText(config);
        const auto writable = std::filesystem::status(config).permissions();
        std::filesystem::permissions(config, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
        run.app->frame().toolButton("tbMOVE")->trigger();
        auto* move = openWindow<MoveWindows>("frmMoveWindows");
        QVERIFY(move);
        QTest::mouseClick(move->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QCOMPARE(run.prompter.messages.size(), std::size_t{1});
        QVERIFY(run.prompter.messages[0].text.starts_with("Unable to write the Config file:\r" + config.string()));
        QVERIFY(run.prompter.messages[0].text.ends_with("The window positions were not saved."));
        QVERIFY(run.app->frame().panelText("pnlSTAT") != QString("Window positions saved"));
        // A zoom chosen then still changes the screen, and the status line says it was not kept.
        run.app->setZoom(3);
        QVERIFY(run.app->frame().panelText("pnlSTAT").startsWith("Zoom not saved: "));
        QCOMPARE(fileText(config), before);
        std::filesystem::permissions(config, writable);
        run.app->shutdown();
    }

    // Every tool window that keeps its place, and the frame: moved, saved with Move and OK, and
    // put back on the same pixel at the next start, whether it was open or not.
    void theWindowPlacesAreSavedAndComeBack() {
        Run run;
        run.app->start();
        ToolWindows& tools = run.app->toolWindows();
        std::map<ToolWindows::Tool, QPoint> placed;
        int step = 0;
        for (ToolWindows::Tool tool : tools.tools()) {
            QWidget& window = tools.show(tool);
            placed[tool] = QPoint(120 + 37 * step, 40 + 29 * step);
            window.move(placed[tool]);
            if (++step % 2) window.close();  // a window closed since keeps its place as well
        }
        run.app->frame().move(150, 120);
        run.app->frame().toolButton("tbMOVE")->trigger();
        auto* move = openWindow<MoveWindows>("frmMoveWindows");
        QVERIFY(move && move->isVisible());
        QCOMPARE(move->windowTitle(), QString("Save Window Positions..."));
        QTest::mouseClick(move->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        QCOMPARE(run.app->frame().panelText("pnlSTAT"), QString("Window positions saved"));
        const IniFile config = IniFile::parse(fileText(run.folder() / "VX3_Cfg.ini"));
        QCOMPARE(config.read("Positions", "DATAwritten", ""), std::string("True"));
        QCOMPARE(config.read("Positions", "MainLeft", ""), std::to_string(150 * 15));
        QCOMPARE(config.read("Positions", "WEBTop", ""), std::to_string(placed[ToolWindows::Tool::Website].y() * 15));
        QVERIFY(fileText(run.folder() / "VX3_log.txt").find(" Window positions saved\r\n") != std::string::npos);
        run.app->shutdown();

        FakePrompter prompter;
        const auto next = run.restarted(prompter);
        DesktopApp& again = *next;
        QCOMPARE(again.frame().pos(), QPoint(150, 120));
        int kept = 0;
        for (ToolWindows::Tool tool : again.toolWindows().tools()) {
            if (!again.toolWindows().keepsItsPlace(tool)) continue;
            ++kept;
            QCOMPARE(again.toolWindows().made(tool).pos(), placed[tool]);
        }
        QCOMPARE(kept, 5);  // the BBS editor, VXEditor, the URL list, the website and the status window
        again.shutdown();
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
