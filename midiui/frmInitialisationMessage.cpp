// Brevane - the synthesizer type dialog of the MIDI set-up.
#include "midiui/frmInitialisationMessage.h"

#include "midi/MidiSetupRules.h"
#include "midiui/MidiDialogPlacement.h"
#include "shell/ShellHelpers.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shell {

frmInitialisationMessage::frmInitialisationMessage(midi::clsMIDIInit& init, std::optional<std::int32_t>& synthId,
                                                   QWidget* parent)
    : CancelOnCloseDialog(parent), m_init(init), m_synthId(synthId)
{
    setObjectName(QStringLiteral("frmInitialisationMessage"));
    setWindowTitle(QStringLiteral("Brevane"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Which DX/TX are you using?"), this));
    auto* frame = new QGroupBox(this);
    auto* options = new QVBoxLayout(frame);
    const char* captions[3] = {
        "     &MkI \"Original\" DX7",
        "     TX&7, TX816 or any other \"first series\" DX/TX",
        "     M&kII DX7, TX802 or any other \"second series\" DX/TX",
    };
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(captions[i]), frame);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_option1[static_cast<std::size_t>(i)] = option;
        options->addWidget(option);
    }
    layout->addWidget(frame);
    m_option1[static_cast<std::size_t>(midi::synthTypeOptionOnLoad(m_synthId))]->setChecked(true);

    const CommandButton buttons[] = {{"&OK", "Gets patch bank"},
                                     {"&Skip Initialisation", "Skips download of patch bank"},
                                     {"&Cancel", "Revert to previous MIDI settings"}};
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    addCommandButtons(*this, *row, buttons, m_command1, [this](int i) { Command1_Click(i); });
    m_command1[0]->setDefault(true);
    layout->addLayout(row);
    centreOverMainWindow(*this, parent);
}

int frmInitialisationMessage::selectedOption() const
{
    for (int i = 0; i < 3; ++i)
        if (m_option1[static_cast<std::size_t>(i)]->isChecked())
            return i;
    return 0;
}

void frmInitialisationMessage::Command1_Click(int index)
{
    switch (index) {
    case 0: midi::applySynthType(m_init, m_synthId, selectedOption(), false); break;
    case 1: midi::applySynthType(m_init, m_synthId, selectedOption(), true); break;
    default: m_init.InitCancelled = true; break;
    }
    done(index == 2 ? QDialog::Rejected : QDialog::Accepted);
}

}  // namespace shell
