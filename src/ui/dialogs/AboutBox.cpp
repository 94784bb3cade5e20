#include "ui/dialogs/AboutBox.h"

#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Version.h"

namespace vx {
namespace {

constexpr const char* kDescription =
    "A terminal for the bulletin boards of the Atari 8-bit scene: ATASCII over TCP, drawn with the "
    "Atari's own characters, with a message editor, 'Moji art, capture and scrollback.";
constexpr const char* kWarning =
    "Boards are run by people: keep your passwords to yourself, and mind what you download.";

// Tips and names for the list window.
constexpr const char* kCredits[] = {
    "Tip: Shift+Ctrl+0..9 sends the board's macros; hide a password macro behind the password.",
    "Tip: End switches inverse typing; offline, what you type is drawn for your 'Mojis.",
    "Tip: the right mouse button on the screen opens the capture menu.",
    "Tip: vexterm-demo-bbs is a board on your own machine to try everything with.",
    "Tip: Import in the BBS editor reads CSV files and other terminals' dialing directories.",
    "The ATASCII glyphs come from an all-permissive Atari 8x8 character set.",
    "Thanks to the sysops who keep the boards running, and to everyone who still calls them.",
};

}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle(QString("About ") + kProgramTitle);
    auto* layout = new QVBoxLayout(this);
    const auto label = [this, layout](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setWordWrap(true);
        l->installEventFilter(this);
        layout->addWidget(l);
        return l;
    };
    QLabel* icon = label("imgIcon", {});
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    QLabel* title = label("lblTitle", kProgramTitle);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    label("lblVersion", versionLine());
    label("lblVersionDate", versionDateLine(QCoreApplication::applicationFilePath()));
    label("lblDescription", kDescription);
    label("lblWarning", kWarning);
    auto* credits = new QPushButton("Tips and names...", this);
    credits->setObjectName("cmdCredits");
    connect(credits, &QPushButton::clicked, this, &AboutBox::showCredits);
    layout->addWidget(credits, 0, Qt::AlignRight);
    setMinimumWidth(420);
}

QString AboutBox::versionLine() { return QString::fromStdString("Version " + versionWithBuild()); }

QString AboutBox::versionDateLine(const QString& programFile) {
    const QFileInfo file(programFile);
    return "Version Date: " + (file.exists() ? file.lastModified().toString("MM/dd/yyyy hh:mm:ss AP") : QString());
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    accept();
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutBox::showCredits() {
    auto* list = new QDialog(this);
    list->setObjectName("frmCredits");
    list->setWindowTitle("Tips and names");
    list->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(list);
    auto* items = new QListWidget(list);
    items->setObjectName("lstCredits");
    for (const char* line : kCredits) items->addItem(line);
    items->setWordWrap(true);
    layout->addWidget(items);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, list);
    connect(buttons, &QDialogButtonBox::rejected, list, &QDialog::reject);
    layout->addWidget(buttons);
    list->resize(480, 300);
    list->open();
}

}  // namespace vx
