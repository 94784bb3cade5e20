#include "tools/TransferFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"

namespace vx {
namespace {

constexpr std::size_t kMaxNameBytes = 200;  // leaves room for " (999)" and ".part" under 255
constexpr int kMaxCopies = 999;

std::string joinPath(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

std::string sanitizeDownloadName(const std::string& nameFromSender) {
    const std::size_t slash = nameFromSender.find_last_of("/\\");
    const std::string base = slash == std::string::npos ? nameFromSender : nameFromSender.substr(slash + 1);
    std::string name;
    for (char c : base) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) continue;
        name += c;
    }
    const std::size_t first = name.find_first_not_of(". ");
    name = first == std::string::npos ? std::string() : name.substr(first);
    const std::size_t last = name.find_last_not_of(' ');
    name.resize(last == std::string::npos ? 0 : last + 1);
    if (name.size() > kMaxNameBytes) name.resize(kMaxNameBytes);
    return name.empty() ? "download.bin" : name;
}

std::string numberedName(const std::string& name, int number) {
    const std::size_t dot = name.find_last_of('.');
    const std::string suffix = " (" + std::to_string(number) + ")";
    if (dot == std::string::npos || dot == 0) return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

DownloadFolderSink::DownloadFolderSink(std::string folder, std::string nameForUnnamed)
    : m_folder(std::move(folder)), m_nameForUnnamed(std::move(nameForUnnamed)) {}

DownloadFolderSink::~DownloadFolderSink() { abandon(); }

void DownloadFolderSink::offerFile(const std::string& nameFromSender, std::int64_t, std::function<void(bool)> answer) {
    m_choice.reset();
    const std::string path = joinPath(m_folder, sanitizeDownloadName(nameFromSender));
    std::error_code failure;
    if (!m_askExisting || !std::filesystem::exists(path, failure)) return answer(true);
    m_askExisting(path, [this, answer = std::move(answer)](ExistingChoice choice) {
        m_choice = choice;
        answer(choice != ExistingChoice::Skip);
    });
}

bool DownloadFolderSink::resumeFile(const std::string& nameFromSender, std::int64_t size, std::int64_t& offset,
                                    std::string& error) {
    offset = 0;
    const std::string finalPath = joinPath(m_folder, sanitizeDownloadName(nameFromSender));
    const std::string partPath = finalPath + ".part";
    struct stat status {};
    // Only a plain file no longer than the one offered can be its beginning.
    const bool resumable = ::lstat(partPath.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
                           (size < 0 || status.st_size <= size);
    if (!resumable) {
        const auto choice = m_choice;
        const bool begun = beginFile(nameFromSender, size, error);
        m_choice = choice;
        return begun;
    }
    abandon();
    m_modifiedTime = 0;
    const int fd = ::open(partPath.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    m_file = fd < 0 ? nullptr : ::fdopen(fd, "ab");
    if (!m_file) {
        if (fd >= 0) ::close(fd);
        error = systemError("Cannot continue", partPath);
        return false;
    }
    m_finalPath = finalPath;
    m_partPath = partPath;
    offset = static_cast<std::int64_t>(status.st_size);
    return true;
}

void DownloadFolderSink::interrupt() {
    if (!m_file) return;
    // What arrived is kept for a resume: a .part never looks like a whole file.
    std::fclose(m_file);
    m_file = nullptr;
    m_partPath.clear();
}

bool DownloadFolderSink::beginFile(const std::string& nameFromSender, std::int64_t, std::string& error) {
    abandon();
    m_modifiedTime = 0;
    m_choice.reset();
    const std::string name = sanitizeDownloadName(nameFromSender.empty() ? m_nameForUnnamed : nameFromSender);
    m_finalPath = joinPath(m_folder, name);
    // Exclusive creation: an older .part (or a link planted under its name) is never written
    // through; the next free number is taken instead.
    for (int copy = 1; copy <= kMaxCopies && !m_file; ++copy) {
        m_partPath = copy == 1 ? m_finalPath + ".part" : m_finalPath + "." + std::to_string(copy) + ".part";
        m_file = std::fopen(m_partPath.c_str(), "wbx");
        if (!m_file && errno != EEXIST) {
            error = systemError("Cannot create", m_partPath);
            return false;
        }
    }
    if (!m_file) {
        error = "Cannot create a partial file for " + m_finalPath;
        return false;
    }
    return true;
}

bool DownloadFolderSink::write(std::string_view bytes, std::string& error) {
    if (!m_file) {
        error = "No file is open";
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        error = systemError("Cannot write", m_partPath);
        return false;
    }
    return true;
}

bool DownloadFolderSink::endFile(std::string& error) {
    if (!m_file) {
        error = "No file is open";
        return false;
    }
    // On the disk before it gets its name: a file reported received must survive a power cut.
    const bool flushed = std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed) {
        error = systemError("Cannot write", m_partPath);
        std::remove(m_partPath.c_str());
        m_partPath.clear();
        return false;
    }
    if (m_modifiedTime > 0) {
        // The file keeps the sender's date (a rename keeps it too); a file system that refuses
        // leaves the time of the download, which is no reason to fail the transfer.
        const struct timespec times[2] = {{0, UTIME_NOW}, {static_cast<time_t>(m_modifiedTime), 0}};
        ::utimensat(AT_FDCWD, m_partPath.c_str(), times, 0);
    }
    switch (moveWithoutReplacing(m_partPath, m_finalPath)) {
        case MoveResult::Moved:
            m_received.push_back({Outcome::Saved, m_finalPath, {}});
            break;
        case MoveResult::TargetExists:
            m_received.push_back({Outcome::Exists, m_finalPath, m_partPath});
            // Answered before the file came (ZMODEM): carried out now.
            if (m_choice == ExistingChoice::Replace && !replaceExisting(m_received.size() - 1, error)) return false;
            if (m_choice == ExistingChoice::KeepBoth && !keepBoth(m_received.size() - 1, error)) return false;
            break;
        case MoveResult::Failed:
            // The transfer is reported failed, so its bytes go rather than linger as a .part.
            error = systemError("Cannot rename", m_partPath);
            std::remove(m_partPath.c_str());
            m_partPath.clear();
            return false;
    }
    m_partPath.clear();
    return true;
}

void DownloadFolderSink::abandon() {
    if (!m_file) return;
    std::fclose(m_file);
    m_file = nullptr;
    std::remove(m_partPath.c_str());
    m_partPath.clear();
}

bool DownloadFolderSink::replaceExisting(std::size_t index, std::string& error) {
    if (index >= m_received.size() || m_received[index].outcome != Outcome::Exists) {
        error = "No file waits for an answer";
        return false;
    }
    ReceivedFile& file = m_received[index];
    std::error_code failure;
    std::filesystem::rename(file.partPath, file.path, failure);
    if (failure) {
        error = "Cannot replace " + file.path + ": " + failure.message();
        discard(index);
        return false;
    }
    file.outcome = Outcome::Saved;
    file.partPath.clear();
    return true;
}

bool DownloadFolderSink::keepBoth(std::size_t index, std::string& error) {
    if (index >= m_received.size() || m_received[index].outcome != Outcome::Exists) {
        error = "No file waits for an answer";
        return false;
    }
    ReceivedFile& file = m_received[index];
    const std::filesystem::path existing(file.path);
    const std::string name = existing.filename().string();
    for (int number = 2; number <= kMaxCopies; ++number) {
        const std::string candidate = (existing.parent_path() / numberedName(name, number)).string();
        const MoveResult result = moveWithoutReplacing(file.partPath, candidate);
        if (result == MoveResult::TargetExists) continue;
        if (result == MoveResult::Failed) {
            error = systemError("Cannot rename", file.partPath);
            discard(index);
            return false;
        }
        file.outcome = Outcome::Saved;
        file.path = candidate;
        file.partPath.clear();
        return true;
    }
    error = "No free name for another copy of " + file.path;
    discard(index);
    return false;
}

void DownloadFolderSink::discard(std::size_t index) {
    if (index >= m_received.size() || m_received[index].outcome != Outcome::Exists) return;
    std::remove(m_received[index].partPath.c_str());
    m_received[index].outcome = Outcome::Discarded;
    m_received[index].partPath.clear();
}

FileListSource::FileListSource(std::vector<std::string> paths) : m_paths(std::move(paths)) {
    for (const std::string& path : m_paths) {
        std::error_code failure;
        const auto size = std::filesystem::file_size(path, failure);
        m_sizes.push_back(failure ? -1 : static_cast<std::int64_t>(size));
    }
}

FileListSource::~FileListSource() {
    if (m_file) std::fclose(m_file);
}

std::string FileListSource::fileName(std::size_t index) const {
    return std::filesystem::path(m_paths.at(index)).filename().string();
}

std::int64_t FileListSource::fileSize(std::size_t index) const { return m_sizes.at(index); }

std::int64_t FileListSource::modifiedTime(std::size_t index) const {
    struct stat status {};
    if (::stat(m_paths.at(index).c_str(), &status) != 0) return 0;
    return static_cast<std::int64_t>(status.st_mtime);
}

bool FileListSource::read(std::size_t index, std::int64_t offset, std::size_t maxBytes, std::string& out,
                          std::string& error) {
    const std::string& path = m_paths.at(index);
    if (m_sizes.at(index) < 0) {
        error = "Cannot read " + path;
        return false;
    }
    if (!m_file || m_openIndex != index) {
        if (m_file) std::fclose(m_file);
        m_file = std::fopen(path.c_str(), "rb");
        m_openIndex = index;
        if (!m_file) {
            error = systemError("Cannot open", path);
            return false;
        }
    }
    out.resize(maxBytes);
    if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0) {
        error = systemError("Cannot read", path);
        return false;
    }
    const std::size_t got = std::fread(out.data(), 1, maxBytes, m_file);
    if (got < maxBytes && std::ferror(m_file)) {
        error = systemError("Cannot read", path);
        return false;
    }
    // A file that grew after its size was sent keeps the size the receiver was told.
    const std::int64_t left = m_sizes[index] - offset;
    out.resize(std::min<std::size_t>(got, left < 0 ? 0 : static_cast<std::size_t>(left)));
    return true;
}

}  // namespace vx
