#include "session/FileTransfers.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace vx {
namespace {

std::string fileCount(std::size_t files) { return std::to_string(files) + (files == 1 ? " file" : " files"); }

}  // namespace

FileTransfers::FileTransfers(TelnetSocket& line, TimerFactory& timers, const Clock& clock, Prompter& prompter,
                             StatusReporter& status, const ConfigSettings& config, std::function<bool()> connected)
    : m_line(line),
      m_timers(timers),
      m_clock(clock),
      m_prompter(prompter),
      m_status(status),
      m_config(config),
      m_connected(std::move(connected)),
      m_cleanup(timers.createTimer([this] {
          if (!m_state.active) {
              m_engine.reset();
              m_source.reset();
          }
      })) {}

FileTransfers::~FileTransfers() {
    if (m_line.diverted()) m_line.divert({});
}

const char* FileTransfers::protocolName(TransferProtocol protocol) {
    switch (protocol) {
        case TransferProtocol::Xmodem:
            return "XMODEM";
        case TransferProtocol::XmodemCrc:
            return "XMODEM-CRC";
        case TransferProtocol::Xmodem1K:
            return "XMODEM-1K";
        case TransferProtocol::Ymodem:
            return "YMODEM batch";
        case TransferProtocol::Zmodem:
            return "ZMODEM";
    }
    return "XMODEM";
}

bool FileTransfers::canStart() {
    if (m_state.active) {
        m_prompter.message("A file transfer is running already.", "File Transfer", MessageIcon::Exclamation);
        return false;
    }
    if (!m_connected()) {
        m_prompter.message("Connect to a board first: files go over the call.", "File Transfer",
                           MessageIcon::Exclamation);
        return false;
    }
    return true;
}

bool FileTransfers::startDownload(TransferProtocol protocol, const std::string& xmodemName) {
    if (!canStart()) return false;
    const std::string& folder = m_config.DownloadsPath;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        m_prompter.message("The downloads folder cannot be made:\r" + folder, "File Transfer", MessageIcon::Critical);
        return false;
    }
    m_sink = std::make_unique<DownloadFolderSink>(folder, sanitizeDownloadName(xmodemName));
    // ZMODEM offers each file first: a file already here is asked about before its bytes come.
    if (protocol == TransferProtocol::Zmodem) m_sink->setExistingQuestion(existingQuestion());
    begin(false, protocol);
    m_engine->startDownload(protocol, *m_sink);
    return true;
}

bool FileTransfers::startUpload(TransferProtocol protocol, const std::vector<std::string>& paths) {
    if (paths.empty() || !canStart()) return false;
    if (protocol != TransferProtocol::Ymodem && protocol != TransferProtocol::Zmodem && paths.size() > 1) {
        m_prompter.message("XMODEM sends one file at a time; YMODEM batch and ZMODEM send several.", "File Transfer",
                           MessageIcon::Exclamation);
        return false;
    }
    for (const std::string& path : paths) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            m_prompter.message("There is no file to send at\r" + path, "File Transfer", MessageIcon::Exclamation);
            return false;
        }
    }
    m_source = std::make_unique<FileListSource>(paths);
    begin(true, protocol);
    m_engine->startUpload(protocol, *m_source);
    return true;
}

bool FileTransfers::startFromBoard(std::string_view startBytes) {
    if (!startDownload(TransferProtocol::Zmodem, std::string())) return false;
    m_state.startedByBoard = true;
    m_status.ShowStatus("The board started a ZMODEM download", true, false);
    if (m_boardStarted) m_boardStarted();
    fromLine(startBytes);
    return true;
}

DownloadFolderSink::ExistingQuestion FileTransfers::existingQuestion() {
    return [this, generation = m_generation + 1](const std::string& path,
                                                 std::function<void(DownloadFolderSink::ExistingChoice)> answer) {
        const std::string name = std::filesystem::path(path).filename().string();
        m_prompter.askYesNoCancel(name +
                                      " is in the downloads folder already.\r\rReplace it with the file offered?"
                                      "\r(No keeps both; Cancel skips the file.)",
                                  "File Transfer", MessageIcon::Question,
                                  [this, generation, answer](Prompter::Answer reply) {
                                      if (generation != m_generation || !m_state.active) return;
                                      using Choice = DownloadFolderSink::ExistingChoice;
                                      answer(reply == Prompter::Answer::Yes  ? Choice::Replace
                                             : reply == Prompter::Answer::No ? Choice::KeepBoth
                                                                             : Choice::Skip);
                                  });
    };
}

void FileTransfers::begin(bool upload, TransferProtocol protocol) {
    m_state = State{};
    ++m_generation;
    m_state.active = true;
    m_state.upload = upload;
    m_state.protocol = protocol;
    m_engine = std::make_unique<FileTransfer>(
        m_timers, m_clock, [this](std::string_view bytes) { m_line.sendOwn(bytes); },
        FileTransfer::Events{
            [this](const TransferProgress& progress) {
                if (progress.resumedFrom > 0 &&
                    (progress.fileName != m_state.progress.fileName || m_state.progress.resumedFrom == 0))
                    m_status.ShowStatus(
                        progress.fileName + ": resumed from byte " + std::to_string(progress.resumedFrom), true, false);
                m_state.progress = progress;
                notify();
            },
            [this](bool ok, const std::string& message) { finished(ok, message); }});
    m_line.divert([this](std::string_view bytes) { fromLine(bytes); });
    m_status.ShowStatus(std::string(upload ? "Upload" : "Download") + " (" + protocolName(protocol) + ") started",
                        true, false);
    notify();
}

void FileTransfers::fromLine(std::string_view bytes) {
    if (!m_state.active || !m_engine) return;
    const std::size_t taken = m_engine->receive(bytes);
    if (taken < bytes.size() && !m_state.active && m_receivePath) m_receivePath(bytes.substr(taken));
}

void FileTransfers::cancel() {
    if (m_state.active && m_engine) m_engine->cancel();
}

void FileTransfers::callEnded() {
    if (!m_state.active || !m_engine) return;
    m_callEnded = true;
    m_engine->cancel();
}

void FileTransfers::finished(bool ok, const std::string& message) {
    m_line.divert({});
    m_state.active = false;
    m_state.finished = true;
    m_state.ok = ok;
    m_state.progress = m_engine->progress();
    if (std::exchange(m_callEnded, false))
        m_state.message = "The call ended before the transfer was done.";
    else if (!ok)
        m_state.message = message;
    else if (m_state.upload)
        m_state.message = "Sent " + fileCount(static_cast<std::size_t>(m_state.progress.filesDone)) + ".";
    else
        m_state.message = "Received " + fileCount(m_sink->received().size()) + " into " + m_config.DownloadsPath + ".";
    m_status.ShowStatus(std::string(m_state.upload ? "Upload: " : "Download: ") + m_state.message, true, false);
    m_cleanup->start(0, false);
    notify();
    // Files finished before a batch failed are whole: they are settled like any other.
    if (!m_state.upload) askAboutExisting(0);
}

void FileTransfers::askAboutExisting(std::size_t index) {
    DownloadFolderSink* sink = m_sink.get();
    const auto& received = sink->received();
    while (index < received.size() && received[index].outcome != DownloadFolderSink::Outcome::Exists) ++index;
    if (index >= received.size()) return;
    const std::string name = std::filesystem::path(received[index].path).filename().string();
    m_prompter.askYesNoCancel(name + " is in the downloads folder already.\r\rReplace it with the file received?"
                                     "\r(No keeps both; Cancel throws the received file away.)",
                              "File Transfer", MessageIcon::Question,
                              [this, sink, index, generation = m_generation](Prompter::Answer answer) {
                                  // A new transfer may have begun meanwhile; its files are its own.
                                  if (generation != m_generation) return;
                                  std::string error;
                                  bool done = true;
                                  if (answer == Prompter::Answer::Yes)
                                      done = sink->replaceExisting(index, error);
                                  else if (answer == Prompter::Answer::No)
                                      done = sink->keepBoth(index, error);
                                  else
                                      sink->discard(index);
                                  if (!done)
                                      m_prompter.message("The received file could not be saved:\r" + error,
                                                         "File Transfer", MessageIcon::Critical);
                                  askAboutExisting(index + 1);
                              });
}

void FileTransfers::notify() {
    if (m_changed) m_changed();
}

}  // namespace vx
