#include "base/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vx {
namespace {

int statusOf(int error) {
    switch (error) {
        case 0:
            return FileStatus::kOk;
        case EACCES:
        case EPERM:
        case EROFS:
            return FileStatus::kAccessDenied;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return FileStatus::kDiskFull;
        case EFBIG:
            return FileStatus::kFileTooLarge;
        default:
            return FileStatus::kWriteFault;
    }
}

}  // namespace

std::string followLinks(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path current(path);
    // A loop of links ends somewhere: the last link reached is then replaced like a file.
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) break;
        const fs::path target = fs::read_symlink(current, error);
        if (error) break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
}

#ifndef _WIN32

namespace {

constexpr const char* kTemporaryMark = ".tmp-";
constexpr std::size_t kTemporarySuffix = 6;  // mkstemp's XXXXXX

std::string temporaryPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + kTemporaryMark;
}

// A temporary file of `target` that no save holds any more: its writer was killed or crashed
// between creating it and renaming it. A live writer keeps its temporary file locked until the
// rename, so a file that can be locked has no writer.
bool removeIfAbandoned(int folder, const char* name) {
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool removed = false;
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
        named.st_ino == opened.st_ino)
        removed = ::unlinkat(folder, name, 0) == 0;
    ::close(fd);
    return removed;
}

// Without this every save cut short by a crash would leave its temporary file for good.
void removeAbandonedTemporaries(const std::filesystem::path& target) {
    const std::string folderName = target.parent_path().empty() ? "." : target.parent_path().string();
    DIR* folder = ::opendir(folderName.c_str());
    if (!folder) return;
    const std::string prefix = temporaryPrefix(target);
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name(entry->d_name);
        if (name.size() == prefix.size() + kTemporarySuffix && name.starts_with(prefix))
            removeIfAbandoned(::dirfd(folder), entry->d_name);
    }
    ::closedir(folder);
}

// The process's umask, read without changing it (Linux tells it in /proc); elsewhere it is set
// and put back at once, which only a thread creating files at that instant could notice.
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("Umask:")) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    const mode_t mask = ::umask(077);
    ::umask(mask);
    return mask;
}

// A new temporary file beside `target`, locked so that another save of the same file never
// takes it for abandoned; -1 (errno set) when none can be made. Another save may have locked and
// removed it in the moment before the lock was taken: then a new one is made. A file system
// without locks only loses that protection.
int createLockedTemporary(const std::filesystem::path& target, std::string& temporary) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        temporary = (target.parent_path() / (temporaryPrefix(target) + "XXXXXX")).string();
        const int fd = ::mkstemp(temporary.data());
        if (fd < 0) return -1;
        struct stat created {};
        if (::flock(fd, LOCK_EX) != 0 || (::fstat(fd, &created) == 0 && created.st_nlink > 0)) return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// A rename is on the disk only once its folder is: without this a power cut soon after a save
// may bring back the version before it. A folder that cannot be synced (some file systems
// refuse) still holds the new file, so that is no failure of the save.
void syncFolderOf(const std::filesystem::path& target) {
    const std::string folderName = target.parent_path().empty() ? "." : target.parent_path().string();
    const int folder = ::open(folderName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    ::fsync(folder);
    ::close(folder);
}

}  // namespace

int writeFileAtomically(const std::string& linkOrPath, std::string_view bytes) {
    const std::string path = followLinks(linkOrPath);
    const std::filesystem::path target(path);
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (replacing) {
        if ((old.st_mode & 0222) == 0) return FileStatus::kAccessDenied;
        if (::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
            return statusOf(errno);
    }
    // Before this save makes its own: a file then never has more than one temporary file, even
    // when save after save is cut short.
    removeAbandonedTemporaries(target);
    std::string temporary;
    const int fd = createLockedTemporary(target, temporary);
    if (fd < 0) return statusOf(errno);
    // The lock is held until the rename, through a second descriptor as the first is closed
    // before it.
    const int lock = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    const auto release = [&] {
        if (lock >= 0) ::close(lock);
    };

    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        release();
        return statusOf(error);
    };
    // The temporary file is made private; the file it becomes keeps the permissions of the file
    // it replaces, and a new file gets those the user's umask allows, as any other program's.
    ::fchmod(fd, replacing ? old.st_mode & 07777 : 0666 & ~currentUmask());

    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        release();
        return statusOf(error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        release();
        return statusOf(error);
    }
    release();
    syncFolderOf(target);
    return FileStatus::kOk;
}

#else

int writeFileAtomically(const std::string& linkOrPath, std::string_view bytes) {
    const std::filesystem::path target(followLinks(linkOrPath));
    const std::filesystem::path temporary = target.parent_path() / (target.filename().string() + ".tmp");
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return FileStatus::kAccessDenied;
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.flush();
        if (!file) {
            file.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return FileStatus::kWriteFault;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return FileStatus::kWriteFault;
    }
    return FileStatus::kOk;
}

#endif

MoveResult moveWithoutReplacing(const std::string& from, const std::string& to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return MoveResult::Moved;
    if (errno == EEXIST) return MoveResult::TargetExists;
    // Some file systems cannot refuse to replace; there the check below has to do.
    if (errno != EINVAL && errno != ENOSYS) return MoveResult::Failed;
#endif
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(to, error))) return MoveResult::TargetExists;
    std::filesystem::rename(from, to, error);
    return error ? MoveResult::Failed : MoveResult::Moved;
}

bool readWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return false;
    const std::streamoff size = file.tellg();
    if (size < 0) return false;
    bytes.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    file.read(bytes.data(), size);
    // A file that shrank while being read gives what was there.
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return !file.bad();
}

}  // namespace vx
