#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "config/IniFile.h"

namespace vx {

// The one gateway to named values in the system files. A root is either a registry root name
// (HKCU, HKLM, HKU, HKDD, HKCC, HKCR, any letter case) or the path of an existing INI file.
// Every operation returns a status: 0 for success, 99 for an invalid root (nothing read or
// written, a read leaves the default), otherwise a FileStatus: the error of a failed write, or
// why an existing file cannot be read (kFileTooLarge for a file above kMaxFileSize or with more
// than kMaxLines lines, which no settings file comes near; kAccessDenied, kReadFault).
// This system has no registry: registry roots are recognised and answer 99.
//
// Each call goes back to the file: a parsed copy is kept only while the file's size, times and
// identity are unchanged, which is checked on every call. Each write replaces the file
// atomically; a Batch groups the writes of one operation into one replacement.
class SettingsStore {
public:
    static constexpr int kOk = 0;
    static constexpr int kInvalidRoot = 99;
    static constexpr std::uint64_t kMaxFileSize = 16 * 1024 * 1024;
    static constexpr std::size_t kMaxLines = 1 << 20;

    // A status as words for messages: "access denied", "file too large", ...
    static std::string statusText(int status);

    enum class RootKind { Registry, IniFile, Invalid };
    struct RootHandle {
        RootKind kind = RootKind::Invalid;
        std::string registryRoot;  // the root name, for registry roots
    };

    RootHandle SettingsRootHandle(const std::string& root) const;

    // Type "S" reads text. Types "B" and "D" on an INI file leave the default in `result`.
    int ReadSettingValue(const std::string& root, const std::string& section, const std::string& key,
                         const std::string& type, const std::string& defaultValue, std::string& result);
    // Only type "S" writes to an INI file; other types write nothing and return 99.
    int WriteSettingValue(const std::string& root, const std::string& section, const std::string& key,
                          const std::string& type, const std::string& value);
    // On an INI file the key stays, with an empty value.
    int DeleteSettingValue(const std::string& root, const std::string& section, const std::string& key);

    // A text value at its full length, for values the program itself writes longer than a
    // profile read returns (the 255-character BBS map). Status as for ReadSettingValue.
    int readFullValue(const std::string& root, const std::string& section, const std::string& key,
                      const std::string& defaultValue, std::string& result);

    // Replaces (or creates) a whole file atomically; used for new files and the raw list editor.
    int replaceFile(const std::string& path, const std::string& bytes);

    // Whether the file can be read as settings: 0, 99 when it does not exist, or why not.
    int fileStatus(const std::string& path);
    // True when the file has a section of that name holding at least one key with a value (in
    // any of the sections of that name).
    bool sectionHasValues(const std::string& path, const std::string& section);

    // While a Batch is open on a file, writes to it are collected in memory (reads see them) and
    // the file is replaced once, when the outermost Batch commits or ends. A failed commit leaves
    // the old file and drops the collected writes. A batch on a file that does not exist collects
    // nothing: each write answers 99 and the commit, having nothing to write, kOk (openStatus()
    // tells). A batch on a file that exists but cannot be read commits nothing and reports why.
    class Batch {
    public:
        Batch(SettingsStore& store, std::string path);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Writes the file now (when this is the outermost batch) and returns its status; writes
        // made after that go to the file one by one again.
        int commit();
        // How the file was found when the batch opened: kOk, 99 when missing, or why it cannot be read.
        int openStatus() const { return m_openStatus; }

    private:
        SettingsStore& m_store;
        std::string m_path;
        int m_openStatus = kOk;
        bool m_open = true;
    };

private:
    struct FileStamp {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modifiedNs = 0, changedNs = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    struct CachedFile {
        IniFile file;
        FileStamp stamp;
        int openBatches = 0;
        bool changed = false;
    };

    static bool stampOf(const std::string& path, FileStamp& stamp);
    static bool isRegistryRoot(const std::string& root);
    CachedFile* load(const std::string& path, int& status);
    int store(const std::string& path, CachedFile& cached);
    int writeIni(const std::string& path, const std::string& section, const std::string& key, const std::string& value);
    int openBatch(const std::string& path);
    int closeBatch(const std::string& path);

    std::unordered_map<std::string, CachedFile> m_files;
};

}  // namespace vx
