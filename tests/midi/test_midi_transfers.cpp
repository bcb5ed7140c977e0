// Brevane - tests of the main window's MIDI transfers against a simulated DX7: received
// dumps open as temporary lists under free names (or wait in a bank slot), voices, bank
// pages and files go out whole, and the voice lists audition their voices.
#include "SlotsFixture.h"

#include "banklib/InitVoice.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "banklib/testing/FakeVoiceList.h"
#include "midi/MidiManagerSlots.h"
#include "midi/MidiTransfers.h"
#include "platform/FileIO.h"
#include "platform/StatusHelpers.h"

#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <optional>

#include <sys/stat.h>

using namespace miditest;
using platform::MsgAnswer;
using platform::SimulatedDX7;
using Kind = platform::SimulatedDX7::Received::Kind;
namespace SlotField = midi::SlotField;

namespace {

// n unpacked voices, voice i (from 1) named "VOICE <i>".
std::string unpackedVoices(std::size_t n)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        const auto init = banklib::InitVoice();
        std::string v(init.begin(), init.end());
        std::string name = "VOICE " + std::to_string(i + 1);
        name.resize(10, ' ');
        v.replace(145, 10, name);
        v[134] = static_cast<char>(i % 32);  // the algorithm: each voice differs
        out += v;
    }
    return out;
}

std::string packedVoices(std::size_t n)
{
    banklib::clsVoiceData codec;
    const std::string unpacked = unpackedVoices(n);
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += codec.Pack(std::string_view(unpacked).substr(i * 155, 155));
    return out;
}

class TransfersTest : public SlotsFixture {
protected:
    void TearDown() override
    {
        platform::setWriteFaultInjector(nullptr);
        SlotsFixture::TearDown();
    }

    // A list of n voices in a layout, made the active window.
    banklib::testing::FakeVoiceList& activeList(std::size_t n, banklib::FileType type)
    {
        const std::string data = banklib::isPackedLayout(type) ? packedVoices(n) : unpackedVoices(n);
        platform::Recordset rs;
        bool repaired = false;
        banklib::clsVoiceNames names;
        EXPECT_FALSE(names.BuildRecordsetFromBytes(type, "list.dat", rs,
                                                   std::span(reinterpret_cast<const std::uint8_t*>(data.data()),
                                                             data.size()),
                                                   repaired));
        lists.push_back(std::make_unique<banklib::testing::FakeVoiceList>(app.dataDirectory + "list.dat", type,
                                                                          std::move(rs)));
        app.active = {lists.back().get(), nullptr};
        return *lists.back();
    }
    std::string write(const std::string& name, const std::string& bytes)
    {
        const std::string path = app.dataDirectory + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string readFile(const std::string& path)
    {
        const auto r = platform::readWholeFile(path);
        return std::string(r.bytes.begin(), r.bytes.end());
    }
    std::vector<SimulatedDX7::Received> received(Kind kind) const
    {
        std::vector<SimulatedDX7::Received> out;
        for (const auto& r : backend.dx7().received())
            if (r.kind == kind)
                out.push_back(r);
        return out;
    }
    // Midi > Send > File, then the program's clock until the send has ended.
    void sendFile()
    {
        commands.mnuMIDIsend_Click(2);
        midi::testing::WaitForFileSendEnd(commands);
    }
    std::string slotText(int slot, int field)
    {
        banks.MidiSysex.setAbsolutePosition(slot);
        return banks.MidiSysex.text(field);
    }

    std::vector<std::unique_ptr<banklib::testing::FakeVoiceList>> lists;
    midi::MidiTransferCommands commands;
};

}  // namespace

// ---------------------------------------------------------------- receiving

TEST_F(TransfersTest, AReceivedBankIsStoredUnchangedUnderAFreeNameAndOpensAsATemporaryList)
{
    const std::string oldFile = write(" DX Bank  1.dat", "an older dump, kept");
    commands.mnuMIDIreceive_Click(1);
    midi::testing::WaitForRequestEnd();
    const std::string path = app.dataDirectory + " DX Bank  2.dat";
    EXPECT_EQ(readFile(path), str(backend.dx7().bulkDump())) << "the 4104 bytes as received";
    EXPECT_EQ(readFile(oldFile), "an older dump, kept") << "an earlier run's dump is not replaced";
    EXPECT_EQ(commands.ReceivedFileNumber(), 1);
    ASSERT_EQ(app.registry.count(), 1);
    banklib::VoiceListView* list = app.registry.Item(1);
    EXPECT_EQ(list->FileName(), path);
    EXPECT_EQ(list->fileType(), banklib::FileType::PackedSysex);
    EXPECT_EQ(list->VoiceCount(), 32);
    EXPECT_EQ(list->SavedCRC(), banklib::kSavedCrcTemporary);
    EXPECT_TRUE(app.recentFiles.empty()) << "a received dump does not join the recent files";
}

TEST_F(TransfersTest, TwoReceivedVoicesBecomeTwoListsNumberedOneAndTwo)
{
    commands.mnuMIDIreceive_Click(0);
    midi::testing::WaitForRequestEnd();
    commands.mnuMIDIreceive_Click(0);
    midi::testing::WaitForRequestEnd();
    EXPECT_EQ(readFile(app.dataDirectory + " DX Bank  1.dat"), str(backend.dx7().singleVoiceDump()));
    EXPECT_EQ(readFile(app.dataDirectory + " DX Bank  2.dat").size(), 163U);
    ASSERT_EQ(app.registry.count(), 2);
    EXPECT_EQ(app.registry.Item(2)->fileType(), banklib::FileType::UnpackedSysex);
    EXPECT_EQ(app.registry.Item(2)->VoiceCount(), 1);
    EXPECT_EQ(commands.ReceivedFileNumber(), 2);
}

TEST_F(TransfersTest, ADumpThatCannotBeWrittenWaitsInAFreeSlotAndTheUserIsTold)
{
    platform::setWriteFaultInjector([](const std::string&) { return platform::FileError::NoSpace; });
    commands.mnuMIDIreceive_Click(1);
    midi::testing::WaitForRequestEnd();
    EXPECT_EQ(app.registry.count(), 0);
    EXPECT_FALSE(platform::fileExists(app.dataDirectory + " DX Bank  1.dat"));
    EXPECT_EQ(slotText(1, SlotField::Data), str(backend.dx7().bulkDump()).substr(6, 4096));
    EXPECT_EQ(platform::Trim(slotText(1, SlotField::FileType)), "2");
    EXPECT_EQ(platform::Trim(slotText(1, SlotField::Name)), "DX Bank  1");
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].title, "DX7 Bank Received");
    EXPECT_NE(svc.messagesShown()[0].text.find("Sysex Bank 1"), std::string::npos);

    // A voice answering the bank request is said, and kept, as the voice it is.
    svc.clear();
    backend.dx7().setSilent(true);
    bool answered = false;
    svc.onProcessEvents([&](std::int64_t) {
        if (!answered && midi::GetPendingRequest() != -1) {
            answered = true;
            backend.inject(backend.dx7().singleVoiceDump());
        }
    });
    commands.mnuMIDIreceive_Click(1);
    midi::testing::WaitForRequestEnd();
    svc.onProcessEvents({});
    EXPECT_EQ(slotText(2, SlotField::Data), str(backend.dx7().singleVoiceDump()).substr(6, 155));
    EXPECT_EQ(platform::Trim(slotText(2, SlotField::FileType)), "0");
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].title, "DX7 Voice Received");
    EXPECT_EQ(svc.messagesShown()[0].text.rfind("The voice received from your synth", 0), 0U);
}

TEST_F(TransfersTest, NothingReceivedLeavesNoFileAndTheCounterAlone)
{
    backend.dx7().setSilent(true);
    svc.answer(MsgAnswer::Cancel);  // no response: give up
    commands.mnuMIDIreceive_Click(1);
    midi::testing::WaitForRequestEnd();
    EXPECT_EQ(commands.ReceivedFileNumber(), 0);
    EXPECT_EQ(app.registry.count(), 0);
    EXPECT_FALSE(platform::fileExists(app.dataDirectory + " DX Bank  1.dat"));
}

TEST_F(TransfersTest, ADamagedDumpIsKeptAsReceivedAndNeverOpened)
{
    struct Case {
        const char* what;
        bool bank;
        std::function<void(Bytes&)> spoil;
        const char* damage;
    };
    const auto cutAt = [](std::size_t n) {
        return [n](Bytes& d) {
            d.resize(n);
            d.back() = 0xF7;
        };
    };
    const auto extraByte = [](Bytes& d) { d.insert(d.end() - 2, 0x00); };
    const auto wrongCount = [](Bytes& d) { d[4] ^= 0x01; };
    const auto wrongChecksum = [](Bytes& d) { d[d.size() - 2] = (d[d.size() - 2] + 1) & 0x7F; };
    const Case cases[] = {
        {"bank, wrong checksum", true, wrongChecksum, "has a wrong checksum"},
        {"bank, short", true, cutAt(2001), "is incomplete (2001 of 4104 bytes)"},
        {"bank, long", true, extraByte, "is too long (4105 of 4104 bytes)"},
        {"bank, wrong header", true, wrongCount, "has a wrong header"},
        {"voice, wrong checksum", false, wrongChecksum, "has a wrong checksum"},
        {"voice, short", false, cutAt(100), "is incomplete (100 of 163 bytes)"},
        {"voice, long", false, extraByte, "is too long (164 of 163 bytes)"},
        {"voice, wrong header", false, wrongCount, "has a wrong header"},
    };
    backend.dx7().setSilent(true);
    for (const Case& c : cases) {
        Bytes dump = c.bank ? backend.dx7().bulkDump() : backend.dx7().singleVoiceDump();
        c.spoil(dump);
        for (const bool requested : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (requested ? ", requested" : ", unsolicited"));
            banks.MidiSysex.setAbsolutePosition(1);
            (void)banks.DeleteSysex();
            log().MidiMessage.clear();
            svc.clear();
            if (requested) {
                bool answered = false;
                svc.onProcessEvents([&](std::int64_t) {
                    if (!answered && midi::GetPendingRequest() != -1) {
                        answered = true;
                        backend.inject(dump);
                    }
                });
                commands.mnuMIDIreceive_Click(c.bank ? 1 : 0);
                midi::testing::WaitForRequestEnd();
                svc.onProcessEvents({});
            } else {
                backend.inject(dump);
                midi::ProcessMidiInput();
            }
            EXPECT_EQ(slotText(1, SlotField::Data), str(dump)) << "every byte kept";
            EXPECT_EQ(platform::Trim(slotText(1, SlotField::Name)), c.bank ? "Damaged Bank" : "Damaged Voice");
            const std::string line = std::string(c.bank ? "Damaged 32 Voice Bulk Dump Received: it "
                                                        : "Damaged Single DX Voice Received: it ") + c.damage;
            EXPECT_EQ(monitorMessages().back(), line);
            if (requested) {
                ASSERT_EQ(svc.messagesShown().size(), 1U) << "no question about a missing response";
                EXPECT_EQ(svc.messagesShown()[0].text.rfind("The dump received " + std::string(c.damage) + ".", 0), 0U)
                    << svc.messagesShown()[0].text;
                EXPECT_NE(svc.messagesShown()[0].text.find("Sysex Bank 1 "), std::string::npos);
            } else {
                EXPECT_TRUE(svc.messagesShown().empty());
            }
            EXPECT_EQ(midi::ReceivedSysex(), "No Data") << "never handed over";
            EXPECT_FALSE(platform::fileExists(app.dataDirectory + " DX Bank  1.dat")) << "no bank file written";
            EXPECT_EQ(app.registry.count(), 0) << "no list opened";
            EXPECT_EQ(commands.ReceivedFileNumber(), 0);
        }
    }
}

// ---------------------------------------------------------------- sending

TEST_F(TransfersTest, SendVoiceAsksForAVoiceAndSendsAPackedListsVoiceUnpacked)
{
    auto& list = activeList(40, banklib::FileType::Packed);
    commands.mnuMIDIsend_Click(0);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].text, "Please select a voice to send to MIDI");
    EXPECT_EQ(svc.messagesShown()[0].title, "No Voice To Send");
    EXPECT_EQ(svc.messagesShown()[0].style, 48);
    EXPECT_TRUE(backend.sentMessages().empty());

    list.setCurrentVoice(35);
    commands.mnuMIDIsend_Click(0);
    const auto voices = received(Kind::Voice);
    ASSERT_EQ(voices.size(), 1U);
    EXPECT_TRUE(voices[0].checksumOk);
    EXPECT_EQ(backend.dx7().editBufferName(), "VOICE 35  ");
    EXPECT_EQ(str(voices[0].bytes).substr(6, 155), unpackedVoices(35).substr(34 * 155, 155));
    EXPECT_TRUE(statusShown("VOICE 35  sent to MIDI"));
}

TEST_F(TransfersTest, AShortBankPageGoesAfterAYesAsOneWholeBankFilledWithInitVoice)
{
    auto& list = activeList(40, banklib::FileType::Unpacked);
    list.setBankPage(2);
    svc.answer(MsgAnswer::No);
    commands.mnuMIDIsend_Click(1);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].title, "Bank Not Full");
    EXPECT_NE(svc.messagesShown()[0].text.find("voices 9 to 32"), std::string::npos);
    EXPECT_TRUE(backend.sentMessages().empty());

    svc.answer(MsgAnswer::Yes);
    commands.mnuMIDIsend_Click(1);
    const auto banksSent = received(Kind::Bank);
    ASSERT_EQ(banksSent.size(), 1U);
    EXPECT_EQ(banksSent[0].bytes.size(), 4104U);
    EXPECT_TRUE(banksSent[0].checksumOk);
    EXPECT_EQ(backend.dx7().voiceName(0), "VOICE 33  ");
    EXPECT_EQ(backend.dx7().voiceName(7), "VOICE 40  ");
    EXPECT_EQ(backend.dx7().voiceName(8), "INIT VOICE");
    EXPECT_EQ(backend.dx7().voiceName(31), "INIT VOICE");
    EXPECT_TRUE(statusShown("Please wait - sending Bank 2 to MIDI"));
    EXPECT_TRUE(statusShown("Bank 2 sent to MIDI"));
    EXPECT_TRUE(statusShown("Adding Voice  40 now string length is  1024"));

    // A page past the last voice sends nothing and asks nothing.
    list.setBankPage(3);
    backend.clearSent();
    svc.clear();
    commands.mnuMIDIsend_Click(1);
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_TRUE(svc.messagesShown().empty());
}

TEST_F(TransfersTest, AFullPageGoesWithoutAQuestionAndNoListSendsNothing)
{
    activeList(64, banklib::FileType::PackedSysex).setBankPage(2);
    commands.mnuMIDIsend_Click(1);
    EXPECT_TRUE(svc.messagesShown().empty());
    EXPECT_EQ(backend.dx7().voiceName(31), "VOICE 64  ");

    app.active = {};
    backend.clearSent();
    commands.mnuMIDIsend_Click(0);
    commands.mnuMIDIsend_Click(1);
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_TRUE(svc.messagesShown().empty());
}

TEST_F(TransfersTest, VoiceBytesOver127AreSentAsSevenBitData)
{
    auto& list = activeList(2, banklib::FileType::Unpacked);
    list.rsmfimage().moveFirst();
    std::string data = list.rsmfimage().text(banklib::VoiceListField::Data);
    data[3] = static_cast<char>(0xE3);  // a byte no System Exclusive message may carry
    list.rsmfimage().setValue(banklib::VoiceListField::Data, data);
    list.setCurrentVoice(1);
    commands.mnuMIDIsend_Click(0);
    EXPECT_TRUE(svc.messagesShown().empty()) << "no \"MIDI output failed\"";
    const auto voices = received(Kind::Voice);
    ASSERT_EQ(voices.size(), 1U);
    EXPECT_TRUE(voices[0].checksumOk);
    EXPECT_EQ(voices[0].bytes[6 + 3], 0xE3 & 0x7F);
}

// ---- Send File

TEST_F(TransfersTest, ABankFileArrivesWholeInTwoSlicesWithOneSecondPauses)
{
    const std::string path = write("bank.syx", str(backend.dx7().bulkDump()));
    svc.answerFile(path);
    const std::int64_t start = svc.nowMs();
    commands.mnuMIDIsend_Click(2);
    EXPECT_TRUE(commands.sendingFile()) << "the command returns while the file goes out";
    EXPECT_TRUE(svc.busy());
    ASSERT_EQ(svc.fileDialogsShown().size(), 1U);
    EXPECT_EQ(svc.fileDialogsShown()[0].title, "Choose a file to send to MIDI");
    midi::testing::WaitForFileSendEnd(commands);
    EXPECT_FALSE(svc.busy());
    const auto banksSent = received(Kind::Bank);
    ASSERT_EQ(banksSent.size(), 1U);
    EXPECT_TRUE(banksSent[0].checksumOk);
    EXPECT_GE(svc.nowMs() - start, 2000) << "a pause after each of the two slices";
    const std::string progress =
        "Please wait - sending bank.syx to Midi 4 kb sent out of 4 kb - press Esc to stop sending";
    const std::string sent = "bank.syx sent to Midi ( 4104) bytes";
    std::vector<std::int64_t> progressAt;
    std::int64_t sentAt = -1;
    for (const auto& s : svc.statusHistory()) {
        if (s.text == progress)
            progressAt.push_back(s.atMs);
        if (s.text == sent)
            sentAt = s.atMs;
    }
    ASSERT_EQ(progressAt.size(), 2U);
    EXPECT_EQ(progressAt[1] - progressAt[0], 1000);
    EXPECT_EQ(sentAt - progressAt[1], 1000);
    EXPECT_EQ(statusTexts().front(), "Please wait - sending bank.syx to Midi - press Esc to stop sending");
    // The final text stands a second, while the program goes on.
    EXPECT_EQ(svc.statusText(1), sent);
    platform::PauseWithEvents(1000);
    EXPECT_EQ(svc.statusText(1), "");
    EXPECT_EQ(svc.statusHistory().back().atMs - sentAt, 1000);
}

TEST_F(TransfersTest, SendFileTellsHowManyBytesCouldNotGo)
{
    svc.answerFile(write("empty.syx", ""));
    sendFile();
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_TRUE(statusShown("empty.syx sent to Midi ( 0) bytes"));

    // Nothing sent is said first, and the word stays until the next text, over any number
    // of slices.
    svc.answerFile(write("notes.txt", "Some words, not MIDI."));
    sendFile();
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_EQ(svc.statusText(1), "notes.txt was not sent to Midi: its 21 bytes form no whole MIDI message");
    EXPECT_FALSE(statusShown("notes.txt sent to Midi ( 21) bytes"));
    svc.answerFile(write("noise.bin", std::string(5000, 'x')));
    sendFile();
    EXPECT_TRUE(backend.sentMessages().empty());
    EXPECT_EQ(svc.statusText(1), "noise.bin was not sent to Midi: its 5000 bytes form no whole MIDI message");

    // A whole request, then a message cut off at the end of the file.
    svc.answerFile(write("cut.syx", std::string("\xF0\x43\x20\x09\xF7\xF0\x43\x00\x09", 9)));
    sendFile();
    EXPECT_EQ(received(Kind::BankRequest).size(), 1U);
    EXPECT_TRUE(statusShown("cut.syx sent to Midi ( 5) bytes - 4 bytes could not be sent: they form no whole "
                            "MIDI message"));
}

TEST_F(TransfersTest, AnUnreadableFileIsReportedAndNothingIsSent)
{
    // A pipe is said to be no file, as File > Open says it, and is not waited on.
    const std::string pipe = app.dataDirectory + "pipe.syx";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    struct Row {
        std::string file;
        std::string said;
    };
    for (const Row& row : {Row{app.dataDirectory + "gone.syx", "gone.syx cannot be sent: File not found"},
                           Row{pipe, "pipe.syx cannot be sent: " + pipe + " is not a file"}}) {
        SCOPED_TRACE(row.file);
        svc.clear();
        svc.answerFile(row.file);
        sendFile();
        ASSERT_EQ(svc.messagesShown().size(), 1U);
        EXPECT_EQ(svc.messagesShown()[0].title, "Send File");
        EXPECT_EQ(svc.messagesShown()[0].text.rfind(row.said, 0), 0U) << svc.messagesShown()[0].text;
        EXPECT_TRUE(backend.sentMessages().empty());
        EXPECT_FALSE(commands.sendingFile());
    }
}

TEST_F(TransfersTest, ASecondFileSendIsRefusedAndClosingTheOutputEndsTheSend)
{
    const std::string big = str(backend.dx7().bulkDump()) + str(backend.dx7().bulkDump()) +
                            str(backend.dx7().bulkDump());
    svc.answerFile(write("three.syx", big));
    bool tried = false;
    bool closed = false;
    svc.onProcessEvents([&](std::int64_t) {
        if (!commands.sendingFile())
            return;
        if (!tried) {
            tried = true;
            commands.mnuMIDIsend_Click(2);  // from inside the first send's pause
        } else if (!closed && backend.dx7().count(Kind::Bank) == 1) {
            closed = true;
            midi::CloseMidiDevices(false, true);
        }
    });
    sendFile();
    svc.onProcessEvents({});
    ASSERT_TRUE(tried && closed);
    ASSERT_GE(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].title, "Send File");
    EXPECT_EQ(svc.fileDialogsShown().size(), 1U) << "the second send asked for no file";
    EXPECT_LT(backend.dx7().count(Kind::Bank), 3U);
    bool stoppedText = false;
    for (const auto& t : statusTexts())
        stoppedText = stoppedText || t.find("three.syx not sent completely: the MIDI output was closed") == 0;
    EXPECT_TRUE(stoppedText);
    EXPECT_FALSE(statusShown("three.syx sent to Midi ( 12312) bytes"));
}

// A window opened during a pause (one that runs the program's event loop for 8 s, as a
// modal dialog does) holds no slice: each goes out at its time while the window is open.
TEST_F(TransfersTest, AWindowOpenedDuringAPauseHoldsNoSlice)
{
    const std::string bank = str(backend.dx7().bulkDump());
    svc.answerFile(write("three.syx", bank + bank + bank));
    std::int64_t openedAt = -1;
    std::int64_t closedAt = -1;
    svc.onProcessEvents([&](std::int64_t now) {
        if (openedAt >= 0 || !commands.sendingFile())
            return;
        openedAt = now;
        while (svc.nowMs() < now + 8000)
            svc.processEvents(10);
        closedAt = svc.nowMs();
    });
    sendFile();
    svc.onProcessEvents({});
    ASSERT_GE(openedAt, 0);
    const auto& at = backend.sentTimesMs();
    ASSERT_EQ(received(Kind::Bank).size(), 3U);
    ASSERT_EQ(at.size(), 3U);
    for (std::size_t i = 0; i < at.size(); ++i) {
        EXPECT_LT(at[i], closedAt) << "bank " << i + 1 << " went out while the window was open";
        if (i > 0) {
            EXPECT_EQ(at[i] - at[i - 1], 1000) << "bank " << i + 1;
        }
    }
    EXPECT_TRUE(statusShown("three.syx sent to Midi ( 12312) bytes"));
}

// A send ends once its slice has gone, however it is ended: Escape or the exit in the pause
// after the second of four slices (the first bank gone, the second begun), or after the
// last; the commands going away. What went is said once; nothing more goes, no timed call
// is left behind and the cursor comes back.
TEST_F(TransfersTest, EscapeTheExitOrTheCommandsGoingEndASendAfterTheSliceGoingOut)
{
    const std::string bank = str(backend.dx7().bulkDump());
    const std::string path = write("three.syx", bank + bank + bank);
    using Commands = std::optional<midi::MidiTransferCommands>;
    struct Row {
        const char* what;
        std::size_t afterSlices;
        std::function<void(Commands&)> end;
        std::size_t banks;
        std::string said;  // in the status bar, and in the monitor when cut
    };
    const Row rows[] = {
        {"Escape", 2, [](Commands& c) { EXPECT_TRUE(c->endFileSend(false)); }, 1,
         "three.syx not sent completely: stopped with Esc (4104 of 12312 bytes sent)"},
        {"the exit", 2, [](Commands& c) { EXPECT_TRUE(c->endFileSend(true)); }, 1,
         "three.syx not sent completely: stopped by Exit (4104 of 12312 bytes sent)"},
        {"Escape after the last slice", 4, [](Commands& c) { EXPECT_TRUE(c->endFileSend(false)); }, 3,
         "three.syx sent to Midi ( 12312) bytes"},
        {"the commands going", 2, [](Commands& c) { c.reset(); }, 1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::size_t banksBefore = received(Kind::Bank).size();
        svc.clear();
        const std::size_t linesBefore = monitorMessages().size();
        Commands sender;
        sender.emplace();
        EXPECT_FALSE(sender->endFileSend(false)) << "no send runs";
        const auto slicesGone = [&] {
            const auto all = statusTexts();
            return static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [](const std::string& t) {
                return t.find("kb sent out of 12 kb - press Esc to stop sending") != std::string::npos;
            }));
        };
        bool ended = false;
        svc.onProcessEvents([&](std::int64_t) {
            if (!ended && slicesGone() == row.afterSlices) {
                ended = true;
                row.end(sender);
            }
        });
        svc.answerFile(path);
        sender->mnuMIDIsend_Click(2);
        while (sender && sender->sendingFile())
            svc.processEvents(10);
        svc.onProcessEvents({});
        ASSERT_TRUE(ended);
        const std::size_t textsAtEnd = statusTexts().size();
        platform::PauseWithEvents(5000);
        EXPECT_EQ(received(Kind::Bank).size() - banksBefore, row.banks);
        EXPECT_EQ(slicesGone(), row.afterSlices);
        EXPECT_FALSE(svc.busy());
        auto lines = monitorMessages();
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(linesBefore));
        const bool cut = row.said.find("not sent completely") != std::string::npos;
        EXPECT_EQ(lines, cut ? std::vector<std::string>{row.said} : std::vector<std::string>{});
        const auto texts = statusTexts();
        if (row.said.empty()) {
            EXPECT_EQ(texts.size(), textsAtEnd) << "nothing more is said";
        } else {
            ASSERT_GE(textsAtEnd, 1U);
            EXPECT_EQ(texts[textsAtEnd - 1], row.said);
            EXPECT_EQ(std::count(texts.begin(), texts.end(), row.said), 1);
        }
    }
}

TEST_F(TransfersTest, ASlotSentDuringAFilesPauseNeverCutsItAndAFailedSendLeavesNothingBehind)
{
    // A parameter change kept byte for byte, sent while a bank file waits between its slices.
    const std::string change("\xF0\x43\x10\x01\x11\x41\xF7", 7);
    std::int32_t other = -3;
    (void)banks.AddSysex(change, 7, other, "Change");
    const std::string path = write("bank.syx", str(backend.dx7().bulkDump()));
    bool slotSent = false;
    svc.onProcessEvents([&](std::int64_t) {
        if (!commands.sendingFile() || slotSent)
            return;
        slotSent = true;
        banks.MidiSysex.setAbsolutePosition(1);
        svc.answer(MsgAnswer::Ok);
        (void)banks.SendSysex();
    });
    svc.answerFile(path);
    sendFile();
    svc.onProcessEvents({});
    ASSERT_TRUE(slotSent);
    ASSERT_EQ(received(Kind::Bank).size(), 1U) << "the bank arrived whole";
    EXPECT_TRUE(received(Kind::Bank)[0].checksumOk);
    EXPECT_EQ(received(Kind::ParameterChange).size(), 1U);
    EXPECT_TRUE(statusShown("bank.syx sent to Midi ( 4104) bytes"));

    // Stray bytes, a whole change, then a message the slot never ends: the user hears of
    // the six bytes, and the next file counts none of them as its own.
    std::int32_t broken = -3;
    banks.MidiSysex.setAbsolutePosition(2);
    (void)banks.AddSysex("\x01\x02" + change + std::string("\xF0\x43\x00\x09", 4), 13, broken, "Broken");
    banks.MidiSysex.setAbsolutePosition(2);
    svc.clear();
    svc.answer(MsgAnswer::Ok);
    (void)banks.SendSysex();
    ASSERT_EQ(svc.messagesShown().size(), 2U);
    EXPECT_EQ(svc.messagesShown()[1].text, "Bank 2: 6 of its 13 bytes could not be sent: they form no whole MIDI "
                                           "message, or the device refused them.");
    EXPECT_EQ(received(Kind::ParameterChange).size(), 2U);
    svc.answerFile(path);
    sendFile();
    EXPECT_EQ(received(Kind::Bank).size(), 2U);
    EXPECT_TRUE(statusShown("bank.syx sent to Midi ( 4104) bytes"));
    for (const auto& t : statusTexts())
        EXPECT_EQ(t.find("could not be sent"), std::string::npos) << t;
}

TEST_F(TransfersTest, TheStopNoticeGetsThroughAFullQueueAndSendsCutByTheLossSaySoWithoutAFailureBox)
{
    activeList(32, banklib::FileType::Packed);
    const std::string bank = str(backend.dx7().bulkDump());
    svc.answerFile(write("three.syx", bank + bank + bank));
    const auto rows = static_cast<std::size_t>(log().MidiMessage.recordCount());
    // The MIDI system goes while a file waits between its slices, and its notice has not
    // come yet: the next slice is cut and the file ends there; a bank page then goes the
    // same way. Neither shows a box, and the monitor says what did not finish.
    bool lost = false;
    svc.onProcessEvents([&](std::int64_t) {
        if (commands.sendingFile() && !lost && backend.dx7().count(Kind::Bank) == 1) {
            lost = true;
            backend.loseSystem(false);
        }
    });
    sendFile();
    svc.onProcessEvents({});
    commands.mnuMIDIsend_Click(1);
    ASSERT_TRUE(lost);
    EXPECT_EQ(received(Kind::Bank).size(), 1U);
    EXPECT_TRUE(svc.messagesShown().empty()) << "no MIDI output failed";
    const std::string fileCut = "three.syx not sent completely: DX7 Simulator stopped (4104 of 12312 bytes sent)";
    EXPECT_TRUE(statusShown(fileCut));
    auto all = monitorMessages();
    EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(rows), all.end()),
              (std::vector<std::string>{
                  "Midi output completed OK", "Sysex slice: 4104 bytes not sent - DX7 Simulator stopped",
                  "Sysex slice: 4080 bytes not sent - DX7 Simulator stopped", fileCut,
                  "Long Sysex not sent completely: length  4104 bytes - DX7 Simulator stopped"}));
    EXPECT_TRUE(init.MidiInOpen && init.MidiOutOpen) << "the notice is still to come";

    // Input is held up and fills the queue to its cap, up to the last note that fits; then
    // the notice comes, and notes the input still had. It gets through after what came
    // before it, once, and the program works offline; every run of dropped notes is said
    // before it.
    const platform::MidiEvent big{platform::MidiEventKind::LongError, 0, Bytes(std::size_t{1} << 20, 0x11), 0};
    const platform::MidiEvent note{platform::MidiEventKind::Data, 0x643C90, {}, 0};
    for (int i = 0; i < 3; ++i)
        midi::midiInputQueue().post(big);
    for (std::size_t i = 0; i < (std::size_t{1} << 20) / sizeof(platform::MidiEvent) + 100; ++i)
        midi::midiInputQueue().post(note);
    backend.tellSystemGone();
    for (int i = 0; i < 10; ++i)
        midi::midiInputQueue().post(note);
    midi::ProcessMidiInput();
    midi::ProcessMidiInput();
    all = monitorMessages();
    ASSERT_GE(all.size(), 2U);
    EXPECT_EQ(all.back(), "DX7 Simulator stopped - MIDI devices closed, working offline");
    EXPECT_EQ(all[all.size() - 2].rfind("MIDI input queue full: ", 0), 0U) << "notes were dropped just before it";
    EXPECT_EQ(std::count(all.begin(), all.end(), all.back()), 1);
    ASSERT_EQ(svc.messagesShown().size(), 1U);
    EXPECT_EQ(svc.messagesShown()[0].title, "MIDI System Stopped");
    EXPECT_FALSE(init.MidiInOpen || init.MidiOutOpen);
    EXPECT_FALSE(windows.inputCommands || windows.outputCommands);
}

// ---------------------------------------------------------------- audition from the list

TEST_F(TransfersTest, AClickedVoiceGoesOutUnpackedAndARightClickAddsTheTestScale)
{
    auto& list = activeList(40, banklib::FileType::PackedSysex);
    init.setMIDIDeviceNumber(0);
    midi::SendPatchToMidi(list, 40, 1, true);
    ASSERT_EQ(backend.sentMessages().size(), 1U);
    const Bytes& dump = backend.sentMessages()[0];
    EXPECT_EQ(dump.size(), 163U);
    EXPECT_EQ(dump[2], 0x00);
    EXPECT_EQ(str(dump).substr(6, 155), unpackedVoices(40).substr(39 * 155, 155));

    backend.clearSent();
    midi::SendPatchToMidi(list, 2, 2, true);  // right button
    midi::testing::PlayOutTimedNotes();
    const auto& sent = backend.sentMessages();
    ASSERT_EQ(sent.size(), 1U + 14U) << "the dump, then seven notes on and off";
    EXPECT_EQ(sent[0].size(), 163U);
    EXPECT_EQ(sent[1][0], 0x90);

    // With the keys (allowScale false) the scale never plays.
    backend.clearSent();
    midi::SendPatchToMidi(list, 3, 2, false);
    EXPECT_EQ(backend.sentMessages().size(), 1U);
}

// The scale belongs to the voice it followed: a click on another voice ends it at once,
// its sounding note released before the voice goes out, and a right click's voice gets
// its own whole scale.
TEST_F(TransfersTest, AClickWhileTheScalePlaysEndsItBeforeTheNewVoice)
{
    auto& list = activeList(4, banklib::FileType::Unpacked);
    for (const int button : {1, 2}) {
        SCOPED_TRACE(button == 1 ? "left" : "right");
        backend.clearSent();
        bool clicked = false;
        svc.onProcessEvents([&](std::int64_t) {
            if (!clicked && backend.sentMessages().size() == 4) {  // dump, first note, second note on
                clicked = true;
                midi::SendPatchToMidi(list, 4, button, true);
            }
        });
        midi::SendPatchToMidi(list, 1, 2, true);
        midi::testing::PlayOutTimedNotes();
        svc.onProcessEvents({});
        ASSERT_TRUE(clicked);
        std::string shape;  // V a dump, n a note on, f a note off
        for (const auto& m : backend.sentMessages())
            shape += m.size() == 163 ? 'V' : m[2] != 0 ? 'n' : 'f';
        EXPECT_EQ(shape, button == 1 ? "VnfnfV" : "VnfnfVnfnfnfnfnfnfnf");
        ASSERT_GE(backend.sentMessages().size(), 5U);
        EXPECT_EQ(backend.sentMessages()[4][1], backend.sentMessages()[3][1]) << "the sounding note released";
    }
}

TEST_F(TransfersTest, WithTheOutputClosedTheListSendsNothing)
{
    auto& list = activeList(4, banklib::FileType::Unpacked);
    midi::CloseMidiDevices(false, true);
    backend.clearSent();
    midi::SendPatchToMidi(list, 1, 2, true);
    midi::SendPatchNameToMidi("ANEW NAME ");
    EXPECT_TRUE(backend.sentMessages().empty());
}

TEST_F(TransfersTest, ANewNameGoesOutAsTenParameterChanges)
{
    init.setMIDIDeviceNumber(2);
    midi::SendPatchNameToMidi("Abcdefghij");
    const auto& sent = backend.sentMessages();
    ASSERT_EQ(sent.size(), 10U);
    EXPECT_EQ(sent[0], (Bytes{0xF0, 0x43, 0x12, 0x01, 0x11, 0x41, 0xF7}));
    EXPECT_EQ(sent[9], (Bytes{0xF0, 0x43, 0x12, 0x01, 0x1A, 'j', 0xF7}));
    init.setMIDIDeviceNumber(0);
    midi::SendPatchNameToMidi("Abcdefghij");
    EXPECT_EQ(backend.dx7().editBufferName(), "Abcdefghij") << "the synthesizer takes the name";

    backend.clearSent();
    midi::SendPatchNameToMidi("Abc");
    EXPECT_EQ(backend.sentMessages().size(), 3U) << "nothing for missing characters";
}

TEST_F(TransfersTest, ABankSentFromAListComesBackUnchangedIntoANewList)
{
    auto& list = activeList(32, banklib::FileType::Packed);
    commands.mnuMIDIsend_Click(1);
    ASSERT_EQ(received(Kind::Bank).size(), 1U);
    commands.mnuMIDIreceive_Click(1);
    midi::testing::WaitForRequestEnd();
    ASSERT_EQ(app.registry.count(), 1);
    banklib::VoiceListView* back = app.registry.Item(1);
    ASSERT_EQ(back->VoiceCount(), 32);
    for (int v = 1; v <= 32; ++v) {
        list.rsmfimage().setAbsolutePosition(v);
        back->rsmfimage().setAbsolutePosition(v);
        EXPECT_EQ(back->rsmfimage().text(banklib::VoiceListField::Data),
                  list.rsmfimage().text(banklib::VoiceListField::Data)) << "voice " << v;
        EXPECT_EQ(back->rsmfimage().text(banklib::VoiceListField::Names),
                  list.rsmfimage().text(banklib::VoiceListField::Names)) << "voice " << v;
    }
}
