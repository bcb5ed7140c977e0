// Brevane - the progress window of synthesizer detection.
#include "midiui/frmInitStatus.h"

#include "midiui/MidiDialogPlacement.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 90;

}  // namespace

frmInitStatus::frmInitStatus(std::function<void()> interrupt, QWidget* parent)
    : CancelOnCloseDialog(parent), m_interrupt(std::move(interrupt))
{
    setObjectName(QStringLiteral("frmInitStatus"));
    setWindowTitle(QStringLiteral("Initialising"));
    setModal(false);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_command1 = new QPushButton(QStringLiteral("Cancel"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addLayout(row);
    setFixedSize(kWidth, kHeight);
    centreOverMainWindow(*this, parent);
}

void frmInitStatus::Command1_Click()
{
    if (m_interrupt)
        m_interrupt();
}

}  // namespace shell
