#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "screen/Framebuffer.h"
#include "screen/ScreenInterpreter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace vx {

class MojiEditor;
class ScreenWidget;

// VXEditor (Form5): the number text of a 'Moji, its files, the ChXbox steps and the sends, with a
// preview that draws the codes with the screen's own glyphs as they are edited.
class MojiEditorWindow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<bool()> connected{};
        std::function<void()> openFile{};  // "Open...": a 'Moji or a screen dump from any folder
    };

    MojiEditorWindow(MojiEditor& editor, Actions actions, QWidget* parent = nullptr);
    ~MojiEditorWindow() override;

    // Reads the editor's state back (texts, labels, check boxes, the preview).
    void refresh();
    // The 'Mojis folder was changed on disk.
    void refreshFiles();
    QString selectedName() const;
    // The preview's screen, for tests.
    const Framebuffer& previewSurface() const { return m_previewSurface; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* button(const char* name, const QString& text, const QString& tip, std::function<void()> action);
    QCheckBox* check(const char* name, const QString& text, bool* option);
    void showCodes();
    void drawPreview();

    MojiEditor& m_editor;
    Actions m_actions;
    Framebuffer m_previewSurface;
    ScreenInterpreter m_previewScreen{m_previewSurface};
    // What the number box and the preview show, as the editor's count of replacements and the
    // length shown: while only appends happen, only the new end is added to them.
    std::uint64_t m_shownReplacements = ~std::uint64_t{0};
    std::size_t m_shownSize = 0;
    std::uint64_t m_previewedReplacements = ~std::uint64_t{0};
    std::size_t m_previewedSize = 0;  // up to the last ";" drawn
    bool m_previewedAll = true;       // false when a last code without its ";" was drawn too
    QTimer* m_previewTimer = nullptr;
    ScreenWidget* m_preview = nullptr;
    QPlainTextEdit* m_codes = nullptr;
    QListWidget* m_files = nullptr;
    QLineEdit* m_label = nullptr;
    QLineEdit* m_delay = nullptr;
    QLabel* m_fileLabel = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_warning = nullptr;
    QLabel* m_online = nullptr;
    std::array<QLabel*, 2> m_editedLabels{};
    QLabel* m_tickedMarker = nullptr;
    QLabel* m_emptyMarker = nullptr;
    QPushButton* m_enableEditing = nullptr;
    QCheckBox* m_inverse = nullptr;
};

}  // namespace vx
