// Brevane - the voice-list window.
#include "voicelist/frmVoiceList.h"

#include "banklib/AppState.h"
#include "banklib/BusyCursor.h"
#include "banklib/CatalogueHooks.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListRegistry.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "shell/ShellHelpers.h"
#include "shell/UpdatingFlag.h"
#include "shell/frmStartup.h"
#include "voicelist/PatchClipboard.h"
#include "voicelist/VoiceDrag.h"
#include "voicelist/VoiceListBox.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QFile>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include <algorithm>
#include <cmath>

namespace shell {
namespace {

using platform::kVoicesPerBank;

constexpr int kMargin = 8;
constexpr int kGap = 6;
// Mouse buttons as the MIDI audition reads them: 1 left, 2 right, 4 middle.
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;
constexpr const char* kSizePattern = "#,###,###,##0";

// Milliseconds between the bank steps of a drag that hovers near an edge: the first and
// second step, and the shortest interval.
constexpr std::int64_t kDragScrollFirstMs = 1000;
constexpr std::int64_t kDragScrollFastestMs = 10;
// How often a drag hovering near an edge is looked at again while it does not move.
constexpr int kDragScrollPumpMs = 50;

DeferredCallFactory& deferredCallFactory()
{
    static DeferredCallFactory factory;
    return factory;
}

frmVoiceList::DragRunner& dragRunner()
{
    static frmVoiceList::DragRunner runner;
    return runner;
}

frmVoiceList::WindowAttacher& windowAttacher()
{
    static frmVoiceList::WindowAttacher attacher;
    return attacher;
}

// The program's drag: QDrag runs its own loop until the drop or the give-up. Both
// actions are offered; the drop decides which one it takes.
void runQtDrag(frmVoiceList& source, std::unique_ptr<QMimeData> data)
{
    auto* drag = new QDrag(source.List1());
    drag->setMimeData(data.release());
    (void)drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

// Ctrl copies; so does Alt where the window manager lets it through.
bool copyRequested(Qt::KeyboardModifiers modifiers)
{
    return modifiers.testFlag(Qt::ControlModifier) || modifiers.testFlag(Qt::AltModifier);
}

int buttonMask(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return kLeftButton;
    case Qt::RightButton: return kRightButton;
    case Qt::MiddleButton: return kMiddleButton;
    default: return 0;
    }
}

// The Shift, Ctrl and Alt bits of a key event as the MIDI audition reads them (1, 2, 4).
int shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: return true;
    default: return false;
    }
}

std::string fileTypeText(banklib::FileType type)
{
    switch (type) {
    case banklib::FileType::Unpacked: return "Data is unpacked without sysex headers";
    case banklib::FileType::UnpackedSysex: return "Data is unpacked. Patches have sysex headers";
    case banklib::FileType::Packed: return "Data is packed without sysex headers";
    case banklib::FileType::PackedSysex: return "Data is packed.Banks have sysex headers";
    default: return std::string();
    }
}

}  // namespace

bool isVoiceNameCharacter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u <= 0x7E && c != '\'';
}

std::string paddedVoiceName(std::string_view name)
{
    std::string out(name.substr(0, std::min<std::size_t>(name.size(), kVoiceNameLength)));
    for (char& c : out)
        if (!isVoiceNameCharacter(c))
            c = ' ';
    out.resize(kVoiceNameLength, ' ');
    return out;
}

void frmVoiceList::setDeferredCallFactory(DeferredCallFactory factory) { deferredCallFactory() = std::move(factory); }

void frmVoiceList::setDragRunner(DragRunner runner) { dragRunner() = std::move(runner); }

void frmVoiceList::setWindowAttacher(WindowAttacher attacher) { windowAttacher() = std::move(attacher); }

frmVoiceList::frmVoiceList(QMdiArea* area, QWidget* parent) : QWidget(parent), m_area(area)
{
    setObjectName(QStringLiteral("frmVoiceList"));
    setAttribute(Qt::WA_DeleteOnClose, area == nullptr);
    const DeferredCallFactory& factory = deferredCallFactory();
    m_renameTimer = factory ? factory() : nullptr;
    if (!m_renameTimer)
        m_renameTimer = std::make_unique<QtDeferredCall>();

    m_header = new QLabel(this);
    m_header->setObjectName(QStringLiteral("Label1_0"));
    m_header->setAlignment(Qt::AlignCenter);
    m_header->setCursor(Qt::PointingHandCursor);
    m_header->setToolTip(QStringLiteral("Click to show or hide the file information"));
    m_header->installEventFilter(this);

    m_list = new VoiceListBox(this);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(m_list, &VoiceListBox::mousePressed, this, &frmVoiceList::List1_MouseDown);
    connect(m_list, &VoiceListBox::mouseReleased, this, &frmVoiceList::List1_MouseUp);
    connect(m_list, &VoiceListBox::mouseDoubleClicked, this, [this] { List1_DblClick(); });
    connect(m_list, &VoiceListBox::keyDown, this, [this](int key, Qt::KeyboardModifiers modifiers, bool* swallowed) {
        *swallowed = List1_KeyDown(key, modifiers);
    });
    connect(m_list, &VoiceListBox::keyUp, this, &frmVoiceList::List1_KeyUp);
    connect(m_list, &VoiceListBox::mouseMoved, this, &frmVoiceList::List1_MouseMove);
    connect(m_list, &VoiceListBox::dragMoved, this,
            [this](const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers, Qt::DropAction* action,
                   bool* own) {
                *own = isVoiceDrag(data);
                *action = *own ? List1_OLEDragOver(data, pos, modifiers) : Qt::IgnoreAction;
            });
    connect(m_list, &VoiceListBox::dragLeft, this, &frmVoiceList::List1_OLEDragLeave);
    connect(m_list, &VoiceListBox::dropped, this,
            [this](const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers, Qt::DropAction* action) {
                const bool copy = copyRequested(modifiers);
                *action = List1_OLEDragDrop(data, pos, modifiers) ? (copy ? Qt::CopyAction : Qt::MoveAction)
                                                                  : Qt::IgnoreAction;
            });
    setFocusProxy(m_list);
    m_dragScrollPump.setInterval(kDragScrollPumpMs);
    connect(&m_dragScrollPump, &QTimer::timeout, this, [this] {
        ScrollBankWhileDragging(m_dragY);
        UpdateSelections(0);
    });

    m_frame2 = new QFrame(this);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    m_scroll = new QScrollBar(Qt::Horizontal, m_frame2);
    m_scroll->setObjectName(QStringLiteral("HScroll1"));
    m_scroll->setRange(1, 1);
    m_scroll->setPageStep(1);
    m_scroll->setEnabled(false);
    connect(m_scroll, &QScrollBar::valueChanged, this, &frmVoiceList::HScroll1_Change);

    m_frame1 = new QFrame(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setFrameShape(QFrame::StyledPanel);
    static constexpr const char* kCaptions[] = {"Name", "Type", "Size", "Patches", "Banks"};
    for (int i = 1; i <= 5; ++i) {
        m_label1[static_cast<std::size_t>(i)] = new QLabel(QString::fromLatin1(kCaptions[i - 1]), m_frame1);
        m_label1[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        m_label2[static_cast<std::size_t>(i)] = new QLabel(m_frame1);
        m_label2[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Label2_%1").arg(i));
        m_label2[static_cast<std::size_t>(i)]->setTextFormat(Qt::PlainText);
    }
    m_frame1->hide();

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setToolTip(QStringLiteral("Edit Patch Name, Press Esc to abort"));
    m_text1->setMaxLength(kVoiceNameLength);
    m_text1->setFont(m_list->font());
    // Printable ASCII without the apostrophe, at most 10 characters.
    m_text1->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[ -&(-~]{0,10}")), m_text1));
    m_text1->installEventFilter(this);
    m_text1->hide();

    layoutControls();
    if (const WindowAttacher& attach = windowAttacher())
        attach(*this);
}

frmVoiceList::~frmVoiceList()
{
    m_renameTimer->stop();
}

// ---------------------------------------------------------------- layout

void frmVoiceList::layoutControls()
{
    const QSize listSize = m_list->sizeHint();
    const int width = std::max(this->width(), listSize.width() + 2 * kMargin);
    const int inner = width - 2 * kMargin;
    const int headerHeight = m_header->fontMetrics().height() + 4;
    m_header->setGeometry(kMargin, kMargin, inner, headerHeight);
    m_list->setGeometry(kMargin, m_header->geometry().bottom() + 1, inner, listSize.height());
    const int scrollHeight = m_scroll->sizeHint().height();
    m_frame2->setGeometry(kMargin, m_list->geometry().bottom() + 1 + kGap, inner, scrollHeight);
    m_scroll->setGeometry(0, 0, inner, scrollHeight);

    const int row = m_label1[1]->fontMetrics().height() + 6;
    const int captionWidth = m_label1[1]->fontMetrics().horizontalAdvance(QStringLiteral("Patches")) + 12;
    for (int i = 1; i <= 5; ++i) {
        m_label1[static_cast<std::size_t>(i)]->setGeometry(6, 6 + (i - 1) * row, captionWidth, row);
        m_label2[static_cast<std::size_t>(i)]->setGeometry(6 + captionWidth, 6 + (i - 1) * row,
                                                           std::max(inner - captionWidth - 12, 10), row);
    }
    m_frame1->setGeometry(kMargin, m_frame2->geometry().bottom() + 1 + kGap, inner, 5 * row + 12);

    if (m_text1->isVisible() && m_renameVoice >= 1)
        ShowRenameBox(m_renameVoice - 1);
    const QWidget* last = m_infoShown ? static_cast<QWidget*>(m_frame1) : static_cast<QWidget*>(m_frame2);
    setMinimumSize(listSize.width() + 2 * kMargin, last->geometry().bottom() + 1 + kMargin);
}

void frmVoiceList::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

// ---------------------------------------------------------------- showing

// A new window is made wide enough for its whole title (file name and voice count) when the
// workspace has the room.
void frmVoiceList::widenToShowCaption()
{
    QStyleOptionTitleBar option;
    option.initFrom(m_subWindow);
    option.titleBarFlags = m_subWindow->windowFlags();
    option.titleBarState = Qt::WindowActive;
    option.subControls = QStyle::SC_All;
    const int titleHeight = m_subWindow->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, m_subWindow);
    option.rect = QRect(0, 0, m_subWindow->width(), titleHeight);
    const QRect label =
        m_subWindow->style()->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, m_subWindow);
    QFont font = m_subWindow->font();
    font.setBold(true);
    const int textWidth = QFontMetrics(font).horizontalAdvance(QFile::decodeName(m_caption.c_str()));
    const int wanted = m_subWindow->width() - label.width() + textWidth + titleHeight / 2;
    const int room = m_area ? m_area->viewport()->width() : wanted;
    if (wanted > m_subWindow->width())
        m_subWindow->resize(std::min(wanted, std::max(room, m_subWindow->width())), m_subWindow->height());
}

void frmVoiceList::show()
{
    if (!m_loaded) {
        if (m_area) {
            m_subWindow = m_area->addSubWindow(this);
            m_subWindow->setAttribute(Qt::WA_DeleteOnClose);
            connect(m_area, &QMdiArea::subWindowActivated, this, &frmVoiceList::onSubWindowActivated);
        }
        m_loaded = true;
        Form_Load();
        // Room beside the names for the caption and the file panel's values.
        resize(std::max(minimumWidth(), minimumWidth() * 3 / 2), minimumHeight());
        if (m_subWindow) {
            m_subWindow->adjustSize();
            widenToShowCaption();
        }
    }
    if (m_subWindow) {
        m_subWindow->show();
        m_area->setActiveSubWindow(m_subWindow);
    } else {
        QWidget::show();
    }
    m_list->setFocus(Qt::OtherFocusReason);
}

void frmVoiceList::Form_Load()
{
    ResetTracker();
    std::int32_t bank = 1;
    InitVoiceList(bank, false, -1);
    SetMenuAndToolbar(true);
}

void frmVoiceList::onSubWindowActivated(QMdiSubWindow* window)
{
    if (!m_subWindow)
        return;
    if (window == m_subWindow) {
        if (!m_active) {
            m_active = true;
            Form_Activate();
        }
        return;
    }
    // None active while the area still counts this list as its current window: the program
    // lost the focus (another program, Alt+Tab) or was minimised. The list keeps its turn,
    // and a name being typed stays open for when the user comes back.
    if (window == nullptr && m_area->currentSubWindow() == m_subWindow)
        return;
    if (m_active) {
        m_active = false;
        Form_Deactivate();
    }
}

void frmVoiceList::Form_Activate() { SetMenuAndToolbar(true); }

void frmVoiceList::Form_Deactivate()
{
    SetMenuAndToolbar(false);
    m_renameTimer->stop();
    hideRenameBox();
}

std::int32_t frmVoiceList::bankCount() const
{
    return m_voiceCount <= 0 ? 1 : (m_voiceCount + kVoicesPerBank - 1) / kVoicesPerBank;
}

std::int32_t frmVoiceList::lastEntryOfLastBank() const
{
    return m_voiceCount <= 0 ? 0 : (m_voiceCount - 1) % kVoicesPerBank;
}

std::int32_t frmVoiceList::bankPage() const { return m_scroll->value(); }

void frmVoiceList::InitVoiceList(std::int32_t& bank, bool noCurrent, std::int32_t entry)
{
    {
        UpdatingScope updating;
        const std::int32_t last = bankCount();
        m_scroll->setMaximum(last);
        m_scroll->setValue(bank);
        m_scroll->setMinimum(1);
        m_scroll->setEnabled(last != 1);
    }
    setCaption(m_fileTitle);
    m_list->setToolTip(QStringLiteral("Single click sends patch,double opens patch editor"));
    UpdateListBoxPage(bank, noCurrent, entry);
}

void frmVoiceList::UpdateListBox(std::int32_t bankPage, std::int32_t voiceInBank, bool noCurrent)
{
    std::int32_t bank = bankPage;
    UpdateListBoxPage(bank, noCurrent, voiceInBank >= 1 ? voiceInBank : -1);
    // The given voice (a voice found, a duplicate shown) becomes the selected voice, as a
    // click on it would make it.
    const std::int32_t voice = (bank - 1) * kVoicesPerBank + voiceInBank;
    if (noCurrent || voiceInBank < 1 || voiceInBank > kVoicesPerBank || voice > m_voiceCount)
        return;
    m_currentVoice = voice;
    (void)m_objNames.TrReset(voice, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
    m_selectionAnchor = voice;
    UpdateSelections(0);
    emit selectionChanged();
    SetMenuAndToolbar(true);
}

void frmVoiceList::UpdateListBoxPage(std::int32_t& bank, bool noCurrent, std::int32_t entry)
{
    m_renameTimer->stop();
    hideRenameBox();
    m_list->clear();
    platform::Recordset& rs = rsmfimage();
    if (rs.recordCount() >= 1) {
        const int position = rs.absolutePosition();
        const std::int32_t last = bankCount();
        {
            UpdatingScope updating;
            m_scroll->setMaximum(last);
            bank = std::clamp(bank, 1, last);
            m_scroll->setValue(bank);
            m_scroll->setEnabled(last >= 2);
        }
        m_header->setText(QString::fromLatin1("Bank " + platform::Str(bank) + " of " + platform::Str(last)));
        refreshCaption();

        const std::int32_t first = bank * kVoicesPerBank - kVoicesPerBank;
        const std::int32_t lastIndex = bank == last ? lastEntryOfLastBank() : kVoicesPerBank - 1;
        rs.setAbsolutePosition(first + 1);
        for (std::int32_t i = 0; i <= lastIndex && !rs.isEOF(); ++i) {
            m_list->addItem(platform::fromBytes(rs.text(banklib::VoiceListField::Names)));
            const auto voice = static_cast<std::size_t>(first + i + 1);
            if (voice < m_tracker.tr.size() && m_tracker.tr[voice])
                m_list->setSelected(i, true);
            rs.moveNext();
        }
        m_list->setCurrentIndex(entry != -1 && !noCurrent ? entry - 1 : -1);
        if (position >= 1)
            rs.setAbsolutePosition(position);
        else
            rs.moveFirst();
    } else {
        {
            UpdatingScope updating;
            m_scroll->setRange(1, 1);
            m_scroll->setEnabled(false);
        }
        m_header->setText(QStringLiteral("File is empty"));
        refreshCaption();
    }
    if (m_infoShown)
        ShowFileInfo(true);
}

void frmVoiceList::refreshCaption()
{
    const std::string stem = m_fileTitle.substr(0, m_fileTitle.find('.'));
    if (rsmfimage().recordCount() >= 1)
        setCaption(stem + " [" + platform::Str(m_voiceCount) + " patch" + (m_voiceCount >= 2 ? "es" : "") + " ]");
    else
        setCaption(stem);
}

std::string frmVoiceList::caption() const { return m_caption; }

void frmVoiceList::setCaption(const std::string& text)
{
    m_caption = text;
    // "[*]" is where the modified marker shows.
    setWindowTitle(QFile::decodeName(text.c_str()) + QStringLiteral("[*]"));
}

void frmVoiceList::setModified(bool modified)
{
    m_modified = modified;
    setWindowModified(modified);
}

void frmVoiceList::changed() { setModified(true); }

void frmVoiceList::setSavedCRC(std::int32_t crc)
{
    m_savedCrc = crc;
    setModified(crc == banklib::kSavedCrcTemporary);
}

void frmVoiceList::setRsmfimage(platform::Recordset rs)
{
    m_objNames.rsmfimage = std::move(rs);
    if (m_loaded)
        changed();
}

void frmVoiceList::InitList(std::int32_t bankPage, bool rebuild) { InitList(bankPage, rebuild, 0); }

void frmVoiceList::InitList(std::int32_t bankPage, bool rebuild, std::int32_t firstVoice)
{
    const std::int32_t count = rsmfimage().recordCount();
    const bool resized = count != m_voiceCount || m_tracker.tr.size() != static_cast<std::size_t>(count) + 1;
    m_voiceCount = count;
    if (rebuild || resized)
        ResetTracker();
    if (rebuild && firstVoice >= 1 && firstVoice <= m_voiceCount)
        (void)AddTracker(firstVoice, m_voiceCount);
    std::int32_t bank = bankPage;
    UpdateListBoxPage(bank, true, -1);
    changed();
    emit selectionChanged();
    SetMenuAndToolbar(true);
}

void frmVoiceList::refreshFrame()
{
    update();
    m_list->update();
}

void frmVoiceList::SetMenuAndToolbar(bool active)
{
    (void)active;
    // The command table reads the active list's state (selection, rename box) itself.
    if (frmStartup* main = frmStartup::instance())
        main->updateCommands();
}

void frmVoiceList::ShowFileInfo(bool show)
{
    const bool resize = show != m_infoShown;
    m_infoShown = show;
    if (show) {
        const std::int32_t n = rsmfimage().recordCount();
        const std::int64_t banks = m_scroll->maximum();
        std::int64_t size = 0;
        switch (m_fileType) {
        case banklib::FileType::Unpacked: size = std::int64_t{n} * 155; break;
        case banklib::FileType::UnpackedSysex: size = std::int64_t{n} * 163; break;
        case banklib::FileType::Packed: size = std::int64_t{n} * 128; break;
        case banklib::FileType::PackedSysex: size = std::int64_t{n} * 128 + 8 * banks; break;
        default: break;
        }
        m_label2[1]->setText(QFile::decodeName(m_fileName.c_str()));
        m_label2[1]->setToolTip(m_label2[1]->text());
        m_label2[2]->setText(QString::fromLatin1(fileTypeText(m_fileType)));
        m_label2[3]->setText(QString::fromLatin1(platform::Format(size, kSizePattern) + " bytes"));
        m_label2[4]->setText(QString::fromLatin1(platform::Format(std::int64_t{n}, kSizePattern)));
        m_label2[5]->setText(QString::fromLatin1(platform::Format(banks, kSizePattern)));
    }
    m_frame1->setVisible(show);
    if (!resize)
        return;
    layoutControls();
    const int grow = m_frame1->height() + kGap;
    if (m_subWindow)
        m_subWindow->resize(m_subWindow->width(), m_subWindow->height() + (show ? grow : -grow));
    else
        this->resize(width(), height() + (show ? grow : -grow));
}

// ---------------------------------------------------------------- the selection tracker

std::vector<platform::Bookmark> frmVoiceList::selectedBookmarks()
{
    std::vector<platform::Bookmark> marks;
    if (m_tracker.TotalSelections == 0)
        return marks;
    const std::vector<platform::Bookmark> all = rsmfimage().bookmarks();
    for (std::size_t v = 1; v < m_tracker.tr.size() && v <= all.size(); ++v)
        if (m_tracker.tr[v])
            marks.push_back(all[v - 1]);
    return marks;
}

void frmVoiceList::ResetTracker()
{
    (void)m_objNames.TrReset(0, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
}

std::int32_t frmVoiceList::AddTracker(std::int32_t from, std::int32_t to)
{
    if (to == 0)
        to = from;
    (void)m_objNames.TrAdd(from, to, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
    return m_tracker.TotalSelections;
}

bool frmVoiceList::GetTracker(std::vector<bool>& tracker) const
{
    tracker = m_tracker.tr;
    return m_tracker.TotalSelections != 0;
}

std::vector<platform::Bookmark> frmVoiceList::ConvertTrackToBookMarksArrayVar(std::int32_t& count)
{
    banklib::BusyCursor busy;
    std::vector<platform::Bookmark> marks = selectedBookmarks();
    count += static_cast<std::int32_t>(marks.size());
    rsmfimage().moveFirst();
    return marks;
}

std::vector<platform::Bookmark> frmVoiceList::ConvertTrackToBookMarks(std::vector<platform::Bookmark>& unselected)
{
    std::vector<platform::Bookmark> selected;
    std::vector<platform::Bookmark> others;
    const std::vector<platform::Bookmark> all = rsmfimage().bookmarks();
    for (std::size_t v = 1; v <= all.size(); ++v)
        (v < m_tracker.tr.size() && m_tracker.tr[v] ? selected : others).push_back(all[v - 1]);
    if (selected.empty() || others.empty())
        return {};
    unselected = std::move(others);
    return selected;
}

std::int32_t frmVoiceList::UpDateTracker(std::int32_t voice, bool shift, bool ctrl)
{
    if (m_currentVoice < 1 || voice < 1 || voice > m_voiceCount)
        return 0;
    if (m_tracker.tr.size() != static_cast<std::size_t>(m_voiceCount) + 1)
        ResetTracker();
    if (m_selectionAnchor == 0 || m_selectionAnchor > m_voiceCount)
        m_selectionAnchor = voice;
    const auto at = static_cast<std::size_t>(m_currentVoice);
    if (ctrl) {
        const bool set = !m_tracker.tr[at];
        m_tracker.tr[at] = set;
        m_tracker.TotalSelections += set ? 1 : -1;
    } else if (shift) {
        SelectRangeToAnchor(m_selectionAnchor, voice);
    } else if (m_tracker.tr[at]) {
        // A click inside the selection keeps it (it may be the start of a drag).
        UpdateSelections(0);
    } else {
        (void)m_objNames.TrReset(voice, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
        hideRenameBox();
    }
    if (!shift)
        m_selectionAnchor = voice;
    return voice;
}

void frmVoiceList::SelectRangeToAnchor(std::int32_t a, std::int32_t b)
{
    banklib::BusyCursor busy;
    ResetTracker();
    std::int32_t to = std::max(a, b);
    (void)m_objNames.TrAdd(std::min(a, b), to, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
    UpdateSelections(0);
}

void frmVoiceList::UpdateSelections(std::int32_t bankPage)
{
    const int current = m_list->currentIndex();
    if (bankPage > 0)
        m_scroll->setValue(bankPage);
    const std::int32_t b = m_scroll->value();
    for (int i = 0; i < kVoicesPerBank; ++i) {
        const std::int32_t voice = (b - 1) * kVoicesPerBank + i + 1;
        if (voice > m_voiceCount)
            break;
        const auto at = static_cast<std::size_t>(voice);
        m_list->setSelected(i, at < m_tracker.tr.size() && m_tracker.tr[at]);
    }
    if (current != -1)
        m_list->setCurrentIndex(current);
}

std::int32_t frmVoiceList::GetVoiceNo(QPoint pos)
{
    const int index = m_list->indexAt(pos);
    if (index < 0) {
        m_entryUnderPointer = -1;
        return 0;
    }
    const std::int32_t value = m_scroll->value();
    const std::int32_t offset = value >= 1 ? (value - 1) * kVoicesPerBank : 0;
    const std::int32_t voice = offset + index + 1;
    m_entryUnderPointer = index;
    return voice > m_voiceCount ? 0 : voice;
}

// ---------------------------------------------------------------- editing

platform::Recordset frmVoiceList::EditDelete(bool flag, std::span<const platform::Bookmark> bookmarks)
{
    (void)flag;
    platform::Recordset removed(banklib::voiceListFields());
    (void)EditDelete(true, bookmarks, &removed, true);
    return removed;
}

std::int32_t frmVoiceList::EditCopy(std::span<const platform::Bookmark> bookmarks)
{
    std::vector<platform::Bookmark> selected;
    if (bookmarks.empty()) {
        std::int32_t count = 0;
        selected = ConvertTrackToBookMarksArrayVar(count);
        bookmarks = selected;
    }
    if (bookmarks.empty())
        return -1;
    CopySelectedPatches(*this, bookmarks);
    SetMenuAndToolbar(true);
    return 0;
}

std::int32_t frmVoiceList::EditDelete(bool keep, std::span<const platform::Bookmark> bookmarks,
                                      platform::Recordset* deleted, bool redraw)
{
    std::vector<platform::Bookmark> selected;
    if (bookmarks.empty()) {
        std::int32_t count = 0;
        selected = ConvertTrackToBookMarksArrayVar(count);
        bookmarks = selected;
    }
    if (bookmarks.empty())
        return -1;
    m_renameTimer->stop();
    platform::Recordset unused;
    const std::int32_t gone =
        DeleteSelectedPatches(*this, bookmarks, keep && deleted != nullptr, deleted != nullptr ? *deleted : unused);
    // The current voice (the paste position) never points past the list.
    m_currentVoice = std::min(m_currentVoice, m_voiceCount);
    ResetTracker();
    if (redraw) {
        std::int32_t bank = m_scroll->value();
        UpdateListBoxPage(bank, true, -1);
    }
    if (gone > 0)
        changed();
    emit selectionChanged();
    SetMenuAndToolbar(true);
    return 0;
}

std::int32_t frmVoiceList::EditPaste()
{
    if (GetClipboardCount() == 0)
        return -1;
    m_renameTimer->stop();
    m_list->setCurrentIndex(-1);
    const std::int32_t pasted = PastePatches(*this);
    m_pastedCount = pasted;
    ResetTracker();
    if (pasted > 0)
        (void)AddTracker(m_currentVoice, m_currentVoice + pasted - 1);
    std::int32_t bank = std::max(platform::BankCountForPatches(m_currentVoice), 1);
    UpdateListBoxPage(bank, true, -1);
    m_lastClickedVoice = m_currentVoice;
    m_list->setCurrentIndex(-1);
    if (pasted > 0)
        changed();
    emit selectionChanged();
    SetMenuAndToolbar(true);
    if (m_subWindow && m_area)
        m_area->setActiveSubWindow(m_subWindow);
    m_list->setFocus(Qt::OtherFocusReason);
    return 0;
}

// ---------------------------------------------------------------- dragging voices

std::string frmVoiceList::BuildDragText() const
{
    std::vector<std::int32_t> voices;
    voices.reserve(static_cast<std::size_t>(std::max(m_tracker.TotalSelections, 0)));
    for (std::int32_t v = 1; v <= m_voiceCount && static_cast<std::size_t>(v) < m_tracker.tr.size(); ++v)
        if (m_tracker.tr[static_cast<std::size_t>(v)])
            voices.push_back(v);
    return BuildDragTextLine(banklib::toCode(m_fileType), m_listId, voices);
}

std::int32_t frmVoiceList::FindSelectionsBeforeTarget(std::string_view text, std::int32_t target)
{
    return FindSelectionsBeforeTargetB(splitDragText(text), target);
}

std::int32_t frmVoiceList::FindSelectionsBeforeTargetB(const std::vector<std::string>& fields, std::int32_t target)
{
    std::int32_t before = 0;
    // Fields 0..2 are the file type, the list and the count; the last one is ":".
    for (std::size_t i = 3; i + 1 < fields.size(); ++i)
        if (platform::Val(fields[i]) < target)
            ++before;
    return before;
}

void frmVoiceList::List1_MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    (void)modifiers;
    (void)pos;
    if (DragInProgress || !buttons.testFlag(Qt::LeftButton))
        return;
    // Only a press on a selected voice that did not close the rename box drags.
    if (m_renameCommitted || m_list->count() == 0 || m_currentVoice < 1 ||
        static_cast<std::size_t>(m_currentVoice) >= m_tracker.tr.size() ||
        !m_tracker.tr[static_cast<std::size_t>(m_currentVoice)])
        return;
    const std::int64_t now = platform::eventLoop().nowMs();
    if (!m_dragArmed) {
        m_dragArmed = true;
        m_dragStartMs = now;
        return;
    }
    if (now > m_dragStartMs + kDragStartDelayMs)
        startVoiceDrag();
}

void frmVoiceList::startVoiceDrag()
{
    QPointer<frmVoiceList> self(this);
    {
        // Cleared however the drag ends: dropped, refused, cancelled, or this window gone.
        DragInProgressScope dragging;
        m_renameTimer->stop();
        UpdateSelections(0);
        std::unique_ptr<QMimeData> data = makeVoiceDragData(BuildDragText());
        if (const DragRunner& runner = dragRunner())
            runner(*this, std::move(data));
        else
            runQtDrag(*this, std::move(data));
    }
    if (self) {
        m_dragArmed = false;
        stopDragScroll();
    }
}

void frmVoiceList::stopDragScroll()
{
    m_dragScrollPump.stop();
    m_scrollArmed = false;
}

Qt::DropAction frmVoiceList::List1_OLEDragOver(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers)
{
    if (!isVoiceDrag(data)) {
        stopDragScroll();
        return Qt::IgnoreAction;
    }
    const std::int32_t voice = GetVoiceNo(pos);
    // An empty list takes a drop anywhere; a list with voices only on a voice.
    const bool acceptable = rsmfimage().recordCount() == 0 || voice != 0;
    const int height = m_list->height();
    m_dragY = pos.y();
    if (m_voiceCount > kVoicesPerBank && (pos.y() * 10 < height || pos.y() * 10 > height * 9)) {
        ScrollBankWhileDragging(pos.y());
        if (!m_dragScrollPump.isActive())
            m_dragScrollPump.start();
    } else {
        stopDragScroll();
    }
    UpdateSelections(0);
    if (!acceptable)
        return Qt::IgnoreAction;
    return copyRequested(modifiers) ? Qt::CopyAction : Qt::MoveAction;
}

void frmVoiceList::List1_OLEDragLeave()
{
    stopDragScroll();
    m_scrollRepeats = 0;
}

void frmVoiceList::ScrollBankWhileDragging(int y)
{
    const std::int64_t now = platform::eventLoop().nowMs();
    if (!m_scrollArmed) {
        m_scrollArmed = true;
        m_scrollStartMs = now;
        return;
    }
    const std::int64_t interval =
        m_scrollRepeats == 0
            ? kDragScrollFirstMs
            : std::max(kDragScrollFastestMs,
                       static_cast<std::int64_t>(std::nearbyint(static_cast<double>(kDragScrollFirstMs) /
                                                                (2.0 * m_scrollRepeats + 1.0))));
    if (now < m_scrollStartMs + interval)
        return;
    const int height = m_list->height();
    std::int32_t direction = 0;
    if (y * 10 > height * 9 && m_scroll->value() < m_scroll->maximum())
        direction = 1;
    else if (y * 10 < height && m_scroll->value() > m_scroll->minimum())
        direction = -1;
    if (direction == 0)
        return;
    // The scroll bar's change handler shows the bank.
    m_scroll->setValue(m_scroll->value() + direction);
    m_scrollRepeats = direction == m_scrollDirection ? m_scrollRepeats + 1 : 0;
    m_scrollDirection = direction;
    m_scrollArmed = false;
}

bool frmVoiceList::List1_OLEDragDrop(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers)
{
    stopDragScroll();
    const std::string line = voiceDragLine(data);
    const std::optional<DragText> drag = parseDragText(line);
    if (!drag)
        return false;
    const std::int32_t target = GetVoiceNo(pos);
    if (target != 0)
        m_currentVoice = target;
    else if (rsmfimage().recordCount() > 0)
        return false;  // beside the names of a list that has voices
    auto* source = dynamic_cast<frmVoiceList*>(banklib::appState().colVoiceLists().Item(drag->listId));
    if (source == nullptr)
        return false;
    if (source == this && drag->voices.size() == 1 && drag->voices.front() == target)
        return false;  // one voice dropped on itself
    // The voices the line names, as they stand in their list now.
    const std::vector<platform::Bookmark> all = source->rsmfimage().bookmarks();
    if (static_cast<std::size_t>(drag->voices.back()) > all.size())
        return false;
    std::vector<platform::Bookmark> marks;
    marks.reserve(drag->voices.size());
    for (const std::int32_t v : drag->voices)
        marks.push_back(all[static_cast<std::size_t>(v - 1)]);

    const bool copy = copyRequested(modifiers);
    // Within one list the voices before the target leave first, so the target moves up.
    if (!copy && source == this)
        m_currentVoice = std::max(target - FindSelectionsBeforeTargetB(splitDragText(line), target), 1);
    if (source->EditCopy(marks) != 0)
        return false;
    if (!copy)
        (void)source->EditDelete(false, marks, nullptr, true);
    (void)EditPaste();
    m_currentListIndex = 0;
    return true;
}

// ---------------------------------------------------------------- the rename box

bool frmVoiceList::renameBoxVisible() const { return !m_text1->isHidden(); }

bool frmVoiceList::renamePending() const { return m_renameTimer->isActive(); }

void frmVoiceList::ShowRenameBox(std::int32_t k)
{
    if (k < 0 || k >= m_voiceCount)
        return;
    const int index = k % kVoicesPerBank;
    const QRect entry = m_list->itemRect(index).translated(m_list->pos());
    m_text1->setGeometry(entry.left(), entry.top() - 2, entry.width() + 2, entry.height() + 4);
    if (m_renameVoice != k + 1 || m_text1->isHidden()) {
        platform::Recordset& rs = rsmfimage();
        const int position = rs.absolutePosition();
        rs.setAbsolutePosition(k + 1);
        m_renameBookmark = rs.bookmark();
        if (position >= 1)
            rs.setAbsolutePosition(position);
        m_renameVoice = k + 1;
        m_startingName = paddedVoiceName(platform::toBytes(m_list->text(index)));
        m_text1->setText(platform::fromBytes(m_startingName));
        m_text1->selectAll();
    }
    m_text1->show();
    m_text1->raise();
    m_text1->setFocus(Qt::OtherFocusReason);
    SetMenuAndToolbar(true);
}

void frmVoiceList::hideRenameBox()
{
    if (m_text1->isHidden())
        return;
    const bool hadFocus = m_text1->hasFocus();
    m_text1->hide();
    if (hadFocus)
        m_list->setFocus(Qt::OtherFocusReason);
    SetMenuAndToolbar(true);
}

void frmVoiceList::commitRename()
{
    if (!renameBoxVisible())
        return;
    platform::Recordset& rs = rsmfimage();
    const std::string newName = paddedVoiceName(platform::toBytes(m_text1->text()));
    // The record the box was opened on, wherever it stands now.
    if (m_renameBookmark == platform::kNoBookmark || !rs.contains(m_renameBookmark)) {
        hideRenameBox();
        return;
    }
    const platform::Value& stored = rs.valueAt(m_renameBookmark, banklib::VoiceListField::Names);
    const std::string oldName =
        paddedVoiceName(std::holds_alternative<std::string>(stored) ? std::get<std::string>(stored) : std::string());
    if (oldName != newName) {
        rs.setValueAt(m_renameBookmark, banklib::VoiceListField::Names, newName);
        changed();
    }
    m_startingName = newName;
    hideRenameBox();
    const std::int32_t voice = rs.positionOf(m_renameBookmark);
    if (voice >= 1 && platform::BankCountForPatches(voice) == m_scroll->value())
        m_list->setText(platform::PatchNumberInBank(voice) - 1, platform::fromBytes(newName));
    emit voiceRenamed(voice, m_renameBookmark, platform::fromBytes(oldName), platform::fromBytes(newName));
}

void frmVoiceList::Text1_Escape()
{
    if (paddedVoiceName(platform::toBytes(m_text1->text())) == m_startingName) {
        hideRenameBox();
        if (m_currentVoice >= 1)
            (void)m_objNames.TrReset(m_currentVoice, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
        m_lastClickedVoice = 0;
        std::int32_t bank = m_scroll->value();
        UpdateListBoxPage(bank, true, -1);
        emit selectionChanged();
    } else {
        // A second Esc closes the box.
        m_text1->setText(platform::fromBytes(m_startingName));
        m_text1->selectAll();
    }
}

bool frmVoiceList::Text1_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (!isNavigationKey(key) || !(modifiers & Qt::ShiftModifier))
        return false;
    commitRename();
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(m_list, &press);
    return true;
}

void frmVoiceList::Text1_DblClick()
{
    commitRename();
    List1_DblClick();
}

void frmVoiceList::startRenameTest()
{
    const std::int32_t voice = m_currentVoice;
    m_renameTimer->start(kRenameDelayMs, [this, voice] { renameTimedOut(voice); });
}

void frmVoiceList::renameTimedOut(std::int32_t voice)
{
    if (voice != m_currentVoice || voice < 1 || voice > m_voiceCount ||
        platform::BankCountForPatches(voice) != m_scroll->value())
        return;
    (void)m_objNames.TrReset(voice, m_voiceCount, m_tracker.tr, m_tracker.TotalSelections);
    std::int32_t bank = m_scroll->value();
    UpdateListBoxPage(bank, false, platform::PatchNumberInBank(voice));
    ShowRenameBox(voice - 1);
    emit selectionChanged();
}

// ---------------------------------------------------------------- mouse and keys

void frmVoiceList::List1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    (void)button;
    // A press starts a new click: a double click in the rename box leaves no release here.
    m_suppressRenameTest = false;
    if (DragInProgress)
        return;
    // Each press times a drag afresh (the release that ends a drag never reaches us).
    m_dragArmed = false;
    m_renameTimer->stop();
    if (renameBoxVisible()) {
        commitRename();
        m_renameCommitted = true;
    } else {
        m_renameCommitted = false;
    }
    const std::int32_t voice = GetVoiceNo(pos);
    if (voice == 0) {
        m_currentVoice = 0;
        return;
    }
    m_currentVoice = voice;
    m_shiftHeld = modifiers.testFlag(Qt::ShiftModifier);
    m_ctrlHeld = modifiers.testFlag(Qt::ControlModifier);
    (void)UpDateTracker(m_currentVoice, m_shiftHeld, m_ctrlHeld);
    emit selectionChanged();
    UpdateSelections(0);
    m_list->setCurrentIndex(m_entryUnderPointer);
    SetMenuAndToolbar(true);
}

void frmVoiceList::List1_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos)
{
    (void)modifiers;
    (void)pos;
    m_dragArmed = false;
    // The release that ends a double click neither sends the voice again (its first click
    // did, and its editor does) nor arms the rename box.
    const bool afterDoubleClick = m_suppressRenameTest;
    m_suppressRenameTest = false;
    if (!afterDoubleClick)
        emit voiceAuditionRequested(m_currentVoice, buttonMask(button), true);
    if (m_currentVoice == 0 || button == Qt::RightButton)
        return;
    if (!afterDoubleClick && button == Qt::LeftButton && !m_shiftHeld && !m_ctrlHeld &&
        (m_currentVoice == m_lastClickedVoice || m_tracker.TotalSelections > 1))
        startRenameTest();
    m_lastClickedVoice = m_currentVoice;
    m_currentListIndex = platform::PatchNumberInBank(m_currentVoice) - 1;
}

void frmVoiceList::List1_DblClick()
{
    m_renameTimer->stop();
    m_suppressRenameTest = true;
    if (m_currentVoice < 1)
        return;
    // The double click's first click has sent the voice, and the editor sends it as it
    // becomes the active window: nothing more goes out here.
    emit voiceOpenRequested(m_currentVoice);
}

void frmVoiceList::moveTo(std::int32_t bank, std::int32_t index)
{
    if (bank != m_scroll->value())
        m_scroll->setValue(bank);
    m_list->setCurrentIndex(index);
}

bool frmVoiceList::List1_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    m_shiftHeld = modifiers.testFlag(Qt::ShiftModifier);
    m_ctrlHeld = modifiers.testFlag(Qt::ControlModifier);
    m_renameTimer->stop();
    const std::int32_t b = m_scroll->value();
    const std::int32_t i = std::max(m_list->currentIndex(), 0);
    const std::int32_t last = bankCount();
    const std::int32_t lastEntry = lastEntryOfLastBank();
    switch (key) {
    case Qt::Key_PageUp:
        if (b >= 2)
            moveTo(b - 1, i);
        return true;
    case Qt::Key_PageDown:
        if (b < last)
            moveTo(b + 1, b + 1 == last ? std::min(i, lastEntry) : i);
        return true;
    case Qt::Key_Home:
        moveTo(m_ctrlHeld ? 1 : b, 0);
        return true;
    case Qt::Key_End: {
        const std::int32_t bank = m_ctrlHeld ? last : b;
        moveTo(bank, bank == last ? lastEntry : kVoicesPerBank - 1);
        return true;
    }
    case Qt::Key_Up:
        if (i == 0 && b >= 2) {
            moveTo(b - 1, kVoicesPerBank - 1);
            return true;
        }
        return false;
    case Qt::Key_Down:
        if (i == kVoicesPerBank - 1 && b < last) {
            moveTo(b + 1, 0);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (i < VoiceListBox::kRows && b >= 2) {
            moveTo(b - 1, i + VoiceListBox::kRows);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (i >= VoiceListBox::kRows && b < last) {
            const std::int32_t next = i - VoiceListBox::kRows;
            moveTo(b + 1, b + 1 == last ? std::min(next, lastEntry) : next);
            return true;
        }
        return false;
    default: return false;
    }
}

void frmVoiceList::List1_KeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (!isNavigationKey(key) || m_list->currentIndex() < 0)
        return;
    const std::int32_t voice = (m_scroll->value() - 1) * kVoicesPerBank + m_list->currentIndex() + 1;
    emit voiceAuditionRequested(voice, shiftMask(modifiers), false);
}

void frmVoiceList::HScroll1_Change(int value)
{
    if (Updating)
        return;
    std::int32_t bank = value;
    UpdateListBoxPage(bank, true, -1);
}

void frmVoiceList::Label1_Click() { ShowFileInfo(!m_infoShown); }

QLabel* frmVoiceList::Label1(int index) const
{
    if (index == 0)
        return m_header;
    return index >= 1 && index <= 5 ? m_label1[static_cast<std::size_t>(index)] : nullptr;
}

QLabel* frmVoiceList::Label2(int index) const
{
    return index >= 1 && index <= 5 ? m_label2[static_cast<std::size_t>(index)] : nullptr;
}

bool frmVoiceList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_header && event->type() == QEvent::MouseButtonRelease) {
        Label1_Click();
        return true;
    }
    if (watched == m_text1) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                commitRename();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                Text1_Escape();
                return true;
            }
            return Text1_KeyDown(key->key(), key->modifiers());
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            Text1_DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- closing

bool frmVoiceList::unload()
{
    if (m_unloaded)
        return true;
    if (!m_loaded) {
        // Never shown (its file could not be read): nothing to ask.
        m_unloaded = true;
        (void)m_objNames.FileClose(*this);
        emit unloaded();
        deleteLater();
        return true;
    }
    if (m_subWindow)
        m_subWindow->close();
    else
        close();
    return m_unloaded;
}

void frmVoiceList::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    // Closing under a wait or a long operation would pull the list from under it: the
    // close runs once the operation has ended.
    if (closeWhenIdle(*this, *event, [this] { (void)unload(); }))
        return;
    // A duplicate search or grouping works on this list, or its save question is open.
    if (banklib::catalogueRunList() == this || m_unloading) {
        event->ignore();
        return;
    }
    m_unloading = true;
    const bool ok = Form_QueryUnload();
    m_unloading = false;
    if (!ok) {
        event->ignore();
        if (frmStartup* main = frmStartup::instance())
            main->setUnloadCancelled(true);
        return;
    }
    Form_Unload();
    event->accept();
}

bool frmVoiceList::Form_QueryUnload()
{
    if (m_queryUnload && !m_queryUnload(*this))
        return false;
    return !m_objNames.FileSave(false, true, this);
}

void frmVoiceList::Form_Unload()
{
    m_renameTimer->stop();
    hideRenameBox();
    m_unloaded = true;
    (void)m_objNames.FileClose(*this);
    emit unloaded();
    SetMenuAndToolbar(false);
}

}  // namespace shell
