#include "tools/UrlDetector.h"

#include <cstring>
#include <filesystem>

#include "base/AtomicFile.h"
#include "base/Formats.h"
#include "base/SystemPaths.h"
#include "log/StatusReporter.h"
#include "tools/BrowserLauncher.h"
#include "tools/NamePrompt.h"

namespace vx {
namespace {

constexpr std::string_view kPrefixHttp = "http://";
constexpr std::string_view kPrefixHttps = "https://";
constexpr std::string_view kPrefixWww = "http://www.";

constexpr char toLower(std::uint8_t c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); }

std::string trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

const std::string kEmpty;

}  // namespace

UrlDetector::UrlDetector() {
    // Addresses rarely exceed this; a longer one grows the buffer once and keeps the capacity.
    m_urlText.reserve(256);
}

void UrlDetector::setMatched(std::string_view text) {
    std::memcpy(m_matched.data(), text.data(), text.size());
    m_matchedLength = text.size();
}

void UrlDetector::appendMatched(char c) {
    if (m_matchedLength < kMatchCapacity) m_matched[m_matchedLength++] = c;
}

void UrlDetector::DetectURLChar(std::uint8_t c) {
    const bool urlCharacter = kUrlCharacters[c];
    if (m_collecting) {
        if (urlCharacter) {
            // A board can send URL characters without end; past the bound they are not kept.
            if (m_urlText.size() < kMaxUrlLength) m_urlText.push_back(static_cast<char>(c));
            return;
        }
        m_collecting = false;
        resetMatcher();
        finishUrl();
        return;
    }
    if (!urlCharacter) {
        resetMatcher();
        return;
    }

    const char lower = toLower(c);
    if (!m_matcherActive) {
        // Only a character that finds the matcher idle can start a match: the one that resets it
        // below is not looked at again.
        if (lower == 'h' || lower == 'w') {
            m_matcherActive = true;
            m_matched[0] = lower;
            m_matchedLength = 1;
            m_step = 1;
        }
        return;
    }

    const std::string_view matched = matchedText();
    switch (m_step) {
        case 1:
            if ((matched == "h" && lower == 't') || (matched == "w" && lower == 'w')) {
                appendMatched(lower);
                m_step = 2;
            } else {
                resetMatcher();
            }
            break;
        case 2:
            if ((matched == "ht" && lower == 't') || (matched == "ww" && lower == 'w')) {
                appendMatched(lower);
                m_step = 3;
            } else {
                resetMatcher();
            }
            break;
        case 3:
            if (matched == "htt" && lower == 'p') {
                appendMatched(lower);
                m_step = 4;
            } else if (matched == "www" && lower == '.') {
                setMatched(kPrefixWww);
                m_step = 11;
            } else {
                resetMatcher();
            }
            break;
        case 4:
            // Anything else after "http" leaves the matcher waiting for the "s" or ":".
            if (lower == 's' || lower == ':') {
                appendMatched(lower);
                m_step = 5;
            }
            break;
        case 5:
        case 6:
        case 7:
            if (lower == '/' || lower == ':') {
                appendMatched(lower);
                ++m_step;
            }
            break;
        default:
            break;
    }

    const std::string_view now = matchedText();
    if (now == kPrefixHttp || now == kPrefixHttps || now == kPrefixWww) {
        m_collecting = true;
        m_urlText.assign(now);
    }
}

void UrlDetector::finishUrl() {
    const int slot = m_nextSlot;
    m_urls[static_cast<std::size_t>(slot)] = trimBlanks(m_urlText);
    m_urlText.clear();
    m_newestSlot = slot;
    m_nextSlot = slot == kSlots - 1 ? 0 : slot + 1;
    if (m_onChanged) m_onChanged();
}

const std::string& UrlDetector::url(int slot) const {
    if (slot < 0 || slot >= kSlots) return kEmpty;
    return m_urls[static_cast<std::size_t>(slot)];
}

void UrlDetector::clearUrls() {
    for (std::string& url : m_urls) url.clear();
    m_nextSlot = 0;
    m_newestSlot = -1;
    if (m_onChanged) m_onChanged();
}

void UrlDetector::copyUrl(int slot, Clipboard& clipboard) const {
    if (slot < 0 || slot >= kSlots) return;
    clipboard.clear();
    clipboard.setText(url(slot));
}

bool UrlDetector::openUrl(int slot, BrowserLauncher& browser) const {
    // An empty label has nothing to open; starting the browser without an address helps no one.
    if (url(slot).empty()) return false;
    return browser.openUrl(url(slot));
}

void UrlDetector::exportUrls(Prompter& prompter, StatusReporter& status, const Clock& clock,
                             const std::string& systemFolder, std::function<void(const std::string&)> done) const {
    askExportName(prompter, status, "URL-" + formatFileStamp(clock.now()) + ".txt", systemFolder, std::move(done));
}

void UrlDetector::askExportName(Prompter& prompter, StatusReporter& status, const std::string& defaultName,
                                const std::string& systemFolder, std::function<void(const std::string&)> done) const {
    NameQuestion question{"URL Export Filename", "Enter a Filename: ", defaultName, systemFolder, ".txt", "Export URL",
                          "File Exists!\rWant to overwrite it?"};
    askFileName(
        prompter, std::move(question),
        [this, &prompter, &status, done = std::move(done)](std::optional<std::string> path) {
            if (!path) {
                if (done) done({});
                return;
            }
            writeExport(prompter, status, path->substr(path->find_last_of("\\/") + 1), *path, done);
        },
        m_alive);
}

void UrlDetector::writeExport(Prompter& prompter, StatusReporter& status, const std::string& name,
                              const std::string& path, const std::function<void(const std::string&)>& done) const {
    std::string lines;
    int written = 0;
    for (const std::string& url : m_urls) {
        if (url.empty()) continue;
        lines += url;
        lines += "\r\n";
        ++written;
    }
    const bool ok = writeFileAtomically(path, lines) == FileStatus::kOk;
    if (ok && written > 0) status.ShowStatus("Exported: " + name, true, false);
    if (!ok) prompter.message("Could not write " + path, "Export URL", MessageIcon::Exclamation);
    if (done) done(ok ? path : std::string());
}

}  // namespace vx
