#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "config/CfgEditor.h"
#include "config/ConfigFile.h"
#include "config/ConfigSettings.h"
#include "config/Scrambler.h"
#include "config/SettingsStore.h"
#include "platform/Prompter.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QPushButton;
class QGroupBox;

namespace vx {

// What a save from the configuration editor leaves for its owner to apply to the running program.
struct CfgSaved {
    ConfigFile::SaveResult result = ConfigFile::SaveResult::Saved;
    // SysLog was off when the editor opened and is on now: the owner shows
    // cfgedit::kSysLogEnabled and sets the log indicator.
    bool sysLogSwitchedOn = false;
};

// The configuration editor (object name "CfgForm"): one control per setting of the
// configuration file, on tabs, plus the password tab. It edits the run's ConfigSettings and writes
// them through ConfigFile::SaveConfig. A single instance, kept hidden between uses.
//
// Closing the window saves, as does "Save"; only "Cancel" leaves without saving. The password is
// saved at once, on its own, whatever happens to the other edits.
class CfgForm : public QWidget {
    Q_OBJECT
public:
    struct Services {
        ConfigSettings& config;
        SettingsStore& store;
        std::string configPath;
        Scrambler& scrambler;
        Prompter& prompter;
        // Writes the system 'Mojis again (after the user agreed).
        std::function<void()> recreateSystemMojis;
        // After a save: the owner applies what follows the settings (scrollback controls, The
        // Box, capture caption, title-bar timer, speed check, online timer) from `config`.
        std::function<void(const CfgSaved&)> onSaved;
        // The configuration file could not be written at all; its message has been shown and the
        // program must end.
        std::function<void()> onFatal;
    };

    explicit CfgForm(Services services, QWidget* parent = nullptr);

    // Fills every control from the settings and shows the window. While the window is already
    // open it is only raised, so edits in progress stay.
    void open();
    bool isEditing() const { return m_editing; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Browse { Folder, File };
    struct CheckField {
        QCheckBox* box;
        bool ConfigSettings::*field;
    };
    struct TextField {
        QLineEdit* edit;
        std::string ConfigSettings::*field;
    };
    struct ChoiceField {
        QComboBox* box;
        std::int16_t ConfigSettings::*field;
        std::vector<int> values;  // the setting's value for each entry
        int otherwise;            // what a value no entry has is taken as
    };
    struct NumberField {
        QLineEdit* edit;
        std::int16_t ConfigSettings::*field;
        int maximum;
    };

    QWidget* buildPasswordTab();
    QWidget* buildGeneralTab();
    QWidget* buildConnectionTab();
    QWidget* buildTextWindowTab();
    QWidget* buildFilesTab();
    QWidget* buildScreenTab();

    QCheckBox* addCheck(QFormLayout* form, const char* name, const char* caption, bool ConfigSettings::*field);
    QLineEdit* addText(QFormLayout* form, const char* name, const char* label, std::string ConfigSettings::*field);
    QLineEdit* addNumber(QFormLayout* form, const char* name, const char* label, std::int16_t ConfigSettings::*field,
                         int maximum = 32767);
    // The edit and its chooser button on one row.
    void addBrowse(QFormLayout* form, QLineEdit* edit, const char* label, const char* name, const char* title,
                   Browse mode);

    void fillControls();
    // Copies every control into the record; settings without a control (the password, totals) stay.
    void applyControls(ConfigSettings& settings) const;
    void showPasswordSteps();

    void checkOldPassword();
    void savePassword();
    void toggleAllOnOff();
    void askRecreateMojis();
    void openChooser(QLineEdit* edit, const QString& title, Browse mode);

    void beginSave();
    void finishSave(bool sysLogSwitchedOn);
    // SaveConfig, with the failure reported to the user; true when the file was written.
    bool writeConfig(const ConfigSettings& settings, ConfigFile::SaveResult& result);

    Services m_s;
    std::vector<CheckField> m_checks;
    std::vector<TextField> m_texts;
    std::vector<NumberField> m_numbers;
    std::vector<ChoiceField> m_choices;
    QLineEdit* m_stayAlive = nullptr;
    QLineEdit* m_baudSim = nullptr;
    QLineEdit* m_sysFolder = nullptr;
    QLineEdit* m_oldPassword = nullptr;
    QPushButton* m_check = nullptr;
    QGroupBox* m_newFrame = nullptr;
    QLineEdit* m_newPassword[2] = {nullptr, nullptr};
    QPushButton* m_savePassword = nullptr;

    cfgedit::PasswordSteps m_steps;
    std::int16_t m_allOnOff = 0;  // the switch as it will be saved
    bool m_sysLogAtOpening = false;
    bool m_editing = false;  // open, and not yet saved or cancelled
    bool m_cancelled = false;
    bool m_saving = false;  // waiting for the answer about the screen-dump folder
};

}  // namespace vx
