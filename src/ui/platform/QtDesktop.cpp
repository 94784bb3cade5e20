#include "ui/platform/QtDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <QSoundEffect>
#include <QUrl>

#include "tools/BoxFormat.h"
#include "ui/platform/ByteText.h"

namespace vx {

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

void QtSound::beep() {
    // The bell has its own short sound: the desktop's beep is silent on many systems.
    if (!playFile(kBellSound)) QApplication::beep();
}

bool QtSound::playFile(const std::string& fileName) {
    // The sounds live beside the program in the build folder and in <prefix>/share/vexterm once
    // installed. Without a sound device they play into nothing.
    const QString name = QString::fromStdString(fileName);
    const QString beside = QCoreApplication::applicationDirPath();
    QString path = beside + "/" + name;
    if (!QFileInfo::exists(path)) path = QDir::cleanPath(beside + "/../share/vexterm/" + name);
    if (!QFileInfo::exists(path)) return false;
    std::unique_ptr<QSoundEffect>& effect = m_effects[fileName];
    if (!effect) {
        effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl::fromLocalFile(path));
    }
    if (effect->status() == QSoundEffect::Error) return false;
    effect->play();
    return true;
}

namespace {

// The folders of one kind of the desktop's base directories: $NAME, else `fallback`, then the
// colon-separated list in $LIST_NAME, else `listFallback`.
QStringList baseFolders(const char* name, const QString& fallback, const char* listName, const QString& listFallback) {
    QStringList folders{qEnvironmentVariableIsEmpty(name) ? fallback : qEnvironmentVariable(name)};
    const QString list = qEnvironmentVariableIsEmpty(listName) ? listFallback : qEnvironmentVariable(listName);
    folders += list.split(':', Qt::SkipEmptyParts);
    return folders;
}

// Whether a desktop association file gives web pages or web addresses a program: a line such
// as "text/html=app.desktop;".
bool associationNamesABrowser(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        for (const QByteArray key : {QByteArray("text/html="), QByteArray("x-scheme-handler/http=")})
            if (line.startsWith(key) && !line.mid(key.size()).replace(';', "").trimmed().isEmpty()) return true;
    }
    return false;
}

// Whether a freedesktop opener has a program for web pages behind it (it is only ever asked
// about web pages: the help page and the page that stands for an address): a browser named in
// $BROWSER, a program the desktop associates with web pages (its mimeapps.list files and the
// installed programs' cache), or one of the browsers it falls back on. Without one it starts,
// finds nothing and exits, and the page silently does not open.
bool openerHasABrowser() {
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    const QString home = QDir::homePath();
    for (const QString& folder : baseFolders("XDG_CONFIG_HOME", home + "/.config", "XDG_CONFIG_DIRS", "/etc/xdg"))
        if (associationNamesABrowser(folder + "/mimeapps.list")) return true;
    for (const QString& folder :
         baseFolders("XDG_DATA_HOME", home + "/.local/share", "XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        for (const char* list : {"/applications/mimeapps.list", "/applications/mimeinfo.cache"})
            if (associationNamesABrowser(folder + list)) return true;
    for (const char* browser :
         {"x-www-browser", "www-browser", "firefox", "firefox-esr", "chromium", "chromium-browser", "google-chrome",
          "epiphany", "konqueror", "falkon", "seamonkey", "links2", "elinks", "links", "lynx", "w3m"})
        if (!QStandardPaths::findExecutable(browser).isEmpty()) return true;
    return false;
}

}  // namespace

std::string QtShell::associatedProgram(const std::string& file) {
    (void)file;  // always a web page
    for (const char* opener : {"xdg-open", "gio", "open"}) {
        const QString found = QStandardPaths::findExecutable(opener);
        if (found.isEmpty()) continue;
        // The freedesktop openers pick a program from the same associations.
        if (QString(opener) != "open" && !openerHasABrowser()) return {};
        return found.toStdString();
    }
    return {};
}

bool QtShell::start(const std::string& program, const std::string& argument) {
    QStringList arguments;
    if (QFileInfo(QString::fromStdString(program)).fileName() == "gio") arguments << "open";
    arguments << qtText(argument);
    return QProcess::startDetached(QString::fromStdString(program), arguments);
}

void QtClipboard::clear() { QGuiApplication::clipboard()->clear(); }

void QtClipboard::setText(const std::string& text) { QGuiApplication::clipboard()->setText(qtText(text)); }

std::string QtClipboard::text() {
    // Line breaks as CR LF, ATASCII glyphs copied from The Box as their codes, other characters
    // as their ATASCII look-alikes.
    QString text = QGuiApplication::clipboard()->text();
    text.replace("\r\n", "\n");
    const QList<uint> ucs4 = text.toUcs4();
    return box::bytesOfDisplay(std::u32string(ucs4.begin(), ucs4.end()));
}

std::u32string QtClipboard::characters() {
    const QList<uint> ucs4 = QGuiApplication::clipboard()->text().normalized(QString::NormalizationForm_D).toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

}  // namespace vx
