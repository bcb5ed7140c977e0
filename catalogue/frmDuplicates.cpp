// Brevane - the duplicate-search dialog and its progress handler.
#include "catalogue/frmDuplicates.h"

#include "banklib/CatalogueDialogs.h"
#include "catalogue/frmContinueSearchDlg.h"
#include "catalogue/frmDupStatus.h"
#include "platform/Services.h"
#include "shell/HelpTopics.h"
#include "shell/LoadedDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shell {
namespace {

LoadedDialog<frmDuplicates> g_instance;

constexpr const char* kMatchCaptions[] = {
    "Duplicate voice patch &names only", "Duplicate voice patches - all data/&checksum",
    "Duplicate voice patches - all &data/CRC", "Duplicate voice data - &exc.names/CRC"};
constexpr const char* kScopeCaptions[] = {"All &voice patches in file", "C&urrent voice selection",
                                          "All voice patches in current  &bank"};

int checkedIndex(const auto& buttons)
{
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            return static_cast<int>(i);
    return 0;
}

}  // namespace

frmDuplicates* frmDuplicates::instance() { return g_instance.get(); }

frmDuplicates& frmDuplicates::load(QWidget* mainWindow)
{
    // The progress window's Cancel asks the loaded dialog's search to stop.
    frmDupStatus::setCancelHandler([] {
        if (frmDuplicates* dialog = instance())
            dialog->CancelSearch = true;
    });
    return g_instance.load([mainWindow] { return new frmDuplicates(mainWindow); }, &frmDuplicates::Form_Load);
}

void frmDuplicates::unload() { unloadWhenIdle(g_instance); }

frmDuplicates::frmDuplicates(QWidget* mainWindow)
    : CatalogueRunDialog(mainWindow, dialogHelpTopic(DialogHelp::Duplicates))
{
    setObjectName(QStringLiteral("frmDuplicates"));
    setWindowTitle(QStringLiteral("Search for Duplicate Voice Patches"));

    auto* frame1 = new QGroupBox(QStringLiteral("Search for ...      "), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* frame1Layout = new QVBoxLayout(frame1);
    for (std::size_t i = 0; i < m_option1.size(); ++i) {
        m_option1[i] = new QRadioButton(QString::fromLatin1(kMatchCaptions[i]), frame1);
        m_option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        frame1Layout->addWidget(m_option1[i]);
    }
    m_option1[1]->setChecked(true);

    auto* frame2 = new QGroupBox(QStringLiteral("Include in Search  ...      "), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    auto* frame2Layout = new QVBoxLayout(frame2);
    for (std::size_t i = 0; i < m_option2.size(); ++i) {
        m_option2[i] = new QRadioButton(QString::fromLatin1(kScopeCaptions[i]), frame2);
        m_option2[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        frame2Layout->addWidget(m_option2[i]);
        const int index = static_cast<int>(i);
        connect(m_option2[i], &QRadioButton::clicked, this, [this, index] { Option2_Click(index); });
    }
    m_option2[0]->setChecked(true);

    m_check1 = new QCheckBox(QStringLiteral("&Automatically delete duplicates"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setChecked(true);
    m_check2 = new QCheckBox(QStringLiteral("&Sort voices first"), this);
    m_check2->setObjectName(QStringLiteral("Check2"));
    m_check2->setChecked(true);

    auto* note = new QLabel(QStringLiteral("Note: Searches on sorted lists are faster."), this);
    note->setObjectName(QStringLiteral("Label1"));
    auto* seeHelp = new QLabel(QStringLiteral("See Help for further information"), this);
    seeHelp->setObjectName(QStringLiteral("Label2"));

    QVBoxLayout* buttons = addButtonColumn();
    auto* options = new QVBoxLayout;
    options->addWidget(frame1);
    options->addWidget(frame2);
    options->addWidget(m_check1);
    options->addWidget(m_check2);
    options->addWidget(note);
    options->addWidget(seeHelp);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(options, 1);
    layout->addLayout(buttons);
}

void frmDuplicates::Form_Load()
{
    m_objNames = std::make_unique<banklib::clsVoiceNames>();
    m_objNames->SearchStatus = [this](std::int32_t v1, std::int32_t v2, std::int32_t v3, std::int32_t v4,
                                      std::int32_t v5, bool& cancel) {
        objNames_SearchStatus(v1, v2, v3, v4, v5, cancel);
    };
    placeOverMainWindow();
}

banklib::DuplicateOptions frmDuplicates::options() const
{
    banklib::DuplicateOptions o;
    o.Option1 = checkedIndex(m_option1);
    o.Option2 = checkedIndex(m_option2);
    o.Check1 = m_check1->isChecked() ? 1 : 0;
    o.Check2 = m_check2->isChecked() ? 1 : 0;
    return o;
}

void frmDuplicates::Option2_Click(int index)
{
    // Sorting first is offered only for a whole-file search.
    const bool wholeFile = index == 0;
    m_check2->setChecked(wholeFile);
    m_check2->setEnabled(wholeFile);
}

void frmDuplicates::OKButton_Click()
{
    if (m_running)
        return;
    banklib::VoiceListView* list = TargetList();
    if (list == nullptr) {
        // The list closed under the dialog: there is nothing left to search.
        unload();
        return;
    }
    if (m_option2[0]->isChecked())
        hide();
    m_running = true;
    CancelSearch = false;
    m_repaint.reset();
    m_objNames->SearchDuplicates(*list);
    m_running = false;
    frmDupStatus::unload();
    // "Continue Search Until End of Range" holds for one search: the next one asks again.
    frmContinueSearchDlg::unload();
    if (m_unloadAfterRun)
        unload();
}

void frmDuplicates::CancelButton_Click() { unload(); }

void frmDuplicates::objNames_SearchStatus(std::int32_t value1, std::int32_t value2, std::int32_t value3,
                                          std::int32_t value4, std::int32_t value5, bool& Cancel)
{
    const bool finalReport = value1 == value2;
    if (finalReport || m_repaint.due()) {
        frmDupStatus::load(mainWindow()).showReport({value1, value2, value3, value4, value5});
        platform::eventLoop().processEvents(0);
    }
    askToStop("Are you sure you want to stop this search ?", Cancel, [] { frmDupStatus::unload(); });
}

}  // namespace shell
