#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/FileTransfer.h"

namespace vx {

// A name the sender chose, made safe to use in the download folder: folders ("../", "/", "\")
// and control characters go, leading dots and spaces go (no hidden files, no ".."), and what is
// left is at most 200 bytes. Nothing left: "download.bin".
std::string sanitizeDownloadName(const std::string& nameFromSender);

// "name.ext" -> "name (2).ext", the name a second copy is kept under.
std::string numberedName(const std::string& name, int number);

// Downloads into a folder. Each file is written to "<name>.part" first and only renamed to its
// name when complete, so a failed transfer never leaves a file that looks whole. A file that
// already exists is never overwritten by the transfer: the received copy stays as the .part
// file until the user chooses (replaceExisting, keepBoth or discard).
class DownloadFolderSink : public DownloadSink {
public:
    enum class Outcome { Saved, Exists, Discarded };
    struct ReceivedFile {
        Outcome outcome = Outcome::Saved;
        std::string path;      // Saved: the file; Exists: the file already there
        std::string partPath;  // Exists: the received bytes, waiting for the user's answer
    };

    // `nameForUnnamed` names a file whose sender sends no name (XMODEM).
    explicit DownloadFolderSink(std::string folder, std::string nameForUnnamed = "download.bin");
    ~DownloadFolderSink() override;
    DownloadFolderSink(const DownloadFolderSink&) = delete;
    DownloadFolderSink& operator=(const DownloadFolderSink&) = delete;

    bool beginFile(const std::string& nameFromSender, std::int64_t size, std::string& error) override;
    void setModifiedTime(std::int64_t seconds) override { m_modifiedTime = seconds; }
    bool write(std::string_view bytes, std::string& error) override;
    bool endFile(std::string& error) override;
    void abandon() override;
    // ZMODEM: a file already in the folder is asked about before it is sent (when a question is
    // set); "<name>.part" left by a broken download is continued; a broken download keeps its part.
    void offerFile(const std::string& nameFromSender, std::int64_t size, std::function<void(bool)> answer) override;
    bool resumeFile(const std::string& nameFromSender, std::int64_t size, std::int64_t& offset,
                    std::string& error) override;
    void interrupt() override;

    // What to do with a file offered under the name of one already in the folder.
    enum class ExistingChoice { Replace, KeepBoth, Skip };
    using ExistingQuestion = std::function<void(const std::string& existingPath, std::function<void(ExistingChoice)>)>;
    void setExistingQuestion(ExistingQuestion ask) { m_askExisting = std::move(ask); }

    // Every file completed so far, in the order received.
    const std::vector<ReceivedFile>& received() const { return m_received; }
    // Answers for a file that met an existing one. When the answer cannot be carried out the
    // received copy is thrown away (the file already there stays as it was) and false returned.
    bool replaceExisting(std::size_t index, std::string& error);
    bool keepBoth(std::size_t index, std::string& error);
    void discard(std::size_t index);

private:
    std::string m_folder;
    std::string m_nameForUnnamed;
    std::string m_finalPath;
    std::string m_partPath;
    std::FILE* m_file = nullptr;
    std::int64_t m_modifiedTime = 0;  // the sender's, 0 when it gave none
    ExistingQuestion m_askExisting;
    std::optional<ExistingChoice> m_choice;  // the answer for the file being received
    std::vector<ReceivedFile> m_received;
};

// Uploads files from the disk; each is sent under its own name without folders.
class FileListSource : public UploadSource {
public:
    explicit FileListSource(std::vector<std::string> paths);
    ~FileListSource() override;
    FileListSource(const FileListSource&) = delete;
    FileListSource& operator=(const FileListSource&) = delete;

    std::size_t fileCount() const override { return m_paths.size(); }
    std::string fileName(std::size_t index) const override;
    std::int64_t fileSize(std::size_t index) const override;
    std::int64_t modifiedTime(std::size_t index) const override;
    bool read(std::size_t index, std::int64_t offset, std::size_t maxBytes, std::string& out,
              std::string& error) override;

private:
    std::vector<std::string> m_paths;
    std::vector<std::int64_t> m_sizes;  // taken once, so a file growing mid-transfer keeps its header honest
    std::size_t m_openIndex = 0;
    std::FILE* m_file = nullptr;
};

}  // namespace vx
