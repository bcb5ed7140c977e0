// Brevane - the continue question of an asking duplicate search.
#include "catalogue/frmContinueSearchDlg.h"

#include "catalogue/DialogPlacement.h"
#include "shell/LoadedDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {
namespace {

LoadedDialog<frmContinueSearchDlg> g_instance;

constexpr double kLeftFraction = 0.5;
constexpr double kTopFraction = 0.3;

}  // namespace

frmContinueSearchDlg* frmContinueSearchDlg::instance() { return g_instance.get(); }

frmContinueSearchDlg& frmContinueSearchDlg::load(QWidget* mainWindow)
{
    return g_instance.load([mainWindow] { return new frmContinueSearchDlg(mainWindow); },
                           [mainWindow](frmContinueSearchDlg& window) {
                               window.adjustSize();
                               placeOnScreen(window, mainWindow, kLeftFraction, kTopFraction);
                           });
}

void frmContinueSearchDlg::unload() { g_instance.unloadNow(); }

frmContinueSearchDlg::frmContinueSearchDlg(QWidget* mainWindow) : CancelOnCloseDialog(mainWindow)
{
    setObjectName(QStringLiteral("frmContinueSearchDlg"));
    setWindowTitle(QStringLiteral("Cancel Search ?"));
    setModal(true);
    auto* question = new QLabel(QStringLiteral("Do You want to continue searching for duplicates ?"), this);
    question->setObjectName(QStringLiteral("Label1"));
    auto* hint = new QLabel(
        QStringLiteral("If you don't want to be asked again for the remainder\n of this search, check the box below"),
        this);
    hint->setObjectName(QStringLiteral("Label2"));
    m_check1 = new QCheckBox(QStringLiteral("Continue Search Until End of Range"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_ok = new QPushButton(QStringLiteral("Yes"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    m_no = new QPushButton(QStringLiteral("No"), this);
    m_no->setObjectName(QStringLiteral("NoButton"));
    m_no->setAutoDefault(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(m_no, &QPushButton::clicked, this, [this] { NoButton_Click(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    connect(m_check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_no);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(hint);
    layout->addWidget(m_check1);
    layout->addLayout(buttons);
}

void frmContinueSearchDlg::ask()
{
    // exec() returns when a button hides the box.
    exec();
}

void frmContinueSearchDlg::OKButton_Click()
{
    StopSearch = false;
    hide();
}

void frmContinueSearchDlg::NoButton_Click()
{
    StopSearch = true;
    hide();
}

void frmContinueSearchDlg::CancelButton_Click()
{
    StopSearch = true;
    hide();
}

void frmContinueSearchDlg::Check1_Click() { DontAskAgain = true; }

}  // namespace shell
