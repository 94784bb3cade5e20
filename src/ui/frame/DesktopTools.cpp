#include "ui/frame/DesktopTools.h"

#include <QFileDialog>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "directory/BBSCsv.h"
#include "screen/ScreenColours.h"
#include "tools/ScreenDump.h"
#include "ui/dialogs/WebsiteWindow.h"
#include "ui/directory/BBSEditorWindow.h"
#include "ui/directory/LoginWindow.h"
#include "ui/directory/PortChooser.h"
#include "ui/directory/RawListEditor.h"
#include "ui/frame/DesktopApp.h"
#include "ui/log/LogWindow.h"
#include "ui/terminal/MojiEditorWindow.h"
#include "ui/terminal/ScreenWindow.h"
#include "ui/terminal/StatusWindow.h"
#include "ui/terminal/TerminalWindow.h"
#include "ui/terminal/TransferWindow.h"
#include "ui/tools/DumpPicker.h"
#include "ui/tools/ScreenPrint.h"
#include "ui/tools/ScrollbackDebugWindow.h"
#include "ui/tools/UrlListWindow.h"

namespace vx {
namespace {

using Tool = ToolWindows::Tool;
using Place = ToolWindows::FirstPlace;
using Keys = ToolWindows::Keys;
using Moment = KeyFocus::Moment;

QString localPath(const std::string& path) { return QString::fromLocal8Bit(path.c_str()); }
std::string localPath(const QString& path) { return path.toLocal8Bit().toStdString(); }

}  // namespace

DesktopTools::DesktopTools(DesktopApp& app) : m_app(app) {
    makeBBSEditor();
    addRows();
}

void DesktopTools::addRows() {
    DesktopApp& a = m_app;
    ToolWindows& tools = a.m_tools;
    const auto toolDone = [&a] { a.m_keys.after(Moment::ToolWindowDone); };
    tools.add({.tool = Tool::BBSEditor,
               .make = [this] { return makeEditorWindow(); },
               .firstPlace = Place::RightOfFrame,
               .savedAs = PlacedWindow::BBSEditor,
               .beforeShow = [this](QWidget&) { prepareBBSEditor(); }});
    tools.add({.tool = Tool::VXEditor,
               .make = [this, &a]() -> QWidget* {
                   return new MojiEditorWindow(a.m_session->moji(),
                                               {.connected = [&a] { return a.m_session->connection().connected(); },
                                                .openFile = [this] { openMojiFile(); }});
               },
               .firstPlace = Place::LeftOfFrameLow,
               .savedAs = PlacedWindow::VXEditor,
               .beforeShow =
                   [](QWidget& w) {
                       auto& window = static_cast<MojiEditorWindow&>(w);
                       window.refreshFiles();
                       window.refresh();
                   }});
    tools.add({.tool = Tool::UrlList,
               .make = [&a, toolDone]() -> QWidget* {
                   return new UrlListWindow(
                       a.m_session->urls(), a.m_clipboard,
                       {.open = [&a](int slot) { a.m_session->urls().openUrl(slot, *a.m_browser); },
                        .exportList =
                            [&a] {
                                a.m_session->urls().exportUrls(a.m_prompter, a.m_status, a.m_clock,
                                                               a.m_paths.systemFolder);
                            },
                        .done = toolDone});
               },
               .firstPlace = Place::LeftOfFrame,
               .savedAs = PlacedWindow::LastURLs,
               .keys = Keys::Leave,
               .beforeShow = [](QWidget& w) { static_cast<UrlListWindow&>(w).refresh(); }});
    tools.add({.tool = Tool::Status,
               .make = [&a]() -> QWidget* {
                   return new StatusWindow(a.m_session->callStatus(), a.m_session->connection(), a.m_status,
                                           {.viewLog = [&a] { a.openLogViewer(); },
                                            .logExists = [&a] { return a.m_status.log().exists(); }});
               },
               .firstPlace = Place::RightOfFrame,
               .savedAs = PlacedWindow::Status,
               .keys = Keys::Leave,
               .beforeShow = [](QWidget& w) { static_cast<StatusWindow&>(w).refresh(); }});
    tools.add({.tool = Tool::Website,
               .make = [&a]() -> QWidget* {
                   return new WebsiteWindow([&a](const std::string& url) {
                       if (a.m_browser->openUrl(url)) a.m_status.ShowStatus("Website: " + url, true, false);
                   });
               },
               .savedAs = PlacedWindow::Website});
    tools.add({.tool = Tool::Transfer, .make = [&a, toolDone]() -> QWidget* {
                   auto* window = new TransferWindow(a.m_session->transfers(), {.closed = toolDone});
                   a.m_session->transfers().setOnChange([window] { window->transferChanged(); });
                   return window;
               }});
    tools.add({.tool = Tool::LogViewer,
               .make = [this, &a]() -> QWidget* {
                   LogWindow::Services services{a.m_status.log(),       a.m_status, a.m_prompter, a.m_list,
                                                a.m_paths.systemFolder, {}};
                   if (!m_logAsReport) services.logDisabled = [&a] { a.m_terminalWindow->setViewLogVisible(false); };
                   return new LogWindow(services, m_logAsReport ? LogWindow::Layout::Report : LogWindow::Layout::Log);
               },
               .freshEachTime = true});
    tools.add({.tool = Tool::DumpPicker,
               .make = [this, &a, toolDone]() -> QWidget* {
                   return new DumpPicker(
                       a.m_prompter, a.m_status,
                       {.view = [this](const QString& path) { return viewPicture(path); }, .exit = toolDone});
               },
               .firstPlace = Place::RightOfTerminal,
               .beforeShow =
                   [&a](QWidget& w) { static_cast<DumpPicker&>(w).showFolder(localPath(a.m_config.ScreenDumpPath)); }});
    tools.add({.tool = Tool::Debug,
               .make = [&a]() -> QWidget* { return new ScrollbackDebugWindow(a.m_session->scrollback()); },
               .beforeShow = [](QWidget& w) { static_cast<ScrollbackDebugWindow&>(w).refresh(); }});
}

void DesktopTools::refreshOnlineMarks() {
    if (auto* moji = m_app.mojiEditorWindow()) moji->refresh();
}

void DesktopTools::makeBBSEditor() {
    DesktopApp& a = m_app;
    BBSEditor::Hooks hooks;
    hooks.login = [this, &a](std::function<void(bool)> done) {
        auto* login = new LoginWindow(a.m_config.SData, a.m_prompter, &editorWindow());
        login->setAttribute(Qt::WA_DeleteOnClose);
        login->ask([&a, done = std::move(done)](bool ok) {
            a.m_loggedIn = ok;
            done(ok);
        });
    };
    hooks.sendSignature = [&a](const std::string& signature) {
        a.m_session->sendPath().SendToBBS(signature, 0, true);
        a.m_keys.after(Moment::SentFromWindow);
    };
    hooks.listChanged = [this] { listChanged(); };
    hooks.changed = [&a] {
        if (auto* window = a.bbsEditorWindow()) window->refresh();
    };
    hooks.closed = [this](std::optional<std::string> connectTo) { bbsEditorClosed(std::move(connectTo)); };
    hooks.choosePort = [this](std::vector<std::string> ports, int selected,
                              std::function<void(std::optional<std::string>)> done) {
        auto* chooser = new PortChooser(ports, selected, &editorWindow());
        chooser->setAttribute(Qt::WA_DeleteOnClose);
        chooser->ask(std::move(done));
    };
    a.m_editor = std::make_unique<BBSEditor>(a.m_list, a.m_prompter, a.m_clock, a.m_config, a.m_scrambler, a.m_loggedIn,
                                             std::move(hooks));
}

BBSEditorWindow& DesktopTools::editorWindow() {
    return static_cast<BBSEditorWindow&>(m_app.m_tools.made(Tool::BBSEditor));
}

QWidget* DesktopTools::makeEditorWindow() {
    DesktopApp& a = m_app;
    auto* window = new BBSEditorWindow(*a.m_editor);
    window->setActions({.website = [this, &a] { showWebsite(a.m_editor->fields().name, a.m_editor->fields().website); },
                        .rawEdit = [this] { openRawListEditor(); },
                        .importList = [this] { importBBSList(); },
                        .exportList = [this] { exportBBSList(); },
                        .copyFromVxe = [&a] { a.m_session->moji().copyToSignature(); },
                        .timeOnline = [this] { openLog(true); }});
    return window;
}

void DesktopTools::prepareBBSEditor() {
    DesktopApp& a = m_app;
    if (!a.m_editor->isOpen()) {
        const std::string& id = a.m_session->connection().recordId();
        a.m_editor->open(id.empty() ? "1" : id);
    }
    BBSEditorWindow* window = a.bbsEditorWindow();
    window->setRawEditsAllowed(a.m_config.EnableRawEdits);
    window->refresh();
    window->refreshDirectory();
}

void DesktopTools::bbsEditorClosed(std::optional<std::string> connectTo) {
    DesktopApp& a = m_app;
    a.m_tools.hide(Tool::BBSEditor);
    a.m_terminalWindow->fillBBSList();
    if (connectTo && !a.m_session->connection().connected()) a.m_session->connection().connectToRecord(*connectTo);
    a.m_keys.after(Moment::EditorClosed);
}

void DesktopTools::listChanged() {
    DesktopApp& a = m_app;
    a.m_list.FillBBSList();
    a.m_session->connection().listChanged();
    a.m_terminalWindow->fillBBSList();
    if (auto* window = a.bbsEditorWindow()) window->refreshDirectory();
}

void DesktopTools::showWebsite(const std::string& name, const std::string& website) {
    if (website.empty()) {
        m_app.m_prompter.message("No website for this BBS.", "", MessageIcon::Information);
        return;
    }
    static_cast<WebsiteWindow&>(m_app.m_tools.made(Tool::Website)).setBoard(name, website);
    m_app.m_tools.show(Tool::Website);
}

void DesktopTools::openTransferWindow(bool upload) {
    auto& window = static_cast<TransferWindow&>(m_app.m_tools.made(Tool::Transfer));
    window.prepareFor(upload);
    m_app.m_tools.show(Tool::Transfer);
    window.focusDefaultButton();
}

void DesktopTools::openLog(bool report) {
    DesktopApp& a = m_app;
    if (!report && !a.m_status.log().exists()) {
        a.m_prompter.message("File not found: \r\n" + a.m_status.log().path(), "", MessageIcon::None);
        return;
    }
    m_logAsReport = report;
    a.m_tools.show(Tool::LogViewer);
}

bool DesktopTools::viewPicture(const QString& path) {
    DesktopApp& a = m_app;
    QImage picture(path);
    if (picture.isNull()) return false;
    const int width = std::min(picture.width(), Framebuffer::kWidth);
    const int height = std::min(picture.height(), Framebuffer::kHeight);
    const int stride = (width + 7) / 8;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (qGray(picture.pixel(x, y)) >= 128)
                bits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    a.m_surface.paintPicture(bits, width, height, 0, 0);
    a.m_screenWindow->surfaceChanged();
    return true;
}

void DesktopTools::printScreen() {
    DesktopApp& a = m_app;
    if (a.m_screen.state().ColumnCount == 80) {
        a.m_prompter.message("80 column mode printing not supported!", "", MessageIcon::Information);
        return;
    }
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto* dialog = new QPrintDialog(printer.get(), a.m_keys.dialogParent());
    dialog->setObjectName("dlgPrint");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, qOverload<>(&QDialog::accepted), &a, [&a, printer] {
        const ScreenColours& shown = screenColours(a.m_config.ScreenColours);
        if (!vx::printScreen(a.m_surface, a.m_screen.state().ColumnCount, *printer,
                             a.m_config.DumpAsShown ? &shown : nullptr))
            a.m_prompter.message("The printer could not be started.", "Print Screen", MessageIcon::Exclamation);
        a.m_keys.after(Moment::FrameButton);
    });
    dialog->open();
}

void DesktopTools::importBBSList() {
    DesktopApp& a = m_app;
    auto* dialog =
        new QFileDialog(&editorWindow(), "Import BBS List", {}, "BBS lists (*.csv *.lst *.ini *.txt);;All files (*)");
    dialog->setObjectName("dlgImport");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    QObject::connect(dialog, &QFileDialog::fileSelected, &a, [this, &a](const QString& file) {
        const bbscsv::ImportResult result = bbscsv::importFile(a.m_list, localPath(file));
        listChanged();
        // The file dialog is closing: the report opens on the editor, which keeps the keys after it.
        a.m_keys.after(Moment::WindowAsked, &editorWindow());
        a.m_prompter.message(
            result.report(), "Import",
            result.refused.empty() && result.error.empty() ? MessageIcon::Information : MessageIcon::Exclamation);
    });
    dialog->open();
}

void DesktopTools::exportBBSList() {
    DesktopApp& a = m_app;
    auto* dialog = new QFileDialog(&editorWindow(), "Export BBS List", {}, "CSV files (*.csv)");
    dialog->setObjectName("dlgExport");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix("csv");
    QObject::connect(dialog, &QFileDialog::fileSelected, &a, [this, &a](const QString& file) {
        const std::string problem = bbscsv::exportFile(a.m_list, localPath(file));
        a.m_keys.after(Moment::WindowAsked, &editorWindow());
        a.m_prompter.message(problem.empty() ? "BBS list exported to:\r" + localPath(file) : problem, "Export",
                             problem.empty() ? MessageIcon::Information : MessageIcon::Exclamation);
    });
    dialog->open();
}

void DesktopTools::openRawListEditor() {
    DesktopApp& a = m_app;
    auto* raw = new RawListEditor(
        a.m_list, a.m_prompter,
        [&a] {
            a.m_terminalWindow->fillBBSList();
            if (a.m_editor->isOpen()) a.m_editor->open(a.m_editor->recId() == "0" ? "1" : a.m_editor->recId());
            if (auto* window = a.bbsEditorWindow()) window->refreshDirectory();
        },
        &editorWindow());
    raw->open();
}

void DesktopTools::openMojiFile() {
    DesktopApp& a = m_app;
    auto* dialog = new QFileDialog(&a.m_tools.made(Tool::VXEditor), "Open 'Moji or ATASCII screen",
                                   localPath(a.m_config.ScreenDumpPath),
                                   "'Mojis and ATASCII screens (*);;ATASCII screens (*.ata)");
    dialog->setObjectName("dlgOpenMoji");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    QObject::connect(dialog, &QFileDialog::fileSelected, &a,
                     [&a](const QString& file) { a.m_session->moji().loadPath(localPath(file)); });
    dialog->open();
}

}  // namespace vx
