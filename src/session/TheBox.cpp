#include "session/TheBox.h"

#include "base/Formats.h"
#include "session/SendPath.h"
#include "tools/BoxFormat.h"

namespace vx {
namespace {

constexpr char kCtrlQ = 17;
constexpr char kCtrlS = 19;

}  // namespace

TheBox::TheBox(BoxText& text, SendPath& send, Scrollback& scrollback, TimerFactory& timers, Prompter& prompter,
               Sound& sound, Clipboard& clipboard, const ConfigSettings& config, Hooks hooks)
    : m_text(text),
      m_send(send),
      m_scrollback(scrollback),
      m_prompter(prompter),
      m_sound(sound),
      m_clipboard(clipboard),
      m_config(config),
      m_hooks(std::move(hooks)),
      m_pause(timers.createTimer([this] { sendNextPiece(); })),
      m_keystrokeWait(timers.createTimer([this] { m_send.SendToBBS(std::string(1, kCtrlS), 1, false); })) {
    m_open = config.UseTW;
}

void TheBox::boardSelected(const BBSRecord& record) {
    m_sendDelay = record.SendDelayValue;
    m_alarmColumn = record.AlarmColValue;
    m_alarmEnabled = record.AlarmColEnabled;
    m_noWrap = record.NoWrap;
    m_autoPauseMs = static_cast<int>(std::clamp<std::int64_t>(parseLeadingNumber(record.BBSXDelay), 0, 60000));
    m_prefixBox.clear();
    changed();
}

void TheBox::setQuoteStep(int step) {
    m_quoteStep = step;
    changed();
}

void TheBox::scrollbackToBox(int count) {
    m_autoCR = false;  // the copied text must not go out line by line
    if (!m_scrollback.scrollbackToBox(count)) {
        changed();
        return;
    }
    setQuoteStep(1);
}

void TheBox::editBox() {
    if (m_hooks.focusBox) m_hooks.focusBox();
    setQuoteStep(2);
}

void TheBox::formatBox() {
    setQuoteStep(3);
    const std::string text = m_text.text();
    if (text.empty()) {
        m_prompter.message("No Text in Box!", "", MessageIcon::Information);
        return;
    }
    m_autoCR = false;
    box::QuoteSettings settings;
    settings.prefix = box::quotePrefix(m_prefixBox, m_config.QuotePrefix);
    settings.noWrap = m_noWrap;
    settings.width = m_width;
    settings.alarmColumn = m_alarmColumn;
    if (!box::prefixLeavesRoom(settings)) {
        m_prompter.message("The quote prefix (" + std::to_string(settings.prefix.size()) +
                               " characters) leaves fewer than " + std::to_string(box::kMinTextColumns) +
                               " columns of text in a " + std::to_string(m_width) +
                               "-column Box.\r\nUse a shorter prefix.",
                           "", MessageIcon::Exclamation);
        return;
    }
    const box::QuoteResult result = box::formatQuote(text, settings);
    m_alarmColumn = result.alarmColumn;
    // The formatted text replaces the Box's in one piece: line by line would redraw the editor
    // thousands of times for a long message.
    std::string formatted;
    for (const std::string& line : result.lines) formatted += line;
    m_text.clearText();
    m_text.appendText(formatted);
    changed();
}

void TheBox::sendFormatted() {
    if (m_chunking) return;
    const std::string text = m_text.text();
    const std::string message = box::FormatMsg(text);
    if (!connected()) {
        finishFormattedSend();
        return;
    }
    if (!m_noWrap || message.size() < box::kChunk) {
        if (m_send.SendToBBS(message, m_sendDelay, false)) m_sentText = text;
        finishFormattedSend();
        return;
    }
    m_chunking = true;
    changed();
    m_prompter.message("Sending quoted text in chunks... may take a few seconds.\r\n\r\nHit OK to continue...",
                       "Quoting...", MessageIcon::Information, [this, message, text] {
                           m_sentText = text;
                           m_pieces = box::sendPieces(message);
                           m_pieceIndex = 0;
                           changed();
                           sendNextPiece();
                       });
}

void TheBox::sendNextPiece() {
    if (m_pieceIndex >= m_pieces.size() || !connected()) {
        m_pieces.clear();
        m_pieceIndex = 0;
        m_chunking = false;
        finishFormattedSend();
        return;
    }
    // Each piece goes out (at the send delay), then the board gets a second to take it in.
    if (!m_send.SendToBBS(m_pieces[m_pieceIndex++], m_sendDelay, false)) {
        m_pieceIndex = m_pieces.size();  // the rest would not fit where this one is missing
        sendNextPiece();
        return;
    }
    m_send.whenSent([this] { m_pause->start(kChunkPauseMs, false); });
    changed();
}

std::string TheBox::sendingStatus() const {
    if (!m_chunking) return {};
    if (m_pieces.empty()) return "Sending in pieces";
    return "Sending in pieces: " + std::to_string(m_pieceIndex) + " of " + std::to_string(m_pieces.size()) + " sent";
}

void TheBox::finishFormattedSend() {
    setQuoteStep(0);
    refocus();
}

void TheBox::send() {
    if (!connected() || m_chunking) return;
    const std::string text = m_text.text();
    if (m_send.SendToBBS(text, m_sendDelay, false)) m_sentText = text;
}

bool TheBox::holdsUnsentText() const {
    const std::string text = m_text.text();
    return !text.empty() && text != m_sentText;
}

void TheBox::sendAndClear() {
    if (m_chunking) return;
    if (connected() && m_send.SendToBBS(m_text.text(), m_sendDelay, true)) m_text.clearText();
    setQuoteStep(0);
}

void TheBox::clear() {
    m_text.clearText();
    setQuoteStep(0);
}

void TheBox::clipboardToBox() { m_text.appendText(m_clipboard.text()); }

void TheBox::pasteToScreen() {
    if (!connected() || m_chunking) return;
    const box::PasteBytes paste = box::boardBytesOfPaste(m_clipboard.characters());
    if (paste.dropped > 0 && m_hooks.showStatus)
        m_hooks.showStatus("Pasted: " + std::to_string(paste.dropped) +
                           (paste.dropped == 1 ? " character left out (no ATASCII for it)"
                                               : " characters left out (no ATASCII for them)"));
    // Paced like the Box's own sends: a board's line editor drops what comes too fast.
    m_send.SendToBBS(paste.bytes, m_sendDelay, false);
}

void TheBox::sendEndOfLine() {
    if (connected() && !m_chunking) m_send.SendToBBS({}, 0, true);
}

void TheBox::sign() {
    // The BBS editor's button, which does not ask whether a call is up: the send path reports it.
    if (m_chunking) return;
    m_send.SendToBBS(m_hooks.signature ? m_hooks.signature() : std::string(), 0, true);
    refocus();
}

void TheBox::keystroke(int index) {
    if (!connected() || m_chunking) return;
    switch (index) {
        case 0:  // "Again": A and an end of line, then after the AutoPause delay Ctrl-S
            m_send.SendToBBS("A", 10, true);
            refocus();
            m_send.whenSent([this] { m_keystrokeWait->start(m_autoPauseMs, false); });
            break;
        case 1:  // ". . .": Ctrl-Q to restart a chunk, then Ctrl-S
            m_send.SendToBBS(std::string(1, kCtrlQ), 10, false);
            m_send.SendToBBS(std::string(1, kCtrlS), 1, false);
            refocus();
            break;
        case 2:  // "! ! !": Ctrl-S, to the end of the message
            m_send.SendToBBS(std::string(1, kCtrlS), 1, false);
            refocus();
            break;
        default:
            break;
    }
}

void TheBox::toggleWidth() {
    m_width = m_width == 80 ? 40 : 80;
    changed();
}

void TheBox::textChanged() {
    const std::string text = m_text.text();
    if (connected() && m_autoCR) {
        if (const auto line = box::autoCarriageReturnText(text)) {
            if (m_send.SendToBBS(*line, m_sendDelay, true)) m_text.clearText();
            return;
        }
    }
    if (m_alarmEnabled && m_alarmColumn > 0 && text.size() >= static_cast<std::size_t>(m_alarmColumn)) m_sound.beep();
}

void TheBox::setOpen(bool open) {
    m_open = open;
    changed();
}

bool TheBox::setSendDelayText(std::string_view text) {
    if (!isWholeNumberText(text)) {
        changed();
        return false;
    }
    m_sendDelay = static_cast<int>(std::clamp<std::int64_t>(parseLeadingNumber(text), 0, 32767));
    return true;
}

void TheBox::setAlarmColumn(int column) {
    m_alarmColumn = std::clamp(column, 0, 80);
    changed();
}

void TheBox::setAlarmEnabled(bool on) {
    m_alarmEnabled = on;
    changed();
}

void TheBox::setAutoCR(bool on) {
    m_autoCR = on;
    changed();
}

}  // namespace vx
