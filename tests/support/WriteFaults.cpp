#include "support/WriteFaults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

// Everything here may run before main (a library's start-up can write or close files), so the
// state is plain data that needs no constructor, and the next definitions are looked up on
// first use.

namespace {

using Operation = vx::test::WriteFaults::Operation;

struct State {
    bool armed;
    Operation operation;
    long n;
    bool fired;
    long seen[vx::test::WriteFaults::kOperations];
    long bytes;
    char folder[PATH_MAX];
    size_t folderLength;
};

State g_state;
// Above zero while a hook itself works (reading links, resolving paths) or while dlsym runs:
// calls made then go straight through, uncounted.
int g_busy;
int g_resolving;

struct Busy {
    Busy() { ++g_busy; }
    ~Busy() { --g_busy; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
};

struct KeepErrno {
    int saved = errno;
    ~KeepErrno() { errno = saved; }
};

int indexOf(Operation operation) { return static_cast<int>(operation); }

template <typename Function>
Function next(Function& slot, const char* name) {
    if (!slot) {
        ++g_resolving;
        void* found = dlsym(RTLD_NEXT, name);
        --g_resolving;
        static_assert(sizeof(found) == sizeof(slot));
        memcpy(&slot, &found, sizeof(slot));
        if (!slot) {
            static const char message[] = "WriteFaults: no next definition of a file function\n";
            syscall(SYS_write, 2, message, sizeof(message) - 1);
            abort();
        }
    }
    return slot;
}

bool watching() { return g_state.armed && g_busy == 0 && g_resolving == 0; }

bool inFolder(const char* path) {
    return strncmp(path, g_state.folder, g_state.folderLength) == 0 &&
           (path[g_state.folderLength] == '/' || path[g_state.folderLength] == '\0');
}

// The path an open descriptor names, from /proc; false for pipes, sockets and closed ones.
bool pathOfDescriptor(int fd, char (&path)[PATH_MAX]) {
    if (fd < 0) return false;
    char link[64] = "/proc/self/fd/";
    char digits[16];
    int length = 0;
    for (unsigned value = static_cast<unsigned>(fd); length == 0 || value > 0; value /= 10)
        digits[length++] = static_cast<char>('0' + value % 10);
    size_t at = strlen(link);
    while (length > 0) link[at++] = digits[--length];
    link[at] = '\0';
    const ssize_t size = readlink(link, path, sizeof(path) - 1);
    if (size <= 0) return false;
    path[size] = '\0';
    return path[0] == '/';
}

bool descriptorInFolder(int fd) {
    Busy busy;
    KeepErrno keep;
    char path[PATH_MAX];
    return pathOfDescriptor(fd, path) && inFolder(path);
}

bool streamInFolder(FILE* stream) {
    if (!stream) return false;
    Busy busy;
    KeepErrno keep;
    return descriptorInFolder(fileno(stream));
}

// A name given to rename: its folder resolved (the file itself may not exist yet).
bool nameInFolder(int folderFd, const char* name) {
    if (!name || !*name) return false;
    Busy busy;
    KeepErrno keep;
    char full[2 * PATH_MAX];
    full[0] = '\0';
    if (name[0] != '/' && folderFd != AT_FDCWD) {
        char base[PATH_MAX];
        if (!pathOfDescriptor(folderFd, base)) return false;
        strcat(full, base);
        strcat(full, "/");
    }
    if (strlen(full) + strlen(name) >= sizeof(full)) return false;
    strcat(full, name);
    char* slash = strrchr(full, '/');
    const char* parent = ".";
    if (slash == full) {
        parent = "/";
    } else if (slash) {
        *slash = '\0';
        parent = full;
    }
    char resolved[PATH_MAX];
    return realpath(parent, resolved) && inFolder(resolved);
}

// Counts a call in the folder; true when it is the one to fail.
bool strike(Operation operation) {
    ++g_state.seen[indexOf(operation)];
    if (g_state.fired || g_state.operation != operation) return false;
    if (g_state.seen[indexOf(operation)] != g_state.n) return false;
    g_state.fired = true;
    return true;
}

// How many of `size` bytes still fit on the "disk".
size_t room(size_t size) {
    if (g_state.operation != Operation::DiskFull) return size;
    const long left = g_state.n - g_state.bytes;
    if (left >= 0 && static_cast<size_t>(left) >= size) return size;
    g_state.fired = true;
    return left > 0 ? static_cast<size_t>(left) : 0;
}

ssize_t (*g_write)(int, const void*, size_t);
ssize_t (*g_writev)(int, const struct iovec*, int);
size_t (*g_fwrite)(const void*, size_t, size_t, FILE*);
int (*g_fputc)(int, FILE*);
int (*g_fputs)(const char*, FILE*);
int (*g_fflush)(FILE*);
int (*g_fsync)(int);
int (*g_fdatasync)(int);
int (*g_close)(int);
int (*g_fclose)(FILE*);
int (*g_rename)(const char*, const char*);
int (*g_renameat)(int, const char*, int, const char*);
int (*g_renameat2)(int, const char*, int, const char*, unsigned);
int (*g_remove)(const char*);
int (*g_unlink)(const char*);
int (*g_unlinkat)(int, const char*, int);

}  // namespace

namespace vx::test {

void WriteFaults::arm(Operation operation, int n, const std::string& folder) {
    disarm();
    char resolved[PATH_MAX];
    const char* canonical = realpath(folder.c_str(), resolved) ? resolved : folder.c_str();
    const size_t length = strlen(canonical);
    if (length == 0 || length >= sizeof(g_state.folder)) return;
    memcpy(g_state.folder, canonical, length + 1);
    g_state.folderLength = length;
    g_state.operation = operation;
    g_state.n = n;
    g_state.armed = true;
}

void WriteFaults::disarm() { g_state = State{}; }

int WriteFaults::seen(Operation operation) {
    if (operation == Operation::DiskFull) return static_cast<int>(g_state.bytes);
    return static_cast<int>(g_state.seen[indexOf(operation)]);
}

bool WriteFaults::fired() { return g_state.fired; }

const char* WriteFaults::name(Operation operation) {
    switch (operation) {
        case Operation::Write:
            return "Write";
        case Operation::Flush:
            return "Flush";
        case Operation::Fsync:
            return "Fsync";
        case Operation::Close:
            return "Close";
        case Operation::Rename:
            return "Rename";
        case Operation::DiskFull:
            return "DiskFull";
        case Operation::Remove:
            return "Remove";
    }
    return "?";
}

}  // namespace vx::test

// ---- The definitions that come before the C library's ----------------------------------------

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    if (!g_write && g_resolving) return syscall(SYS_write, fd, data, size);
    const auto real = next(g_write, "write");
    if (!watching() || !descriptorInFolder(fd)) return real(fd, data, size);
    if (strike(Operation::Write)) {
        errno = EIO;
        return -1;
    }
    const size_t allowed = room(size);
    if (allowed == 0 && size > 0) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t written = real(fd, data, allowed);
    if (written > 0) g_state.bytes += written;
    return written;
}

extern "C" ssize_t writev(int fd, const struct iovec* parts, int count) {
    if (!g_writev && g_resolving) return syscall(SYS_writev, fd, parts, count);
    const auto real = next(g_writev, "writev");
    if (!watching() || !descriptorInFolder(fd)) return real(fd, parts, count);
    if (strike(Operation::Write)) {
        errno = EIO;
        return -1;
    }
    size_t total = 0;
    for (int i = 0; i < count; ++i) total += parts[i].iov_len;
    size_t allowed = room(total);
    if (allowed == 0 && total > 0) {
        errno = ENOSPC;
        return -1;
    }
    ssize_t written = 0;
    if (allowed == total) {
        written = real(fd, parts, count);
    } else {
        std::vector<struct iovec> cut;
        for (int i = 0; i < count && allowed > 0; ++i) {
            const size_t take = parts[i].iov_len < allowed ? parts[i].iov_len : allowed;
            cut.push_back({parts[i].iov_base, take});
            allowed -= take;
        }
        written = real(fd, cut.data(), static_cast<int>(cut.size()));
    }
    if (written > 0) g_state.bytes += written;
    return written;
}

extern "C" size_t fwrite(const void* data, size_t size, size_t count, FILE* stream) {
    const auto real = next(g_fwrite, "fwrite");
    if (!watching() || !streamInFolder(stream)) return real(data, size, count, stream);
    if (strike(Operation::Write)) {
        errno = EIO;
        return 0;
    }
    const size_t total = size * count;
    const size_t allowed = room(total);
    const size_t items = allowed == total ? count : (size == 0 ? 0 : allowed / size);
    const size_t written = items == 0 ? 0 : real(data, size, items, stream);
    g_state.bytes += static_cast<long>(written * size);
    if (items < count) errno = ENOSPC;
    return written;
}

extern "C" int fputc(int c, FILE* stream) {
    const auto real = next(g_fputc, "fputc");
    if (!watching() || !streamInFolder(stream)) return real(c, stream);
    if (strike(Operation::Write)) {
        errno = EIO;
        return EOF;
    }
    if (room(1) == 0) {
        errno = ENOSPC;
        return EOF;
    }
    const int result = real(c, stream);
    if (result != EOF) ++g_state.bytes;
    return result;
}

extern "C" int fputs(const char* text, FILE* stream) {
    const auto real = next(g_fputs, "fputs");
    if (!watching() || !streamInFolder(stream)) return real(text, stream);
    if (strike(Operation::Write)) {
        errno = EIO;
        return EOF;
    }
    const size_t length = strlen(text);
    const size_t allowed = room(length);
    if (allowed < length) {
        if (allowed > 0) g_state.bytes += static_cast<long>(next(g_fwrite, "fwrite")(text, 1, allowed, stream));
        errno = ENOSPC;
        return EOF;
    }
    const int result = real(text, stream);
    if (result != EOF) g_state.bytes += static_cast<long>(length);
    return result;
}

extern "C" int fflush(FILE* stream) {
    const auto real = next(g_fflush, "fflush");
    if (!watching() || !streamInFolder(stream)) return real(stream);
    if (strike(Operation::Flush)) {
        errno = EIO;
        return EOF;
    }
    return real(stream);
}

extern "C" int fsync(int fd) {
    if (!g_fsync && g_resolving) return static_cast<int>(syscall(SYS_fsync, fd));
    const auto real = next(g_fsync, "fsync");
    if (!watching() || !descriptorInFolder(fd)) return real(fd);
    if (strike(Operation::Fsync)) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int fdatasync(int fd) {
    if (!g_fdatasync && g_resolving) return static_cast<int>(syscall(SYS_fdatasync, fd));
    const auto real = next(g_fdatasync, "fdatasync");
    if (!watching() || !descriptorInFolder(fd)) return real(fd);
    if (strike(Operation::Fsync)) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int close(int fd) {
    if (!g_close && g_resolving) return static_cast<int>(syscall(SYS_close, fd));
    const auto real = next(g_close, "close");
    if (!watching() || !descriptorInFolder(fd)) return real(fd);
    if (strike(Operation::Close)) {
        real(fd);  // a failed close releases the descriptor all the same
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int fclose(FILE* stream) {
    const auto real = next(g_fclose, "fclose");
    if (!watching() || !streamInFolder(stream)) return real(stream);
    if (strike(Operation::Close)) {
        real(stream);  // the stream is gone after a failed fclose too
        errno = EIO;
        return EOF;
    }
    return real(stream);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    if (!g_rename && g_resolving) return static_cast<int>(syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
    const auto real = next(g_rename, "rename");
    if (!watching() || !(nameInFolder(AT_FDCWD, from) || nameInFolder(AT_FDCWD, to))) return real(from, to);
    if (strike(Operation::Rename)) {
        errno = EIO;
        return -1;
    }
    return real(from, to);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept {
    if (!g_renameat && g_resolving) return static_cast<int>(syscall(SYS_renameat, fromFolder, from, toFolder, to));
    const auto real = next(g_renameat, "renameat");
    if (!watching() || !(nameInFolder(fromFolder, from) || nameInFolder(toFolder, to)))
        return real(fromFolder, from, toFolder, to);
    if (strike(Operation::Rename)) {
        errno = EIO;
        return -1;
    }
    return real(fromFolder, from, toFolder, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags) noexcept {
    if (!g_renameat2 && g_resolving)
        return static_cast<int>(syscall(SYS_renameat2, fromFolder, from, toFolder, to, flags));
    const auto real = next(g_renameat2, "renameat2");
    if (!watching() || !(nameInFolder(fromFolder, from) || nameInFolder(toFolder, to)))
        return real(fromFolder, from, toFolder, to, flags);
    if (strike(Operation::Rename)) {
        errno = EIO;
        return -1;
    }
    return real(fromFolder, from, toFolder, to, flags);
}

extern "C" int remove(const char* path) noexcept {
    const auto real = next(g_remove, "remove");
    if (!watching() || !nameInFolder(AT_FDCWD, path)) return real(path);
    if (strike(Operation::Remove)) {
        errno = EACCES;
        return -1;
    }
    return real(path);
}

extern "C" int unlink(const char* path) noexcept {
    if (!g_unlink && g_resolving) return static_cast<int>(syscall(SYS_unlinkat, AT_FDCWD, path, 0));
    const auto real = next(g_unlink, "unlink");
    if (!watching() || !nameInFolder(AT_FDCWD, path)) return real(path);
    if (strike(Operation::Remove)) {
        errno = EACCES;
        return -1;
    }
    return real(path);
}

extern "C" int unlinkat(int folder, const char* path, int flags) noexcept {
    if (!g_unlinkat && g_resolving) return static_cast<int>(syscall(SYS_unlinkat, folder, path, flags));
    const auto real = next(g_unlinkat, "unlinkat");
    if (!watching() || !nameInFolder(folder, path)) return real(folder, path, flags);
    if (strike(Operation::Remove)) {
        errno = EACCES;
        return -1;
    }
    return real(folder, path, flags);
}
