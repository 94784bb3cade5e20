#pragma once

#include <string>

namespace vx {

// The platform's folder separator.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The path with the folder separator appended unless it already ends with one.
std::string AddBackslash(const std::string& path);

// True when the text is an absolute path in this system's form. A configuration carried over
// from a Windows installation holds paths like C:\Users\Marta\Documents; taken as they are,
// they (like any relative path) would name folders inside whatever the working folder is.
bool isLocalAbsolutePath(const std::string& path);

// The files and folders of the system folder.
struct SystemPaths {
    std::string systemFolder;  // without a trailing separator

    std::string configFile() const { return AddBackslash(systemFolder) + "VX3_Cfg.ini"; }
    std::string bbsListFile() const { return AddBackslash(systemFolder) + "VX3_BBS.INI"; }
    std::string logFile() const { return AddBackslash(systemFolder) + "VX3_log.txt"; }
    std::string inFolder(const std::string& name) const { return AddBackslash(systemFolder) + name; }
};

}  // namespace vx
