// Brevane - the voice-list window: its controls, the bank page it shows, its caption and
// file panel, activation and closing.
#include "voicelist/frmVoiceList.h"

#include "banklib/CatalogueHooks.h"
#include "banklib/VoiceListRecordset.h"
#include "platform/Latin1.h"
#include "platform/StatusHelpers.h"
#include "platform/VbText.h"
#include "shell/ShellHelpers.h"
#include "shell/UpdatingFlag.h"
#include "shell/frmStartup.h"
#include "voicelist/VoiceDrag.h"
#include "voicelist/VoiceListBox.h"

#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QFrame>
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

namespace shell {
namespace {

using platform::kVoicesPerBank;

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr const char* kSizePattern = "#,###,###,##0";

// How often a drag hovering near an edge is looked at again while it does not move.
constexpr int kDragScrollPumpMs = 50;

DeferredCallFactory& deferredCallFactory()
{
    static DeferredCallFactory factory;
    return factory;
}

frmVoiceList::WindowAttacher& windowAttacher()
{
    static frmVoiceList::WindowAttacher attacher;
    return attacher;
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
                const bool copy = dropCopiesVoices(modifiers);
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
    watchVoices();
    if (const WindowAttacher& attach = windowAttacher())
        attach(*this);
}

frmVoiceList::~frmVoiceList()
{
    rsmfimage().setChangeObserver({});
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
            // The frame follows the mark's changes from now on; the mark the list opens
            // with (a temporary list's, set before it had a frame) it is given here.
            m_subWindow->setWindowModified(isWindowModified());
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
    // While the program is away (another program, Alt+Tab, minimised) the list keeps its
    // turn, and a name being typed stays open for when the user comes back.
    m_activation.onSubWindowActivated(*m_area, m_subWindow, window, [this] { Form_Activate(); },
                                      [this] { Form_Deactivate(); });
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

void frmVoiceList::refreshModified()
{
    m_markRefreshPending = false;
    platform::Recordset& rs = rsmfimage();
    if (m_markKnown && m_markedChanges == rs.changeCount() && m_markedSavedCrc == m_savedCrc &&
        m_markedType == m_fileType)
        return;
    m_markKnown = true;
    m_markedChanges = rs.changeCount();
    m_markedSavedCrc = m_savedCrc;
    m_markedType = m_fileType;
    setWindowModified(banklib::clsVoiceNames::HasChanged(*this));
}

void frmVoiceList::scheduleModifiedRefresh()
{
    if (m_markRefreshPending)
        return;
    m_markRefreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QPointer<frmVoiceList> self(this);
            const auto refresh = [self] {
                if (self)
                    self->refreshModified();
            };
            if (frmStartup* main = frmStartup::instance())
                main->runWhenIdle(refresh);
            else
                refresh();
        },
        Qt::QueuedConnection);
}

void frmVoiceList::watchVoices()
{
    const QPointer<frmVoiceList> self(this);
    rsmfimage().setChangeObserver([self] {
        if (self)
            self->scheduleModifiedRefresh();
    });
    m_markKnown = false;
}

void frmVoiceList::setSavedCRC(std::int32_t crc)
{
    m_savedCrc = crc;
    refreshModified();
}

void frmVoiceList::setRsmfimage(platform::Recordset rs)
{
    rsmfimage().setChangeObserver({});
    m_objNames.rsmfimage = std::move(rs);
    watchVoices();
    if (m_loaded)
        refreshModified();
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
    refreshModified();
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
    closeAsUser(*this, m_subWindow);
    return m_unloaded;
}

void frmVoiceList::closeEvent(QCloseEvent* event)
{
    // Closing under a wait or a long operation would pull the list from under it: the
    // close runs once the operation has ended. A duplicate search or grouping working on
    // this list holds it.
    const DocumentCloseResult result = closeDocumentWindow(
        *this, *event, m_unloaded, m_unloading,
        {[this] { (void)unload(); }, [this] { return Form_QueryUnload(); }, [this] { Form_Unload(); },
         banklib::catalogueRunList() == this});
    if (result == DocumentCloseResult::Cancelled) {
        if (frmStartup* main = frmStartup::instance())
            main->setUnloadCancelled(true);
    }
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
