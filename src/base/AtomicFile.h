#pragma once

#include <string>
#include <string_view>

namespace vx {

// Status codes of file writes, in the numbering the settings store reports.
namespace FileStatus {
constexpr int kOk = 0;
constexpr int kAccessDenied = 5;
constexpr int kWriteFault = 29;
constexpr int kDiskFull = 112;
constexpr int kFileTooLarge = 223;
}  // namespace FileStatus

// Replaces the file at `path` with `bytes` so that the file is always either the old one or the
// new one: the bytes go to a temporary file in the same folder, are flushed to the disk, and the
// temporary file is renamed over the old one. On failure the old file is untouched, the temporary
// file is removed and a FileStatus code is returned.
int writeFileAtomically(const std::string& path, std::string_view bytes);

enum class MoveResult { Moved, TargetExists, Failed };
// Renames `from` to `to` but never over an existing file.
MoveResult moveWithoutReplacing(const std::string& from, const std::string& to);

// The whole file, or nothing when it cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes);

}  // namespace vx
