// Brevane - the Options dialog.
#include "shell/frmOptions.h"

#include "platform/Latin1.h"
#include "platform/Services.h"
#include "platform/VbText.h"
#include "shell/HelpTopics.h"
#include "shell/ShellHelpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace shell {
namespace {

constexpr int kChannels = 16;
constexpr double kMsPerSec = 1000.0;

QString timeoutText(std::int32_t ms)
{
    return QString::fromStdString(platform::Format(static_cast<double>(ms) / kMsPerSec, "0.0"));
}

}  // namespace

frmOptions::frmOptions(std::optional<bool>& showSplash, std::optional<std::int32_t>& synthId, MidiSetup& midi,
                       QWidget* parent)
    : QDialog(parent), m_showSplash(showSplash), m_synthId(synthId), m_midi(midi)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    // ---- General page
    auto* general = new QWidget;
    general->setObjectName(QStringLiteral("Frame1_1"));
    m_check1 = new QCheckBox(QStringLiteral("Show Splash Screen at StartUp"), general);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_label1[6] = new QLabel(QStringLiteral("Synth Type :"), general);
    m_option3[0] = new QRadioButton(QStringLiteral("&MKI \"Original\" DX7"), general);
    m_option3[1] = new QRadioButton(QStringLiteral("TX&7,TX816 or any other \"first series\" DX/TX"), general);
    m_option3[2] = new QRadioButton(QStringLiteral("M&kII DX7, TX802 or any other \"second series\" DX/TX"), general);
    m_synthGroup = new QButtonGroup(this);
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(m_check1);
    generalLayout->addSpacing(8);
    generalLayout->addWidget(m_label1[6]);
    for (int i = 0; i < 3; ++i) {
        m_option3[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Option3_%1").arg(i));
        m_synthGroup->addButton(m_option3[static_cast<std::size_t>(i)], i);
        generalLayout->addWidget(m_option3[static_cast<std::size_t>(i)]);
    }
    generalLayout->addStretch(1);

    // ---- MIDI page
    auto* midiPage = new QWidget;
    midiPage->setObjectName(QStringLiteral("Frame1_2"));
    auto* grid = new QGridLayout(midiPage);
    const char* labels[] = {"Output channel (Notes)", "Device number (Sysex)", "Input timeout delay (secs.)"};
    for (int i = 0; i < 3; ++i) {
        m_label1[static_cast<std::size_t>(i)] = new QLabel(QString::fromLatin1(labels[i]), midiPage);
        grid->addWidget(m_label1[static_cast<std::size_t>(i)], i, 0);
    }
    for (int i = 0; i < 2; ++i) {
        m_combo1[static_cast<std::size_t>(i)] = new QComboBox(midiPage);
        m_combo1[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("Combo1_%1").arg(i));
        grid->addWidget(m_combo1[static_cast<std::size_t>(i)], i, 1);
    }
    m_text1 = new QLineEdit(midiPage);
    m_text1->setObjectName(QStringLiteral("Text1"));
    grid->addWidget(m_text1, 2, 1);

    m_frame2 = new QGroupBox(QStringLiteral("  DX7 MKII  "), midiPage);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    auto* halves = new QGridLayout(m_frame2);
    m_label1[5] = new QLabel(QStringLiteral("1-32          33-64"), m_frame2);
    m_label1[3] = new QLabel(QStringLiteral("Send To"), m_frame2);
    m_label1[4] = new QLabel(QStringLiteral("Get From"), m_frame2);
    halves->addWidget(m_label1[5], 0, 1, 1, 2);
    halves->addWidget(m_label1[3], 1, 0);
    halves->addWidget(m_label1[4], 2, 0);
    // Each row is its own group: the first column is voices 1-32 (index 2), the second
    // 33-64 (index 1).
    auto* sendGroup = new QButtonGroup(this);
    auto* getGroup = new QButtonGroup(this);
    for (int i : {2, 1}) {
        const auto u = static_cast<std::size_t>(i);
        m_option1[u] = new QRadioButton(m_frame2);
        m_option1[u]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_option2[u] = new QRadioButton(m_frame2);
        m_option2[u]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        sendGroup->addButton(m_option1[u]);
        getGroup->addButton(m_option2[u]);
        const int column = i == 2 ? 1 : 2;
        halves->addWidget(m_option1[u], 1, column);
        halves->addWidget(m_option2[u], 2, column);
    }
    m_option1[2]->setToolTip(QStringLiteral("Send to voices 1-32"));
    m_option1[1]->setToolTip(QStringLiteral("Send to voices 33-64"));
    m_option2[2]->setToolTip(QStringLiteral("Get from voices 1-32"));
    m_option2[1]->setToolTip(QStringLiteral("Get from voices 33-64"));
    grid->addWidget(m_frame2, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    m_tabs->addTab(general, QStringLiteral("&General"));
    m_tabs->addTab(midiPage, QStringLiteral("&MIDI"));

    const CommandButton captions[] = {{"&OK"}, {"&Cancel"}, {"&Help"}};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    addCommandButtons(*this, *buttons, captions, m_command1, [this](int i) { Command1_Click(i); });
    // Enter anywhere in the dialog is OK.
    m_command1[0]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    connect(m_synthGroup, &QButtonGroup::idClicked, this, &frmOptions::Option3_Click);
    connect(m_combo1[0], &QComboBox::activated, this, [this](int position) { Combo1_Click(0, position); });
    connect(m_combo1[0], &QComboBox::currentIndexChanged, this, [this] { deviceFollowsChannelOnMkI(); });
    connect(m_combo1[1], &QComboBox::activated, this, [this](int position) { Combo1_Click(1, position); });
    connect(m_text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });

    LoadOptions();
}

void frmOptions::LoadOptions()
{
    m_keptSynthId = m_synthId;
    m_keptShowSplash = m_showSplash.value_or(true);
    m_keptOutChannel = m_midi.MIDIOutChannel();
    m_keptDeviceNumber = m_midi.MIDIDeviceNumber();
    m_keptTimeout = m_midi.MIDITimeout();
    m_keptSendToB = m_midi.SendToB();
    m_keptGetFromB = m_midi.GetFromB();

    m_loading = true;
    m_check1->setChecked(m_keptShowSplash);
    for (QComboBox* box : m_combo1)
        for (int n = 1; n <= kChannels; ++n)
            box->addItem(QString::number(n));
    if (m_keptSynthId && *m_keptSynthId >= 0 && *m_keptSynthId <= 2)
        m_option3[static_cast<std::size_t>(*m_keptSynthId)]->setChecked(true);
    m_combo1[1]->setCurrentIndex(m_keptDeviceNumber);
    // A MkI holding two numbers shows its device number in both lists: that is what OK
    // stores, and the number the instrument answered on.
    m_combo1[0]->setCurrentIndex(m_option3[0]->isChecked() ? m_keptDeviceNumber : m_keptOutChannel);
    ShowTimeoutText();
    (m_keptSendToB ? m_option1[1] : m_option1[2])->setChecked(true);
    (m_keptGetFromB ? m_option2[1] : m_option2[2])->setChecked(true);
    EnableSecondSeriesControls(m_keptSynthId);
    m_loading = false;
}

void frmOptions::ShowTimeoutText()
{
    if (m_keptTimeout == 0)
        m_keptTimeout = !m_keptSynthId || *m_keptSynthId == 0 ? kMkITimeoutMs : kOtherTimeoutMs;
    m_text1->setText(timeoutText(m_keptTimeout));
}

void frmOptions::EnableSecondSeriesControls(std::optional<std::int32_t> synthType)
{
    const bool enabled = synthType && *synthType >= 2;
    for (QWidget* w : std::initializer_list<QWidget*>{m_label1[1], m_label1[3], m_label1[4], m_label1[5], m_combo1[1],
                                                       m_option1[1], m_option1[2], m_option2[1], m_option2[2],
                                                       m_frame2})
        w->setEnabled(enabled);
}

bool frmOptions::secondSeriesEnabled() const { return m_frame2->isEnabled() && m_combo1[1]->isEnabled(); }

void frmOptions::Option3_Click(int index)
{
    if (m_loading || index < 0 || index > 2)
        return;
    m_option3[static_cast<std::size_t>(index)]->setChecked(true);
    m_text1->setText(timeoutText(index == 0 ? kMkITimeoutMs : kOtherTimeoutMs));
    if (index == 1)
        m_combo1[1]->setCurrentIndex(0);
    deviceFollowsChannelOnMkI();
    EnableSecondSeriesControls(index);
}

void frmOptions::Combo1_Click(int box, int position)
{
    if (box < 0 || box > 1)
        return;
    m_combo1[static_cast<std::size_t>(box)]->setCurrentIndex(position);
}

void frmOptions::deviceFollowsChannelOnMkI()
{
    // The MkI DX7 has one number for its notes channel and its device number, and OK
    // stores the channel as both: the greyed device list shows it at every change.
    if (m_option3[0]->isChecked())
        m_combo1[1]->setCurrentIndex(m_combo1[0]->currentIndex());
}

bool frmOptions::checkTimeout(bool focus)
{
    const double secs = platform::Val(platform::toBytes(m_text1->text()));
    if (secs >= kMinTimeoutSecs && secs <= kMaxTimeoutSecs)
        return true;
    (void)platform::messages().messageBox("Timeout values must be between 2 and 60 secs.",
                                          platform::MsgStyle::OkOnly | platform::MsgStyle::Information,
                                          "Invalid Timeout Setting");
    if (focus && isVisible()) {
        m_tabs->setCurrentIndex(1);
        m_text1->selectAll();
        m_text1->setFocus();
    }
    return false;
}

void frmOptions::Text1_Change()
{
    // While the dialog loads, a stored value outside the range is reported once it is on
    // screen (showEvent), where the box can take the focus.
    if (m_loading || m_closing)
        return;
    checkTimeout(true);
}

void frmOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_checkedOnShow)
        return;
    m_checkedOnShow = true;
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            checkTimeout(true);
    });
}

void frmOptions::Command1_Click(int index)
{
    switch (index) {
    case 0: {
        // OK refuses a time-out outside the range the message names.
        if (!checkTimeout(true))
            return;
        m_showSplash = m_check1->isChecked();
        if (const int id = m_synthGroup->checkedId(); id >= 0)
            m_synthId = id;
        m_midi.setMIDIOutChannel(m_combo1[0]->currentIndex());
        if (m_synthId && *m_synthId == 0)
            m_midi.setMIDIDeviceNumber(m_midi.MIDIOutChannel());
        else
            m_midi.setMIDIDeviceNumber(m_combo1[1]->currentIndex());
        const double secs = platform::Val(platform::toBytes(m_text1->text()));
        m_midi.setMIDITimeout(static_cast<std::int32_t>(std::nearbyint(secs * kMsPerSec)));
        m_midi.setSendToB(m_option1[1]->isChecked());
        m_midi.setGetFromB(m_option2[1]->isChecked());
        m_closing = true;
        accept();
        break;
    }
    case 1: reject(); break;
    case 2: platform::help().showHelp(dialogHelpTopic(DialogHelp::Options)); break;
    default: break;
    }
}

void frmOptions::reject()
{
    // Cancel, Esc and the window's close button put back what was there on opening
    // (a time-out of 0 comes back as the default the dialog showed).
    m_closing = true;
    m_synthId = m_keptSynthId;
    m_showSplash = m_keptShowSplash;
    m_midi.setMIDIOutChannel(m_keptOutChannel);
    m_midi.setMIDIDeviceNumber(m_keptDeviceNumber);
    m_midi.setMIDITimeout(m_keptTimeout);
    m_midi.setSendToB(m_keptSendToB);
    m_midi.setGetFromB(m_keptGetFromB);
    QDialog::reject();
}

}  // namespace shell
