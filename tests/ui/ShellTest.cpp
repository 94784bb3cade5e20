// What a board sends can end up as an address the browser is started with. The browser is
// started directly with the address as its one argument: no shell ever reads those bytes, so
// quotes, semicolons and command substitutions stay text.
#include <QElapsedTimer>
#include <QtTest>
#include <filesystem>

#include "base/AtomicFile.h"
#include "support/TempDir.h"
#include "support/UiTestSupport.h"
#include "ui/platform/QtDesktop.h"

using namespace vx;
using namespace vx::test;

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    void anAddressReachesTheBrowserAsOneArgumentAndNothingRuns_data() {
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("command substitution") << QByteArray("http://x.example/$(touch PWNED)");
        QTest::newRow("backquotes") << QByteArray("http://x.example/`touch PWNED`");
        QTest::newRow("separators") << QByteArray("http://x.example/a;touch PWNED&&touch PWNED|touch PWNED");
        QTest::newRow("quotes and blanks") << QByteArray("http://x.example/\"' touch PWNED '\"");
        QTest::newRow("a leading dash") << QByteArray("--help");
        QTest::newRow("8-bit bytes") << QByteArray("http://x.example/\x9b\xff\x80");
    }
    // Bytes above 127 are characters of Windows-1252, the program's code page, and go out in the
    // system's encoding (UTF-8).
    static QByteArray utf8Of(QByteArray address) {  // 0x80 first: the others' UTF-8 holds that byte
        return address.replace("\x80", "\u20AC").replace("\x9b", "\u203A").replace("\xff", "\u00FF");
    }

    void anAddressReachesTheBrowserAsOneArgumentAndNothingRuns() {
        QFETCH(QByteArray, address);
        TempDir temp;
        const std::string folder = temp.path().string();
        // A stand-in browser that writes each argument it got, one per line, in hex.
        const std::string browser = folder + "/browser";
        const std::string script = "#!/bin/sh\ncd '" + folder + "'\nfor a in \"$@\"; do printf '%s' \"$a\" | od -An -tx1 | tr -d ' \\n' >> args; echo >> args; done\ntouch done\n";
        QCOMPARE(writeFileAtomically(browser, script), 0);
        std::filesystem::permissions(browser, std::filesystem::perms::owner_all);

        QtShell shell;
        QVERIFY(shell.start(browser, std::string(address.constData(), static_cast<std::size_t>(address.size()))));
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(folder + "/done"), 10000);
        std::string args;
        QVERIFY(readWholeFile(folder + "/args", args));
        QCOMPARE(QByteArray::fromStdString(args), utf8Of(address).toHex() + "\n");
        QVERIFY(!std::filesystem::exists(folder + "/PWNED"));
    }

    // The desktop's opener is offered only when something behind it opens web pages: a program
    // the desktop associates with the page's type, a browser named in $BROWSER, or a browser on
    // the PATH. Otherwise the opener would start, find nothing, and the page would silently not
    // open.
    void theOpenerIsOfferedOnlyWithABrowserBehindIt_data() {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("association");  // a file under the temporary base folders
        QTest::addColumn<QByteArray>("browserVariable");
        QTest::addColumn<QString>("browserOnPath");
        QTest::addColumn<bool>("offered");
        QTest::newRow("nothing behind it") << QString("xdg-open") << QString() << QByteArray() << QString() << false;
        QTest::newRow("an image viewer only")
            << QString("xdg-open") << QString("config/mimeapps.list") << QByteArray() << QString() << false;
        QTest::newRow("the user's default")
            << QString("xdg-open") << QString("config/mimeapps.list") << QByteArray() << QString() << true;
        QTest::newRow("an installed program")
            << QString("xdg-open") << QString("data/applications/mimeinfo.cache") << QByteArray() << QString() << true;
        QTest::newRow("$BROWSER") << QString("xdg-open") << QString() << QByteArray("lynx") << QString() << true;
        QTest::newRow("a browser on the PATH")
            << QString("xdg-open") << QString() << QByteArray() << QString("x-www-browser") << true;
        QTest::newRow("gio, nothing behind it") << QString("gio") << QString() << QByteArray() << QString() << false;
        QTest::newRow("gio and the user's default")
            << QString("gio") << QString("config/mimeapps.list") << QByteArray() << QString() << true;
    }
    void theOpenerIsOfferedOnlyWithABrowserBehindIt() {
        QFETCH(QString, opener);
        QFETCH(QString, association);
        QFETCH(QByteArray, browserVariable);
        QFETCH(QString, browserOnPath);
        QFETCH(bool, offered);
        TempDir temp;
        const std::string bin = temp.path().string();
        const auto script = [&](const std::string& name) {
            QCOMPARE(writeFileAtomically(bin + "/" + name, "#!/bin/sh\nexit 3\n"), 0);
            std::filesystem::permissions(bin + "/" + name, std::filesystem::perms::owner_all);
        };
        script(opener.toStdString());
        if (!browserOnPath.isEmpty()) script(browserOnPath.toStdString());
        if (!association.isEmpty()) {
            const std::string type =
                QTest::currentDataTag() == QByteArray("an image viewer only") ? "image/png" : "text/html";
            const std::filesystem::path where = temp / association.toStdString();
            std::filesystem::create_directories(where.parent_path());
            QCOMPARE(writeFileAtomically(where.string(), "[Default Applications]\n" + type + "=web.desktop;\n"), 0);
        }
        const char* names[] = {"PATH",          "BROWSER",      "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
                               "XDG_DATA_HOME", "XDG_DATA_DIRS"};
        QByteArray kept[std::size(names)];
        for (std::size_t i = 0; i < std::size(names); ++i) kept[i] = qgetenv(names[i]);
        qputenv("PATH", QByteArray::fromStdString(bin));
        qputenv("BROWSER", browserVariable);
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(bin + "/config"));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(bin + "/none"));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(bin + "/none"));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(bin + "/data"));
        const std::string page = bin + "/page.htm";
        QCOMPARE(writeFileAtomically(page, "<html></html>"), 0);
        const std::string found = QtShell().associatedProgram(page);
        for (std::size_t i = 0; i < std::size(names); ++i) qputenv(names[i], kept[i]);
        QCOMPARE(QString::fromStdString(found),
                 offered ? QString::fromStdString(bin + "/" + opener.toStdString()) : QString());
    }
};

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
