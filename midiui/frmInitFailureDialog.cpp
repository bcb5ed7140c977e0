// Brevane - the dialog shown when synthesizer detection found nothing.
#include "midiui/frmInitFailureDialog.h"

#include "midi/MidiSetupRules.h"
#include "midiui/MidiDialogPlacement.h"
#include "platform/Latin1.h"
#include "shell/ShellHelpers.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace shell {

frmInitFailureDialog::frmInitFailureDialog(midi::clsMIDIInit& init, QWidget* parent)
    : CancelOnCloseDialog(parent), m_init(init)
{
    setObjectName(QStringLiteral("frmInitFailureDialog"));
    setWindowTitle(QStringLiteral("  Initialisation Failure"));
    setModal(true);
    setWindowModality(Qt::ApplicationModal);
    auto* frame = new QGroupBox(this);
    auto* frameLayout = new QVBoxLayout(frame);
    m_text1 = new QPlainTextEdit(frame);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setReadOnly(true);
    QString text = platform::fromBytes(midi::failureDialogText(m_init));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text1->setPlainText(text);
    m_text1->setMinimumSize(460, 300);
    frameLayout->addWidget(m_text1);

    const CommandButton buttons[] = {{"&Work Offline", "Closes MIDI devices"},
                                     {"&Skip Initialisation", "Skip Download of Patch Bank"},
                                     {"&Retry", "Repeats download"},
                                     {"&Cancel", "Abandons initialisation"}};
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    addCommandButtons(*this, *row, buttons, m_command1, [this](int i) { Command1_Click(i); });
    m_command1[2]->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(row);
    centreOverMainWindow(*this, parent);
}

void frmInitFailureDialog::Command1_Click(int index)
{
    midi::applyFailureButton(m_init, static_cast<midi::FailureButton>(std::clamp(index, 0, 3)));
    done(index == 3 ? QDialog::Rejected : QDialog::Accepted);
}

}  // namespace shell
