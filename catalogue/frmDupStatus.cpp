// Brevane - the progress window of a duplicate search.
#include "catalogue/frmDupStatus.h"

#include "banklib/CatalogueDialogs.h"
#include "catalogue/DialogPlacement.h"
#include "platform/VbText.h"
#include "shell/LoadedDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace shell {
namespace {

LoadedDialog<frmDupStatus> g_instance;
std::function<void()> g_cancelHandler;

constexpr const char* kCaptions[frmDupStatus::kRows] = {
    "Current Voice", "Remaining to Search", "Duplicates Found", "Duplicates Deleted", "Total Patches at Start",
    "Total Patches Now"};
constexpr double kLeftFraction = 0.4;
constexpr double kTopFraction = 0.01;

}  // namespace

frmDupStatus* frmDupStatus::instance() { return g_instance.get(); }

frmDupStatus& frmDupStatus::load(QWidget* mainWindow)
{
    return g_instance.load([mainWindow] { return new frmDupStatus(mainWindow); },
                           [mainWindow](frmDupStatus& window) {
                               window.adjustSize();
                               placeOverMainWindow(window, mainWindow, kLeftFraction, kTopFraction);
                           });
}

void frmDupStatus::unload() { g_instance.unloadNow(); }

void frmDupStatus::setCancelHandler(std::function<void()> handler) { g_cancelHandler = std::move(handler); }

frmDupStatus::frmDupStatus(QWidget* mainWindow) : CancelOnCloseDialog(mainWindow)
{
    setObjectName(QStringLiteral("frmDupStatus"));
    setWindowTitle(QStringLiteral("Searching for Duplicates..."));
    setModal(false);
    auto* grid = new QGridLayout;
    for (int row = 0; row < kRows; ++row) {
        auto* caption = new QLabel(QString::fromLatin1(kCaptions[row]), this);
        caption->setObjectName(QStringLiteral("Label1_%1").arg(row));
        auto* value = new QLabel(QStringLiteral("0"), this);
        value->setObjectName(QStringLiteral("Label2_%1").arg(row));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000,000,000")));
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
        m_label1[static_cast<std::size_t>(row)] = caption;
        m_label2[static_cast<std::size_t>(row)] = value;
    }
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    setFinalRowsVisible(false);
}

void frmDupStatus::showReport(const banklib::DuplicateProgress& p)
{
    const bool finalReport = p.SearchedVoice == p.TotalAtStart;
    setValue(kRowCurrentVoice, p.SearchedVoice);
    setValue(kRowFound, p.DupFound);
    setValue(kRowRemaining, p.TotalNow - p.SearchedVoice);
    setFinalRowsVisible(finalReport);
    if (finalReport)
        setValue(kRowDeleted, p.DupDeleted);
    setValue(kRowTotalAtStart, p.TotalAtStart);
    setValue(kRowTotalNow, p.TotalNow);
}

void frmDupStatus::setValue(int row, std::int32_t value)
{
    if (row < 0 || row >= kRows)
        return;
    m_label2[static_cast<std::size_t>(row)]->setText(QString::fromStdString(platform::Format(value, "###,###,##0")));
}

void frmDupStatus::setFinalRowsVisible(bool visible)
{
    for (int row : {kRowDeleted, kRowTotalNow}) {
        m_label1[static_cast<std::size_t>(row)]->setVisible(visible);
        m_label2[static_cast<std::size_t>(row)]->setVisible(visible);
    }
}

bool frmDupStatus::finalRowsVisible() const { return !m_label1[kRowDeleted]->isHidden(); }

void frmDupStatus::CancelButton_Click()
{
    if (g_cancelHandler)
        g_cancelHandler();
}

}  // namespace shell
