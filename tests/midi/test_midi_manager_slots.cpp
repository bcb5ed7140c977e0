// Brevane - tests of the MIDI Manager's bank banks: storing, appending, sending to a
// simulated DX7, saving, loading and editing.
#include "SlotsFixture.h"

#include "banklib/InitVoice.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "midi/MidiManagerSlots.h"
#include "platform/FileIO.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

using namespace miditest;
namespace SlotField = midi::SlotField;
using platform::MsgAnswer;
using platform::SimulatedDX7;

namespace {

class SlotsTest : public SlotsFixture {
protected:
    void SetUp() override
    {
        SlotsFixture::SetUp();
        banks.setEditor([this](const std::string& message, bool voiceData) -> std::optional<std::string> {
            edited.push_back(message);
            editedAsVoiceData = voiceData;
            return editorAnswer;
        });
    }

    std::string at(int slot, int field)
    {
        banks.MidiSysex.setAbsolutePosition(slot);
        return platform::Trim(banks.MidiSysex.text(field));
    }
    std::string dataOf(int slot)
    {
        banks.MidiSysex.setAbsolutePosition(slot);
        return banks.MidiSysex.text(SlotField::Data);
    }
    void select(int slot) { banks.MidiSysex.setAbsolutePosition(slot); }
    void add(const std::string& data, std::int32_t type, const std::string& name = "")
    {
        std::int32_t t = type;
        (void)banks.AddSysex(data, static_cast<std::int32_t>(data.size()), t, name);
    }
    // n unpacked voices, voice i named "Voice<i>".
    static std::string unpackedVoices(std::size_t n)
    {
        std::string out;
        for (std::size_t i = 0; i < n; ++i) {
            const auto init = banklib::InitVoice();
            std::string v(init.begin(), init.end());
            std::string name = "Voice" + std::to_string(i + 1);
            name.resize(10, ' ');
            v.replace(145, 10, name);
            out += v;
        }
        return out;
    }
    void writeFile(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string readFile(const std::string& path)
    {
        const auto r = platform::readWholeFile(path);
        return std::string(r.bytes.begin(), r.bytes.end());
    }

    std::vector<std::string> edited;
    bool editedAsVoiceData = false;
    std::optional<std::string> editorAnswer;
};

}  // namespace

// ---- storing

TEST_F(SlotsTest, TheGridStartsWithAHundredFreeSlots)
{
    EXPECT_EQ(banks.MidiSysex.recordCount(), midi::kSysexSlotCount);
    EXPECT_EQ(at(1, SlotField::No), "1");
    EXPECT_EQ(at(100, SlotField::No), "100");
    EXPECT_EQ(at(57, SlotField::Name), "-----------");
    EXPECT_EQ(at(57, SlotField::Length), "0");
    EXPECT_EQ(at(57, SlotField::Used), "No");
    EXPECT_EQ(at(57, SlotField::FileType), "NA");
    EXPECT_EQ(banks.UsedBankCount(), 0);
    EXPECT_EQ(banks.firstFreeSlot(), 1);
}

TEST_F(SlotsTest, AnIncomingBankFillsTheCurrentFreeSlotAndTheNextSlotBecomesCurrent)
{
    backend.sendUnsolicitedBank();
    midi::ProcessMidiInput();
    EXPECT_EQ(at(1, SlotField::Length), "4096");
    EXPECT_EQ(at(1, SlotField::FileType), "2");
    EXPECT_EQ(at(1, SlotField::Name), "New Data");
    EXPECT_EQ(at(1, SlotField::Used), "Yes");
    EXPECT_EQ(dataOf(1), str(backend.dx7().bulkDump()).substr(6, 4096)) << "stored without its wrapper";
    // A wrapped single voice is stored as bare unpacked data, and goes to slot 2.
    select(2);
    std::int32_t type = 1;
    (void)banks.AddSysex(unpackedVoices(1), 155, type, "Lead");
    EXPECT_EQ(type, 0) << "the caller learns the stored type";
    EXPECT_EQ(at(2, SlotField::Name), "Lead");
    EXPECT_EQ(at(2, SlotField::FileType), "0");
    EXPECT_EQ(banks.MidiSysex.absolutePosition(), 2);
    EXPECT_EQ(banks.UsedBankCount(), 2);
}

TEST_F(SlotsTest, AUsedSlotAsksWhetherToAppendOverwriteOrUseANewBank)
{
    add(unpackedVoices(2), 0, "Two");
    add(unpackedVoices(1), 0, "One");  // slot 2
    select(1);
    struct Case {
        const char* what;
        std::vector<MsgAnswer> answers;
        std::size_t slot1Length;
        int usedAfter;
    };
    // Each case starts with slot 1 selected and holding two voices.
    const Case cases[] = {
        {"Cancel stores nothing", {MsgAnswer::Cancel}, 310, 2},
        {"Yes appends", {MsgAnswer::Yes}, 465, 2},
        {"No, then Yes overwrites", {MsgAnswer::No, MsgAnswer::Yes}, 155, 2},
        {"No, No, Yes puts it in the first free slot", {MsgAnswer::No, MsgAnswer::No, MsgAnswer::Yes}, 310, 3},
        {"No, No, No stores nothing", {MsgAnswer::No, MsgAnswer::No, MsgAnswer::No}, 310, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        banks.MidiSysex.setAbsolutePosition(1);
        banks.MidiSysex.setValue(SlotField::Data, unpackedVoices(2));
        banks.MidiSysex.setValue(SlotField::Length, std::string("310"));
        select(3);
        (void)banks.DeleteSysex();
        select(1);
        svc.clear();
        for (MsgAnswer a : c.answers)
            svc.answer(a);
        add(unpackedVoices(1), 0);
        EXPECT_EQ(dataOf(1).size(), c.slot1Length);
        EXPECT_EQ(at(1, SlotField::Length), std::to_string(c.slot1Length));
        EXPECT_EQ(banks.UsedBankCount(), c.usedAfter);
        ASSERT_FALSE(svc.messagesShown().empty());
        EXPECT_EQ(svc.messagesShown()[0].text, "Do you want to append the new data to Bank 1");
        EXPECT_EQ(svc.messagesShown()[0].style, 35);
        EXPECT_EQ(svc.messagesShown()[0].title, "Incoming Sysex Received");
        EXPECT_EQ(svc.unexpectedMessages(), 0);
    }
    EXPECT_EQ(at(3, SlotField::Used), "No");
}

TEST_F(SlotsTest, AppendingPackedToUnpackedConvertsAfterTheFormatQuestion)
{
    add(unpackedVoices(32), 0, "Unpacked");
    select(1);
    banklib::clsVoiceData codec;
    const std::string bank = str(backend.dx7().bulkDump()).substr(6, 4096);
    svc.answer(MsgAnswer::Yes);  // append
    svc.answer(MsgAnswer::Yes);  // change the format
    add(bank, 3);
    ASSERT_EQ(svc.messagesShown().size(), 2U);
    EXPECT_EQ(svc.messagesShown()[1].text,
              "The new data does not have the same format as that in Bank 1.\r\n\r\nWould you like to change "
              "the format of the new data to match Bank 1?");
    EXPECT_EQ(svc.messagesShown()[1].style, 51);
    ASSERT_EQ(dataOf(1).size(), 4960U * 2);
    EXPECT_EQ(dataOf(1).substr(4960, 155), codec.Unpack(bank.substr(0, 128)));
    EXPECT_EQ(at(1, SlotField::FileType), "0");

    // Declining the conversion stores nothing.
    select(1);
    svc.clear();
    svc.answer(MsgAnswer::Yes);
    svc.answer(MsgAnswer::No);
    add(bank, 2);
    EXPECT_EQ(dataOf(1).size(), 4960U * 2);
}

TEST_F(SlotsTest, DataThatIsNotVoiceDataIsNeverAppended)
{
    const std::string setup = "\xF0\x43\x00\x7E\x01\x28" + std::string(20, 'A') + "\x11\xF7";
    add(setup, -3, "Setup");
    select(1);
    svc.answer(MsgAnswer::Yes);  // overwrite: the append question is not asked
    add(unpackedVoices(1), 0);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "Do you want to overwrite data in Bank 1");
    EXPECT_EQ(dataOf(1).size(), 155U);
    EXPECT_EQ(at(1, SlotField::FileType), "0");
}

TEST_F(SlotsTest, TheCountFollowsTheUsedSlotsAndANewBankTakesTheFirstFreeSlot)
{
    for (int i = 0; i < 3; ++i)
        add(unpackedVoices(1), 0, "V" + std::to_string(i));
    select(2);
    (void)banks.DeleteSysex();
    (void)banks.DeleteSysex();  // a free slot: the count stays right
    EXPECT_EQ(banks.UsedBankCount(), 2);
    select(3);
    svc.answer(MsgAnswer::No);  // no append
    svc.answer(MsgAnswer::No);  // no overwrite
    svc.answer(MsgAnswer::Yes); // a new bank
    add(unpackedVoices(1), 0, "New");
    EXPECT_EQ(at(2, SlotField::Name), "New") << "the first free slot, not the slot at the used count";
    EXPECT_EQ(at(3, SlotField::Name), "V2");
    EXPECT_EQ(banks.UsedBankCount(), 3);
}

TEST_F(SlotsTest, WithEverySlotUsedTheUserIsToldAndNothingIsLost)
{
    for (int i = 0; i < midi::kSysexSlotCount; ++i) {
        select(i + 1);
        add(unpackedVoices(1), 0, "V" + std::to_string(i + 1));
    }
    EXPECT_EQ(banks.UsedBankCount(), 100);
    select(50);
    svc.clear();
    svc.answer(MsgAnswer::No);
    svc.answer(MsgAnswer::No);
    svc.answer(MsgAnswer::Yes);
    add(unpackedVoices(2), 0, "Extra");
    ASSERT_EQ(svc.messagesShown().size(), 4U);
    EXPECT_EQ(svc.messagesShown()[3].title, "No Free Bank");
    EXPECT_EQ(at(50, SlotField::Name), "V50");
    svc.clear();
    EXPECT_EQ(banks.StoreInFreeSlot(unpackedVoices(1), 1, "Kept"), 0);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].title, "No Free Bank");
}

TEST_F(SlotsTest, StoreInFreeSlotAsksNothingAndKeepsTheCurrentSlot)
{
    add(unpackedVoices(1), 0, "First");
    select(1);
    EXPECT_EQ(windows.managerData().StoreInFreeSlot(str(backend.dx7().bulkDump()).substr(6, 4096), 3, "Kept"), 2);
    EXPECT_TRUE(svc.messagesShown().empty());
    EXPECT_EQ(banks.MidiSysex.absolutePosition(), 1);
    EXPECT_EQ(at(2, SlotField::Name), "Kept");
    EXPECT_EQ(at(2, SlotField::FileType), "2");
}

TEST_F(SlotsTest, LongNamesAreCutToTheFieldWidth)
{
    add(unpackedVoices(1), 0, std::string(120, 'n'));
    EXPECT_EQ(at(1, SlotField::Name).size(), midi::kSlotNameWidth);
}

// ---- sending

TEST_F(SlotsTest, VoiceDataGoesOutAsDumpsTheSynthesizerAccepts)
{
    using Kind = SimulatedDX7::Received::Kind;
    struct Case {
        const char* what;
        std::string data;
        std::int32_t type;
        std::vector<MsgAnswer> answers;
        Kind kind;
        std::size_t bytes;
        const char* question;  // "" when none is asked
    };
    banklib::clsVoiceData codec;
    std::string packed27;
    const std::string unpacked27 = unpackedVoices(27);
    for (int i = 0; i < 27; ++i)
        packed27 += codec.Pack(unpacked27.substr(static_cast<std::size_t>(i) * 155, 155));
    const Case cases[] = {
        {"32 unpacked voices", unpackedVoices(32), 0, {}, Kind::Bank, 4104, ""},
        {"one unpacked voice", unpackedVoices(1), 0, {}, Kind::Voice, 163, ""},
        {"one packed voice", packed27.substr(0, 128), 2, {}, Kind::Voice, 163, ""},
        {"27 unpacked voices", unpacked27, 0, {MsgAnswer::Yes}, Kind::Bank, 4104,
         "Bank 1 holds 27 voices. Sent as a bank of 32 voices it replaces voices 28 to 32 of your synth with "
         "INIT VOICE.\r\nDo you want to send it ?"},
        {"27 packed voices", packed27, 2, {MsgAnswer::Yes}, Kind::Bank, 4104, "Bank 1 holds 27 voices."},
        {"two unpacked voices (310 bytes)", unpackedVoices(2), 0, {MsgAnswer::Yes}, Kind::Bank, 4104,
         "Bank 1 holds 2 voices."},
        {"31 voices", unpackedVoices(31), 0, {MsgAnswer::Yes}, Kind::Bank, 4104, "replaces voice 32 of"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        select(1);
        (void)banks.DeleteSysex();
        add(c.data, c.type, "Send");
        select(1);
        svc.clear();
        for (MsgAnswer a : c.answers)
            svc.answer(a);
        const std::size_t before = backend.dx7().received().size();
        (void)banks.SendSysex();
        ASSERT_EQ(backend.dx7().received().size(), before + 1);
        const auto& got = backend.dx7().received().back();
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_TRUE(got.checksumOk);
        EXPECT_EQ(got.bytes.size(), c.bytes);
        EXPECT_EQ(svc.unexpectedMessages(), 0);
        if (*c.question) {
            ASSERT_EQ(svc.messagesShown().size(), 1U);
            EXPECT_NE(svc.messagesShown()[0].text.find(c.question), std::string::npos)
                << svc.messagesShown()[0].text;
            EXPECT_EQ(svc.messagesShown()[0].title, "Bank Not Full");
        } else {
            EXPECT_TRUE(svc.messagesShown().empty());
        }
    }
    // The short bank's missing voices arrive as INIT VOICE; its own voices by name.
    EXPECT_EQ(backend.dx7().voiceName(0), "Voice1    ");
    EXPECT_EQ(backend.dx7().voiceName(30), "Voice31   ");
    EXPECT_EQ(backend.dx7().voiceName(31), "INIT VOICE");
}

TEST_F(SlotsTest, DecliningAShortBankSendsNothing)
{
    add(unpackedVoices(5), 0);
    select(1);
    svc.answer(MsgAnswer::No);
    (void)banks.SendSysex();
    EXPECT_TRUE(backend.dx7().received().empty());
}

TEST_F(SlotsTest, VoiceDataThatFitsNoDumpIsOfferedToBeSavedOrRefusedWithAWord)
{
    struct Case {
        const char* what;
        std::string data;
        std::int32_t type;
        const char* title;
        int style;
    };
    const Case cases[] = {
        {"33 voices", unpackedVoices(33), 0, "Buffer too Large", 51},
        {"4200 unpacked bytes", unpackedVoices(28).substr(0, 4200), 0, "Buffer too Large", 51},
        {"4200 packed bytes", std::string(4200, '\x11'), 2, "Buffer too Large", 51},
        {"300 unpacked bytes", unpackedVoices(2).substr(0, 300), 0, "Unknown Dump Size", 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        select(1);
        (void)banks.DeleteSysex();
        add(c.data, c.type, "Odd");
        select(1);
        svc.clear();
        svc.answer(MsgAnswer::No);
        (void)banks.SendSysex();
        ASSERT_EQ(svc.messagesShown().size(), 1U) << "one question or one word, never silence";
        EXPECT_EQ(svc.messagesShown()[0].title, c.title);
        EXPECT_EQ(svc.messagesShown()[0].style, c.style);
        EXPECT_TRUE(backend.sentMessages().empty());
    }
    EXPECT_EQ(svc.messagesShown()[0].text, "The data in Bank 1 holds no whole MIDI message, so nothing can be sent.");
}

TEST_F(SlotsTest, OtherDataGoesOutByteForByteAfterTheQuestion)
{
    // Two System Exclusive messages of another kind, kept exactly as received.
    const std::string raw = std::string("\xF0\x43\x00\x7E\x00\x02\x01\x02\x7D\xF7", 10) +
                            std::string("\xF0\x41\x10\x42\x12\xF7", 6);
    add(raw, -3, "Other");
    select(1);
    svc.answer(MsgAnswer::Cancel);
    (void)banks.SendSysex();
    EXPECT_TRUE(backend.sentMessages().empty());
    svc.clear();
    svc.answer(MsgAnswer::Ok);
    (void)banks.SendSysex();
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "Your sysex may not be recognised by your synth. Proceed anyway ?");
    EXPECT_EQ(svc.messagesShown()[0].title, "Unknown Dump Size");
    ASSERT_EQ(backend.sentMessages().size(), 2U);
    EXPECT_EQ(str(backend.sentMessages()[0]) + str(backend.sentMessages()[1]), raw);
}

TEST_F(SlotsTest, AnEmptySlotHasNothingToSend)
{
    select(4);
    (void)banks.SendSysex();
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "No data to send - select or load a bank with data");
    EXPECT_EQ(svc.messagesShown()[0].title, "No Data in Bank");
    EXPECT_EQ(svc.messagesShown()[0].style, 48);
}

TEST_F(SlotsTest, ReceiveStoresTheSynthesizersBankWithoutItsWrapper)
{
    (void)banks.ReceiveSysex();
    midi::testing::WaitForRequestEnd();
    EXPECT_EQ(at(1, SlotField::Length), "4096");
    EXPECT_EQ(at(1, SlotField::FileType), "2");
    EXPECT_EQ(dataOf(1), str(backend.dx7().bulkDump()).substr(6, 4096));
}

// ---- files

TEST_F(SlotsTest, SavingProposesTheSlotNameAndWritesCompleteDumps)
{
    const std::string bank = str(backend.dx7().bulkDump()).substr(6, 4096);
    add(bank, 2, "Bank A");
    add(unpackedVoices(2), 0, "Two/Voices");
    select(1);
    const std::string target = app.dataDirectory + "Bank A.dat";
    svc.answerFile(target);
    std::string path;
    EXPECT_FALSE(banks.SaveSysex(path));
    EXPECT_EQ(path, target);
    ASSERT_EQ(svc.fileDialogsShown().size(), 1U);
    EXPECT_EQ(svc.fileDialogsShown()[0].title, "Save Sysex Bank");
    EXPECT_EQ(svc.fileDialogsShown()[0].fileName, target);
    EXPECT_EQ(readFile(target), str(backend.dx7().bulkDump())) << "a type 3 file: the wrapped bank";

    select(2);
    svc.answerFile(app.dataDirectory + "two.dat");
    EXPECT_FALSE(banks.SaveSysex(path));
    EXPECT_EQ(svc.fileDialogsShown()[1].fileName, app.dataDirectory + "TwoVoices.dat") << "no folder separator";
    EXPECT_EQ(readFile(path).size(), 326U) << "two single-voice dumps";

    // After a file dialog was last in another folder (the MIDI file player's, which keeps
    // a folder of its own, or the Manager's own Load), Save still starts in the data
    // folder, for a named slot and for New Data alike.
    select(3);
    add(bank, 2);
    ASSERT_EQ(at(3, SlotField::Name), "New Data");
    QTemporaryDir midiFiles;
    ASSERT_TRUE(midiFiles.isValid());
    const std::string elsewhere = midiFiles.path().toStdString() + "/";
    const std::string dataFolder = app.dataDirectory;
    writeFile(elsewhere + "Elsewhere.syx", str(backend.dx7().bulkDump()));
    struct Row {
        int slot;
        std::string proposed;
        bool afterLoad;
    };
    for (const Row& row : {Row{1, app.dataDirectory + "Bank A.dat", false}, Row{3, "", false},
                           Row{1, app.dataDirectory + "Bank A.dat", true}}) {
        SCOPED_TRACE(std::to_string(row.slot) + (row.afterLoad ? " after Load" : " after the player"));
        svc.clear();
        if (row.afterLoad) {
            select(9);
            svc.answerFile(elsewhere + "Elsewhere.syx");
            (void)banks.LoadSysex();
            ASSERT_EQ(at(9, SlotField::Name), "Elsewhere");
        } else {
            std::string playerFolder = app.dataDirectory;
            std::string song;
            std::string title;
            svc.answerFile(elsewhere + "song.mid");
            ASSERT_FALSE(banklib::clsVoiceNames().GetFileName(song, title, 0, " Select a Midi File to Play", nullptr,
                                                              {{"MIDI file (*.mid)", "*.mid"}}, "mid", playerFolder));
            ASSERT_EQ(playerFolder, elsewhere);
        }
        select(row.slot);
        svc.answerFileDialog({false, {}, 1});
        EXPECT_TRUE(banks.SaveSysex(path));
        ASSERT_EQ(svc.fileDialogsShown().size(), 2U);
        EXPECT_EQ(svc.fileDialogsShown()[1].title, "Save Sysex Bank");
        EXPECT_EQ(svc.fileDialogsShown()[1].initialFolder, dataFolder);
        EXPECT_EQ(svc.fileDialogsShown()[1].fileName, row.proposed);
        EXPECT_EQ(app.dataDirectory, dataFolder);
    }
}

TEST_F(SlotsTest, SavingRefusesNewDataAndWritesOtherDataByteForByte)
{
    const std::string raw = std::string("\xF0\x43\x00\x7E\x00\x02\x01\x02\x7D\xF7", 10);
    add(raw, -3);
    select(1);
    svc.answerFile(app.dataDirectory + "New Data.dat");
    svc.answerFile(app.dataDirectory + "raw.syx");
    std::string path;
    EXPECT_FALSE(banks.SaveSysex(path));
    ASSERT_EQ(svc.fileDialogsShown().size(), 2U);
    EXPECT_EQ(svc.fileDialogsShown()[0].fileName, "") << "New Data proposes no file";
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "Please choose a different name - New Data cannot be used");
    EXPECT_FALSE(platform::fileExists(app.dataDirectory + "New Data.dat"));
    EXPECT_EQ(readFile(path), raw);

    select(9);
    svc.clear();
    EXPECT_TRUE(banks.SaveSysex(path));
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "No data to save - please choose another bank or load some data");
    EXPECT_TRUE(svc.fileDialogsShown().empty());
}

TEST_F(SlotsTest, LoadingTakesVoiceFilesOnly)
{
    const std::string good = app.dataDirectory + "Brass.Set.syx";
    writeFile(good, str(backend.dx7().bulkDump()));
    svc.answerFile(good);
    (void)banks.LoadSysex();
    EXPECT_EQ(at(1, SlotField::Name), "Brass");
    EXPECT_EQ(at(1, SlotField::Length), "4096");
    EXPECT_EQ(at(1, SlotField::FileType), "2");
    EXPECT_EQ(svc.fileDialogsShown()[0].title, "Load Sysex File");

    struct Bad {
        const char* name;
        std::string bytes;
    };
    std::string sy(4096, '\0');
    sy.replace(0, 16, std::string("\xF0\x43\x00\x7A\x00\x00LM  8101VC", 16));
    const Bad bad[] = {
        {"empty.dat", ""},
        {"odd.dat", std::string(1000, '\x01')},
        {"sy.dat", sy},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        writeFile(app.dataDirectory + b.name, b.bytes);
        svc.clear();
        svc.answerFile(app.dataDirectory + b.name);
        (void)banks.LoadSysex();
        EXPECT_EQ(banks.UsedBankCount(), 1);
        EXPECT_FALSE(svc.messagesShown().empty()) << "the user is told why";
    }
    svc.answerFile(app.dataDirectory + "missing.dat");
    (void)banks.LoadSysex();
    EXPECT_EQ(banks.UsedBankCount(), 1);

    // A file larger than the reader takes (1 GB: 2^23 packed voices, sparse) is said to be
    // too large, as Send File says it.
    const std::string huge = app.dataDirectory + "sparse1g.syx";
    writeFile(huge, "");
    std::filesystem::resize_file(huge, std::uintmax_t{1} << 30);
    svc.clear();
    svc.answerFile(huge);
    (void)banks.LoadSysex();
    EXPECT_EQ(banks.UsedBankCount(), 1);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "sparse1g.syx cannot be loaded: File too large: " + huge);
}

// ---- editing

TEST_F(SlotsTest, AnEditedSlotKeepsTheEditedBytes)
{
    add(unpackedVoices(1), 0);
    select(1);
    editorAnswer = std::string(160, '\x05');
    banks.EditSysex(1);
    ASSERT_EQ(edited.size(), 1U);
    EXPECT_TRUE(editedAsVoiceData);
    EXPECT_EQ(edited[0], unpackedVoices(1));
    EXPECT_EQ(dataOf(1), std::string(160, '\x05'));
    EXPECT_EQ(at(1, SlotField::Length), "160");
    // An empty slot opens no editor.
    select(2);
    banks.EditSysex(1);
    EXPECT_EQ(edited.size(), 1U);
}

TEST_F(SlotsTest, AnEditedMonitorRowIsRewrittenInPlaceWithItsOwnNumber)
{
    auto& log = windows.managerData().MidiMessage;
    log.clear();
    backend.inject(Bytes{0xC0, 0x20});  // program change 32: its data byte is a blank
    backend.inject(backend.dx7().bulkDump());
    backend.inject(Bytes{0x90, 0x00, 0x40});
    midi::ProcessMidiInput();
    ASSERT_EQ(log.recordCount(), 3);

    // The short row is edited from its exact bytes.
    log.setAbsolutePosition(1);
    editorAnswer = std::string("\xC0\x21", 2);
    banks.EditSysex(2);
    ASSERT_EQ(edited.size(), 1U);
    EXPECT_EQ(edited[0], std::string("\xC0\x20", 2));
    EXPECT_FALSE(editedAsVoiceData);
    ASSERT_EQ(log.recordCount(), 3);
    log.setAbsolutePosition(1);
    EXPECT_EQ(platform::Trim(log.text(midi::MonitorField::No)), "1");
    EXPECT_EQ(platform::Trim(log.text(midi::MonitorField::Message)), "Edited Message: 192 33");

    // The long row is rewritten in place too.
    log.setAbsolutePosition(2);
    Bytes bank = backend.dx7().bulkDump();
    bank[100] = 0x11;
    editorAnswer = str(bank);
    banks.EditSysex(2);
    ASSERT_EQ(log.recordCount(), 3);
    log.setAbsolutePosition(2);
    EXPECT_EQ(platform::Trim(log.text(midi::MonitorField::No)), "2");
    EXPECT_EQ(log.text(midi::MonitorField::RawMessage), str(bank));
    log.setAbsolutePosition(3);
    EXPECT_EQ(platform::Trim(log.text(midi::MonitorField::Message)), "Note C-2 On");

    // Nothing changes when the editor gives back the message unchanged.
    log.setAbsolutePosition(3);
    editorAnswer = std::string("\x90\x00\x40", 3);
    banks.EditSysex(2);
    EXPECT_EQ(edited.back(), std::string("\x90\x00\x40", 3));
    log.setAbsolutePosition(3);
    EXPECT_EQ(platform::Trim(log.text(midi::MonitorField::Message)), "Note C-2 On");
}

TEST_F(SlotsTest, AShortSystemExclusiveRowIsEditedAndResentFromItsRawBytes)
{
    auto& log = windows.managerData().MidiMessage;
    log.clear();
    const Bytes request = {0xF0, 0x43, 0x20, 0x09, 0xF7};
    backend.inject(request);
    midi::ProcessMidiInput();
    ASSERT_EQ(log.recordCount(), 1);
    log.moveFirst();
    EXPECT_EQ(midi::monitorRowMessage(log), str(request));
    backend.clearSent();
    (void)windows.managerData().SendMIDIMessage(2, 1);
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    EXPECT_EQ(backend.sentMessages()[0], request);
}

TEST_F(SlotsTest, AnEditOrASaveLandsOnItsSlotWhenADumpArrivesMeanwhile)
{
    const std::string bank = str(backend.dx7().bulkDump()).substr(6, 4096);
    const std::string other = unpackedVoices(2);
    // The dump asks about slot 1 (current); No, No, Yes puts it in the first free slot, 2,
    // and makes slot 3 current.
    const auto dumpArrives = [&](std::vector<MsgAnswer> answers) {
        for (MsgAnswer a : answers)
            svc.answer(a);
        backend.sendUnsolicitedBank();
        midi::ProcessMidiInput();
    };
    const auto prepare = [&] {
        for (int slot = 1; slot <= 4; ++slot) {
            select(slot);
            (void)banks.DeleteSysex();
        }
        select(1);
        add(unpackedVoices(1), 0, "Mine");
        select(3);
        add(other, 0, "Other");
        select(1);
        svc.clear();
    };

    // Edit.
    prepare();
    const std::string edit = std::string(155, '\x07');
    banks.setEditor([&](const std::string&, bool) -> std::optional<std::string> {
        dumpArrives({MsgAnswer::No, MsgAnswer::No, MsgAnswer::Yes});
        return edit;
    });
    banks.EditSysex(1);
    EXPECT_EQ(dataOf(1), edit) << "the edit lands on the slot it was opened for";
    EXPECT_EQ(dataOf(2), bank) << "the dump goes where it would have gone";
    EXPECT_EQ(dataOf(3), other) << "the slot that became current is not overwritten";

    // Save: the dump arrives while the file dialog is open.
    struct DumpDuringDialog final : platform::FileDialogService {
        DumpDuringDialog(platform::FileDialogService& scripted, std::function<void()> whileOpen)
            : m_scripted(scripted), m_whileOpen(std::move(whileOpen))
        {
        }
        platform::FileDialogResult openFile(const platform::FileDialogRequest& r) override
        {
            return m_scripted.openFile(r);
        }
        platform::FileDialogResult saveFile(const platform::FileDialogRequest& r) override
        {
            m_whileOpen();
            return m_scripted.saveFile(r);
        }
        platform::FileDialogService& m_scripted;
        std::function<void()> m_whileOpen;
    } dialog(svc, [&] { dumpArrives({MsgAnswer::No, MsgAnswer::No, MsgAnswer::Yes}); });
    prepare();
    platform::installFileDialogService(&dialog);
    const std::string target = app.dataDirectory + "Mine.dat";
    svc.answerFile(target);
    std::string path;
    const bool failed = banks.SaveSysex(path);
    platform::installFileDialogService(&svc);
    EXPECT_FALSE(failed);
    EXPECT_EQ(dataOf(2), bank);
    EXPECT_EQ(readFile(target).size(), 163U) << "slot 1's voice, not the bank nor slot 3";
    EXPECT_EQ(readFile(target).substr(6, 155), unpackedVoices(1));

    // A dump appended to the slot being edited stays; the edit goes to a free slot.
    prepare();
    banks.setEditor([&](const std::string&, bool) -> std::optional<std::string> {
        dumpArrives({MsgAnswer::Yes, MsgAnswer::Yes});  // append, converting to unpacked voices
        return edit;
    });
    banks.EditSysex(1);
    EXPECT_EQ(dataOf(1).size(), 155U + 4960U);
    EXPECT_EQ(dataOf(2), edit);
    EXPECT_EQ(at(2, SlotField::Name), "Mine");
    ASSERT_EQ(svc.messagesShown().size(), 3U);
    EXPECT_EQ(svc.messagesShown()[2].text,
              "Bank 1 received new data while it was being edited.\r\nThe edited data is kept in Bank 2.");

    // Send: a dump arrives while "Buffer too Large" is asked; Yes saves the slot asked about.
    struct DumpDuringQuestion final : platform::MessageService {
        DumpDuringQuestion(platform::testing::ScriptedServices& scripted, std::function<void()> whileOpen)
            : m_scripted(scripted), m_whileOpen(std::move(whileOpen))
        {
        }
        MsgAnswer messageBox(const std::string& text, int style, const std::string& title) override
        {
            if (title == "Buffer too Large") {
                m_whileOpen();
                m_scripted.answer(MsgAnswer::Yes);
            }
            return m_scripted.messageBox(text, style, title);
        }
        std::optional<std::string> inputBox(const std::string& p, const std::string& t, const std::string& d) override
        {
            return m_scripted.inputBox(p, t, d);
        }
        platform::testing::ScriptedServices& m_scripted;
        std::function<void()> m_whileOpen;
    } question(svc, [&] { dumpArrives({MsgAnswer::No, MsgAnswer::No, MsgAnswer::Yes}); });
    prepare();
    select(1);
    (void)banks.DeleteSysex();
    add(unpackedVoices(33), 0, "Many");
    select(1);
    svc.clear();
    const std::string many = app.dataDirectory + "Many.dat";
    svc.answerFile(many);
    platform::installMessageService(&question);
    (void)banks.SendSysex();
    platform::installMessageService(&svc);
    EXPECT_EQ(dataOf(2), bank);
    EXPECT_EQ(readFile(many).size(), 33U * 163U) << "slot 1's 33 voices, not the bank nor slot 3";
}
