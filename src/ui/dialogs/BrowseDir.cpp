#include "ui/dialogs/BrowseDir.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "platform/Prompter.h"

namespace vx {
namespace {

// Qt's folder dialog refuses a folder that does not exist with a message of its own, before
// anyone can offer to make it: a typed new folder is taken here first and handed to `missing`,
// which finishes the dialog once the user has answered.
class FolderDialog : public QFileDialog {
public:
    using Missing = std::function<void(FolderDialog& dialog, const QString& folder)>;
    FolderDialog(QWidget* parent, const QString& title, Missing missing)
        : QFileDialog(parent, title), m_missing(std::move(missing)) {}

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (fileMode() == Directory && chosen.size() == 1 && !QFileInfo::exists(chosen.first())) {
            m_missing(*this, chosen.first());
            return;
        }
        QFileDialog::accept();
    }

    // Ends the dialog as accepted without Qt's own check of the folder.
    void finish() { QDialog::accept(); }

private:
    Missing m_missing;
};

// Qt greys the confirm button while the typed folder does not exist; a mouse user could then
// never reach the question that makes it. The button is given back after each edit.
void keepAcceptForNewFolders(QFileDialog& dialog) {
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    if (!name || !buttons) return;
    QObject::connect(name, &QLineEdit::textChanged, &dialog, [buttons](const QString& text) {
        if (QPushButton* accept = buttons->button(QDialogButtonBox::Open); accept && !text.trimmed().isEmpty())
            accept->setEnabled(true);
    });
}

}  // namespace

QFileDialog* openBrowseDir(QWidget* parent, BrowseRequest request, Prompter& prompter,
                           std::function<void(const BrowseRequest&)> done) {
    const auto askToCreate = [request, done, &prompter](FolderDialog& dialog, const QString& typed) mutable {
        checkChosenFolder(typed, prompter,
                          [request, done, dialog = QPointer<FolderDialog>(&dialog)](const QString& folder) mutable {
                              if (dialog) dialog->finish();
                              request.cCancel = false;
                              request.fFldr = folder;
                              done(request);
                          });
    };
    auto* dialog = new FolderDialog(parent, request.fTitle, askToCreate);
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
        // A folder that does not exist yet may be typed in and is made when the user agrees.
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        dialog->setDirectory(QFileInfo(start).isDir() ? start : QFileInfo(start).absolutePath());
        keepAcceptForNewFolders(*dialog);
    }
    QObject::connect(dialog, &QFileDialog::rejected, dialog, [request, done]() mutable {
        request.cCancel = true;
        done(request);
    });
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [request, done](const QString& chosen) mutable {
        request.cCancel = false;
        if (request.fMode) {
            const QFileInfo file(chosen);
            request.fFldr = QDir::toNativeSeparators(file.absolutePath());
            request.fname = file.fileName();
            done(request);
            return;
        }
        request.fFldr = QDir::toNativeSeparators(chosen.trimmed());
        done(request);
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
