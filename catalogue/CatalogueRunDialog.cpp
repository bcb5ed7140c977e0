// Brevane - what the duplicate-search and the grouping dialog share.
#include "catalogue/CatalogueRunDialog.h"

#include "banklib/AppState.h"
#include "banklib/VoiceListRegistry.h"
#include "banklib/VoiceListView.h"
#include "catalogue/DialogPlacement.h"
#include "platform/Services.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace shell {
namespace {

constexpr double kLeftFraction = 0.375;
constexpr int kTopTwips = 25;

}  // namespace

CatalogueRunDialog::CatalogueRunDialog(QWidget* mainWindow, const char* helpTopic)
    : CancelOnCloseDialog(mainWindow), m_mainWindow(mainWindow), m_helpTopic(helpTopic)
{
    setModal(false);
}

banklib::VoiceListView* CatalogueRunDialog::TargetList() const
{
    return m_targetId.empty() ? nullptr : banklib::appState().colVoiceLists().Item(m_targetId);
}

void CatalogueRunDialog::setTargetList(banklib::VoiceListView& list) { m_targetId = list.ListID(); }

void CatalogueRunDialog::Command1_Click() { platform::help().showHelp(m_helpTopic); }

QVBoxLayout* CatalogueRunDialog::addButtonColumn()
{
    m_ok = new QPushButton(QStringLiteral("Search"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);
    m_help = new QPushButton(QStringLiteral("Help"), this);
    m_help->setObjectName(QStringLiteral("Command1"));
    m_help->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    connect(m_help, &QPushButton::clicked, this, [this] { Command1_Click(); });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_help);
    buttons->addStretch(1);
    return buttons;
}

void CatalogueRunDialog::placeOverMainWindow()
{
    adjustSize();
    shell::placeOverMainWindow(*this, m_mainWindow, kLeftFraction, 0.0, kTopTwips / kDialogTwipsPerPixel);
}

void CatalogueRunDialog::askToStop(const char* question, bool& cancel, const std::function<void()>& closeProgress)
{
    if (CancelSearch) {
        const platform::MsgAnswer answer = platform::messages().messageBox(
            question, platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "Search Interrupted");
        if (answer == platform::MsgAnswer::Yes) {
            closeProgress();
            cancel = true;
        }
    }
    CancelSearch = false;
}

}  // namespace shell
