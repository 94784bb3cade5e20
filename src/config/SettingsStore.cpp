#include "config/SettingsStore.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cctype>
#include <new>

#include "base/AtomicFile.h"

namespace vx {
namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

constexpr std::array<const char*, 6> kRegistryRoots = {"HKCU", "HKLM", "HKU", "HKDD", "HKCC", "HKCR"};

}  // namespace

bool SettingsStore::stampOf(const std::string& path, FileStamp& stamp) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
#ifdef __linux__
    stamp.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
#else
    stamp.modifiedNs = static_cast<std::int64_t>(info.st_mtime) * 1000000000;
    stamp.changedNs = static_cast<std::int64_t>(info.st_ctime) * 1000000000;
#endif
    return true;
}

bool SettingsStore::isRegistryRoot(const std::string& root) {
    const std::string name = upper(root);
    return std::find_if(kRegistryRoots.begin(), kRegistryRoots.end(),
                        [&](const char* registryRoot) { return name == registryRoot; }) != kRegistryRoots.end();
}

SettingsStore::RootHandle SettingsStore::SettingsRootHandle(const std::string& root) const {
    if (isRegistryRoot(root)) return {RootKind::Registry, upper(root)};
    FileStamp stamp;
    if (stampOf(root, stamp)) return {RootKind::IniFile, {}};
    return {};
}

SettingsStore::CachedFile* SettingsStore::load(const std::string& path, int& status) {
    status = kOk;
    auto found = m_files.find(path);
    if (found != m_files.end() && found->second.openBatches > 0) return &found->second;

    FileStamp stamp;
    if (!stampOf(path, stamp)) {
        if (found != m_files.end()) m_files.erase(found);
        status = kInvalidRoot;
        return nullptr;
    }
    if (found != m_files.end() && found->second.stamp == stamp) return &found->second;
    if (found != m_files.end()) m_files.erase(found);

    // Whatever lies at the path (a huge log renamed by mistake, a binary file) must not take the
    // program down: what cannot be a settings file is refused before it is parsed.
    if (stamp.size > kMaxFileSize) {
        status = FileStatus::kFileTooLarge;
        return nullptr;
    }
    try {
        std::string bytes;
        if (!readWholeFile(path, bytes)) {
            status = ::access(path.c_str(), R_OK) != 0 ? FileStatus::kAccessDenied : FileStatus::kReadFault;
            return nullptr;
        }
        if (bytes.size() > kMaxFileSize ||
            static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) > kMaxLines) {
            status = FileStatus::kFileTooLarge;
            return nullptr;
        }
        IniFile parsed = IniFile::parse(bytes);
        CachedFile& cached = m_files[path];
        cached.file = std::move(parsed);
        cached.stamp = stamp;
        cached.changed = false;
        return &cached;
    } catch (const std::bad_alloc&) {
        m_files.erase(path);
        status = FileStatus::kFileTooLarge;
        return nullptr;
    }
}

int SettingsStore::fileStatus(const std::string& path) {
    if (isRegistryRoot(path)) return kInvalidRoot;
    int status = kOk;
    load(path, status);
    return status;
}

bool SettingsStore::sectionHasValues(const std::string& path, const std::string& section) {
    int status = kOk;
    const CachedFile* cached = load(path, status);
    return cached && cached->file.sectionHasValues(section);
}

std::string SettingsStore::statusText(int status) {
    switch (status) {
        case kOk:
            return "no error";
        case kInvalidRoot:
            return "the file does not exist";
        case FileStatus::kAccessDenied:
            return "access denied";
        case FileStatus::kWriteFault:
            return "write fault";
        case FileStatus::kReadFault:
            return "read fault";
        case FileStatus::kDiskFull:
            return "the disk is full";
        case FileStatus::kFileTooLarge:
            return "file too large";
        default:
            return "error " + std::to_string(status);
    }
}

int SettingsStore::store(const std::string& path, CachedFile& cached) {
    const int status = writeFileAtomically(path, cached.file.serialize());
    if (status != FileStatus::kOk) {
        // The file on disk is still the old one: forget the writes that did not reach it.
        m_files.erase(path);
        return status;
    }
    stampOf(path, cached.stamp);
    cached.changed = false;
    return kOk;
}

int SettingsStore::ReadSettingValue(const std::string& root, const std::string& section, const std::string& key,
                                    const std::string& type, const std::string& defaultValue, std::string& result) {
    result = defaultValue;
    if (isRegistryRoot(root)) return kInvalidRoot;
    int status = kOk;
    CachedFile* cached = load(root, status);
    if (!cached) return status;
    if (upper(type) == "S") result = cached->file.read(section, key, defaultValue);
    return kOk;
}

int SettingsStore::readFullValue(const std::string& root, const std::string& section, const std::string& key,
                                 const std::string& defaultValue, std::string& result) {
    result = defaultValue;
    if (isRegistryRoot(root)) return kInvalidRoot;
    int status = kOk;
    CachedFile* cached = load(root, status);
    if (!cached) return status;
    if (auto value = cached->file.find(section, key)) result = std::move(*value);
    return kOk;
}

int SettingsStore::WriteSettingValue(const std::string& root, const std::string& section, const std::string& key,
                                     const std::string& type, const std::string& value) {
    if (isRegistryRoot(root) || upper(type) != "S") return kInvalidRoot;
    return writeIni(root, section, key, value);
}

int SettingsStore::DeleteSettingValue(const std::string& root, const std::string& section, const std::string& key) {
    if (isRegistryRoot(root)) return kInvalidRoot;
    return writeIni(root, section, key, "");
}

int SettingsStore::writeIni(const std::string& path, const std::string& section, const std::string& key,
                            const std::string& value) {
    int status = kOk;
    CachedFile* cached = load(path, status);
    if (!cached) return status;
    cached->file.write(section, key, value);
    if (cached->openBatches > 0) {
        cached->changed = true;
        return kOk;
    }
    return store(path, *cached);
}

int SettingsStore::replaceFile(const std::string& path, const std::string& bytes) {
    const int status = writeFileAtomically(path, bytes);
    m_files.erase(path);
    return status;
}

int SettingsStore::openBatch(const std::string& path) {
    int status = kOk;
    if (CachedFile* cached = load(path, status)) ++cached->openBatches;
    return status;
}

int SettingsStore::closeBatch(const std::string& path) {
    const auto found = m_files.find(path);
    if (found == m_files.end() || found->second.openBatches == 0) return kOk;
    CachedFile& cached = found->second;
    if (--cached.openBatches > 0 || !cached.changed) return kOk;
    return store(path, cached);
}

SettingsStore::Batch::Batch(SettingsStore& store, std::string path) : m_store(store), m_path(std::move(path)) {
    m_openStatus = m_store.openBatch(m_path);
}

SettingsStore::Batch::~Batch() {
    if (m_open && m_openStatus == kOk) m_store.closeBatch(m_path);
}

int SettingsStore::Batch::commit() {
    if (!m_open) return kOk;
    m_open = false;
    if (m_openStatus == kInvalidRoot) return kOk;
    if (m_openStatus != kOk) return m_openStatus;
    return m_store.closeBatch(m_path);
}

}  // namespace vx
