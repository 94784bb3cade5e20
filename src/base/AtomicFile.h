#pragma once

#include <string>
#include <string_view>

namespace vx {

// Status codes of file writes, in the numbering the settings store reports.
namespace FileStatus {
constexpr int kOk = 0;
constexpr int kAccessDenied = 5;
constexpr int kWriteFault = 29;
constexpr int kReadFault = 30;
constexpr int kDiskFull = 112;
constexpr int kFileTooLarge = 223;
}  // namespace FileStatus

// Replaces the file at `path` with `bytes` so that the file is always either the old one or the
// new one: the bytes go to a temporary file in the same folder, are flushed to the disk, and the
// temporary file is renamed over the old one. On failure the old file is untouched, the temporary
// file is removed and a FileStatus code is returned.
// A symbolic link is followed: the file it points to is replaced and the link stays. A file the
// user cannot write, or has marked read-only (no write permission for anyone), is not replaced:
// kAccessDenied, because the rename would otherwise get round the mark.
int writeFileAtomically(const std::string& path, std::string_view bytes);

// The file a path names once symbolic links are followed; the path itself when it is no link.
std::string followLinks(const std::string& path);

enum class MoveResult { Moved, TargetExists, Failed };
// Renames `from` to `to` but never over an existing file.
MoveResult moveWithoutReplacing(const std::string& from, const std::string& to);

// The whole file, or nothing when it cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes);

}  // namespace vx
