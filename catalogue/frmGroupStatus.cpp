// Brevane - the progress window of a grouping run.
#include "catalogue/frmGroupStatus.h"

#include "catalogue/DialogPlacement.h"
#include "shell/LoadedDialog.h"

#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace shell {
namespace {

LoadedDialog<frmGroupStatus> g_instance;
std::function<void()> g_cancelHandler;

constexpr double kLeftFraction = 0.4;
constexpr double kTopFraction = 0.01;
constexpr int kBarWidth = 280;

}  // namespace

frmGroupStatus* frmGroupStatus::instance() { return g_instance.get(); }

frmGroupStatus& frmGroupStatus::load(QWidget* mainWindow)
{
    return g_instance.load([mainWindow] { return new frmGroupStatus(mainWindow); },
                           [mainWindow](frmGroupStatus& window) {
                               window.adjustSize();
                               placeOverMainWindow(window, mainWindow, kLeftFraction, kTopFraction);
                           });
}

void frmGroupStatus::unload() { g_instance.unloadNow(); }

void frmGroupStatus::setCancelHandler(std::function<void()> handler) { g_cancelHandler = std::move(handler); }

frmGroupStatus::frmGroupStatus(QWidget* mainWindow) : CancelOnCloseDialog(mainWindow)
{
    setObjectName(QStringLiteral("frmGroupStatus"));
    setWindowTitle(QStringLiteral("Processing File"));
    setModal(false);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(kBarWidth);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
}

void frmGroupStatus::CancelButton_Click()
{
    if (g_cancelHandler)
        g_cancelHandler();
}

}  // namespace shell
