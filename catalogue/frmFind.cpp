// Brevane - the Find window.
#include "catalogue/frmFind.h"

#include "banklib/AppState.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/VbText.h"
#include "shell/HelpTopics.h"
#include "shell/LoadedDialog.h"
#include "shell/WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace shell {
namespace {

LoadedDialog<frmFind> g_instance;

constexpr double kLeftFraction = 3.0 / 8.0;
// Directions of the engine: 0 all, 1 up, 2 down.
constexpr int kDirections = 3;

// The 1-based registry position of a list; 0 when it is not registered.
std::int32_t positionOf(banklib::VoiceListRegistry& registry, const banklib::VoiceListView* list)
{
    std::int32_t position = 0;
    for (banklib::VoiceListView* open : registry.lists()) {
        ++position;
        if (open == list)
            return position;
    }
    return 0;
}

// The name of voice n (1-based) of a list without its trailing blanks; "" when there is
// no such voice.
std::string voiceName(banklib::VoiceListView& list, std::int32_t n)
{
    platform::Recordset rs = list.rsmfimage().clone();
    if (n < 1 || n > rs.recordCount())
        return {};
    rs.setAbsolutePosition(n);
    return platform::RTrim(rs.text(banklib::VoiceListField::Names));
}

}  // namespace

frmFind* frmFind::instance() { return g_instance.get(); }

frmFind& frmFind::load(QWidget* mainWindow)
{
    return g_instance.load([mainWindow] { return new frmFind(mainWindow); }, &frmFind::Form_Load);
}

void frmFind::unload()
{
    // The window may be unloaded from one of its own buttons; its search state goes with it.
    g_instance.unloadLater();
}

frmFind::frmFind(QWidget* mainWindow) : QDialog(mainWindow), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);

    m_label1[0] = new QLabel(QStringLiteral("Find What:"), this);
    m_label1[1] = new QLabel(QStringLiteral("Direction:"), this);
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMinimumWidth(m_text1->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWWWWW")));
    m_text1->installEventFilter(this);
    m_label1[0]->setBuddy(m_text1);
    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_label1[1]->setBuddy(m_combo1);
    m_check1 = new QCheckBox(QStringLiteral("Use &Pattern Matching"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));

    auto* frame1 = new QGroupBox(QStringLiteral("Search"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* frameLayout = new QVBoxLayout(frame1);
    m_option1[0] = new QRadioButton(QStringLiteral("&Current List"), frame1);
    m_option1[1] = new QRadioButton(QStringLiteral("&All Lists"), frame1);
    for (std::size_t i = 0; i < m_option1.size(); ++i) {
        m_option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        frameLayout->addWidget(m_option1[i]);
    }
    m_option1[0]->setChecked(true);

    const char* captions[] = {"Find Next", "Cancel", "Help"};
    auto* buttons = new QVBoxLayout;
    for (std::size_t i = 0; i < m_command1.size(); ++i) {
        m_command1[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
        m_command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        m_command1[i]->setAutoDefault(false);
        const int index = static_cast<int>(i);
        connect(m_command1[i], &QPushButton::clicked, this, [this, index] { Command1_Click(index); });
        buttons->addWidget(m_command1[i]);
    }
    m_command1[kFindNext]->setDefault(true);
    buttons->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(m_label1[0], 0, 0);
    grid->addWidget(m_text1, 0, 1);
    grid->addWidget(m_label1[1], 1, 0);
    grid->addWidget(m_combo1, 1, 1);
    grid->addWidget(m_check1, 2, 0, 1, 2);
    grid->addWidget(frame1, 3, 0, 1, 2);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
}

void frmFind::Form_Load()
{
    banklib::AppState& app = banklib::appState();
    // Searching all lists is offered when there is more than one.
    const bool several = app.colVoiceLists().count() >= 2;
    m_option1[1]->setEnabled(several);
    m_option1[several ? 1 : 0]->setChecked(true);

    m_combo1->addItems({QStringLiteral("All"), QStringLiteral("Up"), QStringLiteral("Down")});
    m_combo1->setCurrentIndex(0);

    m_text1->clear();
    if (banklib::VoiceListView* active = app.activeWindow().list; active != nullptr && active->CurrentVoice() > 0)
        m_text1->setText(platform::fromBytes(voiceName(*active, active->CurrentVoice())));

    adjustSize();
    if (m_mainWindow != nullptr) {
        // Three eighths across the main window, centred on it from top to bottom.
        const QRect main = m_mainWindow->frameGeometry();
        const int height = shell::frameSize(*this, m_mainWindow).height();
        const QPoint corner(main.left() + static_cast<int>(kLeftFraction * main.width()),
                            main.top() + (main.height() - height) / 2);
        shell::placeFrame(*this, corner, m_mainWindow);
    }
    m_text1->setFocus();
}

void frmFind::setSearchListNo(std::int32_t position)
{
    m_searchListNo = position;
    banklib::VoiceListView* list = banklib::appState().colVoiceLists().Item(position);
    m_startListId = list != nullptr ? list->ListID() : std::string();
}

banklib::VoiceListView* frmFind::startList(std::int32_t& position)
{
    banklib::AppState& app = banklib::appState();
    banklib::VoiceListRegistry& registry = app.colVoiceLists();
    if (!m_startListId.empty()) {
        if (banklib::VoiceListView* list = registry.Item(m_startListId)) {
            position = positionOf(registry, list);
            return list;
        }
    }
    // The start list has closed: the search starts in the active list instead.
    if (banklib::VoiceListView* active = app.activeWindow().list) {
        position = positionOf(registry, active);
        if (position > 0) {
            m_startListId = active->ListID();
            return active;
        }
    }
    return nullptr;
}

void frmFind::FindNext()
{
    if (m_finding)
        return;
    std::int32_t position = 0;
    banklib::VoiceListView* list = startList(position);
    if (list == nullptr)
        return;
    m_searchListNo = position;
    const bool allLists = !m_option1[0]->isChecked();
    const bool patternMatching = m_check1->isChecked();
    const auto direction = static_cast<std::int16_t>(std::clamp(m_combo1->currentIndex(), 0, kDirections - 1));
    const std::int32_t page = list->bankPage();
    const std::int32_t current = list->CurrentVoice();
    if (!m_search)
        m_search = std::make_unique<banklib::clsVoiceNames>();
    m_finding = true;
    m_search->FindVoice(platform::toBytes(m_text1->text()), position, page, current, allLists, patternMatching,
                        direction);
    m_finding = false;
}

void frmFind::Command1_Click(int index)
{
    switch (index) {
    case kFindNext: FindNext(); break;
    case kCancel: unload(); break;
    case kHelp: platform::help().showHelp(dialogHelpTopic(DialogHelp::Find)); break;
    default: break;
    }
}

void frmFind::reject() { Command1_Click(kCancel); }

void frmFind::closeEvent(QCloseEvent* event)
{
    event->ignore();
    unload();
}

bool frmFind::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the find box runs Find Next and goes no further.
    if (watched == m_text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Command1_Click(kFindNext);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace shell
