#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <fstream>
#include <sstream>

#include "base/AtomicFile.h"
#include "config/SettingsStore.h"
#include "support/TempDir.h"

using vx::SettingsStore;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    std::string path = (temp / "VX3_Cfg.ini").string();
    SettingsStore store;

    void SetUp() override { writeFile(path, "[Config]\r\nName=Old\r\n"); }
    std::string read(const std::string& section, const std::string& key, const std::string& fallback = "<default>") {
        std::string result = "<untouched>";
        EXPECT_EQ(store.ReadSettingValue(path, section, key, "S", fallback, result), 0);
        return result;
    }
};

TEST_F(SettingsStoreTest, InvalidRootsAnswer99AndKeepTheDefault) {
    std::string result;
    const std::string missing = (temp / "nope.ini").string();
    EXPECT_EQ(store.ReadSettingValue(missing, "Config", "Name", "S", "dflt", result), 99);
    EXPECT_EQ(result, "dflt");
    EXPECT_EQ(store.WriteSettingValue(missing, "Config", "Name", "S", "x"), 99);
    EXPECT_EQ(store.DeleteSettingValue(missing, "Config", "Name"), 99);
    EXPECT_FALSE(std::filesystem::exists(missing));
    // A folder is no INI file.
    EXPECT_EQ(store.ReadSettingValue(temp.path().string(), "Config", "Name", "S", "dflt", result), 99);
    EXPECT_EQ(store.SettingsRootHandle(temp.path().string()).kind, SettingsStore::RootKind::Invalid);
    EXPECT_EQ(store.SettingsRootHandle(path).kind, SettingsStore::RootKind::IniFile);
}

TEST_F(SettingsStoreTest, RegistryRootsAreRecognisedButAbsentHere) {
    for (const char* root : {"HKCU", "hkcu", "HKLM", "HKU", "HKDD", "HKCC", "hkcr"}) {
        EXPECT_EQ(store.SettingsRootHandle(root).kind, SettingsStore::RootKind::Registry) << root;
        std::string result;
        EXPECT_EQ(store.ReadSettingValue(root, "Software\\Vexterm", "Name", "S", "dflt", result), 99) << root;
        EXPECT_EQ(result, "dflt");
        EXPECT_EQ(store.WriteSettingValue(root, "Software\\Vexterm", "Name", "S", "x"), 99) << root;
        EXPECT_EQ(store.DeleteSettingValue(root, "Software\\Vexterm", "Name"), 99) << root;
    }
}

TEST_F(SettingsStoreTest, TypeCodes) {
    std::string result;
    EXPECT_EQ(store.ReadSettingValue(path, "Config", "Name", "s", "dflt", result), 0);
    EXPECT_EQ(result, "Old");
    EXPECT_EQ(store.ReadSettingValue(path, "Config", "Name", "B", "dflt", result), 0);
    EXPECT_EQ(result, "dflt");
    EXPECT_EQ(store.ReadSettingValue(path, "Config", "Name", "D", "dflt", result), 0);
    EXPECT_EQ(result, "dflt");
    EXPECT_EQ(store.WriteSettingValue(path, "Config", "Name", "B", "True"), 99);
    EXPECT_EQ(store.WriteSettingValue(path, "Config", "Name", "d", "5"), 99);
    EXPECT_EQ(read("Config", "Name"), "Old");
}

TEST_F(SettingsStoreTest, WritesGoToTheFileAtOnce) {
    EXPECT_EQ(store.WriteSettingValue(path, "Config", "Name", "S", "New"), 0);
    EXPECT_EQ(store.WriteSettingValue(path, "Totals", "SessionNum", "S", " 3"), 0);
    EXPECT_EQ(readFile(path), "[Config]\r\nName=New\r\n[Totals]\r\nSessionNum= 3\r\n");
    EXPECT_EQ(read("Totals", "SessionNum"), "3");
}

TEST_F(SettingsStoreTest, DeleteLeavesTheKeyEmpty) {
    EXPECT_EQ(store.DeleteSettingValue(path, "Config", "Name"), 0);
    EXPECT_EQ(readFile(path), "[Config]\r\nName=\r\n");
    EXPECT_EQ(read("Config", "Name"), "");
}

TEST_F(SettingsStoreTest, SeesChangesMadeByOthers) {
    EXPECT_EQ(read("Config", "Name"), "Old");
    writeFile(path, "[Config]\r\nName=Oth\r\n");  // same size, written in place
    EXPECT_EQ(read("Config", "Name"), "Oth");
    writeFile(path, "[Config]\r\nName=Longer value\r\n");
    EXPECT_EQ(read("Config", "Name"), "Longer value");
    std::filesystem::remove(path);
    std::string result;
    EXPECT_EQ(store.ReadSettingValue(path, "Config", "Name", "S", "gone", result), 99);
    EXPECT_EQ(result, "gone");
}

TEST_F(SettingsStoreTest, BatchReplacesTheFileOnce) {
    {
        SettingsStore::Batch batch(store, path);
        EXPECT_EQ(store.WriteSettingValue(path, "Config", "Name", "S", "A"), 0);
        EXPECT_EQ(store.WriteSettingValue(path, "Config", "Other", "S", "B"), 0);
        EXPECT_EQ(read("Config", "Name"), "A");  // reads see the batch
        EXPECT_EQ(readFile(path), "[Config]\r\nName=Old\r\n");
        {
            SettingsStore::Batch inner(store, path);
            store.WriteSettingValue(path, "Config", "Third", "S", "C");
        }
        EXPECT_EQ(readFile(path), "[Config]\r\nName=Old\r\n");  // only the outermost batch writes
    }
    EXPECT_EQ(readFile(path), "[Config]\r\nName=A\r\nOther=B\r\nThird=C\r\n");
}

// A write that fails (here: the file would exceed the process's file-size limit) reports a
// status, leaves the old file byte for byte, and leaves no temporary file behind.
TEST_F(SettingsStoreTest, AFailedWriteKeepsTheOldFile) {
    const std::string before = readFile(path);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int status = store.WriteSettingValue(path, "Config", "Big", "S", std::string(200, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_NE(status, 0);
    EXPECT_NE(status, 99);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(read("Config", "Big"), "<default>");  // the failed write is forgotten
    EXPECT_EQ(read("Config", "Name"), "Old");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp.path())) ++files;
    EXPECT_EQ(files, 1);

    // The same through a batch: the commit reports the failure.
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int committed;
    {
        SettingsStore::Batch batch(store, path);
        store.WriteSettingValue(path, "Config", "Big", "S", std::string(200, 'x'));
        committed = batch.commit();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(committed, vx::FileStatus::kFileTooLarge);
    EXPECT_EQ(readFile(path), before);
}

TEST_F(SettingsStoreTest, AReadOnlyFolderIsReportedAndTheFileKept) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string before = readFile(path);
    std::filesystem::permissions(temp.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const int status = store.WriteSettingValue(path, "Config", "Name", "S", "New");
    std::filesystem::permissions(temp.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(status, vx::FileStatus::kAccessDenied);
    EXPECT_EQ(readFile(path), before);
}

TEST_F(SettingsStoreTest, ReplaceKeepsThePermissionsOfTheOldFile) {
    ::chmod(path.c_str(), 0640);
    store.WriteSettingValue(path, "Config", "Name", "S", "New");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

}  // namespace
