#include "tools/Capture.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/AtomicFile.h"
#include "base/Formats.h"
#include "base/SystemPaths.h"
#include "log/StatusReporter.h"
#include "tools/ReplayTexts.h"
#include "tools/UrlDetector.h"

namespace vx {
namespace {

constexpr const char* kCapturePanel = "pnlCAPTURE";
// Each step of the reading job reads at most this many fields, so the window stays responsive
// while a large file loads.
constexpr int kFieldsPerStep = 256;

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

CaptureFile::CaptureFile(const ConfigSettings& config, CapturePorts ports)
    : m_config(config), m_ports(std::move(ports)) {
    m_blinkTimer = m_ports.timers.createTimer([this] { blink(); });
    m_viewerTimer = m_ports.timers.createTimer([this] { viewerStep(); });
    m_folder = m_config.CaptureFolder;
    m_name = m_config.CaptureFileName;
    m_path = AddBackslash(m_folder) + m_name;
    UpdateCaptureFilenameMenu();
}

CaptureFile::~CaptureFile() { CloseCaptureFile(); }

void CaptureFile::reloadSettings() {
    m_folder = m_config.CaptureFolder;
    m_name = m_config.CaptureFileName;
    m_path = AddBackslash(m_folder) + m_name;
    UpdateCaptureFilenameMenu();
}

void CaptureFile::UpdateCaptureFilenameMenu() {
    m_filenameCaption = "Change &Filename: " + m_name;
    changed();
}

bool CaptureFile::OpenCaptureFile(bool append) {
    std::error_code error;
    if (!append && fileExists(m_path)) std::filesystem::remove(m_path, error);
    // The folder is made at start-up, but it may have been removed since.
    if (!m_folder.empty()) std::filesystem::create_directories(m_folder, error);
    m_file = std::fopen(m_path.c_str(), "ab");
    m_openPath = m_file ? m_path : std::string();
    return m_file != nullptr;
}

void CaptureFile::CloseCaptureFile() {
    if (!m_file) return;
    std::fclose(m_file);
    m_file = nullptr;
}

void CaptureFile::toggleCapture() {
    if (m_on) {
        stopCapture();
        changed();
        return;
    }
    if (!OpenCaptureFile(m_append)) {
        // Recording into nothing would lose the session without a word.
        m_ports.sound.beep();
        m_ports.prompter.message("Unable to open the capture file:\r" + m_path, "", MessageIcon::Exclamation);
        changed();
        return;
    }
    m_on = true;
    m_captureCaption = "Capture OFF";
    m_ports.status.sink().setPanelText(kCapturePanel, "Cap", false);
    m_blinkTimer->start(kBlinkMs, true);
    m_barVisible = true;
    changed();
}

void CaptureFile::stopCapture() {
    m_on = false;
    m_captureCaption = "Capture ON";
    m_ports.status.sink().setPanelText(kCapturePanel, "", false);
    CloseCaptureFile();
    m_blinkTimer->stop();
    m_barVisible = false;
}

void CaptureFile::blink() {
    m_blink = !m_blink;
    m_barVisible = m_blink;
    changed();
}

void CaptureFile::toggleMode() {
    m_append = !m_append;
    m_modeCaption = m_append ? "Capture &Mode: APPEND" : "Capture &Mode: REPLACE";
    changed();
}

void CaptureFile::rename() {
    m_ports.prompter.askText(
        "This will change the current capture filename for this session ONLY! To change it permanently, do it in "
        "configuration.\rEnter filename to be used for Screen Captures:",
        "Capture File", m_name, [this, alive = std::weak_ptr<bool>(m_alive)](std::optional<std::string> answer) {
            if (alive.expired()) return;
            if (answer && !answer->empty()) {
                m_name = *answer;
                m_path = AddBackslash(m_folder) + m_name;
            }
            UpdateCaptureFilenameMenu();
        });
}

void CaptureFile::deleteFile() {
    if (m_on) return;
    if (!fileExists(m_path)) {
        m_ports.sound.beep();
        m_ports.sound.beep();
        m_ports.prompter.message("Capture File: " + m_name + " does not exist!", "", MessageIcon::Information);
        return;
    }
    // The answer deletes the file the question named, and not while capture writes to it.
    m_ports.prompter.askYesNo("Are you sure you want to delete " + m_name + "?", "DELETE FILE", MessageIcon::Question,
                              [this, alive = std::weak_ptr<bool>(m_alive), path = m_path](bool yes) {
                                  if (alive.expired() || !yes || (m_on && path == m_path)) return;
                                  std::error_code error;
                                  std::filesystem::remove(path, error);
                              });
}

void CaptureFile::WriteCaptureRecord(std::string_view chunk) {
    if (!m_file) return;
    const long recordStart = std::ftell(m_file);
    errno = 0;
    // Into the operating system at once, so a crash or kill loses nothing already received.
    const bool written = std::fputc('"', m_file) != EOF &&
                         std::fwrite(chunk.data(), 1, chunk.size(), m_file) == chunk.size() &&
                         std::fwrite("\"\r\n", 1, 3, m_file) == 3 && std::fflush(m_file) == 0;
    if (!written) captureWriteFailed(recordStart, errno);
}

void CaptureFile::captureWriteFailed(long recordStart, int error) {
    const std::string reason = error != 0 ? std::strerror(error) : "write error";
    // The file that was written to: the name may have been changed for this run since it opened.
    const std::string written = m_openPath;
    // Closing may still push out what the failed flush left in the buffer; the cut below comes
    // after it.
    stopCapture();
    // What reached the file of this record is cut off again: every record in it stays whole.
    std::error_code ignored;
    if (recordStart >= 0 && fileExists(written))
        std::filesystem::resize_file(written, static_cast<std::uintmax_t>(recordStart), ignored);
    m_ports.status.ShowStatus("Capture stopped: " + reason, true, false);
    m_ports.sound.beep();
    m_ports.prompter.message("Capture stopped: the capture file could not be written.\r" + written + "\r" + reason,
                             "", MessageIcon::Exclamation);
    changed();
}

bool CaptureFile::refuseToView() {
    if (m_viewerActive) return true;
    if (m_on) {
        m_ports.sound.beep();
        m_ports.prompter.message("Turn Capture OFF before viewing.", "ERROR", MessageIcon::Information);
        return true;
    }
    if (!fileExists(m_path)) {
        m_ports.sound.beep();
        m_ports.prompter.message("FILE: " + m_name + " does not exist!", "NOTE", MessageIcon::Exclamation);
        return true;
    }
    return false;
}

bool CaptureFile::ViewCaptureFile(bool exportToEditor, int count) {
    if (refuseToView()) return false;
    if (!exportToEditor) {
        startViewer(false, count);
        return true;
    }
    m_ports.prompter.askText("Enter # of Chars to Dump:", "", std::to_string(count),
                             [this, alive = std::weak_ptr<bool>(m_alive)](std::optional<std::string> answer) {
                                 if (alive.expired()) return;
                                 m_dumpCount = clampToInt32(parseLeadingNumber(answer.value_or("")));
                                 // Capture may have been turned on, or the file removed, meanwhile.
                                 if (!refuseToView()) startViewer(true, m_dumpCount);
                             });
    return true;
}

void CaptureFile::startViewer(bool exportToEditor, std::int64_t count) {
    m_viewerActive = true;
    m_viewerPaused = false;
    m_viewerStop = false;
    m_exporting = exportToEditor;
    changed();

    // Read errors end the reading early; what was read is still shown.
    std::string bytes;
    readWholeFile(m_path, bytes);
    if (exportToEditor) {
        m_ports.moji.showEditor();
        m_ports.moji.clearCodes();
    }
    m_reader.emplace(std::move(bytes), exportToEditor, count);
    m_phase = Phase::Reading;
    m_viewerTimer->start(0, false);
}

void CaptureFile::viewerStep() {
    switch (m_phase) {
        case Phase::Reading:
            readSomeFields();
            break;
        case Phase::AbortPause:
            afterReading();
            break;
        case Phase::Replaying:
            replayStep();
            break;
        case Phase::Idle:
            break;
    }
}

void CaptureFile::readSomeFields() {
    CaptureReader& reader = *m_reader;
    // The step's records go to VXEditor in one piece: the editor's window adds each piece it is
    // given to its text, so a piece a record would cost a window update a record.
    std::string codes;
    for (int fields = 0; fields < kFieldsPerStep && reader.readNext(); ++fields) {
        m_ports.status.ShowStatus("Loading Capture File... " + std::to_string(reader.count()), false, false);
        if (m_exporting) appendCaptureFieldCodes(codes, reader.lastField());
        if (reader.finished()) break;
    }
    if (!codes.empty()) m_ports.moji.appendCodes(codes);
    if (reader.aborted()) {
        m_ports.status.ShowStatus("READFILE Aborted at last char", true, false);
        m_phase = Phase::AbortPause;
        m_viewerTimer->start(kAbortPauseMs, false);
    } else if (reader.finished()) {
        afterReading();
    } else {
        m_viewerTimer->start(0, false);
    }
}

void CaptureFile::afterReading() {
    const std::int64_t count = m_reader->count();
    m_replay = m_reader->takeReplayText();
    m_reader.reset();
    if (m_config.ClrB4Vu) m_ports.screen(static_cast<std::uint8_t>(125));
    if (m_viewerStop) {
        finishViewer();
        return;
    }
    m_ports.status.ShowStatus("Viewing Capture File " + std::to_string(count) + " bytes", true, false);
    m_phase = Phase::Replaying;
    m_replayIndex = 0;
    replayStep();
}

void CaptureFile::replayStep() {
    if (m_viewerStop || m_replayIndex >= m_replay.size()) {
        finishViewer();
        return;
    }
    if (m_viewerPaused) return;  // held; the pause or abort button starts the next step
    const auto c = static_cast<std::uint8_t>(m_replay[m_replayIndex++]);
    m_ports.screen(c);
    if (m_config.DetectURLs) m_ports.urls.DetectURLChar(c);
    if (m_replayIndex >= m_replay.size())
        finishViewer();
    else
        m_viewerTimer->start(kReplayStepMs, false);
}

void CaptureFile::toggleViewerPause() {
    if (!m_viewerActive) return;
    m_viewerPaused = !m_viewerPaused;
    m_ports.status.ShowStatus(m_viewerPaused ? kReplayPaused : kReplayViewing, false, false);
    // Only a held replay needs waking; the reading job and its pause run on regardless.
    if (!m_viewerPaused && m_phase == Phase::Replaying) m_viewerTimer->start(kReplayStepMs, false);
}

void CaptureFile::abortViewer() {
    if (!m_viewerActive) return;
    m_viewerStop = true;
    if (m_viewerPaused && m_phase == Phase::Replaying) m_viewerTimer->start(0, false);
}

void CaptureFile::finishViewer() {
    m_viewerTimer->stop();
    m_phase = Phase::Idle;
    m_viewerActive = false;
    m_viewerPaused = false;
    m_viewerStop = false;
    m_reader.reset();
    std::string().swap(m_replay);  // a large file's text is not kept around
    m_replayIndex = 0;
    m_ports.status.ShowStatus("", false, false);
    changed();
    if (m_onViewerFinished) m_onViewerFinished();
}

}  // namespace vx
