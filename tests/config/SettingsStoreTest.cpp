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

using vx::test::readFile;

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

// Files that cannot be settings files are refused with a status before they are parsed: the
// program must be able to say so, not run out of memory.
TEST_F(SettingsStoreTest, HugeFilesAreRefusedWithAStatus) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"above 16 MiB", "[Config]\r\nName=Big\r\n" + std::string(SettingsStore::kMaxFileSize, 'x')},
        {"too many lines", "[Config]\r\nName=Many\r\n" + std::string(SettingsStore::kMaxLines, '\n')},
    };
    for (const auto& [what, bytes] : cases) {
        writeFile(path, bytes);
        std::string result;
        EXPECT_EQ(store.ReadSettingValue(path, "Config", "Name", "S", "dflt", result), vx::FileStatus::kFileTooLarge)
            << what;
        EXPECT_EQ(result, "dflt") << what;
        EXPECT_EQ(store.fileStatus(path), vx::FileStatus::kFileTooLarge) << what;
        EXPECT_EQ(store.WriteSettingValue(path, "Config", "Name", "S", "New"), vx::FileStatus::kFileTooLarge) << what;
        int committed;
        {
            SettingsStore::Batch batch(store, path);
            store.WriteSettingValue(path, "Config", "Name", "S", "New");
            committed = batch.commit();
        }
        EXPECT_EQ(committed, vx::FileStatus::kFileTooLarge) << what;
        EXPECT_EQ(std::filesystem::file_size(path), bytes.size()) << what;
        EXPECT_EQ(SettingsStore::statusText(committed), "file too large");
    }
}

// The rename of an atomic write would replace a file the user marked read-only; it is refused.
TEST_F(SettingsStoreTest, AReadOnlyFileIsReportedAndKept) {
    const std::string before = readFile(path);
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(store.WriteSettingValue(path, "Config", "Name", "S", "New"), vx::FileStatus::kAccessDenied);
    int committed;
    {
        SettingsStore::Batch batch(store, path);
        store.WriteSettingValue(path, "Config", "Other", "S", "x");
        committed = batch.commit();
    }
    EXPECT_EQ(committed, vx::FileStatus::kAccessDenied);
    EXPECT_EQ(SettingsStore::statusText(committed), "access denied");
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(read("Config", "Name"), "Old");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
}

TEST_F(SettingsStoreTest, ALinkedFileIsWrittenThroughItsLink) {
    std::filesystem::create_directories(temp / "real");
    const auto target = temp / "real" / "VX3_Cfg.ini";
    std::filesystem::rename(path, target);
    std::filesystem::create_symlink("real/VX3_Cfg.ini", path);
    EXPECT_EQ(store.WriteSettingValue(path, "Config", "Name", "S", "New"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(readFile(target), "[Config]\r\nName=New\r\n");
    EXPECT_EQ(read("Config", "Name"), "New");
}

// Notepad's "Unicode" files: UTF-16 with a byte order mark, read and written back in it.
class SettingsStoreUtf16Test : public SettingsStoreTest, public ::testing::WithParamInterface<bool> {
protected:
    // The oracle: each character of a Latin-1 text as one UTF-16 unit, after the mark.
    static std::string utf16(const std::string& text, bool bigEndian) {
        std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : text) {
            out += bigEndian ? '\0' : c;
            out += bigEndian ? c : '\0';
        }
        return out;
    }
};

TEST_P(SettingsStoreUtf16Test, ReadsAndWritesInTheFilesEncoding) {
    const bool bigEndian = GetParam();
    // A Euro sign (beyond Latin-1) in a comment line that is never changed.
    const std::string euro = bigEndian ? std::string("\x20\xAC", 2) : std::string("\xAC\x20", 2);
    const std::string comment = utf16("; price 5", bigEndian).substr(2) + euro + utf16("\r\n", bigEndian).substr(2);
    const std::string price = utf16("Price=5", bigEndian).substr(2) + euro + utf16("\r\n", bigEndian).substr(2);
    writeFile(path, utf16("[Config]\r\nName=M\xFCller\r\n", bigEndian) + comment + price +
                        utf16("Keep=as is\r\n", bigEndian).substr(2));
    EXPECT_EQ(read("Config", "Name"), "M\xFCller");
    EXPECT_EQ(read("Config", "Price"), "5?");  // beyond Latin-1, as a program working in bytes gets it
    EXPECT_EQ(read("Config", "Keep"), "as is");
    EXPECT_EQ(store.WriteSettingValue(path, "Config", "Name", "S", "Sm\xF8rrebr\xF8" "d"), 0);
    EXPECT_EQ(store.WriteSettingValue(path, "Config", "Price", "S", "5 EUR"), 0);
    EXPECT_EQ(store.WriteSettingValue(path, "Totals", "SessionNum", "S", " 3"), 0);
    EXPECT_EQ(readFile(path),
              utf16("[Config]\r\nName=Sm\xF8rrebr\xF8" "d\r\n", bigEndian) + comment +
                  utf16("Price=5 EUR\r\nKeep=as is\r\n[Totals]\r\nSessionNum= 3\r\n", bigEndian).substr(2));
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, SettingsStoreUtf16Test, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "BigEndian" : "LittleEndian"; });

}  // namespace
