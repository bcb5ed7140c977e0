// The Options dialog: what it shows, what it checks, what OK and Cancel store.
#include "midiui/MidiInitSetup.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/frmOptions.h"

#include "ShellTestSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
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

TEST_F(OptionsTest, OnTheMkITheDeviceNumberFollowsTheChannel)
{
    synthId = 0;
    auto d = open();
    d->Combo1_Click(0, 4);  // channel 5
    EXPECT_EQ(d->Combo1(1)->currentIndex(), 4);
    d->Command1_Click(0);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(midi.MIDIOutChannel(), 4);
    EXPECT_EQ(midi.MIDIDeviceNumber(), 4);
    EXPECT_EQ(midi.MIDITimeout(), 15000);
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
