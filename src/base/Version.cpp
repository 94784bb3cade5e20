#include "base/Version.h"

#include <cstdio>

namespace vx {

std::string versionNumber() {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", kVersionMajor, kVersionMinor);
    return text;
}

std::string versionWithBuild() {
    char text[32];
    std::snprintf(text, sizeof text, "  Build: %03d", kRevision);
    return versionNumber() + text;
}

}  // namespace vx
