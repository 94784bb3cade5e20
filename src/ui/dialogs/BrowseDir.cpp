#include "ui/dialogs/BrowseDir.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

#include "platform/Prompter.h"

namespace vx {

QFileDialog* openBrowseDir(QWidget* parent, BrowseRequest request, Prompter& prompter,
                           std::function<void(const BrowseRequest&)> done) {
    auto* dialog = new QFileDialog(parent, request.fTitle);
    dialog->setObjectName("frmBrowseDir");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The platform's own dialog would ignore the caption of the confirm button.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setLabelText(QFileDialog::Accept, request.fLoadSave);
    const QString start = request.fFldr.trimmed().isEmpty() ? QDir::rootPath() : request.fFldr.trimmed();
    if (request.fMode) {
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setDirectory(start);
        if (!request.fname.isEmpty()) dialog->selectFile(request.fname);
    } else {
        // A folder that does not exist yet may be typed in and is created on confirmation.
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        dialog->setDirectory(QFileInfo(start).isDir() ? start : QFileInfo(start).absolutePath());
    }
    QObject::connect(dialog, &QFileDialog::rejected, dialog, [request, done]() mutable {
        request.cCancel = true;
        done(request);
    });
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [request, done, &prompter](const QString& chosen) mutable {
        request.cCancel = false;
        if (request.fMode) {
            const QFileInfo file(chosen);
            request.fFldr = QDir::toNativeSeparators(file.absolutePath());
            request.fname = file.fileName();
            done(request);
            return;
        }
        checkChosenFolder(chosen, prompter, [request, done](const QString& folder) mutable {
            request.fFldr = folder;
            done(request);
        });
    });
    dialog->open();
    return dialog;
}

void checkChosenFolder(const QString& chosen, Prompter& prompter, std::function<void(const QString&)> done) {
    const QString folder = QDir::toNativeSeparators(chosen.trimmed());
    if (QFileInfo(folder).isDir()) {
        done(folder);
        return;
    }
    prompter.askYesNo("Folder does not exist!\rDo you want to create it?", "CREATE FOLDER", MessageIcon::Question,
                      [folder, done](bool yes) {
                          if (yes) QDir().mkpath(folder);
                          done(folder);
                      });
}

}  // namespace vx
