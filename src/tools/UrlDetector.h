#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"

namespace vx {

class BrowserLauncher;
class StatusReporter;

// Web addresses in the received stream ("http://", "https://", "www."), kept as the last ten
// found, plus what the "Last 10 URLs" window does with them. DetectURLChar sees every received
// byte, so it does a few table lookups and never allocates unless a collected address outgrows
// the reserved buffer.
class UrlDetector {
public:
    static constexpr int kSlots = 10;
    // The longest address kept; the rest of a longer run of URL characters is dropped.
    static constexpr std::size_t kMaxUrlLength = 2048;

    UrlDetector();
    UrlDetector(const UrlDetector&) = delete;
    UrlDetector& operator=(const UrlDetector&) = delete;

    // Feeds one received (or replayed) character to the matcher.
    void DetectURLChar(std::uint8_t c);

    // Codes 36..127 except % < > [ \ ] | }.
    static bool isUrlCharacter(std::uint8_t c) { return kUrlCharacters[c]; }

    // The list as the window shows it. Slots out of range read as empty.
    const std::string& url(int slot) const;
    int nextSlot() const { return m_nextSlot; }
    // The slot whose marker is shown (the newest entry), or -1 when the list is empty.
    int newestSlot() const { return m_newestSlot; }
    bool copyButtonVisible(int slot) const { return !url(slot).empty(); }
    bool lastCopyLabelVisible() const { return m_newestSlot >= 0; }

    // What the matcher holds (for the window's diagnostics and for tests).
    bool collecting() const { return m_collecting; }
    std::string_view matchedText() const { return {m_matched.data(), m_matchedLength}; }
    std::string_view pendingUrl() const { return m_urlText; }

    // "Clear URLs": empties every slot and starts again at slot 0.
    void clearUrls();
    // Copy button i: the clipboard is cleared, then given the address.
    void copyUrl(int slot, Clipboard& clipboard) const;
    // Click on label i. False when nothing was opened.
    bool openUrl(int slot, BrowserLauncher& browser) const;
    // "Export": asks for a file name in the system folder and writes the non-empty slots, one per
    // line, as they are when the name is settled. `done` (optional) gets the path written, or ""
    // when cancelled or the file could not be written (which the user is told). The prompter and
    // status must outlive the questions.
    void exportUrls(Prompter& prompter, StatusReporter& status, const Clock& clock, const std::string& systemFolder,
                    std::function<void(const std::string& path)> done = {}) const;

    // Called whenever the list or its markers change, for the window to repaint.
    void setOnChanged(std::function<void()> callback) { m_onChanged = std::move(callback); }

private:
    static constexpr std::size_t kMatchCapacity = 12;  // "http://www." is the longest text the steps build
    static constexpr std::array<bool, 256> kUrlCharacters = [] {
        std::array<bool, 256> table{};
        for (int c = 36; c <= 127; ++c) table[static_cast<std::size_t>(c)] = true;
        for (int c : {'%', '<', '>', '[', '\\', ']', '|', '}'}) table[static_cast<std::size_t>(c)] = false;
        return table;
    }();

    void resetMatcher() {
        m_matcherActive = false;
        m_matchedLength = 0;
        m_step = 0;
    }
    void setMatched(std::string_view text);
    void appendMatched(char c);
    void finishUrl();
    void askExportName(Prompter& prompter, StatusReporter& status, const std::string& defaultName,
                       const std::string& systemFolder, std::function<void(const std::string&)> done) const;
    void writeExport(Prompter& prompter, StatusReporter& status, const std::string& name, const std::string& path,
                     const std::function<void(const std::string&)>& done) const;

    bool m_matcherActive = false;
    std::array<char, kMatchCapacity> m_matched{};
    std::size_t m_matchedLength = 0;
    std::int16_t m_step = 0;
    bool m_collecting = false;
    std::string m_urlText;

    std::array<std::string, kSlots> m_urls;
    int m_nextSlot = 0;
    int m_newestSlot = -1;
    std::function<void()> m_onChanged;
    // Answers to the export questions come later; they look here first.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace vx
