#pragma once

#include <QDialog>

namespace vx {

// The About box (frmAbout): the program's picture, title, version, the date of the program
// file, what the program is for and a word of warning, and a button to the list of tips and
// names. A click anywhere on it closes it.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    // "Version 3.14  Build: 717".
    static QString versionLine();
    // "Version Date: " and the program file's date and time.
    static QString versionDateLine(const QString& programFile);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCredits();
};

}  // namespace vx
