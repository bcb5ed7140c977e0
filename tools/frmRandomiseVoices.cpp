// Brevane - the Patch Generator window.
#include "tools/frmRandomiseVoices.h"

#include "banklib/AppState.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "editor/VoiceListEditors.h"
#include "editor/frmAlgorithms.h"
#include "midi/TimedPhrase.h"
#include "midi/clsMIDIInit.h"
#include "midi/modMidiOutput.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "shell/ShellAppState.h"
#include "shell/WindowPlacement.h"
#include "shell/frmStartup.h"
#include "voicelist/clsVoiceLists.h"
#include "voicelist/frmVoiceList.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace tools {
namespace {

constexpr const char* kCaption = "Patch Generator";
constexpr const char* kStart = "Start";
constexpr const char* kStop = "Stop";
constexpr const char* kSingleVariance = "&Single Patch Variance";
constexpr const char* kMultipleVariance = "&Multiple Patch Variance";
constexpr const char* kDefaultPrefix = "RandVc";
constexpr int kDefaultVariance = 50;
constexpr int kContinuous = 0;
constexpr int kLoadVoice = 1;
// The window's place: its left edge at 0.375 of the main window's width, 25 twips down.
constexpr double kLeftOfMainWidth = 0.375;
constexpr int kTopPixels = 25 / 15;

frmRandomiseVoices* g_instance = nullptr;

shell::DeferredCallFactory& deferredCallFactory()
{
    static shell::DeferredCallFactory factory;
    return factory;
}

bool midiOutOpen() { return midi::objMIDIInit().MidiOutOpen; }

// The number a variance text stands for: a whole decimal number with a point, blanks around
// it allowed. Read the same in every locale (never "100,4").
bool parseNumber(const QString& text, double& value)
{
    QByteArray bytes = text.trimmed().toLatin1();
    const bool plus = bytes.startsWith('+');
    if (plus)
        bytes.remove(0, 1);
    if (bytes.isEmpty() || (plus && bytes.startsWith('-')))
        return false;
    const char* end = bytes.constData() + bytes.size();
    const auto [stop, error] = std::from_chars(bytes.constData(), end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

}  // namespace

// ---------------------------------------------------------------- the spin buttons

VarianceSpin::VarianceSpin(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("UpDown1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFixedSize(18, 11);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void VarianceSpin::setValue(int value)
{
    value = std::clamp(value, 0, 100);
    if (value == m_value)
        return;
    m_value = value;
    emit valueChanged(value);
}

// ---------------------------------------------------------------- the window

frmRandomiseVoices::frmRandomiseVoices(std::string workListFolder, QWidget* parent)
    : QWidget(parent, parent != nullptr ? Qt::Tool : Qt::Window),
      m_workListFolder(std::move(workListFolder)),
      m_objRnd(std::make_unique<clsPatchGenerator>())
{
    setObjectName(QStringLiteral("frmRandomiseVoices"));
    setWindowTitle(QString::fromLatin1(kCaption));
    if (!m_workListFolder.empty() && m_workListFolder.back() != '/')
        m_workListFolder += '/';
    if (const shell::DeferredCallFactory& make = deferredCallFactory())
        m_pause = make();
    else
        m_pause = std::make_unique<shell::QtDeferredCall>();
    buildWindow();
    SetPatchGenControls();
}

frmRandomiseVoices::~frmRandomiseVoices()
{
    m_pause->stop();
    if (g_instance == this)
        g_instance = nullptr;
}

void frmRandomiseVoices::setDeferredCallFactory(shell::DeferredCallFactory factory)
{
    deferredCallFactory() = std::move(factory);
}

frmRandomiseVoices* frmRandomiseVoices::instance() { return g_instance; }

frmRandomiseVoices& frmRandomiseVoices::install(shell::frmStartup& mainWindow)
{
    std::string folder = mainWindow.paths().dataBaseFolder;
    if (folder.empty())
        folder = mainWindow.DataDirectory();
    auto* window = new frmRandomiseVoices(std::move(folder), &mainWindow);
    window->hide();
    g_instance = window;
    mainWindow.appState().setGenerator(window);
    // Closing the program ends a continuous run first: no new voice list may open while
    // the lists are being closed.
    mainWindow.installEventFilter(window);
    return *window;
}

void frmRandomiseVoices::buildWindow()
{
    m_tree = new GeneratorTree(this);
    m_tree->setMinimumSize(260, 280);
    connect(m_tree, &GeneratorTree::nodeChecked, this, [this] { SetPatchGenControls(); });
    connect(m_tree, &GeneratorTree::sourcesChanged, this, [this] { SetPatchGenControls(); });
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { TreeView1_NodeClick(item); });

    m_frame1 = new QGroupBox(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));

    m_text1 = new QLineEdit(m_frame1);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMaxLength(8);
    m_text1->setFixedWidth(48);
    m_upDown1 = new VarianceSpin(m_frame1);
    m_label2 = new QLabel(QString::fromLatin1(kSingleVariance), m_frame1);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setBuddy(m_text1);
    m_upDown1->setValue(kDefaultVariance);
    m_text1->setText(QString::number(m_upDown1->value()));
    connect(m_upDown1, &VarianceSpin::valueChanged, this, [this](int value) {
        if (m_settingText)
            return;
        m_settingText = true;
        m_text1->setText(QString::number(value));
        m_settingText = false;
    });
    connect(m_text1, &QLineEdit::textChanged, this, [this] {
        if (!m_settingText)
            Text1_Change();
    });

    m_maskEdBox1 = new QLineEdit(m_frame1);
    m_maskEdBox1->setObjectName(QStringLiteral("MaskEdBox1"));
    m_maskEdBox1->setMaxLength(kPrefixLength);
    // Voice-name characters only: printable ASCII without the apostrophe.
    m_maskEdBox1->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x20-\\x26\\x28-\\x7E]{0,6}")), m_maskEdBox1));
    m_maskEdBox1->setText(QString::fromLatin1(kDefaultPrefix));
    m_prefixLabel = new QLabel(QStringLiteral("&Prefix"), m_frame1);
    m_prefixLabel->setBuddy(m_maskEdBox1);
    connect(m_maskEdBox1, &QLineEdit::returnPressed, this, [this] {
        if (m_command1->isEnabled())
            Command1_Click();
    });

    m_check1[kContinuous] = new QCheckBox(QStringLiteral("&Continuous "), m_frame1);
    m_check1[kLoadVoice] = new QCheckBox(QStringLiteral("&Load Voice on Creation"), m_frame1);
    for (int i = 0; i < 2; ++i) {
        m_check1[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        connect(m_check1[static_cast<std::size_t>(i)], &QCheckBox::clicked, this, [this, i] { Check1_Click(i); });
    }

    m_command1 = new QPushButton(QString::fromLatin1(kStart), m_frame1);
    m_command1->setObjectName(QStringLiteral("Command1"));
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    auto* grid = new QGridLayout(m_frame1);
    grid->addWidget(m_label2, 0, 0, 1, 3);
    auto* variance = new QHBoxLayout;
    variance->setSpacing(1);
    variance->addWidget(m_text1);
    variance->addWidget(m_upDown1);
    variance->addStretch(1);
    grid->addLayout(variance, 1, 0, 1, 3);
    grid->addWidget(m_prefixLabel, 2, 0);
    grid->addWidget(m_maskEdBox1, 3, 0, 1, 3);
    grid->addWidget(m_check1[kContinuous], 4, 0, 1, 3);
    grid->addWidget(m_check1[kLoadVoice], 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    grid->addWidget(m_command1, 7, 0, 1, 3);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_frame1);
}

void frmRandomiseVoices::showWindow()
{
    if (!m_placed) {
        m_placed = true;
        if (shell::frmStartup* main = shell::frmStartup::instance()) {
            const QRect frame = main->frameGeometry();
            shell::placeFrame(
                *this, {frame.left() + static_cast<int>(kLeftOfMainWidth * frame.width()), frame.top() + kTopPixels},
                main);
        }
    }
    SetPatchGenControls();
    show();
    raise();
    activateWindow();
}

void frmRandomiseVoices::closeEvent(QCloseEvent* event)
{
    // While a voice list is open the tree and the counters must live on: closing only
    // hides. With none left (as when the program exits) the window may close; it stays
    // made, hidden, for the next list.
    if (banklib::appState().colVoiceLists().count() > 0)
        event->ignore();
    else
        event->accept();
    hide();
    if (editor::VoiceListEditors::openEditorCount() == 0)
        editor::frmAlgorithms::unloadViewer();
}

// ---------------------------------------------------------------- GeneratorView

void frmRandomiseVoices::setContinuousEnabled(bool enabled) { m_check1[kContinuous]->setEnabled(enabled); }

std::int16_t frmRandomiseVoices::WorkListFlag() const
{
    return static_cast<std::int16_t>(std::min<std::int32_t>(m_patchCount, INT16_MAX));
}

void frmRandomiseVoices::setWorkListFlag(std::int16_t flag)
{
    m_patchCount = flag;
    // Saved under another name, the work list is an ordinary list now.
    if (flag == 0)
        m_patchGenList = nullptr;
}

void frmRandomiseVoices::ResetState() { m_patchCount = 0; }

void frmRandomiseVoices::listAdded(banklib::VoiceListView& list)
{
    m_tree->addList(list.ListID(), list.FileName());
    if (auto* window = dynamic_cast<shell::frmVoiceList*>(&list))
        connect(window, &shell::frmVoiceList::selectionChanged, this,
                [this, window] { m_tree->UpdateGeneratorSources(*window); });
}

void frmRandomiseVoices::listRemoved(const std::string& listID)
{
    if (m_patchGenList != nullptr && m_patchGenList->ListID() == listID)
        m_patchGenList = nullptr;
    m_tree->removeList(listID);
}

// ---------------------------------------------------------------- controls

void frmRandomiseVoices::SetPatchGenControls()
{
    // During a run the button belongs to the run: Stop stays, a single run's Start stays off.
    if (!m_running)
        m_command1->setEnabled(false);
    for (QCheckBox* c : m_check1)
        c->setEnabled(false);
    m_text1->setEnabled(false);
    m_upDown1->setEnabled(false);
    m_label2->setEnabled(false);

    int sources = 0;
    for (GeneratorTree::VoiceNode* voice : m_tree->voiceNodes()) {
        if (!m_tree->isSource(*voice)) {
            m_tree->setBaseMark(*voice, false);
            continue;
        }
        if (!m_running)
            m_command1->setEnabled(true);
        m_check1[kContinuous]->setEnabled(midiOutOpen());
        ++sources;
        m_tree->setBaseMark(*voice, sources == 1);
    }
    if (sources >= 1) {
        m_check1[kLoadVoice]->setEnabled(!m_check1[kContinuous]->isChecked());
        m_text1->setEnabled(true);
        m_upDown1->setEnabled(true);
        m_label2->setEnabled(true);
        m_label2->setText(QString::fromLatin1(sources == 1 ? kSingleVariance : kMultipleVariance));
    }
}

void frmRandomiseVoices::Check1_Click(int index)
{
    if (index != kContinuous)
        return;
    if (m_check1[kContinuous]->isChecked()) {
        m_check1[kLoadVoice]->setChecked(false);
        m_check1[kLoadVoice]->setEnabled(false);
    } else {
        m_check1[kLoadVoice]->setEnabled(m_command1->isEnabled());
    }
}

void frmRandomiseVoices::Text1_Change()
{
    double value = 0;
    if (!parseNumber(m_text1->text(), value) || value <= -1 || value >= 101)
        return;
    m_settingText = true;
    m_upDown1->setValue(static_cast<int>(std::nearbyint(value)));
    m_settingText = false;
}

void frmRandomiseVoices::TreeView1_NodeClick(QTreeWidgetItem* item)
{
    const GeneratorTree::VoiceNode* voice = m_tree->voiceNode(item);
    if (voice == nullptr)
        return;
    shell::frmStartup* main = shell::frmStartup::instance();
    editor::frmAlgorithms& viewer = editor::frmAlgorithms::load(main != nullptr ? main->mdiArea() : nullptr);
    viewer.setUpDown1(voice->algorithm - 1);
    viewer.showViewer();
}

std::string frmRandomiseVoices::voiceName(std::int32_t count) const
{
    std::string name(banklib::kNameLength, ' ');
    const std::string prefix = m_maskEdBox1->text().left(kPrefixLength).toLatin1().toStdString();
    name.replace(0, prefix.size(), prefix);
    const std::string number = platform::Format(std::int64_t{count}, " ##0").substr(0, 4);
    name.replace(kPrefixLength, number.size(), number);
    return name;
}

// ---------------------------------------------------------------- the run

bool frmRandomiseVoices::stopCaption() const { return m_command1->text() == QString::fromLatin1(kStop); }

void frmRandomiseVoices::setStopCaption(bool stop)
{
    m_command1->setText(QString::fromLatin1(stop ? kStop : kStart));
}

bool frmRandomiseVoices::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && watched == parent() && stopCaption())
        requestStop();
    return QWidget::eventFilter(watched, event);
}

void frmRandomiseVoices::requestStop()
{
    m_stopRequested = true;
    setStopCaption(false);
    // In the pause the run ends here; during a voice it ends when that voice is done.
    if (m_pause->isActive()) {
        m_pause->stop();
        finishRun();
    }
}

void frmRandomiseVoices::Command1_Click()
{
    if (stopCaption()) {
        requestStop();
        return;
    }
    if (m_running)
        return;
    // A stop asked for in the last run's pause is answered: this run starts afresh.
    m_stopRequested = false;
    if (m_check1[kContinuous]->isChecked() && midiOutOpen())
        setStopCaption(true);
    else
        m_command1->setEnabled(false);
    m_running = true;
    nextVoice();
}

void frmRandomiseVoices::nextVoice()
{
    // A stop that came while no voice was being made ends the run before the next one.
    if (m_stopRequested) {
        m_stopRequested = false;
        finishRun();
        return;
    }
    const std::string body = m_objRnd->CreateNewPatch(m_tree->snapshot(), m_upDown1->value());
    if (body.empty() || !storeVoice(body))
        finishRun();
}

void frmRandomiseVoices::voiceDone(platform::Bookmark added)
{
    // The audition let the user work on: the voice is found again by its record.
    if (m_check1[kLoadVoice]->isChecked() && m_patchGenList != nullptr) {
        const std::int32_t at = m_patchGenList->rsmfimage().positionOf(added);
        if (at >= 1)
            emit m_patchGenList->voiceOpenRequested(at);
    }
    if (!m_running)
        return;
    // A stop pressed during the voice ends the run now that it is done.
    if (!stopCaption()) {
        finishRun();
        return;
    }
    m_pause->start(kContinuousPauseMs, [this] {
        if (stopCaption())
            nextVoice();
    });
}

void frmRandomiseVoices::finishRun()
{
    m_pause->stop();
    m_running = false;
    setStopCaption(false);
    SetPatchGenControls();
}

bool frmRandomiseVoices::mayWriteWorkList()
{
    const std::string path = WorkListPath();
    // A list showing the file keeps it, and its voices, unless the user lets it go first.
    if (auto* lists = dynamic_cast<shell::clsVoiceLists*>(&banklib::appState().colVoiceLists()))
        if (!lists->closeForReopen(path))
            return false;
    // A file of that name is the user's (the work list's own goes when its list closes):
    // it is replaced only when the user says so.
    if (!platform::fileExists(path))
        return true;
    return platform::messages().messageBox(path + " already exists. Do you want to replace it ? ",
                                           platform::MsgStyle::YesNo + platform::MsgStyle::Question,
                                           "Replace file ?") == platform::MsgAnswer::Yes;
}

shell::frmVoiceList* frmRandomiseVoices::openWorkList(const std::string& voice)
{
    const std::string path = WorkListPath();
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(m_workListFolder), ec);
    banklib::clsVoiceNames names;
    // The writer reports a failure itself.
    if (names.SaveVoiceDataToFileByt(voice, path, banklib::FileType::Unpacked, false, kWorkListName))
        return nullptr;
    banklib::VoiceListView* window = nullptr;
    const bool opened = names.CreateVoiceListandFileImage(path, window, true, false) ==
                        banklib::clsVoiceNames::ListOpen::Opened;
    auto* list = opened ? dynamic_cast<shell::frmVoiceList*>(window) : nullptr;
    if (list == nullptr) {
        (void)platform::messages().messageBox("The new voice could not be put into the work list " + path +
                                                  "." + platform::kCrLf + "The Patch Generator has stopped.",
                                              platform::MsgStyle::Exclamation, kCaption);
        return nullptr;
    }
    list->setSavedCRC(banklib::kSavedCrcTemporary);
    return list;
}

bool frmRandomiseVoices::storeVoice(const std::string& body)
{
    // A work list closed since the last voice: the next voice starts a new one, on a file
    // that holds nothing the user keeps.
    if (m_patchGenList == nullptr) {
        const bool mayWrite = mayWriteWorkList();
        m_patchCount = 0;
        if (!mayWrite)
            return false;
    }
    ++m_patchCount;
    const std::string voice = body + voiceName(m_patchCount);

    platform::Bookmark added = platform::kNoBookmark;
    if (m_patchCount == 1) {
        shell::frmVoiceList* list = openWorkList(voice);
        if (list == nullptr) {
            m_patchCount = 0;
            return false;
        }
        m_patchGenList = list;
        list->rsmfimage().moveFirst();
        added = list->rsmfimage().bookmark();
    } else {
        shell::frmVoiceList& list = *m_patchGenList;
        platform::Recordset& rs = list.rsmfimage();
        banklib::clsVoiceData data;
        if (data.SaveVoiceData(rs, list.fileType(), rs.recordCount() + 1, voice, true)) {
            m_patchCount = 0;
            return false;
        }
        rs.moveLast();
        added = rs.bookmark();
        rs.moveFirst();
        // The voice joins the end: nothing moves, so the selection stays as it was.
        const std::int32_t count = rs.recordCount();
        list.setVoiceCount(count);
        banklib::SelectionTracker& tracker = list.selectionTracker();
        tracker.tr.resize(static_cast<std::size_t>(count) + 1, false);
        list.UpdateListBox(platform::BankCountForPatches(count), 0, true);
        list.SetMenuAndToolbar(true);
    }

    if (!midiOutOpen()) {
        voiceDone(added);
        return true;
    }
    // The phrase still playing sounds the voice before: it ends before this one goes out.
    midi::timedPhrase().stop();
    banklib::clsVoiceNames names;
    (void)midi::SendLongSysex(names.AddWrapper(voice, banklib::FileType::UnpackedSysex));
    // The audition plays on timed calls; the voice is done once it is over.
    midi::PlayRandomiserNotes(0, [self = QPointer<frmRandomiseVoices>(this), added] {
        if (self)
            self->voiceDone(added);
    });
    return true;
}

}  // namespace tools
