// Brevane - the print preview window.
//
// Holds a listing (or any text loaded from a file) in an editable rich-text box laid out
// against the printer, on the paper's whole width. The toolbar restyles the selection or,
// with "Apply changes  to whole document" ticked, the whole text; File saves and loads
// .rtf and .txt files; Print prints the text. Closing it in any way while it holds text
// asks "Save text to file ?": No closes, Cancel keeps it, Yes closes once the text is saved.
// A listing printed without preview goes through a window of this kind that is never shown.
#pragma once

#include "printing/PreviewOps.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QPushButton;
class QTextDocument;
class QTextEdit;
class QToolBar;

namespace printing {

class frmPreview final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "  Brevane Print Preview";

    // Loads the window (not shown) for the printer and listing font of ops.
    explicit frmPreview(PreviewOps& ops, QWidget* parent = nullptr);
    ~frmPreview() override;

    [[nodiscard]] QTextEdit* RichTextBox1() const { return m_text; }
    [[nodiscard]] QComboBox* Combo1() const { return m_fontNames; }
    [[nodiscard]] QComboBox* Combo2() const { return m_fontSizes; }
    [[nodiscard]] QCheckBox* Check1() const { return m_wholeDocument; }
    [[nodiscard]] QPushButton* Command1() const { return m_print; }
    [[nodiscard]] QPushButton* Command2() const { return m_close; }
    [[nodiscard]] QToolBar* Toolbar1() const { return m_toolbar; }
    // The toolbar button "Bold", "Italic" or "Underline"; the File menu item 0..3.
    [[nodiscard]] QAction* toolbarButton(const QString& key) const;
    [[nodiscard]] QAction* fileMenuItem(int index) const;

    // The font name new listing text gets (the font box's text).
    [[nodiscard]] QString fontName() const;
    // The window holds text (closing asks about saving it).
    [[nodiscard]] bool hasText() const;

    // ---- handlers
    void Combo1_Click();
    void Combo2_Click();
    void Toolbar1_ButtonClick(const QString& key);
    void Command1_Click();
    void Command2_Click();
    // 0 Open, 1 Save, 3 Exit Print Preview.
    void mnufile_Click(int index);

    // A document set up as the box's own (font, no margin) but not yet laid out: filled
    // on its own, it is built much faster than the shown one, then adopted.
    [[nodiscard]] std::unique_ptr<QTextDocument> newDocument() const;
    // Makes doc the box's text, laid out against the printer; the old text goes.
    void adoptDocument(std::unique_ptr<QTextDocument> doc);

    // Lays the text out again for the printer's present paper and margins: listings in
    // place, the rest as it is.
    void relayout();
    // Closes the window without asking (its text is printed or built again).
    void unload();
    // The window has closed and is about to go.
    [[nodiscard]] bool isClosed() const { return m_closed; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void toggleAttribute(const QString& key);
    // Raises and activates the window again after a dialog or message box of its own.
    void comeBack();
    void setUpDocument(QTextDocument& doc);

    PreviewOps& m_ops;
    QTextEdit* m_text = nullptr;
    QToolBar* m_toolbar = nullptr;
    QComboBox* m_fontNames = nullptr;
    QComboBox* m_fontSizes = nullptr;
    QCheckBox* m_wholeDocument = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_close = nullptr;
    QAction* m_bold = nullptr;
    QAction* m_italic = nullptr;
    QAction* m_underline = nullptr;
    QAction* m_fileItems[4] = {nullptr, nullptr, nullptr, nullptr};
    bool m_loaded = false;
    bool m_unloading = false;
    bool m_closed = false;
};

}  // namespace printing
