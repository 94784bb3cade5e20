#include "ui/tools/DumpPicker.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "log/StatusReporter.h"
#include "platform/Prompter.h"

namespace vx {
namespace {

std::string bytesOf(const QString& text) { return text.toLocal8Bit().toStdString(); }

}  // namespace

DumpPicker::DumpPicker(Prompter& prompter, StatusReporter& status, Actions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompter(prompter), m_status(status), m_actions(std::move(actions)) {
    setObjectName("frmPickSD");
    setWindowTitle("Pick BMP to view");
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);

    auto* folderRow = new QHBoxLayout;
    m_folder = new QLineEdit(this);
    m_folder->setObjectName("Dir1");
    m_folder->setToolTip("The folder shown");
    connect(m_folder, &QLineEdit::editingFinished, this, [this] { showFolder(m_folder->text()); });
    auto* browse = new QPushButton("Folder...", this);
    browse->setObjectName("cmdFolder");
    connect(browse, &QPushButton::clicked, this, [this] {
        auto* dialog = new QFileDialog(this, "Screen dump folder", folder());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& chosen) { showFolder(chosen); });
        dialog->open();
    });
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    layout->addLayout(folderRow);

    layout->addWidget(new QLabel("View BMP Files:", this));
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::Files);
    m_model->setNameFilters({"*.bmp", "*.BMP", "*.png", "*.PNG"});
    m_model->setNameFilterDisables(false);
    m_files = new QListView(this);
    m_files->setObjectName("File1");
    m_files->setModel(m_model);
    m_files->setMinimumSize(260, 220);
    connect(m_files, &QListView::clicked, this, [this](const QModelIndex& index) { select(m_model->fileName(index)); });
    connect(m_files, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { viewFile(m_model->fileName(index)); });
    layout->addWidget(m_files, 1);

    auto* buttons = new QHBoxLayout;
    m_delete = new QPushButton("Delete", this);
    m_delete->setObjectName("cmdDelete");
    m_delete->setEnabled(false);
    connect(m_delete, &QPushButton::clicked, this, [this] { deleteSelected(); });
    auto* exit = new QPushButton("E&xit 'View BMP'", this);
    exit->setObjectName("cmdExit");
    connect(exit, &QPushButton::clicked, this, [this] {
        if (m_actions.exit) m_actions.exit();
        close();
    });
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    layout->addLayout(buttons);
}

QString DumpPicker::folder() const { return m_folder->text(); }

void DumpPicker::showFolder(const QString& folder) {
    m_folder->setText(folder);
    m_files->setRootIndex(m_model->setRootPath(folder));
    select({});
}

void DumpPicker::select(const QString& name) {
    m_selected = name;
    m_delete->setEnabled(!name.isEmpty());
}

void DumpPicker::viewFile(const QString& name) {
    select(name);
    const QString path = QDir(folder()).filePath(name);
    if (name.isEmpty() || !QFile::exists(path)) {
        m_prompter.message("File: " + bytesOf(name) + "\r\nFile does not exist!", "", MessageIcon::Exclamation);
        return;
    }
    if (m_actions.view && !m_actions.view(path)) {
        m_prompter.message("File: " + bytesOf(name) + "\r\nNot a picture this program can show.", "",
                           MessageIcon::Exclamation);
        return;
    }
    m_status.ShowStatus("Viewing: " + bytesOf(name), false, false);
}

void DumpPicker::deleteSelected() {
    const QString name = m_selected;
    if (name.isEmpty()) return;
    m_prompter.askYesNo("You are about to delete the file: " + bytesOf(name) + ".\rAre you sure?", "DELETE FILE",
                        MessageIcon::Question, [this, name, guard = QPointer<DumpPicker>(this)](bool yes) {
                            if (!guard || !yes) return;
                            QFile file(QDir(folder()).filePath(name));
                            if (!file.remove()) {
                                m_status.ShowStatus("Not deleted: " + bytesOf(name), false, false);
                                m_prompter.message(
                                    "Could not delete " + bytesOf(name) + ":\r\n" + bytesOf(file.errorString()),
                                    "DELETE FILE", MessageIcon::Exclamation);
                                return;
                            }
                            m_status.ShowStatus("Deleted: " + bytesOf(name), false, false);
                            select({});
                        });
}

void DumpPicker::closeEvent(QCloseEvent* event) {
    m_status.ShowStatus("", false, false);
    QWidget::closeEvent(event);
}

}  // namespace vx
