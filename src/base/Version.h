#pragma once

#include <string>

namespace vx {

inline constexpr const char* kProgramTitle = "Vexterm";
inline constexpr int kVersionMajor = 3;
inline constexpr int kVersionMinor = 14;
inline constexpr int kRevision = 717;

// "3.14  Build: 717": the version as the system files record it.
std::string versionWithBuild();
// "3.14": major and two-digit minor.
std::string versionNumber();

}  // namespace vx
