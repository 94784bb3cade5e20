#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace vx {

class BBSEditorWindow;
class DesktopApp;

// The rows of the tool windows (how each is made and what its buttons reach beyond it), the BBS
// editor's core with its hooks, and the file work those buttons start: import and export of the
// list, the raw editor, 'Mojis and pictures from files, printing, the log and the report.
class DesktopTools {
public:
    explicit DesktopTools(DesktopApp& app);

    void openTransferWindow(bool upload);
    // The log viewer, or the time-online report (made fresh each time).
    void openLog(bool report);
    bool viewPicture(const QString& path);
    void printScreen();
    void showWebsite(const std::string& name, const std::string& website);
    // The ONLINE marks of the windows that show one.
    void refreshOnlineMarks();

private:
    void addRows();
    void makeBBSEditor();
    QWidget* makeEditorWindow();
    BBSEditorWindow& editorWindow();
    void prepareBBSEditor();
    void bbsEditorClosed(std::optional<std::string> connectTo);
    void importBBSList();
    void exportBBSList();
    void openRawListEditor();
    void openMojiFile();
    void listChanged();

    DesktopApp& m_app;
    bool m_logAsReport = false;
};

}  // namespace vx
