// The ATASCII art tools through their windows: a check box built in VXEditor, seen in its
// preview, drawn offline, sent to a loopback board and kept as a 'Moji; the screen saved as BMP,
// PNG and ATASCII and brought back; the dump picker; printing; the screen as text.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "screen/AtasciiText.h"
#include "screen/ScreenColours.h"
#include "screen/ScreenText.h"
#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "support/X11Keys.h"
#include "tools/MojiFiles.h"
#include "tools/ScreenDump.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/terminal/BoxEditor.h"
#include "ui/terminal/MojiEditorWindow.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/tools/DumpPicker.h"
#include "ui/tools/ScreenPrint.h"

using namespace vx;
using namespace vx::test;

namespace {

constexpr int kWaitMs = 5000;

QAction* menuEntry(Run& run, const char* name) {
    QAction* action = run.app->screenWindow().findChild<QAction*>(name);
    if (!action) qFatal("no menu entry %s", name);
    return action;
}

// A row of a screen as codes (unknown cells as '?').
std::string rowOf(const Framebuffer& surface, int row, int length = 40) {
    const GlyphIndex glyphs;
    std::string text;
    for (int col = 0; col < length; ++col) {
        const auto code = glyphs.codeAt(surface, col, row);
        text += code ? static_cast<char>(*code) : '?';
    }
    return text;
}

MojiEditorWindow& openEditor(Run& run) {
    QTest::mouseClick(run.app->frame().findChild<QPushButton*>("cmdEditor"), Qt::LeftButton);
    MojiEditorWindow* window = run.app->mojiEditorWindow();
    if (!window) qFatal("VXEditor did not open");
    return *window;
}

void buildTickedBox(QWidget* editor) {
    click(editor, "CmdStartCheck_0");
    QTest::keyClicks(child<QLineEdit>(editor, "txtLabel"), "OK");
    click(editor, "cmdLabel2VXE");
    click(editor, "CmdStartCheck_1");
}

// Typed on the screen offline, with no key-press delay between the keys.
void type(Run& run, const std::string& text) {
    run.app->config().KeyPressDelay = false;
    for (char c : text) run.app->session().keyboard().characterKey(static_cast<std::uint8_t>(c));
}

}  // namespace

class ArtToolsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    void aCheckBoxIsPreviewedDrawnSentAndKept() {
        LoopbackBoard board;
        Run run;
        run.app->config().VXESendDelay = 0;
        run.app->start();
        MojiEditorWindow& editor = openEditor(run);
        QVERIFY(editor.isVisible());
        buildTickedBox(&editor);
        const std::string codes = run.app->session().moji().codes();
        QCOMPARE(codes, std::string("32;17;18;5;155;32;124;88;124;32;79;75;155;32;26;18;3;155;"));
        QCOMPARE(child<QPlainTextEdit>(&editor, "RTB1")->toPlainText().toStdString(), codes);
        QVERIFY(child<QLabel>(&editor, "lblEdited_0")->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(rowOf(editor.previewSurface(), 1, 7), std::string(" |X| OK"), kWaitMs);

        // Offline the first press warns, the second draws on the main screen.
        click(&editor, "cmdSendMain");
        QVERIFY(child<QLabel>(&editor, "lblWarning")->isVisible());
        QCOMPARE(rowOf(run.app->surface(), 1, 7), std::string("       "));
        click(&editor, "cmdSendMain");
        QCOMPARE(rowOf(run.app->surface(), 1, 7), std::string(" |X| OK"));
        QCOMPARE(rowOf(run.app->surface(), 2, 4), std::string(" \x1a\x12\x03"));

        // Connected, the board receives exactly the codes.
        run.pointSampleBoardAt(board.port());
        run.app->session().connection().connectButton();
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected() && board.calls() == 1, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(&editor, "lblOnline")->isVisible(), kWaitMs);
        // Connecting gave the keys to the screen; the user goes back to VXEditor to send.
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &run.app->frame(), kWaitMs);
        board.clear();
        editor.activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &editor, kWaitMs);
        click(&editor, "cmdSendMain");
        const std::string bytes = "\x20\x11\x12\x05\x9b\x20\x7c\x58\x7c\x20\x4f\x4b\x9b\x20\x1a\x12\x03\x9b";
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                  kWaitMs);
        // The keys went back to the screen with the send: the next one typed reaches the board.
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &run.app->frame(), kWaitMs);
        typeText("x");
        QTRY_COMPARE_WITH_TIMEOUT(board.received(),
                                  QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())) + "x", kWaitMs);

        // Kept as a 'Moji and loaded again from the list.
        run.prompter.textAnswers = {std::string("ticked")};
        click(&editor, "cmdSave");
        QVERIFY(!child<QLabel>(&editor, "lblEdited_0")->isVisible());
        auto* files = child<QListWidget>(&editor, "File1");
        QVERIFY(!files->findItems("ticked", Qt::MatchExactly).isEmpty());
        click(&editor, "cmdClearText");
        QCOMPARE(run.app->session().moji().codes(), std::string());
        files->setCurrentItem(files->findItems("ticked", Qt::MatchExactly).first());
        click(&editor, "cmdLoad");
        QCOMPARE(run.app->session().moji().codes(), codes);
        QCOMPARE(child<QLabel>(&editor, "lblFile")->text(), QString("File:  ticked"));
    }

    // The number text is typed only after Enable Editing; the delay box holds at 1000.
    void editingAndTheDelay() {
        Run run;
        run.app->start();
        MojiEditorWindow& editor = openEditor(run);
        auto* codes = child<QPlainTextEdit>(&editor, "RTB1");
        QVERIFY(codes->isReadOnly());
        click(&editor, "cmdEnableEdit");
        QVERIFY(!codes->isReadOnly());
        codes->setFocus();
        QTest::keyClicks(codes, "72;73;");
        QCOMPARE(run.app->session().moji().codes(), std::string("72;73;"));
        auto* delay = child<QLineEdit>(&editor, "txtDelay");
        delay->selectAll();
        QTest::keyClicks(delay, "5000");
        QCOMPARE(run.app->session().moji().delayMs(), 1000);

        // Inverse Characters is the keyboard's inverse switch; closing the editor turns it off.
        auto* inverse = child<QCheckBox>(&editor, "chkInverse");
        QTest::mouseClick(inverse, Qt::LeftButton);
        QVERIFY(run.app->session().keyboard().inverseTyping());
        run.app->session().keyboard().setInverseTyping(false);
        QVERIFY(!inverse->isChecked());
        QTest::mouseClick(inverse, Qt::LeftButton);
        editor.close();
        QVERIFY(!run.app->session().keyboard().inverseTyping());
        // Editing is off again at the next opening.
        MojiEditorWindow& again = openEditor(run);
        QVERIFY(child<QPlainTextEdit>(&again, "RTB1")->isReadOnly());
        QVERIFY(!child<QPushButton>(&again, "cmdEnableEdit")->isChecked());
    }

    // A capture sent to VXEditor lands in the number box piece by piece, each added at its end:
    // putting the whole text in again for every record made a long capture freeze the program.
    void theCaptureIsAddedToTheCodesAtTheirEnd() {
        Run run;
        run.app->start();
        MojiEditorWindow& editor = openEditor(run);
        const ConfigSettings& config = run.app->config();
        std::filesystem::create_directories(config.CaptureFolder);
        std::string records = "\"AB\"\r\n";
        for (int i = 0; i < 300; ++i) records += "\"C\"\r\n";  // more than one step of the export
        std::ofstream(std::filesystem::path(config.CaptureFolder) / config.CaptureFileName, std::ios::binary)
            << records;
        auto* codes = child<QPlainTextEdit>(&editor, "RTB1");
        int replaced = 0;
        connect(codes->document(), &QTextDocument::contentsChange, this,
                [&replaced](int, int removed, int) { replaced += removed > 0 ? 1 : 0; });
        run.prompter.textAnswers = {std::string("1000")};
        menuEntry(run, "mnuCaptureToVXE")->trigger();
        QPlainTextEdit wholeAtOnce;
        wholeAtOnce.setPlainText("65;66;\r\n" + QString("67;\r\n").repeated(300));
        QTRY_COMPARE_WITH_TIMEOUT(codes->toPlainText(), wholeAtOnce.toPlainText(), kWaitMs);
        QCOMPARE(replaced, 0);
    }

    // Offline typing and The Box feed the codes; Copy from VXE fills the board's signature.
    void whatFeedsTheCodes() {
        Run run;
        run.app->config().UseTW = true;
        run.app->start();
        MojiEditorWindow& editor = openEditor(run);
        type(run, "AB");
        QCOMPARE(run.app->session().moji().codes(), std::string("65;66;"));

        menuEntry(run, "mnuEchoBox")->trigger();
        QVERIFY(menuEntry(run, "mnuEchoBox")->isChecked());
        QCOMPARE(run.app->session().moji().codes(), std::string());
        QTest::keyClicks(&run.app->boxEditor(), "Hi");
        QCOMPARE(run.app->session().moji().codes(), std::string("72;105;"));
        menuEntry(run, "mnuEchoBox")->trigger();
        click(&editor, "cmdClearText");
        QTest::mouseClick(run.app->frame().findChild<QPushButton*>("cmdBox2VXE"), Qt::LeftButton);
        QCOMPARE(run.app->session().moji().codes(), std::string("72;105;"));

        run.app->session().moji().setCodes("45;45;32;74;");
        run.app->openBBSEditor();
        BBSEditorWindow* bbs = run.app->bbsEditorWindow();
        child<QLineEdit>(bbs, "txtSig")->clear();
        run.app->bbsEditor().edit([](BBSEditorFields& fields) { fields.signature.clear(); });
        click(bbs, "cmdCopyVXE");
        QCOMPARE(child<QLineEdit>(bbs, "txtSig")->text(), QString("-- J"));
    }

    // The screen saved as BMP and PNG opens as an ordinary picture showing the screen; the
    // ATASCII save loaded into VXEditor and sent offline draws the same screen again; the picker
    // shows a saved dump on the screen window and deletes one.
    void theScreenIsSavedAndBroughtBack() {
        Run run;
        run.app->start();
        const std::string folder = run.app->config().ScreenDumpPath;
        type(run, std::string(1, 125) + "SAVED SCREEN" + std::string(1, static_cast<char>(155)) + "\x11\x12\x05 ART");
        const std::string row0 = rowOf(run.app->surface(), 0), row1 = rowOf(run.app->surface(), 1);
        QCOMPARE(row0.substr(0, 12), std::string("SAVED SCREEN"));

        run.prompter.textAnswers = {std::string("shot"), std::string("shot.png"), std::string("codes")};
        menuEntry(run, "mnuCAPTUREssbmp")->trigger();
        menuEntry(run, "mnuSavePNG")->trigger();
        menuEntry(run, "mnuSaveATASCII")->trigger();
        for (const char* name : {"/shot.bmp", "/shot.png"}) {
            const QImage picture(QString::fromStdString(folder + name));
            QVERIFY2(!picture.isNull(), name);
            QCOMPARE(picture.size(), QSize(640, 384));
            // The top left pixel of the S (its second row) is lit; the blank cell after SCREEN is not.
            QVERIFY(qGray(picture.pixel(6, 2)) > 128);
            QVERIFY(qGray(picture.pixel(12 * 16 + 6, 8)) < 128);
        }

        // The bitmap shown on a cleared screen through the picker reads back as the same codes.
        run.app->screen().ScreenHandler(125);
        run.app->frame().toolButton("tbViewBMP")->trigger();
        DumpPicker* picker = run.app->dumpPicker();
        QVERIFY(picker && picker->isVisible());
        QCOMPARE(picker->folder().toStdString(), folder);
        picker->viewFile("shot.bmp");
        QCOMPARE(rowOf(run.app->surface(), 0), row0);
        QCOMPARE(rowOf(run.app->surface(), 1), row1);
        QCOMPARE(run.app->frame().panelText("pnlSTAT"), QString("Viewing: shot.bmp"));

        // The ATASCII file through VXEditor, drawn offline on a cleared screen.
        run.app->screen().ScreenHandler(125);
        run.app->session().moji().loadPath(folder + "/codes.ata");
        run.app->session().moji().sendToMain();
        run.app->session().moji().sendToMain();
        QCOMPARE(rowOf(run.app->surface(), 0), row0);
        QCOMPARE(rowOf(run.app->surface(), 1).substr(0, 8), row1.substr(0, 8));

        run.prompter.yesNoAnswers = {true};
        picker->viewFile("shot.png");
        QTest::mouseClick(child<QPushButton>(picker, "cmdDelete"), Qt::LeftButton);
        QVERIFY(!QFile::exists(QString::fromStdString(folder + "/shot.png")));
        QCOMPARE(run.prompter.questions.back().title, std::string("DELETE FILE"));
        // A file that cannot be removed (here a folder with something in it) is said to be kept.
        std::filesystem::create_directories(folder + "/kept.png/inside");
        picker->viewFile("kept.png");
        run.prompter.yesNoAnswers = {true};
        QTest::mouseClick(child<QPushButton>(picker, "cmdDelete"), Qt::LeftButton);
        QVERIFY(QFile::exists(QString::fromStdString(folder + "/kept.png")));
        QCOMPARE(run.prompter.messages.back().text.substr(0, 28), std::string("Could not delete kept.png:\r\n"));
        QVERIFY(run.app->frame().panelText("pnlSTAT") != QString("Deleted: kept.png"));
        picker->viewFile("gone.bmp");
        QCOMPARE(run.prompter.messages.back().text, std::string("File: gone.bmp\r\nFile does not exist!"));
    }

    // Asked for "as shown", dumps and the printed page have the screen's colours; otherwise they
    // stay black and white whatever the screen shows.
    void dumpsAndPrintsAsShownCarryTheScreensColours() {
        Run run;
        run.app->start();
        run.app->config().ScreenColours = 2;  // amber
        const ScreenColours& amber = screenColours(2);
        type(run, std::string(1, 125) + "S");
        run.prompter.textAnswers = {std::string("plain.png"), std::string("amber.png")};
        for (const bool asShown : {false, true}) {
            run.app->config().DumpAsShown = asShown;
            menuEntry(run, "mnuSavePNG")->trigger();
            const QImage picture(
                QString::fromStdString(run.app->config().ScreenDumpPath + "/" + (asShown ? "amber.png" : "plain.png")));
            QCOMPARE(picture.pixel(6, 2) & 0xFFFFFF, asShown ? amber.ink : 0xFFFFFFu);
            QCOMPARE(picture.pixel(200, 200) & 0xFFFFFF, asShown ? amber.paper : 0u);
        }
        QCOMPARE(printableScreen(run.app->surface(), 40, &amber).pixel(6, 2) & 0xFFFFFF, amber.ink);
    }

    // On paper the characters are dark and the screen's background light; the page is a PDF here.
    void printingPutsDarkCharactersOnLightPaper() {
        Run run;
        run.app->start();
        type(run, std::string(1, 125) + "P");
        const QImage page = printableScreen(run.app->surface(), 40);
        QCOMPARE(page.size(), QSize(640, 384));
        QVERIFY(qGray(page.pixel(2, 2)) < 128);      // a pixel of the P
        QVERIFY(qGray(page.pixel(200, 200)) > 128);  // the empty screen is paper

        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = QString::fromStdString((run.temp / "screen.pdf").string());
        printer.setOutputFileName(pdf);
        QVERIFY(printScreen(run.app->surface(), 40, printer));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        QVERIFY(file.size() > 1000);

        run.app->frame().toolButton("tb80")->trigger();
        run.app->printScreen();
        QCOMPARE(run.prompter.messages.back().text, std::string("80 column mode printing not supported!"));
    }

    void theScreenAsText() {
        Run run;
        run.app->start();
        type(run, std::string(1, 125) + "TEXT \x11");
        menuEntry(run, "mnuCopyText")->trigger();
        const QString text = QGuiApplication::clipboard()->text();
        const std::string_view corner = atasciiLookAlike(17);
        const QString expected = "TEXT " + QString::fromUtf8(corner.data(), static_cast<qsizetype>(corner.size()));
        QVERIFY2(text.startsWith(expected), qPrintable(text.left(8)));
        QCOMPARE(text.count('\n'), 24);
    }
};

QTEST_MAIN(ArtToolsTest)
#include "ArtToolsTest.moc"
