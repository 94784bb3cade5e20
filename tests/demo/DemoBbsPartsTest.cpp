// The demo board's pieces without a network: line input, the flood text, the command line and
// the screens as a terminal draws them.
#include <QTest>
#include <algorithm>
#include <stdexcept>
#include <string>

#include "Atascii.h"
#include "BoardScreens.h"
#include "DemoBbsOptions.h"
#include "FloodSource.h"
#include "LineInput.h"
#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenText.h"

using vx::demo::FloodSource;
using vx::demo::LineInput;

namespace {

constexpr char kEol = static_cast<char>(155);
constexpr char kBs = static_cast<char>(126);

std::string eol(std::string text) { return text + kEol; }

// A terminal that has drawn `bytes` from a clear screen.
struct DrawnScreen {
    vx::Framebuffer surface;
    vx::ScreenInterpreter interpreter{surface};
    vx::ScreenCodes codes;

    explicit DrawnScreen(const std::string& bytes) {
        interpreter.SendToScreen(bytes);
        const vx::GlyphIndex index;
        codes = vx::readScreenCodes(surface, index, 40);
    }
    int code(int col, int row) const { return codes[row][col].value_or(-1); }
    std::string row(int r) const {
        std::string text;
        for (const auto& cell : codes[r]) text += static_cast<char>(cell.value_or('?'));
        return text;
    }
};

}  // namespace

class DemoBbsPartsTest : public QObject {
    Q_OBJECT

private slots:
    void lineInput_data() {
        QTest::addColumn<std::string>("typed");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<std::string>("echo");
        const auto ascii = [](std::initializer_list<const char*> ls) {
            QStringList out;
            for (const char* l : ls) out << QString::fromLatin1(l);
            return out;
        };
        QTest::newRow("CR CR LF") << std::string("\r\r\n") << ascii({"", ""}) << eol("") + eol("");
        // A line feed anywhere else is ATASCII graphics character 10.
        QTest::newRow("LF alone") << std::string("\n\r") << ascii({"\n"}) << eol("\n");
        QTest::newRow("CR then a key") << std::string("\rm\r") << ascii({"", "m"}) << eol("") + eol("m");
        QTest::newRow("too long") << eol(std::string(250, 'x')) << QStringList{QString(200, 'x')}
                                  << eol(std::string(200, 'x'));
        QTest::newRow("room again after backspace")
            << std::string(201, 'x') + kBs + eol("y") << QStringList{QString(199, 'x') + "y"}
            << std::string(200, 'x') + kBs + eol("y");
    }
    void lineInput() {
        QFETCH(std::string, typed);
        QFETCH(QStringList, lines);
        QFETCH(std::string, echo);
        LineInput input;
        QStringList got;
        std::string echoed;
        for (char c : typed)
            if (auto finished = input.feed(static_cast<std::uint8_t>(c), echoed))
                got << QString::fromLatin1(finished->data(), qsizetype(finished->size()));
        QCOMPARE(got, lines);
        QCOMPARE(QByteArray::fromStdString(echoed).toHex(' '), QByteArray::fromStdString(echo).toHex(' '));
    }

    void lineInputMasksTheEchoButNotTheLine() {
        LineInput input;
        std::string echoed;
        input.feed('a', echoed);
        input.setEchoMask('*');
        std::optional<std::string> finished;
        for (char c : std::string("b\x1c") + kBs + "cd" + kEol)
            finished = input.feed(static_cast<std::uint8_t>(c), echoed);
        QVERIFY(finished);
        QCOMPARE(QByteArray::fromStdString(*finished), QByteArray("acd"));
        QCOMPARE(QByteArray::fromStdString(echoed).toHex(' '),
                 QByteArray::fromStdString("a*" + std::string(1, kBs) + "**" + kEol).toHex(' '));
        // Unmasked again, the next line is echoed as typed.
        input.setEchoMask(std::nullopt);
        echoed.clear();
        for (char c : eol("ok")) input.feed(static_cast<std::uint8_t>(c), echoed);
        QCOMPARE(QByteArray::fromStdString(echoed), QByteArray::fromStdString(eol("ok")));
    }

    void greetingCapitalisesLettersOnly_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("macro") << QByteArray("yourlogin") << QByteArray("YOURLOGIN");
        QTest::newRow("mixed") << QByteArray("Dale o'Brien 2") << QByteArray("DALE O'BRIEN 2");
        // Around the lower-case letters: a diamond and a spade, in both videos.
        QTest::newRow("edges") << QByteArray("`az{") << QByteArray("`AZ{");
        QTest::newRow("inverse") << QByteArray("\xe0\xe1\xfa\xfb\xc1") << QByteArray("\xe0\xc1\xda\xfb\xc1");
        QTest::newRow("graphics") << QByteArray("\x01\x7c\x14") << QByteArray("\x01\x7c\x14");
    }
    void greetingCapitalisesLettersOnly() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, shown);
        const QByteArray greeting = QByteArray::fromStdString(vx::demo::screens::greeting(name.toStdString()));
        QCOMPARE(greeting.toHex(' '), (kEol + ("Welcome, " + shown + "!") + kEol).toHex(' '));
    }

    void floodText_data() {
        QTest::addColumn<int>("total");
        for (int total : {1, 2, 39, 40, 41, 1024, 3 * 1024, 5 * 1024}) QTest::addRow("%d", total) << total;
    }
    void floodText() {
        QFETCH(int, total);
        FloodSource whole(static_cast<std::uint64_t>(total));
        std::string text;
        whole.take(1u << 20, text);
        QVERIFY(whole.done());
        QCOMPARE(text.size(), std::size_t(total));
        QCOMPARE(text.back(), kEol);

        // Taken in odd pieces, the stream is the same.
        for (std::size_t piece : {1u, 7u, 1000u}) {
            FloodSource pieces(static_cast<std::uint64_t>(total));
            std::string joined;
            while (!pieces.done()) pieces.take(piece, joined);
            QVERIFY(joined == text);
        }

        std::size_t start = 0;
        int lineNumber = 0;
        while (start < text.size()) {
            const std::size_t end = text.find(kEol, start);
            QVERIFY(end != std::string::npos);
            const std::string line = text.substr(start, end - start);
            QVERIFY2(line.size() <= 39, line.c_str());
            for (char c : line) QVERIFY(c >= 32 && c < 127);
            if (line.size() >= 7) QCOMPARE(std::stoi(line.substr(0, 7)), lineNumber);
            ++lineNumber;
            start = end + 1;
        }
    }

    void options_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("port");  // -1: refused
        QTest::addColumn<bool>("help");
        QTest::newRow("none") << QStringList{} << 6502 << false;
        QTest::newRow("port 0") << QStringList{"--port", "0"} << 0 << false;
        QTest::newRow("port=") << QStringList{"--port=7"} << 7 << false;
        QTest::newRow("highest") << QStringList{"--port", "65535"} << 65535 << false;
        QTest::newRow("help") << QStringList{"--help"} << 6502 << true;
        QTest::newRow("no number") << QStringList{"--port"} << -1 << false;
        QTest::newRow("too big") << QStringList{"--port", "65536"} << -1 << false;
        QTest::newRow("negative") << QStringList{"--port", "-1"} << -1 << false;
        QTest::newRow("trailing junk") << QStringList{"--port", "12x"} << -1 << false;
        QTest::newRow("empty") << QStringList{"--port="} << -1 << false;
        QTest::newRow("unknown") << QStringList{"--bogus"} << -1 << false;
        QTest::newRow("stray word") << QStringList{"6502"} << -1 << false;
        QTest::newRow("record") << QStringList{"--record", "in.bin", "--port", "9"} << 9 << false;
        QTest::newRow("record without a file") << QStringList{"--record"} << -1 << false;
    }
    void options() {
        QFETCH(QStringList, args);
        QFETCH(int, port);
        QFETCH(bool, help);
        std::vector<std::string> argv;
        for (const QString& a : args) argv.push_back(a.toStdString());
        const auto parsed = vx::demo::parseDemoBbsOptions(argv);
        if (port < 0) {
            const auto* problem = std::get_if<std::string>(&parsed);
            QVERIFY(problem);
            QVERIFY(!problem->empty() && problem->find('\n') == std::string::npos);
            return;
        }
        const auto* options = std::get_if<vx::demo::DemoBbsOptions>(&parsed);
        QVERIFY(options);
        QCOMPARE(int(options->port), port);
        QCOMPARE(options->help, help);
    }

    void artIsWrittenInLookAlikes() {
        using vx::demo::atascii::art;
        QCOMPARE(QByteArray::fromStdString(art("┏━┓|┗┛")), QByteArray("\x11\x12\x05|\x1a\x03"));
        QCOMPARE(QByteArray::fromStdString(art("a{Ab}█ ")), QByteArray("a\xc1\xe2\xa0 "));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, art("é"));
    }

    void welcomeDrawsAClosedBox() {
        const DrawnScreen screen(vx::demo::screens::welcome());
        QCOMPARE(screen.code(0, 0), 17);
        QCOMPARE(screen.code(37, 0), 5);
        QCOMPARE(screen.code(0, 2), 1);
        QCOMPARE(screen.code(37, 2), 4);
        // The bottom edge was pushed down by two inserted lines and must still be whole.
        QCOMPARE(screen.code(0, 4), 26);
        QCOMPARE(screen.code(37, 4), 3);
        for (int col = 1; col < 37; ++col) {
            QCOMPARE(screen.code(col, 0), 18);
            QCOMPARE(screen.code(col, 4), 18);
        }
        for (int row : {1, 3}) {
            QCOMPARE(screen.code(0, row), 124);
            QCOMPARE(screen.code(37, row), 124);
        }
        QVERIFY(screen.row(1).find(vx::demo::atascii::inverse("VEXTERM DEMO BOARD")) != std::string::npos);
        QVERIFY(screen.row(5).starts_with("  Welcome to the board! "));
        for (int row = 0; row < vx::ScreenInterpreter::kRows; ++row)
            QVERIFY2(screen.row(row).find("Dialing") == std::string::npos, "the taken-back line is still there");
        const auto& state = screen.interpreter.state();
        QCOMPARE(state.CursorY, 8);
        QCOMPARE(state.CursorX, 6);
        // The block cursor shows as an inverse blank just after the prompt.
        QCOMPARE(screen.row(state.CursorY), "NAME? " + std::string(1, '\xA0') + std::string(33, ' '));
    }

    // A caller logged in with the sample macros still sees the title box: the login and the menu
    // fit under it without scrolling.
    void loginAndMenuFitUnderTheWelcome() {
        namespace s = vx::demo::screens;
        const std::string shown = s::welcome() + eol("yourlogin") + std::string(s::kPasswordPrompt) +
                                  eol(std::string(12, '*')) + s::greeting("yourlogin") + s::mainMenu();
        const DrawnScreen screen(shown);
        QCOMPARE(screen.code(0, 0), 17);
        QVERIFY(screen.row(8).starts_with("NAME? yourlogin "));
        QVERIFY(screen.row(9).starts_with("PASSWORD? ************ "));
        QVERIFY(screen.row(11).starts_with("Welcome, YOURLOGIN! "));
        const auto& state = screen.interpreter.state();
        QVERIFY(state.CursorY < vx::ScreenInterpreter::kRows - 1);
        QVERIFY(screen.row(state.CursorY).starts_with("COMMAND? "));
    }

    // Every page, with the menu line after it, fits below the caller's command line without a
    // line running over the edge, so nothing of it scrolls away or wraps.
    void pagesFitOnOneScreen_data() {
        QTest::addColumn<std::string>("page");
        namespace s = vx::demo::screens;
        QTest::newRow("menu") << s::mainMenu();
        QTest::newRow("message") << s::message() + s::shortMenu();
        QTest::newRow("web") << s::webAddresses() + s::shortMenu();
        QTest::newRow("art") << s::artGallery() + s::shortMenu();
        QTest::newRow("slow page") << s::slowPage() + s::shortMenu();
        QTest::newRow("flood question") << s::floodQuestion();
        QTest::newRow("busy") << s::busy();
    }
    void pagesFitOnOneScreen() {
        QFETCH(std::string, page);
        const std::string shown = std::string(1, '\x7d') + page;
        const DrawnScreen screen(shown);
        const auto ends = std::count(shown.begin(), shown.end(), kEol);
        QVERIFY2(ends <= vx::ScreenInterpreter::kRows - 2, qPrintable(QString::number(ends)));
        // Without a wrap or a scroll, each end of line moves down exactly one row.
        QCOMPARE(screen.interpreter.state().CursorY, int(ends));
    }
};

QTEST_GUILESS_MAIN(DemoBbsPartsTest)
#include "DemoBbsPartsTest.moc"
