#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigSettings.h"
#include "config/Scrambler.h"
#include "directory/BBSList.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

namespace vx {

// What the BBS editor shows of a record, as the user edits it: texts as typed, ticks as ticked.
// Hidden macros hold their plain text here; only the file keeps them scrambled.
struct BBSEditorFields {
    std::string id;
    std::string name;
    std::string address;
    std::string port;
    std::string portList;
    std::string sysop;
    std::string comment;
    std::string website;
    std::string signature;
    std::string autoPauseDelay;
    std::string alarmColumn;
    std::string sendDelay;
    std::string protocol;  // "Raw", "Telnet" or "Auto"
    bool alarmEnabled = false;
    bool stayAlive = false;
    bool baudSim = false;
    bool permanent = false;
    bool lantronix = false;
    bool hideFromList = false;
    bool killBuffer = false;
    bool noWrap = false;
    bool autoPause = false;
    bool oneAtATime = false;
    bool mode80 = false;
    bool deleted = false;
    // Shown only.
    std::string created;
    std::string lastCall;
    std::string lastEdited;
    std::string lastTimeOnline;
    std::string connects;
    std::string totalOnline;
    std::string maxBps;
    std::array<std::string, 10> macros;
    std::array<bool, 10> hidden{};

    friend bool operator==(const BBSEditorFields&, const BBSEditorFields&) = default;
};

// One line of the editor's directory list, which the search box filters.
struct DirectoryLine {
    int id = 0;
    std::string name;
    std::string address;
    std::string sysop;

    friend bool operator==(const DirectoryLine&, const DirectoryLine&) = default;
};

// The BBS editor's state and decisions: the record shown, the changed flag, hidden-macro access,
// stepping through the directory, add, copy, delete, the DEFAULT record, saving, and the close
// step. The window shows fields() and hands edits back through edit(); every question goes
// through the Prompter, so nothing here waits.
//
// The editor works on its own copy of a record. The list's current record (the board selected
// for calling, perhaps connected) changes only when the editor saves that very record.
class BBSEditor {
public:
    struct Hooks {
        // The login window, modal over the editor; `done` learns whether the user logged in.
        std::function<void(std::function<void(bool loggedIn)> done)> login{};
        // "Sign": the signature goes to the board (SendToBBS without a delay, then 155).
        std::function<void(const std::string& signature)> sendSignature{};
        // The list in the file changed: other windows rebuild their BBS lists.
        std::function<void()> listChanged{};
        // Something the window shows changed (fields, caption, access, flags).
        std::function<void()> changed{};
        // A record was displayed: its alarm column, send delay and AutoPause go to The Box too.
        std::function<void(const BBSRecord&)> applyToTerminal{};
        // The editor closed; with Save + Close + Connect, `connectTo` holds the record's ID.
        std::function<void(std::optional<std::string> connectTo)> closed{};
        // "Choose Port": the port chooser, modal; `done` gets the port picked, if one was.
        std::function<void(std::vector<std::string> ports, int selected,
                           std::function<void(std::optional<std::string>)> done)>
            choosePort{};
    };

    static constexpr const char* kChangedLabel = "[ Changed ]";

    BBSEditor(BBSList& list, Prompter& prompter, const Clock& clock, const ConfigSettings& config,
              Scrambler& scrambler, bool& loggedIn, Hooks hooks);

    // The window opens on this record ("" shows record 1).
    void open(const std::string& recId);
    bool isOpen() const { return m_open; }

    const BBSEditorFields& fields() const { return m_fields; }
    // A user's edit of the fields; marks the record changed.
    void edit(const std::function<void(BBSEditorFields&)>& change);
    bool changed() const { return m_changed; }
    std::string caption();
    const std::string& recId() const { return m_recId; }

    // Macro access: a box may be edited when its macro is not hidden, or after a login; a hidden
    // macro shows as a row of "#".
    bool macroEnabled(int i) const;
    bool hiddenBoxEnabled(int i) const;
    bool macroMasked(int i) const { return m_fields.hidden[static_cast<std::size_t>(i)]; }
    bool loggedIn() const { return m_loggedIn; }

    // While a call is up, stepping and "Edit Default" are disabled (the window asks this).
    void setConnected(bool connected);
    // A call counted itself in the record shown: its figures are shown as stored, edits kept.
    void callStatisticsChanged();
    bool steppingEnabled() const { return !m_connected; }

    // The buttons.
    void previous();
    void next();
    void addBBS();
    void copyBBS();
    void deleteBBS();
    void saveButton();   // "&Save"
    void reload();       // "!!!"
    void editDefault();  // "Edit Default"
    void saveAndClose();
    void cancel();
    void saveCloseConnect();
    void hiddenButton();
    void hiddenBoxClicked(int i, bool ticked);
    void fixList();
    void choosePort();
    void sign();
    void clearSignature();
    // The window was closed by its title bar (or any way other than the buttons).
    void windowClosed();

    // Opens the record with this ID (the directory list's choice), asking about unsaved edits.
    void show(int id);
    // The directory list's double-click: that record is shown and called (Save + Close + Connect).
    void dial(int id);
    // The directory, filtered: records whose name, address or sysop contain the text (any case).
    std::vector<DirectoryLine> directory(const std::string& filter);

    // Copies the fields into a record, as a save does (hidden macros scrambled, "host:port"
    // split into address and port). Nothing is written.
    BBSRecord recordFromFields(const BBSEditorFields& fields);

private:
    void display(const std::string& id, const BBSRecord& record);
    static void showCallStatistics(const BBSRecord& record, BBSEditorFields& fields);
    bool save();
    void askSaveThen(std::function<void()> then);
    void askLoseThen(std::function<void()> then);
    void step(int direction);
    int neighbour(int from, int direction) const;
    void closeStep(std::optional<std::string> connectTo);
    void notify() const {
        if (m_hooks.changed) m_hooks.changed();
    }
    void listChanged() const {
        if (m_hooks.listChanged) m_hooks.listChanged();
    }
    bool passwordSet() const { return !m_config.SData.empty(); }

    BBSList& m_list;
    Prompter& m_prompter;
    const Clock& m_clock;
    const ConfigSettings& m_config;
    Scrambler& m_scrambler;
    bool& m_loggedIn;
    Hooks m_hooks;

    bool m_open = false;
    bool m_connected = false;
    std::string m_recId;
    int m_number = 0;  // the record number shown; 0 after a delete or for the DEFAULT record
    BBSRecord m_loaded;  // as last loaded or saved: Copy and the Permanent check use it
    BBSEditorFields m_fields;
    bool m_changed = false;
};

}  // namespace vx
