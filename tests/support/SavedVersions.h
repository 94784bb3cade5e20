#pragma once

#include <string>
#include <vector>

#include "config/ConfigSettings.h"
#include "directory/BBSRecord.h"

// Two known versions of the BBS list and of the configuration, which the save loop
// (SaveLoop.cpp) writes in turn until it is killed, and the checks that the files on the disk
// are one of them whole.
namespace vx::test::saved {

inline constexpr const char* kListName = "VX3_BBS.INI";
inline constexpr const char* kConfigName = "VX3_Cfg.ini";

// The boards of version 0 (three) and 1 (four), IDs 1, 2, ...
std::vector<BBSRecord> boardsOf(int version);
ConfigSettings settingsOf(int version);

// Both files at version 0 in an empty folder; "" when done, else what failed.
std::string createFiles(const std::string& folder);

// Replaces each file with the other version in one write; "" when done, else what failed.
class Saver {
public:
    explicit Saver(const std::string& folder);
    ~Saver();
    Saver(const Saver&) = delete;
    Saver& operator=(const Saver&) = delete;

    // The version the list holds now (as loaded), or -1 with the reason in `problem`.
    int listVersion(std::string& problem);
    std::string saveList(int version);
    std::string saveConfig(int version);

private:
    struct Parts;
    Parts* m_parts;
};

// Loads the files with the program's own loaders, each in a fresh store as a new run would:
// the version each holds, or -1 with the reason in `problem`.
int listVersionOnDisk(const std::string& folder, std::string& problem);
int configVersionOnDisk(const std::string& folder, std::string& problem);

}  // namespace vx::test::saved
