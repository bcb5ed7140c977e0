// Brevane - the grouping dialog and its progress handler.
#include "catalogue/frmGroupPatches.h"

#include "banklib/VoiceListView.h"
#include "catalogue/GroupPatternEdit.h"
#include "catalogue/frmGroupStatus.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/VbText.h"
#include "shell/HelpTopics.h"
#include "shell/LoadedDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shell {
namespace {

LoadedDialog<frmGroupPatches> g_instance;

constexpr int kPercent = 100;
using platform::kCrLf;

}  // namespace

frmGroupPatches* frmGroupPatches::instance() { return g_instance.get(); }

frmGroupPatches& frmGroupPatches::load(QWidget* mainWindow)
{
    // The progress window's Cancel asks the loaded dialog's run to stop.
    frmGroupStatus::setCancelHandler([] {
        if (frmGroupPatches* dialog = instance())
            dialog->CancelSearch = true;
    });
    return g_instance.load([mainWindow] { return new frmGroupPatches(mainWindow); }, &frmGroupPatches::Form_Load);
}

void frmGroupPatches::unload() { unloadWhenIdle(g_instance); }

frmGroupPatches::frmGroupPatches(QWidget* mainWindow)
    : CatalogueRunDialog(mainWindow, dialogHelpTopic(DialogHelp::GroupPatches))
{
    setObjectName(QStringLiteral("frmGroupPatches"));
    setWindowTitle(QStringLiteral("Group Voice Patches"));

    auto* source = new QGroupBox(QStringLiteral(" Source File  ..."), this);
    source->setObjectName(QStringLiteral("Frame1"));
    auto* sourceLayout = new QVBoxLayout(source);
    m_option1[0] = new QRadioButton(QStringLiteral("&Copy Patches"), source);
    m_option1[1] = new QRadioButton(QStringLiteral("&Move Patches"), source);
    auto* scope = new QGroupBox(QStringLiteral("Include in Search  ...      "), this);
    scope->setObjectName(QStringLiteral("Frame2"));
    auto* scopeLayout = new QVBoxLayout(scope);
    m_option2[0] = new QRadioButton(QStringLiteral("&All voice patches in file"), scope);
    m_option2[1] = new QRadioButton(QStringLiteral("C&urrent Selection"), scope);
    for (std::size_t i = 0; i < 2; ++i) {
        m_option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_option2[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        sourceLayout->addWidget(m_option1[i]);
        scopeLayout->addWidget(m_option2[i]);
    }
    m_option1[0]->setChecked(true);
    m_option2[0]->setChecked(true);

    auto* groups = new QGroupBox(QStringLiteral("Include/Search for ...      "), this);
    groups->setObjectName(QStringLiteral("Frame3"));
    auto* grid = new QGridLayout(groups);
    auto* label1 = new QLabel(QStringLiteral("Enter one or two search patterns per Group"), groups);
    label1->setObjectName(QStringLiteral("Label1"));
    grid->addWidget(label1, 0, 0, 1, 2);
    for (int g = 0; g < kGroups; ++g) {
        const auto i = static_cast<std::size_t>(g);
        m_check1[i] = new QCheckBox(QStringLiteral("Group &%1").arg(g + 1), groups);
        m_check1[i]->setObjectName(QStringLiteral("Check1_%1").arg(g));
        m_mask[i] = new GroupPatternEdit(groups);
        m_mask[i]->setObjectName(QStringLiteral("MaskEdBox1_%1").arg(g));
        grid->addWidget(m_check1[i], g + 1, 0);
        grid->addWidget(m_mask[i], g + 1, 1);
        connect(m_check1[i], &QCheckBox::clicked, this, [this, g] { Check1_Click(g); });
    }
    auto* label2 = new QLabel(
        QStringLiteral("Patterns may be up to 10 characters long and can contain wildcard characters,\n"
                       "eg *BASS* will find EL.BASS, BASSIC etc.\nSee Help for further information"),
        this);
    label2->setObjectName(QStringLiteral("Label2"));

    QVBoxLayout* buttons = addButtonColumn();
    auto* left = new QVBoxLayout;
    left->addWidget(source);
    left->addWidget(scope);
    left->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(groups, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(label2);

    m_check1[0]->setChecked(true);
    for (int g = 0; g < kGroups; ++g)
        m_mask[static_cast<std::size_t>(g)]->setGroupEnabled(g == 0);
}

void frmGroupPatches::Form_Load() { placeOverMainWindow(); }

void frmGroupPatches::setTargetList(banklib::VoiceListView& list)
{
    CatalogueRunDialog::setTargetList(list);
    setWindowTitle(platform::fromText("Group Patches in " + list.FileTitle()));
}

frmGroupPatches::Patterns frmGroupPatches::collectPatterns() const
{
    Patterns p;
    for (int g = 0; g < kGroups; ++g) {
        const auto i = static_cast<std::size_t>(g);
        if (!m_check1[i]->isChecked())
            continue;
        const std::string text = m_mask[i]->text();
        std::string first = platform::Trim(platform::Mid(text, 1, GroupPatternEdit::kPatternLength));
        std::string second =
            platform::Trim(platform::Mid(text, GroupPatternEdit::kSecondStart, GroupPatternEdit::kPatternLength));
        // A box that holds nothing but the literal " OR " adds no group.
        if (first.empty() && second.empty())
            continue;
        p.entries.push_back(std::move(first));
        p.entries.push_back(std::move(second));
        p.groups.push_back(g + 1);
    }
    return p;
}

bool frmGroupPatches::movesVoices() const { return m_option1[1]->isChecked(); }

bool frmGroupPatches::currentSelectionOnly() const { return m_option2[1]->isChecked(); }

void frmGroupPatches::Check1_Click(int index)
{
    if (index < 0 || index >= kGroups)
        return;
    const auto i = static_cast<std::size_t>(index);
    m_mask[i]->setGroupEnabled(m_check1[i]->isChecked());
}

void frmGroupPatches::showAgain()
{
    show();
    raise();
    activateWindow();
}

void frmGroupPatches::OKButton_Click()
{
    if (m_running)
        return;
    banklib::VoiceListView* list = TargetList();
    if (list == nullptr) {
        // The list closed under the dialog: there is nothing left to group.
        unload();
        return;
    }
    const Patterns patterns = collectPatterns();
    if (patterns.entries.empty()) {
        (void)platform::messages().messageBox("Please enter a search pattern ", platform::MsgStyle::Information,
                                              "No Search Pattern");
        return;
    }
    const std::string title = list->FileTitle();
    if (currentSelectionOnly() && list->TotalSelections() == 0) {
        (void)platform::messages().messageBox(
            "Please select the voice patches in " + title + " you want to use for this search",
            platform::MsgStyle::Information, "No Voices Selected");
        list->refreshFrame();
        return;
    }

    hide();
    m_running = true;
    CancelSearch = false;
    m_objnames = std::make_unique<banklib::clsVoiceNames>();
    m_objnames->GroupStatus = [this](std::int32_t done, std::int32_t total, bool& cancel) {
        objnames_GroupStatus(done, total, cancel);
    };
    const std::int32_t result = m_objnames->GroupPatches(*list, patterns.entries);
    m_objnames.reset();
    m_running = false;
    if (m_unloadAfterRun) {
        frmGroupStatus::unload();
        unload();
        return;
    }

    if (result < 0) {
        // The engine numbers the groups it was given; the user knows them by the number
        // of their check box, which differs when a group before them is unused.
        const auto index = static_cast<std::size_t>(-result - 1);
        const int group = index < patterns.groups.size() ? patterns.groups[index] : -result;
        (void)platform::messages().messageBox(
            "The Group search could not be completed because there was an error in the search pattern " +
                std::string(" for Group ") + std::to_string(group),
            platform::MsgStyle::Exclamation, "Search String Invalid");
        showAgain();
        return;
    }

    const std::string resultText = result == 0 ? std::string("No matches were found. ")
                                               : std::to_string(result) + " file" + (result == 1 ? "" : "s") +
                                                     " created. ";
    const platform::MsgAnswer answer = platform::messages().messageBox(
        "Search results: " + resultText + kCrLf + kCrLf + "Would you like to create some more Patch Groups from " +
            title + "?",
        platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "Extend Search");
    if (answer == platform::MsgAnswer::Yes) {
        showAgain();
        return;
    }
    frmGroupStatus::unload();
    unload();
}

void frmGroupPatches::CancelButton_Click() { unload(); }

void frmGroupPatches::objnames_GroupStatus(std::int32_t done, std::int32_t total, bool& Cancel)
{
    if (total > 0)
        frmGroupStatus::load(mainWindow()).ProgressBar1()->setValue(done * kPercent / total);
    platform::eventLoop().processEvents(0);
    askToStop("Are You sure you want to stop this search ?", Cancel, [] { frmGroupStatus::unload(); });
}

}  // namespace shell
