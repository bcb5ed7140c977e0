// Brevane - the device choice dialog of the MIDI set-up.
#include "midiui/frmMidiConfigure.h"

#include "midi/MidiSetupRules.h"
#include "midiui/MidiDialogPlacement.h"
#include "platform/Latin1.h"
#include "platform/Services.h"
#include "shell/HelpTopics.h"
#include "shell/ShellHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace shell {

frmMidiConfigure::frmMidiConfigure(midi::clsMIDIInit& init, midi::DeviceChoiceLists lists, bool synthTypeChosen,
                                   QWidget* parent)
    : CancelOnCloseDialog(parent), m_init(init), m_lists(std::move(lists)), m_synthTypeChosen(synthTypeChosen)
{
    setObjectName(QStringLiteral("frmMidiConfigure"));
    setWindowTitle(QStringLiteral("  Please select MIDI devices to use with Brevane"));
    setModal(true);
    OutputDeviceID = m_lists.OutputDeviceID;
    InputDeviceID = m_lists.InputDeviceID;

    auto* grid = new QGridLayout;
    const char* labels[2] = {"MIDI Output", "MIDI Input"};
    const std::vector<std::string>* entries[2] = {&m_lists.outputs, &m_lists.inputs};
    for (int list = 0; list < 2; ++list) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("Combo1_%1").arg(list));
        combo->setMinimumContentsLength(32);
        for (const std::string& name : *entries[list])
            combo->addItem(platform::fromBytes(name));
        m_combo1[static_cast<std::size_t>(list)] = combo;
        grid->addWidget(new QLabel(QString::fromLatin1(labels[list]), this), list, 0);
        grid->addWidget(combo, list, 1);
    }
    m_check1 = new QCheckBox(QStringLiteral("&Skip Initialisation"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setChecked(m_init.SkipMIDIInit());

    const CommandButton captions[] = {{"&OK"}, {"&Cancel"}, {"&Help"}};
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_check1);
    buttons->addStretch(1);
    addCommandButtons(*this, *buttons, captions, m_command1, [this](int i) { Command1_Click(i); });
    m_command1[0]->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    // The program's selections count as changes, as a click would.
    for (int list = 0; list < 2; ++list) {
        QComboBox* combo = m_combo1[static_cast<std::size_t>(list)];
        const int selected = list == 0 ? m_lists.outputSelected : m_lists.inputSelected;
        combo->setCurrentIndex(std::clamp(selected, 0, std::max(0, combo->count() - 1)));
        Combo1_Click(list);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, list] { Combo1_Click(list); });
    }
    connect(m_check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    // The title says what the dialog asks for: its title bar shows it whole.
    setMinimumWidth(std::max(minimumSizeHint().width(), titleBarWidth(*this)));
    centreOverMainWindow(*this, parent);
}

void frmMidiConfigure::Combo1_Click(int list)
{
    const int changed = m_combo1[static_cast<std::size_t>(list)]->currentIndex();
    const int other = m_combo1[static_cast<std::size_t>(1 - list)]->currentIndex();
    const midi::SkipBoxState box = midi::skipBoxAfterListChange(
        changed, other, m_synthTypeChosen, m_init.SkipMIDIInit(), {m_check1->isChecked(), m_check1->isEnabled()});
    m_check1->setChecked(box.checked);
    m_check1->setEnabled(box.enabled);
}

void frmMidiConfigure::Check1_Click() { m_init.setSkipMIDIInit(m_check1->isChecked()); }

void frmMidiConfigure::Command1_Click(int index)
{
    switch (index) {
    case 0:
        if (midi::applyDeviceChoice(m_init, m_lists, m_combo1[0]->currentIndex(), m_combo1[1]->currentIndex(),
                                    m_check1->isChecked()) == midi::DeviceChoice::MapperBusy)
            return;
        OutputDeviceID = m_init.outputIdForEntry(m_combo1[0]->currentIndex());
        InputDeviceID = m_init.inputIdForEntry(m_combo1[1]->currentIndex());
        done(QDialog::Accepted);
        break;
    case 1:
        m_init.InitCancelled = true;
        done(QDialog::Rejected);
        break;
    case 2: platform::help().showHelp(dialogHelpTopic(DialogHelp::MidiDevices)); break;
    default: break;
    }
}

}  // namespace shell
