#pragma once

#include <string>

namespace vx::test {

// Makes the C library's file calls fail on cue, inside the test program only. WriteFaults.cpp
// defines write, writev, fwrite, fputc, fputs, fflush, fsync, fdatasync, close, fclose, rename,
// renameat, renameat2, remove, unlink and unlinkat; linked into an executable, those definitions come before the C
// library's (and before a sanitizer's), so every call the core or the C++ library makes reaches
// them first. Each forwards to the next definition. Nothing changes until arm() is called.
//
// Once armed, only calls on files inside the armed folder (or its subfolders) are counted; the
// n-th counted call of the armed kind fails without being carried out (close and fclose still
// release the file, as they do when they fail for real). DiskFull is a budget of n bytes over
// all writes: a write that crosses it is cut short, every write after it fails with ENOSPC.
//
// Not thread-safe: arm, count and disarm from one thread while no other writes files.
class WriteFaults {
public:
    // Remove fails with EACCES, as a file that may not be deleted does; the others with EIO.
    enum class Operation { Write, Flush, Fsync, Close, Rename, DiskFull, Remove };
    static constexpr int kOperations = 7;

    static void arm(Operation operation, int n, const std::string& folder);
    static void disarm();

    // Since the last arm(): calls seen of that kind in the folder (for DiskFull, bytes written),
    // and whether the fault was injected.
    static int seen(Operation operation);
    static bool fired();

    static const char* name(Operation operation);
};

}  // namespace vx::test
