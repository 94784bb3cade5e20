#include "log/SystemLog.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include "base/AtomicFile.h"
#include "base/Formats.h"
#include "base/SystemPaths.h"
#include "log/StatusReporter.h"

namespace vx {

SystemLog::SystemLog(const Clock& clock, const std::string& systemFolder)
    : m_clock(clock), m_systemFolder(systemFolder), m_path(AddBackslash(systemFolder) + "VX3_log.txt") {}

bool SystemLog::exists() const {
    std::error_code error;
    return std::filesystem::is_regular_file(m_path, error);
}

bool SystemLog::WriteLogLine(const std::string& text, bool newSession) {
    const LocalDateTime now = m_clock.now();
    std::string lines;
    if (newSession) lines += "==== Session:" + std::to_string(m_session) + " - " + formatSessionStamp(now) + "\r\n";
    lines += "VXC3-" + formatLogStamp(now) + text + "\r\n";

    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(m_path, error);
    const std::uintmax_t before = error ? 0 : size;
    errno = 0;
    std::ofstream file(m_path, std::ios::binary | std::ios::app);
    const bool opened = file.is_open();
    if (opened) {
        file.write(lines.data(), static_cast<std::streamsize>(lines.size()));
        // Only closing says whether the buffered line reached the file.
        file.close();
    }
    if (opened && !file.fail()) {
        m_failing = false;
        return true;
    }
    const std::string reason = errno != 0 ? std::strerror(errno) : "write error";
    // Some of the line may have reached the file: it goes again, or the next line would be
    // glued to it.
    if (opened) {
        const std::uintmax_t after = std::filesystem::file_size(m_path, error);
        if (!error && after > before) std::filesystem::resize_file(m_path, before, error);
    }
    if (!std::exchange(m_failing, true) && m_onWriteFailed) m_onWriteFailed(reason);
    return false;
}

std::string SystemLog::logsFolder() const {
    // Only the folder's own name is in capitals: the system folder's path keeps its letter case,
    // which matters where file names are case-sensitive.
    return AddBackslash(m_systemFolder) + "LOGS";
}

std::string SystemLog::ArchiveLogFile(Prompter& prompter, StatusReporter& status) {
    const std::string folder = logsFolder();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        std::filesystem::create_directories(folder, error);
        if (!std::filesystem::is_directory(folder, error)) {
            prompter.message("Unable to create the LOGS Folder: " + folder + "\r\rThe log file was not renamed.", "",
                             MessageIcon::Exclamation);
            status.ShowStatus("Folder: " + folder + " could not be created.", true, true);
            return {};
        }
        prompter.message("LOGS Folder Created: " + folder, "", MessageIcon::Information);
        status.ShowStatus("Folder: " + folder + " created.", true, true);
    }
    const std::string stem = AddBackslash(folder) + "LOG-" + formatFileStamp(m_clock.now());
    if (!exists()) {
        prompter.message(m_path + "\r\n" + "Log File not found!", "", MessageIcon::Information);
        return {};
    }
    // Two archives in one second, or in the hour a clock change repeats, get the same stamp; the
    // later one takes the next free "-n" so that no archive is ever replaced.
    for (int n = 1; n <= kMaxArchivesPerStamp; ++n) {
        const std::string archive = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".txt";
        switch (moveWithoutReplacing(m_path, archive)) {
            case MoveResult::Moved:
                return archive;
            case MoveResult::TargetExists:
                continue;
            case MoveResult::Failed:
                return {};
        }
    }
    return {};
}

}  // namespace vx
