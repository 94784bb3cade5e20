#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;

namespace vx {

class BBSList;
class Prompter;

// The raw editor of the BBS list file (frmRawBBS, "Raw BBS File"). Closing with changes asks
// whether to save; the save replaces the file atomically and the list is read again, so the
// program goes on with what was saved. A text the program could not start from is refused.
class RawListEditor : public QDialog {
    Q_OBJECT
public:
    RawListEditor(BBSList& list, Prompter& prompter, std::function<void()> saved, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void askToSave();

    BBSList& m_list;
    Prompter& m_prompter;
    std::function<void()> m_saved;
    QPlainTextEdit* m_text = nullptr;
    QLabel* m_changedLabel = nullptr;
    bool m_changed = false;
    bool m_closing = false;
};

}  // namespace vx
