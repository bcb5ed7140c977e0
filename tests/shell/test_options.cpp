// The Options dialog: what it shows, what it checks, what OK and Cancel store.
#include "../midi/SetupTestSupport.h"

#include "banklib/testing/FakeAppState.h"
#include "midi/modMidiOutput.h"
#include "midiui/MidiInitSetup.h"
#include "platform/midi/SimulatedDX7Backend.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/frmOptions.h"

#include "ShellTestSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace shell {
namespace {

using platform::testing::ScriptedServices;

class OptionsTest : public ::testing::Test {
protected:
    std::unique_ptr<frmOptions> open()
    {
        auto dialog = std::make_unique<frmOptions>(showSplash, synthId, midi);
        return dialog;
    }
    std::size_t rangeMessages() const
    {
        std::size_t n = 0;
        for (const auto& m : services.messagesShown())
            if (m.title == "Invalid Timeout Setting" && m.text == "Timeout values must be between 2 and 60 secs." &&
                m.style == 64)
                ++n;
        return n;
    }

    ScriptedServices services;
    std::optional<bool> showSplash = true;
    std::optional<std::int32_t> synthId;
    MidiInitSetup midi;
};

TEST_F(OptionsTest, SecondSeriesControlsOnlyForASecondSeriesSynth)
{
    const std::pair<std::optional<std::int32_t>, bool> cases[] = {
        {std::nullopt, false}, {0, false}, {1, false}, {2, true}};
    for (const auto& [id, enabled] : cases) {
        synthId = id;
        auto d = open();
        EXPECT_EQ(d->secondSeriesEnabled(), enabled) << (id ? *id : -1);
        EXPECT_EQ(d->Frame2()->isEnabled(), enabled);
        EXPECT_EQ(d->Combo1(1)->isEnabled(), enabled);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(d->Option3(i)->isChecked(), id && *id == i);
    }
    EXPECT_EQ(rangeMessages(), 0u);
}

TEST_F(OptionsTest, OpeningShowsTheStoredValuesAndTheDefaultTimeout)
{
    ASSERT_TRUE(midi.setMIDIOutChannel(9));
    ASSERT_TRUE(midi.setMIDIDeviceNumber(3));
    ASSERT_TRUE(midi.setGetFromB(true));
    showSplash = false;
    synthId = 2;
    auto d = open();
    EXPECT_FALSE(d->Check1()->isChecked());
    EXPECT_EQ(d->Combo1(0)->count(), 16);
    EXPECT_EQ(d->Combo1(0)->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(d->Combo1(0)->currentIndex(), 9);
    EXPECT_EQ(d->Combo1(1)->currentIndex(), 3);
    EXPECT_EQ(d->Text1()->text(), QStringLiteral("2.0"));  // 0 stored: the default of a second-series synth
    EXPECT_TRUE(d->Option1(2)->isChecked());
    EXPECT_TRUE(d->Option2(1)->isChecked());
    EXPECT_EQ(d->TabStrip1()->tabText(0), QStringLiteral("&General"));
    EXPECT_EQ(d->TabStrip1()->tabText(1), QStringLiteral("&MIDI"));

    synthId.reset();
    EXPECT_EQ(open()->Text1()->text(), QStringLiteral("15.0"));
}

TEST_F(OptionsTest, ChoosingTheSynthTypeSetsTimeoutAndDeviceNumber)
{
    synthId = 2;
    ASSERT_TRUE(midi.setMIDIDeviceNumber(6));
    auto d = open();
    d->Option3_Click(0);
    EXPECT_EQ(d->Text1()->text(), QStringLiteral("15.0"));
    EXPECT_EQ(d->Combo1(1)->currentIndex(), 0);
    EXPECT_FALSE(d->secondSeriesEnabled());
    d->Option3_Click(2);
    EXPECT_EQ(d->Text1()->text(), QStringLiteral("2.0"));
    EXPECT_TRUE(d->secondSeriesEnabled());
    d->Combo1_Click(1, 6);
    d->Option3_Click(1);
    EXPECT_EQ(d->Text1()->text(), QStringLiteral("2.0"));
    EXPECT_EQ(d->Combo1(1)->currentIndex(), 0);
    EXPECT_EQ(rangeMessages(), 0u);
}

// On the MkI the notes channel and the device number are one number: the greyed device
// list shows at every moment the number OK stores for both. Other instruments keep the two
// apart.
TEST_F(OptionsTest, OnTheMkITheDeviceNumberFollowsTheChannel)
{
    enum class Change { PickChannel5, KeyDown, Nothing, ChooseMkI, ChooseFirstSeries };
    struct Row {
        const char* what;
        std::int32_t synth;
        std::int32_t channel, device;  // stored before opening
        Change change;
        int shownChannel, shownDevice;  // list positions, and what OK stores
    };
    const Row rows[] = {
        {"MkI: channel 5 picked", 0, 0, 0, Change::PickChannel5, 4, 4},
        {"MkI: channel moved by the Down key", 0, 2, 2, Change::KeyDown, 3, 3},
        {"MkI holding two numbers opens on its device number", 0, 0, 3, Change::Nothing, 3, 3},
        {"MkI chosen over a second-series setting", 2, 4, 6, Change::ChooseMkI, 4, 4},
        {"second series keeps its numbers apart", 2, 0, 3, Change::KeyDown, 1, 3},
        {"first series: the greyed device number stays", 1, 4, 0, Change::KeyDown, 5, 0},
        {"first series chosen over the MkI", 0, 4, 4, Change::ChooseFirstSeries, 4, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        synthId = r.synth;
        ASSERT_TRUE(midi.setMIDIOutChannel(r.channel));
        ASSERT_TRUE(midi.setMIDIDeviceNumber(r.device));
        ASSERT_TRUE(midi.setMIDITimeout(0));
        auto d = open();
        d->show();
        switch (r.change) {
        case Change::PickChannel5: d->Combo1_Click(0, 4); break;
        case Change::KeyDown:
            d->TabStrip1()->setCurrentIndex(1);
            d->Combo1(0)->setFocus();
            QTest::keyClick(d->Combo1(0), Qt::Key_Down);
            break;
        case Change::Nothing: break;
        case Change::ChooseMkI: d->Option3(0)->click(); break;
        case Change::ChooseFirstSeries: d->Option3(1)->click(); break;
        }
        EXPECT_EQ(d->Combo1(0)->currentIndex(), r.shownChannel);
        EXPECT_EQ(d->Combo1(1)->currentIndex(), r.shownDevice);
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("Command1_0")), Qt::LeftButton);
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(midi.MIDIOutChannel(), r.shownChannel);
        EXPECT_EQ(midi.MIDIDeviceNumber(), r.shownDevice);
        EXPECT_EQ(midi.MIDITimeout(), synthId == 0 ? 15000 : 2000);
    }
    EXPECT_EQ(rangeMessages(), 0u);
}

// First start with an instrument that sends its bank on device number 3, then Tools >
// Options and OK with nothing changed, or only the time-out: requests still go to device
// number 3. On the MkI the notes channel is that number too; a series instrument keeps its
// own channel.
TEST_F(OptionsTest, OkAfterDetectionKeepsTheDeviceNumberTheBankCameOn)
{
    struct Row {
        const char* what;
        std::int32_t synth;
        const char* timeout;  // typed into the time-out box; nullptr: nothing
        std::int32_t channel;
    };
    const Row rows[] = {
        {"MkI, nothing changed", 0, nullptr, 3},
        {"MkI, only the time-out changed", 0, "20", 3},
        {"second series, nothing changed", 2, nullptr, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        banklib::testing::FakeAppState app;
        app.dataDirectory = folder.path().toStdString() + "/";
        auto owned = std::make_unique<platform::SimulatedDX7Backend>(3);
        platform::SimulatedDX7Backend& dx7 = *owned;
        MidiInitSetup setup(std::move(owned));
        ASSERT_TRUE(setup.setMidiInDeviceName("DX7 Simulator Out"));
        ASSERT_TRUE(setup.setMidiOutDeviceName("DX7 Simulator In"));
        miditest::ScriptedSetupHost host;
        host.synthId = r.synth;
        host.typeAnswers = {miditest::ScriptedSetupHost::TypeAnswer{false, false, r.synth}};
        // The MkI is not asked: its bank is sent by hand while the program waits.
        bool sent = r.synth != 0;
        services.onProcessEvents([&](std::int64_t) {
            if (!sent && midi::GetPendingRequest() == 9) {
                sent = true;
                dx7.sendUnsolicitedBank();
            }
        });
        setup.InitialiseMIDI(false, CommandLineSwitch::None);
        services.onProcessEvents(nullptr);
        ASSERT_EQ(app.registry.count(), 1) << "the bank was received";
        EXPECT_EQ(setup.MIDIDeviceNumber(), 3);
        EXPECT_EQ(setup.MIDIOutChannel(), r.channel);

        frmOptions d(showSplash, host.synthId, setup);
        d.show();
        d.TabStrip1()->setCurrentIndex(1);
        EXPECT_EQ(d.Combo1(0)->currentText(), QString::number(r.channel + 1));
        EXPECT_EQ(d.Combo1(1)->currentText(), QStringLiteral("4"));
        EXPECT_EQ(d.Combo1(1)->isEnabled(), r.synth == 2);
        if (r.timeout != nullptr) {
            d.Text1()->setFocus();
            d.Text1()->selectAll();
            QTest::keyClicks(d.Text1(), QString::fromLatin1(r.timeout));
        }
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Command1_0")), Qt::LeftButton);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(setup.MIDIDeviceNumber(), 3);
        EXPECT_EQ(setup.MIDIOutChannel(), r.channel);
        EXPECT_EQ(static_cast<std::uint8_t>(midi::BuildDumpRequest(9, 0, 0, 0).at(2)), 0x23)
            << "a bank request goes to device number 3";
    }
    EXPECT_EQ(rangeMessages(), 0u);
}

TEST_F(OptionsTest, EveryChangeOfTheTimeoutIsChecked)
{
    synthId = 1;
    auto d = open();
    const std::pair<const char*, std::size_t> typed[] = {
        {"", 1}, {"3", 1}, {"30", 1}, {"300", 2}, {"1.9", 3}, {"2", 3}, {"60.0", 3}, {"60.1", 4}, {"abc", 5}};
    for (const auto& [text, total] : typed) {
        d->Text1()->setText(QString::fromLatin1(text));
        EXPECT_EQ(rangeMessages(), total) << "after typing \"" << text << '"';
        EXPECT_EQ(d->Text1()->text(), QString::fromLatin1(text));  // the text stays as typed
    }
}

// OK does not store a time-out that the range message warned about.
TEST_F(OptionsTest, OkRefusesATimeoutOutsideTheRange)
{
    ASSERT_TRUE(midi.setMIDITimeout(5000));
    synthId = 1;
    auto d = open();
    d->Text1()->setText(QStringLiteral("75"));
    ASSERT_EQ(rangeMessages(), 1u);
    d->Command1_Click(0);
    EXPECT_EQ(rangeMessages(), 2u);
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_EQ(midi.MIDITimeout(), 5000);
    d->Text1()->setText(QStringLiteral("2.55"));
    d->Command1_Click(0);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(midi.MIDITimeout(), 2550);
}

TEST_F(OptionsTest, OkStoresEverySetting)
{
    synthId = 1;
    auto d = open();
    d->Check1()->setChecked(false);
    d->Option3_Click(2);
    d->Combo1_Click(0, 11);
    d->Combo1_Click(1, 13);
    d->Option1(1)->setChecked(true);
    d->Option2(1)->setChecked(true);
    d->Text1()->setText(QStringLiteral("12.5"));
    d->Command1_Click(0);
    EXPECT_EQ(showSplash, false);
    EXPECT_EQ(synthId, 2);
    EXPECT_EQ(midi.MIDIOutChannel(), 11);
    EXPECT_EQ(midi.MIDIDeviceNumber(), 13);
    EXPECT_EQ(midi.MIDITimeout(), 12500);
    EXPECT_TRUE(midi.SendToB());
    EXPECT_TRUE(midi.GetFromB());
    EXPECT_TRUE(services.messagesShown().empty());
}

TEST_F(OptionsTest, CancelPutsBackWhatWasThereExceptAZeroTimeout)
{
    ASSERT_TRUE(midi.setMIDIOutChannel(2));
    ASSERT_TRUE(midi.setMIDIDeviceNumber(2));
    synthId = 0;
    auto d = open();
    d->Check1()->setChecked(false);
    d->Option3_Click(2);
    d->Combo1_Click(0, 9);
    d->Combo1_Click(1, 10);
    d->Option1(1)->setChecked(true);
    d->Text1()->setText(QStringLiteral("33"));
    // A value changed elsewhere while the dialog was open is put back too.
    ASSERT_TRUE(midi.setMIDIOutChannel(9));
    d->Command1_Click(1);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(showSplash, true);
    EXPECT_EQ(synthId, 0);
    EXPECT_EQ(midi.MIDIOutChannel(), 2);
    EXPECT_EQ(midi.MIDIDeviceNumber(), 2);
    EXPECT_EQ(midi.MIDITimeout(), 15000);  // 0 becomes the default the dialog showed
    EXPECT_FALSE(midi.SendToB());
    EXPECT_FALSE(midi.GetFromB());

    // Esc is Cancel too.
    ASSERT_TRUE(midi.setMIDIOutChannel(5));
    auto again = open();
    again->Combo1_Click(0, 1);
    ASSERT_TRUE(midi.setMIDIOutChannel(1));
    again->show();
    QTest::keyClick(again.get(), Qt::Key_Escape);
    EXPECT_EQ(midi.MIDIOutChannel(), 5);
}

TEST_F(OptionsTest, EnterInTheTimeoutBoxIsOk)
{
    synthId = 1;
    auto d = open();
    d->show();
    d->TabStrip1()->setCurrentIndex(1);
    d->Text1()->setFocus();
    d->Text1()->setText(QStringLiteral("7"));
    QTest::keyClick(d->Text1(), Qt::Key_Return);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(midi.MIDITimeout(), 7000);
}

TEST_F(OptionsTest, AStoredTimeoutOutOfRangeIsShownAndReportedOnceTheDialogIsUp)
{
    ASSERT_TRUE(midi.setMIDITimeout(100000));
    synthId = 2;
    auto d = open();
    EXPECT_EQ(d->Text1()->text(), QStringLiteral("100.0"));
    EXPECT_EQ(rangeMessages(), 0u);
    d->show();
    for (int i = 0; i < 5 && rangeMessages() == 0; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(rangeMessages(), 1u);
    EXPECT_TRUE(d->isVisible());
}

TEST_F(OptionsTest, HelpShowsTheOptionsTopicAndKeepsTheDialogOpen)
{
    auto d = open();
    d->show();
    d->Command1_Click(2);
    ASSERT_EQ(services.helpTopicsShown().size(), 1u);
    EXPECT_EQ(services.helpTopicsShown()[0], "MDIMain.htm#ToolsOptions");
    EXPECT_TRUE(d->isVisible());
}

}  // namespace
}  // namespace shell
