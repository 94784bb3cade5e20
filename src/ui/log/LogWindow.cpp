#include "ui/log/LogWindow.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/Formats.h"
#include "base/SystemPaths.h"
#include "directory/BBSList.h"
#include "ui/platform/ByteText.h"

namespace vx {
namespace {

// A number cell that sorts as a number, whatever it shows.
class NumberItem : public QTableWidgetItem {
public:
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant mine = data(Qt::UserRole), theirs = other.data(Qt::UserRole);
        if (mine.isValid() && theirs.isValid()) return mine.toLongLong() < theirs.toLongLong();
        return QTableWidgetItem::operator<(other);
    }
};

QTableWidgetItem* sortedNumber(qlonglong value, const QString& shown) {
    auto* item = new NumberItem;
    item->setData(Qt::DisplayRole, shown);
    item->setData(Qt::UserRole, value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

LogWindow::LogWindow(Services services, Layout layout, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_s(std::move(services)),
      m_layout(layout),
      m_viewer(m_s.log, m_s.status, m_s.prompter, {[this] { close(); }, m_s.logDisabled}) {
    setObjectName("frmLog");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    const bool report = layout == Layout::Report;
    setWindowTitle(report ? "Vexterm - Time Online Report" : "Vexterm System Log");
    auto* column = new QVBoxLayout(this);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    m_header = new QLabel(report::kHeader, this);
    m_header->setObjectName("lblHeader");
    m_header->setFont(fixed);
    m_header->setVisible(false);  // the table shows the columns' names itself
    column->addWidget(m_header);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("txtLog");
    m_text->setReadOnly(true);
    m_text->setFont(fixed);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setMinimumSize(560, 300);
    column->addWidget(m_text, 1);
    m_table = new QTableWidget(this);
    m_table->setObjectName("tblReport");
    m_table->setToolTip("Click a column's title to sort by it");
    m_table->setColumnCount(5);
    m_table->setHorizontalHeaderLabels({"Num", "Name", "#Connects", "Online (h:mm)", "MaxBPS"});
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSortingEnabled(true);
    m_table->setMinimumSize(560, 300);
    column->addWidget(m_table, 1);
    m_text->setVisible(!report);
    m_table->setVisible(report);

    auto* bottom = new QHBoxLayout;
    m_countLabel = new QLabel(report ? "BBSes" : "Chars", this);
    m_count = new QLineEdit(this);
    m_count->setObjectName("txtChars");
    m_count->setReadOnly(true);
    m_count->setFixedWidth(80);
    bottom->addWidget(m_countLabel);
    bottom->addWidget(m_count);
    m_showAll = new QCheckBox("Show All BBSes", this);
    m_showAll->setObjectName("chkUseEmpties");
    m_showAll->setToolTip("Show BBSes with no time online in report");
    m_showAll->setVisible(report);
    connect(m_showAll, &QCheckBox::clicked, this, [this](bool on) { buildReport(on); });
    bottom->addWidget(m_showAll);
    bottom->addStretch(1);
    const auto addButton = [&](const char* name, const QString& text, std::function<void()> action) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, std::move(action));
        bottom->addWidget(button);
        return button;
    };
    if (report) {
        addButton("cmdSaveCsv", "Save CSV", [this] { saveCsv(); })->setToolTip("Save the report as CSV");
        addButton("cmdClear", "Save As", [this] { saveReport(); });
    } else {
        addButton("cmdRenameLog", "Rename Log File", [this] { m_viewer.renameLog(); });
        addButton("cmdDeleteFile", "Delete Log File", [this] {
            m_text->clear();
            m_viewer.deleteLog();
        });
        addButton("cmdClear", "Clear Log", [this] { m_viewer.clearLog(); });
    }
    addButton("cmdClose", "Close", [this] { close(); });
    column->addLayout(bottom);

    if (report) {
        buildReport(false);
    } else {
        loadLog();
        // The log is followed while the window is open: lines written now appear at once.
        const QString path = QString::fromLocal8Bit(m_s.log.path().c_str());
        m_watcher.addPath(path);
        m_watcher.addPath(QFileInfo(path).absolutePath());
        connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { loadLog(); });
        connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this, path] {
            if (!m_watcher.files().contains(path) && QFileInfo::exists(path)) m_watcher.addPath(path);
            loadLog();
        });
    }
}

QString LogWindow::text() const { return m_text->toPlainText(); }

QString LogWindow::countText() const { return m_count->text(); }

void LogWindow::loadLog() {
    const auto text = LogViewer::loadText(m_s.log.path());
    const QString shown = text ? qtText(*text) : QString();
    if (shown == m_text->toPlainText()) return;
    m_text->setPlainText(shown);
    m_text->moveCursor(QTextCursor::End);
    m_count->setText(QString::number(text ? text->size() : 0));
}

void LogWindow::buildReport(bool showAll) {
    m_rows = report::build(m_s.list, showAll);
    m_text->setPlainText(qtText(report::text(m_rows)));
    m_table->setSortingEnabled(false);
    m_table->setRowCount(static_cast<int>(m_rows.size()));
    for (int r = 0; r < static_cast<int>(m_rows.size()); ++r) {
        const report::Row& row = m_rows[static_cast<std::size_t>(r)];
        m_table->setItem(r, 0, sortedNumber(row.number, QString("%1").arg(row.number, 3, 10, QChar('0'))));
        m_table->setItem(r, 1, new QTableWidgetItem(qtText(row.name)));
        m_table->setItem(r, 2, sortedNumber(row.connects, QString::number(row.connects)));
        m_table->setItem(r, 3,
                         sortedNumber(row.secondsOnline, qtText(FormatOnlineTime(row.secondsOnline, true, false))));
        m_table->setItem(r, 4, sortedNumber(row.maxBps, QString::number(row.maxBps)));
    }
    m_table->setSortingEnabled(true);
    m_count->setText(QString::number(m_rows.size()));
}

void LogWindow::saveReport() {
    m_s.prompter.askText("Enter filename:", "Time Online Reports", "TPSreports.txt",
                         [this, guard = QPointer<LogWindow>(this)](std::optional<std::string> name) {
                             if (!guard || !name || name->empty()) return;
                             const std::string path = AddBackslash(m_s.systemFolder) + *name;
                             if (report::saveFile(path, report::fileText(m_rows), m_s.prompter, false)) close();
                         });
}

void LogWindow::saveCsv() {
    m_s.prompter.askText("Enter filename:", "Time Online Reports", "TPSreports.csv",
                         [this, guard = QPointer<LogWindow>(this)](std::optional<std::string> name) {
                             if (!guard || !name || name->empty()) return;
                             const std::string path = AddBackslash(m_s.systemFolder) + *name;
                             report::saveFile(path, report::csv(m_rows), m_s.prompter, true);
                         });
}

}  // namespace vx
