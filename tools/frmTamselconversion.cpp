// Brevane - the DX7 to SY77 conversion dialog (Tools > DX to SY Voice conversion).
#include "tools/frmTamselconversion.h"

#include "platform/StatusHelpers.h"
#include "shell/LoadedDialog.h"
#include "shell/WindowPlacement.h"
#include "shell/frmStartup.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tools {
namespace {

shell::LoadedDialog<frmTamselconversion> g_loaded;

QString qs(const std::string& s) { return QFile::decodeName(s.c_str()); }
std::string bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

// Left 500, Top 150 twips from the main window's corner.
constexpr int kLeftPixels = 500 / 15;
constexpr int kTopPixels = 150 / 15;

}  // namespace

frmTamselconversion::frmTamselconversion(std::string startFolder, TamselBridge::Locator locate, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tamsel  - DX7 to SY77 Voice Conversion "));
    setModal(false);
    m_bridge = std::make_unique<TamselBridge>(std::move(locate));
    m_wizard = std::make_unique<ConversionWizard>(std::move(startFolder),
                                                  [this](const TamselRequest& r) { return m_bridge->start(r); });
    connect(m_bridge.get(), &TamselBridge::finished, this, &frmTamselconversion::onRunFinished);
    buildWindow();
    refresh();
}

frmTamselconversion::~frmTamselconversion() = default;

frmTamselconversion* frmTamselconversion::instance() { return g_loaded.get(); }

frmTamselconversion& frmTamselconversion::showFor(shell::frmStartup& mainWindow)
{
    const std::string programFolder = mainWindow.ProgramFolder();
    const std::string dataFolder = mainWindow.DataDirectory();
    frmTamselconversion& dialog = g_loaded.load(
        [&] {
            return new frmTamselconversion(
                dataFolder, [programFolder, dataFolder] { return locateTamsel(programFolder, dataFolder); },
                &mainWindow);
        },
        [&](frmTamselconversion& d) {
            d.setAttribute(Qt::WA_DeleteOnClose, false);
            const QRect frame = mainWindow.frameGeometry();
            shell::placeFrame(d, {frame.left() + kLeftPixels, frame.top() + kTopPixels}, &mainWindow);
        });
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    dialog.m_textBox->selectAll();
    dialog.m_textBox->setFocus();
    return dialog;
}

void frmTamselconversion::buildWindow()
{
    m_pathSpec = new QLabel(this);
    m_pathSpec->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_dirsModel = new QFileSystemModel(this);
    m_dirsModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_dirsModel->setRootPath(QStringLiteral("/"));
    m_dirsBox = new QTreeView(this);
    m_dirsBox->setModel(m_dirsModel);
    for (int c = 1; c < m_dirsModel->columnCount(); ++c)
        m_dirsBox->hideColumn(c);
    m_dirsBox->header()->hide();
    m_dirsBox->setExpandsOnDoubleClick(false);
    m_dirsBox->setMinimumWidth(220);
    connect(m_dirsBox, &QTreeView::clicked, this, [this] { DirsBox_Click(); });
    connect(m_dirsBox, &QTreeView::activated, this, [this] { DirsBox_Change(); });

    m_textBox = new QLineEdit(this);
    connect(m_textBox, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_wizard->nameEdited(bytes(text)); });
    m_fileListBox = new QListWidget(this);
    m_fileListBox->setMinimumWidth(200);
    connect(m_fileListBox, &QListWidget::itemClicked, this, &frmTamselconversion::FileListBox_Click);
    // Moving through the list with the keys chooses the file as a click does.
    connect(m_fileListBox, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (m_fileListBox->hasFocus())
            FileListBox_Click(item);
    });
    connect(m_fileListBox, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        FileListBox_Click(item);
        FileListBox_DblClick();
    });

    static constexpr const char* kCaptions[3] = {"OK", "Cancel", "Exit"};
    static constexpr const char* kTips[3] = {"Accept file selections and start Tamsel utility", "Cancel Selection",
                                             "Close Tamsel dialog"};
    auto* buttons = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(kCaptions[i]), this);
        b->setToolTip(QString::fromLatin1(kTips[i]));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { DlgButton_Click(i); });
        m_dlgButton[static_cast<std::size_t>(i)] = b;
        buttons->addWidget(b);
    }
    m_dlgButton[kOk]->setDefault(true);
    buttons->addStretch(1);

    m_label2 = new QLabel(this);
    m_label2->setWordWrap(true);
    static constexpr const char* kLabels[2] = {"Source File :", "Output File :"};
    auto* files = new QGridLayout;
    for (int i = 0; i < 2; ++i) {
        m_label1[static_cast<std::size_t>(i)] = new QLabel(QString::fromLatin1(kLabels[i]), this);
        m_text1[static_cast<std::size_t>(i)] = new QLineEdit(this);
        m_text1[static_cast<std::size_t>(i)]->setReadOnly(true);
        files->addWidget(m_label1[static_cast<std::size_t>(i)], i, 0);
        files->addWidget(m_text1[static_cast<std::size_t>(i)], i, 1);
    }

    m_frame1 = new QGroupBox(QStringLiteral("SY77 Output Options"), this);
    m_option1[0] = new QRadioButton(QStringLiteral("&All Voice Sets in one file"), m_frame1);
    m_option1[1] = new QRadioButton(QStringLiteral("&One file for each Voice Set"), m_frame1);
    m_option1[0]->setChecked(true);
    connect(m_option1[1], &QRadioButton::toggled, this, [this](bool on) { m_wizard->setFilePerSet(on); });
    auto* options = new QHBoxLayout(m_frame1);
    options->addWidget(m_option1[0]);
    options->addWidget(m_option1[1]);

    auto* browser = new QGridLayout;
    browser->addWidget(m_pathSpec, 0, 0, 1, 2);
    browser->addWidget(m_textBox, 1, 1);
    browser->addWidget(m_dirsBox, 1, 0, 2, 1);
    browser->addWidget(m_fileListBox, 2, 1);
    browser->addLayout(buttons, 1, 2, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label2);
    layout->addLayout(browser, 1);
    layout->addLayout(files);
    layout->addWidget(m_frame1);
    resize(640, 460);
}

void frmTamselconversion::refresh()
{
    const ConversionWizard& w = *m_wizard;
    const QString folder = qs(w.folder());
    m_pathSpec->setText(folder);
    const QModelIndex index = m_dirsModel->index(folder);
    if (index.isValid() && m_dirsBox->currentIndex() != index) {
        m_dirsBox->setCurrentIndex(index);
        m_dirsBox->scrollTo(index);
    }
    m_highlightedFolder = w.folder();

    m_fileListBox->clear();
    for (const std::string& name : w.fileEntries())
        m_fileListBox->addItem(qs(name));
    if (m_textBox->text() != qs(w.nameText()))
        m_textBox->setText(qs(w.nameText()));
    m_label2->setText(QString::fromLatin1(w.prompt().c_str()));
    m_text1[0]->setText(qs(w.sourceText()));
    m_text1[1]->setText(qs(w.outputText()));
    m_frame1->setEnabled(w.optionsEnabled());
    m_dlgButton[kOk]->setEnabled(!w.running());
    m_dlgButton[kCancel]->setEnabled(!w.running());
}

void frmTamselconversion::DlgButton_Click(int index)
{
    switch (index) {
    case kOk: {
        if (m_wizard->running())
            return;
        if (m_wizard->ok() == ConversionWizard::OkResult::OpenHighlightedFolder)
            m_wizard->setFolder(m_highlightedFolder);
        break;
    }
    case kCancel: m_wizard->cancel(); break;
    case kExit: unload(); return;
    default: return;
    }
    refresh();
    m_textBox->selectAll();
    m_textBox->setFocus();
}

void frmTamselconversion::FileListBox_DblClick()
{
    if (m_wizard->running())
        return;
    m_wizard->runStep();
    refresh();
    m_textBox->selectAll();
    m_textBox->setFocus();
}

void frmTamselconversion::FileListBox_Click(QListWidgetItem* item)
{
    if (item == nullptr)
        return;
    m_wizard->fileClicked(bytes(item->text()));
    m_textBox->setText(item->text());
}

void frmTamselconversion::DirsBox_Click()
{
    const QModelIndex index = m_dirsBox->currentIndex();
    if (!index.isValid())
        return;
    m_highlightedFolder = bytes(m_dirsModel->filePath(index));
    m_wizard->folderClicked();
}

void frmTamselconversion::DirsBox_Change()
{
    const QModelIndex index = m_dirsBox->currentIndex();
    if (!index.isValid() || m_wizard->running())
        return;
    m_wizard->setFolder(bytes(m_dirsModel->filePath(index)));
    refresh();
}

void frmTamselconversion::onRunFinished()
{
    m_wizard->runFinished();
    refresh();
    m_textBox->selectAll();
    m_textBox->setFocus();
}

void frmTamselconversion::reject()
{
    // Esc steps back like Cancel; the window closes only through Exit or its frame.
    DlgButton_Click(kCancel);
}

void frmTamselconversion::closeEvent(QCloseEvent* event)
{
    if (!m_unloading)
        unload();
    event->accept();
}

void frmTamselconversion::unload()
{
    m_unloading = true;
    m_bridge->stop();
    platform::ShowStatusMessage(std::string(), 0, 1);
    if (g_loaded.get() == this)
        g_loaded.unloadLater();
    else
        hide();
}

}  // namespace tools
