#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace vx {

class BBSEditor;
struct BBSEditorFields;

// The BBS editor window (frmBBS): every field of the record shown, the buttons, the directory
// list with its search box. It shows the editor core's state and hands the user's edits and
// clicks to it; it decides nothing itself.
class BBSEditorWindow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> website{};      // cmdWEBSITE
        std::function<void()> rawEdit{};      // cmdEditRaw
        std::function<void()> importList{};   // cmdImport
        std::function<void()> exportList{};   // cmdExport
        std::function<void()> copyFromVxe{};  // cmdCopyVXE: VXEditor's 'Moji into the signature
        std::function<void()> timeOnline{};   // cmdTPSreports: the time-online report
    };

    BBSEditorWindow(BBSEditor& editor, QWidget* parent = nullptr);
    void setActions(Actions actions) { m_actions = std::move(actions); }

    // Reads everything back from the editor core.
    void refresh();
    // The directory list, filtered by the search box, read again.
    void refreshDirectory();
    // "Edit RAW" and "Fix List" are offered only with raw edits allowed.
    void setRawEditsAllowed(bool allowed);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* text(const char* name, const QString& tip, std::string BBSEditorFields::*field);
    QLineEdit* shownOnly(const char* name, const QString& tip);
    QCheckBox* check(const char* name, const QString& caption, bool BBSEditorFields::*field);
    QPushButton* button(const char* name, const QString& caption, std::function<void()> action);

    BBSEditor& m_editor;
    Actions m_actions;
    std::map<QLineEdit*, std::string BBSEditorFields::*> m_texts;
    std::map<QLineEdit*, std::string BBSEditorFields::*> m_shown;
    std::map<QCheckBox*, bool BBSEditorFields::*> m_checks;
    std::array<QLineEdit*, 10> m_macros{};
    std::array<QCheckBox*, 10> m_hidden{};
    QRadioButton* m_mode80 = nullptr;
    QRadioButton* m_mode40 = nullptr;
    QComboBox* m_protocol = nullptr;
    QLabel* m_notify = nullptr;
    QLineEdit* m_search = nullptr;
    QListWidget* m_directory = nullptr;
    std::array<QPushButton*, 4> m_steps{};
    QPushButton* m_default = nullptr;
    QPushButton* m_website = nullptr;
    QPushButton* m_rawEdit = nullptr;
    QPushButton* m_fixList = nullptr;
    QPushButton* m_hiddenButton = nullptr;
    bool m_refreshing = false;
};

}  // namespace vx
