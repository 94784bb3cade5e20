#include "base/SystemPaths.h"

#include <filesystem>

namespace vx {

std::string AddBackslash(const std::string& path) {
    if (!path.empty() && path.back() == kPathSeparator) return path;
    return path + kPathSeparator;
}

bool isLocalAbsolutePath(const std::string& path) {
#ifdef _WIN32
    return std::filesystem::path(path).is_absolute();
#else
    if (path.empty() || path.front() != '/') return false;
    // A backslash is a legal file-name character here, but in a folder setting it only ever
    // comes from a Windows path.
    return path.find('\\') == std::string::npos;
#endif
}

}  // namespace vx
