#include "tools/BrowserLauncher.h"

#include <stdlib.h>  // mkstemps
#include <unistd.h>

#include <filesystem>
#include <string_view>

#include "base/SystemPaths.h"
#include "log/StatusReporter.h"

namespace vx {
namespace {

constexpr const char* kNoBrowserTitle = "Browser Not Found";
constexpr const char* kFailedTitle = "URL Failed";
constexpr const char* kFailedText = "Web Page not Opened";

// A web page the desktop can be asked about, under a name no one else can have claimed (a
// fixed name in a shared folder could be a link planted by another user). Removed when the
// object goes away, whatever happened in between.
class ProbePage {
public:
    explicit ProbePage(const std::string& folder) {
        std::error_code error;
        const std::filesystem::path base =
            folder.empty() ? std::filesystem::temp_directory_path(error) : std::filesystem::path(folder);
        if (error) return;
        std::string pattern = (base / "vexterm-probe-XXXXXX.HTM").string();
        const int fd = ::mkstemps(pattern.data(), 4);
        if (fd < 0) return;
        m_path = pattern;
        static constexpr std::string_view kRecord = "\"<HTML> <\\HTML>\"\r\n";
        const bool written = ::write(fd, kRecord.data(), kRecord.size()) == static_cast<ssize_t>(kRecord.size());
        ::close(fd);
        if (!written) remove();
    }
    ~ProbePage() { remove(); }
    ProbePage(const ProbePage&) = delete;
    ProbePage& operator=(const ProbePage&) = delete;

    // "" when the page could not be made.
    const std::string& path() const { return m_path; }

private:
    void remove() {
        if (m_path.empty()) return;
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
        m_path.clear();
    }
    std::string m_path;
};

// The name after the last folder separator or drive colon.
std::string fileNameOf(const std::string& path) {
    const auto cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

BrowserLauncher::BrowserLauncher(const ConfigSettings& config, Shell& shell, Prompter& prompter, StatusReporter& status,
                                 std::string tempFolder)
    : m_config(config), m_shell(shell), m_prompter(prompter), m_status(status), m_tempFolder(std::move(tempFolder)) {}

std::string BrowserLauncher::configuredBrowser() const {
    const std::string& value = m_config.WebBrowser;
    const auto first = value.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return value.substr(first, value.find_last_not_of(' ') - first + 1);
}

std::string BrowserLauncher::helpFilePath(const std::string& programFolder) {
    return AddBackslash(programFolder) + "help" + kPathSeparator + "vx3_help.htm";
}

bool BrowserLauncher::openUrl(const std::string& url) {
    const ProbePage probe(m_tempFolder);
    std::string browser = configuredBrowser();
    if (browser.empty() && !probe.path().empty()) browser = m_shell.associatedProgram(probe.path());
    if (browser.empty()) {
        m_prompter.message("Could not find associated Browser", kNoBrowserTitle, MessageIcon::Exclamation);
        return false;
    }
    m_status.ShowStatus(url, true, false);
    if (!m_shell.start(browser, url)) {
        m_prompter.message(kFailedText, kFailedTitle, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

bool BrowserLauncher::OpenHelpPage(const std::string& programFolder) {
    const std::string helpFile = helpFilePath(programFolder);
    const ProbePage probe(m_tempFolder);
    std::string browser = configuredBrowser();
    if (browser.empty()) {
        // A missing page has no associated program either.
        std::error_code error;
        if (std::filesystem::is_regular_file(helpFile, error)) browser = m_shell.associatedProgram(helpFile);
    }
    if (browser.empty()) {
        // The path lets the user open the page by hand.
        m_prompter.message("Could not find associated Browser or file\r\r" + helpFile, kNoBrowserTitle,
                           MessageIcon::Exclamation);
        return false;
    }
    m_status.ShowStatus("Opening: " + fileNameOf(helpFile), false, false);
    // The path goes as one argument of its own, so it needs no quotes around it.
    if (!m_shell.start(browser, helpFile)) {
        m_prompter.message(kFailedText, kFailedTitle, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

}  // namespace vx
