// The Box and the URL list through their windows: a received message scrolled back into The
// Box, quoted and sent to a board on 127.0.0.1; the controls, the focus and the glyph font; the
// detected addresses copied, opened and switched off.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "screen/AtasciiFont.h"
#include "screen/GlyphFont.h"
#include "support/DesktopRun.h"
#include "support/UiTestSupport.h"
#include "ui/terminal/BoxEditor.h"
#include "ui/terminal/ScreenWidget.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/tools/UrlListWindow.h"

using namespace vx;
using namespace vx::test;

namespace {

constexpr int kWaitMs = 5000;
const QByteArray kEol("\x9b");

template <typename T>
T* control(Run& run, const char* name) {
    return child<T>(&run.app->frame(), name);
}

void click(Run& run, const char* name) { vx::test::click(&run.app->frame(), name); }

QByteArray boxBytes(Run& run) {
    const std::string text = run.app->boxEditor().text();
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

bool activate(Run& run) {
    run.app->frame().activateWindow();
    return QTest::qWaitForWindowActive(&run.app->frame());
}

// A started program with The Box open, the sample board pointed at `board`.
void startWithBox(Run& run, LoopbackBoard& board) {
    run.app->config().UseTW = true;
    run.app->start();
    run.pointSampleBoardAt(board.port());
    QVERIFY(activate(run));
}

void connectTo(Run& run, LoopbackBoard& board) {
    startWithBox(run, board);
    run.app->session().connection().connectButton();
    QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected() && board.calls() == 1, kWaitMs);
}

// The glyph the Box font draws for a character at 16 pixels, as 16 rows of 16 bits.
std::array<std::uint16_t, 16> drawnGlyph(char32_t c) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QFont font = BoxEditor::atasciiFont(16);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(0, QFontMetrics(font).ascent()), QString::fromUcs4(&c, 1));
    painter.end();
    std::array<std::uint16_t, 16> rows{};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (qGray(image.pixel(x, y)) < 128)
                rows[static_cast<std::size_t>(y)] |= static_cast<std::uint16_t>(0x8000 >> x);
    return rows;
}

// The same character from the glyph table, each pixel doubled; codes from 128 are inverse.
std::array<std::uint16_t, 16> tableGlyph(int code) {
    std::array<std::uint16_t, 16> rows{};
    const auto& bitmap = atasciiFont8x8()[static_cast<std::size_t>(code & 0x7f)];
    for (int r = 0; r < 8; ++r) {
        std::uint8_t bits = bitmap[static_cast<std::size_t>(r)];
        if (code >= 128) bits = static_cast<std::uint8_t>(~bits);
        std::uint16_t doubled = 0;
        for (int x = 0; x < 8; ++x)
            if (bits & (0x80 >> x)) doubled |= static_cast<std::uint16_t>(0xC000 >> (2 * x));
        rows[static_cast<std::size_t>(2 * r)] = rows[static_cast<std::size_t>(2 * r + 1)] = doubled;
    }
    return rows;
}

}  // namespace

class BoxTest : public QObject {
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    // The four quoting steps with the mouse: the message the board sent comes back into The Box,
    // is wrapped with the typed prefix and reaches the board as these exact bytes.
    void aReceivedMessageIsQuotedAndSentBack() {
        LoopbackBoard board;
        Run run;
        connectTo(run, board);
        board.send("Hi all," + kEol + "The swap meet is on Saturday at the library hall." + kEol + "Dale" + kEol);
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().sessionChars() >= 63, kWaitMs);

        click(run, "cmdSBtoBox");
        QCOMPARE(boxBytes(run), QByteArray("Hi all, The swap meet is on Saturday at the library hall. Dale "));
        QVERIFY(control<QLabel>(run, "shpQuote_1")->isVisible());

        click(run, "cmdEditBox");
        QCOMPARE(QApplication::focusWidget(), &run.app->boxEditor());
        QVERIFY(control<QLabel>(run, "shpQuote_2")->isVisible());
        QTest::keyClicks(control<QLineEdit>(run, "txtQuotePrefix"), "XY");

        click(run, "cmdQuoteBox");
        const QByteArray quoted =
            "XY Hi all, The swap meet" + kEol + "XY is on Saturday at the" + kEol + "XY library hall. Dale " + kEol;
        QCOMPARE(boxBytes(run), quoted);
        QVERIFY(control<QLabel>(run, "shpQuote_3")->isVisible());

        board.clear();
        click(run, "cmdSendFmtd");
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), quoted, kWaitMs);
        QCOMPARE(boxBytes(run), quoted);  // the Box keeps its text
        QVERIFY(control<QLabel>(run, "shpQuote_0")->isVisible());
        QCOMPARE(QApplication::focusWidget(), run.app->screenWindow().screen());
    }

    void theSendButtonsPutTheBoxOnTheLine() {
        LoopbackBoard board;
        Run run;
        connectTo(run, board);
        run.app->boxEditor().appendText("one\r\ntwo");
        click(run, "cmdPaste");
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), QByteArray("one\r\ntwo"), kWaitMs);
        board.clear();
        click(run, "cmdPasteClear");
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), "one\r\ntwo" + kEol, kWaitMs);
        QCOMPARE(boxBytes(run), QByteArray());
        board.clear();
        click(run, "cmdCR");
        click(run, "cmdApS_2");
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), kEol + "\x13", kWaitMs);

        // The clipboard pasted to the board: its lines end as the board's lines do.
        board.clear();
        QGuiApplication::clipboard()->setText("first\nsecond");
        QAction* paste = run.app->screenWindow().findChild<QAction*>("mnuPasteScreen");
        QVERIFY(paste->isEnabled());
        paste->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(board.received(), "first" + kEol + "second", kWaitMs);
    }

    // A board that does not wrap gets the Box in pieces with a second between them; presses of the
    // send buttons in those pauses neither send a piece again nor put their text in the middle.
    void whileTheBoxGoesOutInPiecesTheSendButtonsWait() {
        LoopbackBoard board;
        Run run;
        startWithBox(run, board);
        BBSList& list = run.app->bbsList();
        list.record().NoWrap = true;
        QVERIFY(list.SaveBBSRecord("1", list.record(), false));
        run.app->session().connection().selectBBS(0);
        run.app->session().connection().connectButton();
        QTRY_VERIFY_WITH_TIMEOUT(run.app->session().connection().connected() && board.calls() == 1, kWaitMs);
        const QByteArray message = QByteArray("0123456789").repeated(40);
        run.app->boxEditor().appendText(message.toStdString());

        click(run, "cmdSendFmtd");
        QTRY_COMPARE_WITH_TIMEOUT(board.received().size(), 152, kWaitMs);
        for (const char* name : {"cmdSendFmtd", "cmdPaste", "cmdPasteClear", "cmdCR", "cmdApS_2"}) {
            QVERIFY2(!control<QPushButton>(run, name)->isEnabled(), name);
            click(run, name);
        }
        QVERIFY(control<QLabel>(run, "lblBoxSending")->isVisible());
        QCOMPARE(control<QLabel>(run, "lblBoxSending")->text(), QString("Sending in pieces: 1 of 3 sent"));
        QTRY_VERIFY_WITH_TIMEOUT(control<QPushButton>(run, "cmdPaste")->isEnabled(), kWaitMs);
        QCOMPARE(board.received(), message);
        QVERIFY(!control<QLabel>(run, "lblBoxSending")->isVisible());
    }

    // The Box's keys: Ctrl+Z puts an ATASCII end of line at the cursor and leaves the cursor
    // before it; Alt+T moves the keys between The Box and the screen; a Clear can be undone.
    void theKeysAndTheFocus() {
        LoopbackBoard board;
        Run run;
        connectTo(run, board);
        BoxEditor& editor = run.app->boxEditor();
        QWidget* screen = run.app->screenWindow().screen();

        QTest::keyClick(screen, Qt::Key_T, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), &editor);
        QVERIFY(control<QLabel>(run, "shpBoxFocus")->isVisible());
        QTest::keyClicks(&editor, "ab");
        QTest::keyClick(&editor, Qt::Key_Left);
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(boxBytes(run), "a" + kEol + "b");
        QCOMPARE(editor.textCursor().position(), 1);
        QCOMPARE(control<QLineEdit>(run, "txtLenText")->text(), QString("3"));
        QCOMPARE(control<QLabel>(run, "lblBoxLines")->text(), QString("2 lines"));

        QTest::keyClick(&editor, Qt::Key_T, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), screen);
        QVERIFY(!control<QLabel>(run, "shpBoxFocus")->isVisible());
        QVERIFY(board.received().isEmpty());  // nothing typed in The Box went to the board

        click(run, "cmdClear");
        QCOMPARE(boxBytes(run), QByteArray());
        QVERIFY(control<QPushButton>(run, "cmdUndo")->isEnabled());
        click(run, "cmdUndo");
        QCOMPARE(boxBytes(run), "a" + kEol + "b");
        QCOMPARE(QApplication::focusWidget(), screen);  // the buttons leave the keys where they were
    }

    // The settings beside The Box read back from the core, and what typing in them does.
    void theSettingsAndTheBoxWidth() {
        LoopbackBoard board;
        Run run;
        startWithBox(run, board);
        BBSList& list = run.app->bbsList();
        list.record().NoWrap = true;
        list.record().SendDelayValue = 7;
        QVERIFY(list.SaveBBSRecord("1", list.record(), false));
        QTest::keyClicks(control<QLineEdit>(run, "txtQuotePrefix"), "QQ");
        run.app->session().connection().selectBBS(0);  // the board picked again
        QVERIFY(control<QLabel>(run, "lblNoWrap")->isVisible());
        QCOMPARE(control<QLineEdit>(run, "txtQuotePrefix")->text(), QString());
        auto* delay = control<QLineEdit>(run, "Text3");
        QCOMPARE(delay->text(), QString("7"));
        delay->selectAll();
        QTest::keyClicks(delay, "12x");
        QCOMPARE(delay->text(), QString("12"));  // the letter was refused
        QCOMPARE(run.app->session().box().sendDelay(), 12);

        auto* slider = control<QSlider>(run, "Slider1");
        slider->setValue(25);
        QCOMPARE(control<QLineEdit>(run, "txtAlarmCol")->text(), QString("25"));
        QCOMPARE(run.app->session().box().alarmColumn(), 25);

        auto* width = control<QPushButton>(run, "cmd4080");
        QCOMPARE(width->text(), QString("80"));
        QCOMPARE(slider->maximum(), 40);
        click(run, "cmd4080");
        QCOMPARE(width->text(), QString("40"));
        QCOMPARE(slider->maximum(), 80);
        QCOMPARE(control<QLabel>(run, "Text4")->text().size(), 80);
        QCOMPARE(run.app->boxEditor().columns(), 80);
        click(run, "cmd4080");
        QCOMPARE(control<QLabel>(run, "Text4")->text(), QString("1234567890").repeated(4));

        // The Box open and closed: the frame's heights, the keys never left in a hidden Box.
        MainFrame& frame = run.app->frame();
        QVERIFY(frame.height() >= MainFrame::kHeightBoxOpen);
        run.app->boxEditor().setFocus();
        click(run, "cmdTW");
        QVERIFY(!run.app->session().box().open());
        QVERIFY(!run.app->boxEditor().isVisible());
        QCOMPARE(frame.height(), MainFrame::kHeightBoxClosed);
        QCOMPARE(QApplication::focusWidget(), run.app->screenWindow().screen());
        click(run, "cmdTW");
        QVERIFY(run.app->boxEditor().isVisible());
        QVERIFY(frame.height() >= MainFrame::kHeightBoxOpen);
    }

    // Every byte the Box can hold survives the editor, and the font draws each as the screen does.
    void theBoxShowsAtasciiGlyphs() {
        BoxEditor editor;
        std::string every;
        for (int code = 0; code < 256; ++code)
            if (code != 13 && code != 10) every += static_cast<char>(code);  // CR LF is the editor's line break
        editor.appendText(every);
        QCOMPARE(editor.text(), every);

        QCOMPARE(QFontInfo(BoxEditor::atasciiFont(16)).family(), QString(kGlyphFontFamily));
        struct Shown {
            char32_t character;
            int code;
        };
        for (const Shown& shown : {Shown{U'A', 65}, Shown{U'~', 126}, Shown{0xE000 + 0x11, 0x11},
                                   Shown{0xE000 + 0x7D, 0x7D}, Shown{0xC1, 0xC1}, Shown{0xE000 + 0x94, 0x94}}) {
            QCOMPARE(drawnGlyph(shown.character), tableGlyph(shown.code));
        }
    }

    // The URL list: an address the board shows arrives in slot 0; Copy puts it on the clipboard,
    // a click on it starts the configured browser with it; Command7 switches detection off and
    // hides the list, and on again.
    void detectedAddressesAreListed() {
        LoopbackBoard board;
        Run run;
        run.app->config().DetectURLs = true;
        connectTo(run, board);
        UrlListWindow* list = run.app->urlListWindow();
        QVERIFY(list && list->isVisible());
        board.send("see http://atari.example/files now" + kEol);
        auto* address = list->findChild<QLabel*>("lblBBSwebsite_0");
        QTRY_COMPARE_WITH_TIMEOUT(address->text(), QString("http://atari.example/files"), kWaitMs);
        QVERIFY(list->findChild<QLabel*>("shpLastURL_0")->isVisible());
        QVERIFY(list->findChild<QLabel*>("lblLastCopy")->isVisible());

        QTest::mouseClick(list->findChild<QPushButton*>("cmdCopyURL_0"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("http://atari.example/files"));

        const QString browser = QString::fromStdString((run.temp / "browser.sh").string());
        const QString opened = QString::fromStdString((run.temp / "opened.txt").string());
        QFile script(browser);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(("#!/bin/sh\necho \"$1\" > '" + opened + "'\n").toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        run.app->config().WebBrowser = browser.toStdString();
        QTest::mouseClick(address, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(fileText(opened.toStdString())),
                                  QString("http://atari.example/files\n"), kWaitMs);

        click(run, "Command7");
        QVERIFY(!run.app->config().DetectURLs);
        QVERIFY(!list->isVisible());
        board.send("http://missed.example/ " + kEol);
        QTest::qWait(200);
        QCOMPARE(list->findChild<QLabel*>("lblBBSwebsite_1")->text(), QString());
        click(run, "Command7");
        QVERIFY(run.app->config().DetectURLs && list->isVisible());
        // The capture menu's entry switches detection too, but leaves the list open.
        QAction* detect = run.app->screenWindow().findChild<QAction*>("mnuDetectURLs");
        QVERIFY(detect->isChecked());
        detect->trigger();
        QVERIFY(!run.app->config().DetectURLs && !detect->isChecked() && list->isVisible());
        detect->trigger();
        QVERIFY(run.app->config().DetectURLs && detect->isChecked());

        QTest::mouseClick(list->findChild<QPushButton*>("cmdClearURLs"), Qt::LeftButton);
        QCOMPARE(address->text(), QString());
        QVERIFY(!list->findChild<QPushButton*>("cmdCopyURL_0")->isVisible());
    }
};

QTEST_MAIN(BoxTest)
#include "BoxTest.moc"
