#include "tools/Scrollback.h"

#include <algorithm>
#include <cstring>

#include "base/Formats.h"
#include "log/StatusReporter.h"
#include "tools/ReplayTexts.h"

namespace vx {
namespace {

constexpr char kEndOfLine = static_cast<char>(155);

}  // namespace

Scrollback::Scrollback(const ConfigSettings& config, TimerFactory& timers, StatusReporter& status, ScreenFeed screen,
                       BoxText& box)
    : m_config(config), m_status(status), m_screen(std::move(screen)), m_box(box) {
    m_timer = timers.createTimer([this] { step(); });
    // Grows only for chunks far larger than the ring; normal traffic never reallocates it.
    m_sinceWrap.reserve(2 * kRingSize);
}

Scrollback::~Scrollback() = default;

void Scrollback::WriteScrollback(std::string_view chunk) {
    m_positionBefore = m_position;
    m_received += static_cast<std::int64_t>(chunk.size());
    std::size_t p = m_position >= 1 && m_position <= kRingSize ? static_cast<std::size_t>(m_position) : 1;
    const std::size_t length = chunk.size();
    const std::size_t room = kRingSize - p;
    const bool wraps = length > room;
    if (wraps && length - room > kHistory) {
        // A chunk longer than the ring (a flood arrives in pieces of up to 256 KiB): the ring
        // keeps its newest characters, oldest first from position 1.
        std::memcpy(m_ring.data(), chunk.data() + length - kHistory, kHistory);
        p = kRingSize;
    } else if (wraps) {
        std::memcpy(m_ring.data() + p - 1, chunk.data(), room);
        std::memcpy(m_ring.data(), chunk.data() + room, length - room);
        p = length - room + 1;
    } else {
        std::memcpy(m_ring.data() + p - 1, chunk.data(), length);
        p += length;
    }
    m_position = static_cast<std::int16_t>(p);

    // A wrap that lands on the same or a later position (chunks longer than the ring) starts a
    // new lap too, or the field would grow without end on a fast feed.
    if (wraps || m_position < m_positionBefore) m_sinceWrap.clear();
    m_sinceWrap.append(chunk);
    if (m_onWritten) m_onWritten();
}

std::string Scrollback::orderedView() const {
    const std::size_t p = static_cast<std::size_t>(std::clamp<int>(m_position, 1, kRingSize));
    std::string view;
    view.reserve(kRingSize);
    view.append(m_ring.data() + p - 1, kRingSize - p);  // positions p..2047
    view.append(m_ring.data(), p);                      // positions 1..p
    return view;
}

int Scrollback::replayStart(int count) {
    const std::int64_t start = std::int64_t{kRingSize} - count;
    // The count box keeps counts at 2048 or less; anything larger still starts at the oldest.
    return static_cast<int>(std::clamp<std::int64_t>(start, 1, kRingSize));
}

bool Scrollback::beginReplay(int count) {
    if (m_replaying || m_position < 1) return false;
    m_status.ShowStatus(kReplayViewing, false, false);
    m_replaying = true;
    m_paused = false;
    m_stop = false;
    m_view = orderedView();
    // Before the ring has filled, only what was received is shown, not the empty ring before it.
    const int received = static_cast<int>(std::min<std::int64_t>(m_received, kHistory));
    m_index = std::max(replayStart(count), kRingSize - received);
    changed();
    return true;
}

bool Scrollback::viewScrollback(int count) {
    if (!beginReplay(count)) return false;
    m_screen(static_cast<std::uint8_t>(125));
    m_timer->start(0, false);
    return true;
}

bool Scrollback::scrollbackToBox(int count) {
    if (m_position < 1 || m_replaying) return false;
    if (m_config.Scroll2BoxClrBox) m_box.clearText();
    m_toBox = true;
    if (!beginReplay(count)) {
        m_toBox = false;
        return true;
    }
    // Nothing can interrupt a copy into The Box, so it is done in one piece.
    std::string text;
    if (m_index < kRingSize)
        text.assign(m_view, static_cast<std::size_t>(m_index - 1), static_cast<std::size_t>(kRingSize - m_index));
    std::replace(text.begin(), text.end(), kEndOfLine, ' ');
    m_box.appendText(text);
    finish();
    return true;
}

void Scrollback::step() {
    if (!m_replaying) return;
    if (m_stop || m_index >= kRingSize) {
        finish();
        return;
    }
    if (m_paused) return;  // held; togglePause() or abort() starts the next step
    m_screen(static_cast<std::uint8_t>(m_view[static_cast<std::size_t>(m_index - 1)]));
    ++m_index;
    if (m_index >= kRingSize)
        finish();
    else
        m_timer->start(kStepMs, false);
}

void Scrollback::togglePause() {
    if (!m_replaying) return;
    m_paused = !m_paused;
    m_status.ShowStatus(m_paused ? kReplayPaused : kReplayViewing, false, false);
    if (!m_paused) m_timer->start(kStepMs, false);
    changed();
}

void Scrollback::abort() {
    if (!m_replaying) return;
    m_stop = true;
    if (m_paused) m_timer->start(0, false);
}

void Scrollback::finish() {
    m_timer->stop();
    m_replaying = false;
    m_paused = false;
    m_stop = false;
    m_toBox = false;
    m_status.ShowStatus("", false, false);
    changed();
    if (m_onFinished) m_onFinished();
}

std::string correctScrollbackCount(std::string_view text, std::int16_t sbBufferSize) {
    if (!isWholeNumberText(text)) return std::to_string(sbBufferSize);
    if (parseLeadingNumber(text) > Scrollback::kRingSize) return "2048";
    return std::string(text);
}

}  // namespace vx
