// Brevane - the voice parameter recordsets and single-voice transfer.
#include "BankTestSupport.h"

#include "banklib/Crc32.h"
#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceData.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "banklib/testing/FakeVoiceEditor.h"
#include "banklib/testing/FakeVoiceList.h"
#include "platform/VbText.h"
#include "platform/testing/ScriptedServices.h"

#include <gtest/gtest.h>

namespace banklib {
namespace {

using platform::MsgAnswer;
using platform::RTrim;
using platform::testing::ScriptedServices;

TEST(ProxyData, DisplayTexts)
{
    clsVoiceData vd;
    platform::Recordset& rs = vd.InitProxyData();
    ASSERT_EQ(rs.recordCount(), 100);
    const auto at = [&](int v, int field) {
        rs.setAbsolutePosition(v + 1);
        return RTrim(rs.text(field));
    };
    struct Case {
        int value;
        int field;
        std::string text;
    };
    const Case cases[] = {
        {0, ProxyDataField::ParamID, " 0"},          {3, ProxyDataField::LevelScaling, "+LIN"},
        {4, ProxyDataField::LevelScaling, ""},         {1, ProxyDataField::OscMode, "Fixed"},
        {0, ProxyDataField::FixedFreqFine, " 0"},      {1, ProxyDataField::FixedFreqFine, " .023"},
        {31, ProxyDataField::FixedFreqFine, " 1.042"}, {44, ProxyDataField::FixedFreqFine, " 1.716"},
        {94, ProxyDataField::FixedFreqFine, " 7.718"}, {99, ProxyDataField::FixedFreqFine, " 8.772"},
        {0, ProxyDataField::FreqRatioFine, " 0"},      {1, ProxyDataField::FreqRatioFine, " .01"},
        {10, ProxyDataField::FreqRatioFine, " .1"},    {0, ProxyDataField::Detune, "-7"},
        {7, ProxyDataField::Detune, " 0"},             {14, ProxyDataField::Detune, " 7"},
        {15, ProxyDataField::Detune, ""},              {1, ProxyDataField::LFOKeySync, "On"},
        {0, ProxyDataField::OscKeySync, "Off"},        {0, ProxyDataField::LFOWave, "Triangle"},
        {2, ProxyDataField::LFOWave, "Saw Up"},        {3, ProxyDataField::LFOWave, "Square"},
        {4, ProxyDataField::LFOWave, "Sine"},          {5, ProxyDataField::LFOWave, "S/Hold"},
        {6, ProxyDataField::LFOWave, ""},              {0, ProxyDataField::Transpose, "C 1"},
        {24, ProxyDataField::Transpose, "C 3"},        {48, ProxyDataField::Transpose, "C 5"},
        {49, ProxyDataField::Transpose, ""},           {0, ProxyDataField::BreakPoint, "A-1"},
        {1, ProxyDataField::BreakPoint, "A#-1"},       {39, ProxyDataField::BreakPoint, "C 3"},
        {40, ProxyDataField::BreakPoint, "C#3"},       {99, ProxyDataField::BreakPoint, "C 8"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(at(c.value, c.field), c.text) << c.value << " field " << c.field;
    // A second fill overwrites instead of adding rows.
    vd.InitProxyData();
    EXPECT_EQ(rs.recordCount(), 100);
}

TEST(VoiceDataRecordset, DataMembersAreNamedExactly)
{
    clsVoiceData vd;
    EXPECT_EQ(vd.GetDataMember("VoiceData"), &vd.rsDXVoiceData);
    EXPECT_EQ(vd.GetDataMember("ProxyData"), &vd.rsDXProxyValues);
    EXPECT_EQ(vd.GetDataMember("voicedata"), nullptr);
    EXPECT_EQ(vd.GetDataMember("Other"), nullptr);
    EXPECT_EQ(vd.rsDXVoiceData.fieldIndex("Min."), VoiceDataField::Min);
    EXPECT_EQ(vd.rsDXProxyValues.fieldIndex("Freq.Ratio Fine"), ProxyDataField::FreqRatioFine);
}

// A one-voice list of the given layout holding this unpacked voice.
platform::Recordset listOf(const std::array<std::uint8_t, kUnpackedVoiceSize>& voice, FileType type)
{
    std::vector<std::uint8_t> bytes(voice.begin(), voice.end());
    clsVoiceNames names;
    names.RestructureFileBufferByt(bytes, FileType::Unpacked, type);
    platform::Recordset rs;
    bool repaired = false;
    (void)names.BuildRecordsetFromBytes(type, "t", rs, bytes, repaired);
    return rs;
}

std::string rowText(platform::Recordset& rs, int row, int field)
{
    rs.setAbsolutePosition(row + 1);
    return RTrim(rs.text(field));
}

TEST(VoiceDataRecordset, LoadsAVoiceWithTheParameterTable)
{
    ScriptedServices ui;
    std::mt19937 rng(5);
    auto voice = test::randomVoice(rng);
    voice[0] = 99;
    voice[unpackedOperatorOffset(6, UnpackedOp::kOscMode)] = 1;
    voice[unpackedOperatorOffset(5, UnpackedOp::kOscMode)] = 0;
    test::setName(voice, "Brass 1");
    platform::Recordset list = listOf(voice, FileType::Packed);
    clsVoiceData vd;
    platform::Recordset rsVoice;
    std::int32_t crc = 0;
    std::string mode;
    ASSERT_FALSE(vd.GetVoiceData(list, 1, FileType::Packed, rsVoice, crc, false, mode, 0));
    EXPECT_TRUE(ui.messagesShown().empty());
    EXPECT_EQ(static_cast<std::uint32_t>(crc), crc32(std::span<const std::uint8_t>(voice)));
    ASSERT_EQ(rsVoice.recordCount(), 155);

    EXPECT_EQ(rowText(rsVoice, 0, VoiceDataField::Value), " 99");
    EXPECT_EQ(rowText(rsVoice, 0, VoiceDataField::Title), "OP6 EG Rate 1");
    EXPECT_EQ(rsVoice.text(VoiceDataField::Title).size(), 15u);
    EXPECT_EQ(rowText(rsVoice, 0, VoiceDataField::OpGroup), "EG Rate 6");
    EXPECT_EQ(rowText(rsVoice, 21, VoiceDataField::Title), "OP5 EG Rate 1");
    EXPECT_EQ(rowText(rsVoice, 29, VoiceDataField::SubGroup), "LevSc5");
    EXPECT_EQ(rowText(rsVoice, 34, VoiceDataField::SubGroup), "OpMisc5");
    EXPECT_EQ(rowText(rsVoice, 38, VoiceDataField::SubGroup), "Operator 5");
    EXPECT_EQ(rowText(rsVoice, 18, VoiceDataField::ProxyFieldID), " 3") << "fixed mode";
    EXPECT_EQ(rowText(rsVoice, 21 + 19, VoiceDataField::ProxyFieldID), " 4") << "ratio mode";
    EXPECT_EQ(rowText(rsVoice, 142, VoiceDataField::Max), "5") << "six LFO waves, sample and hold the last";
    EXPECT_EQ(rowText(rsVoice, 141, VoiceDataField::ProxyFieldID), " 7");
    EXPECT_EQ(rowText(rsVoice, 126, VoiceDataField::Group), "Non-Operator");
    EXPECT_EQ(rowText(rsVoice, 126, VoiceDataField::OpGroup), "Not Applicable");
    EXPECT_EQ(rowText(rsVoice, 145, VoiceDataField::Value), "B");
    EXPECT_EQ(rowText(rsVoice, 145, VoiceDataField::ShortTitle), "Fine");
    EXPECT_EQ(rowText(rsVoice, 147, VoiceDataField::ShortTitle), "R1");
    EXPECT_EQ(rowText(rsVoice, 154, VoiceDataField::Title), "Name 10");
    EXPECT_EQ(rowText(rsVoice, 154, VoiceDataField::RandomGroup), "");
    EXPECT_EQ(rowText(rsVoice, 60, VoiceDataField::ProxyVal), "Not Set");
    EXPECT_EQ(rowText(rsVoice, 100, VoiceDataField::Min), "0");

    // Without edits the voice reads back with the same fingerprint.
    std::string back;
    EXPECT_EQ(vd.PutVoiceDataInString(rsVoice, back, FileType::Packed, false), crc);
    EXPECT_EQ(back, std::string(voice.begin(), voice.end()));
    EXPECT_EQ(vd.PutVoiceDataInString(rsVoice, back, FileType::Packed, true), crc);
    EXPECT_EQ(back, vd.Pack(std::string(voice.begin(), voice.end())));

    // Loading again overwrites the 155 rows.
    ASSERT_FALSE(vd.GetVoiceData(list, 1, FileType::Packed, rsVoice, crc, false, mode, 0));
    EXPECT_EQ(vd.rsDXVoiceData.recordCount(), 155);
}

TEST(VoiceDataRecordset, OutOfRangeValuesAskOrResetQuietly)
{
    std::array<std::uint8_t, kUnpackedVoiceSize> voice{};
    test::setName(voice, "RANGE 9");
    voice[UnpackedOp::kKeyVelocitySens] = 9;  // operator 6 KVS, range 0..7
    voice[Unpacked::kLfoWave] = 6;             // range 0..5
    const platform::Recordset packedList = listOf(voice, FileType::Unpacked);

    {
        ScriptedServices ui;
        ui.answer(MsgAnswer::Yes);
        ui.answer(MsgAnswer::Yes);
        clsVoiceData vd;
        platform::Recordset list = packedList.copy();
        platform::Recordset rsVoice;
        std::int32_t crc = 0;
        std::string mode;
        ASSERT_FALSE(vd.GetVoiceData(list, 1, FileType::Unpacked, rsVoice, crc, false, mode, 0));
        ASSERT_EQ(ui.messagesShown().size(), 2u);
        const auto& m = ui.messagesShown()[0];
        EXPECT_EQ(m.title, "Error in Voice Data");
        EXPECT_EQ(m.style, 4 + 64);
        EXPECT_EQ(m.text, "The value for OP6 KVS         (9)  is outside the permitted range ( 0 to 7 )\r\n"
                          " If you continue the value will be reset to 7.\r\n OK to continue loading this voice ?");
        EXPECT_NE(ui.messagesShown()[1].text.find("reset to 5."), std::string::npos);
        EXPECT_EQ(rowText(rsVoice, 15, VoiceDataField::Value), "7");
        EXPECT_EQ(rowText(rsVoice, 142, VoiceDataField::Value), "5");
        EXPECT_NE(crc, 0);
    }
    {
        ScriptedServices ui;
        ui.answer(MsgAnswer::No);
        clsVoiceData vd;
        platform::Recordset list = packedList.copy();
        platform::Recordset rsVoice;
        std::int32_t crc = 5;
        std::string mode;
        EXPECT_FALSE(vd.GetVoiceData(list, 1, FileType::Unpacked, rsVoice, crc, false, mode, 0));
        EXPECT_EQ(crc, 0) << "a refused load gives no voice";
        EXPECT_EQ(rsVoice.fieldCount(), 0) << "and hands out no recordset";
        EXPECT_FALSE(ui.busy());
    }
    {
        ScriptedServices ui;
        clsVoiceData vd;
        platform::Recordset list = packedList.copy();
        platform::Recordset rsVoice;
        std::int32_t crc = 0;
        std::string mode;
        ASSERT_FALSE(vd.GetVoiceData(list, 1, FileType::Unpacked, rsVoice, crc, true, mode, 0));
        EXPECT_TRUE(ui.messagesShown().empty());
        EXPECT_EQ(rowText(rsVoice, 142, VoiceDataField::Value), "5");
    }
}

TEST(VoiceDataRecordset, ABadOscillatorModeStillPointsTheFrequencyRowsAtAFrequencyColumn)
{
    ScriptedServices ui;
    std::array<std::uint8_t, kUnpackedVoiceSize> voice{};
    test::setName(voice, "MODE 3");
    voice[UnpackedOp::kOscMode] = 3;  // operator 6; range 0..1, reset to 1 (fixed)
    platform::Recordset list = listOf(voice, FileType::Unpacked);
    clsVoiceData vd;
    platform::Recordset rsVoice;
    std::int32_t crc = 0;
    std::string mode;
    ASSERT_FALSE(vd.GetVoiceData(list, 1, FileType::Unpacked, rsVoice, crc, true, mode, 0));
    EXPECT_EQ(rowText(rsVoice, 17, VoiceDataField::Value), "1");
    EXPECT_EQ(rowText(rsVoice, 18, VoiceDataField::ProxyFieldID), " 3");
    EXPECT_EQ(rowText(rsVoice, 19, VoiceDataField::ProxyFieldID), " 3");
}

TEST(GetVoiceData, StringOnlyModes)
{
    ScriptedServices ui;
    std::mt19937 rng(9);
    const auto voice = test::randomVoice(rng);
    const std::string unpacked(voice.begin(), voice.end());
    clsVoiceData vd;
    const std::string packedVoice = vd.Pack(unpacked);
    struct Case {
        FileType list;
        std::int16_t packVoice;
        std::string expected;
    };
    for (const Case& c : {Case{FileType::Packed, kPackVoice, packedVoice}, Case{FileType::PackedSysex, 0, unpacked},
                          Case{FileType::Unpacked, kPackVoice, packedVoice}, Case{FileType::UnpackedSysex, 0, unpacked}}) {
        platform::Recordset list = listOf(voice, c.list);
        platform::Recordset rsVoice;
        std::int32_t crc = 7;
        std::string mode(kGetVoiceAsStringOnly);
        EXPECT_FALSE(vd.GetVoiceData(list, 1, c.list, rsVoice, crc, false, mode, c.packVoice));
        EXPECT_EQ(mode, c.expected);
        EXPECT_EQ(crc, 0);
    }
    platform::Recordset list = listOf(voice, FileType::Packed);
    platform::Recordset rsVoice;
    std::int32_t crc = 0;
    std::string mode(kGetVoiceAsStringOnly);
    EXPECT_TRUE(vd.GetVoiceData(list, 0, FileType::Packed, rsVoice, crc, false, mode, 0));
    EXPECT_TRUE(vd.GetVoiceData(list, 2, FileType::Packed, rsVoice, crc, false, mode, 0))
        << "a voice beyond the list is no voice, not a failure";
    EXPECT_FALSE(ui.busy());
}

TEST(SaveVoiceData, OverwriteAndAppend)
{
    ScriptedServices ui;
    std::mt19937 rng(10);
    const auto first = test::randomVoice(rng);
    auto second = test::randomVoice(rng);
    test::setName(second, "SECOND");
    platform::Recordset list = listOf(first, FileType::PackedSysex);
    clsVoiceData vd;
    const std::string s(second.begin(), second.end());
    EXPECT_FALSE(vd.SaveVoiceData(list, FileType::PackedSysex, 1, s, false));
    EXPECT_EQ(list.recordCount(), 1);
    list.moveFirst();
    EXPECT_EQ(list.text(VoiceListField::Data).size(), 118u);
    EXPECT_EQ(list.text(VoiceListField::Names), "SECOND    ");
    EXPECT_FALSE(vd.SaveVoiceData(list, FileType::PackedSysex, 0, s, true));
    EXPECT_EQ(list.recordCount(), 2);
    EXPECT_TRUE(vd.SaveVoiceData(list, FileType::PackedSysex, 3, s, false));
    EXPECT_TRUE(vd.SaveVoiceData(list, FileType::PackedSysex, 1, s.substr(0, 100), false));
    EXPECT_EQ(list.recordCount(), 2);
}

TEST(AddSourceFile, CopiesTheListsFileDescription)
{
    testing::FakeVoiceList window("/banks/Strings.syx", FileType::PackedSysex, platform::Recordset());
    clsVoiceData vd;
    vd.AddSourceFile(window);
    EXPECT_EQ(vd.FileName(), "/banks/Strings.syx");
    EXPECT_EQ(vd.FileTitle(), "Strings.syx");
    EXPECT_EQ(vd.FilePath(), "/banks/");
    EXPECT_EQ(vd.FileType(), "3");
}

// An editor opened on voice `voiceNo` of a list, as the editor window does it.
struct EditorFixture {
    EditorFixture(std::size_t voices, FileType type)
    {
        std::vector<std::uint8_t> bytes = test::packedVoices(voices);
        clsVoiceNames names;
        names.RestructureFileBufferByt(bytes, FileType::Packed, type);
        platform::Recordset rs;
        bool repaired = false;
        (void)names.BuildRecordsetFromBytes(type, "t", rs, bytes, repaired);
        list = std::make_unique<testing::FakeVoiceList>("/banks/edit.dat", type, std::move(rs));
        app.registry.registerList(*list);
    }

    void open(std::int32_t voiceNo)
    {
        platform::Recordset rsVoice;
        std::int32_t crc = 0;
        std::string mode;
        ASSERT_FALSE(data.GetVoiceData(list->rsmfimage(), voiceNo, list->fileType(), rsVoice, crc, true, mode, 0));
        editor.setRsVoiceData(std::move(rsVoice));
        editor.setVoiceNo(voiceNo);
        editor.setVoiceBookmark(list->rsmfimage().bookmark());
        editor.setChecksumOnEntry(crc);
        editor.setVoiceListID(list->ListID());
        editor.setCaption("Voice " + std::to_string(voiceNo));
    }

    void editName(const std::string& name)
    {
        platform::Recordset& rs = editor.rsVoiceData();
        for (std::size_t i = 0; i < kNameLength; ++i) {
            rs.setAbsolutePosition(static_cast<int>(Unpacked::kName + i) + 1);
            rs.setValue(VoiceDataField::Value, std::string(1, i < name.size() ? name[i] : ' '));
        }
    }

    std::string nameOf(std::int32_t voiceNo)
    {
        list->rsmfimage().setAbsolutePosition(voiceNo);
        return list->rsmfimage().text(VoiceListField::Names);
    }

    testing::FakeAppState app;
    std::unique_ptr<testing::FakeVoiceList> list;
    testing::FakeVoiceEditor editor;
    clsVoiceData data;
};

TEST(SaveVoice, UnchangedVoiceWritesNothing)
{
    ScriptedServices ui;
    EditorFixture f(4, FileType::Packed);
    f.open(2);
    clsVoiceData vd;
    EXPECT_FALSE(vd.SaveVoice(true, true, f.list.get(), &f.editor));
    EXPECT_TRUE(ui.messagesShown().empty());
}

TEST(SaveVoice, AnswersToTheQuestion)
{
    struct Case {
        MsgAnswer answer;
        bool result;
        bool written;
    };
    for (const Case& c : {Case{MsgAnswer::Cancel, true, false}, Case{MsgAnswer::No, false, false},
                          Case{MsgAnswer::Yes, false, true}}) {
        ScriptedServices ui;
        ui.answer(c.answer);
        EditorFixture f(4, FileType::PackedSysex);
        f.open(2);
        f.editName("NEW NAME");
        clsVoiceData vd;
        EXPECT_EQ(vd.SaveVoice(true, true, f.list.get(), &f.editor), c.result);
        ASSERT_EQ(ui.messagesShown().size(), 1u);
        EXPECT_EQ(ui.messagesShown()[0].text, "Voice 2 has changed\r\nSave Changes ?");
        EXPECT_EQ(ui.messagesShown()[0].title, "Save Voice");
        EXPECT_EQ(ui.messagesShown()[0].style, 3);
        EXPECT_EQ(f.nameOf(2) == "NEW NAME  ", c.written);
        if (c.written) {
            // A second save without further edits does nothing.
            EXPECT_FALSE(vd.SaveVoice(true, true, f.list.get(), &f.editor));
            EXPECT_EQ(ui.messagesShown().size(), 1u);
        }
    }
}

TEST(SaveVoice, WritesToTheEditedVoiceAfterTheListWasSorted)
{
    ScriptedServices ui;
    EditorFixture f(6, FileType::Packed);
    f.open(2);  // "VOICE 0002"
    // The list is sorted by name descending: voice 2 is now fifth.
    platform::Recordset sorted = f.list->rsmfimage().copy();
    sorted.sort({{VoiceListField::Names, true}});
    f.list->setRsmfimage(std::move(sorted));
    f.editName("MOVED");
    clsVoiceData vd;
    EXPECT_FALSE(vd.SaveVoice(false, true, f.list.get(), &f.editor));
    EXPECT_EQ(f.nameOf(5), "MOVED     ");
    EXPECT_EQ(f.nameOf(2), "VOICE 0005");
}

TEST(SaveVoice, AVoiceThatWasDeletedIsNotWrittenAnywhere)
{
    ScriptedServices ui;
    EditorFixture f(4, FileType::Packed);
    f.open(2);
    const platform::Bookmark gone = f.editor.VoiceBookmark();
    (void)f.list->EditDelete(false, std::span<const platform::Bookmark>(&gone, 1));
    f.editName("LOST");
    clsVoiceData vd;
    EXPECT_FALSE(vd.SaveVoice(true, true, f.list.get(), &f.editor));
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Save Voice");
    EXPECT_EQ(ui.messagesShown()[0].text, "The voice edited in Voice 2 is no longer in edit.dat.\r\n"
                                          "The changes can't be saved.");
    for (std::int32_t v = 1; v <= 3; ++v)
        EXPECT_NE(f.nameOf(v), "LOST      ");
}

TEST(SaveVoice, AFailedWriteKeepsTheEditorOpen)
{
    ScriptedServices ui;
    EditorFixture f(2, FileType::Packed);
    f.open(1);
    f.editName("KEEP");
    f.list->setFileType(FileType::Unrecognised);  // a list whose rows cannot take the voice
    clsVoiceData vd;
    EXPECT_TRUE(vd.SaveVoice(false, true, f.list.get(), &f.editor));
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].title, "Error saving voice data");
    EXPECT_EQ(ui.messagesShown()[0].text, "An error occured whilst saving the voice data");
}

TEST(SaveVoice, CorruptedVoiceIsRefused)
{
    ScriptedServices ui;
    EditorFixture f(2, FileType::Packed);
    f.open(1);
    f.editor.rsVoiceData().setAbsolutePosition(5);
    f.editor.rsVoiceData().setValue(VoiceDataField::Value, std::string("abc"));
    clsVoiceData vd;
    EXPECT_FALSE(vd.SaveVoice(true, true, f.list.get(), &f.editor));
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "Checksum error - voice is corrupted and can't be saved");
}

TEST(SaveVoice, FindsTheActiveEditorAndItsList)
{
    ScriptedServices ui;
    EditorFixture f(3, FileType::Unpacked);
    clsVoiceData vd;
    EXPECT_TRUE(vd.SaveVoice(false, false, nullptr, nullptr));
    ASSERT_EQ(ui.messagesShown().size(), 1u);
    EXPECT_EQ(ui.messagesShown()[0].text, "Please select a voice to save ");
    EXPECT_EQ(ui.messagesShown()[0].title, "No voice list selected");

    // A voice list without an editor: nothing to save.
    f.app.active.list = f.list.get();
    EXPECT_FALSE(vd.SaveVoice(false, false, nullptr, nullptr));

    f.open(3);
    f.editName("ACTIVE");
    f.app.active = ActiveWindow{nullptr, &f.editor};
    EXPECT_FALSE(vd.SaveVoice(false, false, nullptr, nullptr));
    EXPECT_EQ(f.nameOf(3), "ACTIVE    ");
}

}  // namespace
}  // namespace banklib
