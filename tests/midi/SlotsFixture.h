// Brevane - set-up of the MIDI tests that work with the MIDI Manager's real bank slots.
#pragma once

#include "MidiTestFixture.h"

#include "banklib/testing/FakeAppState.h"
#include "midi/MidiManagerSlots.h"

#include <QTemporaryDir>

#include <string>

namespace miditest {

// The MIDI fixture with the bank slot grid in the windows' data, the program's data folder
// a fresh temporary one, both simulator ports open and nothing sent or shown yet. The
// recording slots come back at the end.
class SlotsFixture : public MidiFixture {
protected:
    void SetUp() override
    {
        MidiFixture::SetUp();
        ASSERT_TRUE(folder.isValid());
        app.dataDirectory = folder.path().toStdString() + "/";
        windows.managerData().setSysexSlots(&banks);
        banks.InitMidiGrid();
        ASSERT_TRUE(openBoth());
        backend.clearSent();
        svc.clear();
    }
    void TearDown() override
    {
        windows.managerData().setSysexSlots(&windows.sysexSlots);
        MidiFixture::TearDown();
    }

    QTemporaryDir folder;
    banklib::testing::FakeAppState app;
    midi::MidiManagerSlots banks{windows.managerData()};
};

}  // namespace miditest
