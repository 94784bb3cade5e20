#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/ConfigSettings.h"
#include "platform/Prompter.h"
#include "platform/Sound.h"
#include "platform/Timer.h"
#include "tools/CaptureFields.h"
#include "tools/ScreenFeed.h"
#include "tools/TextSinks.h"

namespace vx {

class StatusReporter;
class UrlDetector;

// What capture reaches outside itself.
struct CapturePorts {
    TimerFactory& timers;
    StatusReporter& status;  // "pnlSTAT" and the log; its sink also carries "pnlCAPTURE"
    Prompter& prompter;
    Sound& sound;
    MojiCodeSink& moji;  // VXEditor's number text, for "Send Capture File to VXEditor"
    UrlDetector& urls;   // replayed characters are looked at for addresses too
    ScreenFeed screen;
};

// Capture of the received stream to the capture file (one quoted record per received chunk),
// the capture menu's state, and the viewer that replays the file through the interpreter.
// The file is open exactly while capture is on; every record is flushed as it is written, so
// the file is complete up to the last record even if the program is killed.
class CaptureFile {
public:
    static constexpr int kBlinkMs = 750;
    static constexpr int kReplayStepMs = 1;
    static constexpr int kAbortPauseMs = 1000;
    static constexpr int kDefaultDumpCount = 2000;
    static constexpr const char* kAbortButtonCaption = "Viewing Capture File ... Click to &Abort";
    static constexpr const char* kPauseButtonCaption = "&Pause / Continue";

    // The file's folder and name come from CaptureFolder and CaptureFileName.
    CaptureFile(const ConfigSettings& config, CapturePorts ports);
    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    // Takes the folder and name from the configuration again (after the configuration editor
    // saved) and refreshes the filename entry. A rename of this run is forgotten.
    void reloadSettings();

    const std::string& fileName() const { return m_name; }
    const std::string& folder() const { return m_folder; }
    const std::string& path() const { return m_path; }

    // "Capture On" entry: opens or closes the file (in REPLACE mode an old file is deleted first).
    void toggleCapture();
    // "Capture Mode" entry: APPEND or REPLACE, used the next time capture is turned on.
    void toggleMode();
    // The filename entry: a new name for this run only (the configuration is not written).
    void rename();
    // "&Delete Capture File" (disabled while capture is on).
    void deleteFile();
    void UpdateCaptureFilenameMenu();

    // One record per received chunk: '"' chunk '"' CR LF. Does nothing while capture is off. A
    // failed write turns capture off and tells the user; the file keeps only whole records.
    void WriteCaptureRecord(std::string_view chunk);

    // "&View Capture File" (exportToEditor false) and "Send Capture File to VXEditor" (true, with
    // a count of kDefaultDumpCount: the user is first asked for the number of characters to dump,
    // proposing `count`; the answer replaces it and is kept in dumpCount()). Starts the viewer
    // job; false when refused at once (capture on, no file, a viewer already running).
    bool ViewCaptureFile(bool exportToEditor, int count);
    // The count the user last entered for an export.
    int dumpCount() const { return m_dumpCount; }
    // The viewer's "&Pause / Continue" and abort buttons.
    void toggleViewerPause();
    void abortViewer();

    // Menu state.
    bool captureOn() const { return m_on; }
    bool appendMode() const { return m_append; }
    const std::string& captureCaption() const { return m_captureCaption; }
    const std::string& modeCaption() const { return m_modeCaption; }
    const std::string& filenameCaption() const { return m_filenameCaption; }
    bool deleteEnabled() const { return !m_on; }
    // The flashing bar on the screen window.
    bool blinkState() const { return m_blink; }
    bool captureBarVisible() const { return m_barVisible; }

    // Viewer state; its two buttons are visible exactly while the viewer is active.
    bool viewerActive() const { return m_viewerActive; }
    bool viewerPaused() const { return m_viewerPaused; }
    bool viewerStopRequested() const { return m_viewerStop; }
    bool viewerButtonsVisible() const { return m_viewerActive; }

    // Captions, the bar or the viewer buttons changed.
    void setOnChanged(std::function<void()> callback) { m_onChanged = std::move(callback); }
    // The viewer ended: the window gives the focus back to the screen.
    void setOnViewerFinished(std::function<void()> callback) { m_onViewerFinished = std::move(callback); }

private:
    enum class Phase { Idle, Reading, AbortPause, Replaying };

    bool refuseToView();
    void startViewer(bool exportToEditor, std::int64_t count);
    bool OpenCaptureFile(bool append);
    void CloseCaptureFile();
    void stopCapture();
    // A record could not be written (disk full, file too large, medium gone): capture stops and
    // the user is told, once.
    void captureWriteFailed(long recordStart, int error);
    void blink();
    void viewerStep();
    void readSomeFields();
    void afterReading();
    void replayStep();
    void finishViewer();
    void changed() {
        if (m_onChanged) m_onChanged();
    }

    const ConfigSettings& m_config;
    CapturePorts m_ports;

    std::string m_folder;
    std::string m_name;
    std::string m_path;
    std::string m_openPath;  // the file m_file writes to
    bool m_on = false;
    bool m_append = true;
    std::FILE* m_file = nullptr;
    std::string m_captureCaption = "Capture On";
    std::string m_modeCaption = "Capture Mode: APPEND";
    std::string m_filenameCaption;
    std::unique_ptr<Timer> m_blinkTimer;
    bool m_blink = false;
    bool m_barVisible = false;

    std::unique_ptr<Timer> m_viewerTimer;
    Phase m_phase = Phase::Idle;
    bool m_viewerActive = false;
    bool m_viewerPaused = false;
    bool m_viewerStop = false;
    bool m_exporting = false;
    std::optional<CaptureReader> m_reader;
    std::string m_replay;
    std::size_t m_replayIndex = 0;

    int m_dumpCount = kDefaultDumpCount;

    std::function<void()> m_onChanged;
    std::function<void()> m_onViewerFinished;
    // Answers to questions come later; they look here first to see whether capture still exists.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace vx
