#pragma once

#include <QString>
#include <functional>

class QFileDialog;
class QWidget;

namespace vx {

class Prompter;

// The folder and file chooser (frmBrowseDir): Qt's file dialog, driven by the chooser's six
// properties. A folder that does not exist is created only when the user agrees.
struct BrowseRequest {
    bool fMode = false;  // true: choose a file; false: choose (and if need be create) a folder
    QString fFldr;       // in: where to start; out: the folder chosen
    QString fname;       // out: the file chosen (without folder), in file mode
    bool cCancel = false;
    QString fTitle;
    QString fLoadSave = "Save + Exit";
};

// Opens the chooser window-modal over `parent` (no nested event loop); `done` gets the request
// with its out properties filled, also after Cancel.
QFileDialog* openBrowseDir(QWidget* parent, BrowseRequest request, Prompter& prompter,
                           std::function<void(const BrowseRequest&)> done);

// A folder chosen or typed: one that does not exist yet is created when the user says so
// ("CREATE FOLDER"); `done` runs once that is settled, with the folder as it will be used.
void checkChosenFolder(const QString& folder, Prompter& prompter, std::function<void(const QString&)> done);

}  // namespace vx
