#include "ui/config/CfgForm.h"

#include <algorithm>
#include <filesystem>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "screen/ScreenColours.h"
#include "ui/dialogs/BrowseDir.h"
#include "ui/platform/ByteText.h"
#include "ui/platform/WindowPlacement.h"

namespace vx {
namespace {

// The features the all-on/off switch sets together.
constexpr bool ConfigSettings::*kAllOnOffFields[] = {
    &ConfigSettings::UseBBSEditor,   &ConfigSettings::OnlineTimer, &ConfigSettings::SysLog,
    &ConfigSettings::UseTW,          &ConfigSettings::DetectURLs,  &ConfigSettings::AutoVXE,
    &ConfigSettings::AutoLoadStatus,
};

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

}  // namespace

CfgForm::CfgForm(Services services, QWidget* parent) : QWidget(parent), m_s(std::move(services)) {
    setObjectName("CfgForm");
    setWindowFlag(Qt::Window);
    setWindowTitle("Vexterm Configuration");
    // A tool window: closing it must never end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Modal over the main frame while it is open; show() does that without a nested event loop.
    setWindowModality(Qt::WindowModal);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("SSTab1");
    tabs->setUsesScrollButtons(false);  // every tab in sight: users are sent to them by number
    // The password tab comes first: other windows send the user to "configuration Tab #1".
    tabs->addTab(buildPasswordTab(), cfgedit::kPasswordTab);
    tabs->addTab(buildGeneralTab(), "General");
    tabs->addTab(buildConnectionTab(), "Connection");
    tabs->addTab(buildTextWindowTab(), "The Box");
    tabs->addTab(buildFilesTab(), "Capture and Files");
    tabs->addTab(buildScreenTab(), "Screen");

    auto* save = button(this, "Command1", "Save");
    auto* cancel = button(this, "Command2", "Cancel");
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, [this] { close(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        close();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
}

QCheckBox* CfgForm::addCheck(QFormLayout* form, const char* name, const char* caption, bool ConfigSettings::*field) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    form->addRow(box);
    m_checks.push_back({box, field});
    return box;
}

QLineEdit* CfgForm::addText(QFormLayout* form, const char* name, const char* label,
                            std::string ConfigSettings::*field) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    holdToCodePage(edit);
    if (form) form->addRow(label, edit);
    m_texts.push_back({edit, field});
    return edit;
}

QLineEdit* CfgForm::addNumber(QFormLayout* form, const char* name, const char* label,
                              std::int16_t ConfigSettings::*field, int maximum) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setValidator(new QIntValidator(0, maximum, edit));
    // The validator lets a number with as many digits as the limit stand while it is typed: the
    // box shows the limit instead, which is what is saved.
    connect(edit, &QLineEdit::textEdited, edit, [edit, maximum](const QString& typed) {
        if (typed.toInt() > maximum) edit->setText(QString::number(maximum));
    });
    form->addRow(label, edit);
    m_numbers.push_back({edit, field, maximum});
    return edit;
}

void CfgForm::addBrowse(QFormLayout* form, QLineEdit* edit, const char* label, const char* name, const char* title,
                        Browse mode) {
    auto* row = new QHBoxLayout;
    auto* browse = button(nullptr, name, "Browse...");
    row->addWidget(edit);
    row->addWidget(browse);
    form->addRow(label, row);
    connect(browse, &QPushButton::clicked, this, [this, edit, title, mode] { openChooser(edit, title, mode); });
}

QWidget* CfgForm::buildPasswordTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout;

    m_oldPassword = new QLineEdit;
    m_oldPassword->setObjectName("TxtOLDPW");
    m_oldPassword->setEchoMode(QLineEdit::Password);
    holdToCodePage(m_oldPassword);
    m_check = button(page, "cmdCheck", "Check");
    auto* oldRow = new QHBoxLayout;
    oldRow->addWidget(m_oldPassword);
    oldRow->addWidget(m_check);
    form->addRow("Old password:", oldRow);

    m_newFrame = new QGroupBox("New password");
    m_newFrame->setObjectName("fraNewPW");
    auto* frameForm = new QFormLayout(m_newFrame);
    const char* const names[] = {"Text5_0", "Text5_1"};
    const char* const labels[] = {"New password:", "Once more:"};
    for (int i = 0; i < 2; ++i) {
        m_newPassword[i] = new QLineEdit;
        m_newPassword[i]->setObjectName(names[i]);
        m_newPassword[i]->setEchoMode(QLineEdit::Password);
        holdToCodePage(m_newPassword[i]);
        frameForm->addRow(labels[i], m_newPassword[i]);
        connect(m_newPassword[i], &QLineEdit::textChanged, this, [this] {
            m_steps.entriesChanged(bytesOf(m_newPassword[0]->text()), bytesOf(m_newPassword[1]->text()));
            showPasswordSteps();
        });
    }
    m_savePassword = button(m_newFrame, "cmdSavePW", "Save Password");
    frameForm->addRow(m_savePassword);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(m_newFrame);
    layout->addStretch();

    connect(m_check, &QPushButton::clicked, this, &CfgForm::checkOldPassword);
    connect(m_oldPassword, &QLineEdit::returnPressed, this, &CfgForm::checkOldPassword);
    connect(m_savePassword, &QPushButton::clicked, this, &CfgForm::savePassword);
    return page;
}

QWidget* CfgForm::buildGeneralTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    addCheck(form, "chkTitleBarMsg", "Messages in the title bar", &ConfigSettings::TitleBarMsg);
    addCheck(form, "chkSystemLog", "System log", &ConfigSettings::SysLog);
    addCheck(form, "chkTmrOnline", "Time-online timer", &ConfigSettings::OnlineTimer);
    addCheck(form, "chkAutoLoadStatus", "Open the status window at start", &ConfigSettings::AutoLoadStatus);
    addCheck(form, "chkSpeedChk", "Connection speed check", &ConfigSettings::SpeedCheck);
    addCheck(form, "chkAutoNext", "Dial the next BBS automatically", &ConfigSettings::AutoNext);
    addCheck(form, "chk_UseBBSEditor", "Use the BBS editor window", &ConfigSettings::UseBBSEditor);
    addCheck(form, "chkEnableRAWEdits", "Allow raw edits of the BBS list", &ConfigSettings::EnableRawEdits);
    addCheck(form, "chkVXE", "Open VXEditor at start", &ConfigSettings::AutoVXE);
    addCheck(form, "chkDetectURLs", "Detect web addresses", &ConfigSettings::DetectURLs);
    addCheck(form, "chkZmodemAutoStart", "Start ZMODEM downloads the board begins", &ConfigSettings::ZmodemAutoStart);
    addNumber(form, "txtVXEDelay", "VXEditor send delay (ms):", &ConfigSettings::VXESendDelay,
              cfgedit::kMaxVXESendDelay);

    m_sysFolder = new QLineEdit;
    m_sysFolder->setObjectName("Text7");
    m_sysFolder->setReadOnly(true);
    form->addRow("System folder:", m_sysFolder);
    addBrowse(form, addText(nullptr, "txtBrowser", "", &ConfigSettings::WebBrowser), "Web browser:", "cmdBrowse2",
              "Choose Web Browser Path:", Browse::File);

    auto* allOnOff = button(page, "cmdAllONOFF", "All Features ON/OFF");
    auto* mojis = button(page, "Command3", "Re-create System 'Mojis");
    auto* row = new QHBoxLayout;
    row->addWidget(allOnOff);
    row->addWidget(mojis);
    form->addRow(row);
    connect(allOnOff, &QPushButton::clicked, this, &CfgForm::toggleAllOnOff);
    connect(mojis, &QPushButton::clicked, this, &CfgForm::askRecreateMojis);
    return page;
}

QWidget* CfgForm::buildConnectionTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    addCheck(form, "chkBeep", "Beep when a connection is made", &ConfigSettings::BeepOnConnect);
    addCheck(form, "chkDiscPopup", "Message on disconnect", &ConfigSettings::DiscPopup);
    addCheck(form, "Check5", "Clear the screen after connecting", &ConfigSettings::ClrAftConnect);
    addCheck(form, "chkBuzzer", "Sound the ATASCII buzzer (253)", &ConfigSettings::Buzzer);
    addCheck(form, "chkAtariClick", "Key click", &ConfigSettings::AtariClick);
    addCheck(form, "chkKeyDelay", "Delay between sent keys", &ConfigSettings::KeyPressDelay);
    addNumber(form, "txtKeyDelay", "Key delay (ms):", &ConfigSettings::KeyDelayValue);
    addText(form, "txtConnectMsg", "Connect message:", &ConfigSettings::ConnectMsg);
    addText(form, "txtDisconnectMsg", "Disconnect message:", &ConfigSettings::DisconnectMsg);

    m_stayAlive = new QLineEdit;
    m_stayAlive->setObjectName("Text1");
    m_stayAlive->setMaxLength(static_cast<int>(ConfigSettings::kStayAliveWidth));
    holdToCodePage(m_stayAlive);
    form->addRow("Stay-alive text:", m_stayAlive);
    // No validator: whatever is typed is taken, and anything outside 0-9 means off.
    m_baudSim = new QLineEdit;
    m_baudSim->setObjectName("TxtBSvalue");
    form->addRow("Baud-rate simulator (0-9):", m_baudSim);
    return page;
}

QWidget* CfgForm::buildTextWindowTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    addCheck(form, "chkTxtWindow", "The Box (text window)", &ConfigSettings::UseTW);
    addCheck(form, "chkScrollBack", "Scrollback buffer", &ConfigSettings::ScrollBack);
    addNumber(form, "txtSBbufferSize", "Scrollback buffer size:", &ConfigSettings::SBbufferSize);
    addNumber(form, "txtHistoryLines", "History lines (wheel, Shift+PgUp):", &ConfigSettings::HistoryLines);
    addCheck(form, "chkS2BClearBox", "Clear The Box before scrollback text is copied in",
             &ConfigSettings::Scroll2BoxClrBox);
    addText(form, "txtQuotePrefix", "Quote prefix:", &ConfigSettings::QuotePrefix);
    return page;
}

QWidget* CfgForm::buildScreenTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    const auto addChoice = [&](const char* name, const char* label, std::int16_t ConfigSettings::*field,
                               const std::vector<std::pair<QString, int>>& entries, int otherwise) {
        auto* box = new QComboBox;
        box->setObjectName(name);
        std::vector<int> values;
        for (const auto& [caption, value] : entries) {
            box->addItem(caption);
            values.push_back(value);
        }
        form->addRow(label, box);
        m_choices.push_back({box, field, values, otherwise});
    };
    std::vector<std::pair<QString, int>> schemes;
    for (std::size_t i = 0; i < kScreenColourSchemes.size(); ++i)
        schemes.emplace_back(kScreenColourSchemes[i].name, static_cast<int>(i));
    addChoice("cboScreenColours", "Colours:", &ConfigSettings::ScreenColours, schemes, 0);
    addChoice("cboScreenZoom", "Zoom (Ctrl+= and Ctrl+-):", &ConfigSettings::ScreenZoom,
              {{"1x", 1}, {"2x", 2}, {"3x", 3}, {"4x", 4}, {"Fit the screen", 0}}, 2);
    addCheck(form, "chkDumpAsShown", "Screen dumps and prints as shown (else black and white)",
             &ConfigSettings::DumpAsShown);
    return page;
}

QWidget* CfgForm::buildFilesTab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    addCheck(form, "Check3", "Clear the viewer before showing the capture file", &ConfigSettings::ClrB4Vu);
    QLineEdit* captureFolder = addText(nullptr, "Text8", "", &ConfigSettings::CaptureFolder);
    // A typed folder is checked as the chooser checks one: a missing folder is offered for creation.
    connect(captureFolder, &QLineEdit::editingFinished, this, [this, captureFolder] {
        if (!captureFolder->isModified() || captureFolder->text().trimmed().isEmpty()) return;
        captureFolder->setModified(false);
        QPointer<QLineEdit> box(captureFolder);
        checkChosenFolder(captureFolder->text(), m_s.prompter, [box](const QString& folder) {
            if (box) box->setText(folder);
        });
    });
    addBrowse(form, captureFolder, "Capture folder:", "cmdBrowse4", "", Browse::Folder);
    addText(form, "Text2", "Capture file name:", &ConfigSettings::CaptureFileName);
    addText(form, "Text3", "Default screen dump name:", &ConfigSettings::DefaultBMPName);
    addCheck(form, "chkUseDTSDname", "Name screen dumps by date and time", &ConfigSettings::DTScreenDumpName);
    addBrowse(form, addText(nullptr, "Text4", "", &ConfigSettings::ScreenDumpPath), "Screen dump folder:", "cmdBrowse1",
              "Choose Screen Dump Path:", Browse::Folder);
    addBrowse(form, addText(nullptr, "Text6", "", &ConfigSettings::MojisDumpPath), "'Mojis folder:", "cmdBrowse3",
              "Choose Mojis Path:", Browse::Folder);
    addBrowse(form, addText(nullptr, "txtDownloads", "", &ConfigSettings::DownloadsPath),
              "Downloads folder:", "cmdBrowseDownloads", "Choose Downloads Folder:", Browse::Folder);
    return page;
}

void CfgForm::open() {
    if (!m_editing) {
        m_editing = true;
        m_cancelled = false;
        m_saving = false;
        setEnabled(true);
        fillControls();
    }
    show();
    keepOnScreen(*this);
    raise();
    activateWindow();
}

void CfgForm::fillControls() {
    const ConfigSettings& s = m_s.config;
    for (const CheckField& c : m_checks) c.box->setChecked(s.*c.field);
    for (const TextField& t : m_texts) t.edit->setText(qtText(s.*t.field));
    for (const NumberField& n : m_numbers) n.edit->setText(QString::number(s.*n.field));
    // A value no entry has (a file edited by hand) shows the entry it is taken as.
    for (const ChoiceField& c : m_choices) {
        auto found = std::find(c.values.begin(), c.values.end(), s.*c.field);
        if (found == c.values.end()) found = std::find(c.values.begin(), c.values.end(), c.otherwise);
        c.box->setCurrentIndex(static_cast<int>(found - c.values.begin()));
    }
    m_stayAlive->setText(qtText(s.StayAliveChar.substr(0, s.StayAliveChar.find_last_not_of(' ') + 1)));
    m_baudSim->setText(QString::number(cfgedit::baudSimShown(s.BaudSimVal)));
    m_sysFolder->setText(qtText(s.SysFolder));
    m_allOnOff = s.AllONOFF;
    m_sysLogAtOpening = s.SysLog;

    m_steps.start(!s.SData.empty());
    m_oldPassword->clear();
    for (QLineEdit* entry : m_newPassword) entry->clear();
    showPasswordSteps();
}

void CfgForm::applyControls(ConfigSettings& s) const {
    for (const CheckField& c : m_checks) s.*c.field = c.box->isChecked();
    for (const TextField& t : m_texts) s.*t.field = bytesOf(t.edit->text());
    // A stored value above the limit (a file edited by hand) is saved at the limit.
    for (const NumberField& n : m_numbers)
        s.*n.field = static_cast<std::int16_t>(std::min<int>(cfgedit::numberTyped(bytesOf(n.edit->text())), n.maximum));
    for (const ChoiceField& c : m_choices)
        s.*c.field = static_cast<std::int16_t>(c.values[static_cast<std::size_t>(std::max(0, c.box->currentIndex()))]);
    s.setStayAliveChar(bytesOf(m_stayAlive->text()));
    s.BaudSimVal = cfgedit::baudSimTyped(bytesOf(m_baudSim->text()));
    s.AllONOFF = m_allOnOff;
    s.TextWindow = s.UseTW;
}

void CfgForm::showPasswordSteps() {
    const cfgedit::PasswordSteps::Enabled& e = m_steps.enabled();
    m_oldPassword->setEnabled(e.oldEntry);
    m_check->setEnabled(e.oldEntry);
    m_newFrame->setEnabled(e.newFrame);
    m_newPassword[0]->setEnabled(e.firstEntry);
    m_newPassword[1]->setEnabled(e.secondEntry);
    m_savePassword->setEnabled(e.save);
}

void CfgForm::checkOldPassword() {
    if (!m_steps.enabled().oldEntry) return;
    if (m_steps.check(bytesOf(m_oldPassword->text()), m_s.config.SData)) {
        showPasswordSteps();
        m_newPassword[0]->setFocus();
        return;
    }
    m_oldPassword->clear();
    m_oldPassword->setFocus();
    m_s.prompter.message(cfgedit::kWrongPassword, cfgedit::kOldPasswordTitle, MessageIcon::Exclamation);
}

void CfgForm::savePassword() {
    if (!m_steps.enabled().save) return;
    // Only the password is stored here; the other edits wait for the window to close.
    m_s.config.SData = m_s.scrambler.ScrambleText(bytesOf(m_newPassword[0]->text()));
    m_steps.start(true);
    m_oldPassword->clear();
    for (QLineEdit* entry : m_newPassword) entry->clear();
    showPasswordSteps();
    ConfigFile::SaveResult result;
    if (writeConfig(m_s.config, result))
        m_s.prompter.message(cfgedit::kPasswordSet, cfgedit::kPasswordTab, MessageIcon::Information);
}

void CfgForm::toggleAllOnOff() {
    m_allOnOff = cfgedit::toggledAllOnOff(m_allOnOff);
    for (const CheckField& c : m_checks)
        if (std::find(std::begin(kAllOnOffFields), std::end(kAllOnOffFields), c.field) != std::end(kAllOnOffFields))
            c.box->setChecked(m_allOnOff == 1);
    m_s.prompter.message(cfgedit::kRestartAfterMode, "", MessageIcon::Exclamation);
}

void CfgForm::askRecreateMojis() {
    QPointer<CfgForm> self(this);
    m_s.prompter.askYesNo(cfgedit::recreateMojisQuestion(), "", MessageIcon::Question, [self](bool yes) {
        if (yes && self && self->m_s.recreateSystemMojis) self->m_s.recreateSystemMojis();
    });
}

void CfgForm::openChooser(QLineEdit* edit, const QString& title, Browse mode) {
    BrowseRequest request;
    request.fMode = mode == Browse::File;
    request.fTitle = title;
    request.fLoadSave = cfgedit::kSaveAndExit;
    const std::string current = bytesOf(edit->text());
    request.fFldr = qtText(mode == Browse::File ? cfgedit::folderOfPath(current) : current);
    if (mode == Browse::File) request.fname = qtText(cfgedit::fileOfPath(current));
    QPointer<QLineEdit> target(edit);
    openBrowseDir(this, request, m_s.prompter, [target, mode](const BrowseRequest& chosen) {
        if (chosen.cCancel || !target) return;
        target->setText(mode == Browse::File ? QDir(chosen.fFldr).filePath(chosen.fname) : chosen.fFldr);
    });
}

void CfgForm::closeEvent(QCloseEvent* event) {
    if (!m_editing || m_cancelled) {
        m_editing = false;
        event->accept();
        return;
    }
    // Closing means saving; the window goes once the save is done, which may be at once.
    if (!m_saving) beginSave();
    event->setAccepted(!m_editing);
}

void CfgForm::beginSave() {
    m_saving = true;
    // The answer about the folder may come later; nothing is edited meanwhile.
    setEnabled(false);
    ConfigSettings edited = m_s.config;
    applyControls(edited);
    const bool sysLogSwitchedOn = !m_sysLogAtOpening && edited.SysLog;

    QPointer<CfgForm> self(this);
    auto finish = [self, sysLogSwitchedOn] {
        if (self) self->finishSave(sysLogSwitchedOn);
    };
    const std::string folder = edited.ScreenDumpPath;
    std::error_code error;
    if (folder.empty() || std::filesystem::is_directory(folder, error)) {
        finish();
        return;
    }
    m_s.prompter.askYesNo(cfgedit::missingFolderQuestion(cfgedit::kScreenDumpLabel, folder), "", MessageIcon::Question,
                          [folder, finish](bool yes) {
                              if (yes) {
                                  std::error_code ignored;  // a folder that cannot be made is not an error
                                  std::filesystem::create_directories(folder, ignored);
                              }
                              finish();
                          });
}

void CfgForm::finishSave(bool sysLogSwitchedOn) {
    // Onto the record as it is now: what has no control (password, totals) keeps its current value.
    applyControls(m_s.config);
    m_saving = false;
    m_editing = false;
    setEnabled(true);
    hide();  // not close(): this may run inside the close event that started the save
    ConfigFile::SaveResult result;
    if (!writeConfig(m_s.config, result) && result == ConfigFile::SaveResult::NoFile) return;
    if (m_s.onSaved) m_s.onSaved({result, sysLogSwitchedOn});
}

bool CfgForm::writeConfig(const ConfigSettings& settings, ConfigFile::SaveResult& result) {
    ConfigFile file(m_s.store, m_s.configPath);
    result = file.SaveConfig(settings);
    switch (result) {
        case ConfigFile::SaveResult::Saved:
            return true;
        case ConfigFile::SaveResult::NoFile:
            m_s.prompter.message(ConfigFile::kUnableToCreate, "", MessageIcon::Critical, m_s.onFatal);
            return false;
        case ConfigFile::SaveResult::WriteFailed:
            // Say why: a read-only file or a full disk each want a different remedy.
            m_s.prompter.message(
                std::string(cfgedit::kUnableToSave) + "\r(" + SettingsStore::statusText(file.lastSaveStatus()) + ")",
                "", MessageIcon::Exclamation);
            return false;
    }
    return false;
}

}  // namespace vx
