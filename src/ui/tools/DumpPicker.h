#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace vx {

class Prompter;
class StatusReporter;

// "Pick BMP to view" (frmPickSD): the screen dumps of a folder (BMP and PNG). A double-click shows
// one on the screen window; Delete removes one after asking.
class DumpPicker : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<bool(const QString& path)> view{};  // false when the picture could not be read
        std::function<void()> exit{};                     // the keys go back to the screen
    };

    DumpPicker(Prompter& prompter, StatusReporter& status, Actions actions, QWidget* parent = nullptr);

    // Shows the folder's dumps.
    void showFolder(const QString& folder);
    QString folder() const;
    QString selectedName() const { return m_selected; }
    // A double-click on a name, as the list does it.
    void viewFile(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void deleteSelected();
    void select(const QString& name);

    Prompter& m_prompter;
    StatusReporter& m_status;
    Actions m_actions;
    QFileSystemModel* m_model = nullptr;
    QLineEdit* m_folder = nullptr;
    QListView* m_files = nullptr;
    QPushButton* m_delete = nullptr;
    QString m_selected;
};

}  // namespace vx
