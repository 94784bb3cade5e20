#include "ui/platform/QtDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
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

// Whether the freedesktop opener has a program for web pages behind it: the desktop's default
// for the page's type, a browser named in $BROWSER, or one of the browsers it falls back on.
// Without one it starts, finds nothing and exits, and the page silently does not open.
bool openerHasABrowser(const std::string& file) {
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    const QString mime = QMimeDatabase().mimeTypeForFile(QString::fromStdString(file)).name();
    const QString query = QStandardPaths::findExecutable("xdg-mime");
    if (!query.isEmpty()) {
        QProcess process;
        process.start(query, {"query", "default", mime});
        if (process.waitForFinished(3000) && !process.readAllStandardOutput().trimmed().isEmpty()) return true;
    }
    for (const char* browser : {"x-www-browser", "www-browser", "firefox", "firefox-esr", "chromium", "chromium-browser",
                                "google-chrome", "epiphany", "konqueror", "falkon", "seamonkey", "links2", "elinks",
                                "links", "lynx", "w3m"})
        if (!QStandardPaths::findExecutable(browser).isEmpty()) return true;
    return false;
}

}  // namespace

std::string QtShell::associatedProgram(const std::string& file) {
    for (const char* opener : {"xdg-open", "gio", "open"}) {
        const QString found = QStandardPaths::findExecutable(opener);
        if (found.isEmpty()) continue;
        if (QString(opener) == "xdg-open" && !openerHasABrowser(file)) return {};
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
