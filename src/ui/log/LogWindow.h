#pragma once

#include <QFileSystemWatcher>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "directory/TimeOnlineReport.h"
#include "log/LogViewer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace vx {

class BBSList;

// The log viewer (frmLog). In its log layout it shows the system log in a fixed-pitch font and
// follows the file while open; Clear, Delete and Rename act on it. In its report layout it shows
// the time-online report as a table that sorts by any column, saved as text or CSV.
class LogWindow : public QWidget {
    Q_OBJECT
public:
    enum class Layout { Log, Report };

    struct Services {
        SystemLog& log;
        StatusReporter& status;
        Prompter& prompter;
        BBSList& list;
        std::string systemFolder;
        std::function<void()> logDisabled{};  // cmdViewSL goes away
    };

    LogWindow(Services services, Layout layout, QWidget* parent = nullptr);

    Layout layout() const { return m_layout; }
    // The log as the window read it (log layout), or the report's text (report layout).
    QString text() const;
    QString countText() const;
    // Report layout: the report again, with or without the boards never called.
    void buildReport(bool showAll);

private:
    void loadLog();
    void saveReport();
    void saveCsv();

    Services m_s;
    Layout m_layout;
    LogViewer m_viewer;
    std::vector<report::Row> m_rows;
    QFileSystemWatcher m_watcher;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_countLabel = nullptr;
    QLineEdit* m_count = nullptr;
    QLabel* m_header = nullptr;
    QCheckBox* m_showAll = nullptr;
    QTableWidget* m_table = nullptr;
};

}  // namespace vx
