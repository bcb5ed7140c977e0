// Brevane - how to make a first-model DX7 send its bank by hand.
#include "midiui/frmDX7MKIInit.h"

#include "midi/MidiSetupRules.h"
#include "midiui/MidiDialogPlacement.h"
#include "shell/ShellHelpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace shell {
namespace {

constexpr const char* kSteps[] = {
    "1.   Press the MEMORY PROTECT INTERNAL button on the DX7's front panel.",
    "2.   Press  the - (Off/No) Data Entry button.",
    "3.   Press the FUNCTION and 8 buttons to display the current MIDI receive channel.",
    "4.   Set the MIDI receive to Channel 1 using the Data Entry Slider",
    "5.   Press Button 8 again. The DX7's screen should now display SYS INFO AVAIL.",
    "6.   If the screen shows SYSINFO UNAVAIL press the + (On/Yes) Data Entry Button.",
    "7.   Press 8 for a third time and the message MIDI TRANSMIT? will appear.",
    "YOU'RE READY TO SEND !",
    "8.  Press the Ready To Send button, and then the +(On/Yes) Data Entry button",
    "     on the DX7's panel to start the download.",
    "    (If you need more time to complete the download, you can change the Timeout",
    "     setting. Go to the Tools/Options Menu and select MIDI.)",
};

}  // namespace

frmDX7MKIInit::frmDX7MKIInit(midi::clsMIDIInit& init, QWidget* parent) : CancelOnCloseDialog(parent), m_init(init)
{
    setObjectName(QStringLiteral("frmDX7MKIInit"));
    setWindowTitle(QStringLiteral("Brevane"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Follow the instructions below to setup your DX7 to send a patch dump"),
                                 this));
    QStringList lines;
    for (const char* line : kSteps)
        lines << QString::fromLatin1(line);
    m_steps = new QLabel(lines.join(QLatin1Char('\n')), this);
    m_steps->setObjectName(QStringLiteral("Text2"));
    m_steps->setTextFormat(Qt::PlainText);
    m_steps->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_steps);

    const CommandButton buttons[] = {{"&Ready to Send", "Starts Manual Download "},
                                     {"&Skip Initialisation", "Abandons Download - MIDI Devices remain open"},
                                     {"&Cancel", "Reverts to previous MIDI settings"}};
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    addCommandButtons(*this, *row, buttons, m_command1, [this](int i) { Command1_Click(i); });
    m_command1[0]->setDefault(true);
    layout->addLayout(row);
    centreOverMainWindow(*this, parent);
}

void frmDX7MKIInit::Command1_Click(int index)
{
    midi::applyMkIButton(m_init, static_cast<midi::MkIButton>(std::clamp(index, 0, 2)));
    done(index == 2 ? QDialog::Rejected : QDialog::Accepted);
}

}  // namespace shell
