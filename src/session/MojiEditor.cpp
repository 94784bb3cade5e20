#include "session/MojiEditor.h"

#include <algorithm>
#include <filesystem>

#include "base/AtomicFile.h"
#include "base/Formats.h"
#include "base/SystemPaths.h"
#include "session/SendPath.h"
#include "tools/MojiFiles.h"
#include "tools/NamePrompt.h"

namespace vx {
namespace {

const char* const kTickedBox = "_chX1";
const char* const kEmptyBox = "_chX2";
const char* const kBoxBottom = "_chX3";
const char* const kOverwrite = "This file already exists... Are you sure you want to overwrite it?";

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

MojiEditor::MojiEditor(ConfigSettings& config, Prompter& prompter, StatusReporter& status, TimerFactory& timers,
                       SendPath& send, ScreenInterpreter& screen, UrlDetector& urls, BoxText& box, Hooks hooks)
    : m_config(config),
      m_prompter(prompter),
      m_status(status),
      m_send(send),
      m_screen(screen),
      m_urls(urls),
      m_box(box),
      m_hooks(std::move(hooks)),
      m_drawTimer(timers.createTimer([this] { drawNext(); })) {}

void MojiEditor::appendCodes(std::string_view codes) {
    if (codes.empty()) return;
    m_codes += codes;
    m_edited = true;
    changed();
}

void MojiEditor::clearCodes() {
    replaceCodes({});
    changed();
}

void MojiEditor::showEditor() {
    if (m_hooks.showEditor) m_hooks.showEditor();
}

void MojiEditor::setCodes(std::string codes) {
    if (codes == m_codes) return;
    replaceCodes(std::move(codes));
    m_edited = true;
    changed();
}

void MojiEditor::toggleEditing() {
    m_editingEnabled = !m_editingEnabled;
    changed();
}

std::vector<std::string> MojiEditor::fileNames() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder(), error)) {
        if (entry.is_regular_file(error)) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void MojiEditor::replaceCodes(std::string codes) {
    m_codes = std::move(codes);
    ++m_replacements;
}

void MojiEditor::setCodesLoaded(std::string codes, const std::string& label) {
    replaceCodes(std::move(codes));
    m_edited = false;
    m_fileLabel = "File:  " + label;
    changed();
}

void MojiEditor::load(const std::string& name) {
    if (name.empty()) return;
    loadPath(AddBackslash(folder()) + name);
}

void MojiEditor::loadPath(const std::string& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        m_prompter.message("File: " + nameOf(path) + "\r\nFile does not exist!", "", MessageIcon::Exclamation);
        return;
    }
    setCodesLoaded(mojiCodesOfFile(nameOf(path), bytes), nameOf(path));
}

void MojiEditor::save(const std::string& selectedName) {
    if (m_codes.empty()) return;
    NameQuestion question{"SAVE 'MOJI", "Saving a 'Moji into folder: " + folder() + ".\r\nEnter a filename...",
                          selectedName, folder(), "", "SAVE 'MOJI", kOverwrite};
    question.sayCancelled = false;
    question.askAgainOnNo = false;
    askFileName(
        m_prompter, std::move(question),
        [this](std::optional<std::string> path) {
            if (!path) return;
            if (writeFileAtomically(*path, mojiFileBytes(m_codes)) != FileStatus::kOk) {
                m_prompter.message("Could not write " + *path, "SAVE 'MOJI", MessageIcon::Exclamation);
                return;
            }
            m_edited = false;
            m_fileLabel = "File:  " + nameOf(*path);
            if (m_hooks.filesChanged) m_hooks.filesChanged();
            changed();
        },
        m_alive);
}

void MojiEditor::deleteFile(const std::string& name) {
    if (name.empty()) return;
    m_prompter.askYesNo("FILE:  " + name + "\r\nAre you sure you want to delete it?", "DELETE FILE",
                        MessageIcon::Question, [this, alive = std::weak_ptr<bool>(m_alive), name](bool yes) {
                            if (alive.expired() || !yes) return;
                            std::error_code error;
                            std::filesystem::remove(AddBackslash(folder()) + name, error);
                            if (error)
                                m_prompter.message("Could not delete " + name + ":\r\n" + error.message(),
                                                   "DELETE FILE", MessageIcon::Exclamation);
                            if (m_hooks.filesChanged) m_hooks.filesChanged();
                        });
}

void MojiEditor::clear() {
    if (!m_codes.empty()) m_edited = true;
    replaceCodes({});
    m_fileLabel.clear();
    m_boxKind = BoxKind::None;
    m_hint = "ChXboxes";
    m_warningShown = false;
    changed();
}

void MojiEditor::clearScreenAndCodes() {
    stopDrawing();  // or the rest of it would appear on the cleared screen
    m_screen.ScreenHandler(ScreenInterpreter::kClearScreen);
    if (m_hooks.screenChanged) m_hooks.screenChanged();
    if (!m_codes.empty()) m_edited = true;
    replaceCodes({});
    changed();
    if (m_hooks.refocusScreen) m_hooks.refocusScreen();
}

void MojiEditor::sendToMain() {
    // The first press only warns: a board's message base draws graphics only when told to.
    if (!m_warningShown) {
        m_warningShown = true;
        changed();
        return;
    }
    // A refused send keeps the codes, whatever "Clear After Send" says: nothing was sent.
    if (!ConvertASCIItoATASCII(m_codes, static_cast<std::int64_t>(m_codes.size()) + 1, false)) return;
    if (connected() && m_hooks.refocusScreen) m_hooks.refocusScreen();
    afterSend();
}

void MojiEditor::afterSend() {
    m_boxKind = BoxKind::None;
    m_hint = "ChXboxes";
    if (clearAfterSend) {
        replaceCodes({});
        m_edited = false;
    }
    changed();
}

void MojiEditor::hideWarning() {
    m_warningShown = false;
    changed();
}

void MojiEditor::appendSystemMoji(const char* name) {
    const std::string path = AddBackslash(folder()) + name;
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        // The steps are built from these files: one deleted is made again rather than leaving the
        // step without its drawing.
        const auto moji = std::find_if(std::begin(kSystemMojis), std::end(kSystemMojis),
                                       [name](const SystemMoji& m) { return std::string_view(m.name) == name; });
        bytes = mojiFileBytes(moji->codes);
        const bool written = writeFileAtomically(path, bytes) == FileStatus::kOk;
        m_status.ShowStatus("System 'Moji " + std::string(name) +
                                (written ? " was missing: made again" : " is missing and could not be made again"),
                            true, false);
        if (written && m_hooks.filesChanged) m_hooks.filesChanged();
    }
    appendCodes(mojiCodesOfFile(name, bytes));
}

void MojiEditor::checkStep(CheckStep step) {
    const bool emptiesBox = step != CheckStep::StartEmpty;
    if (!emptiesBox || !m_hooks.boxHoldsUnsentText || !m_hooks.boxHoldsUnsentText()) {
        doCheckStep(step, true);
        return;
    }
    m_prompter.askYesNo("The Box holds text that was not sent.\r\nEmpty The Box?", "ChXboxes", MessageIcon::Question,
                        [this, step, alive = std::weak_ptr<bool>(m_alive)](bool yes) {
                            if (!alive.expired()) doCheckStep(step, yes);
                        });
}

void MojiEditor::doCheckStep(CheckStep step, bool emptyBox) {
    switch (step) {
        case CheckStep::StartTicked:
            if (emptyBox) m_box.clearText();
            appendSystemMoji(kTickedBox);
            m_boxKind = BoxKind::Ticked;
            m_hint = "Add label text";
            break;
        case CheckStep::StartEmpty:
            appendSystemMoji(kEmptyBox);
            m_boxKind = BoxKind::Empty;
            m_hint = "Add label text";
            break;
        case CheckStep::Finish:
            if (emptyBox) m_box.clearText();
            appendSystemMoji(kBoxBottom);
            m_hint = "ChXboxes";
            break;
    }
    changed();
}

void MojiEditor::insertLabel(const std::string& label) {
    if (!label.empty()) appendCodes(Cvt2ASCII(label));
    m_hint = "Finish";
    changed();
}

void MojiEditor::copyToSignature() {
    ConvertASCIItoATASCII(m_codes, static_cast<std::int64_t>(m_codes.size()) + 1, true);
}

void MojiEditor::setInverse(bool on) {
    if (m_hooks.setInverseTyping) m_hooks.setInverseTyping(on);
    if (m_hooks.refocusScreen) m_hooks.refocusScreen();
}

void MojiEditor::closed() {
    m_editingEnabled = false;  // the next opening starts with the codes safe from typing
    if (m_hooks.setInverseTyping) m_hooks.setInverseTyping(false);
}

void MojiEditor::boxToEditor() {
    const std::string text = m_box.text();
    if (!text.empty()) appendCodes(Cvt2ASCII(text));
}

void MojiEditor::setEcho(bool on) {
    m_echo = on;
    if (on) {
        replaceCodes({});
        showEditor();
    }
    changed();
}

void MojiEditor::boxChanged() {
    if (!m_echo) return;
    const std::string text = m_box.text();
    if (!text.empty()) appendCodes(Cvt2ASCII(std::string_view(text).substr(text.size() - 1)));
}

bool MojiEditor::setDelayText(const std::string& text) {
    if (!isWholeNumberText(text)) return false;
    m_config.VXESendDelay = static_cast<std::int16_t>(std::clamp<std::int64_t>(parseLeadingNumber(text), 0, kMaxDelayMs));
    changed();
    return true;
}

bool MojiEditor::ConvertASCIItoATASCII(const std::string& list, std::int64_t count, bool toSignature) {
    if (count <= 0) return true;
    const CodeList parsed = parseCodeList(list, count);
    m_lastSkipped = parsed.skipped;
    if (parsed.skipped > 0)
        m_status.ShowStatus(std::to_string(parsed.skipped) + " codes skipped (not 0-255)", true, false);
    if (toSignature) {
        if (m_hooks.toSignature)
            for (char b : parsed.bytes) m_hooks.toSignature(b);
        return true;
    }
    if (!createFile) return deliver(parsed.bytes, {});
    NameQuestion question{"SAVE FILE",
                          "Saving a file into folder: " + m_config.CaptureFolder + ".\r\nEnter a filename...",
                          "",
                          m_config.CaptureFolder,
                          "",
                          "SAVE FILE",
                          kOverwrite};
    question.sayCancelled = false;
    question.askAgainOnNo = false;
    askFileName(
        m_prompter, std::move(question),
        [this, bytes = parsed.bytes](std::optional<std::string> path) {
            if (path) deliver(bytes, *path);
        },
        m_alive);
    return true;
}

bool MojiEditor::deliver(const std::string& bytes, const std::string& filePath) {
    if (!filePath.empty()) {
        m_status.ShowStatus("Updating: " + filePath, true, false);
        // A file that was there (Yes to overwriting) is replaced whole, so a failed write leaves
        // it as it was rather than gone.
        if (writeFileAtomically(filePath, bytes) != FileStatus::kOk)
            m_prompter.message("Could not write " + filePath, "SAVE FILE", MessageIcon::Exclamation);
    }
    if (m_config.DetectURLs)
        for (char b : bytes) m_urls.DetectURLChar(static_cast<std::uint8_t>(b));
    if (connected()) return m_send.SendToBBS(bytes, m_config.VXESendDelay, false);
    finishDrawing();  // a drawing still under way comes first, whole: nothing is cut
    if (clearScreenFirst) m_screen.ScreenHandler(ScreenInterpreter::kClearScreen);
    m_drawing = bytes;
    m_drawIndex = 0;
    drawNext();
    return true;
}

void MojiEditor::finishDrawing() {
    if (m_drawIndex >= m_drawing.size()) return;
    m_drawTimer->stop();
    while (m_drawIndex < m_drawing.size()) m_screen.ScreenHandler(static_cast<std::uint8_t>(m_drawing[m_drawIndex++]));
    if (m_hooks.screenChanged) m_hooks.screenChanged();
}

void MojiEditor::stopDrawing() {
    m_drawTimer->stop();
    m_drawing.clear();
    m_drawIndex = 0;
}

void MojiEditor::drawNext() {
    if (connected()) {
        // A call came up meanwhile: the screen is the board's now, and the rest goes to it, as a
        // send while connected would have.
        const std::string rest = m_drawing.substr(m_drawIndex);
        stopDrawing();
        if (!rest.empty()) m_send.SendToBBS(rest, m_config.VXESendDelay, false);
        changed();
        return;
    }
    // With no delay the whole list is drawn at once; otherwise one character per step, so the
    // window stays responsive and the 'Moji appears as it would from a board.
    do {
        if (m_drawIndex >= m_drawing.size()) break;
        m_screen.ScreenHandler(static_cast<std::uint8_t>(m_drawing[m_drawIndex++]));
    } while (m_config.VXESendDelay <= 0);
    if (m_hooks.screenChanged) m_hooks.screenChanged();
    if (m_drawIndex < m_drawing.size()) m_drawTimer->start(m_config.VXESendDelay, false);
    changed();
}

}  // namespace vx
