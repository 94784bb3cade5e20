#include "base/SystemPaths.h"

namespace vx {

std::string AddBackslash(const std::string& path) {
    if (!path.empty() && path.back() == kPathSeparator) return path;
    return path + kPathSeparator;
}

}  // namespace vx
