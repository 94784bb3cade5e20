#include "ui/directory/BBSEditorWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "directory/BBSEditor.h"
#include "ui/platform/ByteText.h"

namespace vx {
namespace {

void setTextKeepingCursor(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) edit->setText(text);
}

}  // namespace

BBSEditorWindow::BBSEditorWindow(BBSEditor& editor, QWidget* parent) : QWidget(parent, Qt::Window), m_editor(editor) {
    setObjectName("frmBBS");
    setAttribute(Qt::WA_QuitOnClose, false);
    // The record scrolls inside the window when the screen is lower than the whole of it (a
    // 768-line laptop): the buttons at its foot must stay within reach.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("scrRecord");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    outer->addWidget(scroll);
    auto* content = new QWidget(scroll);
    // The directory above the record, so the window fits beside the main frame.
    auto* right = new QVBoxLayout(content);

    // The directory: every record, filtered by name, address or sysop.
    auto* left = new QVBoxLayout;
    m_search = new QLineEdit(this);
    m_search->setObjectName("txtSearch");
    holdToCodePage(m_search);
    m_search->setPlaceholderText("Search name, address, sysop");
    m_search->setClearButtonEnabled(true);
    connect(m_search, &QLineEdit::textChanged, this, [this] { refreshDirectory(); });
    m_directory = new QListWidget(this);
    m_directory->setObjectName("lstBBS");
    m_directory->setToolTip("Click to show a board, double-click to call it");
    m_directory->setFixedHeight(96);
    connect(m_directory, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_editor.show(item->data(Qt::UserRole).toInt()); });
    connect(m_directory, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { m_editor.dial(item->data(Qt::UserRole).toInt()); });
    left->addWidget(m_search);
    left->addWidget(m_directory);
    right->addLayout(left);

    // The record number and the steps through the directory.
    auto* idRow = new QHBoxLayout;
    const auto stepButton = [this](int index, const char* caption, int direction) {
        auto* b = button(qPrintable("cmdNextPrev_" + QString::number(index)), caption,
                         [this, direction] { direction < 0 ? m_editor.previous() : m_editor.next(); });
        m_steps[static_cast<std::size_t>(index)] = b;
        return b;
    };
    idRow->addWidget(stepButton(0, "<<", -1));
    auto* id = shownOnly("txtID", "BBS Record Number");
    id->setMaximumWidth(70);
    idRow->addWidget(id);
    m_shown[id] = &BBSEditorFields::id;
    idRow->addWidget(stepButton(1, ">>", +1));
    idRow->addStretch(1);
    m_notify = new QLabel(BBSEditor::kChangedLabel, this);
    m_notify->setObjectName("lblNotify");
    m_notify->setStyleSheet("color: #c00000; font-weight: bold;");
    idRow->addWidget(m_notify);
    right->addLayout(idRow);

    auto* form = new QFormLayout;
    form->addRow("BBS Name:", text("txtBBSname", "BBS Name:", &BBSEditorFields::name));
    form->addRow("BBS Address:",
                 text("txtBBSurl", "BBS Address: host, host:port or [IPv6]:port", &BBSEditorFields::address));
    auto* portRow = new QHBoxLayout;
    QLineEdit* port = text("txtPORT", "Port:", &BBSEditorFields::port);
    port->setValidator(new QIntValidator(1, 65535, port));  // a number box, as the others
    port->setMaximumWidth(80);
    portRow->addWidget(port);
    portRow->addWidget(button("cmdChoose", "Choose Port", [this] { m_editor.choosePort(); }));
    portRow->addWidget(new QLabel("Ports:", this));
    portRow->addWidget(
        text("txtPORTLIST", "BBS Ports List - seperate each port with space", &BBSEditorFields::portList), 1);
    form->addRow("Port:", portRow);
    form->addRow("Sysop Name:", text("txtBBSsysop", "Sysop Name:", &BBSEditorFields::sysop));
    auto* siteRow = new QHBoxLayout;
    siteRow->addWidget(text("txtBBSwebsite", "Web Site:", &BBSEditorFields::website), 1);
    m_website = button("cmdWEBSITE", "Web", [this] {
        if (m_actions.website) m_actions.website();
    });
    siteRow->addWidget(m_website);
    form->addRow("Web Site:", siteRow);
    form->addRow("Comments:", text("txtBBScomments", "Comments:", &BBSEditorFields::comment));
    auto* sigRow = new QHBoxLayout;
    sigRow->addWidget(text("txtSig", "Signature:", &BBSEditorFields::signature), 1);
    sigRow->addWidget(button("cmdSendSig", "Sign", [this] { m_editor.sign(); }));
    sigRow->addWidget(button("cmdClearSig", "Clear", [this] { m_editor.clearSignature(); }));
    sigRow->addWidget(button("cmdCopyVXE", "Copy from VXE", [this] {
        if (m_actions.copyFromVxe) m_actions.copyFromVxe();
    }));
    form->addRow("Signature:", sigRow);
    right->addLayout(form);

    // Switches and numbers.
    auto* options = new QGroupBox("Options", this);
    auto* grid = new QGridLayout(options);
    const std::pair<const char*, std::pair<const char*, bool BBSEditorFields::*>> checks[] = {
        {"chkBBSstayalive", {"Use Stay Alive?", &BBSEditorFields::stayAlive}},
        {"chkBBSbaudSim", {"Use Baud Simulator?", &BBSEditorFields::baudSim}},
        {"chkBBSpermanent", {"Permanent?", &BBSEditorFields::permanent}},
        {"chkLANtronix", {"LANtronix Filter", &BBSEditorFields::lantronix}},
        {"chkHideFromList", {"Hide From Dial List", &BBSEditorFields::hideFromList}},
        {"chkKillBuffer", {"Kill Buffer on disconnect", &BBSEditorFields::killBuffer}},
        {"chkNoWrap", {"No Wrap Quotes (Carina)", &BBSEditorFields::noWrap}},
        {"chkBBSXv1", {"AutoPause", &BBSEditorFields::autoPause}},
        {"chkOneAtaTime", {"Send 1 char at a time", &BBSEditorFields::oneAtATime}},
    };
    int cell = 0;
    for (const auto& [name, caption] : checks) {
        grid->addWidget(check(name, caption.first, caption.second), cell / 3, cell % 3);
        ++cell;
    }
    QHBoxLayout* numbers = new QHBoxLayout;
    numbers->addWidget(check("chkAlarmColumn", "Alarm Column:", &BBSEditorFields::alarmEnabled));
    QLineEdit* alarm = text("txtAlarmColumn", "Alarm Column:", &BBSEditorFields::alarmColumn);
    alarm->setMaximumWidth(50);
    numbers->addWidget(alarm);
    numbers->addWidget(new QLabel("AutoPause Delay (ms)", this));
    QLineEdit* pause = text("txtBBSXDelay", "AutoPause Delay (ms)", &BBSEditorFields::autoPauseDelay);
    pause->setMaximumWidth(60);
    numbers->addWidget(pause);
    numbers->addStretch(1);
    grid->addLayout(numbers, 3, 0, 1, 3);
    numbers = new QHBoxLayout;
    numbers->addWidget(new QLabel("Box Delay (ms):", this));
    QLineEdit* sendDelay = text("txtSendDelay", "Box Delay (ms):", &BBSEditorFields::sendDelay);
    sendDelay->setMaximumWidth(60);
    numbers->addWidget(sendDelay);
    numbers->addWidget(new QLabel("Screen Width", this));
    m_mode80 = new QRadioButton("80", this);
    m_mode80->setObjectName("optSW_0");
    m_mode40 = new QRadioButton("40", this);
    m_mode40->setObjectName("optSW_1");
    for (QRadioButton* option : {m_mode80, m_mode40})
        connect(option, &QRadioButton::clicked, this, [this] {
            const bool mode80 = m_mode80->isChecked();
            m_editor.edit([mode80](BBSEditorFields& f) { f.mode80 = mode80; });
        });
    numbers->addWidget(m_mode80);
    numbers->addWidget(m_mode40);
    // Boards behind telnet servers negotiate first; Auto notices that on the first bytes.
    numbers->addWidget(new QLabel("Line:", this));
    m_protocol = new QComboBox(this);
    m_protocol->setObjectName("cboProtocol");
    m_protocol->addItems({"Raw", "Telnet", "Auto"});
    m_protocol->setAccessibleName("Line:");
    connect(m_protocol, &QComboBox::activated, this, [this] {
        const std::string protocol = bytesOf(m_protocol->currentText());
        m_editor.edit([&](BBSEditorFields& f) { f.protocol = protocol; });
    });
    numbers->addWidget(m_protocol);
    numbers->addStretch(1);
    grid->addLayout(numbers, 4, 0, 1, 3);
    right->addWidget(options);

    // The macros and their hidden marks.
    auto* macros = new QGroupBox("Macros {Shft-Ctrl}:", this);
    auto* macroGrid = new QGridLayout(macros);
    for (int i = 0; i < 10; ++i) {
        auto* label = new QLabel(QString::number(i), macros);
        auto* edit = new QLineEdit(macros);
        edit->setObjectName("txtMacro_" + QString::number(i));
        holdToCodePage(edit);
        connect(edit, &QLineEdit::textEdited, this, [this, i](const QString& typed) {
            m_editor.edit([&](BBSEditorFields& f) { f.macros[static_cast<std::size_t>(i)] = bytesOf(typed); });
        });
        auto* hide = new QCheckBox("Hide", macros);
        hide->setObjectName("chkHide_" + QString::number(i));
        connect(hide, &QCheckBox::clicked, this, [this, i](bool ticked) { m_editor.hiddenBoxClicked(i, ticked); });
        m_macros[static_cast<std::size_t>(i)] = edit;
        m_hidden[static_cast<std::size_t>(i)] = hide;
        const int row = i % 5, column = (i / 5) * 3;
        macroGrid->addWidget(label, row, column);
        macroGrid->addWidget(edit, row, column + 1);
        macroGrid->addWidget(hide, row, column + 2);
    }
    m_hiddenButton = button("cmdHidden", "Hidden", [this] { m_editor.hiddenButton(); });
    macroGrid->addWidget(m_hiddenButton, 5, 0, 1, 2);
    right->addWidget(macros);

    // What the list keeps about the calls.
    auto* stats = new QGroupBox("Statistics", this);
    auto* statsForm = new QGridLayout(stats);
    const std::tuple<const char*, const char*, std::string BBSEditorFields::*> shown[] = {
        {"txtBBScreated", "Date Created:", &BBSEditorFields::created},
        {"txtBBSlastcall", "Last Connected:", &BBSEditorFields::lastCall},
        {"txtLastEdited", "Last Edited:", &BBSEditorFields::lastEdited},
        {"TxtLastTimeOnline", "Last:", &BBSEditorFields::lastTimeOnline},
        {"txtBBSnumconnects", "# Connects:", &BBSEditorFields::connects},
        {"txtOnline", "Total Time online here - hh:mm:ss", &BBSEditorFields::totalOnline},
        {"txtMaxbps", "Maxbps:", &BBSEditorFields::maxBps},
    };
    int row = 0;
    for (const auto& [name, caption, field] : shown) {
        QLineEdit* edit = shownOnly(name, caption);
        m_shown[edit] = field;
        statsForm->addWidget(new QLabel(caption, stats), row / 2, (row % 2) * 2);
        statsForm->addWidget(edit, row / 2, (row % 2) * 2 + 1);
        ++row;
    }
    // Shown only: ticked after a delete.
    auto* deleted = new QCheckBox("Deleted", stats);
    deleted->setObjectName("chkBBSdeleted");
    deleted->setToolTip("Deleted Status");
    deleted->setEnabled(false);
    m_checks[deleted] = &BBSEditorFields::deleted;
    statsForm->addWidget(deleted, row / 2, (row % 2) * 2);
    right->addWidget(stats);

    // The buttons.
    auto* buttons = new QGridLayout;
    QPushButton* grid1[] = {
        button("cmdAddBBS", "&Add BBS", [this] { m_editor.addBBS(); }),
        button("cmdCopy", "Co&py BBS", [this] { m_editor.copyBBS(); }),
        button("cmdDelete", "&Delete", [this] { m_editor.deleteBBS(); }),
        button("cmdRefresh", "&Save", [this] { m_editor.saveButton(); }),
        button("cmdUpdate", "!!!", [this] { m_editor.reload(); }),
        (m_default = button("cmdDefault", "Edit Default", [this] { m_editor.editDefault(); })),
        button("cmdImport", "&Import",
               [this] {
                   if (m_actions.importList) m_actions.importList();
               }),
        button("cmdExport", "E&xport",
               [this] {
                   if (m_actions.exportList) m_actions.exportList();
               }),
        (m_rawEdit = button("cmdEditRaw", "Edit RAW",
                            [this] {
                                if (m_actions.rawEdit) m_actions.rawEdit();
                            })),
        (m_fixList = button("cmdFIXLIST", "Fix List", [this] { m_editor.fixList(); })),
        button("cmdTPSreports", "Time Online",
               [this] {
                   if (m_actions.timeOnline) m_actions.timeOnline();
               }),
    };
    int index = 0;
    for (QPushButton* b : grid1) {
        buttons->addWidget(b, index / 6, index % 6);
        ++index;
    }
    buttons->addWidget(stepButton(2, "<<", -1), 2, 0);
    buttons->addWidget(stepButton(3, ">>", +1), 2, 1);
    buttons->addWidget(button("cmdExit", "Save+Close", [this] { m_editor.saveAndClose(); }), 2, 2);
    buttons->addWidget(button("cmdCancel", "&Cancel", [this] { m_editor.cancel(); }), 2, 3);
    buttons->addWidget(button("cmdConnect", "Save + Close + Connect", [this] { m_editor.saveCloseConnect(); }), 2, 4, 1,
                       2);
    right->addLayout(buttons);
    scroll->setWidget(content);
    // The whole record when the screen has room (left to itself, a new window takes at most two
    // thirds of the screen); keepOnScreen() shrinks it where there is none.
    resize(content->sizeHint());

    refresh();
}

QLineEdit* BBSEditorWindow::text(const char* name, const QString& tip, std::string BBSEditorFields::*field) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setToolTip(tip);
    holdToCodePage(edit);
    m_texts[edit] = field;
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& typed) {
        m_editor.edit([&](BBSEditorFields& f) { f.*field = bytesOf(typed); });
    });
    return edit;
}

QLineEdit* BBSEditorWindow::shownOnly(const char* name, const QString& tip) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setToolTip(tip);
    edit->setReadOnly(true);
    return edit;
}

QCheckBox* BBSEditorWindow::check(const char* name, const QString& caption, bool BBSEditorFields::*field) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    m_checks[box] = field;
    connect(box, &QCheckBox::clicked, this,
            [this, field](bool ticked) { m_editor.edit([&](BBSEditorFields& f) { f.*field = ticked; }); });
    return box;
}

QPushButton* BBSEditorWindow::button(const char* name, const QString& caption, std::function<void()> action) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    if (action) connect(b, &QPushButton::clicked, this, std::move(action));
    return b;
}

void BBSEditorWindow::refresh() {
    if (m_refreshing) return;
    m_refreshing = true;
    const BBSEditorFields& f = m_editor.fields();
    setWindowTitle(qtText(m_editor.caption()));
    for (auto& [edit, field] : m_texts) setTextKeepingCursor(edit, qtText(f.*field));
    for (auto& [edit, field] : m_shown) setTextKeepingCursor(edit, qtText(f.*field));
    for (auto& [box, field] : m_checks) {
        const QSignalBlocker quiet(box);
        box->setChecked(f.*field);
    }
    {
        const QSignalBlocker quiet80(m_mode80), quiet40(m_mode40);
        m_mode80->setChecked(f.mode80);
        m_mode40->setChecked(!f.mode80);
    }
    {
        const QSignalBlocker quiet(m_protocol);
        m_protocol->setCurrentText(qtText(f.protocol));
    }
    for (int i = 0; i < 10; ++i) {
        const auto n = static_cast<std::size_t>(i);
        QLineEdit* macro = m_macros[n];
        setTextKeepingCursor(macro, qtText(f.macros[n]));
        // A hidden macro shows as a row of "#".
        macro->setEchoMode(m_editor.macroMasked(i) ? QLineEdit::Password : QLineEdit::Normal);
        macro->setStyleSheet(m_editor.macroMasked(i) ? "lineedit-password-character: 35;" : "");
        macro->setEnabled(m_editor.macroEnabled(i));
        const QSignalBlocker quiet(m_hidden[n]);
        m_hidden[n]->setChecked(f.hidden[n]);
        m_hidden[n]->setEnabled(m_editor.hiddenBoxEnabled(i));
    }
    m_hiddenButton->setText(m_editor.loggedIn() ? "Lock Hidden" : "Hidden");
    m_notify->setVisible(m_editor.changed());
    m_website->setEnabled(!f.website.empty());
    for (QPushButton* step : m_steps) step->setEnabled(m_editor.steppingEnabled());
    m_default->setEnabled(m_editor.steppingEnabled());
    m_refreshing = false;
}

void BBSEditorWindow::refreshDirectory() {
    const std::vector<DirectoryLine> lines = m_editor.directory(bytesOf(m_search->text()));
    const QSignalBlocker quiet(m_directory);
    m_directory->clear();
    for (const DirectoryLine& line : lines) {
        auto* item = new QListWidgetItem(QString("%1  %2").arg(line.id, 3).arg(qtText(line.name)), m_directory);
        item->setToolTip(qtText(line.address + (line.sysop.empty() ? "" : "  (" + line.sysop + ")")));
        item->setData(Qt::UserRole, line.id);
        if (std::to_string(line.id) == m_editor.recId()) m_directory->setCurrentItem(item);
    }
}

void BBSEditorWindow::setRawEditsAllowed(bool allowed) {
    m_rawEdit->setVisible(allowed);
    m_fixList->setVisible(allowed);
}

void BBSEditorWindow::closeEvent(QCloseEvent* event) {
    // Closing by the title bar runs the same close step as the buttons (it saves a changed record).
    if (m_editor.isOpen()) m_editor.windowClosed();
    event->accept();
}

}  // namespace vx
