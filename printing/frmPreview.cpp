// Brevane - the print preview window.
#include "printing/frmPreview.h"

#include "platform/Services.h"
#include "printing/ListingBuilder.h"
#include "shell/WindowPlacement.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace printing {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kSmallestSize = 6;
constexpr int kLargestSize = 72;

// Whether every character from a to b has the attribute (the character before a when a == b).
template <typename Test>
bool wholeRangeHas(QTextDocument& doc, int a, int b, Test test)
{
    if (a == b) {
        QTextCursor c(&doc);
        c.setPosition(a);
        return test(c.charFormat());
    }
    for (QTextBlock block = doc.findBlock(a); block.isValid() && block.position() < b; block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() + f.length() <= a || f.position() >= b)
                continue;
            if (!test(f.charFormat()))
                return false;
        }
    }
    return true;
}

// A change of font for the whole text, its default font too (wholeDocument), or else for
// the selection or what is typed next.
void mergeFontChange(QTextEdit& text, bool wholeDocument, const QTextCharFormat& change,
                     const std::function<void(QFont&)>& changeDefault)
{
    if (!wholeDocument) {
        text.mergeCurrentCharFormat(change);
        return;
    }
    QTextDocument* doc = text.document();
    QFont base = doc->defaultFont();
    changeDefault(base);
    doc->setDefaultFont(base);
    QTextCursor all(doc);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(change);
}

}  // namespace

// With an owner (the main window) the preview is its dialog window, which the window
// system keeps above it: a click on the main window does not bury it. Not a tool window:
// the keys of a tool window's owner reach the owner's commands too, and Ctrl+O, Ctrl+S,
// Ctrl+X and Alt+F would then each reach two commands, and so neither.
frmPreview::frmPreview(PreviewOps& ops, QWidget* parent)
    : QMainWindow(parent, parent != nullptr ? Qt::Dialog : Qt::Window), m_ops(ops)
{
    setObjectName(QStringLiteral("frmPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    Form_Load();
}

frmPreview::~frmPreview() = default;

void frmPreview::Form_Load()
{
    m_loaded = false;
    const ListingFont& listing = m_ops.listingFont();
    const QString face = QString::fromStdString(listing.face);
    QFont font(face);
    font.setPointSize(std::max(1, listing.points));

    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("RichTextBox1"));
    m_text->setTabChangesFocus(false);
    m_text->document()->setDefaultFont(font);
    setUpDocument(*m_text->document());
    m_text->setFont(font);
    m_text->setCurrentFont(font);
    setFont(font);  // the window measures listing text with the text box's font
    m_text->setLineWrapMode(QTextEdit::FixedPixelWidth);
    m_text->setLineWrapColumnOrWidth(m_ops.metrics().physicalWidth / kTwipsPerPixel);

    // Toolbar1: Bold, Italic, Underline, the font boxes, Check1, Print and Close.
    m_toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    auto makeButton = [this](const QString& key, const QString& text, void (QFont::*style)(bool)) {
        QAction* a = m_toolbar->addAction(text);
        a->setObjectName(key);
        a->setToolTip(key);
        QFont f = a->font();
        (f.*style)(true);
        a->setFont(f);
        connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        return a;
    };
    m_bold = makeButton(QStringLiteral("Bold"), QStringLiteral("B"), &QFont::setBold);
    m_italic = makeButton(QStringLiteral("Italic"), QStringLiteral("I"), &QFont::setItalic);
    m_underline = makeButton(QStringLiteral("Underline"), QStringLiteral("U"), &QFont::setUnderline);
    m_toolbar->addSeparator();

    m_fontNames = new QComboBox(m_toolbar);
    m_fontNames->setObjectName(QStringLiteral("Combo1"));
    QStringList families = QFontDatabase::families();
    // The listing's face may be known only through a substitute ("Arial"): offer it as it is.
    if (!face.isEmpty() && !families.contains(face, Qt::CaseInsensitive)) {
        families.append(face);
        families.sort(Qt::CaseInsensitive);
    }
    m_fontNames->addItems(families);
    const int faceIndex = std::max(0, m_fontNames->findText(face, Qt::MatchFixedString));
    m_fontNames->setCurrentIndex(faceIndex);
    m_toolbar->addWidget(m_fontNames);
    connect(m_fontNames, &QComboBox::activated, this, [this] { Combo1_Click(); });

    m_fontSizes = new QComboBox(m_toolbar);
    m_fontSizes->setObjectName(QStringLiteral("Combo2"));
    for (int size = kSmallestSize; size <= kLargestSize; ++size)
        m_fontSizes->addItem(QString::number(size));
    const int sizeIndex = listing.points - kSmallestSize;
    m_fontSizes->setCurrentIndex(sizeIndex >= 0 && sizeIndex < m_fontSizes->count() ? sizeIndex : 0);
    m_toolbar->addWidget(m_fontSizes);
    connect(m_fontSizes, &QComboBox::activated, this, [this] { Combo2_Click(); });

    m_wholeDocument = new QCheckBox(QStringLiteral("Apply changes  to whole document"), m_toolbar);
    m_wholeDocument->setObjectName(QStringLiteral("Check1"));
    m_toolbar->addWidget(m_wholeDocument);
    m_toolbar->addSeparator();
    m_print = new QPushButton(QStringLiteral("Print"), m_toolbar);
    m_print->setObjectName(QStringLiteral("Command1"));
    m_toolbar->addWidget(m_print);
    connect(m_print, &QPushButton::clicked, this, [this] { Command1_Click(); });
    m_close = new QPushButton(QStringLiteral("Close"), m_toolbar);
    m_close->setObjectName(QStringLiteral("Command2"));
    m_toolbar->addWidget(m_close);
    connect(m_close, &QPushButton::clicked, this, [this] { Command2_Click(); });

    // Menu mnuMain "&File ".
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File "));
    file->setObjectName(QStringLiteral("mnuMain"));
    m_fileItems[0] = file->addAction(QStringLiteral("&Open ..."));
    m_fileItems[0]->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    m_fileItems[1] = file->addAction(QStringLiteral("&Save..."));
    m_fileItems[1]->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    m_fileItems[2] = file->addSeparator();
    m_fileItems[3] = file->addAction(QStringLiteral("&Exit Print Preview"));
    // While the text has the focus, Ctrl+X cuts; elsewhere it leaves the preview.
    m_fileItems[3]->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    for (int i : {0, 1, 3})
        connect(m_fileItems[i], &QAction::triggered, this, [this, i] { mnufile_Click(i); });

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    const int edge = 100 / kTwipsPerPixel;
    layout->setContentsMargins(edge, edge, edge, edge);
    layout->addWidget(m_text);
    setCentralWidget(central);

    setWindowTitle(QString::fromLatin1(kCaption));
    // The box shows the page's whole width and half its height.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    const int boxWidth = m_ops.metrics().physicalWidth / kTwipsPerPixel + scrollBar;
    const int toolbarHeight = m_toolbar->sizeHint().height();
    const int boxHeight = std::max(100, m_ops.metrics().physicalHeight / kTwipsPerPixel / 2 - toolbarHeight - 20);
    QSize size(boxWidth + 375 / kTwipsPerPixel, toolbarHeight + boxHeight + 800 / kTwipsPerPixel);
    // The frame 2500 twips in from the corner of the owner's screen, whole on it.
    const QWidget* owner = parentWidget();
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    QPoint corner;
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        if (!area.isEmpty())
            size = size.boundedTo(area.size().shrunkBy(shell::frameMargins(*this, owner)));
        corner = screen->geometry().topLeft();
    }
    resize(size);
    shell::placeFrame(*this, corner + QPoint(2500 / kTwipsPerPixel, 2500 / kTwipsPerPixel), owner);
    m_loaded = true;
}

void frmPreview::setUpDocument(QTextDocument& doc)
{
    doc.setDocumentMargin(0);
    doc.documentLayout()->setPaintDevice(&m_ops.printer());
}

std::unique_ptr<QTextDocument> frmPreview::newDocument() const
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(m_text->document()->defaultFont());
    doc->setDocumentMargin(0);
    return doc;
}

void frmPreview::adoptDocument(std::unique_ptr<QTextDocument> doc)
{
    setUpDocument(*doc);
    doc->setParent(m_text);
    // The box deletes the document it owned.
    m_text->setDocument(doc.release());
}

QAction* frmPreview::toolbarButton(const QString& key) const
{
    if (key == QLatin1String("Bold"))
        return m_bold;
    if (key == QLatin1String("Italic"))
        return m_italic;
    if (key == QLatin1String("Underline"))
        return m_underline;
    return nullptr;
}

QAction* frmPreview::fileMenuItem(int index) const { return index >= 0 && index < 4 ? m_fileItems[index] : nullptr; }

QString frmPreview::fontName() const { return m_fontNames->currentText(); }

bool frmPreview::hasText() const { return m_text->document()->characterCount() > 1; }

void frmPreview::Combo1_Click()
{
    const QString family = m_fontNames->currentText();
    QTextCharFormat f;
    f.setFontFamilies({family});
    mergeFontChange(*m_text, m_wholeDocument->isChecked(), f, [&family](QFont& base) { base.setFamilies({family}); });
}

void frmPreview::Combo2_Click()
{
    const double size = m_fontSizes->currentText().toDouble();
    if (size <= 0)
        return;
    QTextCharFormat f;
    f.setFontPointSize(size);
    mergeFontChange(*m_text, m_wholeDocument->isChecked(), f, [size](QFont& base) { base.setPointSizeF(size); });
}

void frmPreview::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("Bold") || key == QLatin1String("Italic") || key == QLatin1String("Underline"))
        toggleAttribute(key);
}

void frmPreview::toggleAttribute(const QString& key)
{
    const bool bold = key == QLatin1String("Bold");
    const bool italic = key == QLatin1String("Italic");
    auto has = [bold, italic](const QTextCharFormat& f) {
        return bold ? f.fontWeight() >= QFont::DemiBold : italic ? f.fontItalic() : f.fontUnderline();
    };
    auto set = [bold, italic](QTextCharFormat& f, bool on) {
        if (bold)
            f.setFontWeight(on ? QFont::Bold : QFont::Normal);
        else if (italic)
            f.setFontItalic(on);
        else
            f.setFontUnderline(on);
    };
    QTextDocument* doc = m_text->document();
    QTextCharFormat change;
    if (m_wholeDocument->isChecked()) {
        // The whole text takes the opposite of the text box's own font.
        QFont base = doc->defaultFont();
        const bool on = !(bold ? base.bold() : italic ? base.italic() : base.underline());
        if (bold)
            base.setBold(on);
        else if (italic)
            base.setItalic(on);
        else
            base.setUnderline(on);
        doc->setDefaultFont(base);
        set(change, on);
        QTextCursor all(doc);
        all.select(QTextCursor::Document);
        all.mergeCharFormat(change);
        return;
    }
    // A selection that has the attribute throughout loses it; any other gains it.
    const QTextCursor c = m_text->textCursor();
    const bool allOn = wholeRangeHas(*doc, c.selectionStart(), c.selectionEnd(), has);
    set(change, !allOn);
    m_text->mergeCurrentCharFormat(change);
}

void frmPreview::Command1_Click()
{
    if (m_ops.printsToFile()) {
        if (m_ops.LoadSavePreviewText(*this, 1, true))
            m_ops.setPreviewFromFile();
    } else {
        (void)m_ops.PrintPreviewText(*this);
    }
    comeBack();
}

void frmPreview::Command2_Click() { close(); }

void frmPreview::mnufile_Click(int index)
{
    if (index == 3) {
        close();
        return;
    }
    if (index == 0 || index == 1) {
        (void)m_ops.LoadSavePreviewText(*this, index, false);
        comeBack();
    }
}

void frmPreview::comeBack()
{
    // The file dialogs and message boxes belong to the main window, which takes the focus
    // when they close; the window the user works in is this one.
    if (!isVisible())
        return;
    raise();
    activateWindow();
}

void frmPreview::relayout()
{
    relayOutListings(*m_text->document(), m_ops.margins(), m_ops.metrics().physicalWidth);
    m_text->setLineWrapColumnOrWidth(m_ops.metrics().physicalWidth / kTwipsPerPixel);
    m_text->document()->documentLayout()->setPaintDevice(&m_ops.printer());
    m_text->document()->markContentsDirty(0, m_text->document()->characterCount());
}

void frmPreview::unload()
{
    m_unloading = true;
    close();
}

void frmPreview::closeEvent(QCloseEvent* event)
{
    if (!m_unloading && hasText()) {
        const platform::MsgAnswer answer = platform::messages().messageBox(
            "Save text to file ?", platform::MsgStyle::YesNoCancel | platform::MsgStyle::Question, "Print Preview");
        // Cancel, or a save that did not happen, keeps the window and its text.
        if (answer == platform::MsgAnswer::Cancel ||
            (answer == platform::MsgAnswer::Yes && !m_ops.LoadSavePreviewText(*this, 1, false))) {
            event->ignore();
            comeBack();
            return;
        }
    }
    m_unloading = false;
    m_closed = true;
    event->accept();
    QMainWindow::closeEvent(event);
}

}  // namespace printing
