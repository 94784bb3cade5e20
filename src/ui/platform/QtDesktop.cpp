#include "ui/platform/QtDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef VX_HAVE_MULTIMEDIA
#include <QSoundEffect>
#include <QUrl>
#endif

namespace vx {

void QtSound::beep() { QApplication::beep(); }

bool QtSound::playFile(const std::string& fileName) {
#ifdef VX_HAVE_MULTIMEDIA
    // The sound lives beside the program.
    const QString path = QCoreApplication::applicationDirPath() + "/" + QString::fromStdString(fileName);
    if (!QFileInfo::exists(path)) return false;
    static QSoundEffect* effect = nullptr;
    if (!effect) effect = new QSoundEffect(QCoreApplication::instance());
    if (effect->source() != QUrl::fromLocalFile(path)) effect->setSource(QUrl::fromLocalFile(path));
    effect->play();
    return true;
#else
    (void)fileName;
    return false;
#endif
}

std::string QtShell::associatedProgram(const std::string& file) {
    (void)file;
    for (const char* opener : {"xdg-open", "gio", "open"}) {
        const QString found = QStandardPaths::findExecutable(opener);
        if (!found.isEmpty()) return found.toStdString();
    }
    return {};
}

bool QtShell::start(const std::string& program, const std::string& argument) {
    QStringList arguments;
    if (QFileInfo(QString::fromStdString(program)).fileName() == "gio") arguments << "open";
    arguments << QString::fromLatin1(argument.data(), static_cast<qsizetype>(argument.size()));
    return QProcess::startDetached(QString::fromStdString(program), arguments);
}

void QtClipboard::clear() { QGuiApplication::clipboard()->clear(); }

void QtClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

std::string QtClipboard::text() { return QGuiApplication::clipboard()->text().toLatin1().toStdString(); }

}  // namespace vx
